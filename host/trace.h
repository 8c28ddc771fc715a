// Timing lines for benchmarks and start-up checks. With GLIMMER_TRACE set in
// the environment, events go to standard error as
// "glimmer-trace <seconds on the monotonic clock> <event> [figures]";
// without it every call is one cached test and prints nothing.
#pragma once

bool kpTraceEnabled();
// Prints the event now.
void kpTraceEvent(const char* event);
// Prints the event once the next rendered frame has been shown; only the
// first call for a given event counts (callers may repeat it every update).
void kpTraceAfterNextFrame(const char* event);

// Main-loop accounting, printed as one "second" line per second of loop time:
// updates run, frames rendered, updates dropped from a backlog, and the
// 95th-percentile and longest render in milliseconds.
void kpTraceUpdate();
void kpTraceDroppedUpdates(int count);
void kpTraceFrame(double renderSeconds);  // after each rendered frame
