// The shipped Nuvex.dll itself: its export table, its exports against the service, and unloading
// it while it is connected.

#include "common/UniqueHandle.h"
#include "nuvex/api/Nuvex.h"
#include "standins/nuvex-service/StandinService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kExportNames = {"Nuvex_Initialize",
                                               "Nuvex_Deinitialize",
                                               "Nuvex_RegisterDeviceCallback",
                                               "Nuvex_Enumerate",
                                               "Nuvex_RegisterPageCallback",
                                               "Nuvex_RegisterSoftButtonCallback",
                                               "Nuvex_GetDeviceType",
                                               "Nuvex_GetDeviceInstance",
                                               "Nuvex_SetProfile",
                                               "Nuvex_AddPage",
                                               "Nuvex_RemovePage",
                                               "Nuvex_SetLed",
                                               "Nuvex_SetString",
                                               "Nuvex_SetImage",
                                               "Nuvex_SetImageFromFile",
                                               "Nuvex_StartServer",
                                               "Nuvex_CloseServer",
                                               "Nuvex_SendServerMsg",
                                               "Nuvex_SendServerFile",
                                               "Nuvex_SaveFile",
                                               "Nuvex_DisplayFile",
                                               "Nuvex_DeleteFile",
                                               "Nuvex_GetSerialNumber"};

std::vector<std::string> ExportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> result;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        result.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    return result;
}

// Tells when a given module leaves the process.
class CUnloadWatch {
public:
    explicit CUnloadWatch(HMODULE module) : m_module(module) {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        m_register = reinterpret_cast<RegisterFunction>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrRegisterDllNotification")));
        m_unregister = reinterpret_cast<UnregisterFunction>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnregisterDllNotification")));
        if (m_register != nullptr)
            m_register(0, OnNotification, this, &m_cookie);
    }
    ~CUnloadWatch() {
        if (m_cookie != nullptr && m_unregister != nullptr)
            m_unregister(m_cookie);
    }
    bool IsWatching() const { return m_cookie != nullptr; }
    bool WaitForUnload(DWORD timeoutMs) {
        return WaitForSingleObject(m_unloaded.get(), timeoutMs) == WAIT_OBJECT_0;
    }

private:
    struct NotificationData {
        ULONG flags;
        const void* fullName;
        const void* baseName;
        void* base;
        ULONG size;
    };
    using Notification = VOID(CALLBACK*)(ULONG, const NotificationData*, PVOID);
    using RegisterFunction = LONG(NTAPI*)(ULONG, Notification, PVOID, PVOID*);
    using UnregisterFunction = LONG(NTAPI*)(PVOID);
    static constexpr ULONG kUnloaded = 2;

    static VOID CALLBACK OnNotification(ULONG reason, const NotificationData* data, PVOID self) {
        auto* watch = static_cast<CUnloadWatch*>(self);
        if (reason == kUnloaded && data->base == watch->m_module)
            SetEvent(watch->m_unloaded.get());
    }

