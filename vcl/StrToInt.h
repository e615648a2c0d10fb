#pragma once

#include <string>

// Converts the whole text to a 32-bit integer: leading spaces, then either a decimal number with at most one
// sign, or a hexadecimal one after $, x, X, 0x or 0X taken as a 32-bit pattern. Anything else raises
// EConvertError "'<text>' is not a valid integer value".
int StrToInt(const std::string& text);
