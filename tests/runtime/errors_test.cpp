// Runtime errors and the debugger stop protocol. Anything that
// writes to the standard streams or ends the process runs in a child process
// (forked; on Windows this program run again) whose standard input holds the
// debugger's answers.
#include "runtime/errors.h"

#include <gtest/gtest.h>
#include <signal.h>
#ifdef _WIN32
#include <fcntl.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
constexpr const char* kChildCall = "GLIMMER_TEST_CHILD_CALL";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Windows has no fork: the child is this program run again for the current
// test. It runs the body of the one RunChild call named in its environment
// (the calls before it return at once) with its streams on the files here;
// it writes the input itself, which may name its own objects' addresses.
ChildResult RunChild(const char* input, const std::function<void()>& body) {
    // Calls are counted within the current test, which is all the child runs.
    static const testing::TestInfo* counting = nullptr;
    static int calls = 0;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    if (test != counting) counting = test, calls = 0;
    const std::string call = std::to_string(++calls);
    const std::string in = testing::TempDir() + "child" + call + ".in", out = in + ".out", err = in + ".err";
    if (const char* wanted = std::getenv(kChildCall)) {
        if (call != wanted) return {};
        std::ofstream(in, std::ios::binary) << (input ? input : "");
        std::fflush(stdout);
        std::fflush(stderr);
        input ? _dup2(_open(in.c_str(), _O_RDONLY | _O_BINARY), 0) : _close(0);
        _dup2(_open(out.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600), 1);
        _dup2(_open(err.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600), 2);
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(100);  // the body returned
    }
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program + "\" --gtest_filter=" + test->test_suite_name() + "." + test->name();
    SetEnvironmentVariableA(kChildCall, call.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    DWORD code = 1000;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &child)) {
        WaitForSingleObject(child.hProcess, INFINITE);
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hProcess);
        CloseHandle(child.hThread);
    }
    SetEnvironmentVariableA(kChildCall, nullptr);
    return {static_cast<int>(code & 0xff), ReadAll(out), ReadAll(err)};  // exit(-1) leaves 0xffffffff
}
#else
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
#endif

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
[[maybe_unused]] volatile int g_divisor = 0;
[[maybe_unused]] volatile int g_quotient = 1;

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
#ifdef _WIN32  // Windows raises no signals: the faults themselves
        {"division by zero", [] { g_quotient = g_quotient / g_divisor; }, "Floating point exception"},
        {"illegal instruction", [] { __builtin_trap(); }, "Illegal instruction"},
#else
        {"raised SIGFPE", [] { raise(SIGFPE); }, "Floating point exception"},
        {"raised SIGILL", [] { raise(SIGILL); }, "Illegal instruction"},
#endif
        {"other signal", [] { sighandler(SIGTERM); }, "Unknown signal"}};
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
