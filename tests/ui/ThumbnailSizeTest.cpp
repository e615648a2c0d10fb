#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "ui/ThumbnailSize.h"
#include "vcl/Exceptions.h"

namespace {

constexpr int kMaxInt = std::numeric_limits<int>::max();
constexpr int kMinInt = std::numeric_limits<int>::min();

struct SizeCase {
    int n;
    int width;
    int height;
    int expectedWidth;
    int expectedHeight;
};

std::string Describe(int n, int width, int height)
{
    return "N=" + std::to_string(n) + " " + std::to_string(width) + "x" + std::to_string(height);
}

// Worked examples of the rule, and the limits of the 32-bit target size.
const SizeCase kSizes[] = {
    {640, 4000, 3000, 640, 480},
    {640, 3000, 4000, 480, 640},
    {640, 2000, 2000, 640, 640},
    {640, 1280, 853, 640, 426},
    {640, 1280, 855, 640, 428},
    {640, 768, 579, 640, 483},
    {115, 4102, 2051, 115, 58},
    {640, 320, 240, 640, 480},
    {640, 6400, 10, 640, 1},
    {640, 1, 2000, 0, 640},
    {0, 4000, 3000, 0, 0},
    {0, 1, 1, 0, 0},
    {640, 0, 5, 0, 640},
    {-640, 4000, 3000, -640, -480},
    {-640, 1280, 853, -640, -426},
    {-640, 1280, 855, -640, -428},
    {-1, 1, 2000, 0, -1},
    {kMaxInt, 4000, 3000, kMaxInt, 1610612735},
    {kMaxInt, 1, 1, kMaxInt, kMaxInt},
    {kMaxInt, 1, 2, 1073741824, kMaxInt},
    {kMaxInt, 3, 2, kMaxInt, 1431655765},
    {kMinInt, 4000, 3000, kMinInt, -1610612736},
    {kMinInt, 1, 1, kMinInt, kMinInt},
    {kMinInt, 65535, 65535, kMinInt, kMinInt},
    {1, 65535, 32767, 1, 0},
    {1, 65535, 32768, 1, 1},
};

}  // namespace

TEST(ThumbnailSize, WorkedExamplesAndLimits)
{
    for (const SizeCase& c : kSizes) {
        SCOPED_TRACE(Describe(c.n, c.width, c.height));
        const TThumbnailSize size = ThumbnailSize(c.n, c.width, c.height);
        EXPECT_EQ(size.Width, c.expectedWidth);
        EXPECT_EQ(size.Height, c.expectedHeight);
    }
}

// Each case is an exact half (side x N / D = k + 1/2), so only the rounding decides it. Rows marked "once"
// come out differently when N / D is rounded straight to a double; rows marked "double product" come out
// differently when side x R is rounded to a double before it is rounded to an integer. Found by a brute-force
// search over N up to 1000 and sides up to 12000 against an 80-bit extended reference.
struct HalfCase {
    int n;
    int width;
    int height;
    int expectedWidth;
    int expectedHeight;
    bool differsWhenQuotientRoundedOnce;
    bool differsWhenProductRoundedToDouble;
};

const HalfCase kHalves[] = {
    {115, 4102, 2051, 115, 58, true, false},
    {41, 4134, 2067, 41, 20, true, false},
    {599, 4142, 2071, 599, 299, true, false},
    {661, 4158, 2079, 661, 331, true, false},
    {23, 4414, 2207, 23, 11, true, false},
    {17, 4870, 2435, 17, 9, true, true},
    {599, 2071, 4142, 299, 599, true, false},
    {123, 2443, 4886, 61, 123, true, false},
    {640, 768, 579, 640, 483, false, true},
    {640, 1536, 390, 640, 163, false, true},
    {640, 1536, 414, 640, 173, false, true},
    {128, 1280, 325, 128, 33, false, true},
    {100, 1008, 378, 100, 37, false, true},
    {1024, 6144, 1545, 1024, 257, false, true},
    {1920, 1792, 483, 1920, 517, false, true},
    {75, 14, 7, 75, 37, false, true},
    {800, 425, 1088, 313, 800, false, true},
    {640, 1280, 853, 640, 426, false, false},
    {640, 1280, 855, 640, 428, false, false},
};

