// GLU, as the program calls it, on the module's OpenGL.
//
// Implements gluPerspective, gluLookAt and gluBuild2DMipmaps for the module loaded for
// "GLU32.dll".
// Reproduces: the perspective and viewing matrices multiplied onto the current matrix, computed
// in double precision; a field of view, aspect or depth range that would divide by zero leaves
// the matrix alone; mipmaps of 8-bit RGB or RGBA images, with GLU's error codes for refused
// arguments.
// Leaves out: rescaling images to powers of two (WebGL 2 keeps any size, the program's sprites
// are 64 x 64 anyway), and every other pixel type and format.
#include <cmath>

#include "platform/web/OpenGL.h"

namespace webgl {
namespace {

constexpr int GLU_INVALID_ENUM = 100900;
constexpr int GLU_INVALID_VALUE = 100901;
constexpr unsigned GL_TEXTURE_2D = 0x0DE1;
constexpr unsigned GL_UNSIGNED_BYTE = 0x1401;
constexpr unsigned GL_RGB = 0x1907;
constexpr unsigned GL_RGBA = 0x1908;
constexpr double Pi = 3.14159265358979323846;

void Normalise(double v[3]) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length != 0.0) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

void Cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

void gluPerspective(double fovy, double aspect, double zNear, double zFar) {
    const double half = fovy / 2.0 * Pi / 180.0;
    const double depth = zFar - zNear;
    const double sine = std::sin(half);
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) {
        return;
    }
    const double f = std::cos(half) / sine;
    const double m[16] = {f / aspect,
                          0,
                          0,
                          0,
                          0,
                          f,
                          0,
                          0,
                          0,
                          0,
                          -(zFar + zNear) / depth,
                          -1,
                          0,
                          0,
                          -2.0 * zNear * zFar / depth,
                          0};
    MultMatrix(m);
}

void gluLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
               double centerZ, double upX, double upY, double upZ) {
    double forward[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    Normalise(forward);
    double side[3];
    Cross(forward, up, side);
    Normalise(side);
    Cross(side, forward, up);
    const double m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                          side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    MultMatrix(m);
    Translate(-eyeX, -eyeY, -eyeZ);
}

int gluBuild2DMipmaps(unsigned target, int components, int width, int height, unsigned format,
                      unsigned type, const void* data) {
    if (width < 1 || height < 1 || components < 1 || components > 4) {
        return GLU_INVALID_VALUE;
    }
    if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE ||
        (format != GL_RGB && format != GL_RGBA) || !data) {
        return GLU_INVALID_ENUM;
    }
    return TexImageWithMipmaps(target, width, height, format, data) ? 0 : GLU_INVALID_ENUM;
}

} // namespace webgl
