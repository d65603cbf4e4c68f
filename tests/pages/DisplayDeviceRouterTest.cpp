#include "app/display/DisplayDeviceRouter.h"
#include "tests/support/FakeNuvex.h"
#include "tests/support/ScriptedPage.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

using Calls = std::vector<std::string>;

const NuvexDevice kJoystick1 = reinterpret_cast<NuvexDevice>(0x10);
const NuvexDevice kPanel = reinterpret_cast<NuvexDevice>(0x20);
const NuvexDevice kJoystick2 = reinterpret_cast<NuvexDevice>(0x30);
const NuvexDevice kJoystick3 = reinterpret_cast<NuvexDevice>(0x40);

class RouterTest : public ::testing::Test {
protected:
    // Pages 1 to 3 serve joysticks, page 4 the instrument panel.
    void SetUp() override {
        for (DWORD id = 1; id <= 4; ++id) {
            auto page = std::make_unique<CScriptedPage>(id);
            m_page[id] = page.get();
            m_pages.emplace(id, std::move(page));
        }
        for (DWORD id = 1; id <= 3; ++id)
            for (NuvexDevice joystick : {kJoystick1, kJoystick2, kJoystick3})
                m_page[id]->Accept(joystick);
        m_page[4]->Accept(kPanel);
    }

    DWORD ActivePage(NuvexDevice device) const {
        DisplayDeviceRecord record = {};
        EXPECT_TRUE(router.FindDevice(device, record));
        return record.activePage;
    }

    bool Known(NuvexDevice device) const {
        DisplayDeviceRecord record = {};
        return router.FindDevice(device, record);
    }

    Calls PageCalls(DWORD id) const { return m_page[id]->Calls(); }

    void ClearPageCalls() {
        for (DWORD id = 1; id <= 4; ++id)
            m_page[id]->ClearCalls();
    }

    CFakeNuvex fake;
    CNuvexLibrary nuvex{CFakeNuvex::EntryPoints()};
    CDisplayDeviceRouter router{nuvex};
    PageMap m_pages;
    CScriptedPage* m_page[5] = {};
};

// A scripted page that throws, from the next operation the router calls on it, what the test
// arms it with.
class CThrowingPage : public CScriptedPage {
public:
    using CScriptedPage::CScriptedPage;

    void ThrowNext(std::exception_ptr exception) { m_next = std::move(exception); }

    bool AddToDevice(NuvexDevice device, bool activate, bool* activated) override {
        ThrowIfArmed();
        return CScriptedPage::AddToDevice(device, activate, activated);
    }
    void OnPageActivated(NuvexDevice device) override {
        ThrowIfArmed();
        CScriptedPage::OnPageActivated(device);
    }
    void OnButtonPress(DWORD buttons) override {
        ThrowIfArmed();
        CScriptedPage::OnButtonPress(buttons);
    }

private:
    void ThrowIfArmed() {
        if (m_next)
            std::rethrow_exception(std::exchange(m_next, nullptr));
    }

    std::exception_ptr m_next;
};

} // namespace

