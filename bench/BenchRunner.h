#pragma once

#include <string>

#include "bench/BenchRows.h"

struct BenchOptions {
    int runs = 7;
    int warmup = 1;
    bool smoke = false;  // the 1 MP photograph only
    bool tools = true;
    bool startup = true;
    int launches = 5;
    std::string self;     // this program, started again for each measured run
    std::string program;  // the built tolvaner, for the start-up time
    std::string splash;   // the splash picture it shows
    std::string commandLine;
};

// The photographs of a run: 6000 x 4000 baseline, progressive and grey, and a 1 MP one; with smoke the last
// only.
std::vector<PhotoRecipe> BenchPhotos(bool smoke);

// Generates the photographs into a temporary directory, runs every method on each of them at each target
// size (floor and ours back to back in every round, so that their ratio survives the machine's drift), times
// the start-up, and removes the directory.
BenchResults RunBenchmark(const BenchOptions& options);
