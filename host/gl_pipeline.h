// The GL calls with which the renderer draws its batches, supplied by the
// platform (host/platform.h): the fixed-function pipeline of OpenGL 1.x with
// client arrays in a GLFW window (host/glfw/gl_pipeline.cpp), a small shader
// program with buffers on WebGL (host/web/gl_pipeline.cpp). The renderer
// decides what goes in a batch and when it is drawn; both pipelines draw it
// to the same pixels. Showing the finished frame is the host's.
#pragma once

#include <cstdint>

// One batched vertex: position, texture coordinate and premultiplied colour
// (bytes R, G, B, A in memory order). The client arrays step 20 bytes.
struct gxtkVertex {
    float x;
    float y;
    float u;
    float v;
    uint32_t color;
};
static_assert(sizeof(gxtkVertex) == 20, "client arrays expect 20-byte vertices");

// The most vertices in one batch, and the quad indices that draw a full batch of quads.
constexpr int kGlBatchVertices = 1024;
constexpr int kGlQuadIndices = kGlBatchVertices / 4 * 6;

// Vertices per primitive of a quad batch; batches of fewer are drawn as they
// are, batches of more as triangle fans.
constexpr int kGlQuadVertices = 4;
// The GL mode that draws a batch of 1-, 2- or 3-vertex primitives as they are:
// GL_POINTS, GL_LINES, GL_TRIANGLES (the same numbers in OpenGL and WebGL).
constexpr unsigned kpGlArrayMode(int primType) { return primType == 1 ? 0x0000u : primType == 2 ? 0x0001u : 0x0004u; }
// The indices that draw `count` quad vertices as two triangles each.
constexpr int kpGlQuadIndexCount(int count) { return count / kGlQuadVertices * 6; }

// Starts a frame in a window of width x height pixels: viewport, a y-down
// projection of one unit per pixel, the vertex source, premultiplied alpha
// blending on and texturing off. `vertices` and `quadIndices` are the
// renderer's batch and quad index arrays, which live as long as it does.
void kpGlBeginFrame(int width, int height, const gxtkVertex* vertices, const uint16_t* quadIndices);
// Switches texturing of the batches that follow on or off; the texture is
// bound by its surface.
void kpGlSetTexturing(bool on);
// Draws `count` vertices of the batch as primitives of `primType` vertices
// each (1 points, 2 lines, 3 triangles, 4 quads through `quadIndices`, 5 and
// more triangle fans). `fanFirsts`/`fanCounts` are scratch arrays of at least
// count / primType entries. Returns the number of draw calls made.
int kpGlDrawBatch(int primType, const gxtkVertex* vertices, int count, const uint16_t* quadIndices,
                  int* fanFirsts, int* fanCounts);
// Reads a w x h rectangle whose lower left corner is (x, y) in GL window
// coordinates into `out`: rows bottom first, 4 bytes per pixel in the order
// B, G, R, A.
void kpGlReadPixelsBgra(int x, int y, int w, int h, unsigned char* out);
