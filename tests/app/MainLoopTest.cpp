#include "app/core/DravikBase.h"
#include "tests/app/StandinSession.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using WStrings = std::vector<std::wstring>;

constexpr UINT_PTR kTimerId = 1;
constexpr DWORD kRequestId = 9;

const WStrings kConnectLines = {
    L"  CDravikBase::InitSimConnect - SimConnect_Open returned 00000000\n",
    L"  CDravikBase::InitSimConnect - SimConnect_SubscribeToSystemEvent(Start) returned "
    L"00000000\n",
    L"  CDravikBase::InitSimConnect - SimConnect_SubscribeToSystemEvent(Stop) returned "
    L"00000000\n",
    L"  CDravikBase::InitSimConnect - SimConnect_SubscribeToSystemEvent(Paused) returned "
    L"00000000\n",
    L"  CDravikBase::InitSimConnect - SimConnect_SubscribeToSystemEvent(Unpaused) returned "
    L"00000000\n"};
const std::wstring kCloseLine =
    L"  CDravikBase::CleanupSimConnect - SimConnect_Close returned 00000000\n";

// Plays one simulator session from inside the loop and records the virtual calls.
class CScriptedBase : public CDravikBase {
public:
    enum class Script { Lifecycle, ObjectData, FailInitialize };

    CScriptedBase(CSimConnectStandin& sim, Script script) : m_sim(sim), m_script(script) {}

    Strings calls;
    std::vector<double> received;

protected:
    bool OnInitialize() override {
        calls.push_back("OnInitialize");
        switch (m_script) {
        case Script::Lifecycle:
            for (const char* event : {"SimStart", "Paused", "Unpaused", "SimStop"})
                EXPECT_TRUE(m_sim.RaiseSystemEvent(event)) << event;
            return true;
        case Script::ObjectData:
            RequestFrequency();
            m_sim.SetVariable("COM ACTIVE FREQUENCY:1", "MHz", 121.5);
            return true;
        case Script::FailInitialize:
            return false;
        }
        return false;
    }
    void OnFinalize() override { calls.push_back("OnFinalize"); }
    void OnSimStart() override { calls.push_back("OnSimStart"); }
    // The last simulator event of the lifecycle hands over to the window's messages.
    void OnSimStop() override {
        calls.push_back("OnSimStop");
        if (calls.size() == 5)
            PostMessageW(MessageWindow(), WM_APP, 0, 0);
    }
    void OnSimObjectData(DWORD requestId, const void* data, DWORD size) override {
        EXPECT_EQ(requestId, kRequestId);
        ASSERT_EQ(size, sizeof(double));
        double value;
        memcpy(&value, data, sizeof(value));
        received.push_back(value);
        if (value == 121.5)
            m_sim.Quit();
    }
    LRESULT OnWindowMessage(UINT message, WPARAM, LPARAM) override {
        if (message == WM_APP) {
            calls.push_back("WM_APP");
            // WM_QUIT comes before the timer: the loop must survive it.
            PostQuitMessage(0);
            SetTimer(MessageWindow(), kTimerId, 1, nullptr);
            return 1;
        }
        if (message == WM_TIMER) {
            KillTimer(MessageWindow(), kTimerId);
            calls.push_back("WM_TIMER");
            m_sim.Quit();
            // Queued after the quit: must never be dispatched.
            m_sim.RaiseSystemEvent("SimStart");
            return 1;
        }
        return 0;
    }

private:
    void RequestFrequency() {
        CSimConnectLibrary& simConnect = GetSimConnectLibrary();
        DWORD defineId = simConnect.NextDefineId();
        EXPECT_EQ(simConnect.AddToDefinition(defineId, "COM ACTIVE FREQUENCY:1", "MHz",
                                             simconnect::DataTypeFloat64, 0.0f, 0),
                  S_OK);
        EXPECT_EQ(simConnect.RequestDataOnSimObject(kRequestId, defineId, 0, 3, 1, 0, 0, 0), S_OK);
    }

    CSimConnectStandin& m_sim;
    Script m_script;
};

// Stands in the place of the program's window class for one test: its windows refuse to be
// created.
class CRefusedWindowClass {
public:
    explicit CRefusedWindowClass(HINSTANCE instance) : m_instance(instance) {
        UnregisterClassW(CDravikBase::kWindowClassName, m_instance);
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &RefuseCreation;
        windowClass.hInstance = m_instance;
        windowClass.lpszClassName = CDravikBase::kWindowClassName;
        m_registered = RegisterClassExW(&windowClass) != 0;
    }
    ~CRefusedWindowClass() { UnregisterClassW(CDravikBase::kWindowClassName, m_instance); }
    CRefusedWindowClass(const CRefusedWindowClass&) = delete;
    CRefusedWindowClass& operator=(const CRefusedWindowClass&) = delete;

