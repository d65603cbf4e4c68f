#include "pages/gauge/files/AnsiPath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct AnsiCase {
    std::wstring wide;
    std::string ansi;
};

// Expected digits are the standard base64 of each run's big-endian UTF-16 bytes, "=" dropped.
const AnsiCase kAnsiCases[] = {
    {L"C:\\Temp\\gauge.xml", "C:\\Temp\\gauge.xml"},
    {L"C:\\caf\u00E9\\\u00FF.bmp", "C:\\caf\xE9\\\xFF.bmp"},
    {L"\u03A9", "<A6k>"},                  // 16 bits: two fill bits
    {L"\u65E5\u672C", "<ZeVnLA>"},         // 32 bits: four fill bits
    {L"\u0100\u0101\u0102", "<AQABAQEC>"}, // 48 bits: no fill
    {L"\U0001F600", "<2D3eAA>"},           // a surrogate pair is two units
    {L"C:\\Users\\\u03A9\u03BB\\Temp\\", "C:\\Users\\<A6kDuw>\\Temp\\"},
    {L"\u00FF\u0100x\u0416", "\xFF<AQA>x<BBY>"}, // runs end at U+00FF and below
};

TEST(AnsiPathTest, EncodesRunsAboveU00FFAsBase64AndReadsThemBack) {
    for (const AnsiCase& c : kAnsiCases) {
        EXPECT_EQ(AnsiPathFromWide(c.wide), c.ansi);
        EXPECT_EQ(WideFromAnsiPath(c.ansi), c.wide) << c.ansi;
    }
}

TEST(AnsiPathTest, DecodingEndsARunAtAnyByteOutsideTheAlphabet) {
    const struct {
        std::string ansi;
        std::wstring wide;
    } cases[] = {
        {"<A6k>tail", L"\u03A9tail"},    // ">" ends the run and is dropped
        {"<A6k\\tail", L"\u03A9\\tail"}, // any other byte ends it and is kept
        {"<A6k<BBY>", L"\u03A9\u0416"},  // a "<" ends one run and opens the next
        {"<A6", L""},                    // 12 bits: no complete character
        {"<A6kD>", L"\u03A9"},           // leftover bits are dropped
        {"a<", L"a"},                    // an empty run at the end
        {"<AC4ALgBc>x", L"..\\x"},       // a run may spell out any character
    };
    for (const auto& c : cases)
        EXPECT_EQ(WideFromAnsiPath(c.ansi), c.wide) << c.ansi;
}

} // namespace
