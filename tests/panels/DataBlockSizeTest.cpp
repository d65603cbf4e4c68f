// Object data whose size is not the panel's data block (a definition the simulator refused part
// of, or any shorter message under the panel's request id) is ignored, never read past its end.

#include "panels/PanelClass_Autopilot.h"
#include "panels/PanelClass_Backlit.h"
#include "panels/PanelClass_Radios.h"
#include "panels/PanelClass_Switch.h"
#include "panels/PanelIds.h"
#include "tests/support/FakeHidDevice.h"
#include "tests/support/FakePanelSimConnect.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <vector>

namespace {

// Bytes that end where readable memory ends: a read past them faults.
class BytesAtTheEdge {
public:
    explicit BytesAtTheEdge(size_t size) {
        SYSTEM_INFO system = {};
        GetSystemInfo(&system);
        m_page = system.dwPageSize;
        m_base = static_cast<BYTE*>(
            VirtualAlloc(nullptr, 2 * m_page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(m_base + m_page, m_page, PAGE_NOACCESS, &old);
        m_bytes = m_base + m_page - size;
        memset(m_bytes, 0x01, size);
    }
    ~BytesAtTheEdge() { VirtualFree(m_base, 0, MEM_RELEASE); }
    BytesAtTheEdge(const BytesAtTheEdge&) = delete;
    BytesAtTheEdge& operator=(const BytesAtTheEdge&) = delete;

    const BYTE* Get() const { return m_bytes; }

private:
    DWORD m_page = 0;
    BYTE* m_base = nullptr;
    BYTE* m_bytes = nullptr;
};

// `reads`: the panel runs a read thread for its devices.
template <typename Panel> void ExpectOnlyWholeBlocksTaken(USHORT productId, bool reads = true) {
    FakeHidDriver hid;
    FakePanelSimConnect sim;
    Panel panel(hid, sim);
    DWORD pages = 0;
    panel.OnSimInitialize(pages);
    FakeHidDevice& device = hid.AddDevice(L"panel", kPanelVendorId, productId);
    panel.OnDeviceArrival(L"panel");
    if (reads) {
        ASSERT_TRUE(device.WaitUntilIdle());
    }
    device.ClearWrittenFeatureReports();
    const DWORD id = static_cast<DWORD>(panel.DefineId());
    const DWORD whole = sizeof(typename Panel::Data);

    for (DWORD size : {whole - 4, DWORD{4}, DWORD{0}}) {
        SCOPED_TRACE(size);
        BytesAtTheEdge block(size);
        panel.OnSimRecieveData(id, block.Get(), size);
    }
    std::vector<BYTE> longer(whole + 4, 0x01);
    panel.OnSimRecieveData(id, longer.data(), static_cast<DWORD>(longer.size()));
    EXPECT_TRUE(device.WrittenFeatureReports().empty());
    panel.CloseAllDevices();
}

} // namespace

TEST(PanelDataBlockSize, BlocksOfAnotherSizeAreIgnored) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        SCOPED_TRACE("multi");
        ExpectOnlyWholeBlocksTaken<CPanelClass_Autopilot>(kMultiPanelProductId);
    }
    {
        SCOPED_TRACE("radio");
        ExpectOnlyWholeBlocksTaken<CPanelClass_Radios>(kRadioPanelProductId);
    }
    {
        SCOPED_TRACE("switch");
        ExpectOnlyWholeBlocksTaken<CPanelClass_Switch>(kSwitchPanelProductId);
    }
    {
        SCOPED_TRACE("annunciator");
        ExpectOnlyWholeBlocksTaken<CPanelClass_Backlit>(kAnnunciatorPanelProductId, false);
    }
    CoUninitialize();
}
