#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <string>

#include "CommandFixture.h"
#include "ui/Unit1.h"
#include "vcl/Beep.h"
#include "vcl/TBitmap.h"
#include "vcl/TImage.h"

namespace {

const char kConfirmation[] =
    "The image has been resized and saved in the same directory as the original. The filename will have _thumb "
    "appended to the original filename.";

std::vector<int> Markers(const std::vector<std::uint8_t>& file)
{
    std::vector<int> markers;
    for (const fixtures::Segment& s : fixtures::ReadSegments(file))
        markers.push_back(s.marker);
    return markers;
}

class ThumbnailFile : public CommandFixture {
protected:
    std::string Output(const std::string& name) const { return PathInDir(name); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
};

TEST_F(ThumbnailFile, WrittenBesideTheSourceThenBeepThenConfirmation)
{
    // A comment and an EXIF segment in the source: neither may reach the thumbnail.
    fixtures::JpegRecipe recipe = fixtures::Recipe(800, 600);
    recipe.foreignSegments = true;
    const std::string source = Source("Holiday.Photo.jpeg", recipe);
    const std::vector<std::uint8_t> sourceBytes = fixtures::ReadFileBytes(source);
    const std::vector<int> sourceMarkers = Markers(sourceBytes);
    ASSERT_NE(std::find(sourceMarkers.begin(), sourceMarkers.end(), 0xFE), sourceMarkers.end());
    ASSERT_NE(std::find(sourceMarkers.begin(), sourceMarkers.end(), 0xE1), sourceMarkers.end());
    const std::string output = Output("Holiday.Photo_thumb.JPG");
    const int beepsBefore = BeepCount();
    bool fileCompleteAtConfirmation = false;
    int beepsAtConfirmation = -1;
    ChooseFile(source);
    ExpectConfirmation([&] {
        beepsAtConfirmation = BeepCount();
        fileCompleteAtConfirmation = QFileInfo::exists(QString::fromStdString(output)) &&
                                     fixtures::DecodeJpeg(fixtures::ReadFileBytes(output)).width == 640;
    });
    ClickButton();

    EXPECT_EQ(errors, std::vector<std::string>{});
    EXPECT_EQ(confirmations, std::vector<std::string>{kConfirmation});
    EXPECT_EQ(captions, std::vector<std::string>{"Tolvaner"});
    EXPECT_TRUE(fileCompleteAtConfirmation) << "the file is complete before the confirmation";
    EXPECT_EQ(beepsAtConfirmation, beepsBefore + 1) << "one beep, before the confirmation";
    EXPECT_EQ(BeepCount(), beepsBefore + 1);
    EXPECT_EQ(fixtures::ReadFileBytes(source), sourceBytes) << "the source is never changed";
    EXPECT_EQ(Files(), (QStringList{"Holiday.Photo.jpeg", "Holiday.Photo_thumb.JPG"}));

    const std::vector<std::uint8_t> thumb = fixtures::ReadFileBytes(output);
    EXPECT_EQ(Markers(thumb), (std::vector<int>{0xD8, 0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9}))
        << "nothing of the source's own segments";
    const fixtures::Decoded decoded = fixtures::DecodeJpeg(thumb);
    EXPECT_EQ(decoded.width, 640);
    EXPECT_EQ(decoded.height, 480);
}

struct LayoutCase {
    const char* label;
    fixtures::JpegRecipe recipe;
    int frameMarker;
};

// Progressive output exactly when the source has more than one scan; a grey source still gives three
// components; a thumbnail one row high is a file like any other.
TEST_F(ThumbnailFile, FrameFollowsTheSourceScans)
{
    const LayoutCase cases[] = {
        {"baseline", fixtures::Recipe(800, 600), 0xC0},
        {"progressive", fixtures::Recipe(800, 600, fixtures::Colour::YCbCr, fixtures::Coding::Progressive), 0xC2},
        {"sequential in separate scans", fixtures::Recipe(800, 600, fixtures::Colour::YCbCr, fixtures::Coding::SeparateScans), 0xC2},
        {"grey", fixtures::Recipe(800, 600, fixtures::Colour::Grey), 0xC0},
        {"6400 x 10 gives 640 x 1", fixtures::Recipe(6400, 10), 0xC0},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string source = Source("source.jpg", c.recipe);
        ChooseFile(source);
        ExpectConfirmation();
        ClickButton();
        const std::vector<std::uint8_t> thumb = fixtures::ReadFileBytes(Output("source_thumb.JPG"));
        const std::vector<fixtures::Segment> segments = fixtures::ReadSegments(thumb);
        const fixtures::Segment* frame = nullptr;
        for (const fixtures::Segment& s : segments)
            if (s.marker == 0xC0 || s.marker == 0xC2)
                frame = &s;
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->marker, c.frameMarker);
        ASSERT_GE(frame->data.size(), 6u);
        EXPECT_EQ(frame->data[5], 3) << "three components";
        const fixtures::Decoded decoded = fixtures::DecodeJpeg(thumb);
        const TBitmap* preview = Preview();
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(decoded.width, preview->Width());
        EXPECT_EQ(decoded.height, preview->Height());
    }
    EXPECT_EQ(Preview()->Height(), 1);
}

TEST_F(ThumbnailFile, SecondRunReplacesTheFirstThumbnail)
{
    const std::string source = Source("photo.jpg", fixtures::Recipe(800, 600));
    ChooseFile(source);
    ExpectConfirmation();
    ClickButton();
    TypeSize("320");
    ChooseFile(source);
    ExpectConfirmation();
    ClickButton();
    EXPECT_EQ(Files(), (QStringList{"photo.jpg", "photo_thumb.JPG"}));
    const fixtures::Decoded decoded = fixtures::DecodeJpeg(fixtures::ReadFileBytes(Output("photo_thumb.JPG")));
    EXPECT_EQ(decoded.width, 320);
    EXPECT_EQ(decoded.height, 240);
}

struct FailureCase {
    const char* label;
    fixtures::JpegRecipe recipe;
    const char* sizeText;
    std::function<void(const std::string& output)> prepare;  // leaves an earlier file (or a directory) there
    std::function<std::string(const std::string& output)> error;
    bool previewShown;
};

// Every failure of the saving steps shows its text, sounds no beep, confirms nothing, leaves any earlier file
// of that name byte for byte and no other file behind; the preview keeps what the run drew.
TEST_F(ThumbnailFile, FailuresLeaveTheEarlierFileAndConfirmNothing)
{
    const std::vector<std::uint8_t> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    const auto earlierFile = [&](const std::string& output) { fixtures::WriteFileBytes(output, earlier); };
    const auto readOnlyFile = [&](const std::string& output) {
        fixtures::WriteFileBytes(output, earlier);
        ASSERT_EQ(chmod(output.c_str(), 0444), 0);
    };
    const auto directory = [](const std::string& output) { ASSERT_TRUE(QDir().mkdir(QString::fromStdString(output))); };
    const auto cannotCreate = [](const std::string& output) { return "Cannot create file " + output + "."; };
    const auto fixed = [](const char* text) { return [text](const std::string&) { return std::string(text); }; };

    const FailureCase cases[] = {
        {"a read-only earlier thumbnail", fixtures::Recipe(400, 300), "640", readOnlyFile, cannotCreate, true},
        {"the name taken by a folder", fixtures::Recipe(400, 300), "640", directory, cannotCreate, true},
        {"a side of 0", fixtures::Recipe(1, 2000), "640", earlierFile, fixed("Cannot make a thumbnail of 0 x 640 pixels."), false},
        {"target size 0", fixtures::Recipe(400, 300), "0", earlierFile, fixed("Cannot make a thumbnail of 0 x 0 pixels."), false},
        {"a negative target size", fixtures::Recipe(400, 300), "-40", earlierFile,
         fixed("Cannot make a thumbnail of -40 x -30 pixels."), false},
        {"a side over 65500", fixtures::Recipe(100, 1), "65501", earlierFile, fixed("JPEG error #40."), true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.label);
        const QString folder = QString::fromStdString(PathInDir(c.label));
        ASSERT_TRUE(QDir().mkdir(folder));
        const std::string source = (folder + "/photo.jpg").toStdString();
        fixtures::WriteFileBytes(source, fixtures::MakeJpeg(c.recipe));
        const std::string output = (folder + "/photo_thumb.JPG").toStdString();
        c.prepare(output);
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const int beeps = BeepCount();
        errors.clear();
        confirmations.clear();

        TypeSize(c.sizeText);
        ChooseFile(source);
        ExpectError();
        ClickButton();

        EXPECT_EQ(errors, std::vector<std::string>{c.error(output)});
        EXPECT_EQ(confirmations, std::vector<std::string>{});
        EXPECT_EQ(BeepCount(), beeps);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        if (QFileInfo(QString::fromStdString(output)).isFile()) {
            EXPECT_EQ(fixtures::ReadFileBytes(output), earlier);
        }
        EXPECT_EQ(Preview() && Preview()->HasPixels(), c.previewShown);
    }
}

}  // namespace
