// The modelview and projection matrices of OpenGL.cpp: the mode that picks one, and loading,
// multiplying (in double precision, kept in single) and translating it.
#include "platform/web/GLState.h"
#include "platform/web/OpenGL.h"

namespace webgl {
using namespace gl;
namespace {

Matrix& Current() {
    return S().matrixMode == GL_PROJECTION ? S().projection : S().modelview;
}

} // namespace

void glMatrixMode(unsigned mode) {
    if (!Outside()) {
        return;
    }
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION) {
        Fail(GL_INVALID_ENUM);
        return;
    }
    S().matrixMode = mode;
}

void glLoadIdentity() {
    if (Outside()) {
        Current() = Identity;
    }
}

void MultMatrix(const double* m) {
    if (!Outside()) {
        return;
    }
    Matrix& c = Current();
    double product[16];
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += static_cast<double>(c.m[k * 4 + row]) * m[column * 4 + k];
            }
            product[column * 4 + row] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) {
        c.m[i] = static_cast<float>(product[i]);
    }
}

void Translate(double x, double y, double z) {
    const double t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    MultMatrix(t);
}

} // namespace webgl
