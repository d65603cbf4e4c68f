#pragma once
// How the application creates the pages named in "Dravik.xml": one factory per kind of page.
// A kind whose page class is not part of the build has no factory, and its elements are
// skipped like unknown ones.

#include <windows.h>

#include <array>
#include <cstddef>

class IPage;
class IPageHost;

enum class PageKind : size_t {
    Gauge,       // a "Gauge" element
    OrvikComNav, // the children of an "Orvik" element
    OrvikAdf,
    OrvikDme,
    OrvikXpndr,
    OrvikAutopilot,
    OrvikVorHdg,
    Count
};

struct PageArguments {
    DWORD pageId;
    IPageHost* owner;
    const wchar_t* className; // the joystick pages' class name; null for the gauge page
    bool radio1;              // "ComNav" only: its "Radio1" attribute is "true" (any case)
};

// Returns the new page, or null when its memory cannot be allocated (use new (std::nothrow)).
using PageFactory = IPage* (*)(const PageArguments& arguments);

class CPageFactories {
public:
    void Set(PageKind kind, PageFactory factory) { m_factories[Index(kind)] = factory; }
    PageFactory Get(PageKind kind) const { return m_factories[Index(kind)]; }

private:
    static size_t Index(PageKind kind) { return static_cast<size_t>(kind); }

    std::array<PageFactory, static_cast<size_t>(PageKind::Count)> m_factories{};
};
