#include "tools/gauge/CheckReport.h"

#include "common/StringCompare.h"
#include "pages/gauge/render/ElementGeometry.h"
#include "pages/gauge/expression/ExpressionEngine.h"
#include "pages/gauge/render/GaugeLayer.h"
#include "pages/gauge/render/GaugeScreen.h"
#include "pages/gauge/render/OutputPixels.h"
#include "pages/gauge/expression/TokenWalk.h"
#include "tools/gauge/ExpressionReport.h"
#include "tools/gauge/ToolText.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {

constexpr size_t kLabelColumn = 13;
constexpr RECT kScreen{0, 0, GaugeScreen::Width, GaugeScreen::Height};
// Elements whose layer would need a larger canvas than this are not measured.
constexpr long long kLargestCanvas = 4096LL * 4096LL;

std::wstring NodeSegment(const CXmlElement& node) {
    const wchar_t* id = node.GetAttribute(L"id");
    if (id && *id)
        return node.name + L" " + Quoted(id);
    if (!node.parent)
        return node.name;
    int index = 0;
    int count = 0;
    for (const auto& sibling : node.parent->children) {
        if (EqualsNoCase(sibling->name.c_str(), node.name.c_str())) {
            ++count;
            if (sibling.get() == &node)
                index = count;
        }
    }
    return count > 1 ? node.name + L"[" + std::to_wstring(index) + L"]" : node.name;
}

std::wstring NodePath(const CXmlElement& node) {
    std::wstring path = NodeSegment(node);
    for (const CXmlElement* parent = node.parent; parent; parent = parent->parent)
        path = NodeSegment(*parent) + L"/" + path;
    return path;
}

std::wstring Span(long from, long to) {
    return std::to_wstring(from) + L".." + std::to_wstring(to);
}

// "x 160..319, y 40..199" for the pixels of a rectangle (right and bottom excluded).
std::wstring Area(const RECT& rect) {
    return L"x " + Span(rect.left, rect.right - 1) + L", y " + Span(rect.top, rect.bottom - 1);
}

