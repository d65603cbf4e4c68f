#pragma once
// The simulated aircraft and the one connection a client opens to it. Every entry point and
// every control export lands here; one lock guards all state, because pages and panels call
// from their own threads while the client's main thread dispatches. The client's dispatch
// procedure is always called without the lock, so it may call back in.

#include "app/simconnect/SimConnectApi.h"
#include "standins/simconnect/CallRecord.h"
#include "standins/simconnect/ScenarioRunner.h"
#include "standins/simconnect/SimLog.h"
#include "standins/simconnect/StandinControl.h"
#include "standins/simconnect/VariableStore.h"

#include "common/StringCompare.h"
#include "common/UniqueHandle.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class CSimulator : public IScenarioTarget {
public:
    static CSimulator& Instance();

    CSimulator();
    ~CSimulator() override;
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    // Entry points (the connection handle is not examined: there is one simulator).
    HRESULT Open(HANDLE* connection, const char* name, HANDLE eventHandle);
    HRESULT Close();
    HRESULT CallDispatch(simconnect::DispatchProc dispatch, void* context);
    HRESULT MapClientEventToSimEvent(DWORD eventId, const char* eventName);
    HRESULT TransmitClientEvent(DWORD objectId, DWORD eventId, DWORD data, DWORD groupId,
                                DWORD flags);
    HRESULT AddClientEventToNotificationGroup(DWORD groupId, DWORD eventId, BOOL maskable);
    HRESULT SetNotificationGroupPriority(DWORD groupId, DWORD priority);
    HRESULT AddToDataDefinition(DWORD defineId, const char* datumName, const char* unitsName,
                                DWORD datumType, float epsilon, DWORD datumId);
    HRESULT RequestDataOnSimObject(const standin::Request& request);
    HRESULT RequestDataOnSimObjectType(DWORD requestId, DWORD defineId, DWORD radius, DWORD type);
    HRESULT SubscribeToSystemEvent(DWORD eventId, const char* systemEventName);
    HRESULT UnsubscribeFromSystemEvent(DWORD eventId);
    HRESULT RequestSystemState(DWORD requestId, const char* state);
    HRESULT GetLastSentPacketID(DWORD* packetId);

    // Control.
    void Reset();
    void SetVariable(const char* name, const char* units, double value);
    bool GetVariable(const char* name, const char* units, double& value);
    bool ApplyEvent(const char* eventName, DWORD data);
    bool RaiseSystemEvent(const char* systemEventName);
    void Quit();
    bool IsConnected();
    void FailOpen(HRESULT result);
    void FailMapping(const char* eventName);
    void FailDatum(const char* datumName);
    void FailNotificationGroup(HRESULT result);
    DWORD GetCount(standin::CallKind kind);
    bool WaitForCount(standin::CallKind kind, DWORD count, DWORD timeoutMs);
    DWORD GetMappedEventId(const char* eventName);
    DWORD GetSubscribedEventId(const char* systemEventName);
    bool GetTransmission(DWORD index, standin::Transmission& out);
    bool GetDatum(DWORD index, standin::Datum& out);
    bool GetRequest(DWORD index, standin::Request& out);

    void RunStep(const ScenarioStep& step) override;

private:
    struct DefinedDatum {
        std::string name;
        std::string units;
        DWORD type;
    };
    struct ActiveRequest {
        DWORD defineId;
        DWORD period;
        DWORD flags;
        bool sent;
        std::vector<BYTE> lastBlock;
    };
    using Message = std::vector<BYTE>;
    using Lock = std::unique_lock<std::mutex>;

    // All with the lock held.
    void Counted(standin::CallKind kind);
    void Queue(Message message);
    void QueueHeaderOnly(DWORD messageId);
    void RunFrame();
    std::vector<BYTE> BuildBlock(const std::vector<DefinedDatum>& datums) const;
    void LoadDefaultAircraft();
    std::unique_ptr<CScenarioRunner> StartScenario();
    std::unique_ptr<CScenarioRunner> Disconnect();

    std::mutex m_lock;
    std::condition_variable m_counted;
    CSimLog m_log;
    CVariableStore m_variables;
    CCallRecord m_record;

    bool m_connected = false;
    UniqueHandle m_clientEvent; // our duplicate of the client's event handle
    std::deque<Message> m_queue;
    DWORD m_packetId = 0;

    std::map<DWORD, std::string> m_eventNames;                 // client event id -> name
    std::map<std::string, DWORD, LessNoCaseA> m_eventIds;      // name -> client event id
    std::map<std::string, DWORD, LessNoCaseA> m_subscriptions; // system event -> client id
    std::map<DWORD, std::vector<DefinedDatum>> m_definitions;
    std::map<DWORD, ActiveRequest> m_requests;

    HRESULT m_openFailure = S_OK;
    HRESULT m_groupFailure = S_OK;
    std::set<std::string, LessNoCaseA> m_failedMappings;
    std::set<std::string, LessNoCaseA> m_failedDatums;

    std::unique_ptr<CScenarioRunner> m_scenario;
};
