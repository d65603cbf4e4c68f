#include "tools/gauge/GaugeSession.h"

#include "pages/gauge/ButtonLabelConfig.h"
#include "pages/gauge/expression/ExpressionEngine.h"
#include "pages/gauge/files/GaugeFileLocation.h"
#include "pages/gauge/reader/GaugeFileReader.h"
#include "pages/gauge/files/TempFolder.h"
#include "tools/gauge/ToolText.h"

namespace {

// The tool runs without a simulator: no client library is loaded, so every simulator call
// answers E_NOTIMPL, as it does for the program when the library is missing.
constexpr const wchar_t* kNoSimulator = L"DravikGauge runs without a simulator.dll";

} // namespace

CGaugeSession::CGaugeSession()
    : m_simConnect(kNoSimulator), m_store(m_simConnect), m_renderer(m_simConnect) {
    m_store.SetDataDefinitionId(m_simConnect.NextDefineId());
}

GaugeLoad CGaugeSession::Load(const GaugeSource& source, IGaugeFileObserver* observer,
                              bool builtInOnFailure) {
    GaugeLoad load;
    load.named = source.Element() != nullptr;
    if (load.named) {
        const PageConfiguration location{source.LocationElement()};
        std::wstring tempFolder;
        load.found = FindGaugeFile(&location, load.gaugeFile, tempFolder);
        if (load.found) {
            load.loaded =
                CGaugeFileReader(m_renderer, m_store, observer).Read(load.gaugeFile.c_str());
            AddConfiguredButtonLabels(*source.Element(), m_renderer);
        }
        // The images are in memory now; the extracted copy goes, as the page deletes it.
        if (!tempFolder.empty())
            DeleteFolder(tempFolder);
    }
    if (!load.loaded && (builtInOnFailure || !load.named))
        m_renderer.LoadDebugGauge(m_store);
    m_store.CopyReceivedToCurrent();
    return load;
}

std::wstring CGaugeSession::SetValue(const VariableValue& value) {
    const VariableName& variable = value.variable;
    if (!GaugeVariables::IsSimulatorLetter(variable.letter)) {
        m_store.SetValue(variable.letter, variable.name, variable.units, value.value);
        return {};
    }
    const int datum = m_store.DatumId(variable.name, variable.units);
    if (datum < 0 || static_cast<size_t>(datum) >= m_store.ReceivedValues().size())
        return Quoted(variable.text) +
               L" is not registered by the gauge: only shift and rotation expressions register "
               L"simulator variables, so on the panel it reads 0";
    m_store.ReceivedValues()[static_cast<size_t>(datum)] = value.value;
    m_store.CurrentValues()[static_cast<size_t>(datum)] = value.value;
    return {};
}

std::wstring CGaugeSession::Press(const ButtonPress& press) {
    const std::vector<CMouseArea>& areas = m_renderer.MouseAreas();
    switch (press.input) {
    case ButtonPress::Input::Up:
    case ButtonPress::Input::Down: {
        if (areas.empty())
            return L"the gauge has no mouse area: nothing";
        const bool up = press.input == ButtonPress::Input::Up;
        return Perform(up ? areas[0].up : areas[0].down,
                       up ? L"up action of mouse area 1" : L"down action of mouse area 1");
    }
    case ButtonPress::Input::Left:
    case ButtonPress::Input::Right: {
        if (areas.size() < 2)
            return L"the gauge has no second mouse area: nothing";
        const bool left = press.input == ButtonPress::Input::Left;
        return Perform(left ? areas[1].up : areas[1].down,
                       left ? L"up action of mouse area 2" : L"down action of mouse area 2");
    }
    case ButtonPress::Input::Label:
        break;
    }
    for (const ButtonLabel& label : m_renderer.ButtonLabels()) {
        if (label.buttonNumber != press.labelNumber)
            continue;
        m_renderer.TriggerButtonLabel(press.labelNumber);
        return L"label " + Quoted(label.text) + L" transmits the simulator event " +
               label.eventName + L" (no simulator here: nothing changes)";
    }
    return L"no label for button " + std::to_wstring(press.labelNumber) + L": nothing";
}

std::wstring CGaugeSession::Perform(const GaugeAction& action, const wchar_t* what) {
    if (action.clientEventId != 0) {
        m_simConnect.TransmitClientEvent(0, action.clientEventId, 0, 1, 0);
        return std::wstring(what) + L" transmits the simulator event " + action.eventName +
               L" (no simulator here: nothing changes)";
    }
    if (action.script.empty())
        return std::wstring(what) + L" is empty: nothing";
    const float result = Evaluate(m_store, action.script);
    return std::wstring(what) + L" runs " + Quoted(action.script) + L", result " +
           FormatNumber(result);
}

void CGaugeSession::DrawFrame(CRenderSurface& surface) {
    m_store.CopyReceivedToCurrent();
    {
        const CRenderSurface::Selection selected = surface.SelectSection();
        m_renderer.Render(surface.DeviceContext());
    }
    surface.PublishFrame();
}
