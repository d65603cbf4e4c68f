#include "pages/gauge/Page_VEXA_Gauge.h"

#include "app/display/NuvexLibrary.h"
#include "app/simconnect/SimConnectLibrary.h"
#include "app/trace/Trace.h"
#include "app/xml/XmlElement.h"
#include "common/CallNoThrow.h"
#include "common/StringCompare.h"
#include "pages/gauge/ButtonLabelConfig.h"
#include "pages/gauge/ConfigNumber.h"
#include "pages/gauge/expression/ExpressionEngine.h"
#include "pages/gauge/files/GaugeFileLocation.h"
#include "pages/gauge/files/TempFolder.h"

#include <algorithm>
#include <cstring>

namespace {

// A value moves only when it leaves this band around the one received last.
constexpr float kChangeThreshold = 0.005f;
constexpr DWORD kLedCount = 6;

enum class ButtonTarget { FirstAreaUp, FirstAreaDown, SecondAreaUp, SecondAreaDown, Label };

struct SoftButton {
    DWORD bit;
    ButtonTarget target;
    int labelNumber;
    const wchar_t* trace;
};

constexpr SoftButton kSoftButtons[] = {
    {CPage_VEXA_Gauge::SoftButton_Up, ButtonTarget::FirstAreaUp, 0,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_Up)"},
    {CPage_VEXA_Gauge::SoftButton_Down, ButtonTarget::FirstAreaDown, 0,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_Down)"},
    {CPage_VEXA_Gauge::SoftButton_Left, ButtonTarget::SecondAreaUp, 0,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_Left)"},
    {CPage_VEXA_Gauge::SoftButton_Right, ButtonTarget::SecondAreaDown, 0,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_Right)"},
    {CPage_VEXA_Gauge::SoftButton_1, ButtonTarget::Label, 1,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_1)"},
    {CPage_VEXA_Gauge::SoftButton_1 << 1, ButtonTarget::Label, 2,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_2)"},
    {CPage_VEXA_Gauge::SoftButton_1 << 2, ButtonTarget::Label, 3,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_3)"},
    {CPage_VEXA_Gauge::SoftButton_1 << 3, ButtonTarget::Label, 4,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_4)"},
    {CPage_VEXA_Gauge::SoftButton_1 << 4, ButtonTarget::Label, 5,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_5)"},
    {CPage_VEXA_Gauge::SoftButton_1 << 5, ButtonTarget::Label, 6,
     L"CPage_VEXA_Gauge::OnButtonPress(SoftButton_6)"},
};

const CXmlElement* ElementOf(const PageConfiguration* configuration) {
    return configuration ? configuration->element : nullptr;
}

} // namespace

