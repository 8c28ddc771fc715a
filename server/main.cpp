// glimmer-scores: the world boards' server. Runs are believed only when
// their replays play to the exit on the game's own code.
//
//   glimmer-scores serve [--database URL] [--port N] [--web DIR] ...
//   glimmer-scores reverify [--database URL]
//   glimmer-scores migrate [--database URL]
//
// Every option can also come from the environment (GLIMMER_SCORES_DATABASE,
// GLIMMER_SCORES_PORT, ...); an option given on the command line wins.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "server/database.h"
#include "server/http_server.h"
#include "server/metrics.h"
#include "server/reverify.h"
#include "server/run_verifier.h"
#include "server/score_api.h"
#include "server/score_store.h"
#include "server/verification_queue.h"
#include "tools/cli/command_line.h"

namespace {

constexpr const char* kUsage =
    "usage: glimmer-scores serve [OPTIONS]      the boards over HTTP\n"
    "       glimmer-scores reverify [OPTIONS]   every stored run played again with this build\n"
    "       glimmer-scores migrate [OPTIONS]    the database's schema brought up to date\n"
    "options (and the environment variables that set them):\n"
    "  --database URL       sqlite:FILE or postgresql://... (GLIMMER_SCORES_DATABASE;\n"
    "                       default sqlite:glimmer-scores.db)\n"
    "  --address A          address to listen on (GLIMMER_SCORES_ADDRESS; default 0.0.0.0)\n"
    "  --port N             port, 0 for any free one (GLIMMER_SCORES_PORT; default 8080)\n"
    "  --web DIR            also serve this folder at / (GLIMMER_SCORES_WEB), e.g. the browser build\n"
    "  --threads N          request threads and database connections (GLIMMER_SCORES_THREADS; default 16)\n"
    "  --queue N            runs waiting for verification before \"busy\" (GLIMMER_SCORES_QUEUE; default 32)\n"
    "  --post-burst N       posts at once per key and per address (GLIMMER_SCORES_POST_BURST; default 10)\n"
    "  --post-every S       then one post per S seconds (GLIMMER_SCORES_POST_EVERY; default 6)\n"
    "  --read-burst N       reads at once per address (GLIMMER_SCORES_READ_BURST; default 200)\n"
    "  --read-every S       then one read per S seconds (GLIMMER_SCORES_READ_EVERY; default 0.01)\n"
    "  --forwarded-for      the client's address is the last of X-Forwarded-For\n"
    "                       (GLIMMER_SCORES_FORWARDED_FOR=1; only behind a balancer that sets it)\n"
    "  --quiet              no request log (GLIMMER_SCORES_QUIET=1)\n"
    "serve logs one line per request on standard output and stops on SIGTERM or\n"
    "SIGINT after the runs under way; status 0 after a clean stop, 1 when it\n"
    "cannot start, 2 for a usage error.\n";

struct Settings {
    std::string database = "sqlite:glimmer-scores.db";
    HttpOptions http;
    size_t queue = 32;
    ApiLimits limits;
};

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

double Positive(const ToolCommandLine& commandLine, const std::string& text, const char* what) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0)) commandLine.Refuse(std::string(what) + " must be a number");
    return value;
}

