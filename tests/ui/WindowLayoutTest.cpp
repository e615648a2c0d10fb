#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTest>
#include <string>

#include "JpegFixtures.h"
#include "ModalAnswerer.h"
#include "imaging/JpegSupport.h"
#include "imaging/TJPEGImage.h"
#include "ui/Unit1.h"
#include "vcl/FormReader.h"
#include "vcl/TApplication.h"
#include "vcl/TButton.h"
#include "vcl/TEdit.h"
#include "vcl/TImage.h"
#include "vcl/TOpenDialog.h"

namespace {

const QRgb kGreen = qRgb(0, 128, 0);

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitJpegSupport();
        Application->Initialize();
        Application->SetTitle("Tolvaner");
    }
    void TearDown() override
    {
        Application->DestroyForms();
        DoneJpegSupport();
        EXPECT_EQ(Form1, nullptr);
        EXPECT_EQ(QApplication::topLevelWidgets().count(), 0) << "a window was left open";
    }

    static QByteArray Description()
    {
        QFile file(QStringLiteral(":/TFORM1"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
};

TEST_F(MainWindow, WindowAsItsDescriptionSetsItOut)
{
    Application->CreateForm(Form1, "TFORM1");
    ASSERT_NE(Form1, nullptr);
    EXPECT_EQ(Application->MainForm(), Form1);
    EXPECT_FALSE(Form1->isVisible()) << "built hidden; the message loop shows it";
    EXPECT_EQ(Form1->objectName(), "Form1");
    EXPECT_EQ(Form1->Caption(), "Tolvane");
    EXPECT_EQ(QPoint(Form1->Left(), Form1->Top()), QPoint(667, 83));
    EXPECT_EQ(QSize(Form1->ClientWidth(), Form1->ClientHeight()), QSize(222, 292));
    EXPECT_EQ(Form1->Color(), QColor(0, 128, 0));
    EXPECT_EQ(Form1->font().family(), "MS Sans Serif");
    EXPECT_EQ(Form1->font().pixelSize(), 11);
    EXPECT_EQ(Form1->font().styleHint(), QFont::SansSerif) << "falls back to the system's sans-serif";
    EXPECT_EQ(Form1->minimumSize(), Form1->maximumSize());

    struct Control {
        const char* name;
        QWidget* widget;
        QRect geometry;
    };
    ASSERT_TRUE(Form1->Button1 && Form1->Edit1 && Form1->Image1 && Form1->Image2 && Form1->Image3 &&
                Form1->OpenDialog1);
    const Control controls[] = {
        {"Image1", Form1->Image1, {8, 72, 105, 105}},  {"Image2", Form1->Image2, {120, 72, 105, 105}},
        {"Image3", Form1->Image3, {8, 72, 206, 206}},  {"Button1", Form1->Button1, {56, 40, 113, 25}},
        {"Edit1", Form1->Edit1, {88, 8, 57, 21}},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.widget->objectName(), c.name);
        EXPECT_EQ(c.widget->geometry(), c.geometry);
        EXPECT_EQ(c.widget->font().pixelSize(), 11) << "controls use the window's font";
    }
    EXPECT_EQ(Form1->OpenDialog1->objectName(), "OpenDialog1");
    EXPECT_EQ(Form1->OpenDialog1->FileName(), "");

    EXPECT_EQ(Form1->Button1->Caption(), "Load Me! Size Me!");
    EXPECT_FALSE(Form1->Button1->isDefault());
    EXPECT_FALSE(Form1->Button1->autoDefault());
    EXPECT_TRUE(Form1->Button1->shortcut().isEmpty()) << "no keyboard accelerator";
    EXPECT_TRUE(static_cast<bool>(Form1->Button1->OnClick)) << "bound by name to Button1Click";
    EXPECT_EQ(Form1->Edit1->Text(), "640");

    EXPECT_TRUE(Form1->Image1->Picture().Empty());
    EXPECT_TRUE(Form1->Image2->Picture().Empty());
    auto* splash = dynamic_cast<TJPEGImage*>(Form1->Image3->Picture().Graphic());
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->Width(), 206);
    EXPECT_EQ(splash->Height(), 206);
    EXPECT_EQ(splash->Bitmap(), nullptr) << "decoded only at the first paint";
    EXPECT_TRUE(Form1->Image3->AutoSize());

    // Buttons and edit boxes above the images, the images in creation order.
    const QObjectList stack = Form1->children();
    EXPECT_LT(stack.indexOf(Form1->Image1), stack.indexOf(Form1->Image2));
    EXPECT_LT(stack.indexOf(Form1->Image2), stack.indexOf(Form1->Image3));
    EXPECT_LT(stack.indexOf(Form1->Image3), stack.indexOf(Form1->Button1));
    EXPECT_LT(stack.indexOf(Form1->Image3), stack.indexOf(Form1->Edit1));
}

