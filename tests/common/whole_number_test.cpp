// Texts read as whole numbers: what counts as a number, how it rounds, and the one overflow rule,
// on awkward inputs, each read for the 16-bit and for the 32-bit range.
#include "common/whole_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kMin16 = std::numeric_limits<std::int16_t>::min();
constexpr std::int32_t kMax16 = std::numeric_limits<std::int16_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();

constexpr auto kNumber = WholeNumber::Reading::Number;
constexpr auto kNotANumber = WholeNumber::Reading::NotANumber;
constexpr auto kOverflow = WholeNumber::Reading::Overflow;

struct Case {
    const char* text;  // UTF-8
    WholeNumber in16;
    WholeNumber in32;
};

TEST(WholeNumber, AwkwardTexts)
{
    const Case cases[] = {
        // Numbers in unusual but allowed shapes.
        {"1.", {kNumber, 1}, {kNumber, 1}},
        {"+.5e1", {kNumber, 5}, {kNumber, 5}},
        {"\t 7 \r\n", {kNumber, 7}, {kNumber, 7}},
        {"-0", {kNumber, 0}, {kNumber, 0}},
        {"-0.5", {kNumber, 0}, {kNumber, 0}},
        {"1.5", {kNumber, 2}, {kNumber, 2}},
        {"000000000000000000000000042", {kNumber, 42}, {kNumber, 42}},
        {"0e999999999", {kNumber, 0}, {kNumber, 0}},
        // Too small for a double is 0, whatever its sign.
        {"1e-400", {kNumber, 0}, {kNumber, 0}},
        {"-1e-400", {kNumber, 0}, {kNumber, 0}},
        // Not numbers: broken shapes, words a double parser would take, digits, blanks and signs
        // outside ASCII.
        {".", {}, {}},
        {"+", {}, {}},
        {"- 5", {}, {}},
        {"5 5", {}, {}},
        {"1e", {}, {}},
        {"1e+", {}, {}},
        {"e5", {}, {}},
        {"1.2.3", {}, {}},
        {"nan", {}, {}},
        {"inf", {}, {}},
        {"Infinity", {}, {}},
        {"\xd9\xa1\xd9\xa2", {}, {}},              // Arabic-Indic 12
        {"\xef\xbc\x91\xef\xbc\x92", {}, {}},      // full-width 12
        {"\xc2\xa0" "12", {}, {}},                 // a no-break space before 12
        {"\xe2\x88\x92" "5", {}, {}},              // the minus sign, not the hyphen
        // Overflow gives the bound on the number's side, however far beyond it the number lies.
        {"32767.5", {kOverflow, kMax16}, {kNumber, 32768}},
        {"-32768.5", {kNumber, kMin16}, {kNumber, -32768}},  // halves to even, into the range
        {"-32769", {kOverflow, kMin16}, {kNumber, -32769}},
        {"2147483647.5", {kOverflow, kMax16}, {kOverflow, kMax32}},
        {"-2147483648.5", {kOverflow, kMin16}, {kNumber, kMin32}},
        {"-2147483649", {kOverflow, kMin16}, {kOverflow, kMin32}},
        {"99999999999999999999999999999", {kOverflow, kMax16}, {kOverflow, kMax32}},
        {"1e400", {kOverflow, kMax16}, {kOverflow, kMax32}},  // beyond a double as well
        {"-1e400", {kOverflow, kMin16}, {kOverflow, kMin32}},
        {"1e5000000000000", {kOverflow, kMax16}, {kOverflow, kMax32}},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const WholeNumber in16 = ReadWholeNumber(text, kMin16, kMax16);
        const WholeNumber in32 = ReadWholeNumber(text, kMin32, kMax32);
        EXPECT_EQ(in16.reading, c.in16.reading) << c.text;
        EXPECT_EQ(in16.value, c.in16.value) << c.text;
        EXPECT_EQ(in32.reading, c.in32.reading) << c.text;
        EXPECT_EQ(in32.value, c.in32.value) << c.text;
    }
}

}  // namespace
