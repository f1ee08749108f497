// particles-capture: the scene replayed frame by frame on a fixed seed and a scripted clock.
#include "capture/Capture.h"

#include <sys/stat.h>

#include <cerrno>
#include <cfenv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "platform/ScriptedClock.h"
#include "engine/DEngine.h"
#include "game/DGame.h"
#include "gl/GL.h"
#include "main/DMain.h"
#include "platform/Win32.h"
#include "random/Random.h"

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the state file is written from the records in memory, which must be little-endian"
#endif

namespace capture {
namespace {

const char* const ClassName = "particles-capture";

HWND Window = nullptr;
HDC Device = nullptr;
HGLRC Context = nullptr;
bool ClassRegistered = false;

// The floating-point environment as the program set it up, put back after every call into the
// window layer or the OpenGL implementation: the state must not depend on what a driver leaves
// in the control registers.
class FloatEnvironmentGuard {
  public:
    FloatEnvironmentGuard() {
        std::fegetenv(&Saved);
#if defined(__SSE__)
        SavedCsr = _mm_getcsr();
#endif
    }
    ~FloatEnvironmentGuard() {
        std::fesetenv(&Saved);
#if defined(__SSE__)
        _mm_setcsr(SavedCsr);
#endif
    }
    FloatEnvironmentGuard(const FloatEnvironmentGuard&) = delete;
    FloatEnvironmentGuard& operator=(const FloatEnvironmentGuard&) = delete;

  private:
    std::fenv_t Saved;
#if defined(__SSE__)
    unsigned int SavedCsr;
#endif
};

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Adds the time from construction to destruction to `total`.
class Timed {
  public:
    explicit Timed(Clock::duration& total) : Total(total), Start(Clock::now()) {}
    ~Timed() { Total += Clock::now() - Start; }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

