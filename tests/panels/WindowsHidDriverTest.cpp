// The Windows HID device layer against what Wine has: files that are no HID devices, and a
// named pipe standing in for a device's stream of input reports.

#include "common/UniqueHandle.h"
#include "panels/WindowsHidDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring UniquePipeName() {
    return L"\\\\.\\pipe\\panels-input-" + std::to_wstring(GetCurrentProcessId());
}

class InputPipe {
public:
    InputPipe()
        : m_name(UniquePipeName()),
          m_server(CreateNamedPipeW(m_name.c_str(), PIPE_ACCESS_DUPLEX,
                                    PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 64,
                                    64, 0, nullptr)) {}

    const std::wstring& Name() const { return m_name; }
    bool IsOpen() const { return static_cast<bool>(m_server); }

    void Write(const std::vector<BYTE>& report) {
        DWORD written = 0;
        WriteFile(m_server.get(), report.data(), static_cast<DWORD>(report.size()), &written,
                  nullptr);
    }
    void Close() { m_server.reset(); }

private:
    std::wstring m_name;
    UniqueFile m_server;
};

} // namespace

TEST(WindowsHidDriver, APlainFileIsNoHidDevice) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"panels-not-a-device.bin";
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    file.reset();

    CWindowsHidDriver driver;
    HIDD_ATTRIBUTES attributes = {};
    EXPECT_FALSE(driver.ReadAttributes(L"\\\\?\\hid#no-such-device", attributes));
    EXPECT_EQ(nullptr, driver.OpenFeatureDevice(path.c_str()));
    EXPECT_EQ(nullptr, driver.OpenFeatureDevice(L"\\\\?\\hid#no-such-device"));
    EXPECT_EQ(nullptr, driver.OpenInputDevice(L"\\\\?\\hid#no-such-device"));
    DeleteFileW(path.c_str());
}

TEST(WindowsHidDriver, ReadsReportsUntilStoppedAndCancelsThePendingRead) {
    InputPipe pipe;
    ASSERT_TRUE(pipe.IsOpen());
    CWindowsHidDriver driver;
    std::unique_ptr<IHidInputDevice> input = driver.OpenInputDevice(pipe.Name().c_str());
    ASSERT_NE(nullptr, input);
    UniqueHandle stop(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    BYTE buffer[4] = {};
    DWORD count = 0;

    pipe.Write({0x00, 0x01, 0x02, 0x03});
    ASSERT_EQ(IHidInputDevice::ReadResult::Report,
              input->ReadReport(buffer, sizeof(buffer), count, stop.get()));
    EXPECT_EQ(4u, count);
    EXPECT_EQ(0x03, buffer[3]);

    // Stopped while waiting: the read is cancelled, so the next report is not lost to it.
    SetEvent(stop.get());
    EXPECT_EQ(IHidInputDevice::ReadResult::Stopped,
              input->ReadReport(buffer, sizeof(buffer), count, stop.get()));
    pipe.Write({0x00, 0x04, 0x05, 0x06});
    ASSERT_EQ(IHidInputDevice::ReadResult::Report,
              input->ReadReport(buffer, sizeof(buffer), count, stop.get()));
    EXPECT_EQ(0x06, buffer[3]);

    // A device that has gone fails its reads at once; only the stop event ends the wait.
    pipe.Close();
    SetEvent(stop.get());
    EXPECT_EQ(IHidInputDevice::ReadResult::Stopped,
              input->ReadReport(buffer, sizeof(buffer), count, stop.get()));
}
