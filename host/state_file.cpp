#include "host/state_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kTempInfix = ".tmp.";

KpStateFileIo g_io = kp_state_DefaultIo();

// Splits a file path into its folder ("." when there is none) and its name.
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        *folder = ".";
        *name = path;
    } else {
        *folder = slash == 0 ? "/" : path.substr(0, slash);
        *name = path.substr(slash + 1);
    }
}

// Writes every byte, resuming after partial writes and interruptions.
bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        ssize_t n = g_io.write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Makes a rename durable; a failure here leaves a complete file either way.
void SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// True when `text` is a non-empty run of decimal digits that fits a pid.
bool ParsePid(const char* text, pid_t* pid) {
    if (!*text) return false;
    long value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
        if (value > 0x7fffffff) return false;
    }
    *pid = static_cast<pid_t>(value);
    return value > 0;
}

bool ProcessRuns(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace

KpStateFileIo kp_state_DefaultIo() {
    KpStateFileIo io{};
    io.write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size); };
    io.fsync = [](int fd) { return ::fsync(fd); };
    return io;
}

KpStateFileIo kp_state_SetIo(KpStateFileIo io) {
    KpStateFileIo previous = g_io;
    g_io = io;
    return previous;
}

std::string kp_state_TempName(const char* path) {
    return std::string(path) + kTempInfix + std::to_string(getpid());
}

int kp_state_Save(const char* path, const String& state) {
    std::string temp = kp_state_TempName(path);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return kStateCannotCreate;

    std::vector<unsigned char> bytes;
    state.Save(bytes);
    bool complete = WriteAll(fd, bytes.data(), bytes.size()) && g_io.fsync(fd) == 0;
    if (close(fd) != 0) complete = false;
    if (!complete) {
        unlink(temp.c_str());
        return kStateShortWrite;
    }
    if (rename(temp.c_str(), path) != 0) {
        unlink(temp.c_str());
        return kStateCannotCreate;
    }
    std::string folder;
    std::string name;
    SplitPath(path, &folder, &name);
    SyncFolder(folder);
    return kStateSaved;
}

int kp_state_RemoveStaleTemps(const char* path) {
    std::string folder;
    std::string name;
    SplitPath(path, &folder, &name);
    std::string prefix = name + kTempInfix;

    DIR* dir = opendir(folder.c_str());
    if (!dir) return 0;
    std::vector<std::string> stale;
    while (dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        pid_t pid = 0;
        if (!ParsePid(entry->d_name + prefix.size(), &pid)) continue;
        // Another running copy of the program may be saving right now.
        if (pid != getpid() && ProcessRuns(pid)) continue;
        stale.push_back(folder + "/" + entry->d_name);
    }
    closedir(dir);

    int removed = 0;
    for (const std::string& file : stale) {
        if (unlink(file.c_str()) == 0) ++removed;
    }
    return removed;
}
