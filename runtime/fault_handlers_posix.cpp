#include <signal.h>

#include <vector>

#include "runtime/errors.h"

namespace {

[[maybe_unused]] constexpr size_t kSignalStackBytes = 256 * 1024;

}  // namespace

void kpInstallSignalHandlers() {
    // The handlers run on their own stack, so that a stack overflow is
    // reported like any other memory fault instead of killing the process.
    // (A browser raises no signals for faults and has no signal stacks.)
#ifndef __EMSCRIPTEN__
    static std::vector<char> alt_stack(kSignalStackBytes);
    stack_t stack{};
    stack.ss_sp = alt_stack.data();
    stack.ss_size = alt_stack.size();
    stack.ss_flags = 0;
    sigaltstack(&stack, nullptr);
#endif
    struct sigaction action {};
    action.sa_handler = sighandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    for (int signal : {SIGSEGV, SIGILL, SIGFPE}) sigaction(signal, &action, nullptr);
}
