// Shared by the loader and scene tests: a scratch working directory, with the seam and the
// OpenGL table reset around each test.
#pragma once

#include <filesystem>

#include "ScratchDirectory.h"
#include "Win32Seam.h"
#include "gl/GL.h"

class InGameScratch : public InScratchDirectory {
  protected:
    void SetUp() override {
        InScratchDirectory::SetUp();
        seam::ResetSeam();
        gl::ResetTable();
    }
    void TearDown() override {
        gl::ResetTable();
        seam::ResetSeam();
        InScratchDirectory::TearDown();
    }

  public:
    static int OpenDescriptors() {
        int n = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator("/proc/self/fd")) {
            ++n;
        }
        return n;
    }
};
