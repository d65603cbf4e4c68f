#include "app/display/NuvexDisplayDevices.h"
#include "tests/support/FakeNuvex.h"

#include <gtest/gtest.h>

namespace {

const NuvexDevice kPanel1 = reinterpret_cast<NuvexDevice>(0x20);
const NuvexDevice kPanel2 = reinterpret_cast<NuvexDevice>(0x28);
const NuvexDevice kUnreadable = reinterpret_cast<NuvexDevice>(0x30);
const NuvexDevice kUnknown = reinterpret_cast<NuvexDevice>(0x40);

} // namespace

// The pages' gauge services reach a panel's assignment through its record's serial number:
// panels with one serial share it, an unknown device has none.
TEST(NuvexDisplayDevices, GaugesAreAssignedBySerialNumberOfTheDevicesRecord) {
    CFakeNuvex fake;
    CNuvexLibrary nuvex{CFakeNuvex::EntryPoints()};
    fake.AddDevice(kPanel1, kDeviceTypeVexa, L"VEXA-0001");
    fake.AddDevice(kPanel2, kDeviceTypeVexa, L"VEXA-0001");
    fake.AddDevice(kUnreadable, kDeviceTypeVexa, L"");
    CNuvexDisplayDevices devices(nuvex);
    PageMap pages;
    ASSERT_TRUE(devices.InitializeNuvex(pages));

    devices.SetAssignedGauge(kPanel1, L"Airspeed");
    devices.SetAssignedGauge(kUnknown, L"Altimeter");
    EXPECT_EQ(devices.GetAssignedGauge(kPanel1), L"Airspeed");
    EXPECT_EQ(devices.GetAssignedGauge(kPanel2), L"Airspeed");
    EXPECT_EQ(devices.GetAssignedGauge(kUnreadable), L"");
    EXPECT_EQ(devices.GetAssignedGauge(kUnknown), L"");

    devices.FinalizeNuvex();
    EXPECT_EQ(devices.GetAssignedGauge(kPanel1), L"") << "records go with the binding";
}