bool Within(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// "1 element", "4 elements".
std::wstring Count(size_t count, const wchar_t* noun) {
    return std::to_wstring(count) + L" " + noun + (count == 1 ? L"" : L"s");
}

std::wstring Size(int width, int height) {
    return std::to_wstring(width) + L" x " + std::to_wstring(height);
}

std::wstring Point(float x, float y) {
    return L"(" + FormatNumber(x) + L", " + FormatNumber(y) + L")";
}

struct DrawnPixels {
    bool any = false;
    RECT extent{}; // screen coordinates, right and bottom excluded
};

class CheckPrinter {
public:
    CheckPrinter(ToolStream& out, CGaugeSession& session)
        : m_out(out), m_session(session), m_renderer(session.Renderer()) {}

    int Print(const GaugeSource& source, const GaugeLoad& load, const CReaderFindings& findings);

private:
    void Field(const std::wstring& label, const std::wstring& text) {
        std::wstring line = label;
        line.resize(std::max(line.size() + 1, kLabelColumn), L' ');
        m_out.Line(line + text);
    }
    void Detail(const std::wstring& text) { m_out.Line(std::wstring(kLabelColumn, L' ') + text); }
    void Warn(const std::wstring& text) {
        ++m_warnings;
        Detail(L"warning: " + text);
    }
    void Blank() { m_out.Line(L""); }

    // False when nothing of the file was read.
    bool PrintSource(const GaugeSource& source, const GaugeLoad& load,
                     const CReaderFindings& findings);
    void PrintScreen();
    void PrintElement(size_t index, const CGaugeElement& element);
    void PrintBitmap(const wchar_t* label, const CGaugeBitmap& bitmap, bool withAxis);
    void PrintExpression(const wchar_t* label, const ClampedExpression* clamps,
                         const std::wstring& expression, ExpressionRole role);
    void PrintLines(const std::vector<ExpressionLine>& lines);
    void PrintState(const CGaugeElement& element);
    void PrintMouseAreas();
    void PrintAction(const wchar_t* label, const GaugeAction& action);
    void PrintLabels();
    void PrintSimulatorVariables();
    void PrintPassedOver(const CReaderFindings& findings);
    int PrintResult(const GaugeLoad& load, const CReaderFindings& findings);

    std::wstring ImageName(const std::wstring& path) const;
    DrawnPixels Measure(const CGaugeElement& element);

    ToolStream& m_out;
    CGaugeSession& m_session;
    CGaugeRenderer& m_renderer;
    GaugeLayer m_layer;
    int m_warnings = 0;
};

int CheckPrinter::Print(const GaugeSource& source, const GaugeLoad& load,
                        const CReaderFindings& findings) {
    if (PrintSource(source, load, findings)) {
        PrintScreen();
        for (size_t i = 0; i < m_renderer.Elements().size(); ++i)
            PrintElement(i, *m_renderer.Elements()[i]);
        PrintMouseAreas();
        PrintLabels();
        PrintSimulatorVariables();
    }
    PrintPassedOver(findings);
    return PrintResult(load, findings);
}

bool CheckPrinter::PrintSource(const GaugeSource& source, const GaugeLoad& load,
                               const CReaderFindings& findings) {
    if (!load.named) {
        Field(L"Gauge", L"the built-in airspeed gauge (" + source.Description() + L")");
        return true;
    }
    Field(L"Gauge file", load.found ? load.gaugeFile : L"not found");
    Detail(L"from " + source.Description());
    if (const wchar_t* cabFile = source.Element()->GetAttribute(L"CabFile"))
        Detail(L"extracted from " + std::wstring(cabFile) +
               L" into a temporary folder, deleted again once the gauge was read");
    if (!findings.SawRoot())
        return false;
    const std::wstring& root = findings.RootName();
    if (EqualsNoCase(root.c_str(), L"Gauge")) {
        Field(L"Schema", L"older: root \"Gauge\", name " + Quoted(m_renderer.GetGaugeName()));
    } else if (EqualsNoCase(root.c_str(), L"SimBase.Document")) {
        Field(L"Schema", L"newer: root \"SimBase.Document\"");
    } else {
        Field(L"Schema", L"none: the root " + Quoted(root) +
                             L" is neither \"Gauge\" nor \"SimBase.Document\"");
        return false;
    }
    Field(L"Images", m_renderer.ImageFolder());
    return true;
}

void CheckPrinter::PrintScreen() {
    const SIZE size = m_renderer.GaugeSize();
    const CGaugeBitmap& background = m_renderer.Background();
    if (m_renderer.GaugeWidth() != 0 || m_renderer.GaugeHeight() != 0)
        Field(L"Size", Size(size.cx, size.cy) + L" from ImageSizes (design frame " +
                           Size(m_renderer.DesignWidth(), m_renderer.DesignHeight()) + L")");
    else
        Field(L"Size", Size(size.cx, size.cy) + L", the background's (no ImageSizes)");
    const POINT origin = GaugeScreen::Origin(size);
    const RECT gauge{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
    if (size.cx <= 0 || size.cy <= 0) {
        Field(L"Screen", L"the gauge has no size");
        Warn(L"no ImageSizes and no background: the gauge sits at (" + std::to_wstring(origin.x) +
             L", " + std::to_wstring(origin.y) + L"), off the screen, and nothing of it shows");
    } else {
        Field(L"Screen", L"the gauge covers " + Area(gauge) + L" of the 320 x 240 screen");
        if (!Within(gauge, kScreen))
            Warn(L"the gauge is larger than the screen: what lies outside it is cut off");
    }
    if (origin.x > 2)
        Detail(L"the labels' strip left of it: x 2.." + std::to_wstring(origin.x - 1));
    if (!background.Path().empty())
        PrintBitmap(L"Background", background, false);
    else
        Field(L"Background", L"none");
    if (background.IsLoaded()) {
        const RECT drawn{origin.x, origin.y, origin.x + background.Width(),
                         origin.y + background.Height()};
        if (!Within(drawn, kScreen))
            Warn(L"the background covers " + Area(drawn) + L", past the edge of the screen");
    }
}

void CheckPrinter::PrintElement(size_t index, const CGaugeElement& element) {
    Blank();
    Field(L"Element " + std::to_wstring(index + 1),
          L"at (" + std::to_wstring(element.X()) + L", " + std::to_wstring(element.Y()) +
              L") in a " + Size(element.LayerWidth(), element.LayerHeight()) + L" layer");
    if (element.LayerWidth() <= 0 || element.LayerHeight() <= 0)
        Warn(L"the layer is empty (the element comes before the background image, whose size "
             L"the layer takes): nothing of the element shows");
    if (element.HasImage())
        PrintBitmap(L"  image", element.Image(), true);
    else
        Warn(L"no image");
    if (element.HasMask())
        PrintBitmap(L"  mask", element.Mask(), true);
    if (element.HasVisibility())
        PrintExpression(L"  visible", nullptr, element.Visibility(), ExpressionRole::Visibility);
    if (element.HasShift()) {
        PrintExpression(L"  shift", &element.Shift(), element.Shift().expression,
                        ExpressionRole::Drawing);
        if (element.Nonlinearity().size() < 2)
            Detail(L"moves " + Point(element.ShiftScaleX(), element.ShiftScaleY()) +
                   L" pixels per unit");
    }
    if (element.HasRotation())
        PrintExpression(L"  rotation", &element.Rotation(), element.Rotation().expression,
                        ExpressionRole::Drawing);
    const auto& table = element.Nonlinearity();
    if (!table.empty()) {
        std::wstring points;
        for (const NonlinearityPoint& point : table) {
            points += points.empty() ? L"" : L", ";
            points += FormatNumber(point.value) + L" at " + FormatNumber(point.degrees) + L"\u00B0";
        }
        Field(L"  table", std::to_wstring(table.size()) + L" points (value at bearing): " + points);
        if (table.size() < 2)
            Warn(L"a table of one point is not used: it takes two");
    }
    PrintState(element);
}

void CheckPrinter::PrintBitmap(const wchar_t* label, const CGaugeBitmap& bitmap, bool withAxis) {
    const std::wstring name = ImageName(bitmap.Path());
    if (bitmap.IsLoaded()) {
        std::wstring text = name + L", " + Size(bitmap.Width(), bitmap.Height());
        if (withAxis)
            text += L", axis " + Point(bitmap.AxisX(), bitmap.AxisY());
        if (bitmap.Alpha())
            text += L", drawn with its alpha";
        Field(label, text);
        return;
    }
    if (bitmap.Path().empty() || bitmap.Path().back() == L'\\') {
        Field(label, L"no file named");
        Warn(L"the image element has no \"Name\"");
        return;
    }
    const bool exists = GetFileAttributesW(bitmap.Path().c_str()) != INVALID_FILE_ATTRIBUTES;
    Field(label, name + (exists ? L" (not a bitmap)" : L" (missing)"));
    Warn((exists ? L"cannot load " : L"missing image file ") + bitmap.Path());
}

void CheckPrinter::PrintExpression(const wchar_t* label, const ClampedExpression* clamps,
                                   const std::wstring& expression, ExpressionRole role) {
    std::wstring text = Quoted(expression);
    if (clamps && clamps->hasMinimum)
        text += L", minimum " + FormatNumber(clamps->minimum);
    if (clamps && clamps->hasMaximum)
        text += L", maximum " + FormatNumber(clamps->maximum);
    Field(label, text);
    PrintLines(DescribeExpression(expression, role, m_session.Store()));
}

void CheckPrinter::PrintLines(const std::vector<ExpressionLine>& lines) {
    for (const ExpressionLine& line : lines) {
        if (line.warning)
            Warn(line.text);
        else
            Detail(line.text);
    }
}

// The element at the values given, measured by drawing it as the renderer does.
void CheckPrinter::PrintState(const CGaugeElement& element) {
    GaugeVariables& store = m_session.Store();
    std::wstring state;
    if (element.HasVisibility()) {
        const float value = Evaluate(store, element.Visibility());
        state += L"visibility " + FormatNumber(value) +
                 (value > 0.1f ? L" (shown)" : L" (hidden: not above 0.1)");
    }
    if (element.HasRotation()) {
        const float value =
            ClampValue(Evaluate(store, element.Rotation().expression), element.Rotation());
        const float angle = NormaliseDegrees(RotationDegrees(value, element.Nonlinearity()));
        state += (state.empty() ? L"" : L"; ") + std::wstring(L"rotation value ") +
                 FormatNumber(value) + L", turned " + FormatNumber(angle + 0.0f) +
                 L"\u00B0 counter-clockwise";
    }
    if (element.HasShift()) {
        const float value =
            ClampValue(Evaluate(store, element.Shift().expression), element.Shift());
        const POINTFLOAT offset = ShiftOffset(value, element.ShiftScaleX(), element.ShiftScaleY(),
                                              element.Nonlinearity());
        state += (state.empty() ? L"" : L"; ") + std::wstring(L"shift value ") +
                 FormatNumber(value) + L", moved " + Point(offset.x, offset.y);
    }
    const DrawnPixels drawn = Measure(element);
    const std::wstring where = drawn.any ? L"draws " + Area(drawn.extent) : L"draws nothing";
    Field(L"  now", state.empty() ? where : state + L"; " + where);
    if (drawn.any && !Within(drawn.extent, kScreen))
        Warn(L"draws outside the 320 x 240 screen at these values: what lies past its edge is "
             L"cut off");
}

DrawnPixels CheckPrinter::Measure(const CGaugeElement& element) {
    const POINT origin = GaugeScreen::Origin(m_renderer.GaugeSize());
    RECT bounds = kScreen;
    bounds.left = std::min<long>(bounds.left, origin.x);
    bounds.top = std::min<long>(bounds.top, origin.y);
    bounds.right = std::max<long>(bounds.right, origin.x + element.LayerWidth());
    bounds.bottom = std::max<long>(bounds.bottom, origin.y + element.LayerHeight());
    const long long width = bounds.right - bounds.left;
    const long long height = bounds.bottom - bounds.top;
    DrawnPixels drawn;
    if (width * height > kLargestCanvas)
        return drawn;
    // A black canvas around the screen: every pixel the element leaves not black was drawn.
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width * height * 3), 0);
    OutputPixels canvas(pixels.data(), static_cast<int>(width), static_cast<int>(height),
                        static_cast<std::ptrdiff_t>(width * 3));
    element.Draw(canvas, POINT{origin.x - bounds.left, origin.y - bounds.top}, m_layer);
    for (int y = 0; y < canvas.Height(); ++y) {
        const std::uint8_t* row = canvas.Row(y);
        for (int x = 0; x < canvas.Width(); ++x) {
            if ((row[3 * x] | row[3 * x + 1] | row[3 * x + 2]) == 0)
                continue;
            const long sx = x + bounds.left;
            const long sy = y + bounds.top;
            if (!drawn.any)
                drawn.extent = RECT{sx, sy, sx + 1, sy + 1};
            drawn.any = true;
            drawn.extent.left = std::min(drawn.extent.left, sx);
            drawn.extent.top = std::min(drawn.extent.top, sy);
            drawn.extent.right = std::max(drawn.extent.right, sx + 1);
            drawn.extent.bottom = std::max(drawn.extent.bottom, sy + 1);
        }
    }
    return drawn;
}

