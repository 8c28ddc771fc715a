// The real program in a real window: start-up times from its trace lines
// (GLIMMER_TRACE), process CPU in a game and while unfocused, updates held
// and dropped, frame times, and peak resident memory at each resolution
// level. Needs an X display (Xvfb) and xdotool; a window manager (openbox)
// is started on the display when none runs, so focus behaves as on a desktop.
#pragma once

#include <string>

struct ProgramOptions {
    std::string program;      // the glimmer executable
    std::string dataDir;      // the data folder the program reads as ./data
    std::string selfPath;     // this benchmark, run as the smallest GL program for scale
    int startupRuns = 3;
    double gameSeconds = 20;
    double unfocusedSeconds = 10;
};

void ProgramSection(const ProgramOptions& options);
// The smallest GL program: prints its peak resident memory as a trace line.
int GlBaselineMain();
