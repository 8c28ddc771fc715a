// The 2-D OpenGL 1.x renderer: every primitive is transformed and coloured on
// the CPU and appended to one client-side vertex batch, which is drawn only
// when the next primitive cannot join it or when drawing state changes.
#pragma once

#include <cstdint>

#include "host/gl_pipeline.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

class gxtkSurface;

// What the renderer sent to GL during one frame.
struct gxtkFrameStats {
    int drawCalls = 0;     // glDrawArrays / glDrawElements calls
    int vertices = 0;      // vertices drawn
    int flushes = 0;       // batches drawn
    int textureBinds = 0;     // textured batches, each needing its surface's texture
    int textureSwitches = 0;  // of those, the ones whose texture was not bound already
    int clears = 0;        // window-covering opaque rectangles drawn as a clear
    int culled = 0;        // rectangles and surface quads wholly outside the window, not drawn
};

// The renderer. One instance lives for the whole program.
class gxtkGraphics : public Object {
public:
    static constexpr int kMaxVertices = kGlBatchVertices;
    static constexpr int kMaxQuads = kMaxVertices / 4;
    static constexpr int kQuadIndexCount = kGlQuadIndices;

    gxtkGraphics();

    virtual int Width() { return width; }
    virtual int Height() { return height; }
    // Starts a frame: viewport, y-down projection, client arrays, blending.
    // Returns 1, or 0 without any GL call when the host has no GL context.
    virtual int BeginRender();
    virtual int EndRender();  // draws what is batched; the host shows the frame
    virtual int DiscardGraphics() { return 0; }

    // Surfaces (defined with gxtkSurface).
    virtual gxtkSurface* LoadSurface(const String& path);
    virtual gxtkSurface* LoadSurface__UNSAFE__(gxtkSurface* surface, const String& path);
    virtual gxtkSurface* CreateSurface(int width, int height);

    // State. Colour and alpha are clamped to 0-255 and 0-1 when packed.
    virtual int Cls(float r, float g, float b);  // drops the batch and clears the window
    virtual int SetAlpha(float alpha);
    virtual int SetColor(float r, float g, float b);
    virtual int SetBlend(int mode);                       // 1 additive, else premultiplied alpha
    virtual int SetScissor(int x, int y, int w, int h);   // the whole window turns scissoring off
    virtual int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);

    // Primitives.
    virtual int DrawPoint(float x, float y);
    virtual int DrawRect(float x, float y, float w, float h);
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    virtual int DrawOval(float x, float y, float w, float h);
    virtual int DrawPoly(Array<float> verts);  // x, y pairs
    virtual int DrawPoly2(Array<float> verts, gxtkSurface* surface, int srcx, int srcy);  // x, y, s, t
    virtual int DrawSurface(gxtkSurface* surface, float x, float y);
    virtual int DrawSurface2(gxtkSurface* surface, float x, float y, int srcx, int srcy, int srcw, int srch);

    // Pixels: window pixels as 0xAARRGGBB, top row first; surface pixels from ints.
    virtual int ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch);
    virtual int WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h, int offset,
                             int pitch);

    // Frame statistics: the last completed frame, and the one being drawn.
    const gxtkFrameStats& LastFrameStats() const { return lastStats_; }
    const gxtkFrameStats& CurrentFrameStats() const { return stats_; }
    int BatchedVertices() const { return vertexCount; }
    // Vertex count DrawOval uses for a bounding box of w x h under the current matrix.
    int OvalSegments(float w, float h) const;

    void mark() override;

    int width = 0;
    int height = 0;
    uint32_t color = 0;
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 0;
    float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
    bool tformed = false;
    gxtkVertex vertices[kMaxVertices] = {};
    uint16_t quadIndices[kQuadIndexCount] = {};
    int primType = 0;
    int vertexCount = 0;
    gxtkSurface* primSurf = nullptr;

private:
    // Returns room for `count` vertices of kind `type` and texture `surface`,
    // flushing first when they cannot join the batch.
    gxtkVertex* Begin(int type, int count, gxtkSurface* surface);
    void Flush();
    void PackColor();
    void Put(gxtkVertex* v, float x, float y);
    void PutTextured(gxtkVertex* v, float x, float y, float u, float vv);
    // Makes sure the surface has its texture (and so its coordinate scales) before its vertices are written.
    bool PrepareSurface(gxtkSurface* surface);
    // True inside a frame; a draw outside one is ignored (and reported in a debug build).
    bool Drawing() const;
    // True when a rectangle drawn now would cover every pixel of the window with an opaque colour under alpha blending.
    bool CoversWindowOpaquely(float x, float y, float w, float h) const;
    // True (and counted) when the rectangle (x0, y0)-(x1, y1) under the matrix lies wholly outside the window.
    bool OutsideWindow(float x0, float y0, float x1, float y1);

    bool inFrame_ = false;  // between a successful BeginRender and EndRender
    // GL state of the frame, so that unchanged state is not sent again.
    bool texturing_ = false;             // GL_TEXTURE_2D enabled
    int blendMode_ = 0;                  // last SetBlend mode
    bool scissoring_ = false;            // GL_SCISSOR_TEST enabled by SetScissor
    // Starts and lengths of the polygons of a batch, for drawing them in one call.
    int fanFirsts_[kMaxVertices] = {};
    int fanCounts_[kMaxVertices] = {};
    gxtkFrameStats stats_;
    gxtkFrameStats lastStats_;
};

// Checks that offset + (h-1)*pitch + w (and every row start) stays inside an
// array of `length` elements; true when a w x h transfer is safe.
bool kpPixelRangeFits(int length, int w, int h, int offset, int pitch);