    bool IsRegistered() const { return m_registered; }

private:
    static LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
        if (message == WM_NCCREATE)
            return FALSE;
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HINSTANCE m_instance;
    bool m_registered = false;
};

} // namespace

TEST(MainLoop, SimulatorAndWindowMessagesBecomeVirtualCallsUntilQuit) {
    CStandinSession session;
    ASSERT_TRUE(session.Sim().IsLoaded());
    CTraceCapture capture;
    CScriptedBase application(session.Sim(), CScriptedBase::Script::Lifecycle);

    EXPECT_TRUE(application.Run(GetModuleHandleW(nullptr)));

    EXPECT_EQ(application.calls, (Strings{"OnInitialize", "OnSimStart", "OnSimStop", "OnSimStart",
                                          "OnSimStop", "WM_APP", "WM_TIMER", "OnFinalize"}));
    WStrings expectedLines = kConnectLines;
    expectedLines.push_back(kCloseLine);
    EXPECT_EQ(capture.Lines(), expectedLines);
    EXPECT_EQ(session.Sim().SubscribedEventId("SimStart"), 1u);
    EXPECT_EQ(session.Sim().SubscribedEventId("SimStop"), 2u);
    EXPECT_EQ(session.Sim().SubscribedEventId("Paused"), 3u);
    EXPECT_EQ(session.Sim().SubscribedEventId("Unpaused"), 4u);
    EXPECT_EQ(session.Sim().Count(standin::CallClose), 1u);
    EXPECT_EQ(application.MessageWindow(), nullptr);
}

TEST(MainLoop, ObjectDataArrivesWithItsRequestIdAndBlock) {
    CStandinSession session;
    CScriptedBase application(session.Sim(), CScriptedBase::Script::ObjectData);

    EXPECT_TRUE(application.Run(GetModuleHandleW(nullptr)));
    ASSERT_FALSE(application.received.empty());
    EXPECT_EQ(application.received.back(), 121.5);
}

TEST(MainLoop, RefusedConnectionTracesOnlyTheOpenLine) {
    CStandinSession session;
    session.Sim().FailOpen(E_FAIL);
    CTraceCapture capture;
    CScriptedBase application(session.Sim(), CScriptedBase::Script::Lifecycle);

    EXPECT_FALSE(application.Run(GetModuleHandleW(nullptr)));
    EXPECT_TRUE(application.calls.empty());
    EXPECT_EQ(capture.Lines(),
              WStrings{L"  CDravikBase::InitSimConnect - SimConnect_Open returned 80004005\n"});
    EXPECT_EQ(session.Sim().Count(standin::CallSubscribe), 0u);
    EXPECT_EQ(session.Sim().Count(standin::CallClose), 0u);
}

TEST(MainLoop, FailedInitializeSkipsTheLoopButFinalizesAndCloses) {
    CStandinSession session;
    CTraceCapture capture;
    CScriptedBase application(session.Sim(), CScriptedBase::Script::FailInitialize);

    EXPECT_FALSE(application.Run(GetModuleHandleW(nullptr)));
    EXPECT_EQ(application.calls, (Strings{"OnInitialize", "OnFinalize"}));
    EXPECT_EQ(session.Sim().Count(standin::CallCallDispatch), 0u);
    EXPECT_EQ(session.Sim().Count(standin::CallClose), 1u);
    WStrings expectedLines = kConnectLines;
    expectedLines.push_back(kCloseLine);
    EXPECT_EQ(capture.Lines(), expectedLines);
}

TEST(MainLoop, RefusedWindowClosesTheConnectionWithoutInitializing) {
    CStandinSession session;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    CRefusedWindowClass refused(instance);
    ASSERT_TRUE(refused.IsRegistered());
    CTraceCapture capture;
    CScriptedBase application(session.Sim(), CScriptedBase::Script::Lifecycle);

    EXPECT_FALSE(application.Run(instance));
    EXPECT_TRUE(application.calls.empty());
    EXPECT_EQ(application.MessageWindow(), nullptr);
    EXPECT_EQ(session.Sim().Count(standin::CallClose), 1u);
    EXPECT_FALSE(session.Sim().IsConnected());
    WStrings expectedLines = kConnectLines;
    expectedLines.push_back(kCloseLine);
    EXPECT_EQ(capture.Lines(), expectedLines);
}
