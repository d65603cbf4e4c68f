#include "standins/simconnect/VariableStore.h"

#include "standins/simconnect/Units.h"

#include <cctype>
#include <cstring>

namespace {

// Names under which pages and panels read the same variable.
const std::pair<const char*, const char*> kAliases[] = {
    {"nav1 obs", "nav obs:1"},
    {"nav2 obs", "nav obs:2"},
};

std::string Canonical(const std::string& name) {
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [alias, target] : kAliases)
        if (lower == alias)
            return target;
    return lower;
}

} // namespace

CVariableStore::Key CVariableStore::MakeKey(const std::string& name, const std::string& unitKind) {
    return {Canonical(name), unitKind};
}

void CVariableStore::Set(const std::string& name, const std::string& units, double value) {
    const Unit unit = LookupUnit(units);
    m_values[MakeKey(name, unit.kind)] = ToCanonical(unit, value);
}

std::optional<double> CVariableStore::Get(const std::string& name, const std::string& units) const {
    const Unit unit = LookupUnit(units);
    const auto found = m_values.find(MakeKey(name, unit.kind));
    if (found == m_values.end())
        return std::nullopt;
    return FromCanonical(unit, found->second);
}

double CVariableStore::GetOrZero(const std::string& name, const std::string& units) const {
    return Get(name, units).value_or(0.0);
}
