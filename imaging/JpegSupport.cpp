#include "imaging/JpegSupport.h"

#include <memory>

#include "imaging/TJPEGImage.h"
#include "vcl/PictureFormats.h"
#include "vcl/ScreenDepth.h"

namespace {

const char* const kClassName = "TJPEGImage";
const char* const kDescription = "JPEG Image File";

bool registered = false;

std::unique_ptr<TGraphic> CreateJPEGImage()
{
    return std::make_unique<TJPEGImage>();
}

}  // namespace

void InitJpegSupport()
{
    if (registered)
        return;
    // A display of 256 colours or fewer shows paletted pictures best, so pictures decode to 8 bits there.
    TJPEGImage::SetDefaultPixelFormat(ScreenColorDepth() <= 8 ? TJPEGPixelFormat::jf8Bit
                                                               : TJPEGPixelFormat::jf24Bit);
    RegisterFileFormat("jpeg", kDescription, kClassName, CreateJPEGImage);
    RegisterFileFormat("jpg", kDescription, kClassName, CreateJPEGImage);
    registered = true;
}

void DoneJpegSupport()
{
    if (!registered)
        return;
    UnregisterGraphicClass(kClassName);
    registered = false;
}
