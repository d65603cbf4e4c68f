#include "standins/simconnect/Simulator.h"

#include "standins/simconnect/EventEffects.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace {

// The simulator names the one connection with this value; callers only pass it back.
const HANDLE kConnectionHandle = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x5C0001));
constexpr DWORD kMessageVersion = 4;
constexpr DWORD kUnknownGroup = 0xFFFFFFFF;
constexpr DWORD kPeriodNever = 0;
constexpr DWORD kPeriodOnce = 1;

struct DefaultValue {
    const char* name;
    const char* units;
    double value;
};

// The aircraft after a reset: radios tuned, transponder on 1200, electrical power on.
const DefaultValue kDefaultAircraft[] = {
    {"COM ACTIVE FREQUENCY:1", "MHz", 118.5},
    {"COM STANDBY FREQUENCY:1", "MHz", 119.25},
    {"COM ACTIVE FREQUENCY:2", "MHz", 122.8},
    {"COM STANDBY FREQUENCY:2", "MHz", 124.35},
    {"NAV ACTIVE FREQUENCY:1", "MHz", 110.3},
    {"NAV STANDBY FREQUENCY:1", "MHz", 113.9},
    {"NAV ACTIVE FREQUENCY:2", "MHz", 108.9},
    {"NAV STANDBY FREQUENCY:2", "MHz", 115.7},
    {"ADF ACTIVE FREQUENCY:1", "kHz", 344.1},
    {"ADF STANDBY FREQUENCY:1", "kHz", 350.0},
    {"TRANSPONDER CODE:1", "number", 1200},
    {"NAV OBS:1", "degrees", 90},
    {"NAV OBS:2", "degrees", 180},
    {"AUTOPILOT HEADING LOCK DIR", "degrees", 270},
    {"AUTOPILOT ALTITUDE LOCK VAR", "feet", 3000},
    {"AUTOPILOT VERTICAL HOLD VAR", "feet/minute", 0},
    {"AUTOPILOT AIRSPEED HOLD VAR", "knots", 120},
    {"ELECTRICAL MASTER BATTERY", "Bool", 1},
    {"GENERAL ENG MASTER ALTERNATOR:1", "Bool", 1},
    {"AVIONICS MASTER SWITCH", "Bool", 1},
    {"IS GEAR RETRACTABLE", "Bool", 1},
    {"GEAR HANDLE POSITION", "Bool", 1},
    {"GEAR CENTER POSITION", "percent over 100", 1},
    {"GEAR LEFT POSITION", "percent over 100", 1},
    {"GEAR RIGHT POSITION", "percent over 100", 1},
};

const char* DataTypeName(DWORD type) {
    switch (type) {
    case simconnect::DataTypeInt32:
        return "INT32";
    case simconnect::DataTypeInt64:
        return "INT64";
    case simconnect::DataTypeFloat32:
        return "FLOAT32";
    case simconnect::DataTypeFloat64:
        return "FLOAT64";
    default:
        return "unsupported";
    }
}

template <typename Integer> Integer ToInteger(double value) {
    if (std::isnan(value))
        return 0;
    const double truncated = std::trunc(value);
    if (truncated <= static_cast<double>(std::numeric_limits<Integer>::min()))
        return std::numeric_limits<Integer>::min();
    if (truncated >= static_cast<double>(std::numeric_limits<Integer>::max()))
        return std::numeric_limits<Integer>::max();
    return static_cast<Integer>(truncated);
}

template <typename T> void Append(std::vector<BYTE>& block, T value) {
    const size_t at = block.size();
    block.resize(at + sizeof(value));
    std::memcpy(block.data() + at, &value, sizeof(value));
}

const char* OrEmpty(const char* text) {
    return text ? text : "";
}

} // namespace

CSimulator& CSimulator::Instance() {
    static CSimulator simulator;
    return simulator;
}

CSimulator::CSimulator() {
    LoadDefaultAircraft();
}

CSimulator::~CSimulator() = default;

void CSimulator::LoadDefaultAircraft() {
    m_variables.Clear();
    for (const DefaultValue& entry : kDefaultAircraft)
        m_variables.Set(entry.name, entry.units, entry.value);
}

void CSimulator::Counted(standin::CallKind kind) {
    m_record.Count(kind);
    if (kind < standin::MessagesQueued)
        ++m_packetId;
    m_counted.notify_all();
}

