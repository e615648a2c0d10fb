#include <gtest/gtest.h>

#include <string>

#include "imaging/JpegSupport.h"
#include "imaging/TJPEGImage.h"
#include "vcl/PictureFormats.h"
#include "vcl/ScreenDepth.h"

namespace {

std::vector<std::string> JpegExtensions()
{
    std::vector<std::string> extensions;
    for (const TPictureFormat& format : RegisteredFileFormats())
        if (format.className == "TJPEGImage") {
            EXPECT_EQ(format.description, "JPEG Image File");
            extensions.push_back(format.extension);
        }
    return extensions;
}

TEST(JpegSupport, RegistersTheJpegPictureAndWithdrawsIt)
{
    ASSERT_EQ(FindGraphicClass("TJPEGImage"), nullptr);
    InitJpegSupport();
    EXPECT_EQ(JpegExtensions(), (std::vector<std::string>{"jpeg", "jpg"}));
    const TPictureFormat* format = FindGraphicClass("TJPEGImage");
    ASSERT_NE(format, nullptr);
    const auto graphic = format->create();
    EXPECT_NE(dynamic_cast<TJPEGImage*>(graphic.get()), nullptr);
    EXPECT_TRUE(graphic->Empty());
    EXPECT_EQ(FindGraphicClass("TJpegImage"), nullptr);

    DoneJpegSupport();
    EXPECT_EQ(FindGraphicClass("TJPEGImage"), nullptr);
    EXPECT_TRUE(JpegExtensions().empty());
}

TEST(JpegSupport, NewPicturesTakeThePixelFormatThatSuitsTheDisplay)
{
    struct Case {
        int depth;
        TJPEGPixelFormat format;
    };
    const Case cases[] = {{1, TJPEGPixelFormat::jf8Bit},   {4, TJPEGPixelFormat::jf8Bit},
                          {8, TJPEGPixelFormat::jf8Bit},   {15, TJPEGPixelFormat::jf24Bit},
                          {16, TJPEGPixelFormat::jf24Bit}, {24, TJPEGPixelFormat::jf24Bit},
                          {32, TJPEGPixelFormat::jf24Bit}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        SetScreenColorDepth(c.depth);
        InitJpegSupport();
        EXPECT_EQ(TJPEGImage::DefaultPixelFormat(), c.format);
        EXPECT_EQ(TJPEGImage().PixelFormat(), c.format);
        // The depth is read once, at start-up: a later change of the display does not reach new pictures.
        SetScreenColorDepth(c.depth <= 8 ? 32 : 8);
        EXPECT_EQ(TJPEGImage().PixelFormat(), c.format);
        DoneJpegSupport();
    }
    SetScreenColorDepth(32);
    TJPEGImage::SetDefaultPixelFormat(TJPEGPixelFormat::jf24Bit);
}

}  // namespace
