#pragma once

#include <QImage>
#include <QVector>
#include <cstdint>
#include <memory>

#include "vcl/TGraphic.h"

// pfDevice is the display's own format: 32 bits per pixel, exact 8-bit red, green and blue.
enum class TPixelFormat { pfDevice, pf8bit, pf24bit };

// A bitmap in memory. It has pixels only while both sides are greater than 0; every (re)sizing makes it anew,
// all white. Pixels live in a QImage, so that painting needs no conversion and Assign shares them.
// pf24bit rows hold red, green, blue bytes; pf8bit rows hold palette indexes; pfDevice rows hold QRgb words.
class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return width_ == 0 || height_ == 0; }
    bool HasPixels() const { return !image_.isNull(); }

    // Setting a side to its present value does nothing; any other value makes the bitmap anew.
    // A bitmap that cannot be allocated, or would not fit in the memory available, raises EOutOfResources.
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);
    // As SetSize, but new pixels are not painted white: for a writer that sets every pixel before anything reads
    // them, to whom the white would only be a wasted pass over a picture of many megabytes.
    void SetSizeUnfilled(int width, int height);

    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format);

    // The colours of a pf8bit bitmap's indexes.
    void SetPalette(const QVector<QRgb>& palette);
    QVector<QRgb> Palette() const { return image_.colorTable(); }

    std::uint8_t* ScanLine(int row) { return image_.scanLine(row); }
    const std::uint8_t* ScanLine(int row) const { return image_.constScanLine(row); }
    qsizetype BytesPerLine() const { return image_.bytesPerLine(); }

    // The colour of one pixel, whatever the format.
    QRgb Pixel(int x, int y) const { return image_.pixel(x, y); }

    TCanvas& Canvas();

    // Takes over the source's size, format and pixels; the pixels are shared until either side writes to them.
    void Assign(const TBitmap& source);

    // The pixels as Qt sees them (a null image while there are none), for painting.
    const QImage& Image() const { return image_; }

    void Draw(TCanvas& canvas, const TRect& rect) override;

private:
    void MakeAnew(bool white = true);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    QImage image_;
    std::unique_ptr<TCanvas> canvas_;
};
