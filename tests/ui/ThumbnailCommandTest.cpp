#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <string>

#include "CommandFixture.h"
#include "ui/Unit1.h"
#include "vcl/TBitmap.h"
#include "vcl/TEdit.h"
#include "vcl/TImage.h"

namespace {

const char kConfirmation[] =
    "The image has been resized and saved in the same directory as the original. The filename will have _thumb "
    "appended to the original filename.";

// Every pixel of the preview equals the thumbnail the picture path makes of the file at that size.
void ExpectPreviewIsThumbnailOf(const TBitmap* preview, const std::string& source, int width, int height)
{
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(preview->Width(), width);
    ASSERT_EQ(preview->Height(), height);
    TBitmap reference;
    ReferenceThumbnail(source, width, height, reference);
    EXPECT_EQ(preview->Image(), reference.Image());
}

class ThumbnailCommand : public CommandFixture {};

TEST_F(ThumbnailCommand, LandscapePhotographAtTheInitialSize)
{
    const std::string source = Source("photo.jpg", fixtures::Recipe(4000, 3000));
    ChooseFile(source);
    ExpectConfirmation();
    ASSERT_EQ(Form1->Edit1->Text(), "640");
    ClickButton();

    EXPECT_EQ(errors, std::vector<std::string>{});
    EXPECT_EQ(confirmations, std::vector<std::string>{kConfirmation});
    EXPECT_EQ(Form1->Width(), 670);
    EXPECT_EQ(Form1->Height(), 670);
    EXPECT_FALSE(Form1->Image3->Visible());
    EXPECT_EQ(Form1->Image1->geometry(), QRect(8, 72, 640, 480));
    ExpectPreviewIsThumbnailOf(Preview(), source, 640, 480);
}

struct SizeCase {
    const char* label;
    int width;
    int height;
    const char* sizeText;
    int thumbWidth;
    int thumbHeight;
};

// Each through the real window: the ratio from the longer side (the width when square), enlargement, the other
// spellings of 640, and a half that must go to the even side.
const SizeCase kSizes[] = {
    {"portrait: the height is the longer side", 3000, 4000, "640", 480, 640},
    {"square: the width counts", 2000, 2000, "640", 640, 640},
    {"a smaller picture is enlarged", 320, 240, "640", 640, 480},
    {"hexadecimal $280", 800, 600, "$280", 640, 480},
    {"hexadecimal 0x280", 800, 600, "0x280", 640, 480},
    {"hexadecimal x280", 800, 600, "x280", 640, 480},
    {"leading blanks and zeros", 800, 600, "  0640", 640, 480},
    {"426.5 goes to the even 426", 1280, 853, "640", 640, 426},
    {"57.5 goes to 58 by the twice-rounded ratio", 4102, 2051, "115", 115, 58},
};

TEST_F(ThumbnailCommand, ThumbnailSizesThroughTheWindow)
{
    for (const SizeCase& c : kSizes) {
        SCOPED_TRACE(c.label);
        errors.clear();
        confirmations.clear();
        const std::string source = Source("size.jpg", fixtures::Recipe(c.width, c.height));
        TypeSize(c.sizeText);
        ChooseFile(source);
        ExpectConfirmation();
        ClickButton();
        EXPECT_EQ(errors, std::vector<std::string>{});
        EXPECT_EQ(confirmations.size(), 1u);
        EXPECT_EQ(Form1->Image1->geometry(), QRect(8, 72, c.thumbWidth, c.thumbHeight));
        ExpectPreviewIsThumbnailOf(Preview(), source, c.thumbWidth, c.thumbHeight);
    }
}

TEST_F(ThumbnailCommand, RefusedSizeTextShowsNoDialogAndKeepsTheWindowSize)
{
    // A first run leaves a preview and a 670 x 670 window behind.
    ChooseFile(Source("photo.jpg", fixtures::Recipe(400, 300)));
    ExpectConfirmation();
    ClickButton();
    ASSERT_NE(Preview(), nullptr);

    const char* refused[] = {"640 ", "", "   ", "6 40", "640.0", "1e3", "-$10", "+-640", "$", "0x",
                             "\t640", "2147483648", "-2147483649", "$100000000", "1,000", "'640'"};
    for (const char* text : refused) {
        SCOPED_TRACE(std::string("size text [") + text + "]");
        errors.clear();
        TypeSize(text);
        ExpectError();
        ClickButton();
        EXPECT_EQ(errors, std::vector<std::string>{std::string("'") + text + "' is not a valid integer value."});
        EXPECT_EQ(Preview(), nullptr) << "the preview is emptied before the text is read";
        EXPECT_TRUE(Form1->Image1->Picture().Empty());
        EXPECT_FALSE(Form1->Image3->Visible());
        EXPECT_EQ(Form1->Width(), 670);
        EXPECT_EQ(Form1->Height(), 670);
    }
    EXPECT_EQ(dialogsOpened, 1) << "no dialog after a refused text";
}

TEST_F(ThumbnailCommand, CancelEndsTheRunSilentlyWithTheWindowResized)
{
    const std::string source = Source("photo.jpg", fixtures::Recipe(400, 300));
    TypeSize("200");
    CancelDialog();
    ClickButton();

    EXPECT_EQ(errors, std::vector<std::string>{});
    EXPECT_EQ(confirmations, std::vector<std::string>{});
    EXPECT_EQ(Form1->Width(), 230);
    EXPECT_EQ(Form1->Height(), 230);
    EXPECT_FALSE(Form1->Image3->Visible());
    EXPECT_TRUE(Form1->Image1->Picture().Empty());
    EXPECT_EQ(Form1->Image1->geometry(), QRect(8, 72, 105, 105)) << "the preview keeps its former size";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"photo.jpg"}) << "no file is written";
}

