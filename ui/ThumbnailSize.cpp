#include "ui/ThumbnailSize.h"

#include <cmath>
#include <cstdint>

#include "vcl/Exceptions.h"

namespace {

using u128 = unsigned __int128;

int BitLength(u128 v)
{
    int bits = 0;
    while (v != 0) {
        v >>= 1;
        ++bits;
    }
    return bits;
}

std::uint64_t Magnitude(int v)
{
    return v < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(static_cast<std::int64_t>(v))
                 : static_cast<std::uint64_t>(v);
}

// Drops the lowest `bits` bits of v, rounding to nearest with ties to even. The result may gain one bit when
// it rounds up to a power of two; callers account for that.
u128 RoundOffBits(u128 v, int bits)
{
    if (bits <= 0)
        return v;
    if (bits >= 128)
        return 0;
    const u128 kept = v >> bits;
    const u128 dropped = v & ((u128(1) << bits) - 1);
    const u128 half = u128(1) << (bits - 1);
    if (dropped > half || (dropped == half && (kept & 1) != 0))
        return kept + 1;
    return kept;
}

}  // namespace

double ScaleRatio(int n, int d)
{
    if (d == 0) {
        if (n == 0)
            throw EInvalidOp();
        throw EZeroDivide();
    }
    const bool negative = (n < 0) != (d < 0);
    if (n == 0)
        return negative ? -0.0 : 0.0;

    const std::uint64_t a = Magnitude(n);
    const std::uint64_t b = Magnitude(d);

    // Scale a / b by 2^k so that its integer part has exactly 64 bits: that integer, rounded by the remainder,
    // is the extended-precision significand. a, b <= 2^31 keep a * 2^k below 2^96.
    int k = 63 + BitLength(b) - BitLength(a);
    u128 scaled = u128(a) << k;
    if (scaled / b < (u128(1) << 63)) {
        ++k;
        scaled <<= 1;
    }
    u128 significand = scaled / b;
    const u128 remainder = scaled % b;
    if (2 * remainder > b || (2 * remainder == b && (significand & 1) != 0))
        ++significand;
    if (significand == (u128(1) << 64)) {
        significand >>= 1;
        --k;
    }

    // Second rounding, to the 53 bits of a double. The exponent stays far from the subnormal range.
    u128 doubleSignificand = RoundOffBits(significand, 11);
    int exponent = 11 - k;
    if (doubleSignificand == (u128(1) << 53)) {
        doubleSignificand >>= 1;
        ++exponent;
    }
    const double magnitude = std::ldexp(static_cast<double>(static_cast<std::uint64_t>(doubleSignificand)), exponent);
    return negative ? -magnitude : magnitude;
}

int ScaleSide(int side, double ratio)
{
    if (!std::isfinite(ratio))
        throw EInvalidOp();
    if (side == 0 || ratio == 0.0)
        return 0;
    const bool negative = (side < 0) != std::signbit(ratio);

    // ratio = m * 2^(e - 53) with m an integer of at most 53 bits (also for subnormal ratios).
    int e = 0;
    const double fraction = std::frexp(std::fabs(ratio), &e);
    const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    int exponent = e - 53;

    // The exact product has at most 84 bits; round it to a 64-bit significand.
    u128 product = u128(Magnitude(side)) * m;
    const int excess = BitLength(product) - 64;
    if (excess > 0) {
        product = RoundOffBits(product, excess);
        exponent += excess;
    }

    // Round product * 2^exponent to the nearest integer, ties to even.
    const u128 limit = negative ? u128(2147483648u) : u128(2147483647u);
    u128 integer;
    if (exponent >= 0) {
        if (BitLength(product) + exponent > 32)
            throw EInvalidOp();
        integer = product << exponent;
    } else {
        integer = RoundOffBits(product, -exponent);
    }
    if (integer > limit)
        throw EInvalidOp();
    const auto value = static_cast<std::int64_t>(integer);
    return static_cast<int>(negative ? -value : value);
}

TThumbnailSize ThumbnailSize(int n, int width, int height)
{
    const int d = height > width ? height : width;
    const double ratio = ScaleRatio(n, d);
    TThumbnailSize size;
    size.Width = ScaleSide(width, ratio);
    size.Height = ScaleSide(height, ratio);
    return size;
}
