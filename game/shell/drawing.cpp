// The draw state, the deferred draw list and its replay, the virtual screen,
// text layout and two small utilities.
#include <cmath>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "graphics/graphics_module.h"
#include "runtime/random.h"

namespace {
constexpr float kDegToRad = 0.0174532924f;
constexpr int kDrawListLimit = kDrawListFloats - kDrawRecordFloats;  // one record short of capacity
constexpr float kAdditiveBlend = 3.0f;
constexpr int kBackslash = 92;
constexpr int kBackslashFrame = kBackslash - 32;
constexpr int kFirstGlyph = 33;
constexpr int kLastGlyph = 159;

float SinDeg(float degrees) { return static_cast<float>(std::sin(degrees * kDegToRad)); }
float CosDeg(float degrees) { return static_cast<float>(std::cos(degrees * kDegToRad)); }

// True when frame `frame` of `image` exists, so the replay never reads past its frame table.
bool HasFrame(c_Image* image, int frame) {
    return image != nullptr && frame >= 0 && frame < image->m_frames.Length();
}
}  // namespace

int c_MyApp::p_ResetDraw() {
    m_sizeX = 1.0f;
    m_sizeY = 1.0f;
    m_rot = 0.0f;
    m_red = 255.0f;
    m_green = 255.0f;
    m_blue = 255.0f;
    m_alpha = 1.0f;
    m_blend = 1;
    return 0;
}

int c_MyApp::p_CLS2D(float r, float g, float b, float a) {
    if (r > NO_VALUE) {
        m_clsRed = r;
        m_clsGreen = g;
        m_clsBlue = b;
        m_clsAlpha = a;
    }
    p_ResetDraw();
    m_drawCount = 0;
    return 0;
}

int c_MyApp::p_Alpha(float a) {
    m_alpha = a;
    return 0;
}

int c_MyApp::p_SetRot(float angle) {
    m_rot = -angle;
    return 0;
}

int c_MyApp::p_SetSize(float sx, float sy) {
    m_sizeX = sx;
    m_sizeY = sy > NO_VALUE ? sy : sx;
    return 0;
}

int c_MyApp::p_SetCol(float r, float g, float b, float a) {
    m_red = r;
    m_green = g;
    m_blue = b;
    if (a > NO_VALUE) m_alpha = a;
    return 0;
}

bool c_MyApp::p_AppendRecord(float kind, float x, float y, float a4, float a5, float frame) {
    // A replay played to check it, or for the ghost's track, draws nothing.
    if (m_drawCount >= kDrawListLimit || m_simulating) return false;
    float* r = m_drawList.Data() + m_drawCount;
    r[0] = kind;
    r[1] = x;
    r[2] = y;
    r[3] = m_rot;
    r[4] = a4;
    r[5] = a5;
    r[6] = frame;
    r[7] = m_alpha;
    r[10] = m_red;
    r[11] = m_green;
    r[12] = m_blue;
    r[13] = static_cast<float>(m_blend);
    m_drawCount += kDrawRecordFloats;
    return true;
}

int c_MyApp::p_DrawImg(int slot, float x, float y, int frame) {
    p_AppendRecord(static_cast<float>(slot), x, y, m_sizeX, m_sizeY, static_cast<float>(frame));
    return 0;
}

int c_MyApp::p_DrawImg2(int slot, float x, float y) {
    return p_DrawImg(slot, x, y, 0);
}

int c_MyApp::p_Rect(float x, float y, float w, float h) {
    p_AppendRecord(kDrawRect, x, y, w, h, 0.0f);
    return 0;
}

int c_MyApp::p_Oval(float x, float y, float rx, float ry) {
    p_AppendRecord(kDrawOval, x, y, rx, ry, 0.0f);
    return 0;
}

int c_MyApp::p_Text(float x, float y, const String& text, float alignX, float alignY) {
    const int n = text.Length();
    if (n == 0) return 0;
    const float theta = m_rot;
    const float cw = static_cast<float>(m_imageInfo[3 * m_font]);
    const float ch = static_cast<float>(m_imageInfo[3 * m_font + 1]);
    const float runLength = cw * m_sizeX * (n - 1);
    const float lineHeight = ch * m_sizeY;
    const float f = (alignY - 1.0f) * 0.5f;
    const float x0 = x + SinDeg(-theta - 90.0f) * runLength * alignX * 0.5f + SinDeg(-theta) * lineHeight * f;
    const float y0 = y - CosDeg(-theta - 90.0f) * runLength * alignX * 0.5f - CosDeg(-theta) * lineHeight * f;
    const float stepX = SinDeg(90.0f - theta) * cw * m_sizeX;
    const float stepY = -CosDeg(90.0f - theta) * cw * m_sizeX;

    float penX = x0;
    float penY = y0;
    int lines = 0;
    for (int i = 0; i < n; ++i) {
        const int c = text[i];
        if (c == kBackslash && i + 1 < n && text[i + 1] == 'n') {
            // The two characters "\n" in the text start a new line.
            lines += 1;
            penX = x0 + SinDeg(180.0f - theta) * lineHeight * lines;
            penY = y0 - CosDeg(180.0f - theta) * lineHeight * lines;
            i += 1;
            continue;
        }
        if (c == 0) continue;
        if (c == kBackslash) {
            p_DrawImg(m_font, penX, penY, kBackslashFrame);
        } else if (c >= kFirstGlyph && c <= kLastGlyph) {
            p_DrawImg(m_font, penX, penY, c - 32);
        }
        penX += stepX;
        penY += stepY;
    }
    return 0;
}