void CSimulator::Queue(Message message) {
    m_queue.push_back(std::move(message));
    Counted(standin::MessagesQueued);
    if (m_clientEvent)
        ::SetEvent(m_clientEvent.get());
}

void CSimulator::QueueHeaderOnly(DWORD messageId) {
    simconnect::Recv header{sizeof(header), kMessageVersion, messageId};
    Message message(sizeof(header));
    std::memcpy(message.data(), &header, sizeof(header));
    Queue(std::move(message));
}

std::vector<BYTE> CSimulator::BuildBlock(const std::vector<DefinedDatum>& datums) const {
    std::vector<BYTE> block;
    for (const DefinedDatum& datum : datums) {
        const double value = m_variables.GetOrZero(datum.name, datum.units);
        switch (datum.type) {
        case simconnect::DataTypeInt32:
            Append(block, ToInteger<int32_t>(value));
            break;
        case simconnect::DataTypeInt64:
            Append(block, ToInteger<int64_t>(value));
            break;
        case simconnect::DataTypeFloat32:
            Append(block, static_cast<float>(value));
            break;
        default:
            Append(block, value);
            break;
        }
    }
    return block;
}

// One simulation frame: every request whose block is due queues an object-data message.
void CSimulator::RunFrame() {
    for (auto it = m_requests.begin(); it != m_requests.end();) {
        ActiveRequest& request = it->second;
        const auto definition = m_definitions.find(request.defineId);
        if (definition == m_definitions.end() || definition->second.empty()) {
            ++it;
            continue;
        }
        std::vector<BYTE> block = BuildBlock(definition->second);
        const bool changedOnly = (request.flags & simconnect::kDataRequestFlagChanged) != 0;
        if (changedOnly && request.sent && block == request.lastBlock) {
            ++it;
            continue;
        }
        simconnect::RecvSimObjectData header{};
        header.header = {static_cast<DWORD>(simconnect::kObjectDataHeaderSize + block.size()),
                         kMessageVersion, simconnect::RecvIdSimObjectData};
        header.dwRequestID = it->first;
        header.dwObjectID = simconnect::kObjectIdUser;
        header.dwDefineID = request.defineId;
        header.dwentrynumber = 1;
        header.dwoutof = 1;
        header.dwDefineCount = static_cast<DWORD>(definition->second.size());
        Message message(simconnect::kObjectDataHeaderSize + block.size());
        std::memcpy(message.data(), &header, simconnect::kObjectDataHeaderSize);
        std::memcpy(message.data() + simconnect::kObjectDataHeaderSize, block.data(), block.size());
        Queue(std::move(message));
        Counted(standin::ObjectDataSent);
        m_log.Write("object data for request %lu (definition %lu, %u bytes)",
                    static_cast<unsigned long>(it->first),
                    static_cast<unsigned long>(request.defineId),
                    static_cast<unsigned>(block.size()));
        request.sent = true;
        request.lastBlock = std::move(block);
        if (request.period == kPeriodOnce)
            it = m_requests.erase(it);
        else
            ++it;
    }
}

std::unique_ptr<CScenarioRunner> CSimulator::Disconnect() {
    m_connected = false;
    m_clientEvent.reset();
    m_queue.clear();
    m_requests.clear();
    return std::move(m_scenario);
}

HRESULT CSimulator::Open(HANDLE* connection, const char* name, HANDLE eventHandle) {
    m_log.OpenFromEnvironment(L"DRAVIK_SIM_LOG");
    std::unique_ptr<CScenarioRunner> previous;
    {
        Lock hold(m_lock);
        Counted(standin::CallOpen);
        if (!connection)
            return E_POINTER;
        if (FAILED(m_openFailure)) {
            m_log.Write("SimConnect_Open(\"%s\") refused: 0x%08lX", OrEmpty(name),
                        static_cast<unsigned long>(m_openFailure));
            return m_openFailure;
        }
        previous = Disconnect();
        HANDLE duplicate = nullptr;
        if (eventHandle &&
            !::DuplicateHandle(::GetCurrentProcess(), eventHandle, ::GetCurrentProcess(),
                               &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS))
            return E_HANDLE;
        m_clientEvent.reset(duplicate);
        m_connected = true;
        *connection = kConnectionHandle;
        m_log.Write("SimConnect_Open(\"%s\"): connected", OrEmpty(name));
        QueueHeaderOnly(simconnect::RecvIdOpen);
    }
    previous.reset();
    std::unique_ptr<CScenarioRunner> scenario = StartScenario();
    Lock hold(m_lock);
    m_scenario = std::move(scenario);
    return S_OK;
}

