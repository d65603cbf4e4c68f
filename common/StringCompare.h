#pragma once
// Case-insensitive ordering for keys of maps (device paths, event names).

#include <windows.h>

#include <cstring>
#include <string>
#include <wchar.h>

struct LessNoCaseW {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }
};

struct LessNoCaseA {
    bool operator()(const std::string& a, const std::string& b) const {
        return _stricmp(a.c_str(), b.c_str()) < 0;
    }
};

inline bool EqualsNoCase(const wchar_t* a, const wchar_t* b) { return _wcsicmp(a, b) == 0; }
