#include "app/display/NuvexLibrary.h"
#include "tests/support/NuvexServiceInstaller.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

std::vector<HRESULT> CallEveryExport(CNuvexLibrary& nuvex) {
    NuvexDevice d = nullptr;
    GUID guid = {};
    DWORD id = 0;
    wchar_t text[17] = {};
    return {
        nuvex.Nuvex_Initialize(L"test"),
        nuvex.Nuvex_Deinitialize(),
        nuvex.Nuvex_RegisterDeviceCallback(nullptr, nullptr),
        nuvex.Nuvex_Enumerate(nullptr, nullptr),
        nuvex.Nuvex_RegisterPageCallback(d, nullptr, nullptr),
        nuvex.Nuvex_RegisterSoftButtonCallback(d, nullptr, nullptr),
        nuvex.Nuvex_GetDeviceType(d, &guid),
        nuvex.Nuvex_GetDeviceInstance(d, &guid),
        nuvex.Nuvex_SetProfile(d, 0, nullptr),
        nuvex.Nuvex_AddPage(d, 1, 0),
        nuvex.Nuvex_RemovePage(d, 1),
        nuvex.Nuvex_SetLed(d, 1, 1, 1),
        nuvex.Nuvex_SetString(d, 1, 0, 0, nullptr),
        nuvex.Nuvex_SetImage(d, 1, 0, 0, nullptr),
        nuvex.Nuvex_SetImageFromFile(d, 1, 0, 0, nullptr),
        nuvex.Nuvex_StartServer(d, 0, nullptr, &id, nullptr),
        nuvex.Nuvex_CloseServer(d, id, nullptr),
        nuvex.Nuvex_SendServerMsg(d, id, 0, 1, 0, nullptr, 0, nullptr, nullptr),
        nuvex.Nuvex_SendServerFile(d, id, 0, 1, 0, nullptr, 0, nullptr, 0, nullptr, nullptr),
        nuvex.Nuvex_SaveFile(d, 1, 0, 0, nullptr, nullptr),
        nuvex.Nuvex_DisplayFile(d, 1, 0, 0, nullptr),
        nuvex.Nuvex_DeleteFile(d, 1, 0, nullptr),
        nuvex.Nuvex_GetSerialNumber(d, text, 16),
    };
}

std::wstring ProgramFolderPath(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

std::wstring SystemLibraryPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

// Saves the program's registry value and puts it back afterwards.
class NuvexRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CNuvexLibrary::kRegistryKey, 0, nullptr, 0,
                                  KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
        DWORD type = 0;
        DWORD cb = 0;
        if (RegQueryValueExW(m_key, CNuvexLibrary::kRegistryValue, nullptr, &type, nullptr, &cb) ==
            ERROR_SUCCESS) {
            std::vector<BYTE> data(cb);
            RegQueryValueExW(m_key, CNuvexLibrary::kRegistryValue, nullptr, &type, data.data(),
                             &cb);
            m_saved = Saved{type, data};
        }
    }

    void TearDown() override {
        if (m_saved)
            RegSetValueExW(m_key, CNuvexLibrary::kRegistryValue, 0, m_saved->type,
                           m_saved->data.data(), static_cast<DWORD>(m_saved->data.size()));
        else
            RegDeleteValueW(m_key, CNuvexLibrary::kRegistryValue);
        RegCloseKey(m_key);
    }

    void SetValue(DWORD type, const std::wstring& text, bool terminated) {
        const DWORD cb = static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
        ASSERT_EQ(RegSetValueExW(m_key, CNuvexLibrary::kRegistryValue, 0, type,
                                 reinterpret_cast<const BYTE*>(text.c_str()), cb),
                  ERROR_SUCCESS);
    }

    void DeleteValue() { RegDeleteValueW(m_key, CNuvexLibrary::kRegistryValue); }

private:
    struct Saved {
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY m_key = nullptr;
    std::optional<Saved> m_saved;
};

} // namespace

TEST(NuvexLibrary, EveryExportIsNotImplementedUnlessBound) {
    CNuvexLibrary missing(L"C:\\no such folder\\Nuvex.dll");
    EXPECT_FALSE(missing.IsLoaded());
    for (HRESULT hr : CallEveryExport(missing))
        EXPECT_EQ(hr, E_NOTIMPL);

    // A library that loads but exports none of the entry points.
    CNuvexLibrary foreign(SystemLibraryPath(L"version.dll").c_str());
    EXPECT_TRUE(foreign.IsLoaded());
    std::vector<HRESULT> results = CallEveryExport(foreign);
    EXPECT_EQ(results.size(), 23u);
    for (HRESULT hr : results)
        EXPECT_EQ(hr, E_NOTIMPL);
}