Settings Read(ToolCommandLine& commandLine) {
    Settings settings;
    // The environment first, then the command line over it.
    std::vector<std::pair<std::string, std::string>> given;
    for (const char* name : {"database", "address", "port", "web", "threads", "queue", "post-burst", "post-every",
                             "read-burst", "read-every"}) {
        std::string variable = std::string("GLIMMER_SCORES_") + name;
        for (char& c : variable) c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const std::string value = Env(variable.c_str());
        if (!value.empty()) given.emplace_back(std::string("--") + name, value);
    }
    settings.http.forwardedFor = Env("GLIMMER_SCORES_FORWARDED_FOR") == "1";
    settings.http.quiet = Env("GLIMMER_SCORES_QUIET") == "1";
    while (commandLine.NextOption()) {
        if (commandLine.Is("--forwarded-for")) {
            settings.http.forwardedFor = true;
        } else if (commandLine.Is("--quiet")) {
            settings.http.quiet = true;
        } else {
            bool known = false;
            for (const char* name : {"--database", "--address", "--port", "--web", "--threads", "--queue", "--post-burst",
                                     "--post-every", "--read-burst", "--read-every"}) {
                if (commandLine.Is(name)) {
                    given.emplace_back(name, commandLine.Value());
                    known = true;
                }
            }
            if (!known) commandLine.RefuseOption();
        }
    }
    for (const auto& [option, value] : given) {
        if (option == "--database") settings.database = value;
        if (option == "--address") settings.http.address = value;
        if (option == "--web") settings.http.webFolder = value;
        if (option == "--port") {
            const double port = Positive(commandLine, value, "--port");
            if (port > 65535 || port != static_cast<int>(port)) commandLine.Refuse("--port must be 0..65535");
            settings.http.port = static_cast<int>(port);
        }
        if (option == "--threads") settings.http.threads = static_cast<int>(Positive(commandLine, value, "--threads"));
        if (option == "--queue") settings.queue = static_cast<size_t>(Positive(commandLine, value, "--queue"));
        if (option == "--post-burst") settings.limits.postBurst = Positive(commandLine, value, "--post-burst");
        if (option == "--post-every") settings.limits.postEverySeconds = Positive(commandLine, value, "--post-every");
        if (option == "--read-burst") settings.limits.readBurst = Positive(commandLine, value, "--read-burst");
        if (option == "--read-every") settings.limits.readEverySeconds = Positive(commandLine, value, "--read-every");
    }
    if (settings.http.threads < 1 || settings.queue < 1) commandLine.Refuse("--threads and --queue must be at least 1");
    return settings;
}

// The database, its schema brought up to date.
std::unique_ptr<SqlPool> OpenDatabase(const Settings& settings) {
    std::unique_ptr<SqlPool> pool = SqlPool::Open(settings.database, settings.http.threads + 2);
    const int applied = ScoreStore(*pool).Migrate();
    if (applied > 0) std::printf("glimmer-scores: %d migration(s) applied to the %s database\n", applied, pool->Kind().c_str());
    return pool;
}

int Serve(const Settings& settings) {
    // Signals are taken by one thread that waits for them; every other thread blocks them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<SqlPool> pool = OpenDatabase(settings);
    ScoreStore store(*pool);
    VerificationQueue queue(settings.queue);
    Metrics metrics;
    ScoreApi api(store, queue, metrics, settings.limits);
    HttpServer server(api, settings.http);
    if (!server.Bind()) return 1;
    std::printf("glimmer-scores: %s, %s database, %zu levels, listening on %s port %d\n", kp_scores_BuildId(),
                pool->Kind().c_str(), queue.LevelHashes().size(), settings.http.address.c_str(), server.BoundPort());
    std::fflush(stdout);

    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        std::printf("glimmer-scores: stopping: finishing the runs under way, taking no new ones\n");
        std::fflush(stdout);
        // Posts are refused from now on; what has come in is answered, then the port closes.
        api.Drain();
        server.WaitQuiet(std::chrono::milliseconds(300), std::chrono::seconds(60));
        server.Stop();
    });
    server.Serve();
    queue.Stop();
    if (stopper.joinable()) {
        // Serve also ends when the socket fails: wake the waiting thread.
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
    }
    std::printf("glimmer-scores: stopped\n");
    return 0;
}

int Reverify(const Settings& settings) {
    std::unique_ptr<SqlPool> pool = OpenDatabase(settings);
    ScoreStore store(*pool);
    VerificationQueue queue(settings.queue);
    const ReverifySummary summary = kp_scores_Reverify(store, queue, stdout);
    std::printf("reverify: %lld runs checked with %s: %lld verify, %lld do not (%lld newly refused, %lld valid again); "
                "%lld runs of levels this build does not have left as they stand\n",
                summary.checked, kp_scores_BuildId(), summary.valid, summary.refused, summary.newlyRefused,
                summary.restored, summary.otherLevels);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ToolCommandLine commandLine(argc, argv, kUsage);
    const Settings settings = Read(commandLine);
    const std::vector<std::string>& operands = commandLine.Operands(1, 1);
    try {
        if (operands[0] == "serve") return Serve(settings);
        if (operands[0] == "reverify") return Reverify(settings);
        if (operands[0] == "migrate") {
            OpenDatabase(settings);
            std::printf("glimmer-scores: the schema is up to date\n");
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glimmer-scores: %s\n", e.what());
        return 1;
    }
    commandLine.Refuse("unknown command \"" + operands[0] + "\"");
}