TEST_F(RouterTest, DevicesStartOnThePageOfTheirPositionPerType) {
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    fake.AddDevice(kPanel, kDeviceTypeVexa, L"PANEL-1");
    fake.AddDevice(kJoystick2, kDeviceTypeOrvik);
    fake.AddDevice(kJoystick3, kDeviceTypeOrvik);
    m_page[3]->InsistOn(kJoystick3);
    CTraceCapture trace;

    ASSERT_TRUE(router.InitializeNuvex(m_pages));

    EXPECT_EQ(trace.Lines(),
              (std::vector<std::wstring>{
                  L"  CDravik::InitializeNuvex - Nuvex_Initialize returned 00000000\n",
                  L"  CDravik::InitializeNuvex - Nuvex_RegisterDeviceCallback returned "
                  L"00000000\n",
                  // Each enumerated device: its callbacks, its type, a panel's serial number.
                  L"  CDravik::AddDevice - Nuvex_RegisterPageCallback returned "
                  L"00000000\n",
                  L"  CDravik::AddDevice - Nuvex_RegisterSoftButtonChangeCallback "
                  L"returned "
                  L"00000000\n",
                  L"  CDravik::AddDevice - Nuvex_GetDeviceType returned 00000000\n",
                  L"  CDravik::AddDevice - Nuvex_RegisterPageCallback returned "
                  L"00000000\n",
                  L"  CDravik::AddDevice - Nuvex_RegisterSoftButtonChangeCallback "
                  L"returned "
                  L"00000000\n",
                  L"  CDravik::AddDevice - Nuvex_GetDeviceType returned 00000000\n",
                  L"  CDravik::AddDevice - Nuvex_GetSerialNumber returned 00000000\n",
                  L"  CDravik::AddDevice - Nuvex_RegisterPageCallback returned "
                  L"00000000\n",
                  L"  CDravik::AddDevice - Nuvex_RegisterSoftButtonChangeCallback "
                  L"returned "
                  L"00000000\n",
                  L"  CDravik::AddDevice - Nuvex_GetDeviceType returned 00000000\n",
                  L"  CDravik::AddDevice - Nuvex_RegisterPageCallback returned "
                  L"00000000\n",
                  L"  CDravik::AddDevice - Nuvex_RegisterSoftButtonChangeCallback "
                  L"returned "
                  L"00000000\n",
                  L"  CDravik::AddDevice - Nuvex_GetDeviceType returned 00000000\n",
                  L"  CDravik::InitializeNuvex - Nuvex_Enumerate returned 00000000\n",
              }));

    // The n-th joystick is suggested the n-th accepting page; the panel counts on its own, and
    // until a page accepts it every page is suggested.
    EXPECT_EQ(PageCalls(1), (Calls{"AddToDevice 0x10 1", "AddToDevice 0x20 1", "AddToDevice 0x30 0",
                                   "AddToDevice 0x40 0"}));
    EXPECT_EQ(PageCalls(2), (Calls{"AddToDevice 0x10 0", "AddToDevice 0x20 1", "AddToDevice 0x30 1",
                                   "AddToDevice 0x40 0"}));
    EXPECT_EQ(PageCalls(3), (Calls{"AddToDevice 0x10 0", "AddToDevice 0x20 1", "AddToDevice 0x30 0",
                                   "AddToDevice 0x40 1"}));
    EXPECT_EQ(PageCalls(4), (Calls{"AddToDevice 0x10 0", "AddToDevice 0x20 1", "AddToDevice 0x30 0",
                                   "AddToDevice 0x40 0"}));
    EXPECT_EQ(ActivePage(kJoystick1), 1u);
    EXPECT_EQ(ActivePage(kPanel), 4u);
    EXPECT_EQ(ActivePage(kJoystick2), 2u);
    EXPECT_EQ(ActivePage(kJoystick3), 3u);
}

TEST_F(RouterTest, WithoutAnAcceptingPageLeftNoPageIsSuggested) {
    PageMap twoPages;
    twoPages.emplace(1, std::move(m_pages.at(1)));
    twoPages.emplace(2, std::move(m_pages.at(2)));
    for (NuvexDevice joystick : {kJoystick1, kJoystick2, kJoystick3})
        fake.AddDevice(joystick, kDeviceTypeOrvik);
    ASSERT_TRUE(router.InitializeNuvex(twoPages));

    EXPECT_EQ(PageCalls(1),
              (Calls{"AddToDevice 0x10 1", "AddToDevice 0x30 0", "AddToDevice 0x40 0"}));
    EXPECT_EQ(PageCalls(2),
              (Calls{"AddToDevice 0x10 0", "AddToDevice 0x30 1", "AddToDevice 0x40 0"}));
    EXPECT_EQ(ActivePage(kJoystick3), 0u);
}

TEST_F(RouterTest, ADeviceAnnouncedTwiceKeepsOneRecordAndItsPosition) {
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    ASSERT_TRUE(router.InitializeNuvex(m_pages));
    m_page[1]->ClearCalls();
    fake.ClearRecord();

    fake.RaiseDeviceChange(kJoystick1, 1);

    // Offered again, still as the first joystick; no second registration.
    EXPECT_EQ(PageCalls(1), (Calls{"AddToDevice 0x10 1"}));
    EXPECT_EQ(ActivePage(kJoystick1), 1u);
    for (const std::string& call : fake.Calls())
        EXPECT_NE(call, "Nuvex_RegisterPageCallback");
}

TEST_F(RouterTest, ArrivalAndRemovalOfASecondJoystick) {
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    ASSERT_TRUE(router.InitializeNuvex(m_pages));
    ClearPageCalls();

    fake.AddDevice(kJoystick2, kDeviceTypeOrvik);
    fake.RaiseDeviceChange(kJoystick2, 1);
    EXPECT_EQ(PageCalls(2), (Calls{"AddToDevice 0x30 1"}));
    EXPECT_EQ(ActivePage(kJoystick2), 2u);

    // Only the low byte of the flag counts: 0x100 is a removal.
    fake.RaiseDeviceChange(kJoystick2, 0x100);
    EXPECT_FALSE(Known(kJoystick2));
    EXPECT_TRUE(Known(kJoystick1));
    ClearPageCalls();
    fake.RaiseSoftButtons(kJoystick2, 1);
    fake.RaisePageChange(kJoystick2, 1, true);
    for (DWORD id = 1; id <= 4; ++id)
        EXPECT_TRUE(PageCalls(id).empty());
}

