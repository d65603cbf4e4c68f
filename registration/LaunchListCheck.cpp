#include "registration/LaunchListCheck.h"

#include "app/xml/XmlElement.h"

#include "common/StringCompare.h"

#include <windows.h>

#include <objbase.h>

#include <compare>
#include <map>
#include <memory>
#include <vector>

namespace {

// The XML reader is a COM object; a thread in another apartment already has COM and keeps it.
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

struct LaunchEntry {
    std::vector<std::wstring> names;
    std::vector<std::wstring> paths;

    auto operator<=>(const LaunchEntry&) const = default;
};

// The document element's "Launch.Addon" children; false when the file is missing, not
// well-formed or not a launch list at all.
bool ReadEntries(const std::wstring& path, std::vector<LaunchEntry>& entries) {
    std::unique_ptr<CXmlElement> root;
    if (!ParseXmlFile(path.c_str(), root) || !root ||
        !EqualsNoCase(root->name.c_str(), L"SimBase.Document"))
        return false;
    for (const auto& element : root->children) {
        if (!EqualsNoCase(element->name.c_str(), L"Launch.Addon"))
            continue;
        LaunchEntry entry;
        for (const auto& field : element->children) {
            if (EqualsNoCase(field->name.c_str(), L"Name"))
                entry.names.push_back(field->text);
            else if (EqualsNoCase(field->name.c_str(), L"Path"))
                entry.paths.push_back(field->text);
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

} // namespace

bool RewriteKeepsLaunchList(const std::wstring& current, const std::wstring& rewritten,
                            const DroppableEntry& droppable) {
    const ComApartment apartment;
    std::vector<LaunchEntry> before;
    if (!ReadEntries(current, before))
        return true;
    std::vector<LaunchEntry> after;
    if (!ReadEntries(rewritten, after))
        return false;
    std::map<LaunchEntry, size_t> kept;
    for (LaunchEntry& entry : after)
        ++kept[std::move(entry)];
    for (const LaunchEntry& entry : before) {
        if (droppable(entry.paths.empty() ? std::wstring() : entry.paths.front()))
            continue;
        const auto found = kept.find(entry);
        if (found == kept.end() || found->second == 0)
            return false;
        --found->second;
    }
    return true;
}
