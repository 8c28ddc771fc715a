#include "host/state_file.h"

#include <vector>

#include "host/platform.h"

namespace {

constexpr const char* kTempInfix = ".tmp.";
constexpr unsigned long kMaxPid = 0xffffffffUL;

KpStateFileIo g_io = kp_state_DefaultIo();

// Splits a file path into its folder ("." when there is none) and its name.
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
    const size_t slash = path.find_last_of(kPathSeparators);
    if (slash == std::string::npos) {
        *folder = ".";
        *name = path;
    } else {
        *folder = slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
        *name = path.substr(slash + 1);
    }
}

// True for well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(const std::string& text) {
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        // Continuation bytes after the lead, its payload bits, the least value it may carry.
        size_t more = 0;
        unsigned int c = 0;
        unsigned int least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if ((lead & 0xe0) == 0xc0) {
            more = 1;
            c = lead & 0x1fu;
            least = 0x80;
        } else if ((lead & 0xf0) == 0xe0) {
            more = 2;
            c = lead & 0x0fu;
            least = 0x800;
        } else if ((lead & 0xf8) == 0xf0) {
            more = 3;
            c = lead & 0x07u;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + more >= n) return false;
        for (size_t k = 1; k <= more; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) return false;
            c = (c << 6) | (next & 0x3fu);
        }
        if (c < least || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) return false;
        i += more + 1;
    }
    return true;
}

// Writes every byte, resuming after partial writes.
bool WriteAll(int handle, const unsigned char* data, size_t size) {
    while (size > 0) {
        const int n = g_io.write(handle, data, size < kMaxFileWrite ? size : kMaxFileWrite);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// True when `text` is a non-empty run of decimal digits that fits a process id.
bool ParsePid(const std::string& text, unsigned long* pid) {
    if (text.empty()) return false;
    unsigned long long value = 0;
    for (char digit : text) {
        if (digit < '0' || digit > '9') return false;
        value = value * 10 + static_cast<unsigned>(digit - '0');
        if (value > kMaxPid) return false;
    }
    *pid = static_cast<unsigned long>(value);
    return value > 0;
}

}  // namespace

KpStateFileIo kp_state_DefaultIo() { return KpStateFileIo{kp_file_Write, kp_file_Sync}; }

KpStateFileIo kp_state_SetIo(KpStateFileIo io) {
    KpStateFileIo previous = g_io;
    g_io = io;
    return previous;
}

std::string kp_state_TempName(const char* path) {
    return std::string(path) + kTempInfix + std::to_string(kp_process_Id());
}

int kp_state_Save(const char* path, const String& state) {
    std::vector<unsigned char> bytes;
    state.Save(bytes);
    return kp_state_SaveBytes(path, bytes.data(), bytes.size());
}

int kp_state_SaveBytes(const char* path, const unsigned char* data, size_t size) {
    if (!IsValidUtf8(path)) return kStateCannotCreate;
    const std::string temp = kp_state_TempName(path);
    const int handle = kp_file_CreateForWrite(temp);
    if (handle < 0) return kStateCannotCreate;

    bool complete = WriteAll(handle, data, size) && g_io.sync(handle) == 0;
    if (kp_file_Close(handle) != 0) complete = false;
    if (!complete) {
        kp_file_Remove(temp);
        return kStateShortWrite;
    }
    // A file held open elsewhere (Windows) or a folder in the way keeps the old save.
    if (!kp_file_Replace(temp, path)) {
        kp_file_Remove(temp);
        return kStateCannotCreate;
    }
    return kStateSaved;
}

namespace {

// Removes the temporaries in `folder` of the files named `name`, or of
// every file when `name` is empty, whose process no longer runs.
int RemoveStaleTemps(const std::string& folder, const std::string& name) {
    const unsigned long self = kp_process_Id();
    int removed = 0;
    for (const std::string& entry : kp_file_List(folder)) {
        const size_t infix = entry.rfind(kTempInfix);
        if (infix == std::string::npos || infix == 0) continue;
        if (!name.empty() && (infix != name.size() || entry.compare(0, name.size(), name) != 0)) continue;
        unsigned long pid = 0;
        if (!ParsePid(entry.substr(infix + std::string(kTempInfix).size()), &pid)) continue;
        // Another running copy of the program may be saving right now.
        if (pid != self && kp_process_Runs(pid)) continue;
        if (kp_file_Remove(folder + "/" + entry)) ++removed;
    }
    return removed;
}

}  // namespace

int kp_state_RemoveStaleTemps(const char* path) {
    if (!IsValidUtf8(path)) return 0;
    std::string folder;
    std::string name;
    SplitPath(path, &folder, &name);
    return RemoveStaleTemps(folder, name);
}

int kp_state_RemoveStaleTempsIn(const char* folder) {
    if (!IsValidUtf8(folder)) return 0;
    return RemoveStaleTemps(folder, std::string());
}