String c_MyApp::p_rstr(int width, int value, const String& pad) {
    String text;
    for (int i = 0; i < width; ++i) text += pad;
    text += String(value);
    const int from = text.Length() - width;
    return text.Slice(from > 0 ? from : 0);
}

String c_MyApp::p_rstr2(int value, const String& pad) {
    return p_rstr(11, value, pad);
}

int c_MyApp::p_Rand(float lo, float hi, int* seed) {
    const float r = seed ? kp_random_RndFrom(*seed) : kp_random_Rnd();
    return static_cast<int>(std::floor(lo + r * ((hi + 0.99f) - lo)));
}

void c_MyApp::p_UpdateVirtualScreen(int windowW, int windowH) {
    // A window with no area (minimised) keeps the last virtual screen instead of dividing by zero.
    if (windowW <= 0 || windowH <= 0) return;
    const float w = static_cast<float>(windowW);
    const float h = static_cast<float>(windowH);
    const float o = kp_Glimmer_overscan;
    m_scaleX = (w - 2.0f * o) / kp_Glimmer_rawscrw;
    m_scaleY = (h - 2.0f * o) / kp_Glimmer_rawscrh;
    float k = 1.0f;
    if (m_scaleY > m_scaleX) {
        m_fitAxis = 2;
        k = h / kp_Glimmer_rawscrh;
        m_scaleX = m_scaleY;
    } else {
        m_fitAxis = 1;
        k = w / kp_Glimmer_rawscrw;
        m_scaleY = m_scaleX;
    }
    kp_Glimmer_jscrw = w / k;
    kp_Glimmer_jscrh = h / k;
    m_landscape = kp_Glimmer_jscrw < kp_Glimmer_jscrh ? 0 : 1;
}

void c_MyApp::p_ReplayDrawList() {
    // The window size the render has just taken (p_OnRender stores it before the replay).
    const int windowW = m_deviceW;
    const int windowH = m_deviceH;
    const float o = kp_Glimmer_overscan;
    const float oy = windowW > 0 ? o * windowH / windowW : 0.0f;
    const float* list = m_drawList.Data();
    // The graphics context holds the state last sent to the renderer. Only
    // changes are sent: consecutive records mostly share colour, alpha and
    // blend, and every blend call makes the renderer draw its batch.
    const c_GraphicsContext* g = kp_graphics_context;
    if (!g) return;
    for (int i = 0; i < m_drawCount - 14; i += kDrawRecordFloats) {
        const float* r = list + i;
        if (!(r[7] == g->m_alpha)) kp_graphics_SetAlpha(r[7]);
        if (!(r[10] == g->m_color_r && r[11] == g->m_color_g && r[12] == g->m_color_b)) {
            kp_graphics_SetColor(r[10], r[11], r[12]);
        }
        const int blend = r[13] == kAdditiveBlend ? 1 : 0;
        if (blend != g->m_blend) kp_graphics_SetBlend(blend);
        const float x = r[1] * m_scaleX + o;
        const float y = r[2] * m_scaleY + oy;
        const float kind = r[0];
        if (kind == kDrawRect) {
            kp_graphics_DrawRect(x, y, r[4] * m_scaleX, r[5] * m_scaleY);
        } else if (kind == kDrawOval) {
            kp_graphics_DrawEllipse(x, y, r[4] * m_scaleX, r[5] * m_scaleY);
        } else if (kind > -1.0f && kind < static_cast<float>(m_images.Length())) {
            c_Image* image = m_images.Get(static_cast<int>(kind));
            const int frame = static_cast<int>(r[6]);
            if (HasFrame(image, frame)) {
                kp_graphics_DrawImage2(image, x, y, r[3], r[4] * m_scaleX * m_hdScale, r[5] * m_scaleY * m_hdScale,
                                       frame);
            }
        }
    }
}

// The side screens (Records, Options, Controls, My levels) share one backdrop:
// the menu's rays turned and dimmed on dark blue, with the snow over them.
void c_MyApp::p_DrawScreenBackdrop(float w, float h) {
    p_CLS2D(0, 0, 80, 1);
    p_Alpha(0.4f);
    m_rot = 45;
    p_SetSize(4);
    p_DrawImg(kImageMenu, w / 2, h / 2, 1);
    p_ResetDraw();
    p_AddSnow();
}
