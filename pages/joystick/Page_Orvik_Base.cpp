#include "pages/joystick/Page_Orvik_Base.h"

#include "app/display/NuvexLibrary.h"
#include "app/simconnect/SimConnectLibrary.h"
#include "app/trace/Trace.h"

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <cwchar>

CPage_Orvik_Base::CPage_Orvik_Base(DWORD pageId, IPageHost* owner, const wchar_t* pageName)
    : IPage(pageId, owner), m_pageName(pageName ? pageName : L"") {}

void CPage_Orvik_Base::OnPageActivated(NuvexDevice) {
    DebugTrace(L"\nPAGE_ACTIVATED : %ws\n", m_pageName.c_str());
    std::lock_guard<std::mutex> lock(m_pageLock);
    FormatLines();
}

bool CPage_Orvik_Base::AddToDevice(NuvexDevice device, bool activate, bool* activated) {
    CNuvexLibrary& nuvex = GetNuvexLibrary();
    GUID type = {};
    HRESULT hr = nuvex.Nuvex_GetDeviceType(device, &type);
    TraceResult(hr, L"Nuvex_GetDeviceType");
    if (FAILED(hr) || !IsDeviceType(type, kDeviceTypeOrvik))
        return false;
    hr = nuvex.Nuvex_AddPage(device, PageId(), activate ? 1 : 0);
    TraceResult(hr, L"Nuvex_AddPage");
    if (FAILED(hr))
        return false;
    SendToDevice(device, type);
    if (activated)
        *activated = activate;
    return true;
}

CPage_Orvik_Base::ShownLines CPage_Orvik_Base::CopyLines() {
    ShownLines lines = {};
    for (int i = 0; i < kLineCount; ++i) {
        m_lines[i][kDisplayChars] = L'\0';
        wcscpy(lines[i].data(), m_lines[i]);
    }
    return lines;
}

bool CPage_Orvik_Base::BeginSend(NuvexDevice device, ShownLines& lines) {
    auto [sending, first] = m_sending.try_emplace(device, false);
    if (!first) {
        sending->second = true;
        return false;
    }
    lines = CopyLines();
    return true;
}

bool CPage_Orvik_Base::NextSend(NuvexDevice device, ShownLines& lines) {
    auto sending = m_sending.find(device);
    if (!sending->second) {
        m_sending.erase(sending);
        return false;
    }
    sending->second = false;
    lines = CopyLines();
    return true;
}

void CPage_Orvik_Base::SendLines(NuvexDevice device, const ShownLines& lines) {
    CNuvexLibrary& nuvex = GetNuvexLibrary();
    for (int i = 0; i < kLineCount; ++i) {
        const DWORD length = static_cast<DWORD>(wcslen(lines[i].data()));
        HRESULT hr = nuvex.Nuvex_SetString(device, PageId(), i, length, lines[i].data());
        wchar_t label[64] = {};
        _snwprintf(label, _countof(label) - 1, L"Nuvex_SetString(%d, \"%ws\")", i, lines[i].data());
        TraceResult(hr, label);
    }
}

void CPage_Orvik_Base::SendToDevice(NuvexDevice device, const GUID& deviceType) {
    if (!IsDeviceType(deviceType, kDeviceTypeOrvik))
        return;
    // Buttons (the library's threads) and simulator data (the main thread) both refresh the
    // page. Two threads sending at once would interleave an older copy with a newer one on the
    // display, so a thread that finds a send to the device in progress leaves the newer lines to
    // its sender, which sends until it has sent the latest.
    ShownLines lines;
    {
        std::lock_guard<std::mutex> lock(m_pageLock);
        if (!BeginSend(device, lines))
            return;
    }
    try {
        for (;;) {
            SendLines(device, lines);
            std::lock_guard<std::mutex> lock(m_pageLock);
            if (!NextSend(device, lines))
                return;
        }
    } catch (...) {
        // The device must not stay claimed by a sender that has gone.
        std::lock_guard<std::mutex> lock(m_pageLock);
        m_sending.erase(device);
        throw;
    }
}

