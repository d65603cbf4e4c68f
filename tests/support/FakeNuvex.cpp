#include "tests/support/FakeNuvex.h"

#include <algorithm>
#include <chrono>
#include <utility>

CFakeNuvex* CFakeNuvex::s_current = nullptr;

CFakeNuvex::CFakeNuvex() : m_previous(s_current) {
    s_current = this;
}

CFakeNuvex::~CFakeNuvex() {
    s_current = m_previous;
}

CFakeNuvex& CFakeNuvex::Current() {
    return *s_current;
}

NuvexEntryPoints CFakeNuvex::EntryPoints() {
    NuvexEntryPoints e;
    e.Nuvex_Initialize = Initialize;
    e.Nuvex_Deinitialize = Deinitialize;
    e.Nuvex_RegisterDeviceCallback = RegisterDeviceCallback;
    e.Nuvex_Enumerate = Enumerate;
    e.Nuvex_RegisterPageCallback = RegisterPageCallback;
    e.Nuvex_RegisterSoftButtonCallback = RegisterSoftButtonCallback;
    e.Nuvex_GetDeviceType = GetDeviceType;
    e.Nuvex_AddPage = AddPage;
    e.Nuvex_SetString = SetString;
    e.Nuvex_GetSerialNumber = GetSerialNumber;
    return e;
}

void CFakeNuvex::AddDevice(NuvexDevice device, const GUID& type, const std::wstring& serial) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_devices[device] = Device{type, serial};
}

void CFakeNuvex::Fail(const std::string& exportName, HRESULT result) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_failures[exportName] = result;
}

void CFakeNuvex::ClearFailure(const std::string& exportName) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_failures.erase(exportName);
}

bool CFakeNuvex::Enter(const char* exportName, HRESULT& result) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_calls.push_back(exportName);
    auto failure = m_failures.find(exportName);
    if (failure == m_failures.end())
        return true;
    result = failure->second;
    return false;
}

const CFakeNuvex::Device* CFakeNuvex::FindDevice(NuvexDevice device) const {
    auto found = m_devices.find(device);
    return found == m_devices.end() ? nullptr : &found->second;
}

void CFakeNuvex::RaiseDeviceChange(NuvexDevice device, DWORD added) {
    DeviceCallback callback;
    void* context;
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        callback = m_deviceCallback;
        context = m_deviceContext;
    }
    if (callback)
        callback(device, added, context);
}

void CFakeNuvex::RaisePageChange(NuvexDevice device, DWORD page, bool activated) {
    DeviceCallbacks callbacks = CallbacksOf(device);
    if (callbacks.page)
        callbacks.page(device, page, activated, callbacks.pageContext);
}

void CFakeNuvex::RaiseSoftButtons(NuvexDevice device, DWORD buttons) {
    DeviceCallbacks callbacks = CallbacksOf(device);
    if (callbacks.softButton)
        callbacks.softButton(device, buttons, callbacks.softButtonContext);
}

std::vector<std::string> CFakeNuvex::Calls() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_calls;
}

std::vector<CFakeNuvex::AddedPage> CFakeNuvex::AddedPages() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_addedPages;
}

std::vector<CFakeNuvex::SentString> CFakeNuvex::SentStrings() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_sentStrings;
}

CFakeNuvex::DeviceCallbacks CFakeNuvex::CallbacksOf(NuvexDevice device) const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto found = m_callbacks.find(device);
    return found == m_callbacks.end() ? DeviceCallbacks{} : found->second;
}

void CFakeNuvex::ClearRecord() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_calls.clear();
    m_addedPages.clear();
    m_sentStrings.clear();
}

HRESULT WINAPI CFakeNuvex::Initialize(const wchar_t*) {
    HRESULT hr = S_OK;
    Current().Enter("Nuvex_Initialize", hr);
    return hr;
}

HRESULT WINAPI CFakeNuvex::Deinitialize() {
    HRESULT hr = S_OK;
    Current().Enter("Nuvex_Deinitialize", hr);
    return hr;
}

HRESULT WINAPI CFakeNuvex::RegisterDeviceCallback(DeviceCallback callback, void* context) {
    CFakeNuvex& fake = Current();
    HRESULT hr = S_OK;
    if (!fake.Enter("Nuvex_RegisterDeviceCallback", hr))
        return hr;
    std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
    fake.m_deviceCallback = callback;
    fake.m_deviceContext = context;
    return S_OK;
}

