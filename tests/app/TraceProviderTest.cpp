#include "app/trace/Trace.h"
#include "app/trace/TraceProvider.h"
#include "tests/support/TraceCapture.h"

#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

std::wstring ExpectedPrefix() {
    wchar_t prefix[64] = {};
    _snwprintf(prefix, 63, L"[test_app.exe(0x%lx)(0x%lx)]", GetCurrentProcessId(),
               GetCurrentThreadId());
    return prefix;
}

void WriteOneOfEach() {
    TraceResult(E_NOTIMPL, L"Label");
    TraceBool(L"Flag", true);
    DebugTrace(L"Debug %d\n", 7);
}

} // namespace

TEST(TraceProvider, LinesCarryModuleProcessAndThreadPrefixAtLevel3Keyword2) {
    CTraceCapture capture;
    WriteOneOfEach();

    std::vector<std::wstring> raw = capture.RawLines();
    ASSERT_EQ(raw.size(), 3u);
    EXPECT_EQ(raw[0], ExpectedPrefix() + L"  Label returned 80004001\n");
    EXPECT_EQ(capture.Lines()[1], L"  Flag returned TRUE\n");
    EXPECT_EQ(capture.Lines()[2], L"  Debug 7\n");
    for (const auto& [level, keyword] : capture.LevelsAndKeywords()) {
        EXPECT_EQ(level, 3);
        EXPECT_EQ(keyword, 0x2u);
    }
}

TEST(TraceProvider, ResultAndBoolFormats) {
    CTraceCapture capture;
    TraceResult(S_OK, L"A");
    TraceResult(static_cast<HRESULT>(0x8007000E), L"B");
    TraceBool(L"C", false);
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{L"  A returned 00000000\n", L"  B returned 8007000E\n",
                                         L"  C returned FALSE\n"}));
}

struct CollectorCase {
    UCHAR level;
    ULONGLONG keyword;
    bool written;
};

class TraceProviderCollector : public testing::TestWithParam<CollectorCase> {};

TEST_P(TraceProviderCollector, WritesOnlyWhenLevelAndKeywordMatch) {
    CTraceCapture capture(GetParam().level, GetParam().keyword);
    WriteOneOfEach();
    EXPECT_EQ(capture.RawLines().size(), GetParam().written ? 3u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, TraceProviderCollector,
                         testing::Values(CollectorCase{2, 0x2, false}, CollectorCase{3, 0x2, true},
                                         CollectorCase{4, 0x2, true}, CollectorCase{5, 0x2, true},
                                         CollectorCase{5, 0x6, true}, CollectorCase{5, 0x4, false},
                                         CollectorCase{5, 0, false},
                                         CollectorCase{5, ~0ULL, false}));

TEST(TraceProvider, NothingIsWrittenUntilEnabledOrAfterDisable) {
    CTraceCapture capture{CTraceCapture::DisabledTag{}};
    WriteOneOfEach();
    EXPECT_TRUE(capture.RawLines().empty());

    capture.Enable(5, 0x2);
    TraceBool(L"On", true);
    capture.Disable();
    WriteOneOfEach();
    EXPECT_EQ(capture.Lines(), std::vector<std::wstring>{L"  On returned TRUE\n"});
}

TEST(TraceProvider, NothingIsWrittenAfterTheCaptureUnregisters) {
    { CTraceCapture capture; }
    CTraceCapture later{CTraceCapture::DisabledTag{}};
    GetTraceProvider().Unregister();
    later.Enable(5, 0x2);
    WriteOneOfEach();
    EXPECT_TRUE(later.RawLines().empty());
}

TEST(TraceProvider, PercentSignsInTextAreKept) {
    CTraceCapture capture;
    DebugTrace(L"%ws", L"100% %d %s");
    TraceResult(S_OK, L"50%");
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{L"  100% %d %s", L"  50% returned 00000000\n"}));
}

TEST(TraceProvider, LongTextIsCutToTheLineBuffer) {
    CTraceCapture capture;
    std::wstring longText(3000, L'x');
    DebugTrace(L"%ws", longText.c_str());
    TraceResult(S_OK, longText.c_str());

    for (const std::wstring& raw : capture.RawLines()) {
        EXPECT_EQ(raw.size(), CTraceProvider::kLineChars - 1);
        EXPECT_EQ(raw.substr(0, ExpectedPrefix().size()), ExpectedPrefix());
    }
    std::wstring text = capture.Lines()[0];
    EXPECT_EQ(text, L"  " + std::wstring(text.size() - 2, L'x'));
}

TEST(TraceProvider, StripPrefixLeavesUnprefixedTextAlone) {
    EXPECT_EQ(CTraceCapture::StripPrefix(L"[a.exe(0x1)(0x2)]  x"), L"  x");
    EXPECT_EQ(CTraceCapture::StripPrefix(L"  plain"), L"  plain");
}

namespace {
DWORD WINAPI TraceFromThread(void*) {
    DebugTrace(L"from a thread\n");
    return 0;
}
} // namespace

TEST(TraceProvider, LinesFromOtherThreadsCarryTheirThreadId) {
    CTraceCapture capture;
    DWORD threadId = 0;
    UniqueHandle thread(CreateThread(nullptr, 0, &TraceFromThread, nullptr, 0, &threadId));
    ASSERT_TRUE(capture.WaitForLine(L"  from a thread\n"));
    ASSERT_EQ(WaitForSingleObject(thread.get(), 5000), WAIT_OBJECT_0);

    wchar_t expected[64] = {};
    _snwprintf(expected, 63, L"(0x%lx)]  from a thread\n", threadId);
    EXPECT_NE(capture.RawLines()[0].find(expected), std::wstring::npos);
    EXPECT_FALSE(capture.WaitForLine(L"never written", 0));
}