void CPage_Orvik_Base::OnSimStart() {
    TraceResult(GetSimConnectLibrary().RequestDataOnSimObject(
                    PageId(), m_defineId, simconnect::kObjectIdUser, simconnect::kPeriodSimFrame,
                    simconnect::kDataRequestFlagChanged, 0, 0, 0),
                L"SimConnect_RequestDataOnSimObject");
}

void CPage_Orvik_Base::OnButtonPress(DWORD buttons) {
    {
        std::lock_guard<std::mutex> lock(m_pageLock);
        if (!ApplyButtons(buttons))
            return;
        FormatLines();
    }
    RefreshPage();
}

std::wstring CPage_Orvik_Base::Line(int line) const {
    std::lock_guard<std::mutex> lock(m_pageLock);
    return line >= 0 && line < kLineCount ? m_lines[line] : L"";
}

DWORD CPage_Orvik_Base::SelectionState() const {
    std::lock_guard<std::mutex> lock(m_pageLock);
    return m_state;
}

void CPage_Orvik_Base::RefreshPage() {
    if (Owner())
        Owner()->RefreshPage(this);
}

void CPage_Orvik_Base::BeginInitialize(const wchar_t* label) {
    DebugTrace(L"%ws", label);
    m_defineId = GetSimConnectLibrary().NextDefineId();
    m_nextDatumId = 0;
}

void CPage_Orvik_Base::AddDatum(const char* datumName, const char* unitsName,
                                simconnect::DataType type, float epsilon, const wchar_t* label) {
    TraceResult(GetSimConnectLibrary().AddToDefinition(m_defineId, datumName, unitsName, type,
                                                       epsilon, m_nextDatumId++),
                label);
}

DWORD CPage_Orvik_Base::MapEvent(const char* eventName) {
    return GetSimConnectLibrary().MapClientEvent(eventName);
}

void CPage_Orvik_Base::EndInitialize(const wchar_t* priorityLabel) {
    TraceResult(GetSimConnectLibrary().SetGroupPriority(), priorityLabel);
    std::lock_guard<std::mutex> lock(m_pageLock);
    FormatLines();
}

void CPage_Orvik_Base::ReceiveBytes(const void* data, DWORD size, void* record, size_t recordSize,
                                    const wchar_t* mismatchLine) {
    if (!data || size != recordSize) {
        DebugTrace(L"%ws", mismatchLine);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_pageLock);
        if (memcmp(record, data, recordSize) == 0)
            return;
        memcpy(record, data, recordSize);
        FormatLines();
    }
    RefreshPage();
}

void CPage_Orvik_Base::ApplyButtonTable(DWORD buttons, std::span<const ButtonRow> table,
                                        const DWORD* events) {
    static constexpr DWORD kOrder[] = {SoftButton_Select, SoftButton_Up, SoftButton_Down};
    for (size_t button = 0; button < std::size(kOrder); ++button) {
        if (!(buttons & kOrder[button]) || m_state >= table.size())
            continue;
        const ButtonStep& step = table[m_state][button];
        if (step.event == kNoEvent)
            m_state = step.nextState;
        else
            TriggerEvent(events[step.event]);
    }
}

void CPage_Orvik_Base::TriggerEvent(DWORD clientEventId) {
    GetSimConnectLibrary().TriggerEvent(clientEventId);
}

double CPage_Orvik_Base::WrapDegrees(double degrees) {
    if (degrees > 360) {
        degrees = fmod(degrees, 360);
        if (degrees == 0)
            degrees = 360;
    } else if (degrees < 0) {
        degrees = fmod(degrees, 360);
        degrees = degrees < 0 ? degrees + 360 : 0.0;
    }
    return degrees;
}

void CPage_Orvik_Base::FormatLine(int line, const wchar_t* format, ...) {
    if (line < 0 || line >= kLineCount)
        return;
    wchar_t* buffer = m_lines[line];
    wmemset(buffer, L'\0', kLineChars);
    va_list args;
    va_start(args, format);
    _vsnwprintf(buffer, kLineChars - 1, format, args);
    va_end(args);
}
