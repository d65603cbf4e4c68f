#include "panels/LampProgrammingFile.h"
#include "panels/PanelClass_Backlit.h"
#include "panels/PanelIds.h"
#include "tests/panels/PanelTestSupport.h"
#include "tests/support/FakeHidDevice.h"
#include "tests/support/FakePanelSimConnect.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <objbase.h>

using paneltest::Bytes;
using paneltest::Hex;
using Data = CPanelClass_Backlit::Data;

namespace {

const Bytes kDarkLamps = {0xB8, 0, 0, 0, 0, 0, 0};

// The programming file in the common documents folder, removed again at the end.
class ProgrammingFile {
public:
    ProgrammingFile() {
        std::wstring path = LampProgrammingFilePath();
        m_folder = path.substr(0, path.rfind(L'\\'));
    }
    ~ProgrammingFile() {
        DeleteFileW(LampProgrammingFilePath().c_str());
        RemoveDirectoryW(m_folder.c_str());
    }

    void Write(const std::string& xml) {
        CreateDirectoryW(m_folder.c_str(), nullptr);
        HANDLE file = CreateFileW(LampProgrammingFilePath().c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, xml.data(), static_cast<DWORD>(xml.size()), &written, nullptr);
        CloseHandle(file);
    }

    // One device's entry of "Lense" elements, each given as its inner XML.
    void WriteEntry(const std::string& serial, const std::vector<std::string>& lenses) {
        Write("<?xml version=\"1.0\"?><Profiles><Lumo>" + Entry(serial, lenses) +
              "</Lumo></Profiles>");
    }

    static std::string Entry(const std::string& serial, const std::vector<std::string>& lenses) {
        std::string entry = "<LumoProgramming Id=\"" + serial + "\">";
        for (const std::string& lense : lenses)
            entry += "<Lense>" + lense + "</Lense>";
        return entry + "</LumoProgramming>";
    }

    static std::string Lense(const std::string& id, const std::string& colour, int lamp) {
        return "<Id>" + id + "</Id><Colour>" + colour + "</Colour><Assignment>" +
               std::to_string(lamp) + "</Assignment>";
    }

private:
    std::wstring m_folder;
};

// Conditions all false except those a test sets: no GPS-less NAV, gear in transit, suction
// and fuel normal.
Data Quiet() {
    Data data = {};
    data.gpsDrivesNav1 = 1;
    data.gearExtended = 0.5f;
    data.suction = 5.0f;
    return data;
}

class BacklitTest : public ::testing::Test {
protected:
    BacklitTest() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        DWORD pages = 0;
        panel.OnSimInitialize(pages);
    }
    ~BacklitTest() override {
        panel.CloseAllDevices();
        CoUninitialize();
    }

    FakeHidDevice& Plug(const wchar_t* serial = L"SN-1") {
        std::wstring path = L"annunciator-" + std::to_wstring(++m_devices);
        FakeHidDevice& device = hid.AddDevice(path, kPanelVendorId, kAnnunciatorPanelProductId);
        if (serial)
            device.SetSerialNumber(serial);
        panel.OnDeviceArrival(path.c_str());
        return device;
    }

    void Send(const Data& data) {
        panel.OnSimRecieveData(static_cast<DWORD>(panel.DefineId()), &data, sizeof(data));
    }

    // The lamps of `data` on a device programmed with `lenses`; a step of the data first, so
    // that the block changes.
    Bytes LampsFor(const std::vector<std::string>& lenses, const Data& data) {
        file.WriteEntry("SN-1", lenses);
        FakeHidDevice& device = Plug();
        Data step = data;
        step.markerSound ^= 1;
        Send(step);
        Send(data);
        return Last(device);
    }

    static Bytes Last(const FakeHidDevice& device) {
        std::vector<Bytes> written = device.WrittenFeatureReports();
        return written.empty() ? Bytes{} : written.back();
    }

    ProgrammingFile file;
    FakeHidDriver hid;
    FakePanelSimConnect sim;
    CPanelClass_Backlit panel{hid, sim};

private:
    int m_devices = 0;
};

} // namespace