  private:
    Clock::duration& Total;
    Clock::time_point Start;
};

void Put32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

std::uint32_t Bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool WriteSystem(OutputFile& file, const TParticleSystem& system, std::string& error) {
    std::uint8_t head[12];
    Put32(head, Bits(system.LastUpdate));
    Put32(head + 4, Bits(system.LastEmit));
    Put32(head + 8, static_cast<std::uint32_t>(system.Count));
    return file.Write(head, sizeof head, error) &&
           file.Write(system.Particles.get(),
                      static_cast<std::size_t>(system.Count) * sizeof(TParticle), error);
}

// Makes `path` a directory, unless it is one.
bool MakeDirectory(const std::string& path, std::string& error) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return true;
        }
        error = "cannot write " + path + ": not a directory";
        return false;
    }
    if (mkdir(path.c_str(), 0777) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string FramePath(const std::string& directory, std::uint32_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06u.png", static_cast<unsigned>(frame));
    return directory + "/" + name;
}

// How long a written frame shows in the animation: until the next written frame's time. At least
// 1 ms, so that every frame is shown even when the clock stands still or goes back.
int Duration(std::int32_t from, std::int32_t to) {
    const auto ms = static_cast<std::int32_t>(static_cast<std::uint32_t>(to) -
                                              static_cast<std::uint32_t>(from));
    return ms > 0 ? ms : 1;
}

// The run after the scene is built: outputs opened, frames, outputs completed.
int Capture(const Options& options, Replay& replay) {
    std::string error;
    const auto fail = [&error]() {
        std::fprintf(stderr, "particles-capture: %s\n", error.c_str());
        return 1;
    };

    // Every output is made before the first frame, so that an unwritable path fails at once.
    OutputFile state;
    if (!options.StateFile.empty() &&
        (!state.Open(options.StateFile, error) || !WriteStateHeader(state, error))) {
        return fail();
    }
    std::unique_ptr<AnimationWriter> animation;
    if (!options.AnimationFile.empty()) {
        animation = std::make_unique<AnimationWriter>();
        if (!animation->Open(options.AnimationFile, Width, Height, options.Quality, error)) {
            return fail();
        }
    }
    if (!options.OutDir.empty() && !MakeDirectory(options.OutDir, error)) {
        return fail();
    }

    const bool pictures = !options.OutDir.empty() || animation;
    Frame picture;
    Clock::duration png{}, webp{}, stateTime{};
    const Clock::time_point start = Clock::now();
    Clock::time_point lastProgress = start;
    // Milliseconds into the animation of the last written frame, and how long it has lasted.
    long long animationMs = 0;
    int lastInterval = 0;
    std::int32_t lastWritten = options.StartMs;
    bool anyWritten = false;

    for (std::uint32_t frame = 1; frame <= options.Frames; ++frame) {
        const bool written = IsWritten(options, frame);
        replay.RunFrame(frame, written && pictures ? &picture : nullptr);
        if (written) {
            const std::int32_t time = FrameTime(options, frame);
            if (!options.OutDir.empty()) {
                const Timed timed(png);
                if (!WritePng(FramePath(options.OutDir, frame), picture, error)) {
                    return fail();
                }
            }
            if (animation) {
                const Timed timed(webp);
                animationMs += anyWritten ? lastInterval : 0;
                if (animationMs > INT_MAX / 2) {
                    error = "cannot write " + options.AnimationFile + ": too long an animation";
                    return fail();
                }
                if (!animation->Add(picture, static_cast<int>(animationMs), error)) {
                    return fail();
                }
            }
            if (state.Stream()) {
                const Timed timed(stateTime);
                if (!WriteState(state, frame, time, replay, error)) {
                    return fail();
                }
            }
            // The first written frame's interval is the frame's own step.
            lastInterval = Duration(
                anyWritten || frame == 1 ? lastWritten : FrameTime(options, frame - 1), time);
            lastWritten = time;
            anyWritten = true;
        }
        const Clock::time_point now = Clock::now();
        if (now - lastProgress >= std::chrono::seconds(2) && frame < options.Frames) {
            std::fprintf(stderr, "particles-capture: frame %u of %u\n", frame, options.Frames);
            lastProgress = now;
        }
    }
    if (animation) {
        // The last written frame lasts as long as the interval before it.
        const Timed timed(webp);
        if (!animation->Finish(static_cast<int>(animationMs + lastInterval), error)) {
            return fail();
        }
    }
    if (state.Stream()) {
        const Timed timed(stateTime);
        if (!state.Commit(error)) {
            return fail();
        }
    }

    const double total = Seconds(Clock::now() - start);
    const auto share = [total](Clock::duration d) {
        return total > 0.0 ? 100.0 * Seconds(d) / total : 0.0;
    };
    std::fprintf(stderr,
                 "particles-capture: %u frames in %.2f s, %.1f frames per second "
                 "(read-back %.1f %%, PNG %.1f %%, animation %.1f %%, state %.1f %%)\n",
                 options.Frames, total, total > 0.0 ? options.Frames / total : 0.0,
                 share(replay.ReadBackTime()), share(png), share(webp), share(stateTime));
    return 0;
}

} // namespace

bool OpenContext(std::string& error) {
    const FloatEnvironmentGuard guard;
    const auto failed = [&error](const char* what) {
        error = std::string("cannot set up the OpenGL context: ") + what;
        CloseContext();
        return false;
    };
    if (!gl::InitBinding("OpenGL32.dll", "GLU32.dll")) {
        return failed("the OpenGL libraries cannot be loaded");
    }
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassA(&windowClass)) {
        return failed("RegisterClassA failed");
    }
    ClassRegistered = true;
    // A pop-up has no frame: its client area, and so the viewport, is the whole 1024 x 768.
    Window = CreateWindowExA(WS_EX_APPWINDOW, ClassName, WindowTitle,
                             WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, Width, Height,
                             nullptr, nullptr, instance, nullptr);
    if (!Window) {
        return failed("CreateWindowExA failed");
    }
    Device = GetDC(Window);
    if (!Device) {
        return failed("GetDC failed");
    }
    // The demo's request.
    PIXELFORMATDESCRIPTOR request;
    std::memset(&request, 0, sizeof request);
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = static_cast<BYTE>(ColorBits & 0xFF);
    request.cStencilBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(Device, &request);
    if (format == 0) {
        return failed("ChoosePixelFormat found no format");
    }
    if (!SetPixelFormat(Device, format, &request)) {
        return failed("SetPixelFormat failed");
    }
    Context = wglCreateContext(Device);
    if (!Context) {
        return failed("wglCreateContext failed");
    }
    if (!wglMakeCurrent(Device, Context)) {
        return failed("wglMakeCurrent failed");
    }
    ShowWindow(Window, SW_SHOW);
    wglSwapIntervalEXT(VSync ? 1 : 0);
    return true;
}

