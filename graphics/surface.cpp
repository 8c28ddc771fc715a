#include "graphics/surface.h"

#include <GL/gl.h>
#include <GL/glext.h>  // GL_CLAMP_TO_EDGE where gl.h stops at OpenGL 1.1

#include <cstdlib>
#include <vector>

#include "graphics/image_data.h"
#include "graphics/misuse.h"
#include "graphics/renderer.h"
#include "host/game_host.h"

namespace {

constexpr int kMaxGlErrorsDrained = 16;

int FormatForDepth(int depth) {
    switch (depth) {
        case 1: return GL_LUMINANCE;
        case 2: return GL_LUMINANCE_ALPHA;
        case 3: return GL_RGB;
        case 4: return GL_RGBA;
        default: return 0;
    }
}

int PowerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

// GL may be called only while the host has a current context.
bool ContextCurrent() { return KpGame::_game && KpGame::_game->HasGraphicsContext(); }

// The texture bound in the window of kpGraphicsSeq `boundSeq`. Every bind
// and delete of a texture goes through this file, so the renderer can skip
// binding the texture that is bound already.
unsigned int boundTexture = 0;
int boundSeq = -1;

void BindTexture(unsigned int texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    boundTexture = texture;
    boundSeq = kpGraphicsSeq;
}

}  // namespace

gxtkSurface::~gxtkSurface() { Discard(); }

bool gxtkSurface::HasTexture() const { return seq == kpGraphicsSeq && seq > 0; }

bool gxtkSurface::IsBound() const { return HasTexture() && boundSeq == seq && boundTexture == texture; }

void gxtkSurface::ReleaseTexture() {
    // A texture of an earlier window died with its context: nothing to delete.
    if (HasTexture() && ContextCurrent()) {
        if (IsBound()) boundTexture = 0;  // deleting the bound texture binds 0
        glDeleteTextures(1, &texture);
    }
    seq = -1;
}

int gxtkSurface::Discard() {
    ReleaseTexture();
    std::free(data);
    data = nullptr;
    return 0;
}

bool gxtkSurface::OnUnsafeLoadComplete() {
    Bind();
    return true;
}

void gxtkSurface::SetData(unsigned char* pixels, int w, int h, int d) {
    if (data != pixels) std::free(data);
    data = pixels;
    width = w;
    height = h;
    depth = d;
    format = FormatForDepth(d);
    if (!data || w < 1 || h < 1) return;
    const size_t count = size_t(w) * size_t(h);
    if (d == 2) {
        for (size_t i = 0; i < count; ++i) {
            unsigned char* p = data + i * 2;
            p[0] = static_cast<unsigned char>(p[0] * p[1] / 255);
        }
    } else if (d == 4) {
        for (size_t i = 0; i < count; ++i) {
            unsigned char* p = data + i * 4;
            const int a = p[3];
            p[0] = static_cast<unsigned char>(p[0] * a / 255);
            p[1] = static_cast<unsigned char>(p[1] * a / 255);
            p[2] = static_cast<unsigned char>(p[2] * a / 255);
        }
    }
}

void gxtkSurface::SetSubData(int x, int y, int w, int h, const unsigned int* src, int pitch) {
    if (format != GL_RGBA) return;
    if (w < 1 || h < 1) return;
    if (x < 0 || y < 0 || w > width - x || h > height - y || !src) {
        kpGraphicsMisuse("SetSubData: rectangle outside the surface");
        return;
    }
    if (!data) {
        data = static_cast<unsigned char*>(std::calloc(size_t(width) * size_t(height), 4));
        if (!data) return;
    }
    for (int r = 0; r < h; ++r) {
        const unsigned int* row = src + ptrdiff_t(r) * pitch;
        unsigned char* out = data + (size_t(y + r) * size_t(width) + size_t(x)) * 4;
        for (int c = 0; c < w; ++c, out += 4) {
            const unsigned int p = row[c];
            const unsigned int a = p >> 24;
            out[0] = static_cast<unsigned char>(((p >> 16) & 0xff) * a / 255);
            out[1] = static_cast<unsigned char>(((p >> 8) & 0xff) * a / 255);
            out[2] = static_cast<unsigned char>((p & 0xff) * a / 255);
            out[3] = static_cast<unsigned char>(a);
        }
    }
    if (!HasTexture() || !ContextCurrent()) return;  // the next texture creation picks the pixels up
    BindTexture(texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const unsigned char* first = data + (size_t(y) * size_t(width) + size_t(x)) * 4;
    if (w == width) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, first);
    } else {
        for (int r = 0; r < h; ++r) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, x, y + r, w, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                            first + size_t(r) * size_t(width) * 4);
        }
    }
}

void gxtkSurface::Bind() {
    if (kpGraphicsSeq == 0 || !ContextCurrent()) return;
    if (seq == kpGraphicsSeq) {
        BindTexture(texture);
        return;
    }
    CreateTexture();
}

void gxtkSurface::CreateTexture() {
    if (format == 0 || width < 1 || height < 1) {
        kpGraphicsMisuse("Bind: surface without a valid size or depth");
        return;
    }
    seq = kpGraphicsSeq;
    glGenTextures(1, &texture);
    BindTexture(texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    // Drop errors left by earlier calls so that only this allocation is judged.
    for (int i = 0; i < kMaxGlErrorsDrained && glGetError() != GL_NO_ERROR; ++i) {
    }
    int texWidth = width;
    int texHeight = height;
    glTexImage2D(GL_TEXTURE_2D, 0, format, texWidth, texHeight, 0, format, GL_UNSIGNED_BYTE, nullptr);
    if (glGetError() != GL_NO_ERROR) {
        // The only probe for non-power-of-two support: retry at power-of-two size.
        texWidth = PowerOfTwoAtLeast(width);
        texHeight = PowerOfTwoAtLeast(height);
        glTexImage2D(GL_TEXTURE_2D, 0, format, texWidth, texHeight, 0, format, GL_UNSIGNED_BYTE, nullptr);
    }
    uscale = 1.0f / texWidth;
    vscale = 1.0f / texHeight;
    if (data) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
    }
}

// ---- surface factories of the renderer ----

gxtkSurface* gxtkGraphics::LoadSurface(const String& path) {
    gxtkSurface* surface = new gxtkSurface();
    if (!LoadSurface__UNSAFE__(surface, path)) return nullptr;  // the collector reclaims it
    surface->Bind();
    return surface;
}

gxtkSurface* gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, const String& path) {
    if (!surface || !KpGame::_game) return nullptr;
    std::vector<unsigned char> bytes;
    if (!KpGame::_game->LoadFileBytes(path, kMaxImageFileBytes, &bytes)) return nullptr;
    int w = 0;
    int h = 0;
    int d = 0;
    unsigned char* pixels = kpDecodeImage(bytes.data(), bytes.size(), &w, &h, &d);
    if (!pixels) return nullptr;
    surface->SetData(pixels, w, h, d);
    surface->path = path;
    return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
    if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) {
        kpGraphicsMisuse("CreateSurface: size out of range");
        return nullptr;
    }
    gxtkSurface* surface = new gxtkSurface();
    surface->SetData(nullptr, w, h, 4);
    surface->Bind();
    return surface;
}
