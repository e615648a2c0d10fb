#pragma once

#include "vcl/Types.h"

class TBitmap;
class TGraphic;

// The drawing surface of a bitmap.
class TCanvas {
public:
    explicit TCanvas(TBitmap& target) : target_(target) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The whole bitmap: (0, 0, Width, Height), or an empty rectangle while the bitmap has no pixels.
    TRect ClipRect() const;

    // Draws the whole graphic stretched over rect; anything outside the bitmap is cut off.
    void StretchDraw(const TRect& rect, TGraphic& graphic);

    // Draws the graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, TGraphic& graphic);

    TBitmap& Target() const { return target_; }

private:
    TBitmap& target_;
};
