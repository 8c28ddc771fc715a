#include "tools/bench/sdl_peer.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <SDL.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr float kDegToRad = 0.0174532924f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kAdditive = 3.0f;
constexpr int kMinOvalSegments = 12;
constexpr int kMaxOvalSegments = 1024;

// The renderer's colour packing: components clamped, premultiplied by alpha, truncated.
SDL_Color Premultiplied(float r, float g, float b, float a) {
    auto clamp = [](float v, float hi) { return v > 0 ? (v < hi ? v : hi) : 0.0f; };
    const float al = clamp(a, 1.0f);
    SDL_Color c;
    c.r = static_cast<Uint8>(clamp(r, 255.0f) * al);
    c.g = static_cast<Uint8>(clamp(g, 255.0f) * al);
    c.b = static_cast<Uint8>(clamp(b, 255.0f) * al);
    c.a = static_cast<Uint8>(255.0f * al);
    return c;
}

// The segment count the renderer gives an untransformed oval.
int OvalSegments(float xr, float yr) {
    const float n = std::fabs(std::trunc(xr)) + std::fabs(std::trunc(yr));
    if (!(n >= kMinOvalSegments)) return kMinOvalSegments;
    if (!(n <= kMaxOvalSegments)) return kMaxOvalSegments;
    return static_cast<int>(n) & ~3;
}

SDL_BlendMode PremultipliedBlend() {
    return SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD,
                                      SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD);
}

SDL_BlendMode AdditiveBlend() {
    return SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD,
                                      SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD);
}

}  // namespace

bool SdlPeerAvailable() { return true; }

SdlPeer::~SdlPeer() { Close(); }

bool SdlPeer::Open(int width, int height) {
    Close();
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return false;
    }
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    // Naming a driver turns SDL's command batching off unless asked for; the
    // peer should run as fast as SDL can.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    window_ = SDL_CreateWindow("Glimmer peer", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                               SDL_WINDOW_OPENGL);
    if (!window_) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return false;
    }
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer_) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        Close();
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

void SdlPeer::Close() {
    for (auto& entry : textures_) SDL_DestroyTexture(entry.second);
    textures_.clear();
    if (renderer_) SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    context_ = nullptr;
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
}

std::string SdlPeer::RendererName() const {
    SDL_RendererInfo info{};
    if (!renderer_ || SDL_GetRendererInfo(renderer_, &info) != 0) return "none";
    return info.name;
}

SDL_Texture* SdlPeer::TextureFor(const std::string& file) {
    auto it = textures_.find(file);
    if (it != textures_.end()) return it->second;
    SDL_Texture* texture = nullptr;
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = file.empty() ? nullptr : stbi_load(file.c_str(), &w, &h, &channels, 4);
    if (pixels) {
        // Premultiplied, as the game's surfaces keep their pixels.
        for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
            unsigned char* p = pixels + i * 4;
            const int a = p[3];
            p[0] = static_cast<unsigned char>(p[0] * a / 255);
            p[1] = static_cast<unsigned char>(p[1] * a / 255);
            p[2] = static_cast<unsigned char>(p[2] * a / 255);
        }
        texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, w, h);
        if (texture) {
            SDL_UpdateTexture(texture, nullptr, pixels, w * 4);
            SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
            SDL_SetTextureBlendMode(texture, PremultipliedBlend());
        }
        stbi_image_free(pixels);
    }
    textures_[file] = texture;
    return texture;
}

bool SdlPeer::LoadTextures(const Recording& recording) {
    MakeCurrent();
    bool all = true;
    for (const RecordedImage& image : recording.images) {
        if (image.present && !TextureFor(image.file)) all = false;
    }
    return all;
}

void SdlPeer::MakeCurrent() {
    // SDL keeps its own note of the current context and skips making it
    // current when the note says so; another library (the game's window)
    // may have changed it since. Dropping the note makes the renderer take
    // its context again at its next call.
    if (context_ && glXGetCurrentContext() == context_) return;
    SDL_GL_MakeCurrent(window_, nullptr);
}

bool SdlPeer::Screenshot(const Recording& recording, const RecordedFrame& frame, const std::string& path) {
    Draw(recording, frame);
    std::vector<unsigned char> rgb(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3);
    const int pitch = width_ * 3;
    const bool read = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB24, rgb.data(), pitch) == 0;
    SDL_RenderPresent(renderer_);
    context_ = glXGetCurrentContext();
    if (!read) return false;
    // Rows come top first; the writer takes them as GL reads them, bottom first.
    std::vector<unsigned char> flipped(rgb.size());
    for (int y = 0; y < height_; ++y) {
        std::copy(rgb.begin() + static_cast<long>(y) * pitch, rgb.begin() + static_cast<long>(y + 1) * pitch,
                  flipped.begin() + static_cast<long>(height_ - 1 - y) * pitch);
    }
    return WritePpm(path, width_, height_, flipped);
}

void SdlPeer::DrawFrame(const Recording& rec, const RecordedFrame& frame) {
    Draw(rec, frame);
    SDL_RenderPresent(renderer_);
    glFinish();  // the peer's context is current after the present
    context_ = glXGetCurrentContext();
}

