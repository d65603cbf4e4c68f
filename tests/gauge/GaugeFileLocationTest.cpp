#include "pages/gauge/files/GaugeFileLocation.h"
#include "pages/gauge/files/TempFolder.h"

#include "tests/gauge/CabinetTestFolder.h"
#include "tests/gauge/TestCabinet.h"
#include "tests/support/TraceCapture.h"

#include "app/xml/XmlElement.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kGamesKey[] = L"SOFTWARE\\Microsoft\\Microsoft Games";
constexpr wchar_t kSimulatorKey[] = L"SOFTWARE\\Microsoft\\Microsoft Games\\flight simulator\\10.0";

// The simulator's "SetupPath" for one test; the keys this object created go again at its end.
class CSetupPathValue {
public:
    explicit CSetupPathValue(const std::optional<std::wstring>& value) {
        HKEY games = nullptr;
        m_createdGamesKey =
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, kGamesKey, 0, KEY_READ, &games) != ERROR_SUCCESS;
        if (games)
            RegCloseKey(games);
        if (!value)
            return;
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSimulatorKey, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, L"SetupPath", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value->c_str()),
                                 static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    ~CSetupPathValue() {
        if (m_createdGamesKey)
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, kGamesKey);
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSimulatorKey, L"SetupPath");
    }
    CSetupPathValue(const CSetupPathValue&) = delete;
    CSetupPathValue& operator=(const CSetupPathValue&) = delete;

private:
    bool m_createdGamesKey = false;
};

// A gauge page's element with the given attributes (a null value leaves the attribute out).
std::unique_ptr<CXmlElement>
GaugeElement(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> attributes) {
    auto element = std::make_unique<CXmlElement>();
    element->name = L"Gauge";
    for (const auto& [name, value] : attributes)
        if (value)
            element->attributes[name] = value;
    return element;
}

std::wstring TempPath() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return temp;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path().wstring();
}

// "<temp>{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case digits.
bool IsTempFolderName(const std::wstring& name, const std::wstring& temp) {
    static const std::wregex guid(
        L"\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
    return name.rfind(temp, 0) == 0 && std::regex_match(name.substr(temp.size()), guid);
}

class GaugeFileLocationTest : public ::testing::Test {
protected:
    CCabinetTestFolder m_folder{L"gaugefiletest"};
};

TEST_F(GaugeFileLocationTest, RootFolderPlacesTheGaugeFile) {
    const std::wstring program = ProgramFolder();
    const struct {
        const wchar_t* rootFolder;
        const wchar_t* file;
        std::optional<std::wstring> setupPath;
        std::wstring expected;
        const wchar_t* trace;
    } cases[] = {
        {L"Fsx", L"Gauges\\Airspeed.xml", L"C:\\FSX\\", L"C:\\FSX\\Gauges\\Airspeed.xml",
         L"  RootFolder=Fsx"},
        {L"fSX", L"a.xml", L"D:\\Games\\FSX", L"D:\\Games\\FSX\\a.xml", L"  RootFolder=Fsx"},
        {L"Fsx", L"a.xml", std::nullopt, L"\\a.xml", L"  RootFolder=Fsx"},
        {nullptr, L"a.xml", L"C:\\FSX\\", program + L"\\a.xml", L"  RootFolder=Relative"},
        {L"Relative", L"g\\a.xml", std::nullopt, program + L"\\g\\a.xml", L"  RootFolder=Relative"},
        {L"", L"a.xml", std::nullopt, program + L"\\a.xml", L"  RootFolder=Relative"},
        {L"absolute", L"D:\\g\\a.xml", L"C:\\FSX\\", L"D:\\g\\a.xml", L"  RootFolder=Absolute"},
        {L"ABSOLUTE", nullptr, std::nullopt, L"", L"  RootFolder=Absolute"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.rootFolder ? c.rootFolder : L"(absent)") << " "
                                        << (c.file ? c.file : L"(absent)"));
        const CSetupPathValue setupPath(c.setupPath);
        const auto element = GaugeElement({{L"RootFolder", c.rootFolder}, {L"File", c.file}});
        const PageConfiguration configuration{element.get()};
        CTraceCapture trace;
        std::wstring gaugeFile = L"untouched";
        std::wstring tempFolder;

        EXPECT_TRUE(FindGaugeFile(&configuration, gaugeFile, tempFolder));
        EXPECT_EQ(gaugeFile, c.expected);
        EXPECT_EQ(tempFolder, L"");
        EXPECT_EQ(trace.Lines(), std::vector<std::wstring>{c.trace});
    }
}

TEST_F(GaugeFileLocationTest, NoElementFindsNothing) {
    const PageConfiguration withoutElement{nullptr};
    CTraceCapture trace;
    std::wstring gaugeFile;
    std::wstring tempFolder;
    EXPECT_FALSE(FindGaugeFile(nullptr, gaugeFile, tempFolder));
    EXPECT_FALSE(FindGaugeFile(&withoutElement, gaugeFile, tempFolder));
    EXPECT_EQ(gaugeFile + tempFolder, L"");
    EXPECT_TRUE(trace.Lines().empty());
}

TEST_F(GaugeFileLocationTest, SetupPathLosesOneClosingBackslash) {
    const std::wstring longest = L"C:\\" + std::wstring(256, L'x') + L"\\"; // 260 characters
    const struct {
        std::optional<std::wstring> value;
        std::wstring expected;
    } cases[] = {
        {L"C:\\FSX\\", L"C:\\FSX"},
        {L"C:\\FSX", L"C:\\FSX"},
        {L"C:\\FSX\\\\", L"C:\\FSX\\"},
        {L"\\", L""},
        {L"", L""},
        {longest, longest.substr(0, 259)},
        {longest + L"y", L""}, // does not fit the 261-character buffer with its zero
        {std::nullopt, L""},
    };
    for (const auto& c : cases) {
        const CSetupPathValue setupPath(c.value);
        EXPECT_EQ(GetFsxSetupPath(), c.expected) << c.value.value_or(L"(absent)");
    }
}

