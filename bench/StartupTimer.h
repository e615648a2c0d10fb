#pragma once

#include <string>
#include <vector>

struct StartupTiming {
    bool measured = false;
    std::string note;              // why nothing was measured, or what to know about the figures
    std::vector<double> seconds;   // one per counted launch: until the splash picture is on screen
    std::vector<double> mapped;    // the same launches: until the window is mapped
};

// Starts program on a private X server (Xvfb) launches + 1 times, the first one uncounted, and measures each
// time from the launch to the moment its window first shows the splash picture (the decoding of splashJpeg)
// at its place; then closes the window as a window manager would. Skips, saying why, when Xvfb or the program
// is missing.
StartupTiming MeasureStartup(const std::string& program, const std::string& splashJpeg, int launches);