std::unique_ptr<CScenarioRunner> CSimulator::StartScenario() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"DRAVIK_SIM_SCENARIO", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::vector<std::string> errors;
    std::vector<ScenarioStep> steps = LoadScenario(path, errors);
    for (const std::string& error : errors)
        m_log.Write("%s", error.c_str());
    m_log.Write("scenario: %u steps", static_cast<unsigned>(steps.size()));
    auto runner = std::make_unique<CScenarioRunner>();
    if (!runner->Start(*this, std::move(steps))) {
        m_log.Write("scenario: the timer thread cannot be started");
        return nullptr;
    }
    return runner;
}

HRESULT CSimulator::Close() {
    std::unique_ptr<CScenarioRunner> scenario;
    {
        Lock hold(m_lock);
        Counted(standin::CallClose);
        m_log.Write("SimConnect_Close");
        scenario = Disconnect();
    }
    return S_OK;
}

HRESULT CSimulator::CallDispatch(simconnect::DispatchProc dispatch, void* context) {
    std::deque<Message> batch;
    {
        Lock hold(m_lock);
        Counted(standin::CallCallDispatch);
        if (!dispatch)
            return E_POINTER;
        batch.swap(m_queue);
    }
    while (!batch.empty()) {
        Message message = std::move(batch.front());
        batch.pop_front();
        auto* header = reinterpret_cast<simconnect::Recv*>(message.data());
        const bool quit = header->dwID == simconnect::RecvIdQuit;
        dispatch(header, static_cast<DWORD>(message.size()), context);
        Lock hold(m_lock);
        Counted(standin::MessagesDispatched);
        if (quit)
            break; // the connection's last message: what follows stays queued
    }
    Lock hold(m_lock);
    m_queue.insert(m_queue.begin(), std::make_move_iterator(batch.begin()),
                   std::make_move_iterator(batch.end()));
    if (!m_queue.empty() && m_clientEvent)
        ::SetEvent(m_clientEvent.get());
    return S_OK;
}

HRESULT CSimulator::MapClientEventToSimEvent(DWORD eventId, const char* eventName) {
    Lock hold(m_lock);
    Counted(standin::CallMapClientEvent);
    if (!eventName)
        return E_POINTER;
    if (m_failedMappings.count(eventName)) {
        m_log.Write("MapClientEventToSimEvent(%lu, %s) refused",
                    static_cast<unsigned long>(eventId), eventName);
        return standin::kInjectedFailure;
    }
    m_eventNames[eventId] = eventName;
    m_eventIds[eventName] = eventId;
    m_log.Write("MapClientEventToSimEvent(%lu, %s)", static_cast<unsigned long>(eventId),
                eventName);
    return S_OK;
}

HRESULT CSimulator::TransmitClientEvent(DWORD objectId, DWORD eventId, DWORD data, DWORD groupId,
                                        DWORD flags) {
    Lock hold(m_lock);
    const auto found = m_eventNames.find(eventId);
    const std::string name = found == m_eventNames.end() ? std::string() : found->second;
    m_record.AddTransmission(objectId, eventId, name, data, groupId, flags);
    std::string changes;
    if (!name.empty() && ApplyEventEffect(m_variables, name, data, changes))
        RunFrame();
    m_log.Write("TransmitClientEvent(%s, id %lu, data %lu) %s",
                name.empty() ? "<unmapped>" : name.c_str(), static_cast<unsigned long>(eventId),
                static_cast<unsigned long>(data), changes.empty() ? "no effect" : changes.c_str());
    Counted(standin::CallTransmitClientEvent);
    return S_OK;
}

HRESULT CSimulator::AddClientEventToNotificationGroup(DWORD, DWORD, BOOL) {
    Lock hold(m_lock);
    Counted(standin::CallAddToNotificationGroup);
    return m_groupFailure;
}

HRESULT CSimulator::SetNotificationGroupPriority(DWORD, DWORD) {
    Lock hold(m_lock);
    Counted(standin::CallSetGroupPriority);
    return S_OK;
}

