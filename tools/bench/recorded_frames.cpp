#include "tools/bench/recorded_frames.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "game/shell/my_app.h"

namespace {

constexpr int32_t kFramesMagic = 0x52464c47;    // "GLFR"
constexpr int32_t kPicturesMagic = 0x50464c47;  // "GLFP"
constexpr int32_t kMaxCount = 1 << 24;          // of frames, records or pixels: refuses damaged files

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File Open(const std::string& path, const char* mode) { return File(std::fopen(path.c_str(), mode), std::fclose); }

template <class T>
bool Put(FILE* out, const T* values, size_t count) {
    return std::fwrite(values, sizeof(T), count, out) == count;
}

template <class T>
bool Get(FILE* in, T* values, size_t count) {
    return std::fread(values, sizeof(T), count, in) == count;
}

bool GetCount(FILE* in, int32_t* count) { return Get(in, count, 1) && *count >= 0 && *count <= kMaxCount; }

}  // namespace

RecordedFrame TakeFrame(c_MyApp& app) {
    RecordedFrame frame;
    const float* list = app.m_drawList.Data();
    frame.records.assign(list, list + std::max(0, app.m_drawCount));
    frame.cls[0] = app.m_clsRed;
    frame.cls[1] = app.m_clsGreen;
    frame.cls[2] = app.m_clsBlue;
    frame.cls[3] = app.m_clsAlpha;
    return frame;
}

void PutFrame(const RecordedFrame& frame, c_MyApp& app) {
    const size_t n = std::min(frame.records.size(), static_cast<size_t>(app.m_drawList.Length()));
    if (n) std::memcpy(app.m_drawList.Data(), frame.records.data(), n * sizeof(float));
    app.m_drawCount = static_cast<int>(n);
    app.m_clsRed = frame.cls[0];
    app.m_clsGreen = frame.cls[1];
    app.m_clsBlue = frame.cls[2];
    app.m_clsAlpha = frame.cls[3];
}

bool SaveFrames(const std::string& path, int width, int height, const std::vector<RecordedFrame>& frames) {
    File out = Open(path, "wb");
    if (!out) return false;
    const int32_t header[] = {kFramesMagic, width, height, static_cast<int32_t>(frames.size())};
    bool ok = Put(out.get(), header, 4);
    for (const RecordedFrame& f : frames) {
        const int32_t n = static_cast<int32_t>(f.records.size());
        ok = ok && Put(out.get(), f.cls, 4) && Put(out.get(), &n, 1) && Put(out.get(), f.records.data(), f.records.size());
    }
    return std::fclose(out.release()) == 0 && ok;
}

bool LoadFrames(const std::string& path, int* width, int* height, std::vector<RecordedFrame>* frames) {
    File in = Open(path, "rb");
    int32_t header[3] = {};
    int32_t count = 0;
    if (!in || !Get(in.get(), header, 3) || header[0] != kFramesMagic || !GetCount(in.get(), &count)) return false;
    *width = header[1];
    *height = header[2];
    frames->assign(static_cast<size_t>(count), RecordedFrame());
    for (RecordedFrame& f : *frames) {
        int32_t n = 0;
        if (!Get(in.get(), f.cls, 4) || !GetCount(in.get(), &n)) return false;
        f.records.resize(static_cast<size_t>(n));
        if (!Get(in.get(), f.records.data(), f.records.size())) return false;
    }
    return true;
}

bool SavePictures(const std::string& path, int width, int height, const std::vector<std::vector<int>>& pictures) {
    File out = Open(path, "wb");
    if (!out) return false;
    const int32_t header[] = {kPicturesMagic, width, height, static_cast<int32_t>(pictures.size())};
    bool ok = Put(out.get(), header, 4);
    for (const std::vector<int>& p : pictures) ok = ok && Put(out.get(), p.data(), p.size());
    return std::fclose(out.release()) == 0 && ok;
}

bool LoadPictures(const std::string& path, int* width, int* height, std::vector<std::vector<int>>* pictures) {
    File in = Open(path, "rb");
    int32_t header[3] = {};
    int32_t count = 0;
    if (!in || !Get(in.get(), header, 3) || header[0] != kPicturesMagic || !GetCount(in.get(), &count)) return false;
    if (header[1] < 1 || header[2] < 1 || static_cast<int64_t>(header[1]) * header[2] > kMaxCount) return false;
    *width = header[1];
    *height = header[2];
    pictures->assign(static_cast<size_t>(count), std::vector<int>(static_cast<size_t>(header[1]) * header[2]));
    for (std::vector<int>& p : *pictures) {
        if (!Get(in.get(), p.data(), p.size())) return false;
    }
    return true;
}
