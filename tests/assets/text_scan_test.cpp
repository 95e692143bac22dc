// The conversions against the C library they stand in for, on the same texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assets/text_scan.h"

namespace {

const char* NUMBER_TEXTS[] = {
    "0",
    "-0",
    "+1.5",
    " \t\v\f\r\n2.25",
    "3.",
    ".5",
    "-.5e1",
    "1e",
    "1e+",
    "1e-2x",
    "1.2.3",
    "0.1",
    "0.333333333333333333333333",
    "123456789012345678901234567890",
    "1e400",
    "-1e400",
    "1e-400",
    "4.9e-324",
    "2.4703282292062328e-324",
    "3.4028235e38",
    "3.4028236e38",
    "1e-46",
    "0x1p3",
    "0X1.8P1",
    "0x",
    "0xg",
    "0x.8",
    "inf",
    "-INFINITY",
    "infinx",
    "infi",
    "nan",
    "-nan(12)",
    "na",
    "NaN",
    "-",
    "+",
    "+-1",
    "- 1",
    "e5",
    ".",
    "",
    "12abc",
    "9007199254740993",
    "0.000001",
    "-0.123456",
    "7.0e-1",
    "1,5",
    "\xa0"
    "1",
    "00000000000000000000001.5",
    "1e0000000000000000000001",
};

std::string printable(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p)
        out += (*p >= ' ' && *p < 127) ? std::string(1, *p)
                                       : "\\x" + std::to_string(static_cast<unsigned char>(*p));
    return out;
}

TEST(TextScan, ScanAtofIsAtofBitForBit) {
    for (const char* text : NUMBER_TEXTS) {
        const double expected = std::atof(text);
        double value = -7;
        scanAtof(text, text + std::strlen(text), &value);
        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
            << printable(text) << ": " << value << " instead of " << expected;
    }
}

TEST(TextScan, ScanAtofEndsWhereTheNumberEnds) {
    const char* text = "  -12.5e1x";
    double value;
    EXPECT_EQ(scanAtof(text, text + std::strlen(text), &value), text + 9);
    EXPECT_EQ(value, -125.0);
    const char* none = "abc";
    EXPECT_EQ(scanAtof(none, none + 3, &value), none);
    EXPECT_EQ(value, 0.0);
    const char* cut = "1.25";  // the text ends before the number does
    EXPECT_EQ(scanAtof(cut, cut + 3, &value), cut + 3);
    EXPECT_EQ(value, 1.2);
}

TEST(TextScan, ScanFloatIsSscanfPercentF) {
    for (const char* text : NUMBER_TEXTS) {
        float expected[3] = {-7, -7, -7};
        const int converted = std::sscanf(text, "%f%f%f", &expected[0], &expected[1], &expected[2]);
        float value[3] = {-7, -7, -7};
        const char* p = text;
        int count = 0;
        for (; count < 3 && (p = scanFloat(p, text + std::strlen(text), &value[count])); ++count) {
        }
        EXPECT_EQ(count, converted < 0 ? 0 : converted) << printable(text);
        EXPECT_EQ(std::memcmp(value, expected, sizeof value), 0) << printable(text);
    }
}

TEST(TextScan, ScanFloatReadsAsFarAsScanfDoes) {
    // scanf takes "1e+" whole and then finds the 2; a second "%f" after "infinx" never comes.
    const char* texts[] = {"1e+ 2 3", "1e-x 2", "0x 1", "infinx 1", "-nan(1) 2", "1.5.5 2", "+.e1"};
    for (const char* text : texts) {
        float expected[3] = {-7, -7, -7};
        const int converted = std::sscanf(text, "%f%f%f", &expected[0], &expected[1], &expected[2]);
        float value[3] = {-7, -7, -7};
        const char* p = text;
        int count = 0;
        for (; count < 3 && (p = scanFloat(p, text + std::strlen(text), &value[count])); ++count) {
        }
        EXPECT_EQ(count, converted < 0 ? 0 : converted) << text;
        EXPECT_EQ(std::memcmp(value, expected, sizeof value), 0) << text;
    }
}

TEST(TextScan, ScanIntIsSscanfPercentD) {
    const char* texts[] = {"0",
                           "-0",
                           "+17",
                           " \r42x",
                           "2147483647",
                           "2147483648",
                           "-2147483649",
                           "4294967297",
                           "99999999999999999999",
                           "-99999999999999999999",
                           "-",
                           "+",
                           "x1",
                           "",
                           "007",
                           "1/2",
                           "\\3"};
    for (const char* text : texts) {
        int expected = -7;
        const int converted = std::sscanf(text, "%d", &expected);
        int32_t value = -7;
        const char* stop = scanInt(text, text + std::strlen(text), &value);
        EXPECT_EQ(stop != nullptr, converted == 1) << text;
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(TextScan, ScanWordIsSscanfPercentS) {
    char word[8] = "old";
    const char* text = " \tWood Stone";
    EXPECT_EQ(scanWord(text, text + std::strlen(text), word, sizeof word), text + 6);
    EXPECT_STREQ(word, "Wood");
    const char* blank = "  \n";
    EXPECT_EQ(scanWord(blank, blank + 3, word, sizeof word), nullptr);
    EXPECT_STREQ(word, "Wood");
    const char* longWord = "abcdefghijkl";
    scanWord(longWord, longWord + 12, word, sizeof word);
    EXPECT_STREQ(word, "abcdefg");  // cut to the room there is
}

TEST(TextScan, LinesDropTheCarriageReturnBeforeTheLineFeedOnly) {
    const std::string text = "ab\r\ncd\r\r\nef\rgh";
    const char* end = text.data() + text.size();
    TextLine line;
    ASSERT_TRUE(nextTextLine(&line, text.data(), end));
    EXPECT_EQ(std::string(line.start, line.contentLength), "ab");
    EXPECT_EQ(line.length, 3u);
    ASSERT_TRUE(nextTextLine(&line, line.next, end));
    EXPECT_EQ(std::string(line.start, line.contentLength), "cd\r");
    EXPECT_EQ(line.length, 4u);
    ASSERT_TRUE(nextTextLine(&line, line.next, end));
    EXPECT_EQ(std::string(line.start, line.contentLength), "ef\rgh");
    EXPECT_EQ(line.length, 5u);  // no line feed to count
    EXPECT_FALSE(nextTextLine(&line, line.next, end));
}

TEST(TextScan, PiecesCountTheLineFeedAndStopAtANul) {
    const std::string text = std::string("0123456789\n") + "ab" + '\0' + "cd\n";
    const char* end = text.data() + text.size();
    TextLine line;
    nextTextLine(&line, text.data(), end);
    const char* first;
    const char* last;
    textPiece(line, 0, 10, &first, &last);
    EXPECT_EQ(std::string(first, last), "0123456789");
    textPiece(line, 10, 10, &first, &last);  // the line feed alone
    EXPECT_EQ(first, last);
    nextTextLine(&line, line.next, end);
    textPiece(line, 0, 10, &first, &last);
    EXPECT_EQ(std::string(first, last), "ab");
}

}  // namespace
