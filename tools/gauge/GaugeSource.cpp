#include "tools/gauge/GaugeSource.h"

#include "common/StringCompare.h"

#include <windows.h>

namespace {

// The joystick pages of an "Orvik" group take page numbers as gauges do.
constexpr const wchar_t* kJoystickPages[] = {L"ComNav", L"Adf",       L"Dme",
                                             L"Xpndr",  L"Autopilot", L"VorHdg"};

bool IsJoystickPage(const CXmlElement& element) {
    for (const wchar_t* name : kJoystickPages) {
        if (EqualsNoCase(element.name.c_str(), name))
            return true;
    }
    return false;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full.empty() ? path : full;
}

std::unique_ptr<CXmlElement> CopyAttributes(const CXmlElement& element) {
    auto copy = std::make_unique<CXmlElement>();
    copy->name = element.name;
    copy->attributes = element.attributes;
    return copy;
}

bool IsNamedRoot(const wchar_t* rootFolder) {
    return rootFolder &&
           (EqualsNoCase(rootFolder, L"Absolute") || EqualsNoCase(rootFolder, L"Fsx"));
}

} // namespace

bool GaugeSource::FromOptions(const GaugeToolOptions& options, GaugeSource& source,
                              std::wstring& error) {
    if (!options.pagesFile.empty())
        return source.LoadPage(options.pagesFile, options.page, error);
    if (!options.file && !options.cabFile && !options.rootFolder)
        return true;
    source.m_own = std::make_unique<CXmlElement>();
    source.m_own->name = L"Gauge";
    if (options.file)
        source.m_own->attributes[L"File"] = *options.file;
    if (options.cabFile)
        source.m_own->attributes[L"CabFile"] = *options.cabFile;
    if (options.rootFolder)
        source.m_own->attributes[L"RootFolder"] = *options.rootFolder;
    source.m_element = source.m_own.get();
    source.m_description = L"the command line's attributes";
    return true;
}

bool GaugeSource::LoadPage(const std::wstring& pagesFile, int page, std::wstring& error) {
    const std::wstring path = FullPath(pagesFile);
    if (!ParseXmlFile(path.c_str(), m_document) || !m_document) {
        error = L"cannot read " + path;
        return false;
    }
    int number = 0;
    for (const auto& child : m_document->children) {
        if (EqualsNoCase(child->name.c_str(), L"Gauge")) {
            if (++number == page) {
                m_element = child.get();
                break;
            }
        } else if (EqualsNoCase(child->name.c_str(), L"Orvik")) {
            for (const auto& joystickPage : child->children) {
                if (IsJoystickPage(*joystickPage) && ++number == page) {
                    error = L"page " + std::to_wstring(page) + L" of " + path +
                            L" is the joystick page " + joystickPage->name + L", not a gauge";
                    return false;
                }
            }
        }
    }
    if (m_element == nullptr) {
        error =
            path + L" has " + std::to_wstring(number) + L" pages, no page " + std::to_wstring(page);
        return false;
    }
    m_description = L"page " + std::to_wstring(page) + L" of " + path;
    PlaceOnFolder(path.substr(0, path.rfind(L'\\')));
    return true;
}

// Where the element's root folder is the program's own, its names are joined to `folder`
// exactly as the page joins them to the program's folder.
void GaugeSource::PlaceOnFolder(const std::wstring& folder) {
    if (IsNamedRoot(m_element->GetAttribute(L"RootFolder")))
        return;
    m_location = CopyAttributes(*m_element);
    m_location->attributes[L"RootFolder"] = L"Absolute";
    const wchar_t* file = m_element->GetAttribute(L"File");
    const wchar_t* cabFile = m_element->GetAttribute(L"CabFile");
    // A gauge in a cabinet is named inside the extracted folder: only the cabinet is placed.
    if (cabFile)
        m_location->attributes[L"CabFile"] = folder + L"\\" + cabFile;
    else
        m_location->attributes[L"File"] = folder + L"\\" + (file ? file : L"");
}