HRESULT CSimulator::AddToDataDefinition(DWORD defineId, const char* datumName,
                                        const char* unitsName, DWORD datumType, float epsilon,
                                        DWORD datumId) {
    Lock hold(m_lock);
    HRESULT result = S_OK;
    if (!datumName || !unitsName)
        result = E_POINTER;
    else if (datumType < simconnect::DataTypeInt32 || datumType > simconnect::DataTypeFloat64)
        result = E_INVALIDARG;
    else if (m_failedDatums.count(datumName))
        result = standin::kInjectedFailure;
    m_record.AddDatum(defineId, datumName, unitsName, datumType, epsilon, datumId, result);
    m_log.Write("AddToDataDefinition(%lu, %s, %s, %s) -> 0x%08lX",
                static_cast<unsigned long>(defineId), OrEmpty(datumName), OrEmpty(unitsName),
                DataTypeName(datumType), static_cast<unsigned long>(result));
    if (SUCCEEDED(result)) {
        m_definitions[defineId].push_back({datumName, unitsName, datumType});
        RunFrame();
    }
    Counted(standin::CallAddToDataDefinition);
    return result;
}

HRESULT CSimulator::RequestDataOnSimObject(const standin::Request& request) {
    Lock hold(m_lock);
    m_record.AddRequest(request);
    m_log.Write(
        "RequestDataOnSimObject(request %lu, definition %lu, period %lu, flags %lu)",
        static_cast<unsigned long>(request.requestId), static_cast<unsigned long>(request.defineId),
        static_cast<unsigned long>(request.period), static_cast<unsigned long>(request.flags));
    if (request.period == kPeriodNever) {
        m_requests.erase(request.requestId);
    } else {
        m_requests[request.requestId] = {
            request.defineId, request.period, request.flags, false, {}};
        RunFrame();
    }
    Counted(standin::CallRequestData);
    return S_OK;
}

HRESULT CSimulator::RequestDataOnSimObjectType(DWORD, DWORD, DWORD, DWORD) {
    Lock hold(m_lock);
    Counted(standin::CallRequestDataByType);
    return S_OK;
}

HRESULT CSimulator::SubscribeToSystemEvent(DWORD eventId, const char* systemEventName) {
    Lock hold(m_lock);
    Counted(standin::CallSubscribe);
    if (!systemEventName)
        return E_POINTER;
    m_subscriptions[systemEventName] = eventId;
    m_log.Write("SubscribeToSystemEvent(%lu, %s)", static_cast<unsigned long>(eventId),
                systemEventName);
    return S_OK;
}

HRESULT CSimulator::UnsubscribeFromSystemEvent(DWORD eventId) {
    Lock hold(m_lock);
    Counted(standin::CallUnsubscribe);
    std::erase_if(m_subscriptions,
                  [eventId](const auto& entry) { return entry.second == eventId; });
    return S_OK;
}

HRESULT CSimulator::RequestSystemState(DWORD, const char*) {
    Lock hold(m_lock);
    Counted(standin::CallRequestSystemState);
    return S_OK;
}

HRESULT CSimulator::GetLastSentPacketID(DWORD* packetId) {
    Lock hold(m_lock);
    Counted(standin::CallGetLastSentPacketId);
    if (!packetId)
        return E_POINTER;
    *packetId = m_packetId;
    return S_OK;
}

void CSimulator::Reset() {
    std::unique_ptr<CScenarioRunner> scenario;
    {
        Lock hold(m_lock);
        scenario = Disconnect();
        LoadDefaultAircraft();
        m_record.Clear();
        m_packetId = 0;
        m_eventNames.clear();
        m_eventIds.clear();
        m_subscriptions.clear();
        m_definitions.clear();
        m_openFailure = S_OK;
        m_groupFailure = S_OK;
        m_failedMappings.clear();
        m_failedDatums.clear();
        m_counted.notify_all();
    }
}

void CSimulator::SetVariable(const char* name, const char* units, double value) {
    Lock hold(m_lock);
    m_variables.Set(OrEmpty(name), OrEmpty(units), value);
    m_log.Write("set %s = %g %s", OrEmpty(name), value, OrEmpty(units));
    RunFrame();
}

bool CSimulator::GetVariable(const char* name, const char* units, double& value) {
    Lock hold(m_lock);
    const std::optional<double> found = m_variables.Get(OrEmpty(name), OrEmpty(units));
    if (found)
        value = *found;
    return found.has_value();
}

