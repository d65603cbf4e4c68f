#include "pages/gauge/files/CabExtractor.h"

#include "tests/gauge/CabinetTestFolder.h"
#include "tests/gauge/TestCabinet.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The archive's DOS time of a file as extracted: its last-write time read back in local time.
std::pair<WORD, WORD> DosTimeOf(const fs::path& file) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &data.ftLastWriteTime), 0) << file;
    FILETIME local = {};
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    WORD date = 0;
    WORD time = 0;
    FileTimeToDosDateTime(&local, &date, &time);
    return {date, time};
}

// Read-only, hidden and system as extracted. The archive bit is left out: this platform reports
// it on every file.
DWORD ReadOnlyHiddenSystemOf(const fs::path& file) {
    return GetFileAttributesW(file.c_str()) & 0x07;
}

// Compressible and long enough to span several data blocks.
std::string LongContent() {
    std::string content;
    for (int i = 0; content.size() < 70000; ++i)
        content += "line " + std::to_string(i * 7919 % 1000) + "\n";
    return content;
}

const std::vector<CabinetEntry> kGaugeEntries = {
    {"gauge.xml", "<Gauge/>"},
    {"images\\needle.bmp", LongContent(), 0x4A21, 0x0000,
     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
    {"images\\night\\face.bmp", "face", 0x3021, 0xBF7D,
     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
    {"empty.txt", "", 0x5A4F, 0x7A2E, 0},
};

class CabinetExtractionTest : public ::testing::Test {
protected:
    // Checks that `folder` holds exactly `entries`, with their contents, times and attributes.
    static void ExpectExtracted(const fs::path& folder, const std::vector<CabinetEntry>& entries) {
        std::vector<std::wstring> expectedFiles;
        for (const CabinetEntry& entry : entries) {
            const fs::path file = folder / entry.name;
            expectedFiles.push_back(fs::path(entry.name).wstring());
            EXPECT_EQ(CCabinetTestFolder::ReadAll(file), entry.content) << file;
            EXPECT_EQ(ReadOnlyHiddenSystemOf(file), entry.attributes & 0x07u) << file;
            EXPECT_EQ(DosTimeOf(file), std::make_pair(entry.date, entry.time)) << file;
        }
        std::sort(expectedFiles.begin(), expectedFiles.end());
        EXPECT_EQ(CCabinetTestFolder::FilesBelow(folder), expectedFiles);
    }

    CCabinetTestFolder m_folder{L"cabtest"};
};

TEST_F(CabinetExtractionTest, ExtractsEveryFileWithItsSubfoldersTimesAndAttributes) {
    for (const auto compression : {CabinetCompression::None, CabinetCompression::MsZip}) {
        const std::wstring kind = compression == CabinetCompression::None ? L"none" : L"mszip";
        SCOPED_TRACE(kind);
        const fs::path archive = m_folder.Path() / kind / L"gauge.cab";
        ASSERT_TRUE(WriteCabinet(archive, kGaugeEntries, compression));
        const fs::path output = m_folder.Path() / kind / L"new" / L"out";

        ASSERT_TRUE(ExtractCabinet(archive.c_str(), output.c_str()));
        ExpectExtracted(output, kGaugeEntries);

        // A second extraction overwrites the read-only file the first one left.
        ASSERT_TRUE(ExtractCabinet(archive.c_str(), output.c_str()));
        ExpectExtracted(output, kGaugeEntries);
    }
}

TEST_F(CabinetExtractionTest, GoesThroughWidePathsForCharactersAboveU00FF) {
    const std::vector<CabinetEntry> entries = {
        {"gauge.xml", "<Gauge/>"},
        {"img\\dial.bmp", "dial", 0x5A4F, 0x7A2E, FILE_ATTRIBUTE_READONLY},
    };
    const struct {
        const wchar_t* archiveFolder;
        const wchar_t* outputFolder;
    } cases[] = {
        {L"cabs \u03A9\u03BB", L"out \u65E5\u672C"},
        {L"caf\u00E9 \u0416", L"caf\u00E9\\\u0416\U0001F600\\x"},
        {L"caf\u00E9", L"caf\u00E9 out"}, // Latin-1 only: the narrow file functions
    };
    for (const auto& c : cases) {
        const fs::path archive = m_folder.Path() / c.archiveFolder / L"gauge.cab";
        ASSERT_TRUE(WriteCabinet(archive, entries, CabinetCompression::MsZip));
        const fs::path output = m_folder.Path() / c.outputFolder;
        EXPECT_TRUE(ExtractCabinet(archive.c_str(), output.c_str())) << output;
        ExpectExtracted(output, entries);
    }
}

TEST_F(CabinetExtractionTest, SkipsEntriesThatWouldLeaveTheOutputFolder) {
    const std::vector<std::string> hostileNames = {
        "..\\dravik-escaped.txt",
        "a\\..\\..\\dravik-escaped.txt",
        "a/../../dravik-escaped.txt",
        "C:\\dravik-escaped.txt",
        "C:dravik-escaped.txt",
        "\\dravik-escaped.txt",
        "\\\\server\\share\\dravik-escaped.txt",
        "<AC4ALgBc>dravik-escaped.txt", // "..\" spelt as a Unicode run
    };
    std::vector<CabinetEntry> entries = {{"first.txt", "first"}};
    for (const std::string& name : hostileNames)
        entries.push_back({name, "escaped"});
    entries.push_back({"sub\\last.txt", "last"});
    const fs::path archive = m_folder.Path() / L"hostile.cab";
    WriteBytes(archive, RawCabinet(entries));
    const fs::path output = m_folder.Path() / L"box" / L"out";
    CTraceCapture trace;

    ASSERT_TRUE(ExtractCabinet(archive.c_str(), output.c_str()));

    EXPECT_EQ(CCabinetTestFolder::FilesBelow(m_folder.Path()),
              (std::vector<std::wstring>{L"box\\out\\first.txt", L"box\\out\\sub\\last.txt",
                                         L"hostile.cab"}));
    EXPECT_FALSE(fs::exists(L"C:\\dravik-escaped.txt"));
    std::vector<std::wstring> expectedLines;
    for (const std::string& name : hostileNames)
        expectedLines.push_back(L"  Skipped the archive entry \"" +
                                std::wstring(name.begin(), name.end()) +
                                L"\": its path leads outside the output folder");
    EXPECT_EQ(trace.Lines(), expectedLines);
}

struct ErrorCase {
    const char* what;
    std::wstring archive;
    std::wstring folder;
    int code;
    std::wstring text; // the whole error text, as traced
};

TEST_F(CabinetExtractionTest, ReportsEachErrorByCodeAndTrace) {
    const fs::path root = m_folder.Path();
    const std::vector<CabinetEntry> entries = {{"a.txt", std::string(5000, 'a')}};
    ASSERT_TRUE(WriteCabinet(root / L"good.cab", entries, CabinetCompression::MsZip));
    const std::string good = CCabinetTestFolder::ReadAll(root / L"good.cab");
    WriteBytes(root / L"text.cab", "This is not a cabinet, only text long enough to read.\n");
    WriteBytes(root / L"version.cab", RawCabinet(entries, 2));
    WriteBytes(root / L"truncated.cab", good.substr(0, good.size() / 2));
    fs::create_directories(root / L"blocked" / L"a.txt"); // a folder where the file goes
    WriteBytes(root / L"\u03A9.cab", good);
    WriteBytes(root / L"long.cab", RawCabinet({{std::string(240, 'n') + ".txt", "long"}}));
    const std::wstring out = (root / L"out").wstring();

    const ErrorCase cases[] = {
        {"missing archive", root / L"missing.cab", out, 1,
         L"Cabinet file (or part of splitted CAB) not found"},
        {"not a cabinet", root / L"text.cab", out, 2, L"Not a cabinet"},
        {"newer version", root / L"version.cab", out, 3, L"Unknown cabinet version"},
        {"truncated", root / L"truncated.cab", out, 4, L"Corrupt cabinet"},
        {"target not writable", root / L"good.cab", root / L"blocked", 8,
         L"Failure writing to target file"},
        {"archive without folder", L"good.cab", out, 1001, L"Invalid parameters"},
        {"empty output folder", root / L"good.cab", L"", 1001, L"Invalid parameters"},
        {"Unicode archive name", root / L"\u03A9.cab", out, 1002,
         L"The filename of the CAB file must NEVER contain Unicode characters!"},
        {"output folder too long", root / L"good.cab", std::wstring(255, L'f'), 1005,
         L"The path is too long. (Max 250 Ansii characters or approx 100 Unicode characters)."},
        {"entry path too long", root / L"long.cab", out, 1005,
         L"The path is too long. (Max 250 Ansii characters or approx 100 Unicode characters)."},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.what);
        CTraceCapture trace;
        CCabExtractor extractor;
        EXPECT_FALSE(extractor.Extract(c.archive.c_str(), c.folder.c_str()));
        EXPECT_EQ(extractor.ErrorCode(), c.code);
        EXPECT_EQ(extractor.ErrorText(), c.text);
        EXPECT_EQ(trace.Lines(), std::vector<std::wstring>{L"  " + c.text});
    }
}

TEST_F(CabinetExtractionTest, MissingLibraryOrEntryPointFailsWithoutTrace) {
    const fs::path archive = m_folder.Path() / L"good.cab";
    ASSERT_TRUE(WriteCabinet(archive, {{"a.txt", "a"}}, CabinetCompression::None));
    const fs::path output = m_folder.Path() / L"out";
    for (const char* name : {"NoSuchCabinet.dll", "kernel32.dll"}) {
        SCOPED_TRACE(name);
        const CCabinetLibrary library(name);
        EXPECT_FALSE(library.IsLoaded());
        CTraceCapture trace;
        CCabExtractor extractor(library);
        EXPECT_FALSE(extractor.Extract(archive.c_str(), output.c_str()));
        EXPECT_EQ(extractor.ErrorCode(), 1000);
        EXPECT_EQ(extractor.ErrorText(), L"Could not load Cabinet.dll");
        EXPECT_TRUE(trace.Lines().empty());
        EXPECT_FALSE(fs::exists(output));
    }
}

TEST(CabExtractorMessages, CodesNoExtractionHereProducesHaveTheirTexts) {
    const std::pair<int, const wchar_t*> cases[] = {
        {0, L"Success"},
        {5, L"Memory allocation failed"},
        {6, L"Unknown compression type"},   // reported as a corrupt cabinet by this decompressor
        {7, L"Failure decompressing data"}, // likewise
        {9, L"Cabinets in set have different RESERVE sizes"},
        {10, L"Cabinet returned on fdintNEXT_CABINET is incorrect"},
        {11, L"User aborted"},
        {1003, L"Extracting Unicode paths requires Windows NT, 2000, XP or higher."},
        {1004, L"The specified resource could not be opened."},
        {-1, L"Unknown error"},
        {12, L"Unknown error"},
        {999, L"Unknown error"},
        {1006, L"Unknown error"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_STREQ(CCabExtractor::MessageOfCode(code), text) << code;
    EXPECT_EQ(CCabExtractor().ErrorText(), L"Success");
}

} // namespace