void CheckPrinter::PrintMouseAreas() {
    const auto& areas = m_renderer.MouseAreas();
    for (size_t i = 0; i < areas.size(); ++i) {
        Blank();
        const bool second = i == 1;
        Field(L"Mouse area " + std::to_wstring(i + 1), i == 0 ? L"the panel's Up and Down"
                                                       : second
                                                           ? L"the panel's Left and Right"
                                                           : L"no input of the panel reaches it");
        PrintAction(second ? L"  up (Left)" : L"  up", areas[i].up);
        PrintAction(second ? L"  down (Right)" : L"  down", areas[i].down);
    }
    if (areas.empty()) {
        Blank();
        Field(L"Mouse areas", L"none: the panel's Up, Down, Left and Right do nothing");
    }
}

void CheckPrinter::PrintAction(const wchar_t* label, const GaugeAction& action) {
    if (action.clientEventId != 0) {
        Field(label, L"transmits the simulator event " + action.eventName);
    } else if (!action.script.empty()) {
        Field(label, L"runs " + Quoted(action.script));
        PrintLines(DescribeExpression(action.script, ExpressionRole::Script, m_session.Store()));
    } else {
        Field(label, L"nothing");
    }
}

void CheckPrinter::PrintLabels() {
    const auto& labels = m_renderer.ButtonLabels();
    if (labels.empty())
        return;
    Blank();
    const int gaugeWidth = m_renderer.GaugeSize().cx;
    for (const ButtonLabel& label : labels) {
        const RECT rect = GaugeScreen::LabelRectangle(label.buttonNumber, gaugeWidth);
        Field(L"Label " + std::to_wstring(label.buttonNumber),
              Quoted(label.text) + L", event " + label.eventName + L", weight " +
                  std::to_wstring(label.fontWeight) + L", colour " + FormatColour(label.colour));
        if (label.buttonNumber < 1 || label.buttonNumber > 6)
            Warn(L"only buttons 1 to 6 have labels and lamps: this one never shows");
        else if (rect.right <= rect.left)
            Warn(L"no room left of the gauge: the label does not show");
        else
            Detail(L"in " + Area(rect) + L"; button " + std::to_wstring(label.buttonNumber) +
                   L"'s lamp is lit");
    }
}

