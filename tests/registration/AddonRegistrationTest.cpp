#include "app/xml/XmlElement.h"
#include "registration/AddonRegistrar.h"
#include "registration/AddonRegistration.h"
#include "registration/TextFile.h"

#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr char kIni[] = "[SimConnect]\n"
                        "level=off\n"
                        "console=0\n"
                        ";OutputDebugString=0\n"
                        ";file=c:\\SimConnect%03u.log\n"
                        ";file_next_index=1\n"
                        ";RedirectStdOutToConsole=0\n";

constexpr char kSimConnectXml[] = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
                                  "<SimBase.Document Type=\"SimConnect\" version=\"1,0\">\n"
                                  "\t<Descr>SimConnect</Descr>\n"
                                  "\t<Filename>SimConnect.xml</Filename>\n"
                                  "\t<Disabled>False</Disabled>\n"
                                  "\t<SimConnect.Comm>\n"
                                  "\t\t<Disabled>False</Disabled>\n"
                                  "\t\t<Protocol>Auto</Protocol>\n"
                                  "\t\t<Scope>local</Scope>\n"
                                  "\t\t<Address></Address>\n"
                                  "\t\t<MaxClients>64</MaxClients>\n"
                                  "\t\t<Port></Port>\n"
                                  "\t\t<MaxRecvSize>4096</MaxRecvSize>\n"
                                  "\t\t<DisableNagle>False</DisableNagle>\n"
                                  "\t</SimConnect.Comm>\n"
                                  "</SimBase.Document>\n";

constexpr char kHeader[] = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
                           "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
                           "\t<Descr>Launch</Descr>\n"
                           "\t<Filename>exe.xml</Filename>\n"
                           "\t<Disabled>False</Disabled>\n"
                           "\t<Launch.ManualLoad>False</Launch.ManualLoad>\n";

constexpr char kEnd[] = "</SimBase.Document>\n";

// One block as the program writes it.
std::string Block(const std::string& name, const std::string& path) {
    return "\t\t<Launch.Addon>\n"
           "\t\t\t<Name>" +
           name +
           "</Name>\n"
           "\t\t\t<Disabled>False</Disabled>\n"
           "\t\t\t<Path>" +
           path +
           "</Path>\n"
           "\t\t\t<CommandLine>-run</CommandLine>\n"
           "\t\t</Launch.Addon>\n\n";
}

