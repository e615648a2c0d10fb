#include "bench/ThumbnailPathRun.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "imaging/FileReplacement.h"
#include "imaging/JpegEncoder.h"
#include "imaging/TJPEGImage.h"
#include "imaging/ThumbnailName.h"
#include "ui/ThumbnailSize.h"
#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

ThumbnailPathTimes RunThumbnailPath(const std::string& source, int n)
{
    ThumbnailPathTimes times;
    const Clock::time_point start = Clock::now();

    TJPEGImage jpeg;
    jpeg.LoadFromFile(source);
    const Clock::time_point loaded = Clock::now();

    const double ratio = ScaleRatio(n, jpeg.Height() > jpeg.Width() ? jpeg.Height() : jpeg.Width());
    TBitmap thumbnail;
    thumbnail.SetWidth(ScaleSide(jpeg.Width(), ratio));
    thumbnail.SetHeight(ScaleSide(jpeg.Height(), ratio));
    const Clock::time_point sized = Clock::now();

    // The stretch-draw decodes first; asked for on its own, the decode can be timed apart from the stretch.
    jpeg.DIBNeeded();
    const Clock::time_point decoded = Clock::now();
    thumbnail.Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), jpeg);
    const Clock::time_point drawn = Clock::now();

    // The window's preview image gets a bitmap of the thumbnail's size with the thumbnail drawn whole into it.
    TBitmap preview;
    preview.SetWidth(thumbnail.Width());
    preview.SetHeight(thumbnail.Height());
    preview.Canvas().Draw(0, 0, thumbnail);
    const Clock::time_point previewed = Clock::now();

    const bool progressive = jpeg.ProgressiveEncoding();
    const std::string output = ThumbnailPath(source);
    jpeg.Assign(thumbnail);
    const Clock::time_point takenOver = Clock::now();
    jpeg.SaveToFile(output);
    const Clock::time_point saved = Clock::now();

    times.load = Seconds(start, loaded);
    times.size = Seconds(loaded, sized);
    times.decode = Seconds(sized, decoded);
    times.stretch = Seconds(decoded, drawn);
    times.preview = Seconds(drawn, previewed);
    times.takeOver = Seconds(previewed, takenOver);
    times.save = Seconds(takenOver, saved);
    times.total = Seconds(start, saved);
    times.width = thumbnail.Width();
    times.height = thumbnail.Height();

    const Clock::time_point encodeStart = Clock::now();
    const std::vector<std::uint8_t> bytes = EncodeJpeg(thumbnail, jpeg.CompressionQuality(), progressive);
    const Clock::time_point encoded = Clock::now();
    const std::string again = output + ".again";
    WriteFileReplacing(again, bytes);
    const Clock::time_point written = Clock::now();
    unlink(again.c_str());
    times.encodeAlone = Seconds(encodeStart, encoded);
    times.writeAlone = Seconds(encoded, written);
    return times;
}

std::string FormatThumbnailPathTimes(const ThumbnailPathTimes& t)
{
    char line[512];
    std::snprintf(line, sizeof line,
                  "load=%.6f size=%.6f decode=%.6f stretch=%.6f preview=%.6f takeover=%.6f save=%.6f total=%.6f "
                  "encode=%.6f write=%.6f width=%d height=%d",
                  t.load, t.size, t.decode, t.stretch, t.preview, t.takeOver, t.save, t.total, t.encodeAlone,
                  t.writeAlone, t.width, t.height);
    return line;
}
