#pragma once
// The one way the panels reach the HID driver: recognise a device path, open it for feature
// reports, and read its input reports. The Windows implementation talks to the driver; tests
// hand the panels scripted devices instead.

#include <windows.h>

// The toolchain's HID headers declare the driver's functions without C linkage.
extern "C" {
#include <hidsdi.h>
}

#include <memory>

// A device opened for synchronous access: the handle every feature report goes through.
class IHidFeatureDevice {
public:
    virtual ~IHidFeatureDevice() = default;
    virtual const HIDP_CAPS& Capabilities() const = 0;
    virtual bool SetFeature(const BYTE* report, ULONG length) = 0;
    virtual bool GetFeature(BYTE* report, ULONG length) = 0;
    virtual bool GetSerialNumberString(wchar_t* buffer, ULONG bufferBytes) = 0;
};

// A device opened a second time, for overlapped reads of its input reports.
class IHidInputDevice {
public:
    enum class ReadResult {
        Report,  // `count` bytes arrived in the buffer
        Failed,  // this read failed: skip it and read again
        Stopped, // the stop event fired (or the wait failed): end the read loop
    };

    virtual ~IHidInputDevice() = default;
    // Reads the next input report into `buffer`, or returns once `stopEvent` is signalled.
    virtual ReadResult ReadReport(BYTE* buffer, DWORD length, DWORD& count, HANDLE stopEvent) = 0;
};

class IHidDriver {
public:
    virtual ~IHidDriver() = default;
    // Opens the path briefly and reads its vendor and product ids; false if either step fails.
    virtual bool ReadAttributes(const wchar_t* path, HIDD_ATTRIBUTES& attributes) = 0;
    // Opens the path for feature reports and reads its capabilities; null on any failure.
    virtual std::unique_ptr<IHidFeatureDevice> OpenFeatureDevice(const wchar_t* path) = 0;
    // Opens the path for overlapped input reads; null on failure.
    virtual std::unique_ptr<IHidInputDevice> OpenInputDevice(const wchar_t* path) = 0;
};

// The driver the program uses: CreateFileW, HidD_*, HidP_GetCaps and overlapped ReadFile.
IHidDriver& GetWindowsHidDriver();
