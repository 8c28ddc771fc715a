#include "tools/bench/program_probe.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "tools/bench/figures.h"

extern char** environ;

namespace {

constexpr double kMsPerSecond = 1000.0;
constexpr double kStartTimeout = 20.0;    // seconds to wait for a trace event
constexpr double kLoadSettle = 1.5;       // seconds after a resize or key for loading and the game to start

void SleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

// Runs a shell command (xdotool and friends) and returns its standard output.
std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

bool HaveCommand(const char* name) { return !Shell(std::string("command -v ") + name + " 2>/dev/null").empty(); }

// A started child process whose standard error is read line by line.
struct TraceLine {
    double at = 0;  // monotonic seconds printed by the program
    std::string text;
};

class GameProcess {
public:
    GameProcess(const ProgramOptions& options, const std::string& workDir,
                const std::vector<std::string>& args = {}) {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) env.push_back(*e);
        env.push_back("GLIMMER_TRACE=1");
        env.push_back("ALSOFT_DRIVERS=null");
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = options.program;
        std::vector<std::string> argStore = args;
        std::vector<char*> argv = {program.data()};
        for (std::string& a : argStore) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string oldDir = Shell("pwd");
        if (chdir(workDir.c_str()) != 0) return;
        spawnedAt_ = WallSeconds();
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = 0;
        if (chdir(oldDir.c_str()) != 0) return;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        readFd_ = fds[0];
        reader_ = std::thread([this] { Read(); });
    }

    ~GameProcess() {
        Stop();
        if (reader_.joinable()) reader_.join();
        if (readFd_ >= 0) close(readFd_);
    }

    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    double SpawnedAt() const { return spawnedAt_; }

    // Seconds (monotonic) of the first trace line starting with `event`, or < 0 on timeout.
    double WaitFor(const std::string& event, double timeout) {
        const double until = WallSeconds() + timeout;
        while (WallSeconds() < until) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                for (const TraceLine& line : lines_) {
                    if (line.text.compare(0, event.size(), event) == 0) return line.at;
                }
            }
            SleepSeconds(0.01);
        }
        return -1;
    }

    std::vector<TraceLine> LinesSince(double at) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<TraceLine> out;
        for (const TraceLine& line : lines_) {
            if (line.at >= at) out.push_back(line);
        }
        return out;
    }

    // utime + stime of the process, in seconds.
    double CpuSeconds() const {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t close = all.rfind(')');
        if (close == std::string::npos) return 0;
        std::istringstream fields(all.substr(close + 2));
        std::string f;
        double utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> f; ++i) {
            if (i == 14) utime = std::atof(f.c_str());
            if (i == 15) stime = std::atof(f.c_str());
        }
        return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    // Resident MiB of the GL driver's files (the JIT compiler and the DRI
    // driver), which every GL program on this machine carries.
    double DriverFileRssMiB() const {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/smaps");
        std::string line;
        bool driver = false;
        double kb = 0;
        while (std::getline(in, line)) {
            if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 16) {
                driver = line.find("libLLVM") != std::string::npos || line.find("/dri/") != std::string::npos ||
                         line.find("libgallium") != std::string::npos;
            } else if (driver && line.compare(0, 4, "Rss:") == 0) {
                kb += std::atof(line.c_str() + 4);
            }
        }
        return kb / 1024.0;
    }

    // VmHWM, the peak resident set, in MiB.
    double PeakRssMiB() const {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.compare(0, 6, "VmHWM:") == 0) return std::atof(line.c_str() + 6) / 1024.0;
        }
        return 0;
    }

    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = 0;
                return;
            }
            SleepSeconds(0.02);
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    void Read() {
        std::string partial;
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(readFd_, buffer, sizeof buffer);
            if (n <= 0) break;
            partial.append(buffer, static_cast<size_t>(n));
            size_t end = 0;
            while ((end = partial.find('\n')) != std::string::npos) {
                const std::string line = partial.substr(0, end);
                partial.erase(0, end + 1);
                static const std::string kPrefix = "glimmer-trace ";
                if (line.compare(0, kPrefix.size(), kPrefix) != 0) continue;
                TraceLine t;
                char* rest = nullptr;
                t.at = std::strtod(line.c_str() + kPrefix.size(), &rest);
                t.text = rest && *rest == ' ' ? rest + 1 : "";
                std::lock_guard<std::mutex> lock(mutex_);
                lines_.push_back(t);
            }
        }
    }

    pid_t pid_ = 0;
    int readFd_ = -1;
    double spawnedAt_ = 0;
    std::thread reader_;
    std::mutex mutex_;
    std::vector<TraceLine> lines_;
};

