// The counter, files with Windows names, modules and their exports, and process exit.
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PlatformTestSupport.h"
#include "ScratchDirectory.h"

namespace {

TEST(Counter, FrequencyIsFixedAndCounterAdvancesWithIt) {
    LARGE_INTEGER frequency, first, second;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 10000000);
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    usleep(20000);
    ASSERT_TRUE(QueryPerformanceCounter(&second));
    // At least the 20 ms slept, at the counter's rate.
    EXPECT_GE(second.QuadPart - first.QuadPart, 200000);
    const DWORD tick = GetTickCount();
    EXPECT_NEAR(static_cast<double>(tick),
                static_cast<double>(second.QuadPart / 10000 % 4294967296LL), 1000.0);
}

// A directory tree with Windows-style names: DATA\Textures\Sprite.bmp.
class Files : public InScratchDirectory {
  protected:
    void SetUp() override {
        InScratchDirectory::SetUp();
        std::vector<std::uint8_t> bytes(1000);
        for (int i = 0; i < 1000; ++i) {
            bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i & 0xFF);
        }
        WriteFile("DATA/Textures/Sprite.bmp", bytes);
    }
    static HANDLE Open(const char* name) {
        return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
};

TEST_F(Files, BackslashNameIsReadInPiecesUpToTheEnd) {
    HANDLE file = Open("DATA\\Textures\\Sprite.bmp");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    unsigned char buffer[600];
    DWORD read = 12345;
    ASSERT_TRUE(ReadFile(file, buffer, 600, &read, nullptr));
    EXPECT_EQ(read, 600u);
    EXPECT_EQ(buffer[599], 599 & 0xFF);
    // The rest is shorter than asked for; then the end reads as success with nothing.
    ASSERT_TRUE(ReadFile(file, buffer, 600, &read, nullptr));
    EXPECT_EQ(read, 400u);
    EXPECT_EQ(buffer[0], 600 & 0xFF);
    ASSERT_TRUE(ReadFile(file, buffer, 600, &read, nullptr));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(CloseHandle(file));
    // A closed handle is no handle.
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_FALSE(ReadFile(file, buffer, 1, &read, nullptr));
    EXPECT_EQ(read, 0u);
}

TEST_F(Files, OnlyExistingRegularFilesOpenAndNothingBlocks) {
    EXPECT_EQ(Open("DATA\\Textures\\missing.bmp"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open("DATA\\Textures"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(""), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open("/dev/null"), INVALID_HANDLE_VALUE);
    // A FIFO nobody writes to would block a plain open for ever.
    ASSERT_EQ(mkfifo("DATA/Textures/fifo.bmp", 0600), 0);
    EXPECT_EQ(Open("DATA\\Textures\\fifo.bmp"), INVALID_HANDLE_VALUE);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "DATA/Textures/socket.bmp");
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(Open("DATA\\Textures\\socket.bmp"), INVALID_HANDLE_VALUE);
    close(listener);
    // Only reading is offered.
    EXPECT_EQ(CreateFileA("DATA\\Textures\\Sprite.bmp", GENERIC_READ | 0x40000000L, 0, nullptr,
                          OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
}

TEST(Modules, WindowsNamesMapToTheSystemLibrariesAndOpenGLExportsWgl) {
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
    HMODULE gl = LoadLibraryA("OpenGL32.dll");
    ASSERT_NE(gl, nullptr);
    EXPECT_EQ(LoadLibraryA("opengl32.DLL"), gl);
    EXPECT_EQ(LoadLibraryA("OPENGL32"), gl);
    void* system = dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(gl, "glClear")), dlsym(system, "glClear"));
    dlclose(system);
    EXPECT_NE(GetProcAddress(gl, "wglCreateContext"), nullptr);
    EXPECT_NE(GetProcAddress(gl, "wglGetProcAddress"), nullptr);
    EXPECT_EQ(GetProcAddress(gl, "wglSwapIntervalEXT"), nullptr) << "an extension, not an export";

    HMODULE glu = LoadLibraryA("GLU32.dll");
    ASSERT_NE(glu, nullptr);
    EXPECT_NE(glu, gl);
    EXPECT_NE(GetProcAddress(glu, "gluLookAt"), nullptr);
    EXPECT_EQ(GetProcAddress(glu, "wglCreateContext"), nullptr);

    EXPECT_EQ(LoadLibraryA("libm.so.6"), nullptr) << "no other library stands for a Windows one";
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "glClear"), nullptr);
}

TEST(ExitProcessDeathTest, ExitsWithTheCodeAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atexit([] { std::_Exit(99); }); // exit-time handlers do not run
            ExitProcess(3);
        },
        ::testing::ExitedWithCode(3), "");
}

} // namespace