    HMODULE m_module;
    RegisterFunction m_register = nullptr;
    UnregisterFunction m_unregister = nullptr;
    PVOID m_cookie = nullptr;
    UniqueHandle m_unloaded{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

template <typename Export> Export Bind(HMODULE module, const char* name) {
    return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void WINAPI TakeHandle(NuvexDevice device, void* context) {
    *static_cast<NuvexDevice*>(context) = device;
}

void WINAPI ThrowOutOfMemory(NuvexDevice, void*) {
    throw std::bad_alloc();
}

void WINAPI ThrowOther(NuvexDevice, void*) {
    throw std::runtime_error("thrown inside Nuvex_Enumerate");
}

} // namespace

TEST(NuvexDll, ExportsExactlyTheTwentyThreeUndecoratedNames) {
    const HMODULE module = LoadLibraryW(L"Nuvex.dll");
    ASSERT_NE(module, nullptr);
    std::vector<std::string> names = ExportedNames(module);
    std::vector<std::string> expected = kExportNames;
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    for (const std::string& name : kExportNames)
        EXPECT_NE(GetProcAddress(module, name.c_str()), nullptr) << name;
    FreeLibrary(module);
}

TEST(NuvexDll, UnloadingWhileConnectedNeitherHangsNorCrashes) {
    CStandinService service;
    service.AddDevice(StandinDeviceConfig::Joystick(L"DLL-JOYSTICK"));
    ASSERT_TRUE(service.Start());
    HMODULE module = LoadLibraryW(L"Nuvex.dll");
    ASSERT_NE(module, nullptr);
    CUnloadWatch watch(module);
    ASSERT_TRUE(watch.IsWatching());

    const auto initialize = Bind<decltype(&Nuvex_Initialize)>(module, "Nuvex_Initialize");
    const auto enumerate = Bind<decltype(&Nuvex_Enumerate)>(module, "Nuvex_Enumerate");
    const auto setString = Bind<decltype(&Nuvex_SetString)>(module, "Nuvex_SetString");
    const auto addPage = Bind<decltype(&Nuvex_AddPage)>(module, "Nuvex_AddPage");
    ASSERT_EQ(initialize(L"Harmel FSX Plugin"), S_OK);
    ASSERT_TRUE(service.WaitForArrivals());
    NuvexDevice device = nullptr;
    ASSERT_EQ(enumerate(TakeHandle, &device), S_OK);
    ASSERT_EQ(addPage(device, 1, 1), S_OK);
    ASSERT_EQ(setString(device, 1, 0, 5, L"Hello"), S_OK);
    EXPECT_EQ(service.ShownLine(L"DLL-JOYSTICK", 0), L"Hello");

    const auto start = std::chrono::steady_clock::now();
    FreeLibrary(module);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // The reader still runs and keeps the library loaded; when the service ends the connection,
    // the reader lets go and the library is unloaded, its object destroyed on the way out.
    EXPECT_TRUE(service.IsConnected());
    service.Stop();
    EXPECT_TRUE(watch.WaitForUnload(5000));
    EXPECT_EQ(GetModuleHandleW(L"Nuvex.dll"), nullptr);

    // Loaded again, the library starts with a fresh object.
    module = LoadLibraryW(L"Nuvex.dll");
    ASSERT_NE(module, nullptr);
    device = nullptr;
    EXPECT_EQ(Bind<decltype(&Nuvex_Enumerate)>(module, "Nuvex_Enumerate")(TakeHandle, &device),
              S_OK);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(Bind<decltype(&Nuvex_Deinitialize)>(module, "Nuvex_Deinitialize")(), S_OK);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleW(L"Nuvex.dll"), nullptr);
}

// Enumerating runs the caller's callback under the registry's lock: what it throws ends the
// export with a failure result, and the lock is free again for the next call.
TEST(NuvexDll, ExceptionInsideAnExportBecomesItsFailureResult) {
    CStandinService service;
    service.AddDevice(StandinDeviceConfig::Joystick(L"DLL-THROW"));
    ASSERT_TRUE(service.Start());
    UniqueModule module(LoadLibraryW(L"Nuvex.dll"));
    ASSERT_TRUE(module);
    const auto initialize = Bind<decltype(&Nuvex_Initialize)>(module.get(), "Nuvex_Initialize");
    const auto enumerate = Bind<decltype(&Nuvex_Enumerate)>(module.get(), "Nuvex_Enumerate");
    const auto deinitialize =
        Bind<decltype(&Nuvex_Deinitialize)>(module.get(), "Nuvex_Deinitialize");
    ASSERT_EQ(initialize(L"Harmel FSX Plugin"), S_OK);
    ASSERT_TRUE(service.WaitForArrivals());

    EXPECT_EQ(enumerate(ThrowOutOfMemory, nullptr), E_OUTOFMEMORY);
    EXPECT_EQ(enumerate(ThrowOther, nullptr), E_FAIL);
    NuvexDevice device = nullptr;
    EXPECT_EQ(enumerate(TakeHandle, &device), S_OK);
    EXPECT_NE(device, nullptr);

    EXPECT_EQ(deinitialize(), S_OK);
}
