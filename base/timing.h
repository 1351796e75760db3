// Timings of the program's start and drawing on stderr, for people measuring it: only when the
// environment sets RIDGEVIEW_TIMING=1, and then nothing else about the program changes.
//
// Each line reads "ridgeview: timing: <what>: <ms> ms after start" where start is when the
// process began (the kernel's start time, to 10 ms; the later marks keep microseconds between
// each other), followed by the wall-clock time of the mark in seconds since 1970, so that a
// script that started the program can measure from its own clock too.
#pragma once

namespace ridgeview::base {

bool TimingEnabled();

// Milliseconds since the process started.
double MillisecondsSinceStart();

// Writes the line for `what` when timing is enabled.
void ReportTiming(const char* what);
// The same with a duration of its own: "<what>: <ms> ms (at <ms> ms after start)".
void ReportDuration(const char* what, double milliseconds);

}  // namespace ridgeview::base
