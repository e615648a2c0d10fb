#include "vcl/TBitmap.h"

#include <cstdint>
#include <limits>

#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"
#include "vcl/Stretch.h"
#include "vcl/TCanvas.h"

namespace {

QImage::Format QtFormat(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf8bit:
        return QImage::Format_Indexed8;
    case TPixelFormat::pf24bit:
        return QImage::Format_RGB888;
    case TPixelFormat::pfDevice:
        break;
    }
    return QImage::Format_RGB32;
}

int BytesPerPixel(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pf8bit:
        return 1;
    case TPixelFormat::pf24bit:
        return 3;
    case TPixelFormat::pfDevice:
        break;
    }
    return 4;
}

}  // namespace

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() = default;

void TBitmap::SetWidth(int width)
{
    if (width == width_)
        return;
    width_ = width;
    MakeAnew();
}

void TBitmap::SetHeight(int height)
{
    if (height == height_)
        return;
    height_ = height;
    MakeAnew();
}

void TBitmap::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    MakeAnew();
}

void TBitmap::SetSizeUnfilled(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    MakeAnew(false);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == format_)
        return;
    format_ = format;
    MakeAnew();
}

void TBitmap::SetPalette(const QVector<QRgb>& palette)
{
    if (format_ != TPixelFormat::pf8bit || !HasPixels())
        return;
    MakeWhiteNow();
    image_.setColorTable(palette);
}

QVector<QRgb> TBitmap::Palette() const
{
    MakeWhiteNow();
    return image_.colorTable();
}

std::uint8_t* TBitmap::ScanLine(int row)
{
    MakeWhiteNow();
    return image_.scanLine(row);
}

const std::uint8_t* TBitmap::ScanLine(int row) const
{
    MakeWhiteNow();
    return image_.constScanLine(row);
}

qsizetype TBitmap::BytesPerLine() const
{
    MakeWhiteNow();
    return image_.bytesPerLine();
}

QRgb TBitmap::Pixel(int x, int y) const
{
    if (blank_ && x >= 0 && x < width_ && y >= 0 && y < height_)
        return qRgb(255, 255, 255);
    return image_.pixel(x, y);
}

const QImage& TBitmap::Image() const
{
    MakeWhiteNow();
    return image_;
}

void TBitmap::WillOverwriteAll()
{
    if (!blank_)
        return;
    image_ = Allocate(false);
    blank_ = false;
}

void TBitmap::MakeWhiteNow() const
{
    if (!blank_)
        return;
    image_ = Allocate(true);
    blank_ = false;
}

void TBitmap::MakeAnew(bool white)
{
    image_ = QImage();
    blank_ = false;
    if (width_ <= 0 || height_ <= 0)
        return;

    // Rows are padded to 4 bytes; check the total for overflow and against the memory there is before asking,
    // so that a size that cannot be had fails here and not at the first look at the pixels.
    const std::uint64_t rowBytes = (std::uint64_t(width_) * BytesPerPixel(format_) + 3) / 4 * 4;
    const std::uint64_t total = rowBytes * std::uint64_t(height_);
    if (rowBytes > std::uint64_t(std::numeric_limits<int>::max()) ||
        total > std::uint64_t(std::numeric_limits<qsizetype>::max()) || total > AvailableMemoryBytes())
        throw EOutOfResources();

    if (white)
        blank_ = true;
    else
        image_ = Allocate(false);
}

QImage TBitmap::Allocate(bool white) const
{
    QImage image(width_, height_, QtFormat(format_));
    if (image.isNull())
        throw EOutOfResources();
    if (format_ == TPixelFormat::pf8bit) {
        image.setColorTable({qRgb(255, 255, 255)});
        if (white)
            image.fill(0);
    } else if (white) {
        image.fill(Qt::white);
    }
    return image;
}

TCanvas& TBitmap::Canvas()
{
    if (!canvas_)
        canvas_ = std::make_unique<TCanvas>(*this);
    return *canvas_;
}

void TBitmap::Assign(const TBitmap& source)
{
    if (&source == this)
        return;
    width_ = source.width_;
    height_ = source.height_;
    format_ = source.format_;
    blank_ = source.blank_;
    image_ = source.image_;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect)
{
    StretchCopy(*this, canvas.Target(), rect);
}
