#pragma once

#include <QImage>
#include <QVector>
#include <cstdint>
#include <memory>

#include "vcl/TGraphic.h"

// pfDevice is the display's own format: 32 bits per pixel, exact 8-bit red, green and blue.
enum class TPixelFormat { pfDevice, pf8bit, pf24bit };

// A bitmap in memory. It has pixels only while both sides are greater than 0; every (re)sizing makes it anew,
// all white. Pixels live in a QImage, so that painting needs no conversion and Assign shares them. The white is
// made only when something first looks at the pixels: a bitmap that is drawn over whole right after its sizing
// never spends a pass (or, when it takes over another bitmap's pixels, even the memory) on it.
// pf24bit rows hold red, green, blue bytes; pf8bit rows hold palette indexes; pfDevice rows hold QRgb words.
class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return width_ == 0 || height_ == 0; }
    bool HasPixels() const { return blank_ || !image_.isNull(); }
    // All white, with the white not made yet.
    bool WhitePending() const { return blank_; }

    // Setting a side to its present value does nothing; any other value makes the bitmap anew.
    // A bitmap that would not fit in the memory available raises EOutOfResources here; should the allocator still
    // refuse when the pixels are made, whatever first looks at them raises it.
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
    QVector<QRgb> Palette() const;

    std::uint8_t* ScanLine(int row);
    const std::uint8_t* ScanLine(int row) const;
    qsizetype BytesPerLine() const;

    // The colour of one pixel, whatever the format.
    QRgb Pixel(int x, int y) const;

    // For a writer about to set every pixel: the white this bitmap is still owed is not made, and its pixels are
    // left as they come from the allocator.
    void WillOverwriteAll();

    TCanvas& Canvas();

    // Takes over the source's size, format and pixels; the pixels are shared until either side writes to them.
    void Assign(const TBitmap& source);

    // The pixels as Qt sees them (a null image while there are none), for painting.
    const QImage& Image() const;

    void Draw(TCanvas& canvas, const TRect& rect) override;

private:
    void MakeAnew(bool white = true);
    // Allocates the pixels of the present size and format, white or left as they come.
    QImage Allocate(bool white) const;
    // Gives a bitmap still owed its white its white pixels.
    void MakeWhiteNow() const;

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    // Sized, with its pixels all white but not yet made; image_ is null meanwhile. Looking at the pixels makes
    // them, which is why both may change in a const call.
    mutable bool blank_ = false;
    mutable QImage image_;
    std::unique_ptr<TCanvas> canvas_;
};
