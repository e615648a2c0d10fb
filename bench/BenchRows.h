#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/LibjpegFloor.h"
#include "bench/MachineInfo.h"
#include "bench/PhotoGenerator.h"
#include "bench/StartupTimer.h"
#include "bench/ThumbnailPathRun.h"

enum class Method { Floor, Ours, ImageMagick, Vips };

// One counted run of one method.
struct Measurement {
    double seconds = 0;         // the method's time: measured inside the process for the floor and ours,
                                // the whole process for the tools
    double processSeconds = 0;  // the whole process, start-up included
    double cpuSeconds = 0;
    long peakRssKiB = 0;
    double ratioToFloor = 0;    // to the floor's run of the same round
    ThumbnailPathTimes path;    // ours only
    LibjpegFloorTimes floor;    // the floor only
};

// One row of the table: a file, a target size, a method.
struct BenchRow {
    std::string file;
    int size = 0;
    Method method = Method::Floor;
    std::vector<Measurement> runs;
    std::string skipped;             // why the row has no figures; empty when it has them
    std::uint64_t memoryBound = 0;   // ours only: file + decoded bitmap + twice the thumbnail + 20 MB
    std::uint64_t coefficientBytes = 0;  // ours only: libjpeg's whole-image coefficient buffer, for several scans
};

struct BenchResults {
    std::vector<BenchRow> rows;
    StartupTiming startup;
    MachineInfo machine;
    std::vector<std::string> problems;  // failures of our own path or of the floor; none in a sound run
    int runs = 0;
    int warmup = 0;
    std::string commandLine;
};

const char* MethodName(Method method);
double Median(std::vector<double> values);
