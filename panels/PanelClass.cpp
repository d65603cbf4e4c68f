#include "panels/PanelClass.h"

#include "app/trace/Trace.h"
#include "panels/PanelIds.h"

#include "common/UniqueHandle.h"

#include <cstring>

namespace {

// "NoTransmit" is the unnamed value of the subkey of that name: when it fits in four bytes and
// they read as the integer 1, whatever the value's type, the panels transmit nothing.
bool ReadTransmitSetting() {
    UniqueRegistryKey panels;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Harmel\\Panels", 0, KEY_READ, panels.put()) !=
        ERROR_SUCCESS)
        return true;
    UniqueRegistryKey noTransmit;
    if (RegOpenKeyExW(panels.get(), L"NoTransmit", 0, KEY_QUERY_VALUE, noTransmit.put()) !=
        ERROR_SUCCESS)
        return true;
    INT32 value = 0;
    DWORD size = sizeof(value);
    const LONG result = RegQueryValueExW(noTransmit.get(), nullptr, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(&value), &size);
    return !(result == ERROR_SUCCESS && value == 1);
}

const PanelDatum kPowerDatums[] = {
    {"AVIONICS MASTER SWITCH", "Bool", simconnect::DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, AVIONICS MASTER SWITCH,...)"},
    {"ELECTRICAL MASTER BATTERY", "Bool", simconnect::DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, ELECTRICAL MASTER BATTERY,...)"},
    {"GENERAL ENG MASTER ALTERNATOR:1", "Bool", simconnect::DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG MASTER ALTERNATOR:1,...)"},
    {"GENERAL ENG MASTER ALTERNATOR:2", "Bool", simconnect::DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG MASTER ALTERNATOR:2,...)"},
    {"GENERAL ENG MASTER ALTERNATOR:3", "Bool", simconnect::DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG MASTER ALTERNATOR:3,...)"},
    {"GENERAL ENG MASTER ALTERNATOR:4", "Bool", simconnect::DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, GENERAL ENG MASTER ALTERNATOR:4,...)"},
};

} // namespace

CPanelClass::CPanelClass(IHidDriver& hid, IPanelSimConnect& simConnect)
    : m_hid(hid), m_simConnect(simConnect), m_transmit(ReadTransmitSetting()) {}

bool CPanelClass::IsDeviceOfProduct(const wchar_t* path, USHORT productId) {
    HIDD_ATTRIBUTES attributes = {};
    return m_hid.ReadAttributes(path, attributes) && attributes.VendorID == kPanelVendorId &&
           attributes.ProductID == productId;
}

void CPanelClass::OnDeviceArrival(const wchar_t* path) {
    if (!IsPanelDevice(path))
        return;
    if (m_devices.find(path) != m_devices.end())
        return;
    auto device = std::make_unique<CPanelDevice>();
    if (device->Open(path, this))
        m_devices.emplace(path, std::move(device));
}

void CPanelClass::OnDeviceRemoval(const wchar_t* path) {
    auto found = m_devices.find(path);
    if (found == m_devices.end())
        return;
    // The record leaves the map only once it is closed.
    found->second.reset();
    m_devices.erase(found);
}

void CPanelClass::CloseAllDevices() {
    for (auto& entry : m_devices)
        entry.second.reset();
    m_devices.clear();
}

void CPanelClass::OnSimStart() {
    DWORD id = static_cast<DWORD>(m_defineid);
    m_simConnect.RequestDataOnSimObject(id, id, simconnect::kObjectIdUser,
                                        simconnect::kPeriodSimFrame,
                                        simconnect::kDataRequestFlagChanged, 0, 0, 0);
}

void CPanelClass::TransmitEvent(DWORD id, DWORD data) {
    if (id == 0 || !m_transmit)
        return;
    HRESULT hr =
        m_simConnect.TransmitClientEvent(simconnect::kObjectIdUser, id, data,
                                         simconnect::kGroupDefault, simconnect::kEventFlagDefault);
    DebugTrace(L"Calling SimConnect_TransmitClientEvent with event %d returns hr = 0x%x",
               static_cast<int>(id), static_cast<unsigned>(hr));
    if (FAILED(hr))
        TraceResult(hr, L"TransmitClientEvent");
}

void CPanelClass::TransmitEvents(const PendingEvents& events) {
    for (const PendingEvent& event : events)
        TransmitEvent(event.id, event.data);
}

void CPanelClass::AddPowerDefinitions(DWORD& counter) {
    AddDatums(kPowerDatums, std::size(kPowerDatums), counter);
}

bool CPanelClass::AddDatums(const PanelDatum* datums, size_t count, DWORD& counter) {
    for (size_t i = 0; i < count; ++i) {
        DWORD datumId = counter++;
        HRESULT hr = m_simConnect.AddToDefinition(static_cast<DWORD>(m_defineid), datums[i].name,
                                                  datums[i].units, datums[i].type,
                                                  datums[i].epsilon, datumId);
        if (FAILED(hr)) {
            TraceResult(hr, datums[i].label);
            return false;
        }
    }
    return true;
}

void CPanelClass::MapEvents(const char* const* names, DWORD* ids, size_t count) {
    for (size_t i = 0; i < count; ++i)
        ids[i] = m_simConnect.MapClientEvent(names[i]);
}

void CPanelClass::SetPriority() {
    HRESULT hr = m_simConnect.SetGroupPriority();
    if (FAILED(hr))
        TraceResult(hr,
                    L"SetNotificationGroupPriority(m_groupid, SIMCONNECT_GROUP_PRIORITY_HIGHEST)");
}

bool CPanelClass::IsAvionicsPowered(const PanelPowerItems& power) {
    if (power.avionicsMaster == 0)
        return false;
    if (power.battery != 0)
        return true;
    for (INT32 alternator : power.alternator)
        if (alternator != 0)
            return true;
    return false;
}

bool CPanelClass::StoreData(DWORD requestId, const void* block, void* stored, size_t size) {
    if (requestId != static_cast<DWORD>(m_defineid) || block == nullptr)
        return false;
    if (memcmp(block, stored, size) == 0)
        return false;
    memcpy(stored, block, size);
    return true;
}
