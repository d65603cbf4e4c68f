#pragma once
// The application's base: the SimConnect connection, the message-only window and the one wait
// loop of the main thread, which turns simulator and window messages into the virtual
// operations below. Everything here runs on the main thread.

#include "app/simconnect/SimConnectApi.h"
#include "app/simconnect/SimConnectLibrary.h"

#include "common/UniqueHandle.h"

#include <windows.h>

class CDravikBase {
public:
    static constexpr const wchar_t* kWindowClassName = L"SIMX.MSG.WINDOW";
    static constexpr const char* kClientName = "Harmel FSX Plugin";

    // Client ids of the subscribed system events; client events mapped later start above them.
    enum SystemEventId : DWORD {
        EventSimStart = 1,
        EventSimStop = 2,
        EventPaused = 3,
        EventUnpaused = 4,
    };

    // The program's connection goes through the process-wide binding; tests may pass their own.
    CDravikBase();
    explicit CDravikBase(CSimConnectLibrary& simConnect);
    virtual ~CDravikBase();
    CDravikBase(const CDravikBase&) = delete;
    CDravikBase& operator=(const CDravikBase&) = delete;

    // Connects, creates the window and loops until the simulator quits. The result is
    // OnInitialize's, or false when the start failed before it was called. However the run ends,
    // a connection it opened is closed.
    bool Run(HINSTANCE instance);

    HWND MessageWindow() const { return m_messageWindow.get(); }

protected:
    virtual bool OnInitialize() { return true; }
    virtual void OnFinalize() {}
    virtual void OnSimStart() {}
    virtual void OnSimStop() {}
    virtual void OnSimObjectData([[maybe_unused]] DWORD requestId,
                                 [[maybe_unused]] const void* data, [[maybe_unused]] DWORD size) {}
    // Nonzero when handled.
    virtual LRESULT OnWindowMessage([[maybe_unused]] UINT message, [[maybe_unused]] WPARAM wParam,
                                    [[maybe_unused]] LPARAM lParam) {
        return 0;
    }

    bool InitSimConnect();
    void CleanupSimConnect();

    // The simulator's library and the window manager call these: no exception leaves them. A
    // message whose handling throws is dropped; a window message then goes to the default
    // procedure.
    static void CALLBACK DispatchCallback(simconnect::Recv* message, DWORD size,
                                          void* context) noexcept;
    static LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) noexcept;

private:
    // Detached first, so that no virtual operation runs after OnFinalize nor on a destroyed
    // object.
    static void DestroyMessageWindow(HWND window) noexcept;
    using UniqueMessageWindow = UniqueResource<HWND, &CDravikBase::DestroyMessageWindow>;
    class ConnectionCloser;

    // From the connection to OnFinalize, with the connection closed on every way out.
    bool RunConnected(HINSTANCE instance);
    bool CreateMessageWindow(HINSTANCE instance);
    void Loop();
    void PumpWindowMessages();
    void Dispatch(const simconnect::Recv* message, DWORD size);
    void OnSystemEvent(DWORD clientEventId);

    UniqueHandle m_messageEvent;
    UniqueMessageWindow m_messageWindow;
    bool m_connected = false; // SimConnect_Open succeeded and SimConnect_Close is owed
    bool m_running = false;
    CSimConnectLibrary& m_simConnect;
};
