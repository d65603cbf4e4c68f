#include "pages/gauge/model/GaugeRenderer.h"

#include "app/trace/Trace.h"
#include "pages/gauge/model/AnsiText.h"
#include "pages/gauge/reader/GaugeFileReader.h"
#include "pages/gauge/expression/GaugeVariables.h"

namespace {

// Where the display-device software installs the built-in gauge's images.
constexpr const wchar_t* kBackground =
    L"C:\\Program Files\\Harmel\\Nuvex\\1024\\Airspeed_Background.bmp";
constexpr const wchar_t* kTasRing = L"C:\\Program Files\\Harmel\\Nuvex\\1024\\Airspeed_TAS.bmp";
constexpr const wchar_t* kInHgStrip = L"C:\\Program Files\\Harmel\\Nuvex\\1024\\Airspeed_INHG.bmp";
constexpr const wchar_t* kNeedle = L"C:\\Program Files\\Harmel\\Nuvex\\1024\\Airspeed_Needle.bmp";
constexpr const wchar_t* kKnob = L"C:\\Program Files\\Harmel\\Nuvex\\1024\\Airspeed_Knob.bmp";
constexpr int kLayerSize = 153;
constexpr size_t kEventNameBuffer = 260;

ClampedExpression Unclamped(const wchar_t* expression) {
    ClampedExpression result;
    result.expression = expression;
    return result;
}

ClampedExpression Clamped(const wchar_t* expression, float minimum, float maximum) {
    ClampedExpression result = Unclamped(expression);
    result.hasMinimum = true;
    result.minimum = minimum;
    result.hasMaximum = true;
    result.maximum = maximum;
    return result;
}

} // namespace

CGaugeRenderer::CGaugeRenderer(CSimConnectLibrary& simConnect) : m_simConnect(simConnect) {}

CGaugeRenderer::~CGaugeRenderer() = default;

bool CGaugeRenderer::LoadFromFile(GaugeVariables& store, const wchar_t* path) {
    return CGaugeFileReader(*this, store).Read(path);
}

bool CGaugeRenderer::LoadDebugGauge(GaugeVariables& store) {
    m_background.Load(kBackground, 0.0f, 0.0f, false);

    // The TAS ring turns by 2 * Var1 degrees behind the dial's window.
    auto tasRing = std::make_unique<CGaugeElement>(kLayerSize, kLayerSize, store);
    tasRing->SetMask(kBackground, 76.5f, 78.09375f);
    tasRing->SetImage(kTasRing, 66.9375f, 58.96875f, false);
    tasRing->SetRotation(Unclamped(L"(G:Var1) dgrd 2 * "));
    m_elements.push_back(std::move(tasRing));

    // The inHg strip slides sideways behind its window.
    auto inHgStrip = std::make_unique<CGaugeElement>(kLayerSize, kLayerSize, store);
    inHgStrip->SetMask(kBackground, 71.71875f, 22.3125f);
    inHgStrip->SetImage(kInHgStrip, 204.703125f, 1.6363f, false);
    inHgStrip->SetShift(Unclamped(L"(G:Var1) dgrd 2 * "));
    inHgStrip->SetShiftScale(50.0f, 0.0f);
    m_elements.push_back(std::move(inHgStrip));

    auto needle = std::make_unique<CGaugeElement>(kLayerSize, kLayerSize, store);
    needle->SetPosition(73, 76);
    needle->SetImage(kNeedle, 24.117647f, 6.5f, false);
    needle->SetRotation(Clamped(L"(A:Airspeed select indicated or true,knots)", 0.0f, 260.0f));
    // Where the needle points for ten airspeeds: the bearings come from these positions.
    struct ScalePoint {
        float knots, x, y;
    };
    static constexpr ScalePoint kScale[] = {
        {0.0f, 73.3125f, 15.9375f},  {40.0f, 95.625f, 17.53125f},    {50.0f, 111.5625f, 27.09375f},
        {60.0f, 117.9375f, 31.875f}, {80.0f, 135.46875f, 62.15625f}, {130.0f, 98.8125f, 133.875f},
        {160.0f, 51.0f, 122.71875f}, {190.0f, 27.09375f, 94.03125f}, {200.0f, 17.53125f, 82.875f},
        {260.0f, 44.625f, 23.90625f}};
    for (const ScalePoint& point : kScale)
        needle->AddPointByPosition(point.knots, point.x, point.y);
    m_elements.push_back(std::move(needle));

    auto knob = std::make_unique<CGaugeElement>(kLayerSize, kLayerSize, store);
    knob->SetPosition(122, 127);
    knob->SetImage(kKnob, 13.546875f, 14.34375f, false);
    knob->SetRotation(Unclamped(L"(G:Var1) dgrd "));
    m_elements.push_back(std::move(knob));

    // The panel's Up input lowers Var1 down to -30, its Down input raises it up to 30.
    CMouseArea knobInputs;
    knobInputs.up.script = L"(G:Var1) 1 - 30 /-/ max d (&gt;G:Var1)";
    knobInputs.down.script = L"(G:Var1) 1 + 30 min d (&gt;G:Var1)";
    m_mouseAreas.push_back(std::move(knobInputs));
    return true;
}

void CGaugeRenderer::AddButtonLabel(int buttonNumber, const std::wstring& text,
                                    const std::wstring& eventName, int fontWeight,
                                    COLORREF colour) {
    if (FindButtonLabel(buttonNumber) != nullptr)
        return;
    const DWORD clientEventId =
        m_simConnect.MapClientEvent(ToAnsiCodePage(eventName, kEventNameBuffer).c_str());
    m_buttonLabels.push_back({buttonNumber, text, eventName, clientEventId, fontWeight, colour});
}

void CGaugeRenderer::TriggerButtonLabel(int buttonNumber) {
    const ButtonLabel* label = FindButtonLabel(buttonNumber);
    if (label == nullptr)
        return;
    TraceResult(m_simConnect.TransmitClientEvent(0, label->clientEventId, 0, 1, 0),
                L"SimConnect_TransmitClientEvent");
}

bool CGaugeRenderer::HasButtonLabel(int buttonNumber) const {
    return FindButtonLabel(buttonNumber) != nullptr;
}

std::wstring CGaugeRenderer::GetGaugeName() const {
    return m_gaugeName;
}

const ButtonLabel* CGaugeRenderer::FindButtonLabel(int buttonNumber) const {
    for (const ButtonLabel& label : m_buttonLabels) {
        if (label.buttonNumber == buttonNumber)
            return &label;
    }
    return nullptr;
}
