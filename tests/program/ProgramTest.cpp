// Dravik.exe as the simulator and the user start it, under the prefix's real shell folders.

#include "tests/program/ChildProcess.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kProgramTimeoutMs = 60000;

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    return path;
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::wstring& path, const std::string& text) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << text;
}

std::string Narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(1252, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(1252, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    return result;
}

// A file as it was before the test; put back (or removed again) at the end.
class SavedFile {
public:
    explicit SavedFile(std::wstring path) : m_path(std::move(path)) {
        if (GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES)
            m_content = ReadAll(m_path);
        DeleteFileW(m_path.c_str());
    }
    ~SavedFile() {
        if (m_content)
            WriteAll(m_path, *m_content);
        else
            DeleteFileW(m_path.c_str());
    }
    SavedFile(const SavedFile&) = delete;
    SavedFile& operator=(const SavedFile&) = delete;

private:
    std::wstring m_path;
    std::optional<std::string> m_content;
};

// A folder that exists for the test; removed at the end if the test made it.
class TestFolder {
public:
    explicit TestFolder(std::wstring path) : m_path(std::move(path)) {
        m_made = SHCreateDirectoryExW(nullptr, m_path.c_str(), nullptr) == ERROR_SUCCESS;
    }
    ~TestFolder() {
        if (m_made)
            RemoveDirectoryW(m_path.c_str());
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    bool m_made = false;
};

// The simulator's folders with their registration files, restored after each test.
class ProgramTest : public testing::Test {
protected:
    ProgramTest()
        : m_simulatorParent(ShellFolder(CSIDL_APPDATA) + L"\\Dovetail Games"),
          m_simulator(m_simulatorParent.Path() + L"\\FSW"),
          m_documents(ShellFolder(CSIDL_PERSONAL) + L"\\Flight Sim World"),
          m_exeXml(m_simulator.Path() + L"\\exe.xml"),
          m_simConnectXml(m_simulator.Path() + L"\\SimConnect.xml"),
          m_simConnectIni(m_documents.Path() + L"\\SimConnect.ini") {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_work = std::wstring(temp) + L"dravik-program-test";
        CreateDirectoryW(m_work.c_str(), nullptr);
        m_scenario = m_work + L"\\scenario.txt";
        m_log = m_work + L"\\simulator.log";
        DeleteFileW(m_log.c_str());
    }
    ~ProgramTest() override {
        DeleteFileW(m_scenario.c_str());
        DeleteFileW(m_log.c_str());
        RemoveDirectoryW(m_work.c_str());
    }

    std::wstring Program() const { return BuildOutputFolder() + L"\\Dravik.exe"; }
    std::string ExeXml() const { return ReadAll(m_simulator.Path() + L"\\exe.xml"); }

    std::optional<DWORD> Run(const std::wstring& arguments, const std::string& scenario) {
        WriteAll(m_scenario, scenario);
        return RunProgram(Program(), arguments, m_work,
                          {{L"DRAVIK_SIM_SCENARIO", m_scenario}, {L"DRAVIK_SIM_LOG", m_log}},
                          kProgramTimeoutMs);
    }

    // The log lines of the stand-in simulator, without their time stamps.
    std::vector<std::string> SimulatorLog() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadAll(m_log));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            size_t stamp = line.find("] ");
            lines.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
        }
        return lines;
    }

    TestFolder m_simulatorParent;
    TestFolder m_simulator;
    TestFolder m_documents;
    SavedFile m_exeXml;
    SavedFile m_simConnectXml;
    SavedFile m_simConnectIni;
    std::wstring m_work;
    std::wstring m_scenario;
    std::wstring m_log;
};

const char kQuickQuit[] = "300 quit\n";

size_t CountContaining(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(ProgramTest, InstallAndUninstallRegisterTheProgramAndEndWithCodeOne) {
    ASSERT_EQ(Run(L"-install", kQuickQuit), 1u);
    std::string entry = "<Path>" + Narrow(Program()) + "</Path>";
    std::string installed = ExeXml();
    EXPECT_EQ(CountContaining(installed, entry), 1u) << installed;
    EXPECT_NE(installed.find("<Name>Harmel Plugin for FSW</Name>"), std::string::npos);
    EXPECT_NE(installed.find("<CommandLine>-run</CommandLine>"), std::string::npos);
    EXPECT_FALSE(ReadAll(m_simulator.Path() + L"\\SimConnect.xml").empty());
    EXPECT_NE(ReadAll(m_documents.Path() + L"\\SimConnect.ini").find("[SimConnect]\r\n"),
              std::string::npos);
    EXPECT_TRUE(SimulatorLog().empty()) << "a registration action never connects";

    ASSERT_EQ(Run(L"-INSTALL", kQuickQuit), 1u);
    EXPECT_EQ(ExeXml(), installed) << "installing again changes nothing";

    ASSERT_EQ(Run(L"-uninstall", kQuickQuit), 1u);
    EXPECT_EQ(ExeXml().find(entry), std::string::npos);

    ASSERT_EQ(Run(L"-run", kQuickQuit), 0u);
    EXPECT_EQ(ExeXml().find(entry), std::string::npos) << "-run touches no registration file";
}

TEST_F(ProgramTest, AnyOtherCommandLineInstallsThenRuns) {
    ASSERT_EQ(Run(L"-run extra", kQuickQuit), 0u);
    EXPECT_EQ(CountContaining(ExeXml(), "<Path>" + Narrow(Program()) + "</Path>"), 1u);
    std::vector<std::string> log = SimulatorLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "SimConnect_Open(\"Harmel FSX Plugin\"): connected");
    EXPECT_EQ(log.back(), "SimConnect_Close");
}

// Starts, pauses, resumes and stops reach the application in order: every start and resume
// makes the panels ask for their data, and the run ends with the simulator's quit, exit code 0.
TEST_F(ProgramTest, RunFollowsTheSimulatorUntilItQuits) {
    ASSERT_EQ(Run(L"-run", "300 start\n"
                           "200 pause\n"
                           "200 resume\n"
                           "200 set COM ACTIVE FREQUENCY:1|MHz|121.5\n"
                           "200 stop\n"
                           "200 quit\n"),
              0u);
    // The log reduced to its system events, each followed by what the program did after it.
    std::vector<std::string> milestones;
    size_t requests = 0;
    bool data = false;
    auto closeSegment = [&] {
        if (requests || data)
            milestones.push_back(std::to_string(requests) + " requests" + (data ? ", data" : ""));
        requests = 0;
        data = false;
    };
    for (const std::string& line : SimulatorLog()) {
        if (line.rfind("RequestDataOnSimObject", 0) == 0) {
            ++requests;
        } else if (line.rfind("object data", 0) == 0) {
            data = true;
        } else if (line.rfind("system event", 0) == 0 || line == "quit" ||
                   line == "SimConnect_Close" || line.rfind("SimConnect_Open", 0) == 0) {
            closeSegment();
            milestones.push_back(line);
        }
    }
    std::vector<std::string> expected = {
        "SimConnect_Open(\"Harmel FSX Plugin\"): connected",
        "system event SimStart (client event 1)",
        "4 requests, data",
        "system event Paused (client event 3)",
        "system event Unpaused (client event 4)",
        "4 requests, data", // the resume asks again; then the frequency change arrives
        "system event SimStop (client event 2)",
        "quit",
        "SimConnect_Close",
    };
    EXPECT_EQ(milestones, expected);
}

} // namespace
