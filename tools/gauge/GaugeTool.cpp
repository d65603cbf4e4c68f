#include "tools/gauge/GaugeTool.h"

#include "common/UniqueHandle.h"
#include "pages/gauge/expression/ExpressionEngine.h"
#include "tools/gauge/CheckReport.h"
#include "tools/gauge/ContactSheet.h"
#include "tools/gauge/ExpressionReport.h"
#include "tools/gauge/GaugeSession.h"
#include "tools/gauge/ImageFiles.h"
#include "tools/gauge/ToolText.h"

#include <objbase.h>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 2;

std::wstring ErrorText(HRESULT hr) {
    wchar_t buffer[16];
    swprintf(buffer, std::size(buffer), L"0x%08lX", static_cast<unsigned long>(hr));
    return buffer;
}

// What the page would show when the named gauge did not load, told on the error stream.
void ReportLoad(const GaugeLoad& load) {
    if (load.named && !load.loaded)
        Err().Line(L"DravikGauge: the gauge did not load (" +
                   (load.found ? load.gaugeFile : std::wstring(L"its cabinet")) +
                   L"): the page shows the built-in airspeed gauge over whatever was read; "
                   L"run check for the reasons");
}

void ApplyValues(CGaugeSession& session, const std::vector<VariableValue>& values) {
    for (const VariableValue& value : values) {
        const std::wstring problem = session.SetValue(value);
        if (!problem.empty())
            Err().Line(L"DravikGauge: " + problem);
    }
}

void ApplyPresses(CGaugeSession& session, const std::vector<ButtonPress>& presses) {
    for (const ButtonPress& press : presses)
        Out().Line(L"press " + press.text + L": " + session.Press(press));
}

bool WriteImage(const std::wstring& path, const RgbImage& image) {
    const HRESULT hr = WritePng(path, image);
    if (FAILED(hr)) {
        Err().Line(L"DravikGauge: cannot write " + path + L" (" + ErrorText(hr) + L")");
        return false;
    }
    return true;
}

// One frame of the page on a fresh surface.
bool DrawPanelFrame(CGaugeSession& session, CRenderSurface& surface, RgbImage& image) {
    if (!surface.IsValid()) {
        Err().Line(L"DravikGauge: no drawing surface");
        return false;
    }
    session.DrawFrame(surface);
    const CRenderSurface::SendBufferLock sent = surface.LockSendBuffer();
    image = RgbImage::FromPanelImage(sent.Data());
    return true;
}

int Render(const GaugeToolOptions& options, const GaugeSource& source) {
    CGaugeSession session;
    ReportLoad(session.Load(source));
    ApplyValues(session, options.values);
    ApplyPresses(session, options.presses);
    CRenderSurface surface;
    RgbImage image(0, 0);
    if (!DrawPanelFrame(session, surface, image) || !WriteImage(options.pngFile, image))
        return kFailed;
    Out().Line(L"wrote " + options.pngFile + L" (320 x 240)");
    if (options.bmpFile.empty())
        return kDone;
    const CRenderSurface::SendBufferLock sent = surface.LockSendBuffer();
    const HRESULT hr = WritePanelBmp(options.bmpFile, sent.Data());
    if (FAILED(hr)) {
        Err().Line(L"DravikGauge: cannot write " + options.bmpFile + L" (" + ErrorText(hr) + L")");
        return kFailed;
    }
    Out().Line(L"wrote " + options.bmpFile + L" (the panel's 230400 bytes)");
    return kDone;
}

int Check(const GaugeToolOptions& options, const GaugeSource& source) {
    CGaugeSession session;
    CReaderFindings findings;
    const GaugeLoad load = session.Load(source, &findings, false);
    ApplyValues(session, options.values);
    return PrintCheckReport(Out(), source, load, findings, session);
}

int Eval(const GaugeToolOptions& options, const GaugeSource& source) {
    CGaugeSession session;
    GaugeVariables& store = session.Store();
    const std::wstring& expression = options.expression;
    Out().Line(L"expression " + Quoted(expression));
    if (options.HasGauge()) {
        ReportLoad(session.Load(source));
        Out().Line(L"on the store of " + source.Description() +
                   L": simulator variables the gauge does not register read 0");
    } else {
        store.RegisterExpression(expression);
        Out().Line(L"its variables registered as a shift or rotation registers them");
    }
    for (const ExpressionLine& line : DescribeExpression(
             expression, options.HasGauge() ? ExpressionRole::Script : ExpressionRole::Drawing,
             store))
        Out().Line((line.warning ? L"  warning: " : L"  ") + line.text);
    ApplyValues(session, options.values);
    Out().Line(L"");
    Out().Line(L"token                       kind        stack after the token (top last); a "
               L"block's tokens, indented, come before its if{ or els{");
    CStackPrinter printer(Out());
    CExpressionContext context(store, &printer);
    const float result = Evaluate(context, expression.c_str(), expression.size());
    Out().Line(L"");
    Out().Line(L"result " + FormatNumber(result));
    return kDone;
}

int Sweep(const GaugeToolOptions& options, const GaugeSource& source) {
    CGaugeSession session;
    ReportLoad(session.Load(source));
    ApplyValues(session, options.values);
    ApplyPresses(session, options.presses);
    const int steps = options.sweepSteps;
    ContactSheet sheet(steps);
    for (int i = 0; i < steps; ++i) {
        const double share = steps > 1 ? static_cast<double>(i) / (steps - 1) : 0.0;
        VariableValue value{
            options.sweepVariable,
            static_cast<float>(options.sweepFrom + (options.sweepTo - options.sweepFrom) * share)};
        const std::wstring problem = session.SetValue(value);
        if (!problem.empty() && i == 0)
            Err().Line(L"DravikGauge: " + problem);
        CRenderSurface surface;
        RgbImage frame(0, 0);
        if (!DrawPanelFrame(session, surface, frame))
            return kFailed;
        sheet.Place(i, frame, options.sweepVariable.text + L" = " + FormatNumber(value.value));
    }
    if (!WriteImage(options.pngFile, sheet.Image()))
        return kFailed;
    Out().Line(L"wrote " + options.pngFile + L" (" + std::to_wstring(steps) + L" frames, " +
               std::to_wstring(sheet.Image().Width()) + L" x " +
               std::to_wstring(sheet.Image().Height()) + L")");
    return kDone;
}

} // namespace

int RunGaugeTool(int argc, const wchar_t* const* argv) {
    if (argc < 2 || std::wstring(argv[1]) == L"--help" || std::wstring(argv[1]) == L"help") {
        Out().Write(UsageText());
        return argc < 2 ? kFailed : kDone;
    }
    GaugeToolOptions options;
    std::wstring error;
    if (!ParseOptions(argc, argv, options, error)) {
        Err().Line(L"DravikGauge: " + error);
        Err().Write(UsageText());
        return kFailed;
    }
    const UniqueComApartment com = EnterComApartment();
    GaugeSource source;
    if (!GaugeSource::FromOptions(options, source, error)) {
        Err().Line(L"DravikGauge: " + error);
        return kFailed;
    }
    switch (options.command) {
    case ToolCommand::Render:
        return Render(options, source);
    case ToolCommand::Check:
        return Check(options, source);
    case ToolCommand::Eval:
        return Eval(options, source);
    case ToolCommand::Sweep:
        return Sweep(options, source);
    }
    return kFailed;
}
