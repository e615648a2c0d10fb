#include "vcl/Stretch.h"

#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vcl/Exceptions.h"
#include "vcl/TBitmap.h"

namespace {

// The source index for target index i of n, spreading the whole source of size m over n:
// the source pixel under the centre of the target pixel.
inline int SourceIndex(std::int64_t i, std::int64_t n, std::int64_t m)
{
    return static_cast<int>((2 * i + 1) * m / (2 * n));
}

}  // namespace

void StretchCopy(const TBitmap& source, TBitmap& target, const TRect& rect)
{
    if (!source.HasPixels() || !target.HasPixels())
        return;
    // Canvases draw on display bitmaps only; writing 32-bit words into a narrower bitmap would overrun its rows.
    if (target.PixelFormat() != TPixelFormat::pfDevice)
        throw EInvalidGraphic("Cannot draw onto a bitmap that is not in the display's format");
    const std::int64_t rectW = std::int64_t(rect.Right) - rect.Left;
    const std::int64_t rectH = std::int64_t(rect.Bottom) - rect.Top;
    if (rectW <= 0 || rectH <= 0)
        return;

    const int x0 = static_cast<int>(std::max<std::int64_t>(rect.Left, 0));
    const int x1 = static_cast<int>(std::min<std::int64_t>(rect.Right, target.Width()));
    const int y0 = static_cast<int>(std::max<std::int64_t>(rect.Top, 0));
    const int y1 = static_cast<int>(std::min<std::int64_t>(rect.Bottom, target.Height()));
    if (x0 >= x1 || y0 >= y1)
        return;

    const int srcW = source.Width();
    const int srcH = source.Height();
    const TPixelFormat format = source.PixelFormat();
    const bool coversTarget = x0 == 0 && y0 == 0 && x1 == target.Width() && y1 == target.Height();
    // A whole display bitmap onto the whole of one of the same size: the pixels are shared, as QImage copies
    // are, until either side writes; nothing is copied.
    if (coversTarget && rect.Left == 0 && rect.Top == 0 && rectW == srcW && rectH == srcH &&
        format == TPixelFormat::pfDevice) {
        target.Assign(source);
        return;
    }

    // Read before the target is touched: reading it also makes the source's pixels, should they still be owed
    // their white, so that an allocation failing there leaves the target as it was.
    const QVector<QRgb> palette = source.Palette();
    if (coversTarget)
        target.WillOverwriteAll();

    // Where each target column reads: a pixel index, or for 24-bit sources a byte offset, so that the inner loops
    // only add.
    const int bytesPerPixel = format == TPixelFormat::pf24bit ? 3 : 1;
    std::vector<std::uint32_t> column(static_cast<std::size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x)
        column[static_cast<std::size_t>(x - x0)] =
            static_cast<std::uint32_t>(SourceIndex(x - std::int64_t(rect.Left), rectW, srcW) * bytesPerPixel);
    // 24-bit pixels are read four bytes at a time, all but those of the last source column, whose fourth byte
    // may lie beyond the row and, in the last row, beyond the bitmap.
    int wholeWordEnd = x1;
    while (format == TPixelFormat::pf24bit && wholeWordEnd > x0 &&
           column[static_cast<std::size_t>(wholeWordEnd - 1 - x0)] == static_cast<std::uint32_t>(3 * (srcW - 1)))
        --wholeWordEnd;

    // The colours of 8-bit indexes; an index beyond the palette shows black.
    QRgb colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = i < palette.size() ? (palette[i] | 0xff000000u) : qRgb(0, 0, 0);

    const bool sameSize = rectW == srcW && x0 == rect.Left && x1 == rect.Right;
    const std::size_t count = column.size();
    const std::size_t wholeWords = static_cast<std::size_t>(wholeWordEnd - x0);
    const std::uint32_t* from = column.data();
    int lastRow = -1;
    const QRgb* lastLine = nullptr;
    for (int y = y0; y < y1; ++y) {
        const int sy = SourceIndex(y - std::int64_t(rect.Top), rectH, srcH);
        QRgb* out = reinterpret_cast<QRgb*>(target.ScanLine(y)) + x0;
        if (sy == lastRow) {
            // An enlarged row repeats the one before it.
            std::memcpy(out, lastLine, sizeof(QRgb) * count);
            continue;
        }
        const std::uint8_t* in = source.ScanLine(sy);
        switch (format) {
        case TPixelFormat::pfDevice: {
            const auto* words = reinterpret_cast<const QRgb*>(in);
            if (sameSize)
                std::memcpy(out, words, sizeof(QRgb) * count);
            else
                for (std::size_t i = 0; i < count; ++i)
                    out[i] = words[from[i]];
            break;
        }
        case TPixelFormat::pf24bit: {
            std::size_t i = 0;
            for (; i < wholeWords; ++i)
                out[i] = 0xff000000u | (qFromBigEndian<quint32>(in + from[i]) >> 8);
            for (; i < count; ++i) {
                const std::uint8_t* p = in + from[i];
                out[i] = qRgb(p[0], p[1], p[2]);
            }
            break;
        }
        case TPixelFormat::pf8bit:
            for (std::size_t i = 0; i < count; ++i)
                out[i] = colours[in[from[i]]];
            break;
        }
        lastRow = sy;
        lastLine = out;
    }
}