std::string FindWindow() {
    for (int i = 0; i < 100; ++i) {
        std::string id = Shell("xdotool search --onlyvisible --name '^Glimmer$' 2>/dev/null | head -1");
        if (!id.empty()) return id;
        SleepSeconds(0.05);
    }
    return "";
}

void Focus(const std::string& window) {
    Shell("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window +
          " 2>/dev/null");
}

void Key(const std::string& key) {
    Shell("xdotool keydown " + key + "; sleep 0.1; xdotool keyup " + key);
}

// A figure from a "second" trace line: the value after "name=".
double Field(const std::string& text, const std::string& name) {
    const size_t at = text.find(name + "=");
    return at == std::string::npos ? 0 : std::atof(text.c_str() + at + name.size() + 1);
}

// A fresh working folder with ./data pointing at the game's data.
std::string MakeWorkDir(const std::string& dataDir) {
    char pattern[] = "/tmp/glimmer_bench_run_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return "/tmp";
    Shell(std::string("ln -s '") + dataDir + "' '" + dir + "/data'");
    return dir;
}

struct GameFigures {
    double cpuPercent = 0;
    double updatesPerSecond = 0;
    double dropped = 0;
    double renderP95Median = 0;
    double renderP95Max = 0;
    double peakRss = 0;
    double driverRss = 0;
    double unfocusedUpdates = 0;
};

// Starts the program, sizes its window, starts a game, and measures play.
bool MeasureGame(const ProgramOptions& options, int width, int height, bool unfocusAfter, GameFigures* out,
                 double* unfocusedCpu) {
    const std::string work = MakeWorkDir(options.dataDir);
    GameProcess game(options, work);
    if (!game.Running() || game.WaitFor("menu_frame", kStartTimeout) < 0) return false;
    const std::string window = FindWindow();
    if (window.empty()) return false;
    Focus(window);
    if (width != 640 || height != 480) {
        Shell("xdotool windowsize --sync " + window + " " + std::to_string(width) + " " + std::to_string(height) +
              " 2>/dev/null");
        SleepSeconds(kLoadSettle * 2);
    }
    Focus(window);
    Key("z");
    SleepSeconds(kLoadSettle);
    const double start = WallSeconds();
    const double cpuStart = game.CpuSeconds();
    SleepSeconds(options.gameSeconds);
    const double cpu = game.CpuSeconds() - cpuStart;
    const double elapsed = WallSeconds() - start;
    std::vector<double> p95s;
    double updates = 0, dropped = 0, seconds = 0;
    for (const TraceLine& line : game.LinesSince(start)) {
        if (line.at > start + elapsed) break;
        if (line.text.compare(0, 7, "second ") != 0) continue;
        updates += Field(line.text, "updates");
        dropped += Field(line.text, "dropped");
        p95s.push_back(Field(line.text, "render_p95_ms"));
        seconds += 1;
    }
    out->cpuPercent = 100.0 * cpu / elapsed;
    out->updatesPerSecond = updates / elapsed;
    out->dropped = dropped;
    out->renderP95Median = Median(p95s);
    out->renderP95Max = p95s.empty() ? 0 : *std::max_element(p95s.begin(), p95s.end());
    out->peakRss = game.PeakRssMiB();
    out->driverRss = game.DriverFileRssMiB();
    if (unfocusAfter && unfocusedCpu) {
        // Another window takes the focus: the game suspends.
        Shell("(xlogo -geometry 100x100+0+0 >/dev/null 2>&1 &) ; sleep 0.5");
        const std::string other = Shell("xdotool search --onlyvisible --class xlogo 2>/dev/null | head -1");
        if (!other.empty()) {
            Focus(other);
        } else {
            Shell("xdotool windowfocus --sync $(xdotool search --maxdepth 0 --name '' 2>/dev/null | head -1) "
                  "2>/dev/null");
        }
        SleepSeconds(1.0);
        const double idleStart = WallSeconds();
        const double idleCpuStart = game.CpuSeconds();
        SleepSeconds(options.unfocusedSeconds);
        *unfocusedCpu = 100.0 * (game.CpuSeconds() - idleCpuStart) / (WallSeconds() - idleStart);
        for (const TraceLine& line : game.LinesSince(idleStart)) {
            if (line.text.compare(0, 7, "second ") == 0) out->unfocusedUpdates += Field(line.text, "updates");
        }
        if (!other.empty()) Shell("xdotool windowkill " + other + " 2>/dev/null");
    }
    game.Stop();
    Shell("rm -rf '" + work + "'");
    return true;
}

}  // namespace