TEST_F(BacklitTest, DefinitionGroupsCarryOnAfterAFailure) {
    std::vector<FakePanelSimConnect::Datum> datums = sim.Datums();
    ASSERT_EQ(49u, datums.size());
    EXPECT_EQ("CANOPY OPEN", datums[2].name);
    EXPECT_EQ("Percent Over 100", datums[2].units);
    EXPECT_EQ("COM RECIEVE ALL", datums[33].name);
    EXPECT_EQ("FUEL CROSS FEED", datums[48].name);
    EXPECT_EQ(48u, datums[48].datumId);
    EXPECT_TRUE(sim.MappedEventNames().empty());
    EXPECT_EQ(0, sim.GroupPriorityCalls());

    FakePanelSimConnect failing;
    failing.FailAddToDefinitionAt(3, E_FAIL);
    failing.FailAddToDefinitionAt(5, E_NOTIMPL); // "ENGINE TYPE", the second of its group
    CPanelClass_Backlit backlit(hid, failing);
    CTraceCapture trace;
    DWORD pages = 0;
    backlit.OnSimInitialize(pages);
    EXPECT_EQ((std::vector<std::wstring>{
                  L"  AddToDataDefinition(m_defineid, BRAKE PARKING INDICATOR,...) returned "
                  L"80004005\n",
                  L"  AddToDataDefinition(m_defineid, ENGINE TYPE,...) returned 80004001\n"}),
              trace.Lines());
    std::vector<FakePanelSimConnect::Datum> added = failing.Datums();
    ASSERT_EQ(4u + 2u + 12u + 9u, added.size());
    EXPECT_EQ("NUMBER OF ENGINES", added[4].name);
    EXPECT_EQ(4u, added[4].datumId);
    EXPECT_EQ("GPS DRIVES NAV1", added[6].name);
    EXPECT_EQ(6u, added[6].datumId);
}

TEST_F(BacklitTest, AttachSetsBrightnessAndDarkLampsAndDetachDarkens) {
    FakeHidDevice& device = Plug();
    EXPECT_EQ((std::vector<Bytes>{{0xB2, 0x64}, kDarkLamps}), device.WrittenFeatureReports());
    EXPECT_EQ(0, device.OpenInputHandles());
    device.ClearWrittenFeatureReports();
    panel.CloseAllDevices();
    EXPECT_EQ((std::vector<Bytes>{kDarkLamps}), device.WrittenFeatureReports());
}

