#include "bench/BenchReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>

namespace {

constexpr double kTimeBar = 1.10;

std::string Format(const char* format, double value)
{
    if (std::isnan(value))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double MedianOf(const BenchRow& row, const std::function<double(const Measurement&)>& field)
{
    std::vector<double> values;
    for (const Measurement& m : row.runs)
        values.push_back(field(m));
    return Median(values);
}

double PeakMiB(const BenchRow& row)
{
    long peak = 0;
    for (const Measurement& m : row.runs)
        peak = std::max(peak, m.peakRssKiB);
    return row.runs.empty() ? std::nan("") : double(peak) / 1024;
}

bool TimeMet(const BenchRow& row)
{
    return MedianOf(row, [](const Measurement& m) { return m.ratioToFloor; }) <= kTimeBar;
}

bool MemoryMet(const BenchRow& row)
{
    return PeakMiB(row) * 1024 * 1024 <= double(row.memoryBound);
}

std::string Verdict(const BenchRow& row)
{
    if (row.method != Method::Ours || row.runs.empty())
        return "";
    std::string verdict;
    if (!TimeMet(row))
        verdict = "time MISSED";
    if (!MemoryMet(row))
        verdict += verdict.empty() ? "memory MISSED" : ", memory MISSED";
    return verdict.empty() ? "met" : verdict;
}

const BenchRow* Find(const BenchResults& results, const BenchRow& like, Method method)
{
    for (const BenchRow& row : results.rows)
        if (row.file == like.file && row.size == like.size && row.method == method)
            return &row;
    return nullptr;
}

// The fastest run against the floor's fastest: what is left when the machine's other work is taken out.
std::string BestRatio(const BenchResults& results, const BenchRow& row)
{
    const BenchRow* floor = Find(results, row, Method::Floor);
    if (row.method == Method::Floor || !floor || floor->runs.empty())
        return "";
    const auto fastest = [](const BenchRow& r) {
        double best = r.runs.front().seconds;
        for (const Measurement& m : r.runs)
            best = std::min(best, m.seconds);
        return best;
    };
    return Format("%.2f", fastest(row) / fastest(*floor));
}

void MainTable(std::ostringstream& out, const BenchResults& results)
{
    out << "| file | target | method | time s | process s | CPU s | x floor | x floor, best runs | peak RSS MiB | "
           "RSS bound MiB | bar |\n"
        << "|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---|\n";
    for (const BenchRow& row : results.rows) {
        out << "| " << row.file << " | " << row.size << " | " << MethodName(row.method) << " | ";
        if (row.runs.empty()) {
            out << (row.skipped.empty() ? "no run" : row.skipped) << " | | | | | | | |\n";
            continue;
        }
        out << Format("%.3f", MedianOf(row, [](const Measurement& m) { return m.seconds; })) << " | "
            << Format("%.3f", MedianOf(row, [](const Measurement& m) { return m.processSeconds; })) << " | "
            << Format("%.3f", MedianOf(row, [](const Measurement& m) { return m.cpuSeconds; })) << " | "
            << (row.method == Method::Floor
                    ? std::string("1.00")
                    : Format("%.2f", MedianOf(row, [](const Measurement& m) { return m.ratioToFloor; })))
            << " | " << BestRatio(results, row) << " | " << Format("%.1f", PeakMiB(row)) << " | "
            << (row.method == Method::Ours ? Format("%.1f", double(row.memoryBound) / (1024 * 1024)) : "") << " | "
            << Verdict(row) << " |\n";
    }
}

double RatioWithoutWrite(const BenchRow& ours, const BenchRow& floor)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.runs.size() && i < floor.runs.size(); ++i)
        ratios.push_back((ours.runs[i].path.total - ours.runs[i].path.writeAlone) / floor.runs[i].seconds);
    return Median(ratios);
}

// The ratio of a path that added to the floor nothing but the three steps the floor leaves out and no program
// making this file can skip: reading the file, the stretch and the durable write.
double LeastRatio(const BenchRow& ours, const BenchRow& floor)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.runs.size() && i < floor.runs.size(); ++i) {
        const ThumbnailPathTimes& t = ours.runs[i].path;
        ratios.push_back((floor.runs[i].seconds + t.load + t.stretch + t.writeAlone) / floor.runs[i].seconds);
    }
    return Median(ratios);
}

void PhaseTable(std::ostringstream& out, const BenchResults& results)
{
    out << "| file | target | floor decode | floor encode | load | size | decode | stretch | preview | take-over | "
           "save | encode alone | durable write alone | x floor without the write | least x floor |\n"
        << "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const BenchRow& ours : results.rows) {
        const BenchRow* floor = Find(results, ours, Method::Floor);
        if (ours.method != Method::Ours || ours.runs.empty() || !floor || floor->runs.empty())
            continue;
        const auto median = [&ours](double ThumbnailPathTimes::*field) {
            return MedianOf(ours, [field](const Measurement& m) { return m.path.*field; });
        };
        out << "| " << ours.file << " | " << ours.size << " | "
            << Format("%.4f", MedianOf(*floor, [](const Measurement& m) { return m.floor.decode; })) << " | "
            << Format("%.4f", MedianOf(*floor, [](const Measurement& m) { return m.floor.encode; })) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::load)) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::size)) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::decode)) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::stretch)) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::preview)) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::takeOver)) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::save)) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::encodeAlone)) << " | "
            << Format("%.4f", median(&ThumbnailPathTimes::writeAlone)) << " | "
            << Format("%.2f", RatioWithoutWrite(ours, *floor)) << " | "
            << Format("%.2f", LeastRatio(ours, *floor)) << " |\n";
    }
}

