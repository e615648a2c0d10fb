#include "vcl/TCanvas.h"

#include "vcl/TBitmap.h"

TRect TCanvas::ClipRect() const
{
    if (!target_.HasPixels())
        return {};
    return {0, 0, target_.Width(), target_.Height()};
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic)
{
    graphic.Draw(*this, rect);
}

void TCanvas::Draw(int x, int y, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    graphic.Draw(*this, {x, y, x + graphic.Width(), y + graphic.Height()});
}
