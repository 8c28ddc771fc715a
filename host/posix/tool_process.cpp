// Helper programs on Linux: posix_spawn with the output through a
// non-blocking pipe; the program's folder from /proc/self/exe.
#include "host/tool_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace {

bool Executable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

std::string ProgramFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    const std::string exe(path, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

}  // namespace

std::string kp_tool_Find(const std::string& name) {
    const std::string beside = ProgramFolder() + name;
    if (Executable(beside)) return beside;
    const char* folder = std::getenv("GLIMMER_TOOL_FOLDER");
    if (folder && *folder) {
        const std::string there = std::string(folder) + "/" + name;
        if (Executable(there)) return there;
    }
    return std::string();
}

bool ToolProcess::Start(const std::string& path, const std::vector<std::string>& args) {
    Stop();
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed != 0) {
        close(pipeEnds[0]);
        return false;
    }
    fcntl(pipeEnds[0], F_SETFL, fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
    pid_ = pid;
    output_ = pipeEnds[0];
    status_ = -1;
    return true;
}

bool ToolProcess::Poll(std::string* output) {
    if (pid_ <= 0) return false;
    char block[4096];
    while (output_ >= 0) {
        const ssize_t got = read(static_cast<int>(output_), block, sizeof block);
        if (got > 0) {
            output->append(block, static_cast<size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0) {
            return true;   // nothing more yet
        } else {
            close(static_cast<int>(output_));   // its output has ended; its exit follows
            output_ = -1;
        }
    }
    int status = 0;
    const pid_t done = waitpid(static_cast<pid_t>(pid_), &status, WNOHANG);
    if (done == 0) return true;
    pid_ = -1;
    status_ = done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

void ToolProcess::Stop() {
    if (pid_ <= 0) return;
    kill(static_cast<pid_t>(pid_), SIGKILL);
    int status = 0;
    while (waitpid(static_cast<pid_t>(pid_), &status, 0) < 0 && errno == EINTR) {
    }
    if (output_ >= 0) close(static_cast<int>(output_));
    output_ = -1;
    pid_ = -1;
    status_ = -1;
}
