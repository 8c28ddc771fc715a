// The floor for the browser's rendering figures: a minimal WebGL renderer of
// the benchmark's own that draws a recorded frame's draw list with one
// textured-quad batch per run of records on the same texture (rectangles and
// ovals as quads of a white texel), premultiplied or additive blending, and
// nothing else: no game logic, no state of the game's graphics module. What
// the game's renderer takes beyond it is the cost of its own path.
#pragma once

class c_MyApp;

class FloorRenderer {
public:
    // Compiles its program and makes its buffer; false without WebGL.
    bool Init();
    // Clears and draws the app's current draw list at the window size, with
    // the textures the game's images already have; leaves the bound texture
    // and the blending as it found them.
    void Draw(c_MyApp& app, int width, int height);

private:
    void Flush();

    unsigned program_ = 0;
    unsigned buffer_ = 0;
    unsigned white_ = 0;
    unsigned texture_ = 0;   // the batch's texture
    bool additive_ = false;  // the batch's blending
    int position_ = -1, coord_ = -1, colour_ = -1, screen_ = -1;
};
