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

unsigned glGetError();
void glFlush();
void glFinish();
void glPushAttrib(unsigned mask);
void glPopAttrib();
void glEnable(unsigned cap);
void glDisable(unsigned cap);
void glBindTexture(unsigned target, unsigned texture);
void glDepthMask(unsigned char flag);
void glBlendFunc(unsigned sfactor, unsigned dfactor);
void glPointParameterfARB(unsigned pname, float param);
void glPointParameterfvARB(unsigned pname, const float* params);
void glTexEnvf(unsigned target, unsigned pname, float param);
void glTexEnvi(unsigned target, unsigned pname, int param);
void glPointSize(float size);
void glBegin(unsigned mode);
void glEnd();
void glColor4f(float r, float g, float b, float a);
void glColor4fv(const float* v);
void glVertex3f(float x, float y, float z);
void glVertex3fv(const float* v);
void glMatrixMode(unsigned mode);
void glLoadIdentity();
// Multiplies the current matrix by `m` (column-major), as glMultMatrixd does.
void MultMatrix(const double* m);
void Translate(double x, double y, double z);
void glClearColor(float r, float g, float b, float a);
void glClearDepth(double depth);
void glClear(unsigned mask);
void glViewport(int x, int y, int width, int height);
void glGenTextures(int n, unsigned* textures);
void glDeleteTextures(int n, const unsigned* textures);
void glTexParameteri(unsigned target, unsigned pname, int param);
void glReadPixels(int x, int y, int width, int height, unsigned format, unsigned type,
                  void* pixels);
const unsigned char* glGetString(unsigned name);
// Loads level 0 of the bound 2D texture from 8-bit RGB or RGBA pixels (rows packed to 4 bytes)
// and derives the other levels, keeping a copy for a restored context; false when the arguments
// are refused or no texture of glGenTextures is bound.
bool TexImageWithMipmaps(unsigned target, int width, int height, unsigned format,
                         const void* pixels);

// GLU (Glu.cpp).
void gluPerspective(double fovy, double aspect, double zNear, double zFar);
void gluLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
               double centerZ, double upX, double upY, double upZ);
int gluBuild2DMipmaps(unsigned target, int components, int width, int height, unsigned format,
                      unsigned type, const void* data);

} // namespace webgl
