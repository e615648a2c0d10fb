#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/BenchReport.h"
#include "bench/BenchRunner.h"
#include "bench/ChildProcess.h"
#include "bench/LibjpegFloor.h"
#include "bench/ThumbnailPathRun.h"
#include "vcl/FloatMode.h"

namespace {

const char* const kUsage =
    "usage: tolvaner-bench [--runs N] [--warmup N] [--launches N] [--smoke] [--no-tools] [--no-startup]\n"
    "                      [--results FILE] [--program TOLVANER]\n"
    "Times the thumbnail path against libjpeg's floor and the usual tools on generated photographs, times the\n"
    "program's start-up, prints the results and writes them to FILE (default: bench/RESULTS.md).\n"
    "--smoke: the 1 MP photograph only, one run, no warm-up, one launch.\n"
    "By hand: tolvaner-bench generate DIR writes the photographs into DIR; tolvaner-bench path|floor FILE N runs\n"
    "our thumbnail path or libjpeg's floor once on FILE at target size N and prints its figures.\n";

int Number(const char* text, int lowest, int highest = 1000)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < lowest || value > highest) {
        std::cerr << "not a usable number: " << text << "\n" << kUsage;
        std::exit(2);
    }
    return int(value);
}

// The measured runs: each is a process of its own, so that its peak memory is its own.
int RunSubCommand(const std::string& command, const std::string& source, const char* size)
{
    const int n = Number(size, 0, 65500);
    try {
        if (command == "path") {
            // The program computes in this floating-point mode; its thumbnail path runs in it too.
            SetStartupFloatMode();
            std::cout << FormatThumbnailPathTimes(RunThumbnailPath(source, n));
        } else {
            std::cout << FormatLibjpegFloorTimes(RunLibjpegFloor(source, n));
        }
        std::cout << " peak=" << OwnPeakRssKiB() << std::endl;
    } catch (const std::exception& e) {
        std::cerr << command << " " << source << " " << n << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}

std::string SelfPath()
{
    char path[PATH_MAX];
    if (!realpath("/proc/self/exe", path))
        return "";
    return path;
}

// Leaves the photographs in a directory, to profile one method by hand on them.
int GeneratePhotos(const std::string& directory)
{
    try {
        for (const PhotoRecipe& photo : BenchPhotos(false)) {
            WritePhoto(photo, directory + "/" + photo.fileName);
            std::cout << directory << "/" << photo.fileName << ": " << photo.label << "\n";
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "generate")
        return GeneratePhotos(argv[2]);
    if (argc == 4 && (std::string(argv[1]) == "path" || std::string(argv[1]) == "floor"))
        return RunSubCommand(argv[1], argv[2], argv[3]);

    BenchOptions options;
    options.self = SelfPath();
    options.program = TOLVANER_BENCH_PROGRAM;
    options.splash = TOLVANER_BENCH_SPLASH;
    std::string resultsPath = TOLVANER_BENCH_RESULTS;
    // Where the results go is no part of how they were made.
    options.commandLine = "tolvaner-bench";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--results")
            ++i;
        else
            options.commandLine += std::string(" ") + argv[i];
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            options.runs = Number(argv[++i], 1);
        else if (arg == "--warmup" && hasValue)
            options.warmup = Number(argv[++i], 0);
        else if (arg == "--launches" && hasValue)
            options.launches = Number(argv[++i], 1);
        else if (arg == "--results" && hasValue)
            resultsPath = argv[++i];
        else if (arg == "--program" && hasValue)
            options.program = argv[++i];
        else if (arg == "--smoke") {
            options.smoke = true;
            options.runs = 1;
            options.warmup = 0;
            options.launches = 1;
        } else if (arg == "--no-tools")
            options.tools = false;
        else if (arg == "--no-startup")
            options.startup = false;
        else {
            std::cerr << kUsage;
            return arg == "-h" || arg == "--help" ? 0 : 2;
        }
    }
    if (options.self.empty()) {
        std::cerr << "cannot find this program's own path\n";
        return 1;
    }

    const BenchResults results = RunBenchmark(options);
    const std::string report = FormatBenchReport(results);
    std::cout << report;
    std::ofstream file(resultsPath);
    file << report;
    file.close();
    if (!file) {
        std::cerr << "cannot write " << resultsPath << "\n";
        return 1;
    }
    std::cerr << "written to " << resultsPath << "\n";
    // Missing the bar is a finding, not a failure; a path that failed or a start-up that never painted is one.
    const bool startupFailed = options.startup && !results.startup.measured &&
                               results.startup.note.find("never showed") != std::string::npos;
    return results.problems.empty() && !startupFailed ? 0 : 1;
}
