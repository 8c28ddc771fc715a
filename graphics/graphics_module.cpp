#include "graphics/graphics_module.h"

#include <climits>
#include <cmath>

#include "graphics/misuse.h"
#include "graphics/renderer.h"
#include "graphics/surface.h"
#include "host/data_paths.h"
#include "runtime/errors.h"

gxtkGraphics* kp_graphics_device = nullptr;
gxtkGraphics* kp_graphics_renderDevice = nullptr;
c_GraphicsContext* kp_graphics_context = nullptr;
int c_Image::m_DefaultFlags = 0;

namespace {

constexpr int kMatrixFloats = 6;
constexpr float kDegreesToRadians = 0.0174532924f;  // pi / 180 in single precision
constexpr int kDefaultFontFrames = 96;
constexpr int kDefaultFontFirstChar = 32;
const char* const kDefaultFontFile = "vela_font.png";

// The context when a render frame is open, else null: every state and drawing
// call is ignored outside a frame.
c_GraphicsContext* FrameContext() { return kp_graphics_renderDevice ? kp_graphics_context : nullptr; }

void MatrixChanged(c_GraphicsContext* g) {
    g->m_tformed = !(g->m_ix == 1 && g->m_iy == 0 && g->m_jx == 0 && g->m_jy == 1 && g->m_tx == 0 && g->m_ty == 0);
    g->m_matDirty = 1;
}

// Draws frame `frame` of `image` with its handle at (x, y) under the current matrix.
void DrawFrame(c_GraphicsContext* g, c_Image* image, float x, float y, c_Frame* f) {
    g->p_Validate();
    if (image->m_flags & kImageFullFrame) {
        kp_graphics_renderDevice->DrawSurface(image->m_surface, x - image->m_tx, y - image->m_ty);
    } else {
        kp_graphics_renderDevice->DrawSurface2(image->m_surface, x - image->m_tx, y - image->m_ty, f->m_x, f->m_y,
                                               image->m_width, image->m_height);
    }
}

// Float to int truncating toward zero, with NaN as 0 and out-of-range values
// held at the int limits (a plain conversion of those is undefined).
int TruncToInt(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483648.0f) return INT_MAX;
    if (v <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(v);
}

c_Frame* FrameOf(c_Image* image, int frame) {
    if (!image || frame < 0 || frame >= image->m_frames.Length() || !image->m_surface) {
        kpGraphicsMisuse("DrawImage: no such image frame");
        return nullptr;
    }
    return image->m_frames.Get(frame);
}

}  // namespace

// ---- classes ----

c_Frame* c_Frame::m_new(int x, int y) {
    m_x = x;
    m_y = y;
    return this;
}

c_Image* c_Image::m_new() { return this; }

void c_Image::mark() {
    gc_mark_q(m_surface);
    gc_mark_q(m_frames);
    gc_mark_q(m_source);
}

c_Image* c_Image::p_Init(gxtkSurface* surface, int frameCount, int flags) {
    if (!surface) return this;
    gc_assign(m_surface, surface);
    if (frameCount < 1) {
        kpGraphicsMisuse("LoadImage: frame count below 1");
        frameCount = 0;
    }
    m_width = frameCount > 0 ? surface->Width() / frameCount : surface->Width();
    m_height = surface->Height();
    gc_assign(m_frames, Array<c_Frame*>(frameCount));
    for (int i = 0; i < frameCount; ++i) m_frames[i] = (new c_Frame())->m_new(i * m_width, 0);
    p_ApplyFlags(flags);
    return this;
}

c_Image* c_Image::p_GrabImage(int x, int y, int width, int height, int frameCount, int flags) {
    if (m_frames.Length() != 1) return nullptr;
    return (new c_Image())->m_new()->p_Grab(x, y, width, height, frameCount, flags, this);
}

