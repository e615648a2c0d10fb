#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vcl/TGraphic.h"

class TBitmap;

enum class TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum class TJPEGPixelFormat { jf24Bit, jf8Bit };
enum class TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };

// A JPEG picture on libjpeg. Loading keeps the whole file in memory and reads only its header; the pixels are
// decoded at the first drawing and kept. Assigning a bitmap replaces the picture by that bitmap, which saving
// then encodes.
class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    // Raises EFOpenError, EReadError, EMemoryStreamError, EJPEG or EOutOfMemory. A file of zero bytes loads as
    // a 0 x 0 picture without error.
    void LoadFromFile(const std::string& fileName);
    // The same, from bytes already in memory (the form description's copy, tests).
    void LoadFromMemory(std::vector<std::uint8_t> data);

    int Width() const override;
    int Height() const override;
    bool Empty() const override;

    // Decodes the picture if it has not been decoded yet, then stretch-draws it over rect.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // The stored form: a 32-bit little-endian byte count followed by the JPEG file.
    void ReadData(const std::uint8_t* data, std::size_t size) override;

    // Decodes now if not yet decoded (raises the decoding errors).
    void DIBNeeded();
    // The decoded full-size bitmap, or after Assign the bitmap taken over; null before decoding.
    const TBitmap* Bitmap() const { return bitmap_.get(); }

    // Takes over the bitmap: drops the file data and the decoded bitmap, shares the bitmap's pixels, keeps the
    // settings.
    void Assign(const TBitmap& bitmap);

    // Encodes the bitmap and writes it to fileName, replacing any file of that name only once the new content
    // is completely written. Raises EFCreateError when fileName is the file the picture was loaded from under
    // another name (a link).
    void SaveToFile(const std::string& fileName);

    // Settings. The program never changes them; loading sets ProgressiveEncoding to whether the file has more
    // than one scan.
    int CompressionQuality() const { return compressionQuality_; }
    bool Grayscale() const { return grayscale_; }
    TJPEGPerformance Performance() const { return performance_; }
    TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
    bool ProgressiveDisplay() const { return progressiveDisplay_; }
    bool ProgressiveEncoding() const { return progressiveEncoding_; }
    TJPEGScale Scale() const { return scale_; }
    bool Smoothing() const { return smoothing_; }

    // The pixel format new pictures start with: 8-bit when the display has at most 8 bits per pixel.
    static TJPEGPixelFormat DefaultPixelFormat();
    static void SetDefaultPixelFormat(TJPEGPixelFormat format);

private:
    // Forgets the file data, the decoded bitmap and the header's facts, as loading starts over.
    void Clear();
    void ReadHeader();

    std::vector<std::uint8_t> data_;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<TBitmap> bitmap_;

    int compressionQuality_ = 90;
    bool grayscale_ = false;
    TJPEGPerformance performance_ = TJPEGPerformance::jpBestQuality;
    TJPEGPixelFormat pixelFormat_;
    bool progressiveDisplay_ = false;
    bool progressiveEncoding_ = false;
    TJPEGScale scale_ = TJPEGScale::jsFullSize;
    bool smoothing_ = true;

    // The file LoadFromFile read, by device and inode, so that saving never writes over it.
    bool loadedFromFile_ = false;
    std::uint64_t sourceDevice_ = 0;
    std::uint64_t sourceInode_ = 0;
};
