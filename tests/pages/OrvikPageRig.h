#pragma once
// One joystick page as the program runs it: made by its factory with a host that routes its
// refreshes through the display-device router, initialised against the stand-in simulator, and
// shown on a joystick display of the scripted display-device library.

#include "app/contracts/PageFactory.h"
#include "app/display/DisplayDeviceRouter.h"
#include "pages/joystick/Page_Orvik_Base.h"
#include "tests/support/FakeNuvex.h"
#include "tests/support/SimConnectStandin.h"
#include "tests/support/TestPageHost.h"

#include <string>
#include <vector>

inline const NuvexDevice kJoystick = reinterpret_cast<NuvexDevice>(0x10);
inline const NuvexDevice kPanel = reinterpret_cast<NuvexDevice>(0x20);

// The stand-in simulator, reset once for the whole process: the binding maps each event name once,
// so the stand-in's mappings must outlive every page.
CSimConnectStandin& Simulator();

class COrvikPageRig {
public:
    static constexpr DWORD kPageId = 1;

    explicit COrvikPageRig(PageKind kind, bool radio1 = false);
    ~COrvikPageRig();
    COrvikPageRig(const COrvikPageRig&) = delete;
    COrvikPageRig& operator=(const COrvikPageRig&) = delete;

    CPage_Orvik_Base& Page() { return *m_page; }
    CFakeNuvex& Nuvex() { return m_fake; }

    // Presses separated by spaces, each the letters of its buttons: "S", "U", "D", "SD"; "-" is a
    // report with no bit set.
    void Press(const std::string& presses);
    template <typename Record> void Feed(const Record& record) {
        m_page->OnSimRecieveData(&record, sizeof(record));
    }

    // The last three lines the joystick display received, and how many lines it received.
    std::vector<std::wstring> Shown() const;
    size_t LinesSent() const;
    // The simulator events triggered since the page was initialised, by name.
    std::vector<std::string> Events() const;
    // The datums the page defined.
    std::vector<standin::Datum> Datums() const;

private:
    NuvexEntryPoints m_savedEntryPoints;
    CFakeNuvex m_fake;
    CDisplayDeviceRouter m_router;
    CTestPageHost m_host;
    PageMap m_pages;
    CPage_Orvik_Base* m_page = nullptr;
    size_t m_firstDatum = 0;
    size_t m_firstTransmission = 0;
};
