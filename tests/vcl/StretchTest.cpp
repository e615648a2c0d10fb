#include <gtest/gtest.h>

#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

TEST(Stretch, Placeholder) { TBitmap b; b.SetSize(2, 2); EXPECT_TRUE(b.HasPixels()); }
