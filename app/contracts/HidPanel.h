#pragma once
// What the application asks of each HID panel, on the main thread: initialise, start, data,
// device arrival and removal, and closing every device at the end.

#include <windows.h>

#include <utility>

class IHidPanel {
public:
    virtual ~IHidPanel() = default;

    // The page counter is the application's next free page id; panels ignore it.
    virtual void OnSimInitialize(DWORD& pageCounter) = 0;
    virtual void OnSimStart() = 0;
    // Every object-data message with its size in bytes; a panel ignores request ids other than its
    // own, and blocks that are not the size of its record.
    virtual void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) = 0;
    virtual void OnDeviceArrival(const wchar_t* path) = 0;
    virtual void OnDeviceRemoval(const wchar_t* path) = 0;
    virtual void CloseAllDevices() = 0;
};

// Owns one panel of the program and hands the application's calls to it.
template <typename Panel> class CHidPanel final : public IHidPanel {
public:
    template <typename... Args>
    explicit CHidPanel(Args&&... args) : m_panel(std::forward<Args>(args)...) {}

    void OnSimInitialize(DWORD& pageCounter) override { m_panel.OnSimInitialize(pageCounter); }
    void OnSimStart() override { m_panel.OnSimStart(); }
    void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) override {
        m_panel.OnSimRecieveData(requestId, data, size);
    }
    void OnDeviceArrival(const wchar_t* path) override { m_panel.OnDeviceArrival(path); }
    void OnDeviceRemoval(const wchar_t* path) override { m_panel.OnDeviceRemoval(path); }
    void CloseAllDevices() override { m_panel.CloseAllDevices(); }

    Panel& Get() { return m_panel; }

private:
    Panel m_panel;
};
