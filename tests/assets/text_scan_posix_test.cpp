// The conversions against the C library they stand in for, on a table of texts; the differential
// tests and the fuzzer compare the same way on many more.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/text_scan.h"

namespace {

// A table of texts, read across.
// clang-format off
const char* TEXTS[] = {
    "0",      "-0",       "+1.5",    " \t\v\f\r\n2.25", ".5",     "-.5e1",     "1e",
    "1e-2x",  "1.2.3",    "0.1",     "0.333333333333333333333333", "1e400",  "-1e-400",
    "4.9e-324",           "3.4028236e38", "1e-46",  "0x1p3",  "0X1.8P1", "0x", "0x.8",
    "-INFINITY",          "infinx",  "infi",    "-nan(12)", "na",     "NaN",       "+-1",
    "- 1",    "e5",       ".",       "",        "12abc",  "9007199254740993",  "1,5",
    "\xa0" "1",           "00000000000000000000001.5",   "1e0000000000000000000001",
    "2147483648",         "-2147483649",        "99999999999999999999",        "+17 \r42x",
    "1/2",    "\\3",      "1e+ 2 3", "1e-x 2",  "0x 1",   "infinx 1",  "-nan(1) 2", "+.e1",
};
// clang-format on

TEST(TextScan, ConversionsAreAtofAndSscanfBitForBit) {
    for (const char* text : TEXTS) {
        SCOPED_TRACE(testing::PrintToString(text));
        const char* end = text + std::strlen(text);
        const double expected = std::atof(text);
        double value = -7;
        scanAtof(text, end, &value);
        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << value << " vs " << expected;

        float floats[3] = {-7, -7, -7}, expectedFloats[3] = {-7, -7, -7};
        const int converted =
            std::sscanf(text, "%f%f%f", &expectedFloats[0], &expectedFloats[1], &expectedFloats[2]);
        int count = 0;
        for (const char* p = text; count < 3 && (p = scanFloat(p, end, &floats[count]));) ++count;
        EXPECT_EQ(count, converted < 0 ? 0 : converted);
        EXPECT_EQ(std::memcmp(floats, expectedFloats, sizeof floats), 0);

        int expectedInt = -7;
        int32_t integer = -7;
        const bool intConverted = std::sscanf(text, "%d", &expectedInt) == 1;
        EXPECT_EQ(scanInt(text, end, &integer) != nullptr, intConverted);
        EXPECT_EQ(integer, expectedInt);
    }
}

TEST(TextScan, ScanAtofEndsWhereTheNumberOrTheTextEnds) {
    const char* text = "  -12.5e1x";
    double value;
    EXPECT_EQ(scanAtof(text, text + std::strlen(text), &value), text + 9);
    EXPECT_EQ(value, -125.0);
    const char* cut = "1.25";  // the text ends before the number does
    EXPECT_EQ(scanAtof(cut, cut + 3, &value), cut + 3);
    EXPECT_EQ(value, 1.2);
}

}  // namespace
