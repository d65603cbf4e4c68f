#include "panels/WindowsHidDriver.h"

#include "common/UniqueHandle.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A pending read may wait for input as long as the device stays open; waiting in slices keeps
// every single wait bounded.
constexpr DWORD kReadWaitSliceMs = 1000;
// When no event can be made for a read, wait this long (or until stopped) and try again.
constexpr DWORD kEventRetryMs = 1000;
// How long a cancelled read may take to end before it is left to the driver.
constexpr DWORD kCancelWaitMs = 1000;

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
    explicit CWindowsHidInputDevice(UniqueFile handle)
        : m_handle(std::move(handle)), m_read(std::make_unique<Read>()) {}

    ReadResult ReadReport(BYTE* buffer, DWORD length, DWORD& count, HANDLE stopEvent) override {
        if (!m_read)
            return ReadResult::Stopped;
        UniqueHandle readEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!readEvent)
            return WaitForSingleObject(stopEvent, kEventRetryMs) == WAIT_TIMEOUT
                       ? ReadResult::Failed
                       : ReadResult::Stopped;

        if (m_read->buffer.size() < length)
            m_read->buffer.resize(length);
        OVERLAPPED& overlapped = m_read->overlapped;
        overlapped = {};
        overlapped.hEvent = readEvent.get();
        count = 0;
        // A read that fails at once (the device has gone) never signals its event, so the
        // wait below then lasts until the stop event.
        bool pending =
            ReadFile(m_handle.get(), m_read->buffer.data(), length, &count, &overlapped) ||
            GetLastError() == ERROR_IO_PENDING;

        HANDLE objects[] = {readEvent.get(), stopEvent};
        DWORD wait;
        do {
            wait = WaitForMultipleObjects(2, objects, FALSE, kReadWaitSliceMs);
        } while (wait == WAIT_TIMEOUT);

        if (wait != WAIT_OBJECT_0) {
            if (pending) {
                CancelIo(m_handle.get());
                // A read the driver does not give back in time keeps its buffer, OVERLAPPED
                // and event for good: the driver may still write to them.
                if (WaitForSingleObject(readEvent.get(), kCancelWaitMs) != WAIT_OBJECT_0) {
                    m_read->event = std::move(readEvent);
                    (void)m_read.release();
                }
            }
            return ReadResult::Stopped;
        }
        if (!GetOverlappedResult(m_handle.get(), &overlapped, &count, FALSE))
            return ReadResult::Failed;
        memcpy(buffer, m_read->buffer.data(), std::min<DWORD>(count, length));
        return ReadResult::Report;
    }

private:
    // What a pending read lends the driver. The reads land here rather than in the caller's
    // buffer, so a read that outlives its wait never writes into memory the caller has freed.
    struct Read {
        OVERLAPPED overlapped = {};
        std::vector<BYTE> buffer;
        UniqueHandle event;
    };

    UniqueFile m_handle;
    std::unique_ptr<Read> m_read;
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