std::string Crlf(const std::string& text) {
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// ASCII text as UTF-16 little-endian bytes with a byte-order mark.
std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << Narrow(path);
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// Runs against the prefix's real application-data and documents folders: saves whatever the
// simulator's files held before and puts it back afterwards.
class AddonRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t appData[MAX_PATH] = {};
        wchar_t documents[MAX_PATH] = {};
        wchar_t program[MAX_PATH] = {};
        ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE));
        ASSERT_TRUE(SUCCEEDED(
            SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)));
        ASSERT_NE(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
        m_vendorFolder = std::wstring(appData) + L"\\Dovetail Games";
        m_simulatorFolder = m_vendorFolder + L"\\FSW";
        m_documentsFolder = std::wstring(documents) + L"\\Flight Sim World";
        m_programPath = program;
        m_exeXml = m_simulatorFolder + L"\\exe.xml";
        m_simConnectXml = m_simulatorFolder + L"\\SimConnect.xml";
        m_ini = m_documentsFolder + L"\\SimConnect.ini";
        for (const std::wstring& folder : {m_vendorFolder, m_simulatorFolder, m_documentsFolder})
            m_folderExisted[folder] = GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
        for (const std::wstring& file : {m_exeXml, m_simConnectXml, m_ini}) {
            m_saved[file] = ReadBytes(file);
            DeleteFileW(file.c_str());
        }
        SetFolders(true, true);
    }

    void TearDown() override {
        RemoveDirectoryW(TemporaryPathFor(m_exeXml).c_str());
        for (const auto& [file, bytes] : m_saved) {
            DeleteFileW(file.c_str());
            if (bytes)
                WriteBytes(file, *bytes);
        }
        for (const std::wstring& folder : {m_simulatorFolder, m_vendorFolder, m_documentsFolder})
            if (!m_folderExisted[folder])
                RemoveDirectoryW(folder.c_str());
            else
                CreateDirectoryW(folder.c_str(), nullptr);
    }

    // Creates or removes the simulator and documents folders; a folder that holds files of its
    // own cannot be removed, and the test is skipped.
    void SetFolders(bool simulator, bool documents) {
        if (simulator) {
            CreateDirectoryW(m_vendorFolder.c_str(), nullptr);
            CreateDirectoryW(m_simulatorFolder.c_str(), nullptr);
        } else if (!RemoveDirectoryW(m_simulatorFolder.c_str()) &&
                   GetFileAttributesW(m_simulatorFolder.c_str()) != INVALID_FILE_ATTRIBUTES) {
            GTEST_SKIP() << "the simulator folder holds other files";
        }
        if (documents)
            CreateDirectoryW(m_documentsFolder.c_str(), nullptr);
        else if (!RemoveDirectoryW(m_documentsFolder.c_str()) &&
                 GetFileAttributesW(m_documentsFolder.c_str()) != INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "the documents folder holds other files";
    }

    std::string OwnPath() const { return Narrow(m_programPath); }

    std::string Fixture(const std::string& text) const {
        std::wstring upper = m_programPath;
        std::transform(upper.begin(), upper.end(), upper.begin(), towupper);
        return ReplaceAll(ReplaceAll(text, "$UPPER", Narrow(upper)), "$PATH", OwnPath());
    }

    std::wstring m_vendorFolder, m_simulatorFolder, m_documentsFolder, m_programPath;
    std::wstring m_exeXml, m_simConnectXml, m_ini;
    std::map<std::wstring, std::optional<std::string>> m_saved;
    std::map<std::wstring, bool> m_folderExisted;
};

