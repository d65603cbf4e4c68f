#include "pages/gauge/reader/GaugeFileReader.h"

#include "app/trace/Trace.h"
#include "common/StringCompare.h"
#include "pages/gauge/model/AnsiText.h"
#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"

#include <climits>
#include <cmath>
#include <cwchar>
#include <utility>

namespace {

constexpr size_t kEventNameBuffer = 1024;

bool Is(const CXmlElement& node, const wchar_t* name) {
    return EqualsNoCase(node.name.c_str(), name);
}

// A decimal number as far as the text reads as one, rounded to float; 0 for no text.
float ToFloat(const wchar_t* text) {
    return text != nullptr ? static_cast<float>(std::wcstod(text, nullptr)) : 0.0f;
}

float FloatAttribute(const CXmlElement& node, const wchar_t* name) {
    return ToFloat(node.GetAttribute(name));
}

int ToInteger(const wchar_t* text) {
    const long value = std::wcstol(text, nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// Truncation toward zero that saturates: a position such as 1e30 or NaN in a file must not make
// the conversion undefined.
int TruncateToInt(float value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT_MAX;
    if (value <= -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(value);
}

constexpr const wchar_t* kLineBlanks = L" \t\r\n";

// "x,y": the text up to the last comma, and the text after it; without a comma, y is 0.
std::pair<float, float> TwoNumbers(const std::wstring& text) {
    const size_t comma = text.rfind(L',');
    if (comma == std::wstring::npos)
        return {ToFloat(text.c_str()), 0.0f};
    const size_t second = text.find_first_not_of(kLineBlanks, comma + 1);
    return {ToFloat(text.substr(0, comma).c_str()),
            second == std::wstring::npos ? 0.0f : ToFloat(text.c_str() + second)};
}

// The folder part of a path (up to its last "\"), or `unchanged` for a path without one.
std::wstring FolderOf(const wchar_t* path, const std::wstring& unchanged) {
    const std::wstring text(path);
    const size_t slash = text.rfind(L'\\');
    return slash == std::wstring::npos ? unchanged : text.substr(0, slash);
}

// The last "Axis" child of an older-schema image, (0, 0) without one.
std::pair<float, float> OlderAxis(const CXmlElement& image) {
    std::pair<float, float> axis{0.0f, 0.0f};
    for (const auto& child : image.children) {
        if (Is(*child, L"Axis"))
            axis = {FloatAttribute(*child, L"X"), FloatAttribute(*child, L"Y")};
    }
    return axis;
}

std::pair<float, float> NewerAxis(const CXmlElement& image) {
    std::pair<float, float> axis{0.0f, 0.0f};
    for (const auto& child : image.children) {
        if (Is(*child, L"Axis"))
            axis = TwoNumbers(child->text);
    }
    return axis;
}

// An older "Value": the expression is its text, the clamps its attributes.
ClampedExpression OlderValue(const CXmlElement& value) {
    ClampedExpression result;
    const wchar_t* minimum = value.GetAttribute(L"Minimum");
    const wchar_t* maximum = value.GetAttribute(L"Maximum");
    result.hasMinimum = minimum != nullptr;
    result.minimum = ToFloat(minimum);
    result.hasMaximum = maximum != nullptr;
    result.maximum = ToFloat(maximum);
    result.expression = value.text;
    return result;
}

} // namespace

CGaugeFileReader::CGaugeFileReader(CGaugeRenderer& renderer, GaugeVariables& store,
                                   IGaugeFileObserver* observer)
    : m_renderer(renderer), m_store(store), m_observer(observer) {}

bool CGaugeFileReader::Read(const wchar_t* path) {
    std::unique_ptr<CXmlElement> root;
    if (!ParseXmlFile(path, root)) {
        DebugTrace(L"Unable to Read Gauge File");
        return false;
    }
    if (root && m_observer)
        m_observer->OnRoot(*root);
    if (root && Is(*root, L"Gauge")) {
        const wchar_t* name = root->GetAttribute(L"Name");
        m_renderer.m_gaugeName = name != nullptr ? name : L"";
        m_renderer.m_imageFolder = FolderOf(path, m_renderer.m_imageFolder) + L"\\1024";
        return ReadOlderGauge(*root);
    }
    if (root && Is(*root, L"SimBase.Document")) {
        m_renderer.m_imageFolder = FolderOf(path, m_renderer.m_imageFolder);
        for (const auto& child : root->children) {
            if (Is(*child, L"SimGauge.Gauge"))
                ReadNewerGauge(*child);
            else
                PassOver(*child);
        }
        return true;
    }
    if (root)
        PassOver(*root, PassedOver::FailsLoad);
    DebugTrace(L"Invalid Node Parsing Gauge File");
    return false;
}

// Older schema ---------------------------------------------------------------------------------

bool CGaugeFileReader::ReadOlderGauge(const CXmlElement& root) {
    bool result = true;
    for (const auto& child : root.children) {
        if (Is(*child, L"Image")) {
            m_renderer.m_background.Load(ImagePath(*child).c_str(), 0.0f, 0.0f, false);
            if (const wchar_t* sizes = child->GetAttribute(L"ImageSizes"))
                ReadImageSizes(sizes);
        } else if (Is(*child, L"Element")) {
            std::unique_ptr<CGaugeElement> element = NewElement();
            ReadOlderElement(*child, *element);
            m_renderer.m_elements.push_back(std::move(element));
        } else if (Is(*child, L"Mouse")) {
            ReadOlderMouse(*child);
        } else {
            PassOver(*child, PassedOver::FailsLoad);
            result = false; // the rest of the file is still read
        }
    }
    return result;
}

// "design width, design height, gauge width, gauge height", taken from the right: a missing
// comma skips its number, except the first, which takes whatever is left.
void CGaugeFileReader::ReadImageSizes(const wchar_t* text) {
    std::wstring rest(text);
    const auto takeLast = [&rest](int& target) {
        const size_t comma = rest.rfind(L',');
        if (comma == std::wstring::npos)
            return;
        const size_t number = rest.find_first_not_of(kLineBlanks, comma + 1);
        target = number == std::wstring::npos ? 0 : ToInteger(rest.c_str() + number);
        rest.resize(comma);
    };
    takeLast(m_renderer.m_gaugeHeight);
    takeLast(m_renderer.m_gaugeWidth);
    takeLast(m_renderer.m_designHeight);
    m_renderer.m_designWidth = ToInteger(rest.c_str());
}

void CGaugeFileReader::ReadOlderElement(const CXmlElement& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        if (Is(*child, L"Position")) {
            element.SetPosition(TruncateToInt(ScaledX(FloatAttribute(*child, L"X"))),
                                TruncateToInt(ScaledY(FloatAttribute(*child, L"Y"))));
        } else if (Is(*child, L"Visible")) {
            element.SetVisibility(child->text);
        } else if (Is(*child, L"MaskImage")) {
            const auto [axisX, axisY] = OlderAxis(*child);
            element.SetMask(ImagePath(*child), ScaledX(axisX), ScaledY(axisY));
            PassOverChildrenBut(*child, {L"Axis"});
        } else if (Is(*child, L"Image")) {
            for (const auto& part : child->children) {
                if (Is(*part, L"Nonlinearity"))
                    ReadNonlinearity(*part, element);
                else if (!Is(*part, L"Axis"))
                    PassOver(*part);
            }
            const auto [axisX, axisY] = OlderAxis(*child);
            const wchar_t* alpha = child->GetAttribute(L"Alpha");
            element.SetImage(ImagePath(*child), ScaledX(axisX), ScaledY(axisY),
                             alpha != nullptr && EqualsNoCase(alpha, L"Yes"));
        } else if (Is(*child, L"Shift")) {
            ReadOlderShift(*child, element);
        } else if (Is(*child, L"Rotate")) {
            ReadOlderRotation(*child, element);
        } else {
            PassOver(*child); // "Select" among them
        }
    }
}

void CGaugeFileReader::ReadOlderShift(const CXmlElement& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        if (Is(*child, L"Value")) {
            element.SetShift(OlderValue(*child));
        } else if (Is(*child, L"Scale")) {
            element.SetShiftScale(ScaledX(FloatAttribute(*child, L"X")),
                                  ScaledY(FloatAttribute(*child, L"Y")));
        } else if (Is(*child, L"Nonlinearity")) {
            ReadNonlinearity(*child, element);
        } else {
            PassOver(*child); // "Failures" among them
        }
    }
}

void CGaugeFileReader::ReadOlderRotation(const CXmlElement& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        if (Is(*child, L"Value"))
            element.SetRotation(OlderValue(*child));
        else if (Is(*child, L"Nonlinearity"))
            ReadNonlinearity(*child, element);
        else
            PassOver(*child);
    }
}

