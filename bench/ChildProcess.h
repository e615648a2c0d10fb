#pragma once

#include <string>
#include <vector>

// How one child process went, from the operating system's own accounting of it alone.
struct ChildRun {
    bool started = false;
    bool succeeded = false;  // exited with status 0
    std::string failure;     // why not, in words
    double wallSeconds = 0;  // from just before the start to the reaping
    double cpuSeconds = 0;   // user + system
    long peakRssKiB = 0;     // its largest resident set (ru_maxrss of this child alone)
    std::string output;      // what it wrote to its standard output
};

// Starts program with arguments (program is an absolute path), waits for it and reaps it with wait4, so the
// figures belong to this child only. environment entries "NAME=value" are added to (or replace) the inherited
// ones; entries "NAME" remove one. With quiet, its standard error goes to /dev/null.
ChildRun RunChild(const std::vector<std::string>& command, const std::vector<std::string>& environment = {},
                  bool quiet = false);

// The environment with the changes described above applied, for starting a child.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes);

// The absolute path of an executable found on PATH, or "" when there is none.
std::string FindOnPath(const std::string& name);

// This process's own peak resident set since its start (VmHWM), in KiB; 0 when it cannot be read.
long OwnPeakRssKiB();