TEST_F(ThumbnailCommand, MissingFileNamesTheFullPathAndIsOfferedAgain)
{
    const std::string missing = PathInDir("no such folder/missing.jpg");
    ChooseFile(missing);
    ExpectError();
    ClickButton();
    EXPECT_EQ(errors, std::vector<std::string>{"Cannot open file " + missing + "."});
    EXPECT_EQ(Form1->Width(), 670);
    EXPECT_TRUE(Form1->Image1->Picture().Empty());

    CancelDialog();
    ClickButton();
    ASSERT_EQ(nameBoxAtOpen.size(), 2u);
    EXPECT_EQ(nameBoxAtOpen[0], "") << "the first dialog of a start has an empty name box";
    EXPECT_EQ(nameBoxAtOpen[1], missing);
}

TEST_F(ThumbnailCommand, FilesThatAreNoPhotographEndTheRunWithTheirError)
{
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    struct Case {
        const char* label;
        std::vector<std::uint8_t> bytes;
        const char* sizeText;
        std::string error;
    };
    const Case cases[] = {
        {"zero bytes", {}, "640", "Floating point division by zero."},
        {"zero bytes at size 0", {}, "0", "Invalid floating point operation."},
        {"a PNG named .jpg", png, "640", "JPEG error #52."},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "640", "JPEG error #52."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        errors.clear();
        TypeSize(c.sizeText);
        ChooseFile(SourceBytes("picture.jpg", c.bytes));
        ExpectError();
        ClickButton();
        EXPECT_EQ(errors, std::vector<std::string>{c.error});
        EXPECT_TRUE(Form1->Image1->Picture().Empty());
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(PathInDir("picture_thumb.JPG"))));
    }
}

TEST_F(ThumbnailCommand, TwoRunsInARow)
{
    const std::string first = Source("first.jpg", fixtures::Recipe(800, 600));
    const std::string second = Source("second.jpg", fixtures::Recipe(300, 400));
    ChooseFile(first);
    ExpectConfirmation();
    ClickButton();
    ExpectPreviewIsThumbnailOf(Preview(), first, 640, 480);

    TypeSize("200");
    ChooseFile(second);
    ExpectConfirmation();
    ClickButton();
    ASSERT_EQ(nameBoxAtOpen.size(), 2u);
    EXPECT_EQ(nameBoxAtOpen[1], first) << "the second dialog starts with the first choice";
    EXPECT_EQ(Form1->Width(), 230);
    EXPECT_EQ(Form1->Image1->geometry(), QRect(8, 72, 150, 200));
    ExpectPreviewIsThumbnailOf(Preview(), second, 150, 200);
    EXPECT_EQ(confirmations.size(), 2u);
}

TEST_F(ThumbnailCommand, SizesNoBitmapCanHoldFailAndTheProgramGoesOn)
{
    const std::string source = Source("photo.jpg", fixtures::Recipe(4000, 3000));
    TypeSize("2147483647");
    ChooseFile(source);
    ExpectError();
    ClickButton();
    EXPECT_EQ(errors, std::vector<std::string>{"Out of system resources."});
    EXPECT_TRUE(Form1->Image1->Picture().Empty()) << "the preview stays empty";

    TypeSize("64");
    ChooseFile(source);
    ExpectConfirmation();
    ClickButton();
    EXPECT_EQ(errors.size(), 1u);
    ExpectPreviewIsThumbnailOf(Preview(), source, 64, 48);
}

}  // namespace
