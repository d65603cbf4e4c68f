#include "pages/gauge/ButtonLabelConfig.h"

#include "pages/gauge/ConfigNumber.h"
#include "pages/gauge/model/GaugeRenderer.h"

#include "app/xml/XmlElement.h"
#include "common/StringCompare.h"

namespace {

constexpr DWORD kDefaultFontWeight = 400;
constexpr DWORD kDefaultLabelColour = 0xFFFFFF;

} // namespace

void AddConfiguredButtonLabels(const CXmlElement& element, CGaugeRenderer& renderer) {
    for (const auto& child : element.children) {
        if (!child || !EqualsNoCase(child->name.c_str(), L"Button"))
            continue;
        const wchar_t* id = child->GetAttribute(L"Id");
        const wchar_t* name = child->GetAttribute(L"Name");
        const wchar_t* event = child->GetAttribute(L"Event");
        if (!id || !name || !event)
            continue;
        renderer.AddButtonLabel(
            static_cast<int>(ReadConfigNumber(id)), name, event,
            static_cast<int>(ReadConfigNumber(*child, L"Bold", kDefaultFontWeight)),
            ReadConfigNumber(*child, L"RGB", kDefaultLabelColour));
    }
}