TEST_F(AddonRegistrationTest, FirstInstallWritesTheFilesWhoseFoldersExist) {
    const struct {
        bool simulatorFolder;
        bool documentsFolder;
    } cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "simulator folder " << c.simulatorFolder
                                          << ", documents folder " << c.documentsFolder);
        for (const std::wstring& file : {m_exeXml, m_simConnectXml, m_ini})
            DeleteFileW(file.c_str());
        SetFolders(c.simulatorFolder, c.documentsFolder);
        if (IsSkipped())
            return;

        EXPECT_EQ(InstallAddon(), c.simulatorFolder);

        const std::optional<std::string> ini = ReadBytes(m_ini);
        const std::optional<std::string> simConnect = ReadBytes(m_simConnectXml);
        const std::optional<std::string> launch = ReadBytes(m_exeXml);
        if (c.documentsFolder)
            EXPECT_EQ(ini, Crlf(kIni));
        else
            EXPECT_EQ(ini, std::nullopt);
        if (c.simulatorFolder) {
            EXPECT_EQ(simConnect, Crlf(kSimConnectXml));
            EXPECT_EQ(launch,
                      Crlf(kHeader + ("\n" + Block("Harmel Plugin for FSW", OwnPath())) + kEnd));
        } else {
            EXPECT_EQ(simConnect, std::nullopt);
            EXPECT_EQ(launch, std::nullopt);
            EXPECT_EQ(GetFileAttributesW(m_simulatorFolder.c_str()), INVALID_FILE_ATTRIBUTES);
        }
        EXPECT_EQ(GetFileAttributesW(TemporaryPathFor(m_exeXml).c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(AddonRegistrationTest, InstallLeavesExistingSimConnectFilesAlone) {
    WriteBytes(m_ini, "[SimConnect]\r\nlevel=verbose\r\n");
    WriteBytes(m_simConnectXml, "<SimBase.Document/>");
    EXPECT_TRUE(InstallAddon());
    EXPECT_EQ(ReadBytes(m_ini), "[SimConnect]\r\nlevel=verbose\r\n");
    EXPECT_EQ(ReadBytes(m_simConnectXml), "<SimBase.Document/>");
}

// $PATH stands for the program's path, $UPPER for it in capitals.
struct LaunchListCase {
    const char* name;
    const char* before;
    const char* after;
    bool lineFeedsOnly; // `before` is written without carriage returns
};

const LaunchListCase kInstallCases[] = {
    {"other add-ons keep their unknown lines in place",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "  <Descr>Launch</Descr>\n"
     "  <Filename>exe.xml</Filename>\n"
     "  <Disabled>False</Disabled>\n"
     "  <Launch.ManualLoad>False</Launch.ManualLoad>\n"
     "  <!-- edited by hand -->\n"
     "\n"
     "  <Launch.Addon>\n"
     "    <Name>Other One</Name>\n"
     "    <Disabled>False</Disabled>\n"
     "    <ManualLoad>True</ManualLoad>\n"
     "    <Path>C:\\Tools\\One.exe</Path>\n"
     "    <NewConsole>False</NewConsole>\n"
     "\n"
     "  </Launch.Addon>\n"
     "  <Launch.Addon>\n"
     "    <Name>Other Two</Name>\n"
     "    <Path>D:\\Caf\xE9\\Two.exe</Path>\n"
     "    <CommandLine>-x</CommandLine>\n"
     "  </Launch.Addon>\n"
     "  <!-- last -->\n"
     "</SimBase.Document>\n",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "  <Descr>Launch</Descr>\n"
     "  <Filename>exe.xml</Filename>\n"
     "  <Disabled>False</Disabled>\n"
     "  <Launch.ManualLoad>False</Launch.ManualLoad>\n"
     "  <!-- edited by hand -->\n"
     "  <!-- last -->\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "    <Name>Other One</Name>\n"
     "    <Disabled>False</Disabled>\n"
     "    <Path>C:\\Tools\\One.exe</Path>\n"
     "    <ManualLoad>True</ManualLoad>\n"
     "    <NewConsole>False</NewConsole>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "    <Name>Other Two</Name>\n"
     "    <Path>D:\\Caf\xE9\\Two.exe</Path>\n"
     "    <CommandLine>-x</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     true},
    {"a disabled own entry in other letter case is enabled in place",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Descr>Launch\n"
     "\tlist</Descr>\n"
     "\t<Filename>exe.xml</Filename>\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSW</Name>\n"
     "\t\t\t<Disabled>True</Disabled>\n"
     "\t\t\t<Path>$UPPER</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "</SimBase.Document>\n",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Descr>Launch\n"
     "\tlist</Descr>\n"
     "\t<Filename>exe.xml</Filename>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSW</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$UPPER</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     false},
    {"replaced launchers are removed in any letter case, only after a backslash",
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Path>C:\\Zan\\ZanPanels.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Path>C:\\Z\\zephylplugin.EXE</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Path>ZanPanels.exe</Path>\n"
     "\t\t</Launch.Addon>\n",
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Path>ZanPanels.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     false},
    {"a body written on one line is cut at the blocks",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><SimBase.Document Type=\"Launch\" "
     "version=\"1,0\"><Descr>Launch</Descr><Launch.Addon><Name>One</Name><Path>C:\\One.exe"
     "</Path></Launch.Addon>  <Launch.Addon><Path>C:\\Zan\\ZanPanels.exe</Path>"
     "</Launch.Addon></SimBase.Document>",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "<Descr>Launch</Descr>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "<Name>One</Name><Path>C:\\One.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     true},
    {"a path split over two lines is not the program's entry",
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Path>$PATH\n"
     "</Path>\n"
     "\t\t</Launch.Addon>\n",
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Path>$PATH\n"
     "</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     false},
    {"entries inside comments stay comments",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Disabled>False</Disabled>\n"
     "\t<!-- kept for later\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Disabled>True</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\t-->\n"
     "\t<Launch.Addon>\n"
     "\t\t<Name>Other</Name>\n"
     "\t\t<!-- <Path>C:\\Zan\\ZanPanels.exe</Path>\n"
     "\t\t</Launch.Addon> -->\n"
     "\t\t<Path>C:\\Other.exe</Path>\n"
     "\t</Launch.Addon>\n"
     "\t<!-- <Launch.Addon><Path>C:\\Zan\\ZanPanels.exe</Path></Launch.Addon> -->\n"
     "</SimBase.Document>\n",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Disabled>False</Disabled>\n"
     "\t<!-- kept for later\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Disabled>True</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\t-->\n"
     "\t<!-- <Launch.Addon><Path>C:\\Zan\\ZanPanels.exe</Path></Launch.Addon> -->\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t<Name>Other</Name>\n"
     "\t\t<Path>C:\\Other.exe</Path>\n"
     "\t\t<!-- <Path>C:\\Zan\\ZanPanels.exe</Path>\n"
     "\t\t</Launch.Addon> -->\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     false},
    {"entry tags with attributes and blanks open and close entries",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Disabled>False</Disabled>\n"
     "\t<Launch.Addon id=\"x\">\n"
     "\t\t<Name>With Id</Name>\n"
     "\t\t<Disabled>True</Disabled>\n"
     "\t\t<Path>C:\\Id.exe</Path>\n"
     "\t</Launch.Addon>\n"
     "\t<Launch.Addon >\n"
     "\t\t<Disabled>True</Disabled>\n"
     "\t\t<Path>C:\\Blank.exe</Path>\n"
     "\t</Launch.Addon >\n"
     "\t<Launch.Addon\n"
     "\t\tid='y'><Path>C:\\Zan\\ZanPanels.exe</Path></Launch.Addon>\n"
     "</SimBase.Document >\n",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Disabled>False</Disabled>\n"
     "\n"
     "\t\t<Launch.Addon id=\"x\">\n"
     "\t\t<Name>With Id</Name>\n"
     "\t\t<Disabled>True</Disabled>\n"
     "\t\t<Path>C:\\Id.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon >\n"
     "\t\t<Disabled>True</Disabled>\n"
     "\t\t<Path>C:\\Blank.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     false},
    {"end tags with blanks close their fields",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Launch.Addon>\n"
     "\t\t<Name>A</Name >\n"
     "\t\t<Path>C:\\A.exe</Path >\n"
     "\t</Launch.Addon>\n"
     "\t<Launch.Addon>\n"
     "\t\t<Name>Old launcher</Name>\n"
     "\t\t<Path>C:\\Zan\\ZanPanels.exe</Path>\n"
     "\t</Launch.Addon>\n"
     "\t<Launch.Addon>\n"
     "\t\t<Name>B</Name\n"
     "\t\t>\n"
     "\t\t<Path>C:\\B.exe</Path>\n"
     "\t</Launch.Addon>\n"
     "</SimBase.Document>\n",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t<Name>A</Name >\n"
     "\t\t<Path>C:\\A.exe</Path >\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t<Name>B</Name\n"
     "\t\t>\n"
     "\t\t<Path>C:\\B.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     false},
    {"an entry without its end tag and an entry with two paths keep their lines",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Launch.Addon>\n"
     "\t\t<Name>Unclosed</Name>\n"
     "\t\t<Path>C:\\Unclosed.exe</Path>\n"
     "\t<Launch.Addon>\n"
     "\t\t<Name>Next</Name>\n"
     "\t\t<Path>C:\\Next.exe</Path>\n"
     "\t</Launch.Addon>\n"
     "\t<Launch.Addon>\n"
     "\t\t<Name>Two paths</Name>\n"
     "\t\t<Path>C:\\First.exe</Path>\n"
     "\t\t<Path>C:\\Second.exe</Path>\n"
     "\t</Launch.Addon>\n"
     "</SimBase.Document>\n",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t<Name>Unclosed</Name>\n"
     "\t\t<Path>C:\\Unclosed.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t<Name>Next</Name>\n"
     "\t\t<Path>C:\\Next.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t<Name>Two paths</Name>\n"
     "\t\t<Path>C:\\First.exe</Path>\n"
     "\t\t<Path>C:\\Second.exe</Path>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     false},
    {"a field's line that leaves an element open keeps the lines up to its end",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\t<Launch.Addon>\n"
     "\t\t<Path>C:\\One.exe</Path><Note>first\n"
     "\t\tline</Note>\n"
     "\t\t<CommandLine>-a</CommandLine>\n"
     "\t</Launch.Addon>\n"
     "</SimBase.Document>\n",
     "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
     "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t<Path>C:\\One.exe</Path><Note>first\n"
     "\t\tline</Note>\n"
     "\t\t<CommandLine>-a</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "\t\t<Launch.Addon>\n"
     "\t\t\t<Name>Harmel Plugin for FSX</Name>\n"
     "\t\t\t<Disabled>False</Disabled>\n"
     "\t\t\t<Path>$PATH</Path>\n"
     "\t\t\t<CommandLine>-run</CommandLine>\n"
     "\t\t</Launch.Addon>\n"
     "\n"
     "</SimBase.Document>\n",
     false},
};

TEST_F(AddonRegistrationTest, InstallRewritesAnExistingLaunchList) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    for (const LaunchListCase& c : kInstallCases) {
        SCOPED_TRACE(c.name);
        const std::string before = Fixture(c.before);
        WriteBytes(m_exeXml, c.lineFeedsOnly ? before : Crlf(before));
        ASSERT_TRUE(InstallAddon());
        const std::string expected = Crlf(Fixture(c.after));
        EXPECT_EQ(ReadBytes(m_exeXml), expected);
        std::unique_ptr<CXmlElement> document;
        if (before.starts_with("<?xml")) {
            EXPECT_TRUE(ParseXmlFile(m_exeXml.c_str(), document)) << "a document stays one";
        }
        ASSERT_TRUE(InstallAddon());
        EXPECT_EQ(ReadBytes(m_exeXml), expected) << "installing again changes nothing";
    }
    CoUninitialize();
}

TEST_F(AddonRegistrationTest, UninstallRemovesOnlyTheFirstEntryOfTheProgram) {
    const std::string own = Block("Harmel Plugin for FSW", OwnPath());
    const std::string other = Block("Other", "C:\\Other.exe");
    WriteBytes(m_exeXml, Crlf(kHeader + ("\n" + own) + other + own + kEnd));

    const std::string expected[] = {
        kHeader + ("\n" + other) + own + kEnd,
        kHeader + ("\n" + other) + kEnd,
        kHeader + ("\n" + other) + kEnd,
    };
    for (const std::string& after : expected) {
        EXPECT_TRUE(UninstallAddon());
        EXPECT_EQ(ReadBytes(m_exeXml), Crlf(after));
    }
    EXPECT_EQ(ReadBytes(m_simConnectXml), std::nullopt) << "uninstall creates nothing";

    DeleteFileW(m_exeXml.c_str());
    EXPECT_FALSE(UninstallAddon());
    EXPECT_EQ(ReadBytes(m_exeXml), std::nullopt);
}

TEST_F(AddonRegistrationTest, WritesPathsWithoutWindows1252BytesAsReferences) {
    const std::wstring program = L"C:\\Spiele\\\u0414\u0440\u0430\u0432\u0438\u043A & "
                                 L"Co\\\u20AC\U0001F600.exe";
    const std::string written =
        "C:\\Spiele\\&#1044;&#1088;&#1072;&#1074;&#1080;&#1082; &amp; Co\\\x80&#128512;.exe";
    const CAddonRegistrar registrar(m_simulatorFolder, L"", program);

    ASSERT_TRUE(registrar.Install());
    const std::string installed =
        Crlf(kHeader + ("\n" + Block("Harmel Plugin for FSW", written)) + kEnd);
    EXPECT_EQ(ReadBytes(m_exeXml), installed);
    ASSERT_TRUE(registrar.Install());
    EXPECT_EQ(ReadBytes(m_exeXml), installed) << "the written entry is found again";

    // Written by another tool with hexadecimal references and in capitals: still the entry.
    const std::string other = Block("Other", "C:\\Other.exe");
    WriteBytes(m_exeXml,
               Crlf(kHeader + ("\n" + other) +
                    Block("Mine", "C:\\SPIELE\\&#x414;&#x420;&#x410;&#x412;&#x418;&#x41A; "
                                  "&amp; CO\\\x80&#x1F600;.EXE") +
                    kEnd));
    ASSERT_TRUE(registrar.Uninstall());
    EXPECT_EQ(ReadBytes(m_exeXml), Crlf(kHeader + ("\n" + other) + kEnd));
}

TEST_F(AddonRegistrationTest, BlankLaunchListCountsAsMissing) {
    const std::string created =
        Crlf(kHeader + ("\n" + Block("Harmel Plugin for FSW", OwnPath())) + kEnd);
    for (const char* blank : {"", " \r\n\t\r\n", "\xEF\xBB\xBF\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(blank));
        WriteBytes(m_exeXml, blank);
        EXPECT_FALSE(UninstallAddon());
        EXPECT_EQ(ReadBytes(m_exeXml), blank);
        EXPECT_TRUE(InstallAddon());
        EXPECT_EQ(ReadBytes(m_exeXml), created);
    }
}

// The program's path as the XML reader reads it from the last entry of exe.xml.
std::optional<std::wstring> LastPathAsParsed(const std::wstring& file) {
    std::unique_ptr<CXmlElement> root;
    if (!ParseXmlFile(file.c_str(), root) || !root || root->children.empty())
        return std::nullopt;
    for (const auto& field : root->children.back()->children)
        if (field->name == L"Path")
            return field->text;
    return std::nullopt;
}

TEST_F(AddonRegistrationTest, WritesAndFindsPathsInTheDeclaredEncoding) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const std::wstring program = L"C:\\Program Files\\Dr\u00E1vik \u0414\\Dravik.exe";
    const CAddonRegistrar registrar(m_simulatorFolder, L"", program);
    const std::string document = "<SimBase.Document Type=\"Launch\" version=\"1,0\">\n";
    const std::string other = Block("Other", "C:\\Other.exe");
    const struct {
        const char* declaration;
        const char* path;
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
         "C:\\Program Files\\Dr\xC3\xA1vik \xD0\x94\\Dravik.exe"},
        {"<?xml version='1.0' encoding='utf-8'?>\n",
         "C:\\Program Files\\Dr\xC3\xA1vik \xD0\x94\\Dravik.exe"},
        {"", "C:\\Program Files\\Dr\xC3\xA1vik \xD0\x94\\Dravik.exe"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n",
         "C:\\Program Files\\Dr\xC3\xA1vik \xD0\x94\\Dravik.exe"},
        {"<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n",
         "C:\\Program Files\\Dr\xE1vik &#1044;\\Dravik.exe"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n",
         "C:\\Program Files\\Dr&#225;vik &#1044;\\Dravik.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.declaration);
        WriteBytes(m_exeXml, Crlf(c.declaration + document + other + kEnd));
        ASSERT_TRUE(registrar.Install());
        const std::string installed = Crlf(c.declaration + document + "\n" + other +
                                           Block("Harmel Plugin for FSX", c.path) + kEnd);
        EXPECT_EQ(ReadBytes(m_exeXml), installed);
        EXPECT_EQ(LastPathAsParsed(m_exeXml), program);

        ASSERT_TRUE(registrar.Install());
        EXPECT_EQ(ReadBytes(m_exeXml), installed) << "found again, not added twice";
        ASSERT_TRUE(registrar.Uninstall());
        EXPECT_EQ(ReadBytes(m_exeXml), Crlf(c.declaration + document + "\n" + other + kEnd));
    }
    CoUninitialize();
}

// Rewrites the line-by-line reading gets wrong are caught by reading both files as XML.
TEST_F(AddonRegistrationTest, RewritesThatWouldBreakTheListOrLoseAnEntryAreDropped) {
    const std::string prefixed =
        Crlf("<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n"
             "<x:SimBase.Document xmlns:x=\"urn:launch\" Type=\"Launch\">\n"
             "\t<x:Launch.Addon>\n"
             "\t\t<x:Name>Other</x:Name>\n"
             "\t\t<x:Path>C:\\Other.exe</x:Path>\n"
             "\t</x:Launch.Addon>\n"
             "</x:SimBase.Document>\n");
    // The path's first text names a launcher the install removes; the element names another.
    const std::string continued = Crlf(
        kHeader + ("\n" + Block("Renamed", "C:\\Zan\\ZanPanels.exe<!-- renamed -->.off")) + kEnd);
    const struct {
        const char* name;
        const std::string& before;
        bool install;
    } cases[] = {
        {"install into a list under a namespace prefix", prefixed, true},
        {"uninstall from a list under a namespace prefix", prefixed, false},
        {"install removing an entry the list keeps", continued, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(m_exeXml, c.before);
        EXPECT_FALSE(c.install ? InstallAddon() : UninstallAddon());
        EXPECT_EQ(ReadBytes(m_exeXml), c.before);
        EXPECT_EQ(GetFileAttributesW(TemporaryPathFor(m_exeXml).c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(AddonRegistrationTest, RewritesALargeListWrittenOnOneLine) {
    std::string before = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><SimBase.Document "
                         "Type=\"Launch\" version=\"1,0\">";
    std::string after = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n<SimBase.Document "
                        "Type=\"Launch\" version=\"1,0\">\n\n";
    while (before.size() < 3600000) {
        const std::string fields = "<Name>Add-on " + std::to_string(before.size()) +
                                   "</Name><Disabled>False</Disabled><Path>C:\\Add-ons\\" +
                                   std::to_string(before.size()) + "\\Start.exe</Path>";
        before += "<Launch.Addon>" + fields + "</Launch.Addon>";
        after += "\t\t<Launch.Addon>\n" + fields + "\n\t\t</Launch.Addon>\n\n";
    }
    before += "</SimBase.Document>";
    after += Block("Harmel Plugin for FSX", OwnPath()) + kEnd;
    WriteBytes(m_exeXml, before);
    ASSERT_TRUE(InstallAddon());
    EXPECT_TRUE(ReadBytes(m_exeXml) == Crlf(after));
}

// Holds exe.xml open without sharing, so it cannot be read.
struct ExclusiveOpen {
    explicit ExclusiveOpen(const std::wstring& path)
        : file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    UniqueFile file;
};

TEST_F(AddonRegistrationTest, FailedRewritesLeaveTheLaunchListIntact) {
    const std::string original =
        Crlf(kHeader + ("\n" + Block("Other", "C:\\Other.exe")) + "  <!-- x -->\n" + kEnd);
    const std::wstring temporary = TemporaryPathFor(m_exeXml);
    const struct {
        const char* name;
        bool temporaryIsFolder;
        bool launchListLocked;
        bool install;
        bool wideText;
    } cases[] = {
        {"install, temporary file not creatable", true, false, true, false},
        {"uninstall, temporary file not creatable", true, false, false, false},
        {"install, launch list not readable", false, true, true, false},
        {"uninstall, launch list not readable", false, true, false, false},
        {"install, launch list in UTF-16", false, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = c.wideText ? Utf16(original) : original;
        WriteBytes(m_exeXml, before);
        if (c.temporaryIsFolder) {
            ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr));
        }
        {
            std::optional<ExclusiveOpen> lock;
            if (c.launchListLocked) {
                lock.emplace(m_exeXml);
                ASSERT_TRUE(lock->file);
            }
            EXPECT_FALSE(c.install ? InstallAddon() : UninstallAddon());
        }
        EXPECT_EQ(ReadBytes(m_exeXml), before);
        if (c.temporaryIsFolder) {
            EXPECT_TRUE(RemoveDirectoryW(temporary.c_str()));
        } else {
            EXPECT_EQ(GetFileAttributesW(temporary.c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
}

} // namespace
