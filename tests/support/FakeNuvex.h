#pragma once
// A scripted display-device library behind a CNuvexLibrary entry-point table: devices with their
// types and serial numbers, per-export failure injection, a record of every page added and every
// string sent, and the callbacks the program registered, so a test can play the library's
// notifications. The entry points are plain functions: they reach the newest living instance.

#include "app/display/NuvexLibrary.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class CFakeNuvex {
public:
    struct AddedPage {
        NuvexDevice device;
        DWORD page;
        DWORD flags;
    };
    struct SentString {
        NuvexDevice device;
        DWORD page;
        DWORD index;
        DWORD cch;
        std::wstring text;
    };
    struct DeviceCallbacks {
        PageCallback page = nullptr;
        void* pageContext = nullptr;
        SoftButtonCallback softButton = nullptr;
        void* softButtonContext = nullptr;
    };

    CFakeNuvex();
    ~CFakeNuvex();
    CFakeNuvex(const CFakeNuvex&) = delete;
    CFakeNuvex& operator=(const CFakeNuvex&) = delete;

    // The table that calls into this fake.
    static NuvexEntryPoints EntryPoints();

    // A device the library knows; `serial` is what Nuvex_GetSerialNumber copies (no terminator).
    void AddDevice(NuvexDevice device, const GUID& type, const std::wstring& serial = L"");
    // Every later call of the export named `exportName` returns `result` without acting.
    void Fail(const std::string& exportName, HRESULT result);
    // The export acts again.
    void ClearFailure(const std::string& exportName);

    // Plays the library: the callbacks the program registered, with their contexts.
    void RaiseDeviceChange(NuvexDevice device, DWORD added);
    void RaisePageChange(NuvexDevice device, DWORD page, bool activated);
    void RaiseSoftButtons(NuvexDevice device, DWORD buttons);

    // Runs `action` once, on the thread of the next Nuvex_SetString, before that string is
    // taken: what happens meanwhile on another thread, played at the worst moment.
    void BeforeNextSetString(std::function<void()> action);
    // The same before the Nuvex_SetString that follows `skipped` others.
    void BeforeSetString(size_t skipped, std::function<void()> action);
    // Waits until `count` strings in all were taken.
    bool WaitForSentStrings(size_t count, DWORD timeoutMs);

    std::vector<std::string> Calls() const; // export names in call order
    std::vector<AddedPage> AddedPages() const;
    std::vector<SentString> SentStrings() const;
    DeviceCallbacks CallbacksOf(NuvexDevice device) const;
    void ClearRecord();

private:
    struct Device {
        GUID type;
        std::wstring serial;
    };

    static CFakeNuvex& Current();
    bool Enter(const char* exportName, HRESULT& result);
    const Device* FindDevice(NuvexDevice device) const;

    static HRESULT WINAPI Initialize(const wchar_t* applicationName);
    static HRESULT WINAPI Deinitialize();
    static HRESULT WINAPI RegisterDeviceCallback(DeviceCallback callback, void* context);
    static HRESULT WINAPI Enumerate(EnumerateCallback callback, void* context);
    static HRESULT WINAPI RegisterPageCallback(NuvexDevice device, PageCallback callback,
                                               void* context);
    static HRESULT WINAPI RegisterSoftButtonCallback(NuvexDevice device,
                                                     SoftButtonCallback callback, void* context);
    static HRESULT WINAPI GetDeviceType(NuvexDevice device, GUID* type);
    static HRESULT WINAPI AddPage(NuvexDevice device, DWORD page, DWORD flags);
    static HRESULT WINAPI SetString(NuvexDevice device, DWORD page, DWORD index, DWORD cch,
                                    const wchar_t* text);
    static HRESULT WINAPI GetSerialNumber(NuvexDevice device, wchar_t* serial, DWORD cch);

    static CFakeNuvex* s_current;
    CFakeNuvex* m_previous;

    mutable std::recursive_mutex m_lock;
    std::map<NuvexDevice, Device> m_devices;
    std::map<std::string, HRESULT> m_failures;
    std::vector<std::string> m_calls;
    std::vector<AddedPage> m_addedPages;
    std::vector<SentString> m_sentStrings;
    std::function<void()> m_beforeSetString;
    size_t m_setStringsBeforeAction = 0;
    std::condition_variable_any m_stringTaken;
    DeviceCallback m_deviceCallback = nullptr;
    void* m_deviceContext = nullptr;
    std::map<NuvexDevice, DeviceCallbacks> m_callbacks;
};
