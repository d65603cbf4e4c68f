// The application ends while the display-device library's thread is inside one of its pages: the
// page is destroyed only once that call has left it, and no later notification enters a page;
// with the service still running at the end (the library is deinitialised) and with it gone (it
// is not).

#include "app/display/NuvexDisplayDevices.h"
#include "tests/app/DravikFixture.h"
#include "tests/support/FakeNuvex.h"

#include "common/UniqueHandle.h"

#include <algorithm>
#include <atomic>

namespace {

using Strings = std::vector<std::string>;

const NuvexDevice kJoystick = reinterpret_cast<NuvexDevice>(0x10);

// What happens to the held page, kept outside it: the page itself may be gone.
struct HeldPageEvents {
    CCallLog log;
    UniqueHandle entered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> usedAfterDestroyed{false};
};
HeldPageEvents* g_events = nullptr;
bool g_serviceRunning = true;

// A joystick page whose button presses stay inside it until the test lets them go.
class CHeldPage : public IPage {
public:
    explicit CHeldPage(const PageArguments& arguments) : IPage(arguments.pageId, arguments.owner) {}
    ~CHeldPage() override {
        g_events->destroyed = true;
        g_events->log.Add("page destroyed");
    }

    void OnPageActivated(NuvexDevice) override {}
    bool AddToDevice(NuvexDevice, bool activate, bool* activated) override {
        *activated = activate;
        return true;
    }
    void OnButtonPress(DWORD buttons) override {
        g_events->log.Add("press " + std::to_string(buttons) + " entered");
        SetEvent(g_events->entered.get());
        WaitForSingleObject(g_events->release.get(), 10000);
        if (g_events->destroyed) {
            g_events->usedAfterDestroyed = true;
            return;
        }
        m_presses += buttons;
        g_events->log.Add("press " + std::to_string(buttons) + " left");
    }

private:
    DWORD m_presses = 0;
};

IPage* MakeHeldPage(const PageArguments& arguments) {
    return new CHeldPage(arguments);
}

bool IsServiceRunning() {
    return g_serviceRunning;
}

DWORD WINAPI PressSelect(void* fake) {
    static_cast<CFakeNuvex*>(fake)->RaiseSoftButtons(kJoystick, 1);
    return 0;
}

DWORD WINAPI Finalize(void* application) {
    static_cast<CDravikUnderTest*>(application)->OnFinalize();
    return 0;
}

} // namespace

TEST_F(DravikTest, PagesGoOnlyOnceNoNotificationIsInsideOne) {
    WritePagesFile("<Pages><Orvik><ComNav/></Orvik></Pages>");
    for (bool runningAtTheEnd : {true, false}) {
        SCOPED_TRACE(runningAtTheEnd ? "service running" : "service gone");
        HeldPageEvents events;
        g_events = &events;
        g_serviceRunning = true;
        CFakeNuvex fake;
        CNuvexLibrary nuvex(CFakeNuvex::EntryPoints());
        fake.AddDevice(kJoystick, kDeviceTypeOrvik);
        DravikComponents components;
        components.pageFactories.Set(PageKind::OrvikComNav, &MakeHeldPage);
        components.displayDevices =
            std::make_unique<CNuvexDisplayDevices>(nuvex, &IsServiceRunning);
        CDravikUnderTest application(std::move(components));
        DWORD nextPageId = 0;
        ASSERT_TRUE(application.InitializePages(nextPageId));
        ASSERT_TRUE(application.InitializeNuvex());

        UniqueHandle press(CreateThread(nullptr, 0, PressSelect, &fake, 0, nullptr));
        ASSERT_EQ(WaitForSingleObject(events.entered.get(), 10000), WAIT_OBJECT_0);
        g_serviceRunning = runningAtTheEnd;
        UniqueHandle finalize(CreateThread(nullptr, 0, Finalize, &application, 0, nullptr));
        EXPECT_EQ(WaitForSingleObject(finalize.get(), 1000), WAIT_TIMEOUT)
            << "finalised while a press was inside a page";
        SetEvent(events.release.get());
        ASSERT_EQ(WaitForSingleObject(press.get(), 10000), WAIT_OBJECT_0);
        ASSERT_EQ(WaitForSingleObject(finalize.get(), 10000), WAIT_OBJECT_0);

        fake.RaiseSoftButtons(kJoystick, 0);
        fake.RaiseSoftButtons(kJoystick, 2);
        fake.RaisePageChange(kJoystick, 1, true);
        EXPECT_FALSE(events.usedAfterDestroyed);
        EXPECT_EQ(events.log.Entries(),
                  (Strings{"press 1 entered", "press 1 left", "page destroyed"}));
        const Strings calls = fake.Calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "Nuvex_Deinitialize"),
                  runningAtTheEnd ? 1 : 0);
        EXPECT_TRUE(application.Pages().empty());
    }
}

// A notification still inside a page after the bounded wait: the page is left alive, never freed
// under it.
TEST_F(DravikTest, APageStillInUseAfterTheWaitIsLeftAlive) {
    WritePagesFile("<Pages><Orvik><Adf/><Dme/></Orvik></Pages>");
    DravikComponents components = TestComponents(DisplayDevicesIn::ServiceRunning);
    static_cast<CTestDisplayDevices&>(*components.displayDevices).KeepAPageBusy();
    CDravikUnderTest application(std::move(components));
    DWORD nextPageId = 0;
    ASSERT_TRUE(application.InitializePages(nextPageId));
    TestCallLog().Clear();

    application.OnFinalize();

    EXPECT_TRUE(application.Pages().empty());
    EXPECT_TRUE(TestCallLog().EntriesStartingWith("page ").empty());
}
