#include "graphics/renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/misuse.h"
#include "graphics/surface.h"
#include "host/game_host.h"
#include "host/gl_pipeline.h"

namespace {

constexpr int kMinOvalSegments = 12;
constexpr float kTwoPi = 6.2831855f;  // 2 pi as a float
constexpr int kBlendAdditive = 1;
// Largest rectangle ReadPixels will stage in its temporary buffer.
constexpr long long kMaxReadPixels = 64LL * 1024 * 1024;

// Clamps to [0, hi]; NaN becomes 0, so no float-to-int conversion is ever out of range.
float Clamp(float v, float hi) { return v > 0 ? (v < hi ? v : hi) : 0.0f; }

bool HostHasContext() { return KpGame::_game && KpGame::_game->HasGraphicsContext(); }

}  // namespace

bool kpPixelRangeFits(int length, int w, int h, int offset, int pitch) {
    if (w < 1 || h < 1) return false;
    const long long first = offset;
    const long long last = first + static_cast<long long>(h - 1) * pitch;
    return std::min(first, last) >= 0 && std::max(first, last) + w <= length;
}

gxtkGraphics::gxtkGraphics() {
    if (KpGame::_game) KpGame::_game->WindowSize(&width, &height);
    for (int q = 0; q < kMaxQuads; ++q) {
        const uint16_t b = static_cast<uint16_t>(q * 4);
        uint16_t* out = quadIndices + q * 6;
        out[0] = b;
        out[1] = static_cast<uint16_t>(b + 1);
        out[2] = static_cast<uint16_t>(b + 2);
        out[3] = b;
        out[4] = static_cast<uint16_t>(b + 2);
        out[5] = static_cast<uint16_t>(b + 3);
    }
}

void gxtkGraphics::mark() { gc_mark_q(primSurf); }

// ---- frame ----

int gxtkGraphics::BeginRender() {
    if (!HostHasContext()) {
        inFrame_ = false;
        return 0;
    }
    KpGame::_game->WindowSize(&width, &height);
    kpGlBeginFrame(width, height, vertices, quadIndices);
    texturing_ = false;
    blendMode_ = 0;

    vertexCount = 0;
    stats_ = gxtkFrameStats();
    inFrame_ = true;
    return 1;
}

int gxtkGraphics::EndRender() {
    if (!inFrame_) {
        vertexCount = 0;
        return 0;
    }
    Flush();
    if (texturing_) kpGlSetTexturing(false);
    texturing_ = false;
    lastStats_ = stats_;
    inFrame_ = false;
    return 0;
}

// ---- batching ----

gxtkVertex* gxtkGraphics::Begin(int type, int count, gxtkSurface* surface) {
    if (type == primType && surface == primSurf && vertexCount + count <= kMaxVertices) {
        gxtkVertex* slot = vertices + vertexCount;
        vertexCount += count;
        return slot;
    }
    if (vertexCount) Flush();
    primType = type;
    gc_assign(primSurf, surface);
    vertexCount = count;
    return vertices;
}

void gxtkGraphics::Flush() {
    if (!vertexCount) return;
    if (!inFrame_) {
        vertexCount = 0;
        return;
    }
    // Texturing stays on from one textured batch to the next, and the
    // texture is bound again only when it changed (or another was bound).
    if (primSurf) {
        if (!texturing_) kpGlSetTexturing(true);
        texturing_ = true;
        ++stats_.textureBinds;
        if (!primSurf->IsBound()) {
            primSurf->Bind();
            ++stats_.textureSwitches;
        }
    } else if (texturing_) {
        kpGlSetTexturing(false);
        texturing_ = false;
    }
    stats_.drawCalls += kpGlDrawBatch(primType, vertices, vertexCount, quadIndices, fanFirsts_, fanCounts_);
    ++stats_.flushes;
    stats_.vertices += vertexCount;
    vertexCount = 0;
}

void gxtkGraphics::Put(gxtkVertex* v, float x, float y) {
    if (tformed) {
        v->x = ix * x + jx * y + tx;
        v->y = iy * x + jy * y + ty;
    } else {
        v->x = x;
        v->y = y;
    }
    v->color = color;
}

void gxtkGraphics::PutTextured(gxtkVertex* v, float x, float y, float u, float vv) {
    Put(v, x, y);
    v->u = u;
    v->v = vv;
}

bool gxtkGraphics::Drawing() const {
    if (!inFrame_) kpGraphicsMisuse("draw outside a render frame");
    return inFrame_;
}

bool gxtkGraphics::PrepareSurface(gxtkSurface* surface) {
    if (!surface) {
        kpGraphicsMisuse("draw of a null surface");
        return false;
    }
    // A surface first drawn in this window gets its texture now, so its
    // coordinate scales are known before its vertices are written.
    if (!surface->HasTexture()) surface->Bind();
    return true;
}

// ---- state ----

