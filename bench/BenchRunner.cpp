#include "bench/BenchRunner.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <sstream>

#include "bench/ChildProcess.h"
#include "imaging/FileContents.h"
#include "imaging/JpegHeader.h"
#include "imaging/ThumbnailName.h"
#include "ui/ThumbnailSize.h"

namespace {

constexpr const char* kImageMagick = "/usr/bin/convert";
// The bound's allowance for the program itself (code, libraries, libjpeg's working memory), in bytes.
constexpr std::uint64_t kAllowance = 20 * 1000 * 1000;
const int kTargetSizes[] = {640, 115};

}  // namespace

std::vector<PhotoRecipe> BenchPhotos(bool smoke)
{
    std::vector<PhotoRecipe> photos;
    if (!smoke) {
        photos.push_back({"6000x4000 baseline 4:2:0", "baseline.jpg", 6000, 4000, PhotoCoding::Baseline});
        photos.push_back({"6000x4000 progressive 4:2:0", "progressive.jpg", 6000, 4000, PhotoCoding::Progressive});
        photos.push_back({"6000x4000 grey", "grey.jpg", 6000, 4000, PhotoCoding::Grey});
    }
    photos.push_back({"1224x816 (1 MP) baseline 4:2:0", "onemp.jpg", 1224, 816, PhotoCoding::Baseline});
    return photos;
}

namespace {

// The value of "key=" in a line of figures; NaN when it is missing.
double Field(const std::string& line, const std::string& key)
{
    std::istringstream words(line);
    std::string word;
    while (words >> word)
        if (word.rfind(key + "=", 0) == 0)
            return std::strtod(word.c_str() + key.size() + 1, nullptr);
    return std::nan("");
}

std::uint64_t DecodedBitmapBytes(const PhotoRecipe& photo)
{
    const std::uint64_t bytesPerPixel = photo.coding == PhotoCoding::Grey ? 1 : 3;
    return (photo.width * bytesPerPixel + 3) / 4 * 4 * std::uint64_t(photo.height);
}

// libjpeg keeps every block's 64 coefficients of a file of several scans until its last scan; a single-scan
// file is decoded a row of blocks at a time. Whole MCUs of 16 x 16 (4:2:0) or 8 x 8 (grey) pixels.
std::uint64_t CoefficientBytes(const PhotoRecipe& photo)
{
    if (photo.coding != PhotoCoding::Progressive)
        return 0;
    const std::uint64_t mcusAcross = (std::uint64_t(photo.width) + 15) / 16;
    const std::uint64_t mcusDown = (std::uint64_t(photo.height) + 15) / 16;
    return mcusAcross * mcusDown * 6 * 64 * 2;
}

// Checks that ours wrote a thumbnail of the command's size and the source's progressiveness.
std::string CheckOutput(const PhotoRecipe& photo, const std::string& source, int n)
{
    const std::string output = ThumbnailPath(source);
    try {
        const std::vector<std::uint8_t> bytes = ReadFileContents(output);
        const JpegHeader header = ReadJpegHeader(bytes.data(), bytes.size());
        const TThumbnailSize expected = ThumbnailSize(n, photo.width, photo.height);
        if (header.width != expected.Width || header.height != expected.Height)
            return output + " is " + std::to_string(header.width) + "x" + std::to_string(header.height) +
                   ", not " + std::to_string(expected.Width) + "x" + std::to_string(expected.Height);
        if (header.multipleScans != (photo.coding == PhotoCoding::Progressive))
            return output + " does not keep the source's progressiveness";
    } catch (const std::exception& e) {
        return output + ": " + e.what();
    }
    return "";
}

struct RowSet {
    BenchRow floor, ours, imageMagick, vips;
};

class Runner {
public:
    Runner(const BenchOptions& options, BenchResults& results, std::string directory)
        : options_(options), results_(results), directory_(std::move(directory)),
          vips_(options.tools ? FindOnPath("vipsthumbnail") : ""),
          imageMagick_(options.tools && access(kImageMagick, X_OK) == 0 ? kImageMagick : "")
    {
    }

    const std::string& Vips() const { return vips_; }
    const std::string& ImageMagick() const { return imageMagick_; }

