#pragma once

#include <cstddef>
#include <cstdint>

#include "vcl/Types.h"

class TCanvas;

// A picture of some kind that a canvas can draw. The component layer knows only this interface; the kinds
// themselves (bitmaps here, JPEG pictures in the imaging library) draw themselves.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;

    // Draws the whole picture stretched over rect of the canvas's bitmap.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

    // Reads the picture from the data a window description stores for it (after the class name).
    // Kinds that are never stored in a description refuse it.
    virtual void ReadData(const std::uint8_t* data, std::size_t size);

protected:
    TGraphic() = default;
};
