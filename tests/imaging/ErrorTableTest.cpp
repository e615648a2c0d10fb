#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <string>

#include "JpegEdits.h"
#include "JpegFixtures.h"
#include "imaging/TJPEGImage.h"
#include "vcl/Exceptions.h"
#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

namespace {

using edits::Bytes;

enum class Stage { None, Load, Draw };

const char* StageName(Stage stage)
{
    switch (stage) {
    case Stage::Load:
        return "load";
    case Stage::Draw:
        return "draw";
    case Stage::None:
        break;
    }
    return "none";
}

std::string ClassOf(const Exception& e)
{
    if (dynamic_cast<const EJPEG*>(&e))
        return "EJPEG";
    if (dynamic_cast<const EFOpenError*>(&e))
        return "EFOpenError";
    if (dynamic_cast<const EReadError*>(&e))
        return "EReadError";
    if (dynamic_cast<const EOutOfResources*>(&e))
        return "EOutOfResources";
    return "other";
}

struct FailureCase {
    const char* name;
    // Makes the file (or whatever the path names) inside dir and returns the path to load.
    std::function<std::string(const std::string& dir)> prepare;
    Stage stage;
    std::string exceptionClass;
    // The exact text; "<path>" stands for the path that was loaded.
    std::string message;
    // The size that loading reports when it succeeds.
    int width = -1;
    int height = -1;
};

Bytes Baseline()
{
    return fixtures::MakeJpeg({});
}

std::function<std::string(const std::string&)> File(std::function<Bytes()> make)
{
    return [make](const std::string& dir) {
        const std::string path = dir + "/picture.jpg";
        fixtures::WriteFileBytes(path, make());
        return path;
    };
}

Bytes Patched(std::size_t (*where)(const Bytes&), std::uint8_t value)
{
    Bytes file = Baseline();
    file.at(where(file)) = value;
    return file;
}

std::size_t FramePrecision(const Bytes& f) { return edits::FindFrame(f).offset + edits::kFramePrecision; }
std::size_t FrameMarker(const Bytes& f) { return edits::FindFrame(f).offset + 1; }
std::size_t FrameLengthLow(const Bytes& f) { return edits::FindFrame(f).offset + 3; }
std::size_t FirstSampling(const Bytes& f) { return edits::FindFrame(f).offset + edits::kFrameFirstComponent + 1; }
std::size_t FirstQuantTable(const Bytes& f) { return edits::FindFrame(f).offset + edits::kFrameFirstComponent + 2; }
std::size_t ScanFirstComponentId(const Bytes& f) { return edits::Find(f, 0xDA).offset + 5; }
std::size_t ScanFirstTables(const Bytes& f) { return edits::Find(f, 0xDA).offset + 6; }
std::size_t QuantTableNumber(const Bytes& f) { return edits::Find(f, 0xDB).offset + 4; }
std::size_t HuffTableNumber(const Bytes& f) { return edits::Find(f, 0xC4).offset + 4; }
std::size_t HuffFirstCount(const Bytes& f) { return edits::Find(f, 0xC4).offset + 5; }

Bytes TablesOnly()
{
    const Bytes file = Baseline();
    Bytes result = {0xFF, 0xD8};
    for (const edits::Marker& m : edits::Markers(file))
        if (m.code == 0xDB || m.code == 0xC4)
            result.insert(result.end(), file.begin() + long(m.offset), file.begin() + long(m.offset + m.length));
    result.insert(result.end(), {0xFF, 0xD9});
    return result;
}

Bytes CutAfterFrame(bool withEndMarker)
{
    const Bytes file = Baseline();
    const edits::Marker frame = edits::FindFrame(file);
    Bytes result(file.begin(), file.begin() + long(frame.offset + frame.length));
    if (withEndMarker)
        result.insert(result.end(), {0xFF, 0xD9});
    return result;
}

Bytes TwoFrames()
{
    const Bytes file = Baseline();
    const edits::Marker frame = edits::FindFrame(file);
    return edits::InsertAt(file, frame.offset + frame.length,
                           Bytes(file.begin() + long(frame.offset), file.begin() + long(frame.offset + frame.length)));
}

Bytes CutInFirstScan(fixtures::Coding coding)
{
    fixtures::JpegRecipe recipe;
    recipe.width = 128;
    recipe.height = 96;
    recipe.coding = coding;
    const Bytes file = fixtures::MakeJpeg(recipe);
    const edits::Marker scan = edits::Find(file, 0xDA);
    const std::size_t dataStart = scan.offset + scan.length;
    const std::size_t nextMarker = edits::Markers(file).back().offset;
    return Bytes(file.begin(), file.begin() + long(dataStart + (nextMarker - dataStart) / 2));
}

std::string Fifo(const std::string& dir)
{
    const std::string path = dir + "/pipe.jpg";
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    return path;
}

std::vector<FailureCase> Cases()
{
    using fixtures::Coding;
    fixtures::JpegRecipe arithmetic;
    arithmetic.coding = Coding::Arithmetic;
    return {
        {"arithmetic coding", File([=] { return fixtures::MakeJpeg(arithmetic); }), Stage::Draw, "EJPEG",
         "JPEG error #1", 64, 48},
        {"scan names a component the frame lacks", File([] { return Patched(ScanFirstComponentId, 9); }),
         Stage::Load, "EJPEG", "JPEG error #5"},
        {"frame header length does not fit", File([] { return Patched(FrameLengthLow, 18); }), Stage::Load,
         "EJPEG", "JPEG error #9"},
        {"12-bit precision", File([] { return Patched(FramePrecision, 12); }), Stage::Load, "EJPEG",
         "JPEG error #13"},
        {"sampling factor 0", File([] { return Patched(FirstSampling, 0x00); }), Stage::Load, "EJPEG",
         "JPEG error #16"},
        {"two components", File([] { return edits::MakeComponentsJpeg(2, 24, 16); }), Stage::Draw, "EJPEG",
         "JPEG error #25", 24, 16},
        {"five components", File([] { return edits::MakeComponentsJpeg(5, 16, 8); }), Stage::Draw, "EJPEG",
         "JPEG error #25", 16, 8},
        {"ten components", File([] { return edits::MakeComponentsJpeg(10, 8, 8); }), Stage::Draw, "EJPEG",
         "JPEG error #25", 8, 8},
        {"Huffman counts above 256", File([] { return Patched(HuffFirstCount, 255); }), Stage::Load, "EJPEG",
         "JPEG error #28"},
        {"Huffman table number 4", File([] { return Patched(HuffTableNumber, 0x04); }), Stage::Load, "EJPEG",
         "JPEG error #29"},
        {"quantization table number 4", File([] { return Patched(QuantTableNumber, 0x04); }), Stage::Load,
         "EJPEG", "JPEG error #30"},
        {"width 0", File([] { return edits::WithDeclaredSize(Baseline(), 0, 48); }), Stage::Load, "EJPEG",
         "JPEG error #31"},
        {"width 65501", File([] { return edits::WithDeclaredSize(Baseline(), 65501, 48); }), Stage::Load, "EJPEG",
         "JPEG error #40"},
        {"height 65501", File([] { return edits::WithDeclaredSize(Baseline(), 64, 65501); }), Stage::Load,
         "EJPEG", "JPEG error #40"},
        {"zero-byte file", File([] { return Bytes{}; }), Stage::Draw, "EJPEG", "JPEG error #41", 0, 0},
        {"scan uses an undefined Huffman table", File([] { return Patched(ScanFirstTables, 0x33); }), Stage::Draw,
         "EJPEG", "JPEG error #49", 64, 48},
        {"tables only", File(TablesOnly), Stage::Load, "EJPEG", "JPEG error #50"},
        {"cut before the frame header", File([] { return edits::CutBefore(Baseline(), edits::FindFrame(Baseline())); }),
         Stage::Load, "EJPEG", "JPEG error #50"},
        {"component without quantization table", File([] { return Patched(FirstQuantTable, 3); }), Stage::Draw,
         "EJPEG", "JPEG error #51", 64, 48},
        {"PNG file", File(edits::PngSignature), Stage::Load, "EJPEG", "JPEG error #52"},
        {"second frame header", File(TwoFrames), Stage::Load, "EJPEG", "JPEG error #57"},
        {"end of image right after the frame header", File([] { return CutAfterFrame(true); }), Stage::Load,
         "EJPEG", "JPEG error #58"},
        {"cut right after the frame header", File([] { return CutAfterFrame(false); }), Stage::Load, "EJPEG",
         "JPEG error #58"},
        {"lossless frame (SOF3)", File([] { return Patched(FrameMarker, 0xC3); }), Stage::Load, "EJPEG",
         "JPEG error #59"},
        {"hierarchical frame (SOF5)", File([] { return Patched(FrameMarker, 0xC5); }), Stage::Load, "EJPEG",
         "JPEG error #59"},
        {"second start of image", File([] { return edits::InsertAt(Baseline(), 2, {0xFF, 0xD8}); }), Stage::Load,
         "EJPEG", "JPEG error #60"},
        {"scan before any frame header", File([] { return edits::Remove(Baseline(), edits::FindFrame(Baseline())); }),
         Stage::Load, "EJPEG", "JPEG error #61"},
        {"unknown marker", File([] { return edits::InsertAt(Baseline(), 2, {0xFF, 0x02, 0x00, 0x02}); }),
         Stage::Load, "EJPEG", "JPEG error #67"},
        {"baseline cut inside its scan", File([] { return CutInFirstScan(Coding::Baseline); }), Stage::None, "",
         "", 128, 96},
        {"progressive cut inside its first scan", File([] { return CutInFirstScan(Coding::Progressive); }),
         Stage::None, "", "", 128, 96},
        {"missing file", [](const std::string& dir) { return dir + "/missing.jpg"; }, Stage::Load, "EFOpenError",
         "Cannot open file <path>"},
        {"directory", [](const std::string& dir) { return dir; }, Stage::Load, "EFOpenError",
         "Cannot open file <path>"},
        {"FIFO without a writer", Fifo, Stage::Load, "EFOpenError", "Cannot open file <path>"},
        {"device", [](const std::string&) { return std::string("/dev/null"); }, Stage::Load, "EFOpenError",
         "Cannot open file <path>"},
        {"path below a regular file", [](const std::string& dir) { return File(Baseline)(dir) + "/inside.jpg"; },
         Stage::Load, "EFOpenError", "Cannot open file <path>"},
    };
}

TEST(LoadAndDrawFailures, EachRaisesItsTextAtItsOperation)
{
    for (const FailureCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const std::string path = c.prepare(dir.path().toStdString());

        const auto started = std::chrono::steady_clock::now();
        Stage reached = Stage::Load;
        Stage failedAt = Stage::None;
        std::string message;
        std::string exceptionClass;
        TJPEGImage picture;
        TBitmap thumbnail;
        thumbnail.SetWidth(16);
        thumbnail.SetHeight(12);
        try {
            picture.LoadFromFile(path);
            if (c.width >= 0) {
                EXPECT_EQ(picture.Width(), c.width);
                EXPECT_EQ(picture.Height(), c.height);
            }
            reached = Stage::Draw;
            thumbnail.Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), picture);
        } catch (const Exception& e) {
            failedAt = reached;
            message = e.Message();
            exceptionClass = ClassOf(e);
            if (const auto* jpegError = dynamic_cast<const EJPEG*>(&e)) {
                EXPECT_EQ(message, "JPEG error #" + std::to_string(jpegError->Code()));
            }
        }

        std::string expected = c.message;
        if (const auto at = expected.find("<path>"); at != std::string::npos)
            expected.replace(at, 6, path);
        EXPECT_STREQ(StageName(failedAt), StageName(c.stage));
        EXPECT_EQ(message, expected);
        EXPECT_EQ(exceptionClass, c.exceptionClass);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        if (c.stage == Stage::None) {
            EXPECT_NE(thumbnail.Pixel(8, 2), qRgb(255, 255, 255)) << "the drawing left the thumbnail white";
        }
    }
}

}  // namespace
