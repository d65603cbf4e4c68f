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

} // namespace
