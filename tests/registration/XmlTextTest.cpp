#include "registration/XmlText.h"

#include <gtest/gtest.h>

namespace {

TEST(XmlTextTest, EncodesCharactersWithoutAByteAsReferences) {
    const struct {
        const wchar_t* text;
        const char* bytes;
    } cases[] = {
        {L"C:\\Games\\Dravik.exe", "C:\\Games\\Dravik.exe"},
        {L"C:\\Caf\u00E9 \u20AC\u0178", "C:\\Caf\xE9 \x80\x9F"},
        {L"C:\\\u0414\u0440\\x.exe", "C:\\&#1044;&#1088;\\x.exe"},
        {L"C:\\\U0001F600.exe", "C:\\&#128512;.exe"},
        {L"C:\\Tom & Jerry", "C:\\Tom &amp; Jerry"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeXmlText(c.text, TextEncoding::Windows1252), c.bytes);
        EXPECT_EQ(DecodeXmlText(c.bytes, TextEncoding::Windows1252), c.text);
    }
}

TEST(XmlTextTest, DecodesReferencesAndLeavesMalformedOnesAsWritten) {
    const struct {
        const char* bytes;
        const wchar_t* text;
    } cases[] = {
        {"&#x414;&#68;&lt;&gt;&quot;&apos;&amp;", L"\u0414D<>\"'&"},
        {"&#x1F600;", L"\U0001F600"},
        {"a & b", L"a & b"},
        {"&#; &#x; &bogus; &#12a; &#xD800; &#0; &#-5; &#x110000;",
         L"&#; &#x; &bogus; &#12a; &#xD800; &#0; &#-5; &#x110000;"},
        {"&amp", L"&amp"},
        {"\x81\x8D\x8F\x90\x9D", L"\u0081\u008D\u008F\u0090\u009D"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeXmlText(c.bytes, TextEncoding::Windows1252), c.text) << c.bytes;
}

TEST(XmlTextTest, WritesTheBytesOfEachEncoding) {
    const std::wstring text = L"C:\\Dr\u00E1vik \u0414 & \U0001F600";
    const struct {
        TextEncoding encoding;
        const char* bytes;
    } cases[] = {
        {TextEncoding::Utf8, "C:\\Dr\xC3\xA1vik \xD0\x94 &amp; \xF0\x9F\x98\x80"},
        {TextEncoding::Ascii, "C:\\Dr&#225;vik &#1044; &amp; &#128512;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeXmlText(text, c.encoding), c.bytes);
        EXPECT_EQ(DecodeXmlText(c.bytes, c.encoding), text);
    }
}

TEST(XmlTextTest, ReadsBytesThatAreNotUtf8AsWindows1252) {
    const struct {
        const char* bytes;
        const wchar_t* text;
    } cases[] = {
        {"Dr\xE1vik", L"Dr\u00E1vik"},                          // a Windows-1252 byte
        {"\xC3", L"\u00C3"},                                    // cut short
        {"\xC0\xAF", L"\u00C0\u00AF"},                          // overlong
        {"\xED\xA0\x80", L"\u00ED\u00A0\u20AC"},                // a surrogate
        {"\xC3\xA1 \x80&#x414;", L"\u00C3\u00A1 \u20AC\u0414"}, // one bad byte spoils the whole
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeXmlText(c.bytes, TextEncoding::Utf8), c.text) << c.bytes;
}

} // namespace
