#pragma once

#include <string>

// Seconds spent in each step of one thumbnail, in the order the command takes them.
struct ThumbnailPathTimes {
    double load = 0;     // the file into memory and its header read
    double size = 0;     // the ratio, and the thumbnail bitmap given its width and height
    double decode = 0;   // the stretch-draw's first half: the full decode into the picture's bitmap
    double stretch = 0;  // its second half: the nearest-neighbour stretch onto the thumbnail
    double preview = 0;  // the preview's own bitmap and the same-size copy into it
    double takeOver = 0; // the picture takes the thumbnail over, releasing the file's bytes and the decoded bitmap
    double save = 0;     // encode, write, flush, rename
    double total = 0;
    // Measured after the path, on the same thumbnail: the encoding alone, and the durable write of the same
    // bytes alone (temporary file, write, fsync, rename, directory fsync), so the save can be split.
    double encodeAlone = 0;
    double writeAlone = 0;
    int width = 0;
    int height = 0;
};

// Makes the thumbnail of source at target size n with the program's own objects, exactly as the thumbnail
// command does once its dialog has returned the path, and saves it beside the source. Raises whatever the
// command would raise.
ThumbnailPathTimes RunThumbnailPath(const std::string& source, int n);

// One line of "key=value" figures, for the parent process to read.
std::string FormatThumbnailPathTimes(const ThumbnailPathTimes& times);
