#include "app/main/DravikEntry.h"

#include "common/UniqueHandle.h"

#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// What the fake actions saw, in order.
std::vector<std::wstring> g_actions;
bool g_runResult = true;
std::exception_ptr g_runThrows;

bool FakeInstall() {
    g_actions.push_back(L"install");
    return true;
}
bool FakeUninstall() {
    g_actions.push_back(L"uninstall");
    return true;
}
bool FakeRun(HINSTANCE) {
    g_actions.push_back(L"run");
    if (g_runThrows)
        std::rethrow_exception(g_runThrows);
    return g_runResult;
}
void FakeDebugOutput(const wchar_t* text) {
    g_actions.push_back(std::wstring(L"debug ") + text);
}

const EntryActions kFakeActions = {&FakeInstall, &FakeUninstall, &FakeRun, &FakeDebugOutput};

struct EntryCase {
    const wchar_t* commandLine;
    std::vector<std::wstring> actions;
    int exitCode;
};

class EntryCommandLine : public testing::TestWithParam<EntryCase> {};

} // namespace

TEST_P(EntryCommandLine, PerformsTheActionsAndReturnsTheExitCode) {
    g_actions.clear();
    g_runResult = true;
    int exitCode = DravikEntry(GetModuleHandleW(nullptr), GetParam().commandLine, kFakeActions);
    EXPECT_EQ(g_actions, GetParam().actions);
    EXPECT_EQ(exitCode, GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryCommandLine,
    testing::Values(
        EntryCase{L"Dravik.exe -install", {L"debug Dravik -install\n", L"install"}, 1},
        EntryCase{L"Dravik.exe -UnInstall", {L"debug Dravik -uninstall\n", L"uninstall"}, 1},
        EntryCase{L"Dravik.exe -run", {L"debug Dravik -run\n", L"run"}, 0},
        EntryCase{L"\"C:\\Program Files\\Dravik.exe\" -RUN", {L"debug Dravik -run\n", L"run"}, 0},
        EntryCase{L"Dravik.exe", {L"install", L"run"}, 0},
        EntryCase{L"Dravik.exe -other", {L"install", L"run"}, 0},
        EntryCase{L"Dravik.exe -run second", {L"install", L"run"}, 0},
        EntryCase{L"Dravik.exe -install -run", {L"install", L"run"}, 0}));

TEST(Entry, RunThatDidNotStartExitsMinusOne) {
    g_actions.clear();
    g_runResult = false;
    EXPECT_EQ(DravikEntry(GetModuleHandleW(nullptr), L"Dravik.exe -run", kFakeActions), -1);
    EXPECT_EQ(DravikEntry(GetModuleHandleW(nullptr), L"Dravik.exe", kFakeActions), -1);
}

TEST(Entry, RunThatThrowsExitsMinusOne) {
    g_runResult = true;
    for (const std::exception_ptr& thrown : {std::make_exception_ptr(std::bad_alloc()),
                                             std::make_exception_ptr(std::runtime_error("run"))}) {
        g_actions.clear();
        g_runThrows = thrown;
        EXPECT_EQ(DravikEntry(GetModuleHandleW(nullptr), L"Dravik.exe -run", kFakeActions), -1);
        EXPECT_EQ(g_actions, (std::vector<std::wstring>{L"debug Dravik -run\n", L"run"}));
    }
    g_runThrows = nullptr;
}

TEST(Entry, DecisionLooksOnlyAtASingleArgument) {
    const wchar_t* justProgram[] = {L"Dravik.exe"};
    const wchar_t* uninstall[] = {L"Dravik.exe", L"-UNINSTALL"};
    EXPECT_EQ(DecideEntryCommand(0, nullptr), EntryCommand::InstallThenRun);
    EXPECT_EQ(DecideEntryCommand(1, justProgram), EntryCommand::InstallThenRun);
    EXPECT_EQ(DecideEntryCommand(2, uninstall), EntryCommand::Uninstall);
}

// The real program, started from a folder without the simulator's client library: it cannot
// connect and ends with -1.
TEST(Entry, ProgramWithoutSimConnectLibraryExitsMinusOne) {
    wchar_t modulePath[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    std::filesystem::path bin = std::filesystem::path(modulePath).parent_path();
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("dravik-entry-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    std::filesystem::path exe = folder / L"Dravik.exe";
    std::filesystem::copy_file(bin / L"Dravik.exe", exe,
                               std::filesystem::copy_options::overwrite_existing);

    std::wstring commandLine = L"\"" + exe.wstring() + L"\" -run";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &startup, &process));
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode));
    EXPECT_EQ(exitCode, 0xFFFFFFFFu);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
