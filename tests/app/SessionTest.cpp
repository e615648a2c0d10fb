#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>

#include "JpegFixtures.h"
#include "XDisplay.h"

namespace {

// Runs xdotool against the test's own X server; returns whether it succeeded.
bool Xdo(const XDisplay& display, const QStringList& arguments)
{
    QProcess xdo;
    xdo.setProcessEnvironment(display.ClientEnvironment());
    xdo.start(QStringLiteral("xdotool"), arguments);
    if (!xdo.waitForFinished(10000))
        return false;
    return xdo.exitStatus() == QProcess::NormalExit && xdo.exitCode() == 0;
}

QString Id(unsigned long window)
{
    return QString::number(window);
}

// Clicks at a point of a window, as a user's mouse would.
bool ClickAt(const XDisplay& display, unsigned long window, int x, int y)
{
    return Xdo(display, {"mousemove", "--window", Id(window), QString::number(x), QString::number(y)}) &&
           Xdo(display, {"click", "1"});
}

// Mean absolute difference of two images' red, green and blue over the first one's size.
double MeanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

// The whole program in a real X server, driven by synthetic mouse and keyboard input: a size typed into the
// box, the button pressed, a path typed into the open-file dialog, the confirmation dismissed.
TEST(Session, MakesAThumbnailAsAPersonWould)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("holiday photo.jpg"));
    // Smooth colours, so that the thumbnail file, lossy as it is, stays close to the preview's pixels.
    fixtures::JpegRecipe recipe = fixtures::Recipe(800, 600);
    recipe.pixel = [](int x, int y, std::uint8_t* rgb) {
        rgb[0] = static_cast<std::uint8_t>(x * 255 / 799);
        rgb[1] = static_cast<std::uint8_t>(y * 255 / 599);
        rgb[2] = static_cast<std::uint8_t>(255 - (x + y) * 255 / 1398);
    };
    fixtures::WriteFileBytes(source.toStdString(), fixtures::MakeJpeg(recipe));

    XDisplay display;
    ASSERT_TRUE(display.Running()) << "Xvfb could not be started (is the xvfb package installed?)";
    QProcess program;
    ASSERT_TRUE(display.Launch(program, QStringLiteral(TOLVANER_EXECUTABLE)));

    const unsigned long window = display.WaitForWindow("Tolvane", 30000);
    ASSERT_NE(window, 0ul);

    // Into the size box: select what it holds and type over it.
    ASSERT_TRUE(ClickAt(display, window, 116, 18));
    ASSERT_TRUE(Xdo(display, {"key", "ctrl+a"}));
    ASSERT_TRUE(Xdo(display, {"type", "--delay", "20", "320"}));
    ASSERT_TRUE(ClickAt(display, window, 112, 52));

    const unsigned long dialog = display.WaitForWindow("Open", 30000);
    ASSERT_NE(dialog, 0ul) << "the open-file dialog did not appear";
    // No window manager gives the dialog the keyboard; the user's click into it would.
    ASSERT_TRUE(Xdo(display, {"windowfocus", "--sync", Id(dialog)}));
    QThread::msleep(300);
    ASSERT_TRUE(Xdo(display, {"type", "--delay", "20", source}));
    // The name box's completer may take the first Enter for itself; a person would press it again.
    unsigned long confirmation = 0;
    for (int attempt = 0; attempt < 3 && !confirmation; ++attempt) {
        ASSERT_TRUE(Xdo(display, {"key", "Return"}));
        confirmation = display.WaitForWindow("Tolvaner", 5000);
    }
    ASSERT_NE(confirmation, 0ul) << "no confirmation appeared";

    const QString output = dir.filePath(QStringLiteral("holiday photo_thumb.JPG"));
    ASSERT_TRUE(QFileInfo::exists(output)) << "the thumbnail file is there when the confirmation shows";
    const fixtures::Decoded thumbnail = fixtures::DecodeJpeg(fixtures::ReadFileBytes(output.toStdString()));
    EXPECT_EQ(thumbnail.width, 320);
    EXPECT_EQ(thumbnail.height, 240);

    // The window shows the thumbnail at (8, 72), cut off where the client area ends.
    const QImage client =
        display.GrabWhen(window, [](const QImage& image) { return image.size() == QSize(350, 350); }, 10000);
    ASSERT_EQ(client.size(), QSize(350, 350)) << "the window is 320 + 30 square";
    QImage expected(thumbnail.pixels.data(), thumbnail.width, thumbnail.height, thumbnail.width * 3,
                    QImage::Format_RGB888);
    const QImage shown = client.copy(8, 72, 320, 240);
    EXPECT_LT(MeanDifference(expected, shown), 3.0) << "the preview shows the thumbnail";

    ASSERT_TRUE(Xdo(display, {"windowfocus", "--sync", Id(confirmation)}));
    ASSERT_TRUE(Xdo(display, {"key", "Return"}));
    QElapsedTimer closing;
    closing.start();
    while (display.WaitForWindow("Tolvaner", 100) && closing.elapsed() < 10000) {
    }
    EXPECT_EQ(display.WaitForWindow("Tolvaner", 100), 0ul) << "Enter dismisses the confirmation";

    display.SendDeleteWindow(window);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{"holiday photo.jpg", "holiday photo_thumb.JPG"}));
}

}  // namespace
