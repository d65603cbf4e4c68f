#pragma once
// The simulated aircraft's variables: one canonical value per name (case ignored) and kind of
// unit, so a variable set in one unit reads in every unit of its kind. Not locked: the
// simulator guards it.

#include <map>
#include <optional>
#include <string>
#include <utility>

class CVariableStore {
public:
    void Set(const std::string& name, const std::string& units, double value);
    std::optional<double> Get(const std::string& name, const std::string& units) const;
    // Reads as Get, but a variable never set reads as 0.
    double GetOrZero(const std::string& name, const std::string& units) const;
    void Clear() { m_values.clear(); }

private:
    using Key = std::pair<std::string, std::string>; // lower-case name, unit kind
    static Key MakeKey(const std::string& name, const std::string& unitKind);

    std::map<Key, double> m_values;
};
