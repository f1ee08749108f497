// Shared by the loader and scene tests: a scratch working directory and a GL call recorder.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gl/GL.h"
#include "support/Win32Seam.h"

// Runs each test in a fresh empty current directory, removed afterwards.
class InScratchDirectory : public ::testing::Test {
  protected:
    void SetUp() override {
        Previous = std::filesystem::current_path();
        char pattern[] = "/tmp/particles-game-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Directory = pattern;
        std::filesystem::current_path(Directory);
        seam::ResetSeam();
        gl::ResetTable();
    }
    void TearDown() override {
        gl::ResetTable();
        seam::ResetSeam();
        std::filesystem::current_path(Previous);
        std::filesystem::remove_all(Directory);
    }

  public:
    // Writes `bytes` to `name` (a relative path with '/'), making its directories.
    static void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::filesystem::path path(name);
        if (path.has_parent_path()) {
            std::filesystem::create_directories(path.parent_path());
        }
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    static int OpenDescriptors() {
        int n = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator("/proc/self/fd")) {
            ++n;
        }
        return n;
    }

  protected:
    std::filesystem::path Previous;
    std::filesystem::path Directory;
};

// Every recorded GL call as one line of text, in order.
namespace record {

inline std::vector<std::string> Calls;
inline GLuint NextTexture = 1;
// The pixels handed to each gluBuild2DMipmaps call.
inline std::vector<std::vector<std::uint8_t>> Uploads;

inline std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

inline void GLAPIENTRY GenTextures(GLsizei n, GLuint* textures) {
    for (GLsizei i = 0; i < n; ++i) {
        textures[i] = NextTexture++;
    }
    Calls.push_back(Format("glGenTextures(%d)", n));
}
inline void GLAPIENTRY BindTexture(GLenum target, GLuint texture) {
    Calls.push_back(Format("glBindTexture(0x%04X, %u)", target, texture));
}
inline void GLAPIENTRY TexEnvi(GLenum target, GLenum pname, GLint param) {
    Calls.push_back(Format("glTexEnvi(0x%04X, 0x%04X, 0x%04X)", target, pname, param));
}
inline void GLAPIENTRY TexParameteri(GLenum target, GLenum pname, GLint param) {
    Calls.push_back(Format("glTexParameteri(0x%04X, 0x%04X, 0x%04X)", target, pname, param));
}
inline GLint GLAPIENTRY Build2DMipmaps(GLenum target, GLint components, GLint width, GLint height,
                                       GLenum format, GLenum type, const void* data) {
    Calls.push_back(Format("gluBuild2DMipmaps(0x%04X, %d, %d, %d, 0x%04X, 0x%04X)", target,
                           components, width, height, format, type));
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    Uploads.emplace_back(bytes, bytes + static_cast<std::size_t>(width) * height * 3);
    return 0;
}

// Starts recording the texture calls.
inline void TextureCalls() {
    Calls.clear();
    Uploads.clear();
    NextTexture = 1;
    gl::Table.glGenTextures = GenTextures;
    gl::Table.glBindTexture = BindTexture;
    gl::Table.glTexEnvi = TexEnvi;
    gl::Table.glTexParameteri = TexParameteri;
    gl::Table.gluBuild2DMipmaps = Build2DMipmaps;
}

} // namespace record

namespace record {

// Every entry point answers with a do-nothing that returns zero, so that no test reaches a real
// library; the recorders a test needs go on top.
template <typename F> struct Quiet;
template <typename R, typename... A> struct Quiet<R(GLAPIENTRY*)(A...)> {
    static R GLAPIENTRY Call(A...) { return R(); }
};

inline void SilenceAll() {
#define PARTICLES_GL_QUIET(ret, name, params, args) gl::Table.name = &Quiet<gl::PFN_##name>::Call;
    PARTICLES_GL_FUNCTIONS(PARTICLES_GL_QUIET)
#undef PARTICLES_GL_QUIET
}

} // namespace record
