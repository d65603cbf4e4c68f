#include "tests/support/TestPage.h"

#include "app/xml/XmlElement.h"
#include "tests/support/CallLog.h"

#include <atomic>
#include <new>

namespace {

std::atomic<int> g_failCreations{0};

template <PageKind kind> IPage* CreateTestPage(const PageArguments& arguments) {
    if (g_failCreations > 0) {
        --g_failCreations;
        return nullptr;
    }
    return new (std::nothrow) CTestPage(arguments, kind);
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

} // namespace

CTestPage::CTestPage(const PageArguments& arguments, PageKind kind)
    : IPage(arguments.pageId, arguments.owner), m_kind(kind),
      m_className(arguments.className ? arguments.className : L""), m_radio1(arguments.radio1) {}

CTestPage::~CTestPage() {
    Log("destroyed");
}

void CTestPage::Log(const std::string& operation) const {
    TestCallLog().Add("page " + std::to_string(PageId()) + " " + operation);
}

void CTestPage::OnPageActivated(NuvexDevice) {
    Log("OnPageActivated");
}

bool CTestPage::AddToDevice(NuvexDevice, bool activate, bool* activated) {
    Log(std::string("AddToDevice ") + (activate ? "activate" : "inactive"));
    if (activated)
        *activated = activate;
    return true;
}

void CTestPage::SendToDevice(NuvexDevice, const GUID&) {
    Log("SendToDevice");
}

void CTestPage::SendLedsToDevice(NuvexDevice, const GUID&) {
    Log("SendLedsToDevice");
}

void CTestPage::OnSimInitialize(const PageConfiguration* configuration) {
    std::string element = "-";
    if (configuration && configuration->element)
        element = Narrow(configuration->element->name);
    Log("OnSimInitialize " + element);
}

void CTestPage::OnSimStart() {
    Log("OnSimStart");
}

void CTestPage::OnSimStop() {
    Log("OnSimStop");
}

void CTestPage::OnSimRecieveData(const void* data, DWORD size) {
    unsigned first = size > 0 ? *static_cast<const unsigned char*>(data) : 0u;
    Log("OnSimRecieveData " + std::to_string(size) + " " + std::to_string(first));
}

void CTestPage::OnButtonPress(DWORD buttons) {
    Log("OnButtonPress " + std::to_string(buttons));
}

CPageFactories TestPageFactories() {
    CPageFactories factories;
    factories.Set(PageKind::Gauge, &CreateTestPage<PageKind::Gauge>);
    factories.Set(PageKind::OrvikComNav, &CreateTestPage<PageKind::OrvikComNav>);
    factories.Set(PageKind::OrvikAdf, &CreateTestPage<PageKind::OrvikAdf>);
    factories.Set(PageKind::OrvikDme, &CreateTestPage<PageKind::OrvikDme>);
    factories.Set(PageKind::OrvikXpndr, &CreateTestPage<PageKind::OrvikXpndr>);
    factories.Set(PageKind::OrvikAutopilot, &CreateTestPage<PageKind::OrvikAutopilot>);
    factories.Set(PageKind::OrvikVorHdg, &CreateTestPage<PageKind::OrvikVorHdg>);
    return factories;
}

void FailNextTestPageCreations(int count) {
    g_failCreations = count;
}