TEST_F(MainWindow, SplashPictureIsDrawnOverItsRectangleAndTheRestIsGreen)
{
    Application->CreateForm(Form1, "TFORM1");
    const QImage shot = Form1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(222, 292));

    const fixtures::Decoded splash = fixtures::DecodeJpeg(fixtures::ReadFileBytes(TOLVANER_SPLASH_JPEG));
    ASSERT_EQ(splash.width, 206);
    ASSERT_EQ(splash.height, 206);
    int differing = 0;
    for (int y = 0; y < 206; ++y)
        for (int x = 0; x < 206; ++x) {
            const std::uint8_t* p = &splash.pixels[(std::size_t(y) * 206 + x) * 3];
            differing += (shot.pixel(8 + x, 72 + y) & 0xffffff) != (qRgb(p[0], p[1], p[2]) & 0xffffff);
        }
    EXPECT_EQ(differing, 0);

    const QRect button(56, 40, 113, 25), edit(88, 8, 57, 21), splashArea(8, 72, 206, 206);
    int notGreen = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QPoint p(x, y);
            if (button.contains(p) || edit.contains(p) || splashArea.contains(p))
                continue;
            notGreen += (shot.pixel(p) | 0xff000000u) != kGreen;
        }
    EXPECT_EQ(notGreen, 0);
    EXPECT_NE(shot.pixel(60, 45) | 0xff000000u, kGreen) << "the button is drawn";
    EXPECT_EQ(shot.pixel(140, 12) | 0xff000000u, qRgb(255, 255, 255)) << "the edit box is white";
}

TEST_F(MainWindow, DescriptionCarriesTheCommittedSplashPicture)
{
    const QByteArray text = Description();
    const int open = text.indexOf("Picture.Data = {");
    const int close = text.indexOf('}', open);
    ASSERT_GT(open, 0);
    ASSERT_GT(close, open);
    const QByteArray data = QByteArray::fromHex(text.mid(open + 16, close - open - 16).simplified().replace(' ', ""));
    ASSERT_GT(data.size(), 15);
    EXPECT_EQ(data.left(11), QByteArray("\x0aTJPEGImage"));
    const std::uint32_t count = std::uint8_t(data[11]) | std::uint8_t(data[12]) << 8 | std::uint8_t(data[13]) << 16 |
                                std::uint32_t(std::uint8_t(data[14])) << 24;
    EXPECT_EQ(count, std::uint32_t(data.size() - 15));
    const std::vector<std::uint8_t> file = fixtures::ReadFileBytes(TOLVANER_SPLASH_JPEG);
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin() + 15, data.end()), file);

    // A baseline JFIF picture with three components.
    const std::vector<fixtures::Segment> segments = fixtures::ReadSegments(file);
    ASSERT_GE(segments.size(), 3u);
    EXPECT_EQ(segments[0].marker, 0xD8);
    EXPECT_EQ(segments[1].marker, 0xE0);
    EXPECT_EQ(std::string(segments[1].data.begin(), segments[1].data.begin() + 5), std::string("JFIF\0", 5));
    bool baselineFrame = false;
    for (const fixtures::Segment& s : segments)
        if (s.marker == 0xC0)
            baselineFrame = s.data.size() > 5 && s.data[5] == 3;
    EXPECT_TRUE(baselineFrame);
}

TEST_F(MainWindow, UnregisteredJpegKindLeavesTheSplashEmptySilently)
{
    DoneJpegSupport();
    ModalAnswerer answerer;
    answerer.Then([](QWidget* modal) { modal->close(); });
    Application->CreateForm(Form1, "TFORM1");
    EXPECT_EQ(Form1->Image3->Picture().Graphic(), nullptr);
    const QImage shot = Form1->grab().toImage();
    EXPECT_EQ(shot.pixel(100, 150) | 0xff000000u, kGreen);
    QApplication::processEvents();
    EXPECT_EQ(answerer.Answered(), 0);
}

TEST_F(MainWindow, DenserScreenScalesTheLayoutButNotThePicture)
{
    TForm1 form;
    ReadForm(form, Description().toStdString(), 192);
    EXPECT_EQ(form.font().pixelSize(), 22);
    EXPECT_EQ(QSize(form.ClientWidth(), form.ClientHeight()), QSize(444, 584));
    EXPECT_EQ(form.Button1->geometry(), QRect(112, 80, 226, 50));
    EXPECT_EQ(form.Edit1->geometry(), QRect(176, 16, 114, 42));
    EXPECT_EQ(form.Image1->geometry(), QRect(16, 144, 210, 210));
    EXPECT_EQ(form.Image3->geometry(), QRect(16, 144, 206, 206));
    EXPECT_EQ(QPoint(form.Left(), form.Top()), QPoint(667, 83));
}

TEST_F(MainWindow, TitleAndIconNameTheTaskBarEntryWhileTheCaptionStays)
{
    Application->CreateForm(Form1, "TFORM1");
    EXPECT_EQ(QCoreApplication::applicationName(), "Tolvaner");
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(48, 48).toImage();
    EXPECT_EQ(image.size(), QSize(48, 48));
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "transparent background";
    EXPECT_EQ(qAlpha(image.pixel(24, 30)), 255);
    EXPECT_EQ(Form1->windowTitle(), "Tolvane");
}

TEST_F(MainWindow, ButtonHasTheFocusAtStartAndEnterPressesIt)
{
    Application->CreateForm(Form1, "TFORM1");
    int clicks = 0;
    TObject* sender = nullptr;
    Form1->Button1->OnClick = [&](TObject* s) {
        ++clicks;
        sender = s;
    };
    Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    EXPECT_EQ(QApplication::focusWidget(), Form1->Button1);
    QTest::keyClick(Form1->Button1, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(sender, Form1->Button1);
    QTest::keyClick(Form1->Button1, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Form1->Edit1);
    EXPECT_EQ(Form1->Edit1->selectedText(), "640");
    QTest::keyClick(Form1->Edit1, Qt::Key_Return);
    EXPECT_EQ(clicks, 1) << "Enter in the edit box does not press the button";
}

}  // namespace
