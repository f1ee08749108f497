// The scene. (Placeholder until the particle systems and textures are in: clears the screen.)
#include "game/DGame.h"

#include "gl/GL.h"

void InitScene() {}

void RenderScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT + GL_DEPTH_BUFFER_BIT);
}

void UpdateScene() {}

void FreeScene() {}