void ProgramSection(const ProgramOptions& options) {
    if (!getenv("DISPLAY") || !HaveCommand("xdotool")) {
        BenchNote("no display or no xdotool: the real program is not measured");
        return;
    }
    pid_t windowManager = 0;
    if (Shell("wmctrl -m 2>/dev/null").empty() && HaveCommand("openbox")) {
        char wm[] = "openbox";
        char flag[] = "--sm-disable";
        char* argv[] = {wm, flag, nullptr};
        if (posix_spawnp(&windowManager, "openbox", nullptr, nullptr, argv, environ) != 0) windowManager = 0;
        for (int i = 0; i < 100 && Shell("wmctrl -m 2>/dev/null").empty(); ++i) SleepSeconds(0.05);
    }

    // For scale: the smallest GL program (a window, one texture, frames of one quad).
    {
        ProgramOptions self = options;
        self.program = options.selfPath;
        GameProcess baseline(self, "/tmp", {"--gl-baseline"});
        const double at = baseline.WaitFor("baseline_peak_rss_kib", kStartTimeout);
        double kib = NAN;
        for (const TraceLine& line : baseline.LinesSince(at)) {
            if (line.text.compare(0, 21, "baseline_peak_rss_kib") == 0) kib = std::atof(line.text.c_str() + 22);
        }
        BenchFigure("program_peak_rss_gl_baseline", kib / 1024.0, "MiB");
    }

    // Start-up.
    std::vector<double> firstFrame, menuFrame;
    for (int run = 0; run < options.startupRuns; ++run) {
        const std::string work = MakeWorkDir(options.dataDir);
        GameProcess game(options, work);
        const double first = game.WaitFor("first_frame", kStartTimeout);
        const double menu = game.WaitFor("menu_frame", kStartTimeout);
        if (first >= 0) firstFrame.push_back((first - game.SpawnedAt()) * kMsPerSecond);
        if (menu >= 0) menuFrame.push_back((menu - game.SpawnedAt()) * kMsPerSecond);
        game.Stop();
        Shell("rm -rf '" + work + "'");
    }
    BenchFigure("program_first_frame", firstFrame.empty() ? NAN : Median(firstFrame), "ms");
    BenchFigure("program_menu_frame", menuFrame.empty() ? NAN : Median(menuFrame), "ms");

    struct Size {
        int w, h, level;
        bool measureIdle;
    };
    // The game loads level 2 sheets when a side exceeds 630 pixels, level 4 above 1230.
    const Size sizes[] = {{640, 480, 1, true}, {960, 720, 2, false}, {1280, 720, 4, false}, {1920, 1080, 4, false}};
    for (const Size& s : sizes) {
        GameFigures f;
        double idle = NAN;
        const std::string name = std::to_string(s.w) + "x" + std::to_string(s.h);
        if (!MeasureGame(options, s.w, s.h, s.measureIdle, &f, &idle)) {
            BenchNote("the program did not reach a game at " + name);
            continue;
        }
        BenchFigure("program_game_" + name + "_cpu", f.cpuPercent, "%");
        BenchFigure("program_game_" + name + "_updates_per_s", f.updatesPerSecond, "updates/s");
        BenchFigure("program_game_" + name + "_dropped", f.dropped, "updates");
        BenchFigure("program_game_" + name + "_render_p95_median", f.renderP95Median, "ms");
        BenchFigure("program_game_" + name + "_render_p95_max", f.renderP95Max, "ms");
        const std::string level = "level" + std::to_string(s.level) + "_" + name;
        BenchFigure("program_peak_rss_" + level, f.peakRss, "MiB");
        BenchFigure("program_rss_gl_driver_files_" + level, f.driverRss, "MiB");
        if (s.measureIdle) {
            BenchFigure("program_unfocused_cpu", idle, "%");
            BenchFigure("program_unfocused_updates", f.unfocusedUpdates, "updates");
        }
    }
    if (windowManager > 0) {
        kill(windowManager, SIGTERM);
        waitpid(windowManager, nullptr, 0);
    }
}

int GlBaselineMain() {
    constexpr int kSide = 256;
    constexpr int kFrames = 100;
    if (!glfwInit()) return 1;
    GLFWwindow* window = glfwCreateWindow(640, 480, "Glimmer baseline", nullptr, nullptr);
    if (!window) return 1;
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);
    std::vector<unsigned char> pixels(kSide * kSide * 4, 128);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSide, kSide, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    const float quad[] = {-1, -1, 0, 0, 1, -1, 1, 0, 1, 1, 1, 1, -1, 1, 0, 1};
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 16, quad);
    glTexCoordPointer(2, GL_FLOAT, 16, quad + 2);
    for (int i = 0; i < kFrames; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
        glfwSwapBuffers(window);
        glfwPollEvents();
    }
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, 6, "VmHWM:") == 0) {
            std::fprintf(stderr, "glimmer-trace %.6f baseline_peak_rss_kib %s\n", WallSeconds(),
                         std::to_string(std::atof(line.c_str() + 6)).c_str());
        }
    }
    std::fflush(stderr);
    glfwTerminate();
    return 0;
}
