// The capture's output files.
#include "capture/Output.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>

#include <png.h>
#include <webp/encode.h>
#include <zlib.h>

namespace capture {

// ---- whole files under their final name only -------------------------------------------------

namespace {

// The temporary files being written, for the signal handler: an interrupted capture leaves none
// behind. A run has at most three at once (state, animation, one PNG). Each entry points into
// its OutputFile's name, which stays as it is until the entry is cleared.
std::atomic<const char*> Pending[4]; // lock-free: safe in a handler

void OnTerminatingSignal(int signal) {
    for (const std::atomic<const char*>& entry : Pending) {
        if (const char* path = entry.load()) {
            unlink(path);
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Replaces the first entry that holds `from` with `to`: from null to add a path (not tracked
// when all entries are taken), to null to remove it.
void Exchange(const char* from, const char* to) {
    for (std::atomic<const char*>& entry : Pending) {
        const char* expected = from;
        if (entry.compare_exchange_strong(expected, to)) {
            return;
        }
    }
}

} // namespace

void RemoveTemporariesOnSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, OnTerminatingSignal);
    }
}

std::string OutputFile::Failed(const char* what) const {
    return "cannot write " + Final + ": " + what;
}

bool OutputFile::Open(const std::string& path, std::string& error) {
    Abandon();
    Final = path;
    const std::size_t start = path.rfind('/') + 1; // 0 without a slash
    const std::string name = path.substr(start);
    if (name.empty()) {
        error = Failed("the path names a directory");
        return false;
    }
    // In the same directory, so that the rename never crosses file systems.
    Temporary = path.substr(0, start) + "." + name + "." + std::to_string(getpid()) + ".tmp";
    Exchange(nullptr, Temporary.c_str());
    File = std::fopen(Temporary.c_str(), "wbe"); // e: close on exec
    if (!File) {
        error = Failed(std::strerror(errno));
        Exchange(Temporary.c_str(), nullptr);
        Temporary.clear();
    }
    return File != nullptr;
}

bool OutputFile::Write(const void* data, std::size_t size, std::string& error) {
    if (size > 0 && std::fwrite(data, 1, size, File) != size) {
        error = Failed(std::strerror(errno));
        return false;
    }
    return true;
}

bool OutputFile::Commit(std::string& error) {
    const bool flushed = std::fflush(File) == 0 && !std::ferror(File);
    const int flushError = errno;
    const bool closed = std::fclose(File) == 0;
    File = nullptr;
    if (!flushed || !closed || std::rename(Temporary.c_str(), Final.c_str()) != 0) {
        error = Failed(std::strerror(!flushed ? flushError : errno));
        Abandon();
        return false;
    }
    Exchange(Temporary.c_str(), nullptr);
    Temporary.clear();
    return true;
}

void OutputFile::Abandon() {
    if (File) {
        std::fclose(File);
        File = nullptr;
    }
    if (!Temporary.empty()) {
        std::remove(Temporary.c_str());
        Exchange(Temporary.c_str(), nullptr);
        Temporary.clear();
    }
}

// ---- PNG -----------------------------------------------------------------------------------

namespace {

// libpng reports errors by longjmp to the setjmp of the call that failed; the message is kept.
using PngError = char[200];

void OnPngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<PngError*>(png_get_error_ptr(png));
    std::snprintf(*error, sizeof *error, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Only plain data lives across the setjmp: a longjmp out of libpng skips no destructor.
bool EncodePng(std::FILE* file, png_bytepp rows, int width, int height, PngError& error) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr); // a null png is no error here
        std::snprintf(error, sizeof error, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Frames are mostly black: run-length deflate on unfiltered rows is several times quicker
    // than libpng's defaults (level 6, the best of five filters for every row), for files about
    // a sixth larger.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_strategy(png, Z_RLE);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_STRIP_FILLER_AFTER, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WritePng(const std::string& path, const Frame& frame, std::string& error) {
    OutputFile file;
    if (!file.Open(path, error)) {
        return false;
    }
    // The frame is bottom row first; the PNG top row first.
    std::vector<png_bytep> rows;
    for (int y = frame.Height - 1; y >= 0; --y) {
        rows.push_back(const_cast<png_bytep>(&frame.Pixels[std::size_t(y) * frame.Width * 4u]));
    }
    PngError failure{};
    if (!EncodePng(file.Stream(), rows.data(), frame.Width, frame.Height, failure)) {
        error = file.Failed(failure);
        return false;
    }
    return file.Commit(error);
}

// ---- animated WebP -------------------------------------------------------------------------

bool AnimationWriter::Open(const std::string& path, int width, int height, int quality,
                           std::string& error) {
    // The file is made first, so that an unwritable path is known before any frame is run.
    if (!File.Open(path, error)) {
        return false;
    }
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options)) {
        error = File.Failed("libwebp's version does not match its header");
        return false;
    }
    options.anim_params.loop_count = 0; // forever
    options.anim_params.bgcolor = 0xFF000000;
    Encoder = WebPAnimEncoderNew(width, height, &options);
    if (!Encoder) {
        error = File.Failed("the animation encoder cannot start");
    }
    Quality = quality;
    return Encoder != nullptr;
}

bool AnimationWriter::Add(const Frame& frame, int ms, std::string& error) {
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPPictureInit(&picture)) {
        error = File.Failed("libwebp's version does not match its header");
        return false;
    }
    config.quality = static_cast<float>(Quality);
    config.method = 4;
    config.thread_level = 0; // one thread: the same bytes every run
    picture.use_argb = 1;
    picture.width = frame.Width;
    picture.height = frame.Height;
    // Bottom row first: import from the last row upward.
    const int stride = frame.Width * 4;
    const std::uint8_t* top =
        frame.Pixels.data() + static_cast<std::size_t>(frame.Height - 1) * stride;
    bool ok = WebPPictureImportRGBX(&picture, top, -stride) != 0;
    ok = ok && WebPAnimEncoderAdd(Encoder, &picture, ms, &config) != 0;
    WebPPictureFree(&picture);
    if (!ok) {
        error = File.Failed(WebPAnimEncoderGetError(Encoder));
    }
    return ok;
}

bool AnimationWriter::Finish(int endMs, std::string& error) {
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAdd(Encoder, nullptr, endMs, nullptr) ||
        !WebPAnimEncoderAssemble(Encoder, &data)) {
        error = File.Failed(WebPAnimEncoderGetError(Encoder));
        File.Abandon();
        return false;
    }
    const bool ok = File.Write(data.bytes, data.size, error) && File.Commit(error);
    WebPDataClear(&data);
    return ok;
}

} // namespace capture