c_Image* c_Image::p_Grab(int x, int y, int width, int height, int frameCount, int flags, c_Image* source) {
    if (!source) return this;
    gc_assign(m_source, source);
    gc_assign(m_surface, source->m_surface);
    m_width = width;
    m_height = height;
    gc_assign(m_frames, Array<c_Frame*>(frameCount));
    c_Frame* origin = source->m_frames.Length() > 0 ? source->m_frames.Get(0) : nullptr;
    const int originX = origin ? origin->m_x : 0;
    const int originY = origin ? origin->m_y : 0;
    // Wide arithmetic, so that no size can overflow the edge tests.
    long long cx = x;
    long long cy = y;
    for (int i = 0; i < frameCount; ++i) {
        if (cx + width > source->m_width) {
            cy += height;
            if (width > source->m_width) kpError(String("Image frame outside surface"));
            cx = 0;
        }
        if (cy + height > source->m_height) kpError(String("Image frame outside surface"));
        m_frames[i] = (new c_Frame())->m_new(static_cast<int>(cx + originX), static_cast<int>(cy + originY));
        cx += width;
    }
    p_ApplyFlags(flags);
    return this;
}

int c_Image::p_ApplyFlags(int flags) {
    m_flags = flags;
    const int count = m_frames.Length();
    if (m_flags & kImageXPadding) {
        for (int i = 0; i < count; ++i) m_frames.Get(i)->m_x += 1;
        m_width -= 2;
    }
    if (m_flags & kImageYPadding) {
        for (int i = 0; i < count; ++i) m_frames.Get(i)->m_y += 1;
        m_height -= 2;
    }
    if (m_flags & kImageMidHandle) {
        p_SetHandle(m_width * 0.5f, m_height * 0.5f);
    }
    if (count == 1 && m_surface) {
        c_Frame* f = m_frames.Get(0);
        if (f->m_x == 0 && f->m_y == 0 && m_width == m_surface->Width() && m_height == m_surface->Height()) {
            m_flags |= kImageFullFrame;
        }
    }
    return 0;
}

int c_Image::p_SetHandle(float x, float y) {
    m_tx = x;
    m_ty = y;
    m_flags &= ~kImageMidHandle;
    return 0;
}

c_GraphicsContext* c_GraphicsContext::m_new() {
    gc_assign(m_matrixStack, Array<float>(kMatrixStackDepth * kMatrixFloats));
    return this;
}

int c_GraphicsContext::p_Validate() {
    if (m_matDirty) {
        kp_graphics_renderDevice->SetMatrix(m_ix, m_iy, m_jx, m_jy, m_tx, m_ty);
        m_matDirty = 0;
    }
    return 0;
}

void c_GraphicsContext::mark() {
    gc_mark_q(m_defaultFont);
    gc_mark_q(m_font);
    gc_mark_q(m_matrixStack);
}

// ---- device and frame ----

int kp_graphics_SetGraphicsDevice(gxtkGraphics* device) {
    gc_assign(kp_graphics_device, device);
    return 0;
}

int kp_graphics_BeginRender() {
    gc_assign(kp_graphics_renderDevice, kp_graphics_device);
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    g->m_matrixSp = 0;
    g->m_lostPushes = 0;
    g->m_ix = 1, g->m_iy = 0, g->m_jx = 0, g->m_jy = 1, g->m_tx = 0, g->m_ty = 0;
    g->m_tformed = 0;
    g->m_matDirty = 1;
    kp_graphics_SetColor(255, 255, 255);
    kp_graphics_SetAlpha(1);
    kp_graphics_SetBlend(0);
    kp_graphics_SetScissor(0, 0, static_cast<float>(kp_graphics_DeviceWidth()),
                           static_cast<float>(kp_graphics_DeviceHeight()));
    return 0;
}

int kp_graphics_EndRender() {
    gc_assign(kp_graphics_renderDevice, static_cast<gxtkGraphics*>(nullptr));
    return 0;
}

int kp_graphics_DeviceWidth() { return kp_graphics_device ? kp_graphics_device->Width() : 0; }

int kp_graphics_DeviceHeight() { return kp_graphics_device ? kp_graphics_device->Height() : 0; }

// ---- state ----

int kp_graphics_SetColor(float r, float g, float b) {
    c_GraphicsContext* ctx = FrameContext();
    if (!ctx) return 0;
    ctx->m_color_r = r;
    ctx->m_color_g = g;
    ctx->m_color_b = b;
    kp_graphics_renderDevice->SetColor(r, g, b);
    return 0;
}

int kp_graphics_SetAlpha(float alpha) {
    c_GraphicsContext* ctx = FrameContext();
    if (!ctx) return 0;
    ctx->m_alpha = alpha;
    kp_graphics_renderDevice->SetAlpha(alpha);
    return 0;
}

