#include "vcl/StrToInt.h"

#include <cstddef>
#include <cstdint>

#include "vcl/Exceptions.h"
#include "vcl/HexDigit.h"

namespace {

[[noreturn]] void Refuse(const std::string& text)
{
    throw EConvertError("'" + text + "' is not a valid integer value");
}

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of a hexadecimal prefix at pos, or 0. "0x" is tried before a lone "0" can be read as a decimal digit.
std::size_t HexPrefixLength(const std::string& text, std::size_t pos)
{
    const char c = text[pos];
    if (c == '$' || c == 'x' || c == 'X')
        return 1;
    if (c == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X'))
        return 2;
    return 0;
}

}  // namespace

int StrToInt(const std::string& text)
{
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos == text.size())
        Refuse(text);

    if (const std::size_t prefix = HexPrefixLength(text, pos)) {
        pos += prefix;
        if (pos == text.size())
            Refuse(text);
        std::uint32_t pattern = 0;
        int significant = 0;
        for (; pos < text.size(); ++pos) {
            const int digit = HexDigitValue(text[pos]);
            if (digit < 0)
                Refuse(text);
            if (pattern != 0 || digit != 0)
                ++significant;
            if (significant > 8)
                Refuse(text);
            pattern = pattern << 4 | static_cast<std::uint32_t>(digit);
        }
        return static_cast<int>(pattern);
    }

    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size())
        Refuse(text);
    // The magnitude is bounded as it grows, so any number of leading zeros or digits is safe.
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    std::uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDecimalDigit(text[pos]))
            Refuse(text);
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[pos] - '0');
        if (magnitude > limit)
            Refuse(text);
    }
    const std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return static_cast<int>(value);
}
