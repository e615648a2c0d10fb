#include "imaging/TJPEGImage.h"

#include <sys/stat.h>

#include <new>
#include <utility>

#include "imaging/FileContents.h"
#include "imaging/FileReplacement.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegEncoder.h"
#include "imaging/JpegHeader.h"
#include "vcl/Exceptions.h"
#include "vcl/Stretch.h"
#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

namespace {

TJPEGPixelFormat defaultPixelFormat = TJPEGPixelFormat::jf24Bit;

}  // namespace

TJPEGImage::TJPEGImage() : pixelFormat_(defaultPixelFormat) {}

TJPEGImage::~TJPEGImage() = default;

TJPEGPixelFormat TJPEGImage::DefaultPixelFormat()
{
    return defaultPixelFormat;
}

void TJPEGImage::SetDefaultPixelFormat(TJPEGPixelFormat format)
{
    defaultPixelFormat = format;
}

void TJPEGImage::Clear()
{
    std::vector<std::uint8_t>().swap(data_);
    bitmap_.reset();
    width_ = 0;
    height_ = 0;
    progressiveEncoding_ = false;
    loadedFromFile_ = false;
}

void TJPEGImage::ReadHeader()
{
    // An empty file is an empty picture; libjpeg never sees it.
    if (data_.empty())
        return;
    const JpegHeader header = ReadJpegHeader(data_.data(), data_.size());
    width_ = header.width;
    height_ = header.height;
    progressiveEncoding_ = header.multipleScans;
}

void TJPEGImage::LoadFromFile(const std::string& fileName)
{
    Clear();
    data_ = ReadFileContents(fileName);
    struct stat status {};
    if (stat(fileName.c_str(), &status) == 0) {
        loadedFromFile_ = true;
        sourceDevice_ = status.st_dev;
        sourceInode_ = status.st_ino;
    }
    ReadHeader();
}

void TJPEGImage::LoadFromMemory(std::vector<std::uint8_t> data)
{
    Clear();
    data_ = std::move(data);
    ReadHeader();
}

void TJPEGImage::ReadData(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        throw EReadError();
    const std::uint32_t count = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
    if (count > size - 4)
        throw EReadError();
    std::vector<std::uint8_t> bytes;
    try {
        bytes.assign(data + 4, data + 4 + count);
    } catch (const std::bad_alloc&) {
        throw EMemoryStreamError();
    }
    LoadFromMemory(std::move(bytes));
}

int TJPEGImage::Width() const
{
    return bitmap_ ? bitmap_->Width() : width_;
}

int TJPEGImage::Height() const
{
    return bitmap_ ? bitmap_->Height() : height_;
}

bool TJPEGImage::Empty() const
{
    return data_.empty() && !bitmap_;
}

void TJPEGImage::DIBNeeded()
{
    if (bitmap_)
        return;
    bitmap_ = DecodeJpegToBitmap(data_.data(), data_.size(), pixelFormat_);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect)
{
    DIBNeeded();
    StretchCopy(*bitmap_, canvas.Target(), rect);
}

void TJPEGImage::Assign(const TBitmap& bitmap)
{
    auto taken = std::make_unique<TBitmap>();
    taken->Assign(bitmap);
    std::vector<std::uint8_t>().swap(data_);
    bitmap_ = std::move(taken);
    width_ = bitmap_->Width();
    height_ = bitmap_->Height();
}

void TJPEGImage::SaveToFile(const std::string& fileName)
{
    DIBNeeded();
    // The thumbnail's name always differs from the source's, yet a link can make both one file: a source that
    // is a symbolic link to that name, or a second hard link. Replacing it would lose the photograph.
    struct stat existing {};
    if (loadedFromFile_ && lstat(fileName.c_str(), &existing) == 0 && existing.st_dev == sourceDevice_ &&
        existing.st_ino == sourceInode_)
        throw EFCreateError(fileName);
    // Encoded whole in memory first, so that a picture that cannot be encoded (one without pixels would make an
    // empty file no viewer opens) never touches the file.
    WriteFileReplacing(fileName, EncodeJpeg(*bitmap_, compressionQuality_, progressiveEncoding_));
}
