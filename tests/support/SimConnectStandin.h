#pragma once
// Test-side handle on the stand-in simulator library ("SimConnect_x86.dll" in the output
// folder). Constructing it loads the library (the same module Dravik's binding loads by plain
// name) and binds its control exports; the test then plays the simulator:
//
//   CSimConnectStandin sim;                          // resets the simulated aircraft
//   sim.SetVariable("COM ACTIVE FREQUENCY:1", "MHz", 118.5);
//   ASSERT_TRUE(sim.WaitForCount(standin::CallSubscribe, 4)); // Dravik has subscribed
//   sim.RaiseSystemEvent("SimStart");                // pages request their data
//   ASSERT_TRUE(sim.WaitForTransmissions(1));
//   EXPECT_EQ(sim.Transmissions()[0].eventName, "COM_RADIO_WHOLE_INC");
//   sim.Quit();                                      // ends Dravik's main loop
//
// The library holds one simulator per process: make this object (it resets that simulator)
// before the client under test opens its connection, and keep it for the test's length.
// Variables are keyed by name (case ignored) and convertible units: a frequency set in "MHz"
// reads back in "Frequency BCD16", an angle set in "degrees" in "radians". Every change runs a
// simulation frame: data requests whose block changed queue an object-data message at once.

#include "standins/simconnect/StandinControl.h"

#include "common/UniqueHandle.h"

#include <optional>
#include <string>
#include <vector>

class CSimConnectStandin {
public:
    struct Transmission {
        DWORD objectId;
        DWORD eventId;
        std::string eventName; // empty when the id was never mapped
        DWORD data;
        DWORD groupId;
        DWORD flags;
    };

    // Loads and binds the library and resets it (reset = true) so each test starts clean.
    explicit CSimConnectStandin(bool reset = true);
    CSimConnectStandin(const CSimConnectStandin&) = delete;
    CSimConnectStandin& operator=(const CSimConnectStandin&) = delete;

    // False when the library or one of its control exports is missing.
    bool IsLoaded() const { return m_loaded; }

    // Back to the start state: default aircraft, empty record and queue, no injections, no
    // connection (a running scenario is stopped).
    void Reset();

    // The aircraft. SetVariable runs a frame; GetVariable is empty for a variable never set
    // or asked in units of another kind.
    void SetVariable(const std::string& name, const std::string& units, double value);
    std::optional<double> GetVariable(const std::string& name, const std::string& units) const;
    // Applies a simulator event's effect as the simulator's own cockpit would, without
    // recording a transmission; false when the stand-in knows no effect for it.
    bool ApplyEvent(const std::string& eventName, DWORD data = 0);

    // Messages to the client, queued and announced through the event handle given to
    // SimConnect_Open. RaiseSystemEvent is false when nobody subscribed to the name
    // ("SimStart", "SimStop", "Paused", "Unpaused").
    bool RaiseSystemEvent(const std::string& systemEventName);
    void Quit();
    bool IsConnected() const;

    // Failure injection (all cleared by Reset). FailOpen(S_OK) and
    // FailNotificationGroup(S_OK) clear theirs; the named failures accumulate and return
    // standin::kInjectedFailure (E_FAIL) for every call with that name.
    void FailOpen(HRESULT result);
    void FailMapping(const std::string& eventName);
    void FailDatum(const std::string& datumName);
    void FailNotificationGroup(HRESULT result);

    // The record.
    DWORD Count(standin::CallKind kind) const;
    DWORD MappedEventId(const std::string& eventName) const;           // 0 when not mapped
    DWORD SubscribedEventId(const std::string& systemEventName) const; // 0 when not subscribed
    std::vector<Transmission> Transmissions() const;
    std::vector<standin::Datum> Datums() const;
    std::vector<standin::Request> Requests() const;

    // Bounded waits (no polling) for calls made on other threads.
    bool WaitForCount(standin::CallKind kind, DWORD count, DWORD timeoutMs = 5000) const;
    bool WaitForTransmissions(DWORD count, DWORD timeoutMs = 5000) const;

private:
    template <typename Fn> void Bind(Fn& entry, const char* name);

    UniqueModule m_module;
    bool m_loaded = false;
    standin::PFN_Reset m_reset = nullptr;
    standin::PFN_SetVariable m_setVariable = nullptr;
    standin::PFN_GetVariable m_getVariable = nullptr;
    standin::PFN_ApplyEvent m_applyEvent = nullptr;
    standin::PFN_RaiseSystemEvent m_raiseSystemEvent = nullptr;
    standin::PFN_Quit m_quit = nullptr;
    standin::PFN_IsConnected m_isConnected = nullptr;
    standin::PFN_FailOpen m_failOpen = nullptr;
    standin::PFN_FailMapping m_failMapping = nullptr;
    standin::PFN_FailDatum m_failDatum = nullptr;
    standin::PFN_FailNotificationGroup m_failNotificationGroup = nullptr;
    standin::PFN_GetCount m_getCount = nullptr;
    standin::PFN_WaitForCount m_waitForCount = nullptr;
    standin::PFN_GetMappedEventId m_getMappedEventId = nullptr;
    standin::PFN_GetSubscribedEventId m_getSubscribedEventId = nullptr;
    standin::PFN_GetTransmission m_getTransmission = nullptr;
    standin::PFN_GetDatum m_getDatum = nullptr;
    standin::PFN_GetRequest m_getRequest = nullptr;
};