TEST_F(RouterTest, FailedRegistrationLeavesTheDeviceWithoutRecord) {
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    fake.Fail("Nuvex_RegisterSoftButtonCallback", E_HANDLE);
    ASSERT_TRUE(router.InitializeNuvex(m_pages));

    EXPECT_FALSE(Known(kJoystick1));
    // The pages were still offered the device.
    EXPECT_EQ(PageCalls(1), (Calls{"AddToDevice 0x10 1"}));
}

TEST_F(RouterTest, PanelSerialNumbersAreAlwaysTerminated) {
    const NuvexDevice full = reinterpret_cast<NuvexDevice>(0x50);
    const NuvexDevice unreadable = reinterpret_cast<NuvexDevice>(0x60);
    fake.AddDevice(kPanel, kDeviceTypeVexa, L"SN-7");
    fake.AddDevice(full, kDeviceTypeVexa, L"0123456789ABCDEF");
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik, L"JOYSTICK");
    ASSERT_TRUE(router.InitializeNuvex(m_pages));
    fake.Fail("Nuvex_GetSerialNumber", E_UNEXPECTED);
    fake.AddDevice(unreadable, kDeviceTypeVexa, L"HIDDEN");
    fake.RaiseDeviceChange(unreadable, 1);

    struct Case {
        NuvexDevice device;
        const wchar_t* serial;
    } cases[] = {{kPanel, L"SN-7"},
                 {full, L"0123456789ABCDEF"}, // all 16 characters, still terminated
                 {kJoystick1, L""},           // only instrument panels are asked
                 {unreadable, L""}};
    for (const Case& c : cases) {
        DisplayDeviceRecord record = {};
        ASSERT_TRUE(router.FindDevice(c.device, record));
        EXPECT_STREQ(record.serialNumber, c.serial);
    }
}

TEST_F(RouterTest, PageChangesActivateAndSendThePage) {
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    ASSERT_TRUE(router.InitializeNuvex(m_pages));
    ClearPageCalls();
    CTraceCapture trace;

    fake.RaisePageChange(kJoystick1, 2, true);
    EXPECT_EQ(PageCalls(2),
              (Calls{"OnPageActivated 0x10", "SendToDevice 0x10", "SendLedsToDevice 0x10"}));
    ASSERT_EQ(m_page[2]->SentTypes().size(), 1u);
    EXPECT_TRUE(IsDeviceType(m_page[2]->SentTypes()[0], kDeviceTypeOrvik));
    EXPECT_EQ(ActivePage(kJoystick1), 2u);

    m_page[2]->ClearCalls();
    fake.RaisePageChange(kJoystick1, 2, true);
    EXPECT_TRUE(PageCalls(2).empty());
    EXPECT_TRUE(trace.Contains(L"  CDravik::OnPageChange - not changed"));

    fake.RaisePageChange(kJoystick1, 9, true);
    EXPECT_TRUE(trace.Contains(L"  CDravik::OnPageChange - page not found"));
    EXPECT_EQ(ActivePage(kJoystick1), 9u);

    // Leaving our pages: whichever page the report names, no page is active any more.
    fake.RaisePageChange(kJoystick1, 3, false);
    EXPECT_EQ(ActivePage(kJoystick1), CDisplayDeviceRouter::kNoActivePage);
    fake.RaiseSoftButtons(kJoystick1, 1);
    for (DWORD id = 1; id <= 4; ++id)
        EXPECT_TRUE(PageCalls(id).empty()) << id;
    EXPECT_TRUE(trace.Contains(L"  OnPageChange(0000000000000010, 3, FALSE) changed from 9\n"));
}

TEST_F(RouterTest, SoftButtonsPassNewlyPressedBits) {
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    ASSERT_TRUE(router.InitializeNuvex(m_pages));
    ClearPageCalls();

    for (DWORD report : {0x1u, 0x1u, 0x3u, 0x0u})
        fake.RaiseSoftButtons(kJoystick1, report);

    EXPECT_EQ(PageCalls(1),
              (Calls{"OnButtonPress 1", "OnButtonPress 1", "OnButtonPress 2", "OnButtonPress 0"}));
}