TEST_F(BacklitTest, IndicationsLightTheirProgrammedLamps) {
    using F = ProgrammingFile;
    struct Case {
        const char* what;
        std::vector<std::string> lenses;
        void (*setup)(Data&);
        Bytes lamps;
    } cases[] = {
        {"twin with engine 2 on fire",
         {F::Lense("RightEngineFire", "Red", 9), F::Lense("MasterWarning", "Red", 23)},
         [](Data& d) {
             d.engineCount = 2;
             d.oilPressure[0] = d.oilPressure[1] = 60;
             d.fuelPressure[0] = d.fuelPressure[1] = 20;
             d.engineFire[1] = 1;
         },
         {0xB8, 0x00, 0x00, 0x00, 0x00, 0x02, 0x80}},
        {"fuel low lights amber with the master caution",
         {F::Lense("FuelLow", "Amber", 3), F::Lense("MasterCaution", "Amber", 4)},
         [](Data& d) {
             d.totalCapacity = 100;
             d.totalQuantity = 5;
         },
         {0xB8, 0x18, 0x00, 0x00, 0x18, 0x00, 0x00}},
        {"master caution alone stays dark",
         {F::Lense("FuelLow", "Amber", 3), F::Lense("MasterCaution", "Amber", 4)},
         [](Data& d) {
             d.totalCapacity = 100;
             d.totalQuantity = 50;
         },
         kDarkLamps},
        {"a red master caution lights the master warning",
         {F::Lense("PitotHeat", "Amber", 0), F::Lense("MasterCaution", "Red", 8),
          F::Lense("MasterWarning", "Green", 16)},
         [](Data& d) { d.pitotHeat = 1; },
         {0xB8, 0x01, 0x00, 0x01, 0x01, 0x01, 0x00}},
        {"gear at 50 percent",
         {F::Lense("GearUp", "Green", 0), F::Lense("Up", "Green", 1),
          F::Lense("GearDown", "Green", 2), F::Lense("Down", "Green", 3),
          F::Lense("GearUnsafe", "Red", 4)},
         [](Data&) {},
         {0xB8, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00}},
        {"gear down",
         {F::Lense("GearUp", "Green", 0), F::Lense("Up", "Green", 1),
          F::Lense("GearDown", "Green", 2), F::Lense("Down", "Green", 3),
          F::Lense("GearUnsafe", "Red", 4)},
         [](Data& d) { d.gearExtended = 1.0f; },
         {0xB8, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"the later of two shared indications decides",
         {F::Lense("GPS", "Green", 5), F::Lense("NAV", "Red", 5)},
         [](Data& d) { d.gpsDrivesNav1 = 1; },
         kDarkLamps},
        {"three engines evaluate no engine group",
         {F::Lense("Engine1Fire", "Red", 0), F::Lense("OilPressure", "Red", 1),
          F::Lense("EngineOilTemp", "Red", 2), F::Lense("LowPressure", "Red", 3)},
         [](Data& d) {
             d.engineCount = 3;
             d.engineFire[0] = 1;
             d.oilTemperature[0] = 200;
         },
         kDarkLamps},
        {"four engines",
         {F::Lense("Engine3Fire", "Red", 0), F::Lense("OilPressure", "Amber", 1),
          F::Lense("Engine4OilPressure", "Green", 2), F::Lense("Engine2OilTemp", "Green", 3),
          F::Lense("LowPressure", "Green", 4)},
         [](Data& d) {
             d.engineCount = 4;
             for (int k = 0; k < 4; ++k) {
                 d.oilPressure[k] = 60;
                 d.fuelPressure[k] = 20;
             }
             d.engineFire[2] = 1;
             d.oilPressure[3] = 10;
             d.oilTemperature[1] = 116;
         },
         {0xB8, 0x0E, 0x00, 0x00, 0x03, 0x00, 0x00}},
        {"rotor only for helicopters",
         {F::Lense("RotorLowRpm", "Red", 12)},
         [](Data& d) {
             d.engineType = 3;
             d.rotorRpm = 0.5f;
         },
         {0xB8, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00}},
        {"a fuel capacity of zero never lights",
         {F::Lense("CentreFuelLow", "Red", 0), F::Lense("LeftFuelLow", "Red", 1)},
         [](Data& d) { d.leftQuantity = 3; },
         kDarkLamps},
        {"radios, lights and warnings",
         {F::Lense("NAV", "Green", 0), F::Lense("ADF", "Green", 1), F::Lense("Both", "Green", 2),
          F::Lense("VacLow", "Red", 20), F::Lense("DoorWarning", "Red", 21),
          F::Lense("StrobeLight", "Green", 22)},
         [](Data& d) {
             d.gpsDrivesNav1 = 0;
             d.adfSound[1] = 1;
             d.suction = 1.0f;
             d.canopyOpen = 0.25f;
             d.lightStrobe = 1;
         },
         {0xB8, 0x03, 0x00, 0x40, 0x00, 0x00, 0x30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Data data = Quiet();
        c.setup(data);
        EXPECT_EQ(Hex(c.lamps), Hex(LampsFor(c.lenses, data)));
        panel.CloseAllDevices();
    }
}

TEST_F(BacklitTest, ColourNoneClearsWhenFalseAndLeavesWhenTrue) {
    using F = ProgrammingFile;
    Data data = Quiet();
    data.pitotHeat = 1;
    // PitotHeat lights lamp 0 green; StallWarning, later and without a colour, shares it.
    std::vector<std::string> lenses = {F::Lense("PitotHeat", "Green", 0),
                                       "<Id>StallWarning</Id><Assignment>0</Assignment>"};
    EXPECT_EQ(Hex(kDarkLamps), Hex(LampsFor(lenses, data)));
    panel.CloseAllDevices();
    data.stallWarning = 1;
    EXPECT_EQ(Hex(Bytes{0xB8, 0x01, 0, 0, 0, 0, 0}), Hex(LampsFor(lenses, data)));
}

TEST_F(BacklitTest, NothingIsWrittenBeforeTheDataChanges) {
    FakeHidDevice& device = Plug();
    Data zero = {};
    Send(zero);
    EXPECT_EQ(2u, device.WrittenFeatureReports().size());
}

TEST_F(BacklitTest, EachDeviceGetsTheLampsOfItsOwnSerialNumber) {
    using F = ProgrammingFile;
    file.Write("<Profiles><Other/><Lumo>" + F::Entry("SN-1", {F::Lense("PitotHeat", "Green", 0)}) +
               F::Entry("SN-2", {F::Lense("PitotHeat", "Red", 1)}) +
               F::Entry("O'Brien", {F::Lense("PitotHeat", "Amber", 2)}) +
               F::Entry("O", {F::Lense("PitotHeat", "Green", 3)}) +
               F::Entry("a'b&quot;c", {F::Lense("PitotHeat", "Green", 4)}) + "</Lumo></Profiles>");
    FakeHidDevice& first = Plug(L"SN-1");
    FakeHidDevice& second = Plug(L"SN-2");
    FakeHidDevice& apostrophe = Plug(L"O'Brien");
    FakeHidDevice& bothQuotes = Plug(L"a'b\"c");
    FakeHidDevice& injection = Plug(L"x' or '1'='1");
    FakeHidDevice& unknown = Plug(L"SN-3");
    FakeHidDevice& noSerial = Plug(nullptr);
    Data data = Quiet();
    data.pitotHeat = 1;
    Send(data);
    EXPECT_EQ(Hex(Bytes{0xB8, 0x01, 0, 0, 0x00, 0, 0}), Hex(Last(first)));
    EXPECT_EQ(Hex(Bytes{0xB8, 0x00, 0, 0, 0x02, 0, 0}), Hex(Last(second)));
    EXPECT_EQ(Hex(Bytes{0xB8, 0x04, 0, 0, 0x04, 0, 0}), Hex(Last(apostrophe)));
    EXPECT_EQ(Hex(Bytes{0xB8, 0x10, 0, 0, 0x00, 0, 0}), Hex(Last(bothQuotes)));
    EXPECT_EQ(Hex(kDarkLamps), Hex(Last(injection)));
    EXPECT_EQ(Hex(kDarkLamps), Hex(Last(unknown)));
    EXPECT_EQ(Hex(kDarkLamps), Hex(Last(noSerial)));
    EXPECT_EQ(L"//Lumo/LumoProgramming[@Id='SN-1']/Lense", LampProgrammingQuery(L"SN-1"));
}

TEST_F(BacklitTest, ProgrammingValuesAreReadExactly) {
    using F = ProgrammingFile;
    auto lense = [](const std::string& id, const std::string& colour,
                    const std::string& assignment) {
        return "<Id>" + id + "</Id><Colour>" + colour + "</Colour><Assignment>" + assignment +
               "</Assignment>";
    };
    struct Case {
        const char* what;
        std::vector<std::string> lenses;
        Bytes lamps;
    } cases[] = {
        {"lower-case colour", {lense("PitotHeat", "amber", "3")}, kDarkLamps},
        {"other capitalisation of the name", {lense("pitotheat", "Green", "3")}, kDarkLamps},
        {"trailing space", {lense("PitotHeat", "Green", "7 ")}, {0xB8, 0x80, 0, 0, 0, 0, 0}},
        {"plus sign", {lense("PitotHeat", "Green", "+7")}, {0xB8, 0x80, 0, 0, 0, 0, 0}},
        {"no digits", {lense("PitotHeat", "Green", "x7")}, {0xB8, 0x01, 0, 0, 0, 0, 0}},
        {"a later lense overwrites",
         {F::Lense("PitotHeat", "Green", 1), F::Lense("PitotHeat", "Red", 17)},
         {0xB8, 0, 0, 0, 0, 0, 0x02}},
        {"no assignment unprograms",
         {F::Lense("PitotHeat", "Green", 1), "<Id>PitotHeat</Id><Colour>Red</Colour>"},
         kDarkLamps},
        {"misspelt elements are skipped",
         {"<Id>PitotHeat</Id><Color>Red</Color><Colour>Green</Colour><Asignment>5</Asignment>"
          "<Assignment>2</Assignment><!-- note -->"},
         {0xB8, 0x04, 0, 0, 0, 0, 0}},
        {"lamps beyond the report are ignored",
         {F::Lense("PitotHeat", "Green", 23), F::Lense("PitotHeat", "Red", 24),
          F::Lense("PitotHeat", "Red", -2), lense("PitotHeat", "Red", "99999999999"),
          lense("PitotHeat", "Red", "-2147483648")},
         {0xB8, 0, 0, 0x80, 0, 0, 0}},
    };
    Data data = Quiet();
    data.pitotHeat = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Hex(c.lamps), Hex(LampsFor(c.lenses, data)));
        panel.CloseAllDevices();
    }
}

TEST_F(BacklitTest, WithoutAReadableFileNoLampIsProgrammed) {
    Data data = Quiet();
    data.pitotHeat = 1;
    data.gearExtended = 0.0f;
    for (const char* content : {"", "<Lumo><LumoProgramming Id=\"SN-1\"><Lense>"}) {
        SCOPED_TRACE(content);
        if (*content)
            file.Write(content);
        FakeHidDevice& device = Plug();
        Send(Quiet());
        Send(data);
        EXPECT_EQ(Hex(kDarkLamps), Hex(Last(device)));
        panel.CloseAllDevices();
    }
}

TEST_F(BacklitTest, AChangedFileTakesEffectAtTheNextAttach) {
    using F = ProgrammingFile;
    file.WriteEntry("SN-1", {F::Lense("PitotHeat", "Green", 0)});
    FakeHidDevice& device = Plug();
    file.WriteEntry("SN-1", {F::Lense("PitotHeat", "Red", 0)});
    Data data = Quiet();
    data.pitotHeat = 1;
    Send(data);
    EXPECT_EQ(Hex(Bytes{0xB8, 0x01, 0, 0, 0, 0, 0}), Hex(Last(device)));

    panel.CloseAllDevices();
    FakeHidDevice& again = Plug();
    Send(Quiet());
    Send(data);
    EXPECT_EQ(Hex(Bytes{0xB8, 0, 0, 0, 0x01, 0, 0}), Hex(Last(again)));
}