void CGaugeFileReader::ReadNonlinearity(const CXmlElement& node, CGaugeElement& element) {
    for (const auto& item : node.children) {
        if (!Is(*item, L"Item")) {
            PassOver(*item);
            continue;
        }
        const float value = FloatAttribute(*item, L"Value");
        if (const wchar_t* degrees = item->GetAttribute(L"Degrees"))
            element.AddPointByDegrees(value, ToFloat(degrees));
        else
            element.AddPointByPosition(value, ScaledX(FloatAttribute(*item, L"X")),
                                       ScaledY(FloatAttribute(*item, L"Y")));
    }
}

// An action whose "Cursor" lacks its type drops its area and every later area of this "Mouse".
void CGaugeFileReader::ReadOlderMouse(const CXmlElement& node) {
    bool accepted = true;
    for (const auto& area : node.children) {
        if (!Is(*area, L"Area")) {
            PassOver(*area);
            continue;
        }
        CMouseArea mouseArea;
        for (const auto& inner : area->children) {
            if (!Is(*inner, L"Area")) {
                PassOver(*inner);
                continue;
            }
            GaugeAction action;
            bool up = false;
            if (ReadOlderAction(*inner, action, up))
                (up ? mouseArea.up : mouseArea.down) = std::move(action);
            else
                accepted = false;
        }
        if (accepted)
            m_renderer.m_mouseAreas.push_back(std::move(mouseArea));
    }
}

