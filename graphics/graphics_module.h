// The game's drawing interface: images cut into frames, a 2-D matrix with a
// save stack, colour, alpha, blend and scissor state, and a few primitives,
// all forwarded to the renderer. State and drawing calls do nothing outside a
// render frame (while kp_graphics_renderDevice is null); calls that break a
// limit (frame index, stack depth, array size) are ignored.
#pragma once

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

class gxtkGraphics;
class gxtkSurface;

// Image flags.
constexpr int kImageMidHandle = 1;     // handle at the frame's centre (cleared once applied)
constexpr int kImageXPadding = 2;      // one-pixel border left and right of every frame
constexpr int kImageYPadding = 4;      // one-pixel border above and below every frame
constexpr int kImageFullFrame = 65536; // the image is exactly its whole surface

constexpr int kMatrixStackDepth = 32;  // saved matrices

// The top-left pixel of one frame within its image's surface.
class c_Frame : public Object {
public:
    int m_x = 0;
    int m_y = 0;

    c_Frame* m_new(int x, int y);
};

// Frames of equal size cut from one surface, with a handle point.
class c_Image : public Object {
public:
    static int m_DefaultFlags;

    gxtkSurface* m_surface = nullptr;  // shared by every image grabbed from the same file
    int m_width = 0;                   // frame size in pixels
    int m_height = 0;
    Array<c_Frame*> m_frames;
    int m_flags = 0;
    float m_tx = 0;                    // handle: the frame point drawn at the given position
    float m_ty = 0;
    c_Image* m_source = nullptr;       // the image this one was grabbed from; kept alive

    c_Image* m_new();
    c_Image* p_Init(gxtkSurface* surface, int frameCount, int flags);
    c_Image* p_GrabImage(int x, int y, int width, int height, int frameCount, int flags);
    c_Image* p_Grab(int x, int y, int width, int height, int frameCount, int flags, c_Image* source);
    int p_ApplyFlags(int flags);
    int p_SetHandle(float x, float y);
    int p_Width() { return m_width; }
    int p_Height() { return m_height; }
    int p_Frames() { return m_frames.Length(); }
    void mark() override;
};

// All drawing state of the module; one instance, kp_graphics_context.
class c_GraphicsContext : public Object {
public:
    c_Image* m_defaultFont = nullptr;
    c_Image* m_font = nullptr;
    int m_firstChar = 0;
    int m_matrixSp = 0;                // floats in use on the matrix stack
    float m_ix = 1, m_iy = 0, m_jx = 0, m_jy = 1, m_tx = 0, m_ty = 0;
    int m_tformed = 0;                 // 1 unless the matrix is the identity
    int m_matDirty = 0;                // matrix not yet sent to the renderer
    float m_color_r = 0, m_color_g = 0, m_color_b = 0;
    float m_alpha = 0;
    int m_blend = 0;
    float m_scissor_x = 0, m_scissor_y = 0, m_scissor_width = 0, m_scissor_height = 0;
    Array<float> m_matrixStack;        // 6 floats per saved matrix
    int m_lostPushes = 0;              // pushes refused because the stack was full

    c_GraphicsContext* m_new();
    int p_Validate();                  // sends a changed matrix to the renderer
    void mark() override;
};

extern gxtkGraphics* kp_graphics_device;
extern gxtkGraphics* kp_graphics_renderDevice;
extern c_GraphicsContext* kp_graphics_context;

// Device and frame.
int kp_graphics_SetGraphicsDevice(gxtkGraphics* device);
int kp_graphics_BeginRender();  // identity, white, opaque, alpha blend, no scissor
int kp_graphics_EndRender();
int kp_graphics_DeviceWidth();
int kp_graphics_DeviceHeight();

// State.
int kp_graphics_SetColor(float r, float g, float b);
int kp_graphics_SetAlpha(float alpha);
int kp_graphics_SetBlend(int mode);
int kp_graphics_SetScissor(float x, float y, float w, float h);
int kp_graphics_Cls(float r, float g, float b);

// Matrix; sent to the renderer only before the next draw.
int kp_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
int kp_graphics_SetMatrix2(Array<float> m);
int kp_graphics_Transform(float a, float b, float c, float d, float e, float f);
int kp_graphics_Transform2(Array<float> m);
int kp_graphics_Translate(float x, float y);
int kp_graphics_Scale(float x, float y);
int kp_graphics_Rotate(float degrees);  // positive turns counter-clockwise on screen
int kp_graphics_PushMatrix();
int kp_graphics_PopMatrix();

// Drawing.
int kp_graphics_DrawRect(float x, float y, float w, float h);
int kp_graphics_DrawLine(float x1, float y1, float x2, float y2);
int kp_graphics_DrawEllipse(float x, float y, float xr, float yr);
int kp_graphics_DrawImage(c_Image* image, float x, float y, int frame);
int kp_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float sx, float sy, int frame);
int kp_graphics_ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch);  // pitch 0 means w

// Images and fonts; a missing or undecodable file gives null.
c_Image* kp_graphics_LoadImage(const String& path, int frameCount, int flags);
c_Image* kp_graphics_LoadImage2(const String& path, int frameWidth, int frameHeight, int frameCount, int flags);
int kp_graphics_SetFont(c_Image* font, int firstChar);  // null: the default "vela_font.png"
