// The scene: the bitmap loader and textures, the flame and the spray, and the camera.
#include "game/DGame.h"

#include <string>

#include "engine/DEngine.h"
#include "game/DMessage.h"
#include "game/SceneSystems.h"
#include "gl/GL.h"
#include "platform/Win32.h"
#include "real/FloatEnv.h"

TFlame* Flame = nullptr;
TEmitter* Emitter = nullptr;

namespace {

const char* const LoaderCaption = "BMP Unit";

// A file opened for reading, closed on every way out of the loader.
class FileSource : public bmp::ByteSource {
  public:
    explicit FileSource(const char* name)
        : Handle(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr)) {}
    ~FileSource() override {
        if (IsOpen()) {
            CloseHandle(Handle);
        }
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool IsOpen() const { return Handle != INVALID_HANDLE_VALUE; }

    // One ReadFile per call; the decoder's pieces are far below the 32-bit limit.
    std::size_t Read(std::uint8_t* out, std::size_t count) override {
        DWORD read = 0;
        if (!ReadFile(Handle, out, static_cast<DWORD>(count), &read, nullptr)) {
            return 0;
        }
        return read;
    }

  private:
    HANDLE Handle;
};

} // namespace

std::vector<std::uint8_t> LoadBMP(const char* FileName, std::int32_t& Width, std::int32_t& Height) {
    bmp::Result image;
    {
        FileSource file(FileName);
        if (!file.IsOpen()) {
            ShowMessage((std::string("Error opening \"") + FileName).c_str(), LoaderCaption, MB_OK);
            return {};
        }
        image = bmp::Decode(file);
    }
    switch (image.Error) {
    case bmp::Failure::None:
        Width = image.Width;
        Height = image.Height;
        return std::move(image.Pixels);
    case bmp::Failure::Palette:
        ShowMessage("Error reading palette", LoaderCaption, MB_OK);
        break;
    case bmp::Failure::BitmapData:
        ShowMessage("Error reading bitmap data", LoaderCaption, MB_OK);
        break;
    case bmp::Failure::Memory:
        ShowMessage((std::string("Not enough memory for \"") + FileName + "\"").c_str(),
                    LoaderCaption, MB_OK);
        break;
    case bmp::Failure::Rejected:
        ShowMessage(
            (std::string("Unsupported bitmap \"") + FileName + "\": " + image.Reason + ".").c_str(),
            LoaderCaption, MB_OK);
        break;
    }
    return {};
}

std::uint32_t LoadTexture(const char* FileName) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::vector<std::uint8_t> pixels = LoadBMP(FileName, width, height);
    if (pixels.empty()) {
        ShowMessage((std::string("Unable to load ") + FileName).c_str(), "Loading Textures", MB_OK);
        // Nothing is torn down on purpose: the program ends inside start-up.
        ExitProcess(1);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return texture;
}

void InitScene() {
    const std::uint32_t emitterTexture = LoadTexture("DATA\\Textures\\particle.bmp");
    const std::uint32_t flameTexture = LoadTexture("DATA\\Textures\\particle1.bmp");
    Flame = new TFlame(MakeFlame(SceneFlame));
    Flame->SetTexture(flameTexture);
    Emitter = new TEmitter(MakeEmitter(SceneEmitter));
    Emitter->SetTexture(emitterTexture);
}

void RenderScene() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The configured screen size, not the client area: the picture keeps its proportions.
    const Real aspect = static_cast<Real>(ScreenWidth) / static_cast<Real>(ScreenHeight);
    gluPerspective(60.0, static_cast<double>(aspect), 1.0, 60.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(3.0, 3.0, 3.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT + GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);

    // A white marker at the origin, drawn with whatever state the systems left: their Render
    // restores everything but the texture binding and leaves the colour opaque white.
    glBegin(GL_POINTS);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();

    Emitter->Render();
    Flame->Render();
}

void UpdateScene() {
    Emitter->Update();
    Flame->Update();
}

void FreeScene() {
    glDeleteTextures(1, &Emitter->Texture);
    glDeleteTextures(1, &Flame->Texture);
    delete Emitter;
    Emitter = nullptr;
    delete Flame;
    Flame = nullptr;
}
