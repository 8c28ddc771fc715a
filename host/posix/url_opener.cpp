// Opening URLs on a POSIX desktop: xdg-open, started without a shell.
#include "host/platform.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kUrlOpener = "xdg-open";

// Openers started earlier, reaped on the next call; they normally hand the
// URL over and exit at once.
std::vector<pid_t>& UrlOpeners() {
    static std::vector<pid_t>* openers = new std::vector<pid_t>();
    return *openers;
}

}  // namespace

void kp_platform_OpenUrl(const String& url) {
    std::vector<pid_t>& openers = UrlOpeners();
    for (size_t i = 0; i < openers.size();) {
        if (waitpid(openers[i], nullptr, WNOHANG) != 0) {
            openers.erase(openers.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
    // The URL is one argument of the opener, never text for a shell.
    std::string text = url.ToUtf8();
    std::string program = kUrlOpener;
    char* args[] = {program.data(), text.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, kUrlOpener, nullptr, nullptr, args, environ) == 0) openers.push_back(pid);
}
