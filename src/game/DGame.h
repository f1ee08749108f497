// The scene: the bitmap loader and textures, the flame and the spray, and the camera.
#pragma once

#include <cstdint>
#include <vector>

#include "game/BmpDecode.h"
#include "particles/DEmitter.h"
#include "particles/DFlame.h"

// The two particle systems: created by InitScene, destroyed by FreeScene, null otherwise.
extern TFlame* Flame;
extern TEmitter* Emitter;

// Reads a 24-bit BMP file into red-green-blue pixels, bottom row first, and sets Width and
// Height. On failure the user has been told in a message box (caption "BMP Unit") and the result
// is empty; an image that loads is never empty.
std::vector<std::uint8_t> LoadBMP(const char* FileName, std::int32_t& Width, std::int32_t& Height);

// Makes a mipmapped texture of a BMP file and returns its name; needs a current OpenGL context.
// When the file cannot be loaded it says so and ends the program with exit code 1, at once.
std::uint32_t LoadTexture(const char* FileName);

// Loads the textures and creates the particle systems. Ends the program (exit code 1) when a
// texture cannot be loaded.
void InitScene();
// Draws one frame into the back buffer: camera, clear, origin marker, emitter, flame.
void RenderScene();
// Advances both particle systems by one simulation tick.
void UpdateScene();
// Deletes both textures and destroys both particle systems.
void FreeScene();