bool CSimulator::ApplyEvent(const char* eventName, DWORD data) {
    Lock hold(m_lock);
    std::string changes;
    const bool known = ApplyEventEffect(m_variables, OrEmpty(eventName), data, changes);
    m_log.Write("event %s (data %lu): %s", OrEmpty(eventName), static_cast<unsigned long>(data),
                known ? changes.c_str() : "no effect known");
    if (known)
        RunFrame();
    return known;
}

bool CSimulator::RaiseSystemEvent(const char* systemEventName) {
    Lock hold(m_lock);
    const auto found = m_subscriptions.find(OrEmpty(systemEventName));
    if (found == m_subscriptions.end()) {
        m_log.Write("system event %s: nobody subscribed", OrEmpty(systemEventName));
        return false;
    }
    simconnect::RecvEvent event{};
    event.header = {sizeof(event), kMessageVersion, simconnect::RecvIdEvent};
    event.uGroupID = kUnknownGroup;
    event.uEventID = found->second;
    Message message(sizeof(event));
    std::memcpy(message.data(), &event, sizeof(event));
    Queue(std::move(message));
    m_log.Write("system event %s (client event %lu)", found->first.c_str(),
                static_cast<unsigned long>(found->second));
    return true;
}

void CSimulator::Quit() {
    Lock hold(m_lock);
    QueueHeaderOnly(simconnect::RecvIdQuit);
    m_log.Write("quit");
}

bool CSimulator::IsConnected() {
    Lock hold(m_lock);
    return m_connected;
}

void CSimulator::FailOpen(HRESULT result) {
    Lock hold(m_lock);
    m_openFailure = result;
}

void CSimulator::FailMapping(const char* eventName) {
    Lock hold(m_lock);
    m_failedMappings.insert(OrEmpty(eventName));
}

void CSimulator::FailDatum(const char* datumName) {
    Lock hold(m_lock);
    m_failedDatums.insert(OrEmpty(datumName));
}

void CSimulator::FailNotificationGroup(HRESULT result) {
    Lock hold(m_lock);
    m_groupFailure = result;
}

DWORD CSimulator::GetCount(standin::CallKind kind) {
    Lock hold(m_lock);
    return m_record.CountOf(kind);
}

bool CSimulator::WaitForCount(standin::CallKind kind, DWORD count, DWORD timeoutMs) {
    Lock hold(m_lock);
    return m_counted.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_record.CountOf(kind) >= count; });
}

DWORD CSimulator::GetMappedEventId(const char* eventName) {
    Lock hold(m_lock);
    const auto found = m_eventIds.find(OrEmpty(eventName));
    return found == m_eventIds.end() ? 0 : found->second;
}

DWORD CSimulator::GetSubscribedEventId(const char* systemEventName) {
    Lock hold(m_lock);
    const auto found = m_subscriptions.find(OrEmpty(systemEventName));
    return found == m_subscriptions.end() ? 0 : found->second;
}

bool CSimulator::GetTransmission(DWORD index, standin::Transmission& out) {
    Lock hold(m_lock);
    return m_record.GetTransmission(index, out);
}

bool CSimulator::GetDatum(DWORD index, standin::Datum& out) {
    Lock hold(m_lock);
    return m_record.GetDatum(index, out);
}

bool CSimulator::GetRequest(DWORD index, standin::Request& out) {
    Lock hold(m_lock);
    return m_record.GetRequest(index, out);
}

void CSimulator::RunStep(const ScenarioStep& step) {
    m_log.Write("scenario line %u: %s", step.line, step.text.c_str());
    switch (step.command) {
    case ScenarioCommand::Start:
        RaiseSystemEvent("SimStart");
        break;
    case ScenarioCommand::Stop:
        RaiseSystemEvent("SimStop");
        break;
    case ScenarioCommand::Pause:
        RaiseSystemEvent("Paused");
        break;
    case ScenarioCommand::Resume:
        RaiseSystemEvent("Unpaused");
        break;
    case ScenarioCommand::Quit:
        Quit();
        break;
    case ScenarioCommand::Set:
        SetVariable(step.name.c_str(), step.units.c_str(), step.value);
        break;
    case ScenarioCommand::Event:
        ApplyEvent(step.name.c_str(), step.data);
        break;
    case ScenarioCommand::Log:
        break;
    case ScenarioCommand::WaitFile:
        m_log.Write("scenario: %s %s", step.name.c_str(),
                    ::GetFileAttributesA(step.name.c_str()) != INVALID_FILE_ATTRIBUTES
                        ? "is there"
                        : "did not appear in time");
        break;
    }
}
