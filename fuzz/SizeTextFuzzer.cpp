#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "vcl/Exceptions.h"
#include "vcl/StrToInt.h"

// The size box's text conversion against a model of its rule written as plainly as possible: the digits are
// compared as text with the range's ends instead of being accumulated, so the two share no arithmetic.

namespace {

bool AllOf(const std::string& text, const std::string& alphabet)
{
    return !text.empty() && text.find_first_not_of(alphabet) == std::string::npos;
}

std::string WithoutLeadingZeros(const std::string& digits)
{
    const std::string::size_type first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

// Whether the decimal digits (no leading zeros) stand for a number no greater than limit (also without).
bool AtMost(const std::string& digits, const std::string& limit)
{
    return digits.size() < limit.size() || (digits.size() == limit.size() && digits <= limit);
}

std::optional<std::int32_t> Model(const std::string& text)
{
    const std::string::size_type start = text.find_first_not_of(' ');
    if (start == std::string::npos)
        return std::nullopt;
    std::string rest = text.substr(start);

    std::string::size_type prefix = 0;
    if (rest.compare(0, 2, "0x") == 0 || rest.compare(0, 2, "0X") == 0)
        prefix = 2;
    else if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')
        prefix = 1;
    if (prefix != 0) {
        const std::string digits = rest.substr(prefix);
        if (!AllOf(digits, "0123456789abcdefABCDEF"))
            return std::nullopt;
        const std::string significant = WithoutLeadingZeros(digits);
        if (significant.size() > 8)
            return std::nullopt;
        std::uint32_t pattern = 0;
        for (char c : significant)
            pattern = pattern * 16 + static_cast<std::uint32_t>(std::stoi(std::string(1, c), nullptr, 16));
        return static_cast<std::int32_t>(pattern);
    }

    bool negative = false;
    if (rest[0] == '+' || rest[0] == '-') {
        negative = rest[0] == '-';
        rest.erase(0, 1);
    }
    if (!AllOf(rest, "0123456789"))
        return std::nullopt;
    const std::string digits = WithoutLeadingZeros(rest);
    if (!AtMost(digits, negative ? "2147483648" : "2147483647"))
        return std::nullopt;
    const std::int64_t magnitude = digits.empty() ? 0 : std::stoll(digits);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> expected = Model(text);
    try {
        const int value = StrToInt(text);
        FUZZ_CHECK(expected.has_value());
        FUZZ_CHECK(value == *expected);
    } catch (const EConvertError& e) {
        FUZZ_CHECK(!expected.has_value());
        FUZZ_CHECK(e.Message() == "'" + text + "' is not a valid integer value");
    }
    return 0;
}
