#include "vcl/TGraphic.h"

#include "vcl/Exceptions.h"

void TGraphic::ReadData(const std::uint8_t*, std::size_t)
{
    throw EInvalidGraphic("This kind of picture cannot be read from a window description");
}
