// The helper program the tool process tests start (host/tool_process.h):
//   tool_child args ARG...          each argument on a line of its own, between < and >
//   tool_child flood BYTES STATUS   BYTES bytes of lines, then exits with STATUS
//   tool_child wait                 says "waiting" and waits until it is ended (two minutes at most,
//                                   so that a tool the game failed to stop holds nothing for long)
// Its output goes through a pipe the game reads without waiting.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);   // the bytes as written, no carriage returns added
#endif
    if (argc >= 2 && std::strcmp(argv[1], "args") == 0) {
        for (int i = 2; i < argc; ++i) std::printf("<%s>\n", argv[i]);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "flood") == 0) {
        // Far more than a pipe holds: the tool blocks until the reader drains it.
        long left = std::atol(argv[2]);
        for (long line = 0; left > 0; ++line) {
            char text[32];
            const int n = std::snprintf(text, sizeof text, "%09ld\n", line % 1000000000L);
            const long take = left < n ? left : n;
            std::fwrite(text, 1, static_cast<size_t>(take), stdout);
            left -= take;
        }
        std::fflush(stdout);
        return std::atoi(argv[3]);
    }
    if (argc == 2 && std::strcmp(argv[1], "wait") == 0) {
        std::printf("waiting\n");
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::minutes(2));
        return 4;
    }
    std::fprintf(stderr, "usage: tool_child args ARG... | flood BYTES STATUS | wait\n");
    return 2;
}
