#include "vcl/Stretch.h"

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
    std::vector<int> column(static_cast<std::size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x)
        column[static_cast<std::size_t>(x - x0)] = SourceIndex(x - std::int64_t(rect.Left), rectW, srcW);

    const TPixelFormat format = source.PixelFormat();
    const QVector<QRgb> palette = source.Palette();
    const bool sameSize = rectW == srcW && x0 == rect.Left && x1 == rect.Right;
    int lastRow = -1;
    const QRgb* lastLine = nullptr;
    for (int y = y0; y < y1; ++y) {
        const int sy = SourceIndex(y - std::int64_t(rect.Top), rectH, srcH);
        auto* out = reinterpret_cast<QRgb*>(target.ScanLine(y));
        if (sy == lastRow) {
            // An enlarged row repeats the one before it.
            std::memcpy(out + x0, lastLine + x0, sizeof(QRgb) * static_cast<std::size_t>(x1 - x0));
            continue;
        }
        const std::uint8_t* in = source.ScanLine(sy);
        switch (format) {
        case TPixelFormat::pfDevice: {
            const auto* words = reinterpret_cast<const QRgb*>(in);
            if (sameSize)
                std::memcpy(out + x0, words, sizeof(QRgb) * static_cast<std::size_t>(x1 - x0));
            else
                for (int x = x0; x < x1; ++x)
                    out[x] = words[column[static_cast<std::size_t>(x - x0)]];
            break;
        }
        case TPixelFormat::pf24bit:
            for (int x = x0; x < x1; ++x) {
                const std::uint8_t* p = in + 3 * column[static_cast<std::size_t>(x - x0)];
                out[x] = qRgb(p[0], p[1], p[2]);
            }
            break;
        case TPixelFormat::pf8bit:
            for (int x = x0; x < x1; ++x) {
                const int index = in[column[static_cast<std::size_t>(x - x0)]];
                out[x] = index < palette.size() ? (palette[index] | 0xff000000u) : qRgb(0, 0, 0);
            }
            break;
        }
        lastRow = sy;
        lastLine = out;
    }
}
