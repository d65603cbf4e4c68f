#include "tests/pages/OrvikPageRig.h"

#include "pages/joystick/OrvikPageFactories.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

const wchar_t* ClassName(PageKind kind) {
    switch (kind) {
    case PageKind::OrvikComNav:
        return L"CPage_Orvik_Com";
    case PageKind::OrvikAdf:
        return L"CPage_Orvik_Adf";
    case PageKind::OrvikDme:
        return L"CPage_Orvik_Dme";
    case PageKind::OrvikXpndr:
        return L"CPage_Orvik_Xpndr";
    case PageKind::OrvikAutopilot:
        return L"CPage_Orvik_Autopilot";
    case PageKind::OrvikVorHdg:
        return L"CPage_Orvik_VorHdg";
    default:
        return L"";
    }
}

NuvexEntryPoints InjectFake() {
    NuvexEntryPoints saved = GetNuvexLibrary().EntryPoints();
    GetNuvexLibrary().InjectEntryPoints(CFakeNuvex::EntryPoints());
    return saved;
}

} // namespace

CSimConnectStandin& Simulator() {
    static CSimConnectStandin simulator;
    return simulator;
}

COrvikPageRig::COrvikPageRig(PageKind kind, bool radio1)
    : m_savedEntryPoints(InjectFake()), m_router(GetNuvexLibrary()),
      m_host([this](IPage* page) { m_router.RefreshPage(page); }) {
    EXPECT_TRUE(Simulator().IsLoaded());
    m_fake.AddDevice(kJoystick, kDeviceTypeOrvik);
    m_fake.AddDevice(kPanel, kDeviceTypeVexa, L"PANEL");

    CPageFactories factories;
    AddOrvikPageFactories(factories);
    IPage* page = factories.Get(kind)({kPageId, &m_host, ClassName(kind), radio1});
    m_page = dynamic_cast<CPage_Orvik_Base*>(page);
    m_pages.emplace(kPageId, std::unique_ptr<IPage>(page));

    m_firstDatum = Simulator().Datums().size();
    m_page->OnSimInitialize(nullptr);
    m_firstTransmission = Simulator().Transmissions().size();
    EXPECT_TRUE(m_router.InitializeNuvex(m_pages));
}

COrvikPageRig::~COrvikPageRig() {
    m_router.FinalizeNuvex();
    GetNuvexLibrary().InjectEntryPoints(m_savedEntryPoints);
}

void COrvikPageRig::Press(const std::string& presses) {
    std::istringstream words(presses);
    std::string word;
    while (words >> word) {
        DWORD bits = 0;
        for (char letter : word)
            bits |= letter == 'S'   ? CPage_Orvik_Base::SoftButton_Select
                    : letter == 'U' ? CPage_Orvik_Base::SoftButton_Up
                    : letter == 'D' ? CPage_Orvik_Base::SoftButton_Down
                                    : 0;
        m_page->OnButtonPress(bits);
    }
}

std::vector<std::wstring> COrvikPageRig::Shown() const {
    std::vector<std::wstring> shown(3);
    for (const CFakeNuvex::SentString& sent : m_fake.SentStrings())
        if (sent.device == kJoystick && sent.page == kPageId && sent.index < 3)
            shown[sent.index] = sent.text;
    return shown;
}

size_t COrvikPageRig::LinesSent() const {
    return m_fake.SentStrings().size();
}

std::vector<std::string> COrvikPageRig::Events() const {
    std::vector<std::string> names;
    const auto transmissions = Simulator().Transmissions();
    for (size_t i = m_firstTransmission; i < transmissions.size(); ++i)
        names.push_back(transmissions[i].eventName);
    return names;
}

std::vector<standin::Datum> COrvikPageRig::Datums() const {
    const auto datums = Simulator().Datums();
    return {datums.begin() + static_cast<ptrdiff_t>(m_firstDatum), datums.end()};
}