// Calls back on the caller's thread, in ascending handle order, as the library does.
HRESULT WINAPI CFakeNuvex::Enumerate(EnumerateCallback callback, void* context) {
    CFakeNuvex& fake = Current();
    HRESULT hr = S_OK;
    if (!fake.Enter("Nuvex_Enumerate", hr))
        return hr;
    if (!callback)
        return E_INVALIDARG;
    std::vector<NuvexDevice> devices;
    {
        std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
        for (const auto& entry : fake.m_devices)
            devices.push_back(entry.first);
    }
    for (NuvexDevice device : devices)
        callback(device, context);
    return S_OK;
}

HRESULT WINAPI CFakeNuvex::RegisterPageCallback(NuvexDevice device, PageCallback callback,
                                                void* context) {
    CFakeNuvex& fake = Current();
    HRESULT hr = S_OK;
    if (!fake.Enter("Nuvex_RegisterPageCallback", hr))
        return hr;
    std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
    if (!fake.FindDevice(device))
        return E_HANDLE;
    fake.m_callbacks[device].page = callback;
    fake.m_callbacks[device].pageContext = context;
    return S_OK;
}

HRESULT WINAPI CFakeNuvex::RegisterSoftButtonCallback(NuvexDevice device,
                                                      SoftButtonCallback callback, void* context) {
    CFakeNuvex& fake = Current();
    HRESULT hr = S_OK;
    if (!fake.Enter("Nuvex_RegisterSoftButtonCallback", hr))
        return hr;
    std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
    if (!fake.FindDevice(device))
        return E_HANDLE;
    fake.m_callbacks[device].softButton = callback;
    fake.m_callbacks[device].softButtonContext = context;
    return S_OK;
}

HRESULT WINAPI CFakeNuvex::GetDeviceType(NuvexDevice device, GUID* type) {
    CFakeNuvex& fake = Current();
    HRESULT hr = S_OK;
    if (!fake.Enter("Nuvex_GetDeviceType", hr))
        return hr;
    std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
    const Device* known = fake.FindDevice(device);
    if (!known)
        return E_HANDLE;
    if (!type)
        return E_INVALIDARG;
    *type = known->type;
    return S_OK;
}

HRESULT WINAPI CFakeNuvex::AddPage(NuvexDevice device, DWORD page, DWORD flags) {
    CFakeNuvex& fake = Current();
    HRESULT hr = S_OK;
    if (!fake.Enter("Nuvex_AddPage", hr))
        return hr;
    std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
    if (!fake.FindDevice(device))
        return E_HANDLE;
    fake.m_addedPages.push_back({device, page, flags});
    return S_OK;
}

void CFakeNuvex::BeforeNextSetString(std::function<void()> action) {
    BeforeSetString(0, std::move(action));
}

void CFakeNuvex::BeforeSetString(size_t skipped, std::function<void()> action) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_beforeSetString = std::move(action);
    m_setStringsBeforeAction = skipped;
}

bool CFakeNuvex::WaitForSentStrings(size_t count, DWORD timeoutMs) {
    std::unique_lock<std::recursive_mutex> lock(m_lock);
    return m_stringTaken.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return m_sentStrings.size() >= count; });
}

HRESULT WINAPI CFakeNuvex::SetString(NuvexDevice device, DWORD page, DWORD index, DWORD cch,
                                     const wchar_t* text) {
    CFakeNuvex& fake = Current();
    std::function<void()> before;
    {
        std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
        if (fake.m_beforeSetString && fake.m_setStringsBeforeAction-- == 0)
            before = std::exchange(fake.m_beforeSetString, nullptr);
    }
    if (before)
        before();
    HRESULT hr = S_OK;
    if (!fake.Enter("Nuvex_SetString", hr))
        return hr;
    std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
    if (!fake.FindDevice(device))
        return E_HANDLE;
    fake.m_sentStrings.push_back(
        {device, page, index, cch, text ? std::wstring(text, cch) : std::wstring()});
    fake.m_stringTaken.notify_all();
    return S_OK;
}

// Copies min(cch, 16) characters and no terminator, as the library does.
HRESULT WINAPI CFakeNuvex::GetSerialNumber(NuvexDevice device, wchar_t* serial, DWORD cch) {
    CFakeNuvex& fake = Current();
    HRESULT hr = S_OK;
    if (!fake.Enter("Nuvex_GetSerialNumber", hr))
        return hr;
    std::lock_guard<std::recursive_mutex> lock(fake.m_lock);
    const Device* known = fake.FindDevice(device);
    if (!known)
        return E_HANDLE;
    if (serial) {
        std::wstring padded = known->serial;
        padded.resize(16, L'\0');
        std::copy_n(padded.begin(), std::min<DWORD>(cch, 16), serial);
    }
    return S_OK;
}
