// The renderer's batches on WebGL 1 (OpenGL ES 2): a shader program that does
// what the fixed-function pipeline does in the GLFW window (one unit per
// pixel with y down, vertex colour times texture), one buffer the batch is
// copied into before each draw and one buffer of the quad indices.
#include "host/gl_pipeline.h"

#include <GLES2/gl2.h>

#include <cstddef>
#include <string>

#include "host/game_host.h"
#include "runtime/errors.h"

namespace {

// Attribute locations, bound before linking.
constexpr GLuint kPosition = 0;
constexpr GLuint kTexCoord = 1;
constexpr GLuint kColour = 2;

// Positions arrive in window pixels; the matrices of the fixed pipeline are
// replaced by one scale and offset. Points are one pixel wide, as in GL 1.x.
constexpr const char* kVertexShader = R"(
attribute vec2 position;
attribute vec2 texCoord;
attribute vec4 colour;
uniform vec2 pixelToClip;
varying vec2 vTexCoord;
varying vec4 vColour;
void main() {
    gl_Position = vec4(position.x * pixelToClip.x - 1.0, 1.0 - position.y * pixelToClip.y, 0.0, 1.0);
    gl_PointSize = 1.0;
    vTexCoord = texCoord;
    vColour = colour;
}
)";

// The texture environment's modulate: the colour alone, or the texel times
// the colour. Texture coordinates need full precision on sheets of 2048 texels.
constexpr const char* kFragmentShader = R"(
precision highp float;
uniform sampler2D sheet;
uniform bool textured;
varying vec2 vTexCoord;
varying vec4 vColour;
void main() {
    gl_FragColor = textured ? texture2D(sheet, vTexCoord) * vColour : vColour;
}
)";

// GL objects of the current context; made again when a new context appears.
struct Pipeline {
    int seq = 0;  // kpGraphicsSeq the objects belong to; 0 for none
    GLuint program = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLint pixelToClip = -1;
    GLint textured = -1;
};
Pipeline pipeline;

// A shader that does not compile, or a program that does not link, leaves
// nothing to draw with: the object is deleted and the game stops with a
// runtime error that carries the compiler's or linker's log, on one line
// (the page then says the game has stopped).
template <class GetParameter, class GetLog, class Delete>
void StopUnless(GLenum status, GLuint object, GetParameter getParameter, GetLog getLog, Delete remove,
                const char* failure) {
    GLint ok = 0;
    getParameter(object, status, &ok);
    if (ok) return;
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) getLog(object, length, nullptr, log.data());
    while (!log.empty() && (log.back() == '\0' || log.back() == '\n')) log.pop_back();
    for (char& c : log) {
        if (c == '\n') c = ' ';
    }
    remove(object);
    kpError(String(failure) + String(log.c_str()));
}

GLuint CompileShader(GLenum kind, const char* source) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    StopUnless(GL_COMPILE_STATUS, shader, glGetShaderiv, glGetShaderInfoLog, glDeleteShader,
               "WebGL shader did not compile: ");
    return shader;
}

void CreatePipeline(const uint16_t* quadIndices) {
    pipeline = Pipeline();
    pipeline.seq = kpGraphicsSeq;
    GLuint program = glCreateProgram();
    const GLuint vertexShader = CompileShader(GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragmentShader = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader);
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glBindAttribLocation(program, kPosition, "position");
    glBindAttribLocation(program, kTexCoord, "texCoord");
    glBindAttribLocation(program, kColour, "colour");
    glLinkProgram(program);
    // The linked program keeps what it needs: the shaders go.
    glDetachShader(program, vertexShader);
    glDetachShader(program, fragmentShader);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    StopUnless(GL_LINK_STATUS, program, glGetProgramiv, glGetProgramInfoLog, glDeleteProgram,
               "WebGL shader program did not link: ");
    pipeline.program = program;
    pipeline.pixelToClip = glGetUniformLocation(program, "pixelToClip");
    pipeline.textured = glGetUniformLocation(program, "textured");
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "sheet"), 0);

    glGenBuffers(1, &pipeline.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, pipeline.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(gxtkVertex) * kGlBatchVertices, nullptr, GL_DYNAMIC_DRAW);
    glGenBuffers(1, &pipeline.indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, pipeline.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(uint16_t) * kGlQuadIndices, quadIndices,
                 GL_STATIC_DRAW);
}

}  // namespace

void kpGlBeginFrame(int width, int height, const gxtkVertex* vertices, const uint16_t* quadIndices) {
    (void)vertices;  // copied into the vertex buffer with each draw
    if (pipeline.seq != kpGraphicsSeq) CreatePipeline(quadIndices);
    glViewport(0, 0, width, height);
    glUseProgram(pipeline.program);
    glUniform2f(pipeline.pixelToClip, width > 0 ? 2.0f / width : 0.0f, height > 0 ? 2.0f / height : 0.0f);
    glUniform1i(pipeline.textured, 0);

    glBindBuffer(GL_ARRAY_BUFFER, pipeline.vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, pipeline.indexBuffer);
    const GLsizei stride = sizeof(gxtkVertex);
    glEnableVertexAttribArray(kPosition);
    glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(gxtkVertex, x)));
    glEnableVertexAttribArray(kTexCoord);
    glVertexAttribPointer(kTexCoord, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(gxtkVertex, u)));
    glEnableVertexAttribArray(kColour);
    glVertexAttribPointer(kColour, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(gxtkVertex, color)));
    glActiveTexture(GL_TEXTURE0);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

void kpGlSetTexturing(bool on) { glUniform1i(pipeline.textured, on ? 1 : 0); }

int kpGlDrawBatch(int primType, const gxtkVertex* vertices, int count, const uint16_t* quadIndices,
                  int* fanFirsts, int* fanCounts) {
    (void)quadIndices;  // in the index buffer since the pipeline was made
    (void)fanFirsts;
    (void)fanCounts;
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(sizeof(gxtkVertex)) * count, vertices);
    if (primType < kGlQuadVertices) {
        glDrawArrays(kpGlArrayMode(primType), 0, count);
        return 1;
    }
    if (primType == kGlQuadVertices) {
        glDrawElements(GL_TRIANGLES, kpGlQuadIndexCount(count), GL_UNSIGNED_SHORT, nullptr);
        return 1;
    }
    // WebGL has no multi-draw: the same fans, one call each, in the same order.
    const int polygons = count / primType;
    for (int k = 0; k < polygons; ++k) glDrawArrays(GL_TRIANGLE_FAN, k * primType, primType);
    return polygons;
}

void kpGlReadPixelsBgra(int x, int y, int w, int h, unsigned char* out) {
    // WebGL reads RGBA only; the renderer's contract is B, G, R, A.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out);
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    for (size_t i = 0; i < pixels; ++i) {
        unsigned char* p = out + i * 4;
        const unsigned char red = p[0];
        p[0] = p[2];
        p[2] = red;
    }
}
