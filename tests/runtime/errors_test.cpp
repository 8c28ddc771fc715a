// Output lines, runtime errors and the debugger stop protocol. Anything that
// writes to the standard streams or ends the process runs in a forked child
// whose standard input is a pipe holding the debugger's answers.
#include "runtime/errors.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "runtime/object.h"

namespace {

struct ChildResult {
    int status = -1;  // exit status, or 1000 + signal number when killed
    std::string out;
    std::string err;
};

std::string ReadAll(int fd) {
    std::string text;
    lseek(fd, 0, SEEK_SET);
    char buf[4096];
    ssize_t n = 0;
    while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
    return text;
}

int TempFile() {
    char path[] = "/tmp/runtime_errors_XXXXXX";
    int fd = mkstemp(path);
    unlink(path);
    return fd;
}

// Runs `body` in a child. `input` is fed to its standard input (then end of
// input); a null `input` closes standard input altogether.
ChildResult RunChild(const char* input, const std::function<void()>& body) {
    ChildResult result;
    int out_fd = TempFile();
    int err_fd = TempFile();
    int in_pipe[2] = {-1, -1};
    if (pipe(in_pipe) != 0) return result;
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        close(in_pipe[1]);
        if (input) {
            dup2(in_pipe[0], 0);
        } else {
            close(0);
        }
        close(in_pipe[0]);
        dup2(out_fd, 1);
        dup2(err_fd, 2);
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(100);  // the body returned
    }
    close(in_pipe[0]);
    if (input) {
        size_t len = std::strlen(input);
        if (write(in_pipe[1], input, len) != static_cast<ssize_t>(len)) ADD_FAILURE() << "short pipe write";
    }
    close(in_pipe[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    result.out = ReadAll(out_fd);
    result.err = ReadAll(err_fd);
    close(out_fd);
    close(err_fd);
    return result;
}

const char kBanner[] = "{{~~~~}}\n\n";

TEST(Print, Utf8OnStdoutLowBytesOnStderr) {
    String e_acute = String::FromChar(0xE9);
    ChildResult r = RunChild("", [&] {
        kpPrint(e_acute);
        kpDebugLog(String("log"));
        dbg_print(e_acute);
    });
    EXPECT_EQ(r.status, 100);
    EXPECT_EQ(r.out, "\xC3\xA9\nlog\n");
    EXPECT_EQ(r.err, "\xE9\n");
}

TEST(DebugValues, TypesAndQuotedForms) {
    EXPECT_EQ(dbg_type(static_cast<bool*>(nullptr)).ToCString(), "Bool");
    EXPECT_EQ(dbg_type(static_cast<int*>(nullptr)).ToCString(), "Int");
    EXPECT_EQ(dbg_type(static_cast<float*>(nullptr)).ToCString(), "Float");
    EXPECT_EQ(dbg_type(static_cast<String*>(nullptr)).ToCString(), "String");
    EXPECT_EQ(dbg_value(true).ToCString(), "True");
    EXPECT_EQ(dbg_value(false).ToCString(), "False");
    EXPECT_EQ(dbg_value(-3).ToCString(), "-3");
    EXPECT_EQ(dbg_value(2.0f).ToCString(), "2.0");

    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"a\"b\tc\nd\re~", "\"a~qb~tc~nd~re~\""},
        {std::string(150, 'x'), "\"" + std::string(100, 'x') + "...\""},
        {std::string(100, 'y'), "\"" + std::string(100, 'y') + "\""},
        // Cut first, then escaped: the quote at unit 101 is gone.
        {std::string(100, 'z') + "\"", "\"" + std::string(100, 'z') + "...\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dbg_value(String(c.text.c_str())).ToCString(), c.expected) << "text of " << c.text.size();
    }
    Object* object = new Object();
    EXPECT_EQ(object->debug().ToCString(), "+Object\n");
}

TEST(RuntimeError, EmptyMessageEndsQuietly) {
    ChildResult r = RunChild(nullptr, [] { kpError(String()); });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST(RuntimeError, DebuggerAnswers) {
    const std::string report = "Zephyr Runtime Error : x\n\n";
    struct Case {
        const char* name;
        bool closed;  // standard input closed instead of fed
        std::string input;
        int status;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {"stdin closed", true, "", 255, report, kBanner},
        {"end of input", false, "", 255, report, kBanner},
        {"quit", false, "q\n", 0, report, kBanner},
        {"unknown command", false, "zzz\n", 255, report + "????? zzz ?????", kBanner},
        {"empty line", false, "\n", 255, report + "?????  ?????", kBanner},
        {"no line feed", false, "q", 255, report, kBanner},
        {"help then quit", false, "?\n?\nq\n", 0, report, kBanner},
        {"run reports again", false, "r\nq\n", 0, report + report, std::string(kBanner) + kBanner},
        {"line too long", false, std::string(300, 'q') + "\n", 255, report, kBanner},
        {"null inspect", false, "@0\nq\n", 0, report, std::string(kBanner) + "\n"},
        {"wild inspect", false, "@0x10\n@12345678\n@\nq\n", 0, report, std::string(kBanner) + "\n\n\n"},
    };
    for (const Case& c : cases) {
        ChildResult r = RunChild(c.closed ? nullptr : c.input.c_str(), [] { kpError(String("x")); });
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
    }
}

TEST(RuntimeError, StopCommandsSetTheDebuggerState) {
    struct Case {
        const char* input;
        int suspend;
        int stepmode;
    };
    const Case cases[] = {{"r\n", 0, 0}, {"s\n", 1, 's'}, {"e\n", 1, 'e'}, {"l\n", 0, 'l'}};
    for (const Case& c : cases) {
        ChildResult r = RunChild(c.input, [] {
            dbg_suspend = 7;
            dbg_stepmode = 7;
            if (kpDebugStop() != 0) _exit(99);
            _exit(dbg_suspend * 128 + dbg_stepmode);
        });
        EXPECT_EQ(r.status, c.suspend * 128 + c.stepmode) << c.input;
        EXPECT_EQ(r.err, kBanner) << c.input;
    }
}

// The inspect command takes an address typed by a person: only live Objects
// are dereferenced; anything else prints an empty line instead of crashing.
TEST(RuntimeError, InspectChecksTheAddress) {
    Object* live = new Object();
    Array<int> array(4);
    char text[64];
    std::string input;
    std::snprintf(text, sizeof text, "@%p\n", static_cast<void*>(live));
    input += text;
    std::snprintf(text, sizeof text, "@%p\n", static_cast<void*>(array.GetRep()));
    input += text;
    std::snprintf(text, sizeof text, "@%p\n", static_cast<void*>(reinterpret_cast<char*>(live) + 8));
    input += text;
    std::snprintf(text, sizeof text, "@%p\n", static_cast<void*>(&gc_unmarked_list));
    input += text;
    input += "q\n";
    ChildResult r = RunChild(input.c_str(), [] { kpError(String("inspect")); });
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, std::string(kBanner) + "+Object\n\n" + "\n" + "\n" + "\n");
}

// An unmapped address, hidden from the optimiser.
volatile uintptr_t g_wild_address = 16;

// Recurses until the stack runs out (the bound is far beyond any stack).
void Recurse(volatile int* depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(*depth);
    if (++*depth > 100000000) return;
    Recurse(depth);
    frame[1] = frame[0];
}

TEST(RuntimeError, FatalSignalsBecomeRuntimeErrors) {
    struct Case {
        const char* name;
        std::function<void()> fault;
        const char* message;
    };
    const Case cases[] = {
        {"wild write", [] { *reinterpret_cast<volatile int*>(g_wild_address) = 1; }, "Memory access violation"},
        {"stack overflow", [] { volatile int depth = 0; Recurse(&depth); }, "Memory access violation"},
        {"raised SIGFPE", [] { raise(SIGFPE); }, "Floating point exception"},
        {"raised SIGILL", [] { raise(SIGILL); }, "Illegal instruction"},
        {"other signal", [] { sighandler(SIGUSR1); }, "Unknown signal"},
    };
    for (const Case& c : cases) {
        ChildResult r = RunChild(nullptr, [&] {
            kpInstallSignalHandlers();
            c.fault();
        });
        EXPECT_EQ(r.status, 255) << c.name;
        EXPECT_EQ(r.out, std::string("Zephyr Runtime Error : ") + c.message + "\n\n") << c.name;
    }
}

}  // namespace