// One line per row that missed, with the figures that tell where the difference lies.
void Misses(std::ostringstream& out, const BenchResults& results)
{
    out << "Our path missed the bar; row by row:\n\n";
    for (const BenchRow& ours : results.rows) {
        if (ours.method != Method::Ours)
            continue;
        out << "- " << ours.file << " at " << ours.size << ": ";
        const BenchRow* floor = Find(results, ours, Method::Floor);
        if (ours.runs.empty() || !floor || floor->runs.empty()) {
            out << "not measured" << (ours.skipped.empty() ? "" : " (" + ours.skipped + ")") << "\n";
            continue;
        }
        if (TimeMet(ours) && MemoryMet(ours)) {
            out << "met\n";
            continue;
        }
        std::vector<std::string> parts;
        if (!TimeMet(ours))
            parts.push_back("time " +
                            Format("%.2f", MedianOf(ours, [](const Measurement& m) { return m.ratioToFloor; })) +
                            " x floor, " + Format("%.2f", RatioWithoutWrite(ours, *floor)) +
                            " without the durable write; the floor with only reading, stretch and durable write "
                            "added is already " + Format("%.2f", LeastRatio(ours, *floor)));
        if (!MemoryMet(ours))
            parts.push_back("peak RSS " + Format("%.1f", PeakMiB(ours)) + " MiB against a bound of " +
                            Format("%.1f", double(ours.memoryBound) / (1024 * 1024)) + " MiB, the floor's own peak " +
                            Format("%.1f", PeakMiB(*floor)) + " MiB" +
                            (ours.coefficientBytes ? "; libjpeg's whole-image coefficient buffer, which every full "
                                                     "decoding of this file needs and the bound leaves out, is " +
                                                         Format("%.1f", double(ours.coefficientBytes) / (1024 * 1024)) +
                                                         " MiB"
                                                   : ""));
        for (std::size_t i = 0; i < parts.size(); ++i)
            out << (i ? "; " : "") << parts[i];
        out << "\n";
    }
}

}  // namespace

bool BarMet(const BenchResults& results)
{
    for (const BenchRow& row : results.rows)
        if (row.method == Method::Ours && (row.runs.empty() || !TimeMet(row) || !MemoryMet(row)))
            return false;
    return true;
}

std::string FormatBenchReport(const BenchResults& results)
{
    std::ostringstream out;
    out << "# Benchmark results\n\n"
        << "Written by `tolvaner-bench` (" << results.commandLine << "). Medians of " << results.runs
        << " counted runs per row after " << results.warmup << " warm-up round(s).\n\n";
    for (const auto& [name, value] : results.machine.facts)
        out << "- " << name << ": " << value << "\n";

    out << "\n## Thumbnail path against the floor\n\n";
    MainTable(out, results);
    out << "\n- **floor**: libjpeg alone, with the program's settings: the full-size decode from memory into a plain "
           "buffer, then the encode of an equal-size thumbnail into memory; nothing else.\n"
           "- **ours**: the program's own objects, as the thumbnail command runs them after its dialog: load, "
           "size, stretch-draw (decode and stretch), preview, take-over, save beside the source "
           "(temporary file, fsync, rename).\n"
           "- Both are timed inside a child process of their own; the tools as whole processes (process s), "
           "start-up included. Peak RSS is the largest of the runs: for the floor and "
           "ours the child's own high-water mark (VmHWM, read at its end), for the tools ru_maxrss from wait4 "
           "(which may include a few MB of the benchmark's own memory, inherited through fork).\n"
           "- x floor is the median of the ratios of runs made back to back; best runs, the fastest run against the "
           "floor's fastest, is less swayed by other work on the machine. The bar for ours: x floor at most "
           << Format("%.2f", kTimeBar)
           << ", and peak RSS at most file + decoded bitmap + twice the thumbnail (4 bytes a pixel) + 20 MB "
           "(10^6 bytes; the table shows MiB).\n";

    out << "\n## Phases (median seconds)\n\n";
    PhaseTable(out, results);
    out << "\nload, size, decode and stretch (the two halves of the stretch-draw), preview, take-over (which "
           "releases the file's bytes and the decoded bitmap) and save are the steps of ours; encode alone and "
           "durable write alone split its save and are measured after it, on the same thumbnail. least x floor is "
           "what a path would reach that added to the floor only the steps the floor leaves out and no program "
           "making this file can skip: reading the file (load), the stretch and the durable write.\n";

    out << "\n## Start-up\n\n";
    if (results.startup.measured) {
        const auto [lowest, highest] =
            std::minmax_element(results.startup.seconds.begin(), results.startup.seconds.end());
        out << "Launch to the first paint of the splash picture: median "
            << Format("%.3f", Median(results.startup.seconds)) << " s (" << Format("%.3f", *lowest) << " to "
            << Format("%.3f", *highest) << " s over " << results.startup.seconds.size()
            << " launches after one uncounted); the window itself was mapped after a median of "
            << Format("%.3f", Median(results.startup.mapped)) << " s. " << results.startup.note << ".\n";
    } else {
        out << "Start-up " << results.startup.note << ".\n";
    }

    out << "\n## Verdict\n\n";
    if (BarMet(results))
        out << "Our path met the bar on every row.\n";
    else
        Misses(out, results);
    if (!results.problems.empty()) {
        out << "\n## Problems\n\n";
        for (const std::string& problem : results.problems)
            out << "- " << problem << "\n";
    }
    return out.str();
}
