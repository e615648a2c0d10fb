#pragma once

#include "vcl/Types.h"

class TBitmap;

// Copies the whole of source onto rect of target, each target pixel taken whole from one source pixel:
// shrinking drops rows and columns, enlarging repeats them, nothing is blended, order is kept.
// target must be in the display's format (pfDevice). Parts of rect outside target are cut off; an empty rect or a bitmap without pixels draws nothing.
void StretchCopy(const TBitmap& source, TBitmap& target, const TRect& rect);
