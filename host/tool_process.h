// Helper programs the game starts from beside itself (the level solver), each
// read through a pipe that never makes the game wait. Linux and Windows run
// them (host/posix, host/win32); in the browser kp_tool_Find finds nothing and
// Start refuses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The path of the tool `name` beside this program (or in the folder named by
// GLIMMER_TOOL_FOLDER, where the tests keep it), as UTF-8; empty when there is
// none. On Windows the tool is `name`.exe.
std::string kp_tool_Find(const std::string& name);

// One helper program: its standard output through a pipe, its standard input
// and error on the null device.
class ToolProcess {
public:
    ToolProcess() = default;
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;
    ~ToolProcess() { Stop(); }

    // Arguments go to the tool as they are, spaces and quotes included.
    bool Start(const std::string& path, const std::vector<std::string>& args);   // false: it could not be started
    // Appends what the tool wrote since the last call, without waiting; false
    // once its output has ended and it has been reaped (ExitStatus tells how).
    bool Poll(std::string* output);
    void Stop();                        // ends a running tool at once and reaps it
    bool Running() const { return pid_ > 0; }
    int ExitStatus() const { return status_; }   // once ended: its exit status, -1 when it was stopped or killed
    long Id() const { return pid_; }    // the system's process id while it runs

private:
    long pid_ = -1;
    intptr_t process_ = 0;    // Windows: the process's handle
    intptr_t output_ = -1;    // the pipe's reading end: a descriptor, or on Windows a handle
    int status_ = -1;
};