void CheckPrinter::PrintSimulatorVariables() {
    std::map<int, std::wstring> registered;
    auto collect = [this, &registered](std::wstring_view token, ClassifiedToken classified, int) {
        if (classified.kind != TokenKind::Variable)
            return;
        const VariableReference variable = ParseVariableToken(token);
        if (!GaugeVariables::IsSimulatorLetter(variable.letter))
            return;
        const int datum = m_session.Store().DatumId(variable.name, variable.units);
        if (datum >= 0)
            registered.emplace(datum,
                               std::wstring(variable.name) + L"," + std::wstring(variable.units));
    };
    for (const auto& element : m_renderer.Elements()) {
        if (element->HasShift())
            WalkTokens(element->Shift().expression.data(), element->Shift().expression.size(),
                       collect);
        if (element->HasRotation())
            WalkTokens(element->Rotation().expression.data(), element->Rotation().expression.size(),
                       collect);
    }
    Blank();
    Field(L"Simulator", Count(static_cast<size_t>(m_session.Store().Count()), L"variable") +
                            L" in the page's data definition (datum: name,units)");
    for (const auto& [datum, key] : registered)
        Detail(std::to_wstring(datum) + L": " + key);
}

void CheckPrinter::PrintPassedOver(const CReaderFindings& findings) {
    const auto& passed = findings.PassedOverElements();
    if (passed.empty())
        return;
    Blank();
    Field(L"Passed over",
          Count(passed.size(), L"element") + L" of the file that the panel does not use");
    for (const CReaderFindings::Passed& entry : passed) {
        switch (entry.reason) {
        case PassedOver::Unused:
            Detail(entry.path);
            break;
        case PassedOver::FailsLoad:
            Warn(entry.path + L": not understood here, so the gauge does not load");
            break;
        case PassedOver::DropsMouseAreas:
            Warn(entry.path + L" has no \"Type\": its mouse area and the later ones of its "
                              L"\"Mouse\" are dropped");
            break;
        }
    }
}