void CloseContext() {
    const FloatEnvironmentGuard guard;
    if (Context) {
        wglMakeCurrent(Device, nullptr);
        wglDeleteContext(Context);
        Context = nullptr;
    }
    if (Device) {
        ReleaseDC(Window, Device);
        Device = nullptr;
    }
    if (Window) {
        DestroyWindow(Window);
        Window = nullptr;
    }
    if (ClassRegistered) {
        UnregisterClassA(ClassName, GetModuleHandleA(nullptr));
        ClassRegistered = false;
    }
}

Replay::Replay(const Options& options) : Settings(options) {
    // What WinMain does, with the seed and the clock given.
    RandSeed = options.Seed;
    scriptedclock::Set(options.StartMs);
    Running = true;
    {
        const FloatEnvironmentGuard guard;
        InitScene();
    }
    TickReference = GetTime();
}

Replay::~Replay() {
    const FloatEnvironmentGuard guard;
    FreeScene();
}

void Replay::RunFrame(std::uint32_t frame, Frame* picture) {
    {
        const FloatEnvironmentGuard guard;
        // One message a frame, as the demo takes them; nothing here ends the run.
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        glGetError();
    }

    scriptedclock::Set(FrameTime(Settings, frame));
    const std::int32_t now = GetTime();
    CurrentTime = static_cast<float>(now);

    {
        const FloatEnvironmentGuard guard;
        RenderScene();
    }
    LastTicks = 0;
    for (std::uint32_t ticks = TicksDue(now, TickReference, UpdateInterval); ticks > 0; --ticks) {
        UpdateScene();
        ++LastTicks;
    }

    const FloatEnvironmentGuard guard;
    glFlush();
    glFinish();
    if (picture) {
        picture->Width = Width;
        picture->Height = Height;
        picture->Pixels.resize(static_cast<std::size_t>(Width) * Height * 4u);
        const Timed timed(ReadBack);
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, picture->Pixels.data());
    }
    SwapBuffers(Device);
}

bool WriteStateHeader(OutputFile& file, std::string& error) {
    std::uint8_t header[16] = {'P', 'T', 'S', 'T', 'A', 'T', 'E', '1'};
    Put32(header + 8, 1);
    Put32(header + 12, static_cast<std::uint32_t>(sizeof(TParticle)));
    return file.Write(header, sizeof header, error);
}

bool WriteState(OutputFile& file, std::uint32_t frame, std::int32_t time, const Replay& replay,
                std::string& error) {
    std::uint8_t head[20];
    Put32(head, frame);
    Put32(head + 4, static_cast<std::uint32_t>(time));
    Put32(head + 8, static_cast<std::uint32_t>(replay.Reference()));
    Put32(head + 12, replay.Ticks());
    Put32(head + 16, RandSeed);
    return file.Write(head, sizeof head, error) && WriteSystem(file, *Emitter, error) &&
           WriteSystem(file, *Flame, error);
}

int Run(const Options& options) {
    std::string error;
    if (!OpenContext(error)) {
        std::fprintf(stderr, "particles-capture: %s\n", error.c_str());
        return 1;
    }
    int status = 0;
    {
        Replay replay(options);
        status = Capture(options, replay);
    }
    CloseContext();
    return status;
}

} // namespace capture
