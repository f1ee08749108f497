// A fresh empty working directory for a test, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class InScratchDirectory : public ::testing::Test {
  protected:
    void SetUp() override {
        Previous = std::filesystem::current_path();
        char pattern[] = "/tmp/particles-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Directory = pattern;
        std::filesystem::current_path(Directory);
    }
    void TearDown() override {
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

  protected:
    std::filesystem::path Previous;
    std::filesystem::path Directory;
};