void gxtkGraphics::PackColor() {
    const float a = Clamp(alpha, 1.0f);
    const uint32_t r = static_cast<uint32_t>(Clamp(red, 255.0f) * a);
    const uint32_t g = static_cast<uint32_t>(Clamp(green, 255.0f) * a);
    const uint32_t b = static_cast<uint32_t>(Clamp(blue, 255.0f) * a);
    const uint32_t aa = static_cast<uint32_t>(255.0f * a);
    color = aa << 24 | b << 16 | g << 8 | r;
}

int gxtkGraphics::Cls(float r, float g, float b) {
    vertexCount = 0;
    if (!inFrame_) return 0;
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}

int gxtkGraphics::SetAlpha(float a) {
    alpha = a;
    PackColor();
    return 0;
}

int gxtkGraphics::SetColor(float r, float g, float b) {
    red = r;
    green = g;
    blue = b;
    PackColor();
    return 0;
}

int gxtkGraphics::SetBlend(int mode) {
    Flush();
    if (!inFrame_) return 0;
    blendMode_ = mode;
    if (mode == kBlendAdditive) {
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
    Flush();
    if (!inFrame_) return 0;
    scissoring_ = !(x == 0 && y == 0 && w == Width() && h == Height());
    if (!scissoring_) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        const long long bottom = static_cast<long long>(Height()) - y - h;  // GL counts rows from the bottom
        glScissor(x, static_cast<int>(std::clamp<long long>(bottom, INT_MIN, INT_MAX)), std::max(w, 0), std::max(h, 0));
    }
    return 0;
}

int gxtkGraphics::SetMatrix(float nix, float niy, float njx, float njy, float ntx, float nty) {
    ix = nix;
    iy = niy;
    jx = njx;
    jy = njy;
    tx = ntx;
    ty = nty;
    tformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
    return 0;
}

// ---- primitives ----

