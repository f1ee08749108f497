// The texture objects of OpenGL.cpp, under names of the module's own: each keeps its image and
// parameters, so that a lost context can be given them back (RebuildTextures).
//
// The program's names stay valid across a lost context, where WebGL's die with it: a name maps
// to WebGL's texture of the present context. Only names from glGenTextures can be bound (others
// are GL_INVALID_OPERATION); deleting a bound texture binds 0.
#include <cstring>

#include "platform/web/GLState.h"
#include "platform/web/OpenGL.h"

namespace webgl {
using namespace gl;
namespace {

Texture* Find(GLuint name) {
    for (Texture& t : S().textures) {
        if (t.name == name) {
            return &t;
        }
    }
    return nullptr;
}

void Upload(const Texture& t) {
    ::glTexImage2D(GL_TEXTURE_2D, 0, t.format == GL_RGB ? GL_RGB8 : GL_RGBA8, t.width, t.height, 0,
                   t.format, GL_UNSIGNED_BYTE, t.pixels.data());
    ::glGenerateMipmap(GL_TEXTURE_2D);
}

} // namespace

void gl::RebuildTextures() {
    State& s = S();
    for (Texture& t : s.textures) {
        ::glGenTextures(1, &t.webgl);
        ::glBindTexture(GL_TEXTURE_2D, t.webgl);
        if (t.format != 0) {
            Upload(t);
        }
        for (int i = 0; i < 4; ++i) {
            ::glTexParameteri(GL_TEXTURE_2D, TextureParameters[i], t.parameters[i]);
        }
    }
    const Texture* bound = Find(s.bound);
    ::glBindTexture(GL_TEXTURE_2D, bound ? bound->webgl : 0);
}

void glGenTextures(int n, unsigned* textures) {
    State& s = S();
    if (!Outside()) {
        return;
    }
    if (n < 0) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    for (int i = 0; i < n; ++i) {
        Texture t;
        t.name = s.nextTexture++;
        if (!s.lost) {
            ::glGenTextures(1, &t.webgl);
        }
        textures[i] = t.name;
        s.textures.push_back(std::move(t));
    }
}

void glDeleteTextures(int n, const unsigned* textures) {
    State& s = S();
    if (!Outside()) {
        return;
    }
    if (n < 0) {
        Fail(GL_INVALID_VALUE);
        return;
    }
    for (int i = 0; i < n; ++i) {
        Texture* t = Find(textures[i]);
        if (!t) {
            continue; // unused names are ignored, as OpenGL does
        }
        if (t->webgl != 0) {
            ::glDeleteTextures(1, &t->webgl);
        }
        if (s.bound == t->name) {
            s.bound = 0;
        }
        s.textures.erase(s.textures.begin() + (t - s.textures.data()));
    }
}

void glBindTexture(unsigned target, unsigned texture) {
    State& s = S();
    if (!Outside()) {
        return;
    }
    if (target != GL_TEXTURE_2D) {
        Fail(GL_INVALID_ENUM);
        return;
    }
    const Texture* t = Find(texture);
    if (texture != 0 && !t) {
        Fail(GL_INVALID_OPERATION);
        return;
    }
    s.bound = texture;
    ::glBindTexture(GL_TEXTURE_2D, t ? t->webgl : 0);
}

void glTexParameteri(unsigned target, unsigned pname, int param) {
    if (!Outside()) {
        return;
    }
    int index = 0;
    while (index < 4 && TextureParameters[index] != pname) {
        ++index;
    }
    if (target != GL_TEXTURE_2D || index == 4) {
        Fail(GL_INVALID_ENUM);
        return;
    }
    if (Texture* t = Find(S().bound)) {
        t->parameters[index] = param;
    }
    ::glTexParameteri(GL_TEXTURE_2D, pname, param);
}

bool TexImageWithMipmaps(unsigned target, int width, int height, unsigned format,
                         const void* pixels) {
    if (!Outside()) {
        return false;
    }
    Texture* t = Find(S().bound);
    if (target != GL_TEXTURE_2D || (format != GL_RGB && format != GL_RGBA) || !t) {
        return false;
    }
    // Rows are packed to 4 bytes, as the module's unpack alignment says.
    const std::size_t row =
        (static_cast<std::size_t>(width) * (format == GL_RGB ? 3 : 4) + 3) & ~3u;
    t->pixels.resize(row * static_cast<std::size_t>(height));
    std::memcpy(t->pixels.data(), pixels, t->pixels.size());
    t->format = format;
    t->width = width;
    t->height = height;
    Upload(*t);
    return true;
}

} // namespace webgl
