// Checks of the browser's OpenGL module in a real WebGL 2 context, through the program's own
// binding and the host's Win32 and WGL calls, as the demo reaches them. The page gl-checks.html
// runs it; page.test.mjs reads the console: one "ok:" or "FAIL:" line per check, then
// "gl-checks: N passed, M failed".
//
// Points are drawn on a 64 x 64 canvas and measured in the pixels read back: their widths for the
// point parameters, their colours for the sprite's texture coordinates and for what glPopAttrib
// puts back.
#include <emscripten/emscripten.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gl/GL.h"
#include "platform/Win32.h"

namespace {

constexpr int Size = 64;
constexpr GLenum GL_NEAREST = 0x2600;
constexpr GLenum GL_NEAREST_MIPMAP_NEAREST = 0x2700;
constexpr GLenum GL_INVALID_ENUM = 0x0500;
constexpr GLenum GL_INVALID_OPERATION = 0x0502;
constexpr GLenum GL_STACK_OVERFLOW = 0x0503;
constexpr GLenum GL_STACK_UNDERFLOW = 0x0504;
constexpr GLenum GL_POINT_SIZE_MIN_ARB = 0x8126;
constexpr GLenum GL_POINT_SIZE_MAX_ARB = 0x8127;

int Passed = 0;
int Failed = 0;

void Check(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok:  " : "FAIL:", what);
    ++(ok ? Passed : Failed);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

bool OpenContext() {
    if (!gl::InitBinding("OpenGL32.dll", "GLU32.dll")) {
        return false;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.lpszClassName = "checks";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(0, "checks", "checks", WS_POPUP, 0, 0, Size, Size, nullptr,
                                        nullptr, nullptr, nullptr);
    const HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    const int format = ChoosePixelFormat(dc, &request);
    if (!format || !SetPixelFormat(dc, format, &request)) {
        return false;
    }
    const HGLRC rc = wglCreateContext(dc);
    return rc && wglMakeCurrent(dc, rc);
}

struct Picture {
    std::vector<GLubyte> rgba = std::vector<GLubyte>(Size * Size * 4);
    const GLubyte* At(int x, int y) const { return &rgba[(y * Size + x) * 4]; }
    bool Lit(int x, int y) const { return At(x, y)[0] + At(x, y)[1] + At(x, y)[2] > 0; }
    // Lit pixels anywhere, and the brightest red and green among them.
    int Count() const {
        int n = 0;
        for (int i = 0; i < Size * Size; ++i) {
            n += Lit(i % Size, i / Size);
        }
        return n;
    }
    int Brightest(int channel) const {
        int most = 0;
        for (int i = 0; i < Size * Size; ++i) {
            most = std::max(most, static_cast<int>(rgba[i * 4 + channel]));
        }
        return most;
    }
    // Lit pixels in the row through the centre.
    int Width() const {
        int n = 0;
        for (int x = 0; x < Size; ++x) {
            n += Lit(x, Size / 2);
        }
        return n;
    }
};

Picture Read() {
    Picture p;
    glFinish();
    glReadPixels(0, 0, Size, Size, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    return p;
}

// A 90-degree camera at the origin looking down -z, nothing else set.
void Reset() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 0.5, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const GLfloat noAttenuation[3] = {1.0f, 0.0f, 0.0f};
    glPointParameterfvARB(GL_POINT_DISTANCE_ATTENUATION_ARB, noAttenuation);
    glPointParameterfARB(GL_POINT_SIZE_MIN_ARB, 0.0f);
    glPointParameterfARB(GL_POINT_SIZE_MAX_ARB, 1000.0f);
    glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 1.0f);
    glPointSize(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void Point(float distance) {
    glBegin(GL_POINTS);
    glVertex3f(0.0f, 0.0f, -distance);
    glEnd();
}

bool Near(int measured, double expected) {
    return std::fabs(measured - expected) <= 1.0;
}

void PointParameters() {
    const GLfloat attenuation[3] = {1.0f, 0.0f, 0.01f};
    glEnable(GL_POINT_SPRITE_ARB);
    for (const float distance : {10.0f, 20.0f}) {
        Reset();
        glPointParameterfvARB(GL_POINT_DISTANCE_ATTENUATION_ARB, attenuation);
        glPointSize(30.0f);
        Point(distance);
        const double expected = 30.0 * std::sqrt(1.0 / (1.0 + 0.01 * distance * distance));
        const int width = Read().Width();
        std::printf("       sprite of size 30 at distance %.0f: %d pixels wide, %.2f expected\n",
                    distance, width, expected);
        Check(Near(width, expected), "the size falls with the distance as the attenuation says");
    }

    Reset();
    glPointParameterfvARB(GL_POINT_DISTANCE_ATTENUATION_ARB, attenuation);
    glPointSize(30.0f);
    glPointParameterfARB(GL_POINT_SIZE_MAX_ARB, 8.0f);
    Point(10.0f);
    Check(Read().Width() == 8, "the derived size is clamped to the largest size");

    Reset();
    glPointSize(4.0f);
    glPointParameterfARB(GL_POINT_SIZE_MIN_ARB, 40.0f);
    Point(10.0f);
    Check(Near(Read().Width(), 40.0), "the derived size is clamped to the smallest size");

    // Single-sampled: the threshold neither widens the point nor fades it.
    Reset();
    glPointSize(10.0f);
    glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 30.0f);
    Point(10.0f);
    const Picture faded = Read();
    Check(faded.Width() == 10 && faded.At(Size / 2, Size / 2)[0] == 255,
          "the fade threshold has no effect without multisampling");
    glDisable(GL_POINT_SPRITE_ARB);

    // A plain point's size is rounded to a whole number of pixels.
    Reset();
    glPointSize(6.6f);
    Point(10.0f);
    Check(Read().Width() == 7, "a point that is no sprite is rounded to a whole size");
}

void SpriteCoordinates() {
    // Two texels: the first row uploaded red, the second green.
    const GLubyte texels[] = {255, 0, 0, 255, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Rows of 2 RGB texels are padded to 8 bytes, as the unpack alignment of 4 says.
    Check(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 2, 2, GL_RGB, GL_UNSIGNED_BYTE, texels) == 0,
          "gluBuild2DMipmaps takes an RGB image");
    Reset();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_POINT_SPRITE_ARB);
    glTexEnvf(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, 1.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPointSize(32.0f);
    glColor4f(1.0f, 1.0f, 0.5f, 1.0f);
    Point(10.0f);
    const Picture p = Read();
    // Window rows run bottom first: the sprite's upper half is the image's first row.
    const GLubyte* top = p.At(Size / 2, Size / 2 + 8);
    const GLubyte* bottom = p.At(Size / 2, Size / 2 - 8);
    Check(top[0] == 255 && top[1] == 0 && bottom[0] == 0 && bottom[1] == 255,
          "a sprite's texture coordinates start at its upper left");
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_POINT_SPRITE_ARB);
    glDeleteTextures(1, &texture);
}

void Attributes() {
    Reset();
    glPushAttrib(GL_COLOR_BUFFER_BIT + GL_ENABLE_BIT + GL_DEPTH_BUFFER_BIT + GL_POINT_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthMask(GL_FALSE);
    glPointSize(20.0f);
    glPopAttrib();
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    Point(10.0f);
    Point(10.0f);
    const Picture p = Read();
    // Blending off again: two grey points stay grey; the size back to 1.
    Check(p.Count() == 1, "glPopAttrib puts the point size back");
    Check(p.Brightest(0) >= 126 && p.Brightest(0) <= 129, "glPopAttrib puts blending back");

    // The depth mask back on: a grey point writes its depth, and a red one at the same depth
    // then fails the depth test.
    Reset();
    glEnable(GL_DEPTH_TEST);
    glPushAttrib(GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    glPopAttrib();
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    Point(10.0f);
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    Point(10.0f);
    const int green = Read().Brightest(1);
    Check(green >= 126 && green <= 129, "glPopAttrib puts the depth mask back");
    glDisable(GL_DEPTH_TEST);

    // The depth buffer group alone leaves blending as it is.
    Reset();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glPushAttrib(GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    glPopAttrib();
    glDisable(GL_DEPTH_TEST);
    glColor4f(0.25f, 0.25f, 0.25f, 1.0f);
    Point(10.0f);
    Point(10.0f);
    const int red = Read().Brightest(0);
    Check(red >= 126 && red <= 129, "a group that was not pushed is not popped");
    glDisable(GL_BLEND);
    glGetError();
}

void Errors() {
    Check(glGetError() == GL_NO_ERROR, "no error to begin with");
    glPopAttrib();
    Check(glGetError() == GL_STACK_UNDERFLOW, "popping an empty stack is GL_STACK_UNDERFLOW");
    for (int i = 0; i < 17; ++i) {
        glPushAttrib(GL_POINT_BIT);
    }
    Check(glGetError() == GL_STACK_OVERFLOW, "the 17th push is GL_STACK_OVERFLOW");
    for (int i = 0; i < 16; ++i) {
        glPopAttrib();
    }
    Check(glGetError() == GL_NO_ERROR, "the 16 pushes that fit pop again");
    glEnable(0x0B10); // GL_POINT_SMOOTH, which the module does not draw
    Check(glGetError() == GL_INVALID_ENUM, "an unknown capability is GL_INVALID_ENUM");
    Check(glGetError() == GL_NO_ERROR, "reading the error clears it");
    glBegin(GL_POINTS);
    glEnable(GL_BLEND);
    glEnd();
    Check(glGetError() == GL_INVALID_OPERATION,
          "a state change between glBegin and glEnd is GL_INVALID_OPERATION");
    glEnd();
    Check(glGetError() == GL_INVALID_OPERATION, "glEnd without glBegin is GL_INVALID_OPERATION");
    glPointSize(0.0f);
    Check(glGetError() == 0x0501, "a point size of 0 is GL_INVALID_VALUE");
}

void NoAllocationOnceWarm() {
    Reset();
    const auto frame = [] {
        glBegin(GL_POINTS);
        for (int i = 0; i < 3000; ++i) {
            glVertex3f(0.0f, 0.0f, -10.0f);
        }
        glEnd();
    };
    frame();
    frame();
    const int before = mallinfo().uordblks;
    for (int i = 0; i < 10; ++i) {
        frame();
    }
    Check(mallinfo().uordblks == before, "warm frames of 3000 points allocate nothing");
}

// clang-format off
// Loses the context (restore 0) or restores it (1); the checks page counts the host's news of both
// in Module.told.
EM_JS(void, LoseContext, (int restore), {
    if (!restore) {
        Module.told = 0;
        Module.loseContext = document.getElementById('canvas').getContext('webgl2')
            .getExtension('WEBGL_lose_context');
    }
    restore ? Module.loseContext.restoreContext() : Module.loseContext.loseContext();
});
EM_JS(int, ContextNews, (), {
    return Module.told;
});
// clang-format on

// A sprite with its texture, blending and point parameters set, drawn twice.
Picture DrawSprite(GLuint texture) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, texture);
    Point(10.0f);
    Point(10.0f);
    return Read();
}

// A lost context and its restoration: the module rebuilds its shaders, buffer, textures (with
// mipmaps and parameters) and the state it emulates; the same calls then draw the same picture,
// and a texture made while the context was away works once it is back.
void ContextLoss() {
    // A 64 x 64 image drawn as a 24-pixel sprite: minified, it is sampled from its mipmaps, with
    // a filter other than the default.
    static GLubyte texels[64 * 64 * 3];
    for (int i = 0; i < 64 * 64; ++i) {
        const int x = i % 64;
        const int y = i / 64;
        texels[i * 3] = static_cast<GLubyte>(x * 4);
        texels[i * 3 + 1] = static_cast<GLubyte>(y * 4);
        texels[i * 3 + 2] = static_cast<GLubyte>((x ^ y) * 4);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, texels);
    Reset();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_POINT_SPRITE_ARB);
    glTexEnvf(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glPointSize(24.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glViewport(0, 0, Size / 2, Size / 2);
    const Picture before = DrawSprite(texture);

    LoseContext(0);
    const GLubyte one[4] = {0, 255, 0, 0};
    GLuint late = 0;
    glGenTextures(1, &late);
    glBindTexture(GL_TEXTURE_2D, late);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, one);
    DrawSprite(texture); // drawing into a lost context does nothing, and does not fail
    // The browser restores a context only once its loss has been told (and the default prevented).
    for (int news = 1; news <= 2; ++news) {
        for (int waited = 0; ContextNews() < news && waited < 5000; waited += 20) {
            emscripten_sleep(20);
        }
        if (news == 1) {
            LoseContext(1);
        }
    }
    Check(ContextNews() == 2, "the context is lost and restored, and the page is told");
    const Picture after = DrawSprite(texture);
    Check(before.Count() > 100 && before.rgba == after.rgba,
          "a restored context draws the same picture with the same calls");
    const Picture green = DrawSprite(late);
    Check(green.Brightest(1) > 100 && green.Brightest(0) == 0,
          "a texture made while the context was lost is there once it is back");
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_POINT_SPRITE_ARB);
    glDisable(GL_BLEND);
    glViewport(0, 0, Size, Size);
    glDeleteTextures(1, &texture);
    glDeleteTextures(1, &late);
    glGetError();
}

} // namespace

int main() {
    if (!OpenContext()) {
        std::printf("FAIL: no OpenGL context\ngl-checks: 0 passed, 1 failed\n");
        return 1;
    }
    Errors();
    PointParameters();
    SpriteCoordinates();
    Attributes();
    NoAllocationOnceWarm();
    ContextLoss();
    Check(gl::MissingCount() == 0, "every entry point the checks call is found");
    std::printf("gl-checks: %d passed, %d failed\n", Passed, Failed);
    return Failed == 0 ? 0 : 1;
}
