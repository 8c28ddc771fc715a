#include "tools/bench/draw_recording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graphics/graphics_module.h"
#include "graphics/surface.h"

void TakeImageTables(GameDriver& driver, Recording* out) {
    c_MyApp& app = driver.app();
    out->scaleX = app.m_scaleX;
    out->scaleY = app.m_scaleY;
    out->hdScale = app.m_hdScale;
    out->images.assign(app.m_images.Length(), RecordedImage());
    for (int slot = 0; slot < app.m_images.Length(); ++slot) {
        c_Image* image = app.m_images.Get(slot);
        if (!image || !image->m_surface) continue;
        RecordedImage& r = out->images[slot];
        r.present = true;
        r.file = driver.host().PathToFilePath(image->m_surface->path).ToUtf8();
        r.surfaceWidth = image->m_surface->Width();
        r.surfaceHeight = image->m_surface->Height();
        r.width = image->m_width;
        r.height = image->m_height;
        r.handleX = image->m_tx;
        r.handleY = image->m_ty;
        r.fullFrame = (image->m_flags & kImageFullFrame) != 0;
        r.surface = image->m_surface;
        for (int f = 0; f < image->m_frames.Length(); ++f) {
            r.frameXY.push_back(image->m_frames.Get(f)->m_x);
            r.frameXY.push_back(image->m_frames.Get(f)->m_y);
        }
    }
}

int TextureSwitches(const Recording& recording, const RecordedFrame& frame) {
    int switches = 0;
    const void* current = nullptr;
    const size_t n = frame.records.size();
    for (size_t i = 0; i + kDrawRecordFloats <= n; i += kDrawRecordFloats) {
        const float kind = frame.records[i];
        if (!(kind > -1.0f && kind < static_cast<float>(recording.images.size()))) continue;
        const RecordedImage& image = recording.images[static_cast<size_t>(kind)];
        if (!image.present) continue;
        if (image.surface != current) ++switches;
        current = image.surface;
    }
    return switches;
}

bool WritePpm(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y) std::fwrite(rgb.data() + static_cast<size_t>(y) * row, 1, row, out);
    return std::fclose(out) == 0;
}

int OffscreenImageRecords(const Recording& rec, const RecordedFrame& frame) {
    constexpr float kDegToRad = 0.0174532924f;
    int offscreen = 0;
    const std::vector<float>& list = frame.records;
    for (size_t i = 0; i + kDrawRecordFloats <= list.size(); i += kDrawRecordFloats) {
        const float* r = list.data() + i;
        if (!(r[0] > -1.0f && r[0] < static_cast<float>(rec.images.size()))) continue;
        const RecordedImage& image = rec.images[static_cast<size_t>(r[0])];
        if (!image.present) continue;
        // The replay's matrix: translate, rotate, scale, minus the handle.
        const float sx = r[4] * rec.scaleX * rec.hdScale, sy = r[5] * rec.scaleY * rec.hdScale;
        const float c = static_cast<float>(std::cos(static_cast<double>(r[3] * kDegToRad)));
        const float s = static_cast<float>(std::sin(static_cast<double>(r[3] * kDegToRad)));
        const float ix = c * sx, iy = -s * sx, jx = s * sy, jy = c * sy;
        const float x = r[1] * rec.scaleX, y = r[2] * rec.scaleY;
        const float tx = x - ix * image.handleX - jx * image.handleY;
        const float ty = y - iy * image.handleX - jy * image.handleY;
        const float w = static_cast<float>(image.fullFrame ? image.surfaceWidth : image.width);
        const float h = static_cast<float>(image.fullFrame ? image.surfaceHeight : image.height);
        float minX = 1e30f, maxX = -1e30f, minY = 1e30f, maxY = -1e30f;
        const float corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
        for (const auto& k : corners) {
            const float px = ix * k[0] + jx * k[1] + tx, py = iy * k[0] + jy * k[1] + ty;
            minX = std::min(minX, px);
            maxX = std::max(maxX, px);
            minY = std::min(minY, py);
            maxY = std::max(maxY, py);
        }
        if (maxX <= 0 || maxY <= 0 || minX >= rec.width || minY >= rec.height) ++offscreen;
    }
    return offscreen;
}
