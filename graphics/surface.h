// Texture-backed images: a premultiplied CPU copy of the pixels and an OpenGL
// texture made from it lazily, once per window (see kpGraphicsSeq).
#pragma once

#include "runtime/object.h"
#include "runtime/string.h"

// An image the renderer can draw: CPU pixels plus a texture for the current window.
class gxtkSurface : public Object {
public:
    unsigned char* data = nullptr;  // width * height * depth bytes, premultiplied; malloc'd, owned
    int width = 0;
    int height = 0;
    int depth = 0;                  // bytes per pixel, 1 to 4
    int format = 0;                 // GL pixel format chosen from depth; 0 for an invalid depth
    int seq = -1;                   // kpGraphicsSeq the texture belongs to; -1 when none
    unsigned int texture = 0;       // GL texture name
    float uscale = 0;               // 1 / texture width
    float vscale = 0;               // 1 / texture height
    String path;                    // the file it was read from; empty for one made in memory

    ~gxtkSurface() override;

    virtual int Discard();                   // deletes a live texture and frees the pixels
    virtual int Width() { return width; }
    virtual int Height() { return height; }
    virtual int Loaded() { return 1; }
    virtual bool OnUnsafeLoadComplete();     // binds a surface filled away from the GL thread

    // Takes ownership of `pixels` (malloc'd) and premultiplies 2- and 4-byte
    // pixels in place. Makes no GL call.
    void SetData(unsigned char* pixels, int width, int height, int depth);
    // Writes a w x h rectangle of 0xAARRGGBB pixels (rows `pitch` apart) at
    // (x, y), premultiplied; RGBA surfaces only. Rectangles outside the surface
    // are ignored.
    void SetSubData(int x, int y, int w, int h, const unsigned int* src, int pitch);
    // Makes the texture current, creating it first when this window has none.
    void Bind();
    // True when the texture exists in the current window.
    bool HasTexture() const;
    // True when the texture is the one bound in the current window now.
    bool IsBound() const;

private:
    void CreateTexture();
    void ReleaseTexture();
};