int gxtkGraphics::DrawPoint(float x, float y) {
    if (!Drawing()) return 0;
    Put(Begin(1, 1, nullptr), x, y);
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    if (!Drawing()) return 0;
    gxtkVertex* v = Begin(2, 2, nullptr);
    Put(v, x1, y1);
    Put(v + 1, x2, y2);
    return 0;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
    if (!Drawing()) return 0;
    if (CoversWindowOpaquely(x, y, w, h)) {
        // Under alpha blending an opaque rectangle leaves exactly its own
        // colour in every pixel it covers, whatever lay below: over the whole
        // window that is a clear with the packed colour, which costs the GL
        // far less than blending every pixel. What is batched would be
        // covered, so it is dropped.
        vertexCount = 0;
        glClearColor(static_cast<float>(color & 0xff) / 255.0f, static_cast<float>((color >> 8) & 0xff) / 255.0f,
                     static_cast<float>((color >> 16) & 0xff) / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ++stats_.clears;
        return 0;
    }
    if (OutsideWindow(x, y, x + w, y + h)) return 0;
    gxtkVertex* v = Begin(4, 4, nullptr);
    Put(v, x, y);
    Put(v + 1, x + w, y);
    Put(v + 2, x + w, y + h);
    Put(v + 3, x, y + h);
    return 0;
}

bool gxtkGraphics::CoversWindowOpaquely(float x, float y, float w, float h) const {
    constexpr uint32_t kOpaque = 0xffu << 24;
    // Comparisons are written so that NaN never passes.
    return !tformed && blendMode_ != kBlendAdditive && !scissoring_ && (color & 0xff000000u) == kOpaque &&
           x <= 0 && y <= 0 && x + w >= static_cast<float>(width) && y + h >= static_cast<float>(height);
}

bool gxtkGraphics::OutsideWindow(float x0, float y0, float x1, float y1) {
    float xs[4] = {x0, x1, x1, x0};
    float ys[4] = {y0, y0, y1, y1};
    if (tformed) {
        for (int k = 0; k < 4; ++k) {
            const float x = xs[k];
            xs[k] = ix * x + jx * ys[k] + tx;
            ys[k] = iy * x + jy * ys[k] + ty;
        }
    }
    // Wholly left, right, above or below the window: it covers no pixel. NaN never passes.
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const bool outside = (xs[0] <= 0 && xs[1] <= 0 && xs[2] <= 0 && xs[3] <= 0) ||
                         (xs[0] >= w && xs[1] >= w && xs[2] >= w && xs[3] >= w) ||
                         (ys[0] <= 0 && ys[1] <= 0 && ys[2] <= 0 && ys[3] <= 0) ||
                         (ys[0] >= h && ys[1] >= h && ys[2] >= h && ys[3] >= h);
    if (outside) ++stats_.culled;
    return outside;
}

int gxtkGraphics::OvalSegments(float w, float h) const {
    const float xr = w * 0.5f;
    const float yr = h * 0.5f;
    float n = 0;
    if (tformed) {
        n = std::trunc(std::sqrt((xr * ix) * (xr * ix) + (xr * iy) * (xr * iy)) +
                       std::sqrt((yr * jx) * (yr * jx) + (yr * jy) * (yr * jy)));
    } else {
        n = std::fabs(std::trunc(xr)) + std::fabs(std::trunc(yr));
    }
    // Comparisons are written so that NaN and infinity land on a bound.
    if (!(n >= kMinOvalSegments)) return kMinOvalSegments;
    if (!(n <= kMaxVertices)) return kMaxVertices;
    return static_cast<int>(n) & ~3;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
    if (!Drawing()) return 0;
    const float xr = w * 0.5f;
    const float yr = h * 0.5f;
    const int n = OvalSegments(w, h);
    gxtkVertex* v = Begin(n, n, nullptr);
    for (int i = 0; i < n; ++i) {
        const float th = i * kTwoPi / n;
        Put(v + i, x + xr + xr * std::cos(th), y + yr - yr * std::sin(th));
    }
    return 0;
}

int gxtkGraphics::DrawPoly(Array<float> verts) {
    if (!Drawing()) return 0;
    const int n = verts.Length() / 2;
    if (n < 1 || n > kMaxVertices) return 0;
    const float* in = verts.Data();
    gxtkVertex* v = Begin(n, n, nullptr);
    for (int i = 0; i < n; ++i) Put(v + i, in[i * 2], in[i * 2 + 1]);
    return 0;
}

int gxtkGraphics::DrawPoly2(Array<float> verts, gxtkSurface* surface, int srcx, int srcy) {
    if (!Drawing()) return 0;
    const int n = verts.Length() / 4;
    if (n < 1 || n > kMaxVertices || !PrepareSurface(surface)) return 0;
    const float* in = verts.Data();
    const float us = surface->uscale;
    const float vs = surface->vscale;
    gxtkVertex* v = Begin(n, n, surface);
    for (int i = 0; i < n; ++i) {
        const float* q = in + i * 4;
        PutTextured(v + i, q[0], q[1], (q[2] + srcx) * us, (q[3] + srcy) * vs);
    }
    return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
    if (!Drawing() || !PrepareSurface(surface)) return 0;
    const float w = static_cast<float>(surface->Width());
    const float h = static_cast<float>(surface->Height());
    if (OutsideWindow(x, y, x + w, y + h)) return 0;
    const float u1 = w * surface->uscale;
    const float v1 = h * surface->vscale;
    gxtkVertex* v = Begin(4, 4, surface);
    PutTextured(v, x, y, 0, 0);
    PutTextured(v + 1, x + w, y, u1, 0);
    PutTextured(v + 2, x + w, y + h, u1, v1);
    PutTextured(v + 3, x, y + h, 0, v1);
    return 0;
}

int gxtkGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw, int srch) {
    if (!Drawing() || !PrepareSurface(surface)) return 0;
    if (OutsideWindow(x, y, x + srcw, y + srch)) return 0;
    const float us = surface->uscale;
    const float vs = surface->vscale;
    const float u0 = srcx * us;
    const float u1 = (srcx + srcw) * us;
    const float v0 = srcy * vs;
    const float v1 = (srcy + srch) * vs;
    gxtkVertex* v = Begin(4, 4, surface);
    PutTextured(v, x, y, u0, v0);
    PutTextured(v + 1, x + srcw, y, u1, v0);
    PutTextured(v + 2, x + srcw, y + srch, u1, v1);
    PutTextured(v + 3, x, y + srch, u0, v1);
    return 0;
}

// ---- pixels ----

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    Flush();
    if (!inFrame_ || w < 1 || h < 1) return 0;
    if (!kpPixelRangeFits(pixels.Length(), w, h, offset, pitch) ||
        static_cast<long long>(w) * h > kMaxReadPixels) {
        kpGraphicsMisuse("ReadPixels: pixel array too small for the rectangle");
        return 0;
    }
    const size_t rowBytes = size_t(w) * 4;
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(rowBytes * size_t(h)));
    if (!buffer) return 0;
    const long long bottom = static_cast<long long>(height) - y - h;
    kpGlReadPixelsBgra(x, static_cast<int>(std::clamp<long long>(bottom, INT_MIN, INT_MAX)), w, h, buffer);
    int* out = pixels.Data();
    for (int r = 0; r < h; ++r) {
        std::memcpy(out + offset + static_cast<long long>(r) * pitch, buffer + size_t(h - 1 - r) * rowBytes,
                    rowBytes);
    }
    std::free(buffer);
    return 0;
}

int gxtkGraphics::WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h, int offset,
                               int pitch) {
    Flush();
    if (!surface || w < 1 || h < 1) return 0;
    if (!kpPixelRangeFits(pixels.Length(), w, h, offset, pitch)) {
        kpGraphicsMisuse("WritePixels2: pixel array too small for the rectangle");
        return 0;
    }
    surface->SetSubData(x, y, w, h, reinterpret_cast<const unsigned int*>(pixels.Data()) + offset, pitch);
    return 0;
}