TEST_F(NuvexRegistryTest, LibraryPathComesFromTheRegistry) {
    const std::wstring path = SystemLibraryPath(L"version.dll");
    struct Case {
        const char* name;
        DWORD type;
        std::wstring text;
        bool terminated;
        bool loaded;
    } cases[] = {
        {"terminated text", REG_SZ, path, true, true},
        // The value's type is ignored and the text is terminated after what was read.
        {"binary without terminator", REG_BINARY, path, false, true},
        {"file missing", REG_SZ, L"C:\\no such folder\\Nuvex.dll", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetValue(c.type, c.text, c.terminated);
        CNuvexLibrary nuvex;
        EXPECT_EQ(nuvex.IsLoaded(), c.loaded);
    }

    DeleteValue();
    CNuvexLibrary unset;
    EXPECT_FALSE(unset.IsLoaded());
    EXPECT_EQ(unset.Nuvex_Initialize(L"test"), E_NOTIMPL);
}

TEST_F(NuvexRegistryTest, BindsEveryExportOfTheLibrary) {
    SetValue(REG_SZ, ProgramFolderPath(L"Nuvex.dll"), true);
    CNuvexLibrary nuvex;
    ASSERT_TRUE(nuvex.IsLoaded());
    const NuvexEntryPoints& e = nuvex.EntryPoints();
    const void* entries[] = {
        reinterpret_cast<const void*>(e.Nuvex_Initialize),
        reinterpret_cast<const void*>(e.Nuvex_Deinitialize),
        reinterpret_cast<const void*>(e.Nuvex_RegisterDeviceCallback),
        reinterpret_cast<const void*>(e.Nuvex_Enumerate),
        reinterpret_cast<const void*>(e.Nuvex_RegisterPageCallback),
        reinterpret_cast<const void*>(e.Nuvex_RegisterSoftButtonCallback),
        reinterpret_cast<const void*>(e.Nuvex_GetDeviceType),
        reinterpret_cast<const void*>(e.Nuvex_GetDeviceInstance),
        reinterpret_cast<const void*>(e.Nuvex_SetProfile),
        reinterpret_cast<const void*>(e.Nuvex_AddPage),
        reinterpret_cast<const void*>(e.Nuvex_RemovePage),
        reinterpret_cast<const void*>(e.Nuvex_SetLed),
        reinterpret_cast<const void*>(e.Nuvex_SetString),
        reinterpret_cast<const void*>(e.Nuvex_SetImage),
        reinterpret_cast<const void*>(e.Nuvex_SetImageFromFile),
        reinterpret_cast<const void*>(e.Nuvex_StartServer),
        reinterpret_cast<const void*>(e.Nuvex_CloseServer),
        reinterpret_cast<const void*>(e.Nuvex_SendServerMsg),
        reinterpret_cast<const void*>(e.Nuvex_SendServerFile),
        reinterpret_cast<const void*>(e.Nuvex_SaveFile),
        reinterpret_cast<const void*>(e.Nuvex_DisplayFile),
        reinterpret_cast<const void*>(e.Nuvex_DeleteFile),
        reinterpret_cast<const void*>(e.Nuvex_GetSerialNumber),
    };
    for (size_t i = 0; i < std::size(entries); ++i)
        EXPECT_NE(entries[i], nullptr) << "entry point " << i + 1;
    // Without a previous initialisation the library answers this one itself.
    EXPECT_EQ(nuvex.Nuvex_Deinitialize(), S_OK);
}

TEST(NuvexService, RunningOnlyWhileTheServiceRuns) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring config = std::wstring(temp) + L"pages-service.cfg";
    std::ofstream(config.c_str()) << "joystick PAGES-JOY\n";

    CNuvexServiceInstaller installer;
    installer.Delete(); // whatever an interrupted run left behind
    EXPECT_FALSE(IsNuvexServiceRunning());
    ASSERT_TRUE(installer.Install(config, L""));
    EXPECT_FALSE(IsNuvexServiceRunning());
    ASSERT_TRUE(installer.Start());
    EXPECT_TRUE(IsNuvexServiceRunning());
    ASSERT_TRUE(installer.Stop());
    EXPECT_FALSE(IsNuvexServiceRunning());
    EXPECT_TRUE(installer.Delete());
    DeleteFileW(config.c_str());
}