void SdlPeer::Draw(const Recording& rec, const RecordedFrame& frame) {
    MakeCurrent();
    const SDL_BlendMode premultiplied = PremultipliedBlend();
    const SDL_BlendMode additive = AdditiveBlend();
    // The window's clear: one rectangle of the clear colour over the whole window.
    const SDL_Color cls = Premultiplied(frame.cls[0], frame.cls[1], frame.cls[2], frame.cls[3]);
    SDL_SetRenderDrawBlendMode(renderer_, premultiplied);
    SDL_SetRenderDrawColor(renderer_, cls.r, cls.g, cls.b, cls.a);
    const SDL_FRect whole = {-1.0f, -1.0f, static_cast<float>(width_ + 2), static_cast<float>(height_ + 2)};
    SDL_RenderFillRectF(renderer_, &whole);

    std::vector<SDL_Vertex> fan;
    std::vector<int> fanIndices;
    const std::vector<float>& list = frame.records;
    for (size_t i = 0; i + kDrawRecordFloats <= list.size(); i += kDrawRecordFloats) {
        const float* r = list.data() + i;
        const SDL_Color colour = Premultiplied(r[10], r[11], r[12], r[7]);
        const SDL_BlendMode blend = r[13] == kAdditive ? additive : premultiplied;
        const float x = r[1] * rec.scaleX;
        const float y = r[2] * rec.scaleY;
        const float kind = r[0];
        if (kind == kDrawRect) {
            SDL_SetRenderDrawBlendMode(renderer_, blend);
            SDL_SetRenderDrawColor(renderer_, colour.r, colour.g, colour.b, colour.a);
            const SDL_FRect box = {x, y, r[4] * rec.scaleX, r[5] * rec.scaleY};
            SDL_RenderFillRectF(renderer_, &box);
        } else if (kind == kDrawOval) {
            const float xr = r[4] * rec.scaleX;
            const float yr = r[5] * rec.scaleY;
            const int n = OvalSegments(xr, yr);
            fan.resize(static_cast<size_t>(n));
            for (int k = 0; k < n; ++k) {
                const float th = k * kTwoPi / n;
                fan[k].position = {x + xr * std::cos(th), y - yr * std::sin(th)};
                fan[k].color = colour;
                fan[k].tex_coord = {0, 0};
            }
            fanIndices.clear();
            for (int k = 1; k + 1 < n; ++k) fanIndices.insert(fanIndices.end(), {0, k, k + 1});
            SDL_SetRenderDrawBlendMode(renderer_, blend);
            SDL_RenderGeometry(renderer_, nullptr, fan.data(), n, fanIndices.data(),
                               static_cast<int>(fanIndices.size()));
        } else if (kind > -1.0f && kind < static_cast<float>(rec.images.size())) {
            const RecordedImage& image = rec.images[static_cast<size_t>(kind)];
            const int f = static_cast<int>(r[6]);
            if (!image.present || f < 0 || 2 * f + 1 >= static_cast<int>(image.frameXY.size())) continue;
            SDL_Texture* texture = TextureFor(image.file);
            if (!texture) continue;
            // The matrix the graphics module builds: translate, rotate, scale, minus the handle.
            const float sx = r[4] * rec.scaleX * rec.hdScale;
            const float sy = r[5] * rec.scaleY * rec.hdScale;
            const float theta = r[3] * kDegToRad;
            const float c = static_cast<float>(std::cos(static_cast<double>(theta)));
            const float s = static_cast<float>(std::sin(static_cast<double>(theta)));
            const float ix = c * sx, iy = -s * sx, jx = s * sy, jy = c * sy;
            const float tx = x - ix * image.handleX - jx * image.handleY;
            const float ty = y - iy * image.handleX - jy * image.handleY;
            float w = static_cast<float>(image.width), h = static_cast<float>(image.height);
            float u0 = 0, v0 = 0;
            if (image.fullFrame) {
                w = static_cast<float>(image.surfaceWidth);
                h = static_cast<float>(image.surfaceHeight);
            } else {
                u0 = static_cast<float>(image.frameXY[2 * f]);
                v0 = static_cast<float>(image.frameXY[2 * f + 1]);
            }
            const float us = 1.0f / image.surfaceWidth, vs = 1.0f / image.surfaceHeight;
            const float corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
            SDL_Vertex quad[4];
            for (int k = 0; k < 4; ++k) {
                const float px = corners[k][0], py = corners[k][1];
                quad[k].position = {ix * px + jx * py + tx, iy * px + jy * py + ty};
                quad[k].color = colour;
                quad[k].tex_coord = {(u0 + px) * us, (v0 + py) * vs};
            }
            static const int kQuadIndices[6] = {0, 1, 2, 0, 2, 3};
            SDL_SetTextureBlendMode(texture, blend);
            SDL_RenderGeometry(renderer_, texture, quad, 4, kQuadIndices, 6);
        }
    }
}

void SdlPeer::EmptyFrame() {
    MakeCurrent();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    glFinish();
    context_ = glXGetCurrentContext();
}
