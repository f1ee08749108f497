// The scene: the two particle textures, the flame and the spray, and the camera.
#pragma once

#include <cstdint>

// Loads the textures and creates the particle systems. Ends the program (exit code 1) when a
// texture cannot be loaded.
void InitScene();
// Draws one frame into the back buffer: camera, clear, origin marker, emitter, flame.
void RenderScene();
// Advances both particle systems by one simulation tick.
void UpdateScene();
// Deletes both textures and destroys both particle systems.
void FreeScene();