int kp_graphics_SetBlend(int mode) {
    c_GraphicsContext* ctx = FrameContext();
    if (!ctx) return 0;
    ctx->m_blend = mode;
    kp_graphics_renderDevice->SetBlend(mode);
    return 0;
}

int kp_graphics_SetScissor(float x, float y, float w, float h) {
    c_GraphicsContext* ctx = FrameContext();
    if (!ctx) return 0;
    ctx->m_scissor_x = x;
    ctx->m_scissor_y = y;
    ctx->m_scissor_width = w;
    ctx->m_scissor_height = h;
    kp_graphics_renderDevice->SetScissor(TruncToInt(x), TruncToInt(y), TruncToInt(w), TruncToInt(h));
    return 0;
}

int kp_graphics_Cls(float r, float g, float b) {
    if (!FrameContext()) return 0;
    kp_graphics_renderDevice->Cls(r, g, b);
    return 0;
}

// ---- matrix ----

int kp_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    g->m_ix = ix, g->m_iy = iy, g->m_jx = jx, g->m_jy = jy, g->m_tx = tx, g->m_ty = ty;
    MatrixChanged(g);
    return 0;
}

int kp_graphics_SetMatrix2(Array<float> m) {
    if (m.Length() < kMatrixFloats) {
        kpGraphicsMisuse("SetMatrix: fewer than six floats");
        return 0;
    }
    return kp_graphics_SetMatrix(m.Get(0), m.Get(1), m.Get(2), m.Get(3), m.Get(4), m.Get(5));
}

int kp_graphics_Transform(float a, float b, float c, float d, float e, float f) {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    const float ix = g->m_ix * a + g->m_jx * b;
    const float iy = g->m_iy * a + g->m_jy * b;
    const float jx = g->m_ix * c + g->m_jx * d;
    const float jy = g->m_iy * c + g->m_jy * d;
    const float tx = g->m_ix * e + g->m_jx * f + g->m_tx;
    const float ty = g->m_iy * e + g->m_jy * f + g->m_ty;
    g->m_ix = ix, g->m_iy = iy, g->m_jx = jx, g->m_jy = jy, g->m_tx = tx, g->m_ty = ty;
    MatrixChanged(g);
    return 0;
}

int kp_graphics_Transform2(Array<float> m) {
    if (m.Length() < kMatrixFloats) {
        kpGraphicsMisuse("Transform: fewer than six floats");
        return 0;
    }
    return kp_graphics_Transform(m.Get(0), m.Get(1), m.Get(2), m.Get(3), m.Get(4), m.Get(5));
}

int kp_graphics_Translate(float x, float y) { return kp_graphics_Transform(1, 0, 0, 1, x, y); }

int kp_graphics_Scale(float x, float y) { return kp_graphics_Transform(x, 0, 0, y, 0, 0); }

int kp_graphics_Rotate(float degrees) {
    const float theta = degrees * kDegreesToRadians;
    const double s = std::sin(static_cast<double>(theta));
    const double c = std::cos(static_cast<double>(theta));
    return kp_graphics_Transform(static_cast<float>(c), static_cast<float>(-s), static_cast<float>(s),
                                 static_cast<float>(c), 0, 0);
}

int kp_graphics_PushMatrix() {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    if (g->m_lostPushes > 0 || g->m_matrixSp + kMatrixFloats > g->m_matrixStack.Length()) {
        // Counted, so that the matching pops stay paired with the pushes that were kept.
        ++g->m_lostPushes;
        kpGraphicsMisuse("PushMatrix: matrix stack full");
        return 0;
    }
    float* slot = g->m_matrixStack.Data() + g->m_matrixSp;
    slot[0] = g->m_ix, slot[1] = g->m_iy, slot[2] = g->m_jx, slot[3] = g->m_jy, slot[4] = g->m_tx,
    slot[5] = g->m_ty;
    g->m_matrixSp += kMatrixFloats;
    return 0;
}

