// Shared by the loader and scene tests: a scratch working directory.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Win32Seam.h"
#include "gl/GL.h"

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
