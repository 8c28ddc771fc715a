// Edges of the Windows backend that only a fresh process shows (the first use
// of a facility), run under Wine with the suites:
//   winsock  eight threads make their first sockets at the same moment: every
//            one gets a socket, so none went ahead before Winsock had started;
//   fault    a fault taken while the standard output's lock is held, so the
//            report cannot be written: the process ends all the same, with
//            the runtime error's status, well within the limit given here.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "host/platform_sockets.h"
#include "runtime/errors.h"

namespace {

constexpr int kThreads = 8;
constexpr DWORD kFaultLimitMillis = 60000;
constexpr DWORD kRuntimeErrorStatus = static_cast<DWORD>(-1);

int FirstSocketsAtOnce() {
    std::atomic<int> waiting{kThreads};
    std::atomic<int> opened{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            for (--waiting; waiting > 0;) std::this_thread::yield();
            kp_socket_Startup();
            const int handle = kp_socket_Create(SOCK_STREAM, IPPROTO_TCP);
            if (handle >= 0) {
                ++opened;
                kp_socket_Close(handle);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::printf("%s: %d of %d threads got a socket\n", opened == kThreads ? "ok" : "FAIL", opened.load(), kThreads);
    return opened == kThreads ? 0 : 1;
}

[[noreturn]] void FaultHoldingTheOutputLock() {
    kpInstallSignalHandlers();
    _lock_file(stdout);
    *static_cast<volatile int*>(nullptr) = 1;
    std::abort();
}

// Runs this program again with `mode` and returns its exit status, or -2 when
// it did not end within the limit.
long long RunSelf(const char* mode, DWORD limitMillis) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = std::string("\"") + self + "\" " + mode;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -3;
    long long result = -2;
    if (WaitForSingleObject(process.hProcess, limitMillis) == WAIT_OBJECT_0) {
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        result = status;
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

int FaultEndsInTime() {
    const long long status = RunSelf("fault-child", kFaultLimitMillis);
    const bool ok = status == kRuntimeErrorStatus;
    std::printf("%s: a fault with the output locked ends the process with %lld (expected %lu, -2 for still running)\n",
                ok ? "ok" : "FAIL", status, static_cast<unsigned long>(kRuntimeErrorStatus));
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "winsock") return FirstSocketsAtOnce();
    if (mode == "fault") return FaultEndsInTime();
    if (mode == "fault-child") FaultHoldingTheOutputLock();
    std::fprintf(stderr, "usage: edges_test winsock|fault\n");
    return 2;
}
