#include "app/core/DravikBase.h"

#include "app/trace/Trace.h"

#include "common/CallNoThrow.h"

using namespace simconnect;

namespace {

constexpr DWORD kAllInput = QS_ALLINPUT; // 0x4FF

} // namespace

CDravikBase::CDravikBase() : CDravikBase(GetSimConnectLibrary()) {}

CDravikBase::CDravikBase(CSimConnectLibrary& simConnect) : m_simConnect(simConnect) {}

CDravikBase::~CDravikBase() = default;

// Owns the open connection for the length of a run: however the run ends, a connection that
// SimConnect_Open opened is closed through CleanupSimConnect.
class CDravikBase::ConnectionCloser {
public:
    explicit ConnectionCloser(CDravikBase& base) : m_base(base) {}
    ~ConnectionCloser() {
        if (m_base.m_connected)
            m_base.CleanupSimConnect();
    }
    ConnectionCloser(const ConnectionCloser&) = delete;
    ConnectionCloser& operator=(const ConnectionCloser&) = delete;

private:
    CDravikBase& m_base;
};

bool CDravikBase::Run(HINSTANCE instance) {
    m_messageEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_messageEvent)
        return false;
    const bool initialized = RunConnected(instance);
    m_messageWindow.reset();
    m_messageEvent.reset();
    return initialized;
}

bool CDravikBase::RunConnected(HINSTANCE instance) {
    const ConnectionCloser connection(*this);
    if (!InitSimConnect())
        return false;
    m_running = true;
    if (!CreateMessageWindow(instance))
        return false;

    const bool initialized = OnInitialize();
    if (initialized)
        Loop();
    OnFinalize();
    return initialized;
}

bool CDravikBase::CreateMessageWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &CDravikBase::MessageWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kWindowClassName;
    // A class left registered by an earlier run is fine.
    RegisterClassExW(&windowClass);

    m_messageWindow.reset(CreateWindowExW(0, kWindowClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, instance, this));
    return IsWindow(m_messageWindow.get()) == TRUE;
}

void CDravikBase::DestroyMessageWindow(HWND window) noexcept {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
}

void CDravikBase::Loop() {
    for (;;) {
        HANDLE event = m_messageEvent.get();
        DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, kAllInput);
        if (result == WAIT_OBJECT_0) {
            if (!m_running)
                return;
            if (m_simConnect.IsLoaded() && m_simConnect.HasCallDispatch())
                m_simConnect.CallDispatch(&CDravikBase::DispatchCallback, this);
        } else if (result == WAIT_OBJECT_0 + 1) {
            PumpWindowMessages();
        }
    }
}

// WM_QUIT is dispatched like any other message: only the simulator's quit ends the loop.
void CDravikBase::PumpWindowMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void CALLBACK CDravikBase::DispatchCallback(Recv* message, DWORD size, void* context) noexcept {
    if (message && context)
        (void)CallNoThrow([&] { static_cast<CDravikBase*>(context)->Dispatch(message, size); });
}

void CDravikBase::Dispatch(const Recv* message, DWORD size) {
    if (size < sizeof(Recv))
        return;
    switch (message->dwID) {
    case RecvIdQuit:
        m_running = false;
        SetEvent(m_messageEvent.get());
        break;
    case RecvIdEvent:
        if (size >= sizeof(RecvEvent))
            OnSystemEvent(reinterpret_cast<const RecvEvent*>(message)->uEventID);
        break;
    case RecvIdSimObjectData:
        if (size >= kObjectDataHeaderSize) {
            const auto* data = reinterpret_cast<const RecvSimObjectData*>(message);
            OnSimObjectData(data->dwRequestID,
                            reinterpret_cast<const BYTE*>(message) + kObjectDataHeaderSize,
                            size - kObjectDataHeaderSize);
        }
        break;
    default:
        break;
    }
}

void CDravikBase::OnSystemEvent(DWORD clientEventId) {
    switch (clientEventId) {
    case EventSimStart:
    case EventUnpaused:
        OnSimStart();
        break;
    case EventSimStop:
    case EventPaused:
        OnSimStop();
        break;
    default: // client events mapped by pages and panels
        break;
    }
}

LRESULT CALLBACK CDravikBase::MessageWindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) noexcept {
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (create && create->lpCreateParams)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    auto* self = reinterpret_cast<CDravikBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT handled = 0;
    if (self)
        (void)CallNoThrow([&] { handled = self->OnWindowMessage(message, wParam, lParam); });
    if (handled != 0)
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

bool CDravikBase::InitSimConnect() {
    HRESULT hr = m_simConnect.Open(kClientName, nullptr, 0, m_messageEvent.get(), 0);
    TraceResult(hr, L"CDravikBase::InitSimConnect - SimConnect_Open");
    if (FAILED(hr))
        return false;
    m_connected = true;

    struct Subscription {
        DWORD id;
        const char* name;
        const wchar_t* label;
    };
    static constexpr Subscription kSubscriptions[] = {
        {EventSimStart, "SimStart",
         L"CDravikBase::InitSimConnect - SimConnect_SubscribeToSystemEvent(Start)"},
        {EventSimStop, "SimStop",
         L"CDravikBase::InitSimConnect - SimConnect_SubscribeToSystemEvent(Stop)"},
        {EventPaused, "Paused",
         L"CDravikBase::InitSimConnect - SimConnect_SubscribeToSystemEvent(Paused)"},
        {EventUnpaused, "Unpaused",
         L"CDravikBase::InitSimConnect - SimConnect_SubscribeToSystemEvent(Unpaused)"},
    };
    for (const Subscription& subscription : kSubscriptions) {
        hr = m_simConnect.SubscribeToSystemEvent(subscription.id, subscription.name);
        TraceResult(hr, subscription.label);
        if (FAILED(hr))
            return false;
    }
    return true;
}

void CDravikBase::CleanupSimConnect() {
    m_connected = false;
    TraceResult(m_simConnect.Close(), L"CDravikBase::CleanupSimConnect - SimConnect_Close");
}
