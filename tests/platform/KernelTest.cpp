// kernel32: the counter, files with Windows names, modules and their exports, the seam's failures
// and process exit.
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "PlatformTestSupport.h"

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

TEST(Counter, SeamMakesBothCallsFail) {
    platform::SetFailing(platform::Api::QueryPerformanceCounter);
    platform::SetFailing(platform::Api::QueryPerformanceFrequency);
    LARGE_INTEGER value;
    EXPECT_FALSE(QueryPerformanceCounter(&value));
    EXPECT_FALSE(QueryPerformanceFrequency(&value));
    platform::ResetSeam();
    EXPECT_TRUE(QueryPerformanceCounter(&value));
}

// A directory tree with Windows-style names: DATA\Textures\Sprite.BMP.
class Files : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/platform-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        ASSERT_EQ(chdir(root_.c_str()), 0);
        ASSERT_EQ(mkdir("DATA", 0755), 0);
        ASSERT_EQ(mkdir("DATA/Textures", 0755), 0);
        FILE* f = std::fopen("DATA/Textures/Sprite.BMP", "wb");
        ASSERT_NE(f, nullptr);
        for (int i = 0; i < 1000; ++i) {
            std::fputc(i & 0xFF, f);
        }
        std::fclose(f);
    }
    void TearDown() override {
        std::remove("DATA/Textures/Sprite.BMP");
        rmdir("DATA/Textures");
        rmdir("DATA");
        ASSERT_EQ(chdir("/"), 0);
        rmdir(root_.c_str());
        platform::ResetSeam();
    }
    static HANDLE Open(const char* name) {
        return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    std::string root_;
};

TEST_F(Files, BackslashNameIsReadInPiecesUpToTheEnd) {
    HANDLE file = Open("DATA\\Textures\\Sprite.BMP");
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
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(ReadFile(file, buffer, 1, &read, nullptr));
    EXPECT_EQ(read, 0u);
}

TEST_F(Files, NamesIgnoreCaseLikeWindows) {
    HANDLE file = Open("data\\textures\\sprite.bmp");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(file));
    file = Open((root_ + "\\Data\\TEXTURES\\sprite.bmp").c_str());
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, MissingFilesAndDirectoriesAreRefused) {
    EXPECT_EQ(Open("DATA\\Textures\\missing.bmp"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open("DATA\\Textures"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Open(""), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(nullptr), INVALID_HANDLE_VALUE);
    // Only reading existing files is offered.
    EXPECT_EQ(CreateFileA("new.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    struct stat st;
    EXPECT_NE(stat("new.bin", &st), 0);
    // Opened without read access: there but not readable.
    HANDLE file =
        CreateFileA("DATA\\Textures\\Sprite.BMP", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char c;
    DWORD read = 9;
    EXPECT_FALSE(ReadFile(file, &c, 1, &read, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, SeamFailsEachCall) {
    platform::SetFailing(platform::Api::CreateFileA);
    EXPECT_EQ(Open("DATA\\Textures\\Sprite.BMP"), INVALID_HANDLE_VALUE);
    platform::SetFailing(platform::Api::CreateFileA, false);
    HANDLE file = Open("DATA\\Textures\\Sprite.BMP");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    platform::SetFailing(platform::Api::ReadFile);
    char c;
    DWORD read = 7;
    EXPECT_FALSE(ReadFile(file, &c, 1, &read, nullptr));
    EXPECT_EQ(read, 0u);
    platform::SetFailing(platform::Api::CloseHandle);
    EXPECT_FALSE(CloseHandle(file));
    platform::ResetSeam();
    EXPECT_TRUE(ReadFile(file, &c, 1, &read, nullptr));
    EXPECT_EQ(read, 1u);
    EXPECT_TRUE(CloseHandle(file));
}

TEST(Modules, ProgramInstanceIsStable) {
    HMODULE self = GetModuleHandleA(nullptr);
    EXPECT_NE(self, nullptr);
    EXPECT_EQ(self, GetModuleHandleA(nullptr));
    EXPECT_EQ(GetModuleHandleA("no-such-module.dll"), nullptr);
}

TEST(Modules, WindowsNamesMapToTheSystemLibraries) {
    HMODULE gl = LoadLibraryA("OpenGL32.dll");
    ASSERT_NE(gl, nullptr);
    // Case and the missing extension do not matter; a second load is the same module.
    EXPECT_EQ(LoadLibraryA("opengl32.DLL"), gl);
    EXPECT_EQ(LoadLibraryA("OPENGL32"), gl);
    EXPECT_EQ(GetModuleHandleA("opengl32.dll"), gl);
    EXPECT_EQ(GetModuleHandleA("OpenGL32"), gl);

    void* system = dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(gl, "glClear")), dlsym(system, "glClear"));
    dlclose(system);

    // The WGL functions are exported by name, the extension is not.
    EXPECT_NE(GetProcAddress(gl, "wglCreateContext"), nullptr);
    EXPECT_NE(GetProcAddress(gl, "wglMakeCurrent"), nullptr);
    EXPECT_NE(GetProcAddress(gl, "wglDeleteContext"), nullptr);
    EXPECT_NE(GetProcAddress(gl, "wglGetProcAddress"), nullptr);
    EXPECT_EQ(GetProcAddress(gl, "wglSwapIntervalEXT"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    HMODULE glu = LoadLibraryA("GLU32.dll");
    ASSERT_NE(glu, nullptr);
    EXPECT_NE(glu, gl);
    EXPECT_NE(GetProcAddress(glu, "gluLookAt"), nullptr);
    EXPECT_EQ(GetProcAddress(glu, "wglCreateContext"), nullptr);

    // Three loads, three frees; then the handle is gone.
    EXPECT_TRUE(FreeLibrary(gl));
    EXPECT_TRUE(FreeLibrary(gl));
    EXPECT_TRUE(FreeLibrary(gl));
    EXPECT_FALSE(FreeLibrary(gl));
    EXPECT_EQ(GetProcAddress(gl, "glClear"), nullptr);
    EXPECT_TRUE(FreeLibrary(glu));
}

TEST(Modules, UnknownNamesAndTheSeamFail) {
    EXPECT_EQ(LoadLibraryA("NoSuchLibrary.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    // Other names are passed on as they are.
    HMODULE math = LoadLibraryA("libm.so.6");
    ASSERT_NE(math, nullptr);
    EXPECT_NE(GetProcAddress(math, "cos"), nullptr);
    EXPECT_EQ(GetProcAddress(math, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_TRUE(FreeLibrary(math));
    platform::SetFailing(platform::Api::LoadLibraryA);
    EXPECT_EQ(LoadLibraryA("OpenGL32.dll"), nullptr);
    platform::ResetSeam();
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
