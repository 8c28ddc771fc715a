// The peer renderer: SDL2's 2-D renderer on its OpenGL backend, drawing the
// recorded frames as the game's replay does (the same textured, tinted,
// rotated quads, rectangles and ovals, in the same order, with the same
// premultiplied-alpha and additive blending, from the same PNG files).
// Built only when SDL2 is installed.
#pragma once

#include <map>
#include <string>

#include "tools/bench/draw_recording.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

// True when the benchmark was built with the peer.
bool SdlPeerAvailable();

class SdlPeer {
public:
    SdlPeer() = default;
    ~SdlPeer();
    SdlPeer(const SdlPeer&) = delete;
    SdlPeer& operator=(const SdlPeer&) = delete;

    // A w x h window with an accelerated "opengl" renderer, no vsync.
    bool Open(int width, int height);
    void Close();
    // Makes textures of every image file the recording uses.
    bool LoadTextures(const Recording& recording);
    // Draws one frame and presents it; waits for the GL work to finish.
    void DrawFrame(const Recording& recording, const RecordedFrame& frame);
    // Clears, presents and waits.
    void EmptyFrame();
    std::string RendererName() const;
    // Draws a frame and writes it as a binary PPM file.
    bool Screenshot(const Recording& recording, const RecordedFrame& frame, const std::string& path);

private:
    void MakeCurrent();
    void Draw(const Recording& recording, const RecordedFrame& frame);  // without presenting
    SDL_Texture* TextureFor(const std::string& file);

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    int width_ = 0, height_ = 0;
    std::map<std::string, SDL_Texture*> textures_;
    const void* context_ = nullptr;  // the renderer's GL context, once seen current
};