int kp_graphics_PopMatrix() {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    if (g->m_lostPushes > 0) {
        --g->m_lostPushes;
        kpGraphicsMisuse("PopMatrix: matching push was refused");
        return 0;
    }
    if (g->m_matrixSp < kMatrixFloats) {
        kpGraphicsMisuse("PopMatrix: matrix stack empty");
        return 0;
    }
    g->m_matrixSp -= kMatrixFloats;
    const float* slot = g->m_matrixStack.Data() + g->m_matrixSp;
    g->m_ix = slot[0], g->m_iy = slot[1], g->m_jx = slot[2], g->m_jy = slot[3], g->m_tx = slot[4],
    g->m_ty = slot[5];
    MatrixChanged(g);
    return 0;
}

// ---- drawing ----

int kp_graphics_DrawRect(float x, float y, float w, float h) {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    g->p_Validate();
    kp_graphics_renderDevice->DrawRect(x, y, w, h);
    return 0;
}

int kp_graphics_DrawLine(float x1, float y1, float x2, float y2) {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    g->p_Validate();
    kp_graphics_renderDevice->DrawLine(x1, y1, x2, y2);
    return 0;
}

int kp_graphics_DrawEllipse(float x, float y, float xr, float yr) {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    g->p_Validate();
    kp_graphics_renderDevice->DrawOval(x - xr, y - yr, xr * 2, yr * 2);
    return 0;
}

int kp_graphics_DrawImage(c_Image* image, float x, float y, int frame) {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    c_Frame* f = FrameOf(image, frame);
    if (!f) return 0;
    DrawFrame(g, image, x, y, f);
    return 0;
}

int kp_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float sx, float sy, int frame) {
    c_GraphicsContext* g = FrameContext();
    if (!g) return 0;
    c_Frame* f = FrameOf(image, frame);
    if (!f) return 0;
    // Saved here rather than on the matrix stack, so a full stack cannot lose it.
    const float saved[kMatrixFloats] = {g->m_ix, g->m_iy, g->m_jx, g->m_jy, g->m_tx, g->m_ty};
    kp_graphics_Transform(1, 0, 0, 1, x, y);
    kp_graphics_Rotate(rotation);
    kp_graphics_Transform(sx, 0, 0, sy, 0, 0);
    kp_graphics_Transform(1, 0, 0, 1, -image->m_tx, -image->m_ty);
    g->p_Validate();
    if (image->m_flags & kImageFullFrame) {
        kp_graphics_renderDevice->DrawSurface(image->m_surface, 0, 0);
    } else {
        kp_graphics_renderDevice->DrawSurface2(image->m_surface, 0, 0, f->m_x, f->m_y, image->m_width,
                                               image->m_height);
    }
    g->m_ix = saved[0], g->m_iy = saved[1], g->m_jx = saved[2], g->m_jy = saved[3], g->m_tx = saved[4],
    g->m_ty = saved[5];
    MatrixChanged(g);
    return 0;
}

int kp_graphics_ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    if (!FrameContext()) return 0;
    kp_graphics_renderDevice->ReadPixels(pixels, x, y, w, h, offset, pitch == 0 ? w : pitch);
    return 0;
}

// ---- images and fonts ----

c_Image* kp_graphics_LoadImage(const String& path, int frameCount, int flags) {
    if (!kp_graphics_device) return nullptr;
    if (frameCount < 1) {
        kpGraphicsMisuse("LoadImage: frame count below 1");
        return nullptr;
    }
    gxtkSurface* surface = kp_graphics_device->LoadSurface(kp_data_FixDataPath(path));
    if (!surface) return nullptr;
    return (new c_Image())->m_new()->p_Init(surface, frameCount, flags);
}

c_Image* kp_graphics_LoadImage2(const String& path, int frameWidth, int frameHeight, int frameCount, int flags) {
    c_Image* atlas = kp_graphics_LoadImage(path, 1, 0);
    if (!atlas) return nullptr;
    return atlas->p_GrabImage(0, 0, frameWidth, frameHeight, frameCount, flags);
}

int kp_graphics_SetFont(c_Image* font, int firstChar) {
    c_GraphicsContext* g = kp_graphics_context;
    if (!g) return 0;
    if (!font) {
        if (!g->m_defaultFont) {
            gc_assign(g->m_defaultFont, kp_graphics_LoadImage(String(kDefaultFontFile), kDefaultFontFrames,
                                                              kImageXPadding));
        }
        font = g->m_defaultFont;
        firstChar = kDefaultFontFirstChar;
    }
    gc_assign(g->m_font, font);
    g->m_firstChar = firstChar;
    return 0;
}
