// Every OpenGL, GLU and WGL entry point that the program calls, in one list:
// X(return type, name, (parameters), (arguments)).
//
// Expanded by GL.h for the function types, the table and the call wrappers, and by GLBinding.cpp
// for the resolvers. Add an entry here and everything else follows.
#pragma once

#define PARTICLES_GL_FUNCTIONS(X)                                                                  \
    X(GLenum, glGetError, (), ())                                                                  \
    X(void, glFlush, (), ())                                                                       \
    X(void, glFinish, (), ())                                                                      \
    X(void, glPushAttrib, (GLbitfield mask), (mask))                                               \
    X(void, glPopAttrib, (), ())                                                                   \
    X(void, glEnable, (GLenum cap), (cap))                                                         \
    X(void, glDisable, (GLenum cap), (cap))                                                        \
    X(void, glBindTexture, (GLenum target, GLuint texture), (target, texture))                     \
    X(void, glDepthMask, (GLboolean flag), (flag))                                                 \
    X(void, glBlendFunc, (GLenum sfactor, GLenum dfactor), (sfactor, dfactor))                     \
    X(void, glPointParameterfARB, (GLenum pname, GLfloat param), (pname, param))                   \
    X(void, glPointParameterfvARB, (GLenum pname, const GLfloat* params), (pname, params))         \
    X(void, glTexEnvf, (GLenum target, GLenum pname, GLfloat param), (target, pname, param))       \
    X(void, glTexEnvi, (GLenum target, GLenum pname, GLint param), (target, pname, param))         \
    X(void, glPointSize, (GLfloat size), (size))                                                   \
    X(void, glBegin, (GLenum mode), (mode))                                                        \
    X(void, glEnd, (), ())                                                                         \
    X(void, glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))                 \
    X(void, glColor4fv, (const GLfloat* v), (v))                                                   \
    X(void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                              \
    X(void, glVertex3fv, (const GLfloat* v), (v))                                                  \
    X(void, glMatrixMode, (GLenum mode), (mode))                                                   \
    X(void, glLoadIdentity, (), ())                                                                \
    X(void, glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), (r, g, b, a))          \
    X(void, glClearDepth, (GLclampd depth), (depth))                                               \
    X(void, glClear, (GLbitfield mask), (mask))                                                    \
    X(void, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))  \
    X(void, glGenTextures, (GLsizei n, GLuint * textures), (n, textures))                          \
    X(void, glDeleteTextures, (GLsizei n, const GLuint* textures), (n, textures))                  \
    X(void, glTexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))   \
    X(void, glReadPixels,                                                                          \
      (GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid * pixels),       \
      (x, y, w, h, format, type, pixels))                                                          \
    X(const GLubyte*, glGetString, (GLenum name), (name))                                          \
    X(void, gluPerspective, (GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar),       \
      (fovy, aspect, zNear, zFar))                                                                 \
    X(void, gluLookAt,                                                                             \
      (GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,            \
       GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ),                                \
      (eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ))                                \
    X(GLint, gluBuild2DMipmaps,                                                                    \
      (GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,     \
       const void* data),                                                                          \
      (target, components, width, height, format, type, data))                                     \
    X(HGLRC, wglCreateContext, (HDC dc), (dc))                                                     \
    X(BOOL, wglMakeCurrent, (HDC dc, HGLRC rc), (dc, rc))                                          \
    X(BOOL, wglDeleteContext, (HGLRC rc), (rc))                                                    \
    X(PROC, wglGetProcAddress, (LPCSTR name), (name))                                              \
    X(BOOL, wglSwapIntervalEXT, (int interval), (interval))
