// The capture's output files: written whole under a temporary name and renamed when complete,
// PNG frames through libpng, the animation through libwebp's animation encoder, the state file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <webp/mux.h>

namespace capture {

// A file written under a temporary name in its own directory (".NAME.PID.tmp") and renamed to
// its name only once complete: a file under the final name is always whole. Errors name the
// final path.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile() { Abandon(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool Open(const std::string& path, std::string& error);
    std::FILE* Stream() const { return File; }
    // Writes `size` bytes; false after any failed write, with the reason in `error`.
    bool Write(const void* data, std::size_t size, std::string& error);
    // Closes the file and gives it its name.
    bool Commit(std::string& error);
    // Closes the file, if open, and removes it.
    void Abandon();

    // "cannot write PATH: WHAT", of the final path.
    std::string Failed(const char* what) const;

  private:
    std::string Final, Temporary;
    std::FILE* File = nullptr;
};

// From now on SIGINT, SIGTERM and SIGHUP remove the temporary files of every OutputFile being
// written before the process ends as the signal says.
void RemoveTemporariesOnSignals();

// An RGBA frame as glReadPixels gives it: bottom row first, 4 bytes a pixel.
struct Frame {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Pixels;
};

// Writes the frame as an 8-bit RGB PNG (alpha dropped, top row first), with no time chunk and
// nothing else that varies from run to run.
bool WritePng(const std::string& path, const Frame& frame, std::string& error);

// One animated WebP (lossy frames, looping forever) of frames added at increasing times. Not
// copied, as its file is not.
class AnimationWriter {
  public:
    ~AnimationWriter() { WebPAnimEncoderDelete(Encoder); } // null is allowed

    bool Open(const std::string& path, int width, int height, int quality, std::string& error);
    // Shows `frame` from `ms` on (milliseconds since the animation's start, increasing).
    bool Add(const Frame& frame, int ms, std::string& error);
    // The last frame lasts until `endMs`; assembles and writes the file.
    bool Finish(int endMs, std::string& error);

  private:
    OutputFile File;
    WebPAnimEncoder* Encoder = nullptr;
    int Quality = 0;
};

} // namespace capture
