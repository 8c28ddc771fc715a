#include "tools/bench/web/floor_renderer.h"

#include <GLES2/gl2.h>

#include <cmath>
#include <vector>

#include "game/shell/my_app.h"
#include "graphics/graphics_module.h"
#include "graphics/surface.h"

namespace {

constexpr int kRecordFloats = 15;
constexpr float kRectangle = -3717.0f;
constexpr float kOval = -3716.0f;
constexpr float kAdditive = 3.0f;
constexpr float kDegToRad = 0.0174532924f;
constexpr float kColourScale = 1.0f / 255.0f;
constexpr int kVertexFloats = 8;   // x, y, u, v, r, g, b, a
constexpr int kQuadVertices = 6;

const char* kVertexShader =
    "attribute vec2 position; attribute vec2 coord; attribute vec4 colour; uniform vec2 screen;"
    "varying vec2 v_coord; varying vec4 v_colour;"
    "void main() { v_coord = coord; v_colour = colour;"
    " gl_Position = vec4(position.x * 2.0 / screen.x - 1.0, 1.0 - position.y * 2.0 / screen.y, 0.0, 1.0); }";
const char* kFragmentShader =
    "precision mediump float; uniform sampler2D sheet; varying vec2 v_coord; varying vec4 v_colour;"
    "void main() { gl_FragColor = texture2D(sheet, v_coord) * v_colour; }";

std::vector<float> vertices;

unsigned Shader(unsigned type, const char* source) {
    const unsigned shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

}  // namespace

bool FloorRenderer::Init() {
    program_ = glCreateProgram();
    glAttachShader(program_, Shader(GL_VERTEX_SHADER, kVertexShader));
    glAttachShader(program_, Shader(GL_FRAGMENT_SHADER, kFragmentShader));
    glLinkProgram(program_);
    GLint linked = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (!linked) return false;
    position_ = glGetAttribLocation(program_, "position");
    coord_ = glGetAttribLocation(program_, "coord");
    colour_ = glGetAttribLocation(program_, "colour");
    screen_ = glGetUniformLocation(program_, "screen");
    glGenBuffers(1, &buffer_);
    const unsigned char white[4] = {255, 255, 255, 255};
    glGenTextures(1, &white_);
    glBindTexture(GL_TEXTURE_2D, white_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    return true;
}

void FloorRenderer::Flush() {
    if (vertices.empty()) return;
    glBindTexture(GL_TEXTURE_2D, texture_);
    glBlendFunc(GL_ONE, additive_ ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)), vertices.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size() / kVertexFloats));
    vertices.clear();
}

void FloorRenderer::Draw(c_MyApp& app, int width, int height) {
    // The game's renderer keeps track of the bound texture and its blending
    // between frames: both are put back at the end, so frames of the two can alternate.
    GLint boundTexture = 0, blendSource = 0, blendDestination = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    glGetIntegerv(GL_BLEND_SRC_RGB, &blendSource);
    glGetIntegerv(GL_BLEND_DST_RGB, &blendDestination);
    const GLboolean blending = glIsEnabled(GL_BLEND);
    glViewport(0, 0, width, height);
    glClearColor(app.m_clsRed * kColourScale, app.m_clsGreen * kColourScale, app.m_clsBlue * kColourScale, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(program_);
    glUniform2f(screen_, static_cast<float>(width), static_cast<float>(height));
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    const GLsizei stride = kVertexFloats * sizeof(float);
    glEnableVertexAttribArray(position_);
    glEnableVertexAttribArray(coord_);
    glEnableVertexAttribArray(colour_);
    glVertexAttribPointer(position_, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
    glVertexAttribPointer(coord_, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(2 * sizeof(float)));
    glVertexAttribPointer(colour_, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(4 * sizeof(float)));
    glEnable(GL_BLEND);
    texture_ = white_;
    additive_ = false;
    const float sx = app.m_scaleX, sy = app.m_scaleY;
    for (int i = 0; i + kRecordFloats <= app.m_drawCount; i += kRecordFloats) {
        const float* r = &app.m_drawList[i];
        unsigned texture = white_;
        float u0 = 0, v0 = 0, u1 = 1, v1 = 1, halfW, halfH, cx = r[1] * sx, cy = r[2] * sy;
        if (r[0] == kRectangle || r[0] == kOval) {
            halfW = 0.5f * r[4] * sx;
            halfH = 0.5f * r[5] * sy;
            if (r[0] == kRectangle) {
                cx += halfW;
                cy += halfH;
            }
        } else {
            const int slot = static_cast<int>(r[0]);
            c_Image* image = slot >= 0 && slot < app.m_images.Length() ? app.m_images.Get(slot) : nullptr;
            const int frame = static_cast<int>(r[6]);
            // The game's own frames made every texture; one it has not is not drawn.
            if (!image || !image->m_surface || !image->m_surface->HasTexture() || frame < 0 ||
                frame >= image->m_frames.Length()) {
                continue;
            }
            gxtkSurface* surface = image->m_surface;
            texture = surface->texture;
            const c_Frame* f = image->m_frames.Get(frame);
            u0 = f->m_x * surface->uscale;
            v0 = f->m_y * surface->vscale;
            u1 = (f->m_x + image->m_width) * surface->uscale;
            v1 = (f->m_y + image->m_height) * surface->vscale;
            halfW = 0.5f * image->m_width * r[4] * sx * app.m_hdScale;
            halfH = 0.5f * image->m_height * r[5] * sy * app.m_hdScale;
        }
        const bool additive = r[13] == kAdditive;
        if (texture != texture_ || additive != additive_) {
            Flush();
            texture_ = texture;
            additive_ = additive;
        }
        const float a = r[7];
        const float red = r[10] * kColourScale * a, green = r[11] * kColourScale * a, blue = r[12] * kColourScale * a;
        const float c = std::cos(r[3] * kDegToRad), s = std::sin(r[3] * kDegToRad);
        const float corner[4][4] = {{-halfW, -halfH, u0, v0}, {halfW, -halfH, u1, v0}, {halfW, halfH, u1, v1},
                                    {-halfW, halfH, u0, v1}};
        constexpr int kOrder[kQuadVertices] = {0, 1, 2, 0, 2, 3};
        for (int k : kOrder) {
            const float* p = corner[k];
            vertices.insert(vertices.end(), {cx + p[0] * c - p[1] * s, cy + p[0] * s + p[1] * c, p[2], p[3], red, green,
                                             blue, additive ? 0.0f : a});
        }
    }
    Flush();
    glDisableVertexAttribArray(position_);
    glDisableVertexAttribArray(coord_);
    glDisableVertexAttribArray(colour_);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    glBlendFunc(static_cast<GLenum>(blendSource), static_cast<GLenum>(blendDestination));
    if (!blending) glDisable(GL_BLEND);
}
