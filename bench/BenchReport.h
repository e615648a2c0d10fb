#pragma once

#include <string>

#include "bench/BenchRows.h"

// The results as a Markdown document: the machine, the table (one row per file, target size and method), the
// phases of our path beside the floor's, the start-up time and any problem.
std::string FormatBenchReport(const BenchResults& results);

// True when our path met the bar (time within 1.10 x the floor, peak memory within its bound) on every row.
bool BarMet(const BenchResults& results);