CPage_VEXA_Gauge::PageLock::PageLock(CPage_VEXA_Gauge& page) noexcept
    : m_mutex(page.m_pageLock.get()) {
    // Holders draw one frame, run one script or copy the values: nothing waits here for long.
    // A render thread terminated while it held the lock leaves it abandoned, which still
    // hands it over.
    const DWORD wait = WaitForSingleObject(m_mutex, INFINITE);
    m_locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

CPage_VEXA_Gauge::PageLock::~PageLock() {
    if (m_locked)
        ReleaseMutex(m_mutex);
}

CPage_VEXA_Gauge::CPage_VEXA_Gauge(DWORD pageId, IPageHost* owner)
    : IPage(pageId, owner), m_stopEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_pageLock(CreateMutexW(nullptr, FALSE, nullptr)) {}

CPage_VEXA_Gauge::~CPage_VEXA_Gauge() {
    StopRenderThread();
}

void CPage_VEXA_Gauge::OnPageActivated(NuvexDevice device) {
    DebugTrace(L"%ws", L"CPage_VEXA_Gauge::OnPageActivated");
    RememberGauge(device);
}

bool CPage_VEXA_Gauge::AddToDevice(NuvexDevice device, bool activate, bool* activated) {
    DebugTrace(L"%ws", L"CPage_VEXA_Gauge::AddToDevice");
    CNuvexLibrary& nuvex = GetNuvexLibrary();
    GUID type = {};
    HRESULT hr = nuvex.Nuvex_GetDeviceType(device, &type);
    const std::wstring assigned = Owner() ? Owner()->GetAssignedGauge(device) : std::wstring();
    const bool active = assigned.empty() ? activate : assigned == m_renderer.GetGaugeName();
    TraceResult(hr, L"CPage_VEXA_Gauge::AddToDevice - Nuvex_GetDeviceType");
    if (FAILED(hr) || !IsDeviceType(type, kDeviceTypeVexa))
        return false;
    hr = nuvex.Nuvex_AddPage(device, PageId(), active ? 1 : 0);
    TraceResult(hr, L"CPage_VEXA_Gauge::AddToDevice - Nuvex_AddPage");
    if (FAILED(hr))
        return false;
    SendToDevice(device, type);
    SendLedsToDevice(device, type);
    if (active)
        RememberGauge(device);
    if (activated)
        *activated = active;
    return true;
}

void CPage_VEXA_Gauge::SendToDevice(NuvexDevice device, const GUID& deviceType) {
    if (!IsDeviceType(deviceType, kDeviceTypeVexa))
        return;
    // The image goes out from a copy taken under the surface's lock, so the lock is not held
    // while the library sends: a device arriving calls this page with the library's own lock
    // held, and a send holding ours while waiting for the library's would close the cycle.
    // Sends from several threads may then overtake each other, so a sender whose frame was
    // overtaken by a newer one while it sent sends again, and the newest frame lands last.
    std::vector<BYTE> image(CRenderSurface::ImageBytes);
    DWORD frame = CopySentImage(image);
    for (;;) {
        SetImage(device, image);
        DWORD latest = 0;
        {
            const CRenderSurface::SendBufferLock locked = m_surface.LockSendBuffer();
            latest = locked.FrameNumber();
        }
        if (latest == frame)
            return;
        frame = CopySentImage(image);
    }
}

void CPage_VEXA_Gauge::SendLedsToDevice(NuvexDevice device, const GUID& deviceType) {
    if (!IsDeviceType(deviceType, kDeviceTypeVexa))
        return;
    CNuvexLibrary& nuvex = GetNuvexLibrary();
    for (DWORD led = 1; led <= kLedCount; ++led) {
        const DWORD value = m_renderer.HasButtonLabel(static_cast<int>(led)) ? 1 : 0;
        TraceResult(nuvex.Nuvex_SetLed(device, PageId(), led, value),
                    L"CPage_VEXA_Gauge::SendToDevice - Nuvex_SetLed");
    }
}

void CPage_VEXA_Gauge::OnSimInitialize(const PageConfiguration* configuration) {
    DebugTrace(L"%ws", L"CPage_VEXA_Gauge::OnSimInitialize");
    CSimConnectLibrary& simConnect = GetSimConnectLibrary();
    m_dataDefinitionId = simConnect.NextDefineId();
    m_variables.SetDataDefinitionId(m_dataDefinitionId);
    simConnect.SetNotificationGroupPriority(simconnect::kGroupDefault,
                                            simconnect::kGroupPriorityHighest);
    LoadGauge(configuration);
    {
        PageLock lock(*this);
        m_variables.CopyReceivedToCurrent();
        DrawFrame();
    }
    m_surface.PublishFrame();
}

void CPage_VEXA_Gauge::LoadGauge(const PageConfiguration* configuration) {
    bool loaded = false;
    if (configuration) {
        const CXmlElement* element = ElementOf(configuration);
        m_period =
            element ? ReadConfigNumber(*element, L"Timeout", kDefaultPeriodMs) : kDefaultPeriodMs;
        m_period = std::max(m_period, kMinimumPeriodMs);
        std::wstring gaugeFile;
        std::wstring tempFolder;
        if (FindGaugeFile(configuration, gaugeFile, tempFolder)) {
            loaded = m_renderer.LoadFromFile(m_variables, gaugeFile.c_str());
            if (const CXmlElement* element = ElementOf(configuration))
                AddConfiguredButtonLabels(*element, m_renderer);
        }
        // The gauge's images are in memory now.
        if (!tempFolder.empty())
            DeleteFolder(tempFolder);
    }
    if (!loaded) {
        DebugTrace(L"%ws",
                   L"m_renderer.LoadFromFile failed or pvInitParams was NULL - loading debug data");
        m_renderer.LoadDebugGauge(m_variables);
    }
}

void CPage_VEXA_Gauge::OnSimStart() {
    TraceResult(GetSimConnectLibrary().RequestDataOnSimObject(
                    PageId(), m_dataDefinitionId, simconnect::kObjectIdUser,
                    simconnect::kPeriodSimFrame, simconnect::kDataRequestFlagChanged, 0, 0, 0),
                L"CPage_VEXA_Gauge::OnSimStart - SimConnect_RequestDataOnSimObject");
    if (m_renderThread)
        return;
    // A stop signalled after a thread had already ended would otherwise end the next one.
    ResetEvent(m_stopEvent.get());
    m_renderThread.reset(CreateThread(nullptr, 0, RenderThreadProc, this, 0, nullptr));
}

void CPage_VEXA_Gauge::OnSimStop() {
    StopRenderThread();
}

void CPage_VEXA_Gauge::OnSimRecieveData(const void* data, DWORD size) {
    if (!data)
        return;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    PageLock lock(*this);
    const std::span<float> received = m_variables.ReceivedValues();
    const size_t count = std::min(received.size(), static_cast<size_t>(m_variables.Count()));
    const size_t values = std::min(count, static_cast<size_t>(size / sizeof(float)));
    bool changed = false;
    for (size_t i = 0; i < values; ++i) {
        float value = 0;
        std::memcpy(&value, bytes + i * sizeof(float), sizeof(float));
        if (value > received[i] + kChangeThreshold || value < received[i] - kChangeThreshold) {
            received[i] = value;
            changed = true;
        }
    }
    if (changed)
        m_redraw = true;
}

void CPage_VEXA_Gauge::OnButtonPress(DWORD buttons) {
    const std::vector<CMouseArea>& areas = m_renderer.MouseAreas();
    for (const SoftButton& button : kSoftButtons) {
        if (!(buttons & button.bit))
            continue;
        DebugTrace(L"%ws", button.trace);
        switch (button.target) {
        case ButtonTarget::FirstAreaUp:
            if (!areas.empty())
                PerformAction(areas[0].up);
            break;
        case ButtonTarget::FirstAreaDown:
            if (!areas.empty())
                PerformAction(areas[0].down);
            break;
        case ButtonTarget::SecondAreaUp:
            if (areas.size() >= 2)
                PerformAction(areas[1].up);
            break;
        case ButtonTarget::SecondAreaDown:
            if (areas.size() >= 2)
                PerformAction(areas[1].down);
            break;
        case ButtonTarget::Label:
            m_renderer.TriggerButtonLabel(button.labelNumber);
            break;
        }
    }
}

std::vector<BYTE> CPage_VEXA_Gauge::SentImage() {
    std::vector<BYTE> image(CRenderSurface::ImageBytes);
    CopySentImage(image);
    return image;
}

bool CPage_VEXA_Gauge::IsRedrawPending() {
    PageLock lock(*this);
    return m_redraw;
}

std::vector<float> CPage_VEXA_Gauge::ReceivedValues() {
    PageLock lock(*this);
    const std::span<const float> received = m_variables.ReceivedValues();
    return {received.begin(), received.end()};
}

float CPage_VEXA_Gauge::LocalValue(const std::wstring& name) {
    PageLock lock(*this);
    return m_variables.GetValue(L'G', name, L"");
}

void CPage_VEXA_Gauge::DrawFrame() {
    const CRenderSurface::Selection selected = m_surface.SelectSection();
    m_renderer.Render(m_surface.DeviceContext());
}

void CPage_VEXA_Gauge::RenderStep() {
    // Most looks find nothing to draw: they cost no call into the system for the lock.
    if (!m_redraw.load())
        return;
    {
        PageLock lock(*this);
        if (!m_redraw)
            return;
        m_variables.CopyReceivedToCurrent();
        m_redraw = false;
        DrawFrame();
    }
    m_surface.PublishFrame();
    if (Owner())
        Owner()->RefreshPage(this);
}

DWORD WINAPI CPage_VEXA_Gauge::RenderThreadProc(void* parameter) noexcept {
    CPage_VEXA_Gauge* page = static_cast<CPage_VEXA_Gauge*>(parameter);
    return SUCCEEDED(CallNoThrow([page] { page->RenderLoop(); })) ? 0 : 1;
}

void CPage_VEXA_Gauge::RenderLoop() {
    while (WaitForSingleObject(m_stopEvent.get(), m_period) == WAIT_TIMEOUT)
        RenderStep();
}

void CPage_VEXA_Gauge::StopRenderThread() {
    if (!m_renderThread)
        return;
    SetEvent(m_stopEvent.get());
    if (WaitForSingleObject(m_renderThread.get(), kStopWaitMs) != WAIT_OBJECT_0) {
        OutputDebugStringW(L"Dravik.exe - RenderThread failed to stop in 30s - Terminating it\n");
        TerminateThread(m_renderThread.get(), 1);
    }
    m_renderThread.reset();
}

DWORD CPage_VEXA_Gauge::CopySentImage(std::vector<BYTE>& image) {
    const CRenderSurface::SendBufferLock locked = m_surface.LockSendBuffer();
    std::memcpy(image.data(), locked.Data(), locked.Size());
    return locked.FrameNumber();
}

void CPage_VEXA_Gauge::SetImage(NuvexDevice device, const std::vector<BYTE>& image) {
    HRESULT hr = E_FAIL;
    // Only C++ exceptions are caught: the program is built without structured exception
    // handling, so a hardware fault inside the library (an access violation) is not.
    try {
        hr = GetNuvexLibrary().Nuvex_SetImage(device, PageId(), 0, CRenderSurface::ImageBytes,
                                              image.data());
    } catch (...) {
        OutputDebugStringW(L"Exception caught on SetImage\n");
        return;
    }
    if (FAILED(hr))
        TraceResult(hr, L"CPage_VEXA_Gauge::SendToDevice - Nuvex_SetImage");
}

void CPage_VEXA_Gauge::PerformAction(const GaugeAction& action) {
    if (action.clientEventId != 0) {
        TraceResult(GetSimConnectLibrary().TransmitClientEvent(
                        simconnect::kObjectIdUser, action.clientEventId, 0,
                        simconnect::kGroupDefault, simconnect::kEventFlagDefault),
                    L"SimConnect_TransmitClientEvent");
    } else if (!action.script.empty()) {
        PageLock lock(*this);
        Evaluate(m_variables, action.script);
    }
}

void CPage_VEXA_Gauge::RememberGauge(NuvexDevice device) {
    if (Owner())
        Owner()->SetAssignedGauge(device, m_renderer.GetGaugeName());
}