    void Measure(const PhotoRecipe& photo, int n)
    {
        const std::string source = directory_ + "/" + photo.fileName;
        const std::string size = std::to_string(n);
        RowSet set;
        for (BenchRow* row : {&set.floor, &set.ours, &set.imageMagick, &set.vips}) {
            row->file = photo.label;
            row->size = n;
        }
        set.floor.method = Method::Floor;
        set.ours.method = Method::Ours;
        set.imageMagick.method = Method::ImageMagick;
        set.vips.method = Method::Vips;
        const TThumbnailSize thumbnail = ThumbnailSize(n, photo.width, photo.height);
        set.ours.memoryBound = std::filesystem::file_size(source) + DecodedBitmapBytes(photo) +
                               2 * std::uint64_t(thumbnail.Width) * std::uint64_t(thumbnail.Height) * 4 + kAllowance;
        set.ours.coefficientBytes = CoefficientBytes(photo);
        if (!options_.tools)
            set.imageMagick.skipped = set.vips.skipped = "not asked for";
        if (imageMagick_.empty() && set.imageMagick.skipped.empty())
            set.imageMagick.skipped = "not installed (Debian package imagemagick)";
        if (vips_.empty() && set.vips.skipped.empty())
            set.vips.skipped = "not installed (Debian package libvips-tools)";

        for (int round = 0; round < options_.warmup + options_.runs; ++round) {
            const bool counted = round >= options_.warmup;
            if (isatty(STDERR_FILENO))
                std::fprintf(stderr, "  %s at %d, round %d of %d\r", photo.label.c_str(), n, round + 1,
                             options_.warmup + options_.runs);
            Measurement floor;
            if (!RunOwn(set.floor, {options_.self, "floor", source, size}, floor))
                break;
            floor.floor.decode = Field(last_, "decode");
            floor.floor.encode = Field(last_, "encode");
            floor.floor.total = floor.seconds = Field(last_, "total");

            std::filesystem::remove(ThumbnailPath(source));
            Measurement ours;
            if (!RunOwn(set.ours, {options_.self, "path", source, size}, ours))
                break;
            ReadPathFields(ours);
            if (const std::string wrong = CheckOutput(photo, source, n); !wrong.empty()) {
                results_.problems.push_back(wrong);
                set.ours.skipped = "the thumbnail was wrong";
                break;
            }
            ours.ratioToFloor = ours.seconds / floor.seconds;

            Measurement im, vi;
            const bool haveIm = set.imageMagick.skipped.empty() &&
                                RunTool(set.imageMagick, {imageMagick_, source, "-sample", size + "x" + size,
                                                          directory_ + "/magick-" + size + ".jpg"},
                                        floor, im);
            const bool haveVi =
                set.vips.skipped.empty() && RunTool(set.vips, {vips_, "-s", size, source}, floor, vi);
            if (!counted)
                continue;
            set.floor.runs.push_back(floor);
            set.ours.runs.push_back(ours);
            if (haveIm)
                set.imageMagick.runs.push_back(im);
            if (haveVi)
                set.vips.runs.push_back(vi);
        }
        if (isatty(STDERR_FILENO))
            std::fprintf(stderr, "%60s\r", "");
        for (BenchRow* row : {&set.floor, &set.ours, &set.imageMagick, &set.vips}) {
            // A method that failed in some round has no figures to show, only why.
            if (!row->skipped.empty())
                row->runs.clear();
            results_.rows.push_back(*row);
        }
    }

private:
    // Runs one of our own measurements in a child of its own; false (with the problem noted) when it failed.
    bool RunOwn(BenchRow& row, const std::vector<std::string>& command, Measurement& measurement)
    {
        const ChildRun run = RunChild(command);
        if (!run.succeeded) {
            results_.problems.push_back(row.file + " at " + std::to_string(row.size) + ", " + MethodName(row.method) +
                                        ": " + run.failure);
            row.skipped = "failed: " + run.failure;
            return false;
        }
        last_ = run.output;
        measurement.processSeconds = run.wallSeconds;
        measurement.cpuSeconds = run.cpuSeconds;
        // The child's own high-water mark: wait4's figure would also count what a forked copy of this process
        // brought along.
        const double peak = Field(last_, "peak");
        measurement.peakRssKiB = std::isnan(peak) || peak <= 0 ? run.peakRssKiB : long(peak);
        return true;
    }

    void ReadPathFields(Measurement& m)
    {
        ThumbnailPathTimes& t = m.path;
        t.load = Field(last_, "load");
        t.size = Field(last_, "size");
        t.decode = Field(last_, "decode");
        t.stretch = Field(last_, "stretch");
        t.preview = Field(last_, "preview");
        t.takeOver = Field(last_, "takeover");
        t.save = Field(last_, "save");
        t.total = Field(last_, "total");
        t.encodeAlone = Field(last_, "encode");
        t.writeAlone = Field(last_, "write");
        m.seconds = t.total;
    }

    // A tool is timed as the user meets it: the whole process. A tool that fails loses its row, not the run.
    bool RunTool(BenchRow& row, const std::vector<std::string>& command, const Measurement& floor, Measurement& m)
    {
        const ChildRun run = RunChild(command, {}, true);
        if (!run.succeeded) {
            row.skipped = "failed: " + run.failure;
            return false;
        }
        m.seconds = m.processSeconds = run.wallSeconds;
        m.cpuSeconds = run.cpuSeconds;
        m.peakRssKiB = run.peakRssKiB;
        m.ratioToFloor = m.seconds / floor.seconds;
        return true;
    }

    const BenchOptions& options_;
    BenchResults& results_;
    std::string directory_;
    std::string vips_;
    std::string imageMagick_;
    std::string last_;
};

}  // namespace

BenchResults RunBenchmark(const BenchOptions& options)
{
    BenchResults results;
    results.runs = options.runs;
    results.warmup = options.warmup;
    results.commandLine = options.commandLine;

    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tolvaner-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        results.problems.push_back("cannot make a temporary directory from " + pattern);
        return results;
    }
    const std::string directory = pattern;
    Runner runner(options, results, directory);
    results.machine = DescribeMachine(runner.ImageMagick(), runner.Vips(), directory);

    try {
        for (const PhotoRecipe& photo : BenchPhotos(options.smoke)) {
            std::fprintf(stderr, "generating %s\n", photo.label.c_str());
            WritePhoto(photo, directory + "/" + photo.fileName);
            for (int n : kTargetSizes)
                runner.Measure(photo, n);
            // The next photograph's figures should not depend on how full the page cache is with this one.
            std::filesystem::remove(directory + "/" + photo.fileName);
        }
    } catch (const std::exception& e) {
        results.problems.push_back(e.what());
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);

    if (options.startup) {
        std::fprintf(stderr, "timing the start-up\n");
        try {
            results.startup = MeasureStartup(options.program, options.splash, options.launches);
        } catch (const std::exception& e) {
            results.startup.note = std::string("not measured: ") + e.what();
        }
    } else {
        results.startup.note = "not asked for";
    }
    return results;
}
