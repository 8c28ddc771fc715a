// The state file's system calls on POSIX systems (and on the browser's file
// system): descriptors, fsync, rename, and kill(pid, 0) to tell whether the
// process that left a temporary file still runs.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>

#include "host/platform.h"

const char* const kPathSeparators = "/";

int kp_file_CreateForWrite(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int kp_file_Write(int handle, const void* data, size_t size) {
    for (;;) {
        const ssize_t n = ::write(handle, data, size < kMaxFileWrite ? size : kMaxFileWrite);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<int>(n);
    }
}

int kp_file_Sync(int handle) { return fsync(handle) == 0 ? 0 : -1; }

int kp_file_Close(int handle) { return close(handle) == 0 ? 0 : -1; }

bool kp_file_Replace(const std::string& from, const std::string& to) {
    if (rename(from.c_str(), to.c_str()) != 0) return false;
    // The rename is durable once its folder is synced; a failure here still
    // leaves a complete file either way.
    const size_t slash = to.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return true;
}

bool kp_file_Remove(const std::string& path) { return unlink(path.c_str()) == 0; }

bool kp_file_MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) return true;
    struct stat info {};
    return errno == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> kp_file_List(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

unsigned long kp_process_Id() { return static_cast<unsigned long>(getpid()); }

bool kp_process_Runs(unsigned long pid) {
    // Beyond pid_t, kill would name a process group: unsure.
    if (pid == 0 || pid > static_cast<unsigned long>(INT_MAX)) return true;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}