TEST(ThumbnailSize, HalvesAreDecidedByBothRoundingsOfTheRatioAndTheExtendedProduct)
{
    for (const HalfCase& c : kHalves) {
        SCOPED_TRACE(Describe(c.n, c.width, c.height));
        const int d = c.height > c.width ? c.height : c.width;
        const int shortSide = c.height > c.width ? c.width : c.height;
        // The short side's exact value is a half: 2 * side * N / D is an odd integer.
        ASSERT_EQ(2LL * shortSide * c.n % d, 0);
        ASSERT_EQ(2LL * shortSide * c.n / d % 2, 1);

        const TThumbnailSize size = ThumbnailSize(c.n, c.width, c.height);
        EXPECT_EQ(size.Width, c.expectedWidth);
        EXPECT_EQ(size.Height, c.expectedHeight);

        const int expectedShort = c.height > c.width ? c.expectedWidth : c.expectedHeight;
        const double onceRounded = static_cast<double>(c.n) / static_cast<double>(d);
        EXPECT_EQ(ScaleSide(shortSide, onceRounded) != expectedShort, c.differsWhenQuotientRoundedOnce);
        const double doubleProduct = static_cast<double>(shortSide) * ScaleRatio(c.n, d);
        EXPECT_EQ(static_cast<int>(std::nearbyint(doubleProduct)) != expectedShort,
                  c.differsWhenProductRoundedToDouble);
    }
}

TEST(ScaleRatio, IsTheQuotientRoundedTwice)
{
    EXPECT_EQ(ScaleRatio(640, 1280), 0.5);
    EXPECT_EQ(ScaleRatio(640, 320), 2.0);
    EXPECT_EQ(ScaleRatio(640, 4000), 0.16);
    EXPECT_EQ(ScaleRatio(640, 768), 5.0 / 6.0);
    // 115 / 4102 rounded to 64 bits lands on a tie of the double grid and goes up; IEEE division, rounding
    // once, gives the double just below.
    EXPECT_EQ(ScaleRatio(115, 4102), std::nextafter(115.0 / 4102.0, 1.0));
    EXPECT_EQ(ScaleRatio(-115, 4102), -ScaleRatio(115, 4102));
    EXPECT_EQ(ScaleRatio(115, -4102), -ScaleRatio(115, 4102));
    EXPECT_EQ(ScaleRatio(kMaxInt, 1), 2147483647.0);
    EXPECT_EQ(ScaleRatio(kMinInt, 1), -2147483648.0);
    EXPECT_EQ(ScaleRatio(kMinInt, kMinInt), 1.0);
    EXPECT_EQ(ScaleRatio(1, kMinInt), -std::ldexp(1.0, -31));
    EXPECT_EQ(ScaleRatio(kMaxInt, 2), 1073741823.5);
    EXPECT_EQ(ScaleRatio(0, 5), 0.0);
}

TEST(ScaleRatio, DivisionByZeroRaisesTheFloatingPointErrors)
{
    const struct {
        int n;
        const char* message;
    } cases[] = {
        {640, "Floating point division by zero"},
        {-1, "Floating point division by zero"},
        {kMinInt, "Floating point division by zero"},
        {0, "Invalid floating point operation"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        try {
            ThumbnailSize(c.n, 0, 0);
            ADD_FAILURE() << "no error";
        } catch (const EMathError& e) {
            EXPECT_EQ(e.Message(), c.message);
            EXPECT_EQ(dynamic_cast<const EZeroDivide*>(&e) != nullptr, c.n != 0);
            EXPECT_EQ(dynamic_cast<const EInvalidOp*>(&e) != nullptr, c.n == 0);
        }
    }
}

// The exact product side x ratio, rounded once to the nearest integer (ties to even); none of the cases
// below is a tie, so this is plain rounding.
long long ExactlyRounded(int side, double ratio)
{
    int e = 0;
    const auto m = static_cast<std::uint64_t>(std::ldexp(std::frexp(ratio, &e), 53));
    const unsigned __int128 p = static_cast<unsigned __int128>(side) * m;
    const int shift = 53 - e;
    const unsigned __int128 whole = p >> shift;
    const unsigned __int128 rest = p & ((static_cast<unsigned __int128>(1) << shift) - 1);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    return static_cast<long long>(rest > half ? whole + 1 : whole);
}

// Products whose exact value lies within 2^-53 of a half: rounded to a 64-bit significand they become the
// half itself, which then goes to the even integer, where exact rounding would go the other way.
TEST(ScaleSide, ProductIsRoundedToA64BitSignificandFirst)
{
    const struct {
        int side;
        double ratio;
        int expected;
    } cases[] = {
        {2147483647, 0x1.0000080000001p-1, 1073742336},
        {2147483645, 0x1.8e38e55555556p-2, 835132586},
        {1999999999, 0x1.b3249ab3a6bffp-1, 1699777286},
        {123456789, 0x1.fac9c0c38347ap-2, 61100030},
        {65535, 0x1.1000100010001p-1, 34816},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.side) + " x " + std::to_string(c.ratio));
        EXPECT_EQ(ScaleSide(c.side, c.ratio), c.expected);
        EXPECT_EQ(ScaleSide(-c.side, c.ratio), -c.expected);
        EXPECT_NE(ExactlyRounded(c.side, c.ratio), c.expected);
    }
}