// Only a cursor of type "UpArrow" makes an up action.
bool CGaugeFileReader::ReadOlderAction(const CXmlElement& node, GaugeAction& action, bool& up) {
    bool succeeded = true;
    for (const auto& child : node.children) {
        if (Is(*child, L"Cursor")) {
            const wchar_t* type = child->GetAttribute(L"Type");
            if (type != nullptr) {
                up = EqualsNoCase(type, L"UpArrow");
            } else {
                PassOver(*child, PassedOver::DropsMouseAreas);
                succeeded = false;
            }
        } else if (Is(*child, L"Click")) {
            if (const wchar_t* event = child->GetAttribute(L"Event")) {
                action.clientEventId = MapEvent(event);
                action.eventName = event;
                action.script.clear();
            } else {
                action.clientEventId = 0;
                action.eventName.clear();
                action.script = child->text;
            }
        } else {
            PassOver(*child);
        }
    }
    return succeeded;
}

// Newer schema ---------------------------------------------------------------------------------

void CGaugeFileReader::ReadNewerGauge(const CXmlElement& gauge) {
    for (const auto& child : gauge.children) {
        if (Is(*child, L"Image")) {
            m_renderer.m_background.Load(ImagePath(*child).c_str(), 0.0f, 0.0f, false);
        } else if (Is(*child, L"Element")) {
            std::unique_ptr<CGaugeElement> element = NewElement();
            ReadNewerElement(*child, *element);
            m_renderer.m_elements.push_back(std::move(element));
        } else if (Is(*child, L"MouseArea")) {
            ReadNewerMouse(*child);
        } else {
            PassOver(*child); // "FloatPosition" among them: it is read and not used
        }
    }
}

void CGaugeFileReader::ReadNewerElement(const CXmlElement& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        if (Is(*child, L"FloatPosition")) {
            const auto [x, y] = TwoNumbers(child->text);
            element.SetPosition(TruncateToInt(x), TruncateToInt(y));
        } else if (Is(*child, L"Visibility")) {
            element.SetVisibility(child->text);
        } else if (Is(*child, L"MaskImage")) {
            const auto [axisX, axisY] = NewerAxis(*child);
            element.SetMask(ImagePath(*child), axisX, axisY);
            PassOverChildrenBut(*child, {L"Axis"});
        } else if (Is(*child, L"Image")) {
            const auto [axisX, axisY] = NewerAxis(*child);
            element.SetImage(ImagePath(*child), axisX, axisY, false);
            PassOverChildrenBut(*child, {L"Axis"});
        } else if (Is(*child, L"Shift")) {
            ReadNewerShift(*child, element);
        } else if (Is(*child, L"Rotation")) {
            ReadNewerRotation(*child, element);
        } else {
            PassOver(*child); // "Select" among them
        }
    }
}

void CGaugeFileReader::ReadNewerShift(const CXmlElement& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        if (Is(*child, L"Scale")) {
            const auto [x, y] = TwoNumbers(child->text);
            element.SetShiftScale(x, y);
        } else if (Is(*child, L"Expression")) {
            element.SetShift(ReadNewerExpression(*child));
        } else {
            PassOver(*child);
        }
    }
}

