#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "JpegFixtures.h"
#include "XDisplay.h"

namespace {

const QRgb kGreen = qRgb(0, 128, 0);

// Pixels of the splash rectangle that differ from the splash picture as libjpeg decodes it.
int SplashDifferences(const QImage& client, const fixtures::Decoded& splash)
{
    int differing = 0;
    for (int y = 0; y < splash.height; ++y)
        for (int x = 0; x < splash.width; ++x) {
            const std::uint8_t* p = &splash.pixels[(std::size_t(y) * std::size_t(splash.width) + std::size_t(x)) * 3];
            differing += (client.pixel(8 + x, 72 + y) & 0xffffffu) != (qRgb(p[0], p[1], p[2]) & 0xffffffu);
        }
    return differing;
}

int GreenDifferences(const QImage& client)
{
    const QRect button(56, 40, 113, 25), edit(88, 8, 57, 21), splash(8, 72, 206, 206);
    int differing = 0;
    for (int y = 0; y < client.height(); ++y)
        for (int x = 0; x < client.width(); ++x) {
            const QPoint p(x, y);
            if (!button.contains(p) && !edit.contains(p) && !splash.contains(p))
                differing += (client.pixel(p) | 0xff000000u) != kGreen;
        }
    return differing;
}

TEST(Startup, WindowShowsTheSplashOnGreenAndClosesWithExitCodeZero)
{
    XDisplay display;
    ASSERT_TRUE(display.Running()) << "Xvfb could not be started (is the xvfb package installed?)";

    QProcess program;
    ASSERT_TRUE(display.Launch(program, QStringLiteral(TOLVANER_EXECUTABLE)));

    const unsigned long window = display.WaitForWindow("Tolvane", 30000);
    ASSERT_NE(window, 0ul) << "no window captioned \"Tolvane\" appeared";
    // Without a window manager there is no frame: the window stands at its designed outer position.
    EXPECT_EQ(display.Geometry(window), QRect(667, 83, 222, 292));
    EXPECT_EQ(display.WindowClass(window), (QStringList{"tolvaner", "Tolvaner"}));
    const std::vector<QSize> icons = display.IconSizes(window);
    EXPECT_NE(std::find(icons.begin(), icons.end(), QSize(48, 48)), icons.end()) << "the task-bar icon";

    const fixtures::Decoded splash = fixtures::DecodeJpeg(fixtures::ReadFileBytes(TOLVANER_SPLASH_JPEG));
    ASSERT_EQ(splash.width, 206);
    const QImage client =
        display.GrabWhen(window, [&](const QImage& image) { return SplashDifferences(image, splash) == 0; }, 20000);
    ASSERT_EQ(client.size(), QSize(222, 292));
    EXPECT_EQ(SplashDifferences(client, splash), 0) << "the splash picture over (8, 72)-(214, 278)";
    EXPECT_EQ(GreenDifferences(client), 0) << "green outside the controls";
    EXPECT_NE(client.pixel(60, 45) | 0xff000000u, kGreen) << "the button is drawn";
    EXPECT_NE(client.pixel(140, 12) | 0xff000000u, kGreen) << "the edit box is drawn";

    display.SendDeleteWindow(window);
    ASSERT_TRUE(program.waitForFinished(30000)) << "the program did not end when its window was closed";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