TEST_F(RouterTest, RefreshSendsToEveryDeviceShowingThePage) {
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    fake.AddDevice(kJoystick2, kDeviceTypeOrvik);
    fake.AddDevice(kJoystick3, kDeviceTypeOrvik);
    ASSERT_TRUE(router.InitializeNuvex(m_pages));
    fake.RaisePageChange(kJoystick3, 1, true);
    ClearPageCalls();

    router.RefreshPage(m_page[1]);
    router.RefreshPage(nullptr);

    EXPECT_EQ(PageCalls(1), (Calls{"SendToDevice 0x10", "SendToDevice 0x40"}));
    EXPECT_TRUE(PageCalls(2).empty());
}

TEST_F(RouterTest, FinalizeDeinitializesAndForgetsTheDevices) {
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    ASSERT_TRUE(router.InitializeNuvex(m_pages));
    fake.ClearRecord();

    router.FinalizeNuvex();

    EXPECT_EQ(fake.Calls(), (Calls{"Nuvex_Deinitialize"}));
    EXPECT_FALSE(Known(kJoystick1));
}

TEST(Router, InitializeStopsAtTheFirstFailure) {
    struct Case {
        const char* failing;
        Calls calls;
    } cases[] = {
        {"Nuvex_Initialize", {"Nuvex_Initialize"}},
        {"Nuvex_RegisterDeviceCallback", {"Nuvex_Initialize", "Nuvex_RegisterDeviceCallback"}},
        {"Nuvex_Enumerate",
         {"Nuvex_Initialize", "Nuvex_RegisterDeviceCallback", "Nuvex_Enumerate"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        CFakeNuvex fake;
        fake.Fail(c.failing, E_UNEXPECTED);
        CNuvexLibrary nuvex(CFakeNuvex::EntryPoints());
        CDisplayDeviceRouter router(nuvex);
        PageMap pages;
        EXPECT_FALSE(router.InitializeNuvex(pages));
        EXPECT_EQ(fake.Calls(), c.calls);
    }

    // Without the library every step is not implemented; the first is traced as such.
    CTraceCapture trace;
    CNuvexLibrary missing(NuvexEntryPoints{});
    CDisplayDeviceRouter router(missing);
    PageMap pages;
    EXPECT_FALSE(router.InitializeNuvex(pages));
    EXPECT_EQ(trace.Lines(),
              (std::vector<std::wstring>{L"  CDravik::InitializeNuvex - Nuvex_Initialize "
                                         L"returned 80004001\n"}));
}

// The library calls the program on its own threads: what a page throws there stays in the
// program, the callback returns to the library, and the next notification is routed as usual.
TEST(Router, WhatAPageThrowsStaysInsideTheLibrarysCallbacks) {
    CFakeNuvex fake;
    CNuvexLibrary nuvex(CFakeNuvex::EntryPoints());
    CDisplayDeviceRouter router(nuvex);
    auto owned = std::make_unique<CThrowingPage>(1);
    CThrowingPage& page = *owned;
    page.Accept(kJoystick1);
    page.Accept(kJoystick2);
    PageMap pages;
    pages.emplace(1, std::move(owned));
    fake.AddDevice(kJoystick1, kDeviceTypeOrvik);
    fake.AddDevice(kJoystick2, kDeviceTypeOrvik);
    ASSERT_TRUE(router.InitializeNuvex(pages));
    fake.RaiseDeviceChange(kJoystick2, 0);

    for (const std::exception_ptr& thrown : {std::make_exception_ptr(std::bad_alloc()),
                                             std::make_exception_ptr(std::runtime_error("page"))}) {
        page.ThrowNext(thrown);
        fake.RaiseDeviceChange(kJoystick2, 1);
        fake.RaiseDeviceChange(kJoystick2, 0);

        fake.RaisePageChange(kJoystick1, 1, false);
        page.ThrowNext(thrown);
        fake.RaisePageChange(kJoystick1, 1, true);

        page.ThrowNext(thrown);
        fake.RaiseSoftButtons(kJoystick1, 1);
        fake.RaiseSoftButtons(kJoystick1, 0);
    }

    page.ClearCalls();
    fake.RaiseSoftButtons(kJoystick1, 2);
    EXPECT_EQ(page.Calls(), (Calls{"OnButtonPress 2"}));
    DisplayDeviceRecord record = {};
    ASSERT_TRUE(router.FindDevice(kJoystick1, record));
    EXPECT_EQ(record.activePage, 1u);
}