TEST_F(GaugeFileLocationTest, ArchiveIsExtractedIntoANewTemporaryFolderThatCanBeDeleted) {
    const std::vector<CabinetEntry> entries = {
        {"gauge.xml", "<Gauge/>"},
        {"sub\\gauge.xml", "<Gauge Name='sub'/>"},
        {"img\\face.bmp", "face", 0x5A4F, 0x7A2E, FILE_ATTRIBUTE_READONLY},
    };
    const fs::path archive = m_folder.Path() / L"cabs" / L"gauge.cab";
    ASSERT_TRUE(WriteCabinet(archive, entries, CabinetCompression::MsZip));
    const std::wstring setupPath = m_folder.Path().wstring() + L"\\";
    const struct {
        const wchar_t* rootFolder;
        std::wstring cabFile;
        const wchar_t* file;
        std::string content;
    } cases[] = {
        {L"Absolute", archive.wstring(), L"gauge.xml", "<Gauge/>"},
        {L"Fsx", L"cabs\\gauge.cab", L"sub\\gauge.xml", "<Gauge Name='sub'/>"},
    };
    const CSetupPathValue fsx(setupPath);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rootFolder);
        const auto element = GaugeElement(
            {{L"RootFolder", c.rootFolder}, {L"File", c.file}, {L"CabFile", c.cabFile.c_str()}});
        const PageConfiguration configuration{element.get()};
        std::wstring gaugeFile;
        std::wstring tempFolder;

        ASSERT_TRUE(FindGaugeFile(&configuration, gaugeFile, tempFolder));
        EXPECT_TRUE(IsTempFolderName(tempFolder, TempPath())) << tempFolder;
        EXPECT_EQ(gaugeFile, tempFolder + L"\\" + c.file);
        EXPECT_EQ(CCabinetTestFolder::ReadAll(gaugeFile), c.content);

        // The read-only image must not keep the folder alive.
        EXPECT_TRUE(DeleteFolder(tempFolder));
        EXPECT_FALSE(fs::exists(tempFolder));
        CCabinetTestFolder::RemoveTree(tempFolder);
    }
}

TEST_F(GaugeFileLocationTest, FailedExtractionStillNamesTheTemporaryFolder) {
    const std::wstring missing = (m_folder.Path() / L"missing.cab").wstring();
    const auto element = GaugeElement(
        {{L"RootFolder", L"Absolute"}, {L"File", L"a.xml"}, {L"CabFile", missing.c_str()}});
    const PageConfiguration configuration{element.get()};
    CTraceCapture trace;
    std::wstring gaugeFile;
    std::wstring tempFolder;

    EXPECT_FALSE(FindGaugeFile(&configuration, gaugeFile, tempFolder));
    EXPECT_EQ(gaugeFile, L"");
    EXPECT_TRUE(IsTempFolderName(tempFolder, TempPath())) << tempFolder;
    EXPECT_EQ(trace.Lines(),
              (std::vector<std::wstring>{L"  RootFolder=Absolute",
                                         L"  Cabinet file (or part of splitted CAB) not found"}));
    EXPECT_FALSE(DeleteFolder(tempFolder)); // nothing was extracted, so nothing was created
}

TEST_F(GaugeFileLocationTest, TempFolderNameIsANewGuidBelowTheTemporaryFolder) {
    const std::wstring temp = (m_folder.Path() / L"tmp a" / L"b").wstring() + L"\\";
    wchar_t savedTmp[MAX_PATH + 1] = {};
    const DWORD savedLength = GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH + 1);
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", temp.c_str()));

    std::wstring first;
    std::wstring second;
    const bool created = CreateTempFolderName(first) && CreateTempFolderName(second);
    SetEnvironmentVariableW(L"TMP", savedLength ? savedTmp : nullptr);

    ASSERT_TRUE(created);
    EXPECT_TRUE(IsTempFolderName(first, temp)) << first;
    EXPECT_TRUE(IsTempFolderName(second, temp)) << second;
    EXPECT_NE(first, second);
    EXPECT_TRUE(fs::is_directory(temp)); // the folders on the way are made
    EXPECT_FALSE(fs::exists(first));     // the last one is left to the extraction
}

TEST_F(GaugeFileLocationTest, DeleteFolderRemovesEverythingOrReportsWhatStays) {
    const fs::path victim = m_folder.Path() / L"victim";
    const struct {
        const wchar_t* name;
        DWORD attributes;
    } files[] = {
        {L"a.txt", FILE_ATTRIBUTE_READONLY},
        {L"sub\\b.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {L"sub\\deeper\\c.txt", FILE_ATTRIBUTE_NORMAL},
    };
    for (const auto& file : files) {
        WriteBytes(victim / file.name, "x");
        SetFileAttributesW((victim / file.name).c_str(), file.attributes);
    }
    fs::create_directories(victim / L"empty");
    EXPECT_TRUE(DeleteFolder(victim.wstring()));
    EXPECT_FALSE(fs::exists(victim));
    EXPECT_FALSE(DeleteFolder(victim.wstring()));

    const fs::path held = victim / L"sub" / L"held.txt";
    WriteBytes(held, "x");
    const HANDLE open =
        CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFolder(victim.wstring()));
    EXPECT_TRUE(fs::exists(held));
    CloseHandle(open);
    EXPECT_TRUE(DeleteFolder(victim.wstring()));
    EXPECT_FALSE(fs::exists(victim));
}

} // namespace
