// Fault handlers on POSIX systems: SIGSEGV, SIGILL and SIGFPE become runtime
// errors through sighandler, on a stack of their own.
#include <signal.h>

#include <vector>

#include "runtime/errors.h"

namespace {

constexpr size_t kSignalStackBytes = 256 * 1024;

}  // namespace

void kpInstallSignalHandlers() {
    // The handlers run on their own stack, so that a stack overflow is
    // reported like any other memory fault instead of killing the process.
    static std::vector<char> alt_stack(kSignalStackBytes);
    stack_t stack{};
    stack.ss_sp = alt_stack.data();
    stack.ss_size = alt_stack.size();
    stack.ss_flags = 0;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = sighandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    for (int signal : {SIGSEGV, SIGILL, SIGFPE}) sigaction(signal, &action, nullptr);
}