void CGaugeFileReader::ReadNewerRotation(const CXmlElement& node, CGaugeElement& element) {
    for (const auto& child : node.children) {
        if (Is(*child, L"Expression"))
            element.SetRotation(ReadNewerExpression(*child));
        else
            PassOver(*child);
    }
}

// "Minimum", "Maximum" and "Script" children.
ClampedExpression CGaugeFileReader::ReadNewerExpression(const CXmlElement& node) const {
    ClampedExpression result;
    for (const auto& child : node.children) {
        if (Is(*child, L"Minimum")) {
            result.hasMinimum = true;
            result.minimum = ToFloat(child->text.c_str());
        } else if (Is(*child, L"Maximum")) {
            result.hasMaximum = true;
            result.maximum = ToFloat(child->text.c_str());
        } else if (Is(*child, L"Script")) {
            result.expression = child->text;
        } else {
            PassOver(*child);
        }
    }
    return result;
}

// Areas are the "MouseArea" children of the gauge's "MouseArea", actions theirs. Every action is
// accepted in this schema.
void CGaugeFileReader::ReadNewerMouse(const CXmlElement& node) {
    for (const auto& area : node.children) {
        if (!Is(*area, L"MouseArea")) {
            PassOver(*area);
            continue;
        }
        CMouseArea mouseArea;
        for (const auto& inner : area->children) {
            if (!Is(*inner, L"MouseArea")) {
                PassOver(*inner);
                continue;
            }
            GaugeAction action;
            bool up = false;
            ReadNewerAction(*inner, action, up);
            (up ? mouseArea.up : mouseArea.down) = std::move(action);
        }
        m_renderer.m_mouseAreas.push_back(std::move(mouseArea));
    }
}

// Any cursor but "DownArrow" makes an up action, the opposite default of the older schema.
void CGaugeFileReader::ReadNewerAction(const CXmlElement& node, GaugeAction& action, bool& up) {
    for (const auto& child : node.children) {
        if (Is(*child, L"CursorType")) {
            up = !EqualsNoCase(child->text.c_str(), L"DownArrow");
        } else if (Is(*child, L"MouseClick")) {
            for (const auto& click : child->children) {
                if (Is(*click, L"Script")) {
                    action.script = click->text;
                    action.clientEventId = 0;
                    action.eventName.clear();
                } else if (Is(*click, L"KeyEvent")) {
                    action.clientEventId = MapEvent(click->text);
                    action.eventName = click->text;
                    action.script.clear();
                } else {
                    PassOver(*click);
                }
            }
        } else {
            PassOver(*child);
        }
    }
}

// Helpers --------------------------------------------------------------------------------------

void CGaugeFileReader::PassOver(const CXmlElement& node, PassedOver reason) const {
    if (m_observer)
        m_observer->OnPassedOver(node, reason);
}

void CGaugeFileReader::PassOverChildrenBut(const CXmlElement& node,
                                           std::initializer_list<const wchar_t*> used) const {
    if (!m_observer)
        return;
    for (const auto& child : node.children) {
        bool isUsed = false;
        for (const wchar_t* name : used)
            isUsed = isUsed || Is(*child, name);
        if (!isUsed)
            PassOver(*child);
    }
}

std::unique_ptr<CGaugeElement> CGaugeFileReader::NewElement() const {
    return std::make_unique<CGaugeElement>(m_renderer.m_background.Width(),
                                           m_renderer.m_background.Height(), m_store);
}

std::wstring CGaugeFileReader::ImagePath(const CXmlElement& imageNode) const {
    return CGaugeBitmap::PathIn(m_renderer.m_imageFolder, imageNode.GetAttribute(L"Name"));
}

DWORD CGaugeFileReader::MapEvent(const std::wstring& eventName) const {
    return m_renderer.m_simConnect.MapClientEvent(
        ToAnsiCodePage(eventName, kEventNameBuffer).c_str());
}

float CGaugeFileReader::ScaledX(float x) const {
    return m_renderer.m_designWidth != 0 ? static_cast<float>(m_renderer.m_gaugeWidth) * x /
                                               static_cast<float>(m_renderer.m_designWidth)
                                         : x;
}

float CGaugeFileReader::ScaledY(float y) const {
    return m_renderer.m_designHeight != 0 ? static_cast<float>(m_renderer.m_gaugeHeight) * y /
                                                static_cast<float>(m_renderer.m_designHeight)
                                          : y;
}
