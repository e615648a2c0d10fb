#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "vcl/Exceptions.h"
#include "vcl/StrToInt.h"

namespace {

struct Accepted {
    std::string text;
    int value;
};

const Accepted kAccepted[] = {
    {"640", 640},
    {"0640", 640},
    {"+640", 640},
    {"   640", 640},
    {" 640", 640},
    {"$280", 640},
    {"0x280", 640},
    {"0X280", 640},
    {"x280", 640},
    {"X280", 640},
    {"  $280", 640},
    {"-0", 0},
    {"+0", 0},
    {"0", 0},
    {"-640", -640},
    {"2147483647", 2147483647},
    {"-2147483648", -2147483647 - 1},
    {"+2147483647", 2147483647},
    {"00000000000000000002147483647", 2147483647},
    {"-000000000000000000000000000001", -1},
    {"$FFFFFFFF", -1},
    {"$ffffffff", -1},
    {"0x80000000", -2147483647 - 1},
    {"$7FFFFFFF", 2147483647},
    {"$0", 0},
    {"$00000000000000000000000000001", 1},
    {"x0000000080000000", -2147483647 - 1},
    {"$aBcDeF", 0xABCDEF},
    {"0x0", 0},
    {"00", 0},
};

const std::string kRefused[] = {
    "",
    " ",
    "     ",
    "640 ",
    "6 40",
    "640.0",
    "1e3",
    "-$10",
    "+$10",
    "-0x10",
    "\t640",
    "640\t",
    "\n640",
    "- 640",
    "+-640",
    "--640",
    "+",
    "-",
    "$",
    "x",
    "X",
    "0x",
    "0X",
    "$ 10",
    "$-10",
    "$G",
    "0xG",
    "1,000",
    "1.000",
    "2147483648",
    "-2147483649",
    "99999999999999999999",
    "-99999999999999999999",
    "$100000000",
    "$FFFFFFFFF",
    "0x123456789",
    "$1 ",
    "640abc",
    "00x10",
    "0x0x10",
    "h10",
    "10h",
    "&10",
    "0b10",
    "'640'",
    std::string("640\0", 4),
    "\xEF\xBC\x96\xEF\xBC\x94\xEF\xBC\x90",  // fullwidth digits
};

}  // namespace

TEST(StrToInt, AcceptsEveryFormOfTheRule)
{
    for (const Accepted& c : kAccepted) {
        SCOPED_TRACE("text [" + c.text + "]");
        EXPECT_EQ(StrToInt(c.text), c.value);
    }
}

TEST(StrToInt, RefusesEveryOtherTextWithTheTextUnchangedInTheMessage)
{
    for (const std::string& text : kRefused) {
        SCOPED_TRACE("text [" + text + "]");
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + text + "' is not a valid integer value");
        }
    }
}

TEST(StrToInt, MessageKeepsQuotesUndoubledAndEmptyTextGivesAdjacentQuotes)
{
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"", "'' is not a valid integer value"},
        {"it's", "'it's' is not a valid integer value"},
        {"640 ", "'640 ' is not a valid integer value"},
        {"  6'4'0", "'  6'4'0' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text [" + c.text + "]");
        try {
            StrToInt(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message.c_str());
        }
    }
}

// Every 32-bit value written in decimal, and as eight hexadecimal digits, comes back unchanged; one step past
// the decimal ends is refused. Sampled across the range, ends included.
TEST(StrToInt, RoundTripsValuesAcrossTheRange)
{
    const long long step = 4294967296LL / 997;
    for (long long v = -2147483648LL; v <= 2147483647LL; v += step) {
        for (long long value : {v, v + 1, -v - 1}) {
            if (value < -2147483648LL || value > 2147483647LL)
                continue;
            SCOPED_TRACE(value);
            EXPECT_EQ(StrToInt(std::to_string(value)), value);
            char hex[16];
            std::snprintf(hex, sizeof hex, "$%08X", static_cast<unsigned>(value) & 0xFFFFFFFFu);
            EXPECT_EQ(StrToInt(hex), value);
        }
    }
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    EXPECT_THROW(StrToInt("-2147483649"), EConvertError);
}
