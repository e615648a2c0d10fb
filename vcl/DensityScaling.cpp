#include "vcl/DensityScaling.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <cstdint>
#include <limits>

DensityScaling::DensityScaling(int designPixelsPerInch, int designCharHeight, int designTextHeight,
                               int screenPixelsPerInch)
    : designTextHeight_(designTextHeight),
      charHeight_(MulDiv(designCharHeight, screenPixelsPerInch, designPixelsPerInch)),
      // The window font keeps the proportion of line height to character height that the design font has.
      textHeight_(MulDiv(charHeight_, designTextHeight, designCharHeight))
{
}

int DensityScaling::Scale(int value) const
{
    return Scales() ? MulDiv(value, textHeight_, designTextHeight_) : value;
}

int DensityScaling::MulDiv(int a, int b, int c)
{
    if (c == 0)
        return a;
    const std::int64_t product = std::int64_t(a) * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    if (2 * std::llabs(remainder) >= std::llabs(c))
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (quotient < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(quotient);
}

int ScreenPixelsPerInch()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
    return 96;
}
