// OpenGL 1.1 as the program uses it, on WebGL 2: the entry points of the module that the browser
// host loads for "OpenGL32.dll" and "GLU32.dll" (OpenGL.cpp, Glu.cpp), named by their OpenGL
// names in Modules.cpp.
//
// The types are the plain C types of OpenGL's typedefs, so that this header goes with WebGL's
// headers and with the program's binding (gl/GL.h) alike; the export table checks every entry
// against the binding's function types.
#pragma once

#include <cstdint>

namespace webgl {

// The module's life with its context: Start compiles the shader pair and sets OpenGL's initial
// state in the current WebGL context (false when the shaders cannot be built); Stop forgets
// everything, after the context has gone.
bool Start();
void Stop();
// The context is lost (webglcontextlost): nothing is drawn meanwhile. Restore, in the restored
// and current context, makes the module's objects and state again: the shaders, the buffer,
// every texture with its image, mipmaps and parameters, the attributes and the viewport; false
// when that fails (the context may be lost again already).
void Lost();
bool Restore();

// Reads the current drawing buffer, rows bottom first, as glReadPixels(GL_RGBA) does.
void ReadRgba(int width, int height, std::uint8_t* out);

unsigned GetError();
void Flush();
void Finish();
void PushAttrib(unsigned mask);
void PopAttrib();
void Enable(unsigned cap);
void Disable(unsigned cap);
void BindTexture(unsigned target, unsigned texture);
void DepthMask(unsigned char flag);
void BlendFunc(unsigned sfactor, unsigned dfactor);
void PointParameterf(unsigned pname, float param);
void PointParameterfv(unsigned pname, const float* params);
void TexEnvf(unsigned target, unsigned pname, float param);
void TexEnvi(unsigned target, unsigned pname, int param);
void PointSize(float size);
void Begin(unsigned mode);
void End();
void Color4f(float r, float g, float b, float a);
void Color4fv(const float* v);
void Vertex3f(float x, float y, float z);
void Vertex3fv(const float* v);
void MatrixMode(unsigned mode);
void LoadIdentity();
// Multiplies the current matrix by `m` (column-major), as glMultMatrixd does.
void MultMatrix(const double* m);
void Translate(double x, double y, double z);
void ClearColor(float r, float g, float b, float a);
void ClearDepth(double depth);
void Clear(unsigned mask);
void Viewport(int x, int y, int width, int height);
void GenTextures(int n, unsigned* textures);
void DeleteTextures(int n, const unsigned* textures);
void TexParameteri(unsigned target, unsigned pname, int param);
void ReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels);
const unsigned char* GetString(unsigned name);
// Loads level 0 of the bound 2D texture from 8-bit RGB or RGBA pixels (rows packed to 4 bytes)
// and derives the other levels, keeping a copy for a restored context; false when the arguments
// are refused or no texture of glGenTextures is bound.
bool TexImageWithMipmaps(unsigned target, int width, int height, unsigned format,
                         const void* pixels);

// GLU (Glu.cpp).
void Perspective(double fovy, double aspect, double zNear, double zFar);
void LookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
            double upX, double upY, double upZ);
int Build2DMipmaps(unsigned target, int components, int width, int height, unsigned format,
                   unsigned type, const void* data);

} // namespace webgl