int CheckPrinter::PrintResult(const GaugeLoad& load, const CReaderFindings& findings) {
    Blank();
    Field(L"Warnings", std::to_wstring(m_warnings));
    if (!load.named) {
        Field(L"Result", L"the built-in gauge, as a page without a gauge shows it");
        return 0;
    }
    if (load.loaded) {
        Field(L"Result", L"the gauge loads");
        return 0;
    }
    if (!load.found)
        Field(L"Result", L"the gauge does not load: its cabinet could not be extracted");
    else if (!findings.SawRoot())
        Field(L"Result", L"the gauge does not load: the file is missing or not well-formed XML");
    else
        Field(L"Result", L"the gauge does not load");
    Detail(L"the page shows the built-in airspeed gauge over whatever was read");
    return 1;
}

std::wstring CheckPrinter::ImageName(const std::wstring& path) const {
    const std::wstring folder = m_renderer.ImageFolder() + L"\\";
    if (!m_renderer.ImageFolder().empty() && path.size() > folder.size() &&
        _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0)
        return path.substr(folder.size());
    return path;
}

} // namespace

void CReaderFindings::OnRoot(const CXmlElement& root) {
    m_sawRoot = true;
    m_rootName = root.name;
}

void CReaderFindings::OnPassedOver(const CXmlElement& node, PassedOver reason) {
    m_passed.push_back({NodePath(node), reason});
}

int PrintCheckReport(ToolStream& out, const GaugeSource& source, const GaugeLoad& load,
                     const CReaderFindings& findings, CGaugeSession& session) {
    return CheckPrinter(out, session).Print(source, load, findings);
}