TEST(ScaleSide, RoundsHalvesToEvenAndRefusesWhatNoIntegerHolds)
{
    const struct {
        int side;
        double ratio;
        int expected;
    } rounded[] = {
        {1, 0.5, 0},
        {3, 0.5, 2},
        {5, 0.5, 2},
        {-3, 0.5, -2},
        {3, -0.5, -2},
        {1, std::nextafter(0.5, 1.0), 1},
        {1, std::nextafter(0.5, 0.0), 0},
        {1, 2147483646.5, 2147483646},
        {-1, 2147483648.0, kMinInt},
        {1, -2147483648.5, kMinInt},
        {kMaxInt, 1.0, kMaxInt},
        {kMinInt, 1.0, kMinInt},
        {kMaxInt, std::numeric_limits<double>::denorm_min(), 0},
        {kMaxInt, std::ldexp(1.0, -32), 0},
        {kMaxInt, std::ldexp(1.0, -31), 1},
        {0, 1e300, 0},
        {7, 0.0, 0},
        {7, -0.0, 0},
    };
    for (const auto& c : rounded) {
        SCOPED_TRACE(std::to_string(c.side) + " x " + std::to_string(c.ratio));
        EXPECT_EQ(ScaleSide(c.side, c.ratio), c.expected);
    }

    const struct {
        int side;
        double ratio;
    } refused[] = {
        {1, 2147483647.5},
        {1, 2147483648.0},
        {-1, 2147483649.0},
        {2, 2147483647.0},
        {kMinInt, -1.0},
        {1, 1e300},
        {1, std::numeric_limits<double>::max()},
        {1, std::numeric_limits<double>::infinity()},
        {0, std::numeric_limits<double>::infinity()},
        {1, std::numeric_limits<double>::quiet_NaN()},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(std::to_string(c.side) + " x " + std::to_string(c.ratio));
        EXPECT_THROW(ScaleSide(c.side, c.ratio), EInvalidOp);
    }
}

#if defined(__x86_64__) && LDBL_MANT_DIG == 64
// An extra oracle where long double is the x87 extended format in round-to-nearest: the same arithmetic done
// the way the hardware does it.
TEST(ThumbnailSize, AgreesWithX87ExtendedArithmetic)
{
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    int checked = 0;
    for (int i = 0; i < 300000; ++i) {
        const std::uint64_t r = next();
        int n, width, height;
        switch (i % 3) {
        case 0:  // photograph-like
            n = static_cast<int>(r % 4000);
            width = 1 + static_cast<int>((r >> 16) % 12000);
            height = 1 + static_cast<int>((r >> 32) % 12000);
            break;
        case 1:  // the whole 32-bit range of N
            n = static_cast<int>(static_cast<std::uint32_t>(r));
            width = static_cast<int>((r >> 32) % 65536);
            height = static_cast<int>((r >> 48) % 65536);
            break;
        default:  // exact halves of the short side
            width = 2 + static_cast<int>((r >> 8) % 9000) * 2;
            height = width / 2;
            n = 1 + static_cast<int>((r >> 40) % 2000);
            break;
        }
        const int d = height > width ? height : width;
        if (d == 0)
            continue;
        SCOPED_TRACE(Describe(n, width, height));
        const long double q = static_cast<long double>(n) / static_cast<long double>(d);
        const double ratio = static_cast<double>(q);
        ASSERT_EQ(ScaleRatio(n, d), ratio);
        const long long w = std::llrint(static_cast<long double>(width) * static_cast<long double>(ratio));
        const long long h = std::llrint(static_cast<long double>(height) * static_cast<long double>(ratio));
        const TThumbnailSize size = ThumbnailSize(n, width, height);
        ASSERT_EQ(size.Width, w);
        ASSERT_EQ(size.Height, h);
        ++checked;
    }
    EXPECT_GT(checked, 290000);
}
#endif
