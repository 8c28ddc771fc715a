// Runtime errors and the debugger stop protocol. Anything that
// writes to the standard streams or ends the process runs in a forked child
// whose standard input is a pipe holding the debugger's answers.
#include "runtime/errors.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/object.h"

namespace {

struct ChildResult {
    int status = -1;  // exit status, or 1000 + signal number when killed
    std::string out;
    std::string err;
};

std::string ReadAll(FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
    std::fclose(file);
    return text;
}

// Runs `body` in a child. `input` is fed to its standard input (then end of
// input); a null `input` closes standard input altogether.
ChildResult RunChild(const char* input, const std::function<void()>& body) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    int in_pipe[2] = {-1, -1};
    if (!out || !err || pipe(in_pipe) != 0) return {};
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(in_pipe[1]);
        input ? dup2(in_pipe[0], 0) : close(0);
        dup2(fileno(out), 1);
        dup2(fileno(err), 2);
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(100);  // the body returned
    }
    close(in_pipe[0]);
    const size_t length = input ? std::strlen(input) : 0;
    if (input && write(in_pipe[1], input, length) != static_cast<ssize_t>(length)) ADD_FAILURE() << "short pipe write";
    close(in_pipe[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status), ReadAll(out), ReadAll(err)};
}

const std::string kBanner = "{{~~~~}}\n\n";  // the debugger's stop banner on standard error
const std::string kReport = "Zephyr Runtime Error : x\n\n";

TEST(RuntimeError, DebuggerAnswers) {
    const struct { const char* name; const char* input; int status; std::string out, err; } cases[] = {
        {"empty message", nullptr, 0, "", ""},  // ends quietly without asking
        {"stdin closed", nullptr, 255, kReport, kBanner},
        {"end of input", "", 255, kReport, kBanner},
        {"quit", "q\n", 0, kReport, kBanner},
        {"unknown command", "zzz\n", 255, kReport + "????? zzz ?????", kBanner},
        {"empty line", "\n", 255, kReport + "?????  ?????", kBanner},
        {"no line feed", "q", 255, kReport, kBanner},
        {"help then quit", "?\n?\nq\n", 0, kReport, kBanner},
        {"run reports again", "r\nq\n", 0, kReport + kReport, kBanner + kBanner},
        {"null and wild inspect", "@0\n@0x10\n@12345678\n@\nq\n", 0, kReport, kBanner + "\n\n\n\n"}};
    for (const auto& c : cases) {
        const String message(c.out.empty() ? "" : "x");
        const ChildResult r = RunChild(c.input, [&] { kpError(message); });
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
    }
    const std::string tooLong = std::string(300, 'q') + "\n";
    EXPECT_EQ(RunChild(tooLong.c_str(), [] { kpError(String("x")); }).status, 255) << "a line too long is no quit";
}

// The inspect command takes an address typed by a person: only live Objects
// are dereferenced; anything else prints an empty line instead of crashing.
TEST(RuntimeError, InspectChecksTheAddress) {
    Object* live = new Object();
    Array<int> array(4);
    std::string input;
    for (const void* p : {static_cast<const void*>(live), static_cast<const void*>(array.GetRep()),
                          static_cast<const void*>(reinterpret_cast<char*>(live) + 8),
                          static_cast<const void*>(&gc_unmarked_list)}) {
        char line[64];
        std::snprintf(line, sizeof line, "@%p\n", p);
        input += line;
    }
    const ChildResult r = RunChild((input + "q\n").c_str(), [] { kpError(String("inspect")); });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner + "+Object\n\n\n\n\n");
}

volatile uintptr_t g_wild_address = 16;  // unmapped, hidden from the optimiser

// Recurses until the stack runs out (the bound is far beyond any stack).
void Recurse(volatile int* depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(*depth);
    if (++*depth > 100000000) return;
    Recurse(depth);
    frame[1] = frame[0];
}

TEST(RuntimeError, FatalSignalsBecomeRuntimeErrors) {
    const struct { const char* name; std::function<void()> fault; const char* message; } cases[] = {
        {"wild write", [] { *reinterpret_cast<volatile int*>(g_wild_address) = 1; }, "Memory access violation"},
        {"stack overflow", [] { volatile int depth = 0; Recurse(&depth); }, "Memory access violation"},
        {"raised SIGFPE", [] { raise(SIGFPE); }, "Floating point exception"},
        {"raised SIGILL", [] { raise(SIGILL); }, "Illegal instruction"},
        {"other signal", [] { sighandler(SIGUSR1); }, "Unknown signal"}};
    for (const auto& c : cases) {
        const ChildResult r = RunChild(nullptr, [&] {
            kpInstallSignalHandlers();
            c.fault();
        });
        EXPECT_EQ(r.status, 255) << c.name;
        EXPECT_EQ(r.out, std::string("Zephyr Runtime Error : ") + c.message + "\n\n") << c.name;
    }
}

}  // namespace
