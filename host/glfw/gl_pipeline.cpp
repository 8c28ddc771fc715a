// The renderer's batches on OpenGL 1.x in a GLFW window: client arrays point
// into the batch, the fixed-function matrices hold only the window's
// orthographic projection. The host shows each frame (KpGlfwGame::RenderGame).
#include "host/gl_pipeline.h"

#include <GL/gl.h>
#include <GL/glext.h>  // OpenGL 1.2 and later names where gl.h stops at 1.1 (Windows)
#include <GLFW/glfw3.h>

#include "host/game_host.h"

namespace {

#ifndef APIENTRY
#define APIENTRY
#endif
using MultiDrawArrays = void(APIENTRY*)(GLenum, const GLint*, const GLsizei*, GLsizei);

// glMultiDrawArrays (OpenGL 1.4). Windows' OpenGL library exports only 1.1,
// so the entry point is asked of the context, once per window (entry points
// belong to a context); where the context lacks it, each fan is drawn by
// itself, which gives the same pixels.
void DrawFans(const GLint* firsts, const GLsizei* counts, GLsizei drawCount) {
    static int lookedUpFor = -1;
    static MultiDrawArrays multiDraw = nullptr;
    if (lookedUpFor != kpGraphicsSeq) {
        lookedUpFor = kpGraphicsSeq;
        multiDraw = glfwGetCurrentContext() ? reinterpret_cast<MultiDrawArrays>(glfwGetProcAddress("glMultiDrawArrays"))
                                            : nullptr;
    }
    if (multiDraw) {
        multiDraw(GL_TRIANGLE_FAN, firsts, counts, drawCount);
        return;
    }
    for (GLsizei i = 0; i < drawCount; ++i) glDrawArrays(GL_TRIANGLE_FAN, firsts[i], counts[i]);
}

}  // namespace

void kpGlBeginFrame(int width, int height, const gxtkVertex* vertices, const uint16_t* quadIndices) {
    (void)quadIndices;  // client memory: passed with each draw
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].x);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, sizeof(gxtkVertex), &vertices[0].u);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(gxtkVertex), &vertices[0].color);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
}

void kpGlSetTexturing(bool on) {
    if (on) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

int kpGlDrawBatch(int primType, const gxtkVertex* vertices, int count, const uint16_t* quadIndices,
                  int* fanFirsts, int* fanCounts) {
    (void)vertices;  // the client arrays already point at them
    if (primType < kGlQuadVertices) {
        glDrawArrays(kpGlArrayMode(primType), 0, count);
    } else if (primType == kGlQuadVertices) {
        glDrawElements(GL_TRIANGLES, kpGlQuadIndexCount(count), GL_UNSIGNED_SHORT, quadIndices);
    } else {
        // Every polygon of the batch in one call: the same fans, in the same order.
        const int polygons = count / primType;
        for (int k = 0; k < polygons; ++k) {
            fanFirsts[k] = k * primType;
            fanCounts[k] = primType;
        }
        DrawFans(fanFirsts, fanCounts, polygons);
    }
    return 1;
}

void kpGlReadPixelsBgra(int x, int y, int w, int h, unsigned char* out) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, out);
}
