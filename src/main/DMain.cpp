// The main procedure: start-up, the busy frame loop with its fixed-tick clock, and shutdown.
#include "main/DMain.h"

#include "engine/DEngine.h"
#include "engine/DInput.h"
#include "game/DGame.h"
#include "gl/GL.h"
#include "main/DWindow.h"
#include "random/Random.h"

bool Running = true;

void RunFrame(MSG& message, std::int32_t& reference, const TFrameHooks& hooks) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            Running = false;
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    glGetError();

    // The frame's only clock reading: every tick of the frame sees the same time.
    const std::int32_t now = GetTime();
    CurrentTime = static_cast<float>(now);

    // Drawing before ticking: the frame shows the state the previous frame's ticks left.
    hooks.Render();
    for (std::uint32_t ticks = TicksDue(now, reference, UpdateInterval); ticks > 0; --ticks) {
        hooks.Update();
    }

    glFlush();
    glFinish();
    if (hooks.Finished) {
        hooks.Finished();
    }
    SwapBuffers(DeviceContext);

    if (Keys[VK_ESCAPE] == 1) {
        Running = false;
    }
}

bool StartProgram(const TStartup& startup, std::int32_t& reference) {
    if (startup.FixedSeed) {
        RandSeed = startup.Seed;
    } else {
        Randomize();
    }
    if (!CreateGLWindow(startup.Window)) {
        return false;
    }
    Running = true;
    InitScene();
    reference = GetTime();
    return true;
}

void StopProgram() {
    FreeScene();
    KillGLWindow();
}

void program::WinMain() {
    // The program's time starts here; the seed still comes from the raw counter.
    StartClock();
    std::int32_t reference = 0;
    if (!StartProgram(TStartup(), reference)) {
        return;
    }
    MSG message = {};
    while (Running) {
        RunFrame(message, reference, SceneHooks);
    }
    StopProgram();
}
