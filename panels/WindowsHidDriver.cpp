#include "panels/WindowsHidDriver.h"

#include "common/UniqueHandle.h"

namespace {

// A pending read may wait for input as long as the device stays open; waiting in slices keeps
// every single wait bounded.
constexpr DWORD kReadWaitSliceMs = 1000;
// When no event can be made for a read, wait this long (or until stopped) and try again.
constexpr DWORD kEventRetryMs = 1000;

UniqueFile OpenDevicePath(const wchar_t* path, DWORD flags) {
    return UniqueFile(CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                                  nullptr));
}

class CWindowsHidFeatureDevice : public IHidFeatureDevice {
public:
    CWindowsHidFeatureDevice(UniqueFile handle, const HIDP_CAPS& caps)
        : m_handle(std::move(handle)), m_caps(caps) {}

    const HIDP_CAPS& Capabilities() const override { return m_caps; }

    bool SetFeature(const BYTE* report, ULONG length) override {
        return HidD_SetFeature(m_handle.get(), const_cast<BYTE*>(report), length) != FALSE;
    }

    bool GetFeature(BYTE* report, ULONG length) override {
        return HidD_GetFeature(m_handle.get(), report, length) != FALSE;
    }

    bool GetSerialNumberString(wchar_t* buffer, ULONG bufferBytes) override {
        return HidD_GetSerialNumberString(m_handle.get(), buffer, bufferBytes) != FALSE;
    }

private:
    UniqueFile m_handle;
    HIDP_CAPS m_caps;
};

class CWindowsHidInputDevice : public IHidInputDevice {
public:
    explicit CWindowsHidInputDevice(UniqueFile handle) : m_handle(std::move(handle)) {}

    ReadResult ReadReport(BYTE* buffer, DWORD length, DWORD& count, HANDLE stopEvent) override {
        UniqueHandle readEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!readEvent)
            return WaitForSingleObject(stopEvent, kEventRetryMs) == WAIT_TIMEOUT
                       ? ReadResult::Failed
                       : ReadResult::Stopped;

        OVERLAPPED overlapped = {};
        overlapped.hEvent = readEvent.get();
        count = 0;
        // A read that fails at once (the device has gone) never signals its event, so the
        // wait below then lasts until the stop event.
        bool pending = ReadFile(m_handle.get(), buffer, length, &count, &overlapped) ||
                       GetLastError() == ERROR_IO_PENDING;

        HANDLE objects[] = {readEvent.get(), stopEvent};
        DWORD wait;
        do {
            wait = WaitForMultipleObjects(2, objects, FALSE, kReadWaitSliceMs);
        } while (wait == WAIT_TIMEOUT);

        if (wait != WAIT_OBJECT_0) {
            // The buffer belongs to the caller: the read must be over before it is reused.
            if (pending) {
                CancelIo(m_handle.get());
                GetOverlappedResult(m_handle.get(), &overlapped, &count, TRUE);
            }
            return ReadResult::Stopped;
        }
        return GetOverlappedResult(m_handle.get(), &overlapped, &count, FALSE) ? ReadResult::Report
                                                                               : ReadResult::Failed;
    }

private:
    UniqueFile m_handle;
};

void FreePreparsedData(PHIDP_PREPARSED_DATA data) noexcept {
    HidD_FreePreparsedData(data);
}
using UniquePreparsedData = UniqueResource<PHIDP_PREPARSED_DATA, &FreePreparsedData>;

bool ReadCapabilities(HANDLE handle, HIDP_CAPS& caps) {
    UniquePreparsedData preparsed;
    if (!HidD_GetPreparsedData(handle, preparsed.put()))
        return false;
    return HidP_GetCaps(preparsed.get(), &caps) == HIDP_STATUS_SUCCESS;
}

} // namespace

IHidDriver& GetWindowsHidDriver() {
    static CWindowsHidDriver driver;
    return driver;
}

bool CWindowsHidDriver::ReadAttributes(const wchar_t* path, HIDD_ATTRIBUTES& attributes) {
    UniqueFile handle = OpenDevicePath(path, 0);
    if (!handle)
        return false;
    attributes = {};
    attributes.Size = sizeof(attributes);
    return HidD_GetAttributes(handle.get(), &attributes) != FALSE;
}

std::unique_ptr<IHidFeatureDevice> CWindowsHidDriver::OpenFeatureDevice(const wchar_t* path) {
    UniqueFile handle = OpenDevicePath(path, 0);
    if (!handle)
        return nullptr;
    HIDP_CAPS caps = {};
    if (!ReadCapabilities(handle.get(), caps))
        return nullptr;
    return std::make_unique<CWindowsHidFeatureDevice>(std::move(handle), caps);
}

std::unique_ptr<IHidInputDevice> CWindowsHidDriver::OpenInputDevice(const wchar_t* path) {
    UniqueFile handle = OpenDevicePath(path, FILE_FLAG_OVERLAPPED);
    if (!handle)
        return nullptr;
    return std::make_unique<CWindowsHidInputDevice>(std::move(handle));
}
