#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"
#include "tests/gauge/GaugeTestFiles.h"
#include "tests/support/SimConnectStandin.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <climits>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class GaugeFileReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_TRUE(sim.IsLoaded());
    }
    void TearDown() override { CoUninitialize(); }

    // A gauge file of the older schema; its images belong in the "1024" folder beside it.
    fs::path WriteOlder(const std::string& body, const std::string& rootAttributes = "") const {
        return folder.Write(L"gauge.xml", "<?xml version=\"1.0\"?>\n<Gauge" + rootAttributes +
                                              ">\n" + body + "</Gauge>\n");
    }

    fs::path WriteNewer(const std::string& gauges) const {
        return folder.Write(L"gauge.xml", "<?xml version=\"1.0\"?>\n"
                                          "<SimBase.Document Type=\"Gauge\" version=\"1,0\">\n"
                                          "<Descr>Gauge definition</Descr>\n" +
                                              gauges + "</SimBase.Document>\n");
    }

    // Reads the file into a new renderer on a new store, as a page does once.
    struct Loaded {
        std::unique_ptr<GaugeVariables> store;
        std::unique_ptr<CGaugeRenderer> renderer;
        bool result;
    };
    Loaded Load(const fs::path& file) {
        Loaded loaded{std::make_unique<GaugeVariables>(simConnect),
                      std::make_unique<CGaugeRenderer>(simConnect), false};
        loaded.result = loaded.renderer->LoadFromFile(*loaded.store, file.c_str());
        return loaded;
    }

    CScratchFolder folder{L"gauge-reader"};
    CTraceCapture trace;
    CSimConnectStandin sim;
    CSimConnectLibrary simConnect;
};

TEST_F(GaugeFileReaderTest, OlderSchemaScalesTheDesignFrameToTheGauge) {
    folder.WriteBitmap(L"1024\\dial.bmp", 40, 30);
    folder.WriteBitmap(L"1024\\needle.bmp", 8, 4);
    folder.WriteBitmap(L"1024\\window.bmp", 6, 6);
    const auto file = WriteOlder(
        "<Image Name=\"dial.bmp\" ImageSizes=\"20,15,40,30\"/>\n"
        "<Element>\n"
        "  <Position X=\"10\" Y=\"5\"/>\n"
        "  <Visible>(L:Lights)</Visible>\n"
        "  <MaskImage Name=\"window.bmp\"><Axis X=\"1\" Y=\"1\"/><Axis X=\"1.5\" Y=\"2\"/>"
        "</MaskImage>\n"
        "  <Image Name=\"needle.bmp\" Alpha=\"yes\"><Axis X=\"2.25\" Y=\"1\"/></Image>\n"
        "  <Rotate>\n"
        "    <Value Minimum=\"0\" Maximum=\"180\">(A:Airspeed indicated,knots)</Value>\n"
        "    <Nonlinearity>\n"
        "      <Item Value=\"0\" X=\"10\" Y=\"0\"/>\n"
        "      <Item Value=\"100\" Degrees=\"90\" X=\"99\" Y=\"99\"/>\n"
        "      <Note Value=\"7\" Degrees=\"7\"/>\n"
        "    </Nonlinearity>\n"
        "    <Failures><Electrical Action=\"0\"/></Failures>\n"
        "  </Rotate>\n"
        "</Element>\n"
        "<Element>\n"
        "  <Select><Value>(L:Mode)</Value><Case Value=\"1\"/></Select>\n"
        "  <Image Name=\"absent.bmp\"/>\n"
        "  <Shift>\n"
        "    <Value Minimum=\"-4\">(A:Vertical speed,feet per minute)</Value>\n"
        "    <Scale Y=\"2\"/>\n"
        "  </Shift>\n"
        "</Element>\n",
        " Name=\"Airspeed Test\" Version=\"1.0\"");

    const Loaded loaded = Load(file);
    ASSERT_TRUE(loaded.result);
    const CGaugeRenderer& gauge = *loaded.renderer;
    EXPECT_EQ(gauge.GetGaugeName(), L"Airspeed Test");
    EXPECT_EQ(gauge.ImageFolder(), (folder.Path() / L"1024").wstring());
    EXPECT_EQ(gauge.Background().Width(), 40);
    EXPECT_EQ(gauge.DesignWidth(), 20);
    EXPECT_EQ(gauge.DesignHeight(), 15);
    EXPECT_EQ(gauge.GaugeWidth(), 40);
    EXPECT_EQ(gauge.GaugeHeight(), 30);
    ASSERT_EQ(gauge.Elements().size(), 2u);

    const CGaugeElement& needle = *gauge.Elements()[0];
    EXPECT_EQ(needle.LayerWidth(), 40);
    EXPECT_EQ(needle.LayerHeight(), 30);
    EXPECT_EQ(needle.X(), 20);
    EXPECT_EQ(needle.Y(), 10);
    EXPECT_TRUE(needle.HasVisibility());
    EXPECT_EQ(needle.Visibility(), L"(L:Lights)");
    ASSERT_TRUE(needle.HasMask());
    EXPECT_EQ(needle.Mask().Width(), 6);
    EXPECT_EQ(needle.Mask().AxisX(), 3.0f) << "the last Axis counts, scaled";
    EXPECT_EQ(needle.Mask().AxisY(), 4.0f);
    EXPECT_FALSE(needle.Mask().Alpha());
    ASSERT_TRUE(needle.Image().IsLoaded());
    EXPECT_EQ(needle.Image().AxisX(), 4.5f);
    EXPECT_EQ(needle.Image().AxisY(), 2.0f);
    EXPECT_TRUE(needle.Image().Alpha());
    ASSERT_TRUE(needle.HasRotation());
    EXPECT_FALSE(needle.HasShift());
    EXPECT_EQ(needle.Rotation().expression, L"(A:Airspeed indicated,knots)");
    EXPECT_TRUE(needle.Rotation().hasMinimum);
    EXPECT_EQ(needle.Rotation().minimum, 0.0f);
    EXPECT_TRUE(needle.Rotation().hasMaximum);
    EXPECT_EQ(needle.Rotation().maximum, 180.0f);
    ASSERT_EQ(needle.Nonlinearity().size(), 2u);
    const NonlinearityPoint& zero = needle.Nonlinearity()[0];
    EXPECT_EQ(zero.x, 20.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.degrees, 0.0f) << "straight above the scaled position";
    const NonlinearityPoint& hundred = needle.Nonlinearity()[1];
    EXPECT_EQ(hundred.value, 100.0f);
    EXPECT_EQ(hundred.degrees, 90.0f);
    EXPECT_EQ(hundred.x, 0.0f) << "a point by degrees has no position";

    const CGaugeElement& strip = *gauge.Elements()[1];
    EXPECT_TRUE(strip.HasImage());
    EXPECT_FALSE(strip.Image().IsLoaded()) << "a missing image stays empty";
    ASSERT_TRUE(strip.HasShift());
    EXPECT_EQ(strip.Shift().expression, L"(A:Vertical speed,feet per minute)");
    EXPECT_TRUE(strip.Shift().hasMinimum);
    EXPECT_EQ(strip.Shift().minimum, -4.0f);
    EXPECT_FALSE(strip.Shift().hasMaximum);
    EXPECT_EQ(strip.ShiftScaleX(), 0.0f) << "an absent X is 0 here";
    EXPECT_EQ(strip.ShiftScaleY(), 4.0f);

    const auto datums = sim.Datums();
    ASSERT_EQ(datums.size(), 2u) << "rotation and shift expressions are registered as read";
    EXPECT_STREQ(datums[0].datumName, "Airspeed indicated");
    EXPECT_STREQ(datums[1].datumName, "Vertical speed");
    EXPECT_TRUE(trace.Lines().size() == 2u) << "two registrations, nothing else traced";
}

TEST_F(GaugeFileReaderTest, OlderPositionsScaleByTheImageSizesReadSoFar) {
    struct Case {
        const char* imageAttributes;
        const char* x;
        const char* y;
        int expectedX, expectedY;
        int designWidth, designHeight, gaugeWidth, gaugeHeight;
    };
    const Case cases[] = {
        {" ImageSizes=\"100,100,200,200\"", "50", "25", 100, 50, 100, 100, 200, 200},
        {"", "50", "25", 50, 25, 0, 0, 0, 0},
        {" ImageSizes=\"100,200,300\"", "50", "25", 100, 25, 100, 0, 200, 300},
        {" ImageSizes=\" 40,\t\r\n30 ,  80,60\"", "50", "25", 100, 50, 40, 30, 80, 60},
        {" ImageSizes=\"64\"", "50", "25", 0, 25, 64, 0, 0, 0},
        {" ImageSizes=\"3,2,1,\"", "50", "25", 16, 0, 3, 2, 1, 0},
        {"", " -3.7px", "2.9", -3, 2, 0, 0, 0, 0},
        {"", "1e30", "nan", INT_MAX, 0, 0, 0, 0, 0},
        {"", "-1e30", "", INT_MIN, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.imageAttributes) + " X=" + c.x + " Y=" + c.y);
        const auto file =
            WriteOlder(std::string("<Image Name=\"none.bmp\"") + c.imageAttributes +
                       "/>\n<Element><Position X=\"" + c.x + "\" Y=\"" + c.y + "\"/></Element>\n");
        const Loaded loaded = Load(file);
        ASSERT_TRUE(loaded.result);
        ASSERT_EQ(loaded.renderer->Elements().size(), 1u);
        EXPECT_EQ(loaded.renderer->Elements()[0]->X(), c.expectedX);
        EXPECT_EQ(loaded.renderer->Elements()[0]->Y(), c.expectedY);
        EXPECT_EQ(loaded.renderer->DesignWidth(), c.designWidth);
        EXPECT_EQ(loaded.renderer->DesignHeight(), c.designHeight);
        EXPECT_EQ(loaded.renderer->GaugeWidth(), c.gaugeWidth);
        EXPECT_EQ(loaded.renderer->GaugeHeight(), c.gaugeHeight);
    }
}

TEST_F(GaugeFileReaderTest, OlderImageAlphaIsYesInAnyCase) {
    folder.WriteBitmap(L"1024\\a.bmp", 2, 2);
    const struct {
        const char* attribute;
        bool alpha;
    } cases[] = {{" Alpha=\"Yes\"", true},
                 {" Alpha=\"yES\"", true},
                 {" Alpha=\"true\"", false},
                 {" Alpha=\"\"", false},
                 {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attribute);
        const Loaded loaded = Load(WriteOlder(std::string("<Element><Image Name=\"a.bmp\"") +
                                              c.attribute + "/></Element>"));
        ASSERT_EQ(loaded.renderer->Elements().size(), 1u);
        EXPECT_TRUE(loaded.renderer->Elements()[0]->Image().IsLoaded());
        EXPECT_EQ(loaded.renderer->Elements()[0]->Image().Alpha(), c.alpha);
        EXPECT_EQ(loaded.renderer->Elements()[0]->LayerWidth(), 0) << "no background yet";
    }
}

TEST_F(GaugeFileReaderTest, OlderTableBeforeThePositionIsMeasuredFromTheOrigin) {
    const Loaded loaded =
        Load(WriteOlder("<Element>\n"
                        "  <Rotate><Value>(L:Turn)</Value>\n"
                        "    <Nonlinearity><Item Value=\"0\" X=\"10\" Y=\"10\"/>"
                        "</Nonlinearity></Rotate>\n"
                        "  <Position X=\"10\" Y=\"0\"/>\n"
                        "  <Shift><Nonlinearity><Item Value=\"1\" X=\"10\" Y=\"20\"/>"
                        "</Nonlinearity></Shift>\n"
                        "</Element>\n"));
    const auto& table = loaded.renderer->Elements()[0]->Nonlinearity();
    ASSERT_EQ(table.size(), 2u) << "shift and rotation share one table";
    EXPECT_EQ(table[0].degrees, 135.0f) << "from (0, 0)";
    EXPECT_EQ(table[1].degrees, 180.0f) << "from (10, 0)";
}

TEST_F(GaugeFileReaderTest, OlderUnknownElementFailsTheLoadButEverythingIsRead) {
    const Loaded loaded = Load(WriteOlder("<Element/>\n<Comment>drawn by hand</Comment>\n"
                                          "<Element><Position X=\"3\" Y=\"4\"/></Element>\n"
                                          "<Mouse><Area><Area><Click>(L:A)</Click></Area></Area>"
                                          "</Mouse>\n"));
    EXPECT_FALSE(loaded.result);
    EXPECT_EQ(loaded.renderer->Elements().size(), 2u);
    EXPECT_EQ(loaded.renderer->Elements()[1]->X(), 3);
    EXPECT_EQ(loaded.renderer->MouseAreas().size(), 1u);
    EXPECT_EQ(loaded.renderer->GetGaugeName(), L"") << "no Name attribute";
    EXPECT_TRUE(trace.Lines().empty());
}

TEST_F(GaugeFileReaderTest, OlderMouseAreasTakeOnlyUpArrowAsUpAndStopAtACursorWithoutType) {
    const auto file = WriteOlder(
        "<Mouse>\n"
        "  <Tooltip>ignored</Tooltip>\n"
        "  <Area>\n"
        "    <Area><Cursor Type=\"upArrow\"/><Click Event=\"AP_ALT_VAR_INC\"/></Area>\n"
        "    <Area><Cursor Type=\"Hand\"/><Click>(L:X) 1 -</Click></Area>\n"
        "    <Help/>\n"
        "  </Area>\n"
        "  <Area>\n"
        "    <Area><Click>(L:First)</Click></Area>\n"
        "    <Area><Cursor Type=\"DownArrow\"/><Click>(L:Second)</Click></Area>\n"
        "  </Area>\n"
        "  <Area><Area><Cursor/><Click>(L:Dropped)</Click></Area></Area>\n"
        "  <Area><Area><Cursor Type=\"UpArrow\"/><Click>(L:AlsoDropped)</Click></Area></Area>\n"
        "</Mouse>\n"
        "<Mouse>\n"
        "  <Area><Area><Cursor Type=\"UpArrow\"/><Click Event=\"AP_MASTER\">(L:Unused)</Click>"
        "</Area></Area>\n"
        "</Mouse>\n");
    const Loaded loaded = Load(file);
    ASSERT_TRUE(loaded.result);
    const auto& areas = loaded.renderer->MouseAreas();
    ASSERT_EQ(areas.size(), 3u);

    EXPECT_EQ(areas[0].up.clientEventId, sim.MappedEventId("AP_ALT_VAR_INC"));
    EXPECT_NE(areas[0].up.clientEventId, 0u);
    EXPECT_EQ(areas[0].up.script, L"");
    EXPECT_EQ(areas[0].down.clientEventId, 0u);
    EXPECT_EQ(areas[0].down.script, L"(L:X) 1 -") << "a Hand cursor is a down action here";

    EXPECT_EQ(areas[1].up.script, L"");
    EXPECT_EQ(areas[1].down.script, L"(L:Second)") << "a later down action replaces";

    EXPECT_EQ(areas[2].up.clientEventId, sim.MappedEventId("AP_MASTER"));
    EXPECT_EQ(areas[2].up.script, L"");
    EXPECT_EQ(areas[2].down.script, L"");
}

TEST_F(GaugeFileReaderTest, NewerSchemaReadsEveryGaugeWithImagesBesideTheFile) {
    folder.WriteBitmap(L"bezel.bmp", 50, 40);
    folder.WriteBitmap(L"card.bmp", 12, 10);
    folder.WriteBitmap(L"window.bmp", 9, 9);
    const auto file = WriteNewer(
        "<SimGauge.Gauge id=\"Attitude\">\n"
        "  <FloatPosition>0.000,0.000</FloatPosition>\n"
        "  <Image id=\"Bezel\" Name=\"bezel.bmp\"/>\n"
        "  <Element id=\"Card\">\n"
        "    <FloatPosition>10.7, 20.2</FloatPosition>\n"
        "    <Visibility>(A:Electrical master battery,bool)</Visibility>\n"
        "    <MaskImage Name=\"window.bmp\"><Axis>1,1</Axis><Axis>3.5,\r\n\t "
        "4.5</Axis></MaskImage>\n"
        "    <Image Name=\"card.bmp\" Alpha=\"Yes\"><Axis>6</Axis></Image>\n"
        "    <Rotation><Expression><Minimum>-1.5</Minimum><Script>(A:Attitude indicator bank "
        "degrees,radians)</Script></Expression><Scale>9,9</Scale></Rotation>\n"
        "    <Shift>\n"
        "      <Scale>1.5, 2.5</Scale>\n"
        "      <Expression><Script>(A:Attitude indicator pitch degrees,degrees)</Script>"
        "</Expression>\n"
        "      <Expression><Maximum>3</Maximum><Script>(A:Plane pitch degrees,degrees)</Script>"
        "</Expression>\n"
        "    </Shift>\n"
        "  </Element>\n"
        "  <Element><FloatPosition>10.7</FloatPosition></Element>\n"
        "  <Comment>passed over</Comment>\n"
        "</SimGauge.Gauge>\n"
        "<Note/>\n"
        "<SimGauge.Gauge id=\"Second\"><Element><FloatPosition>-2.9,7</FloatPosition></Element>"
        "</SimGauge.Gauge>\n");

    const Loaded loaded = Load(file);
    ASSERT_TRUE(loaded.result);
    const CGaugeRenderer& gauge = *loaded.renderer;
    EXPECT_EQ(gauge.ImageFolder(), folder.Path().wstring());
    EXPECT_EQ(gauge.GetGaugeName(), L"");
    EXPECT_EQ(gauge.Background().Width(), 50);
    EXPECT_EQ(gauge.GaugeWidth(), 0);
    ASSERT_EQ(gauge.Elements().size(), 3u);

    const CGaugeElement& card = *gauge.Elements()[0];
    EXPECT_EQ(card.X(), 10);
    EXPECT_EQ(card.Y(), 20);
    EXPECT_EQ(card.LayerWidth(), 50);
    EXPECT_EQ(card.LayerHeight(), 40);
    EXPECT_EQ(card.Visibility(), L"(A:Electrical master battery,bool)");
    EXPECT_EQ(card.Mask().AxisX(), 3.5f);
    EXPECT_EQ(card.Mask().AxisY(), 4.5f);
    ASSERT_TRUE(card.Image().IsLoaded());
    EXPECT_EQ(card.Image().AxisX(), 6.0f);
    EXPECT_EQ(card.Image().AxisY(), 0.0f);
    EXPECT_FALSE(card.Image().Alpha()) << "this schema has no alpha";
    EXPECT_EQ(card.Rotation().expression, L"(A:Attitude indicator bank degrees,radians)");
    EXPECT_TRUE(card.Rotation().hasMinimum);
    EXPECT_EQ(card.Rotation().minimum, -1.5f);
    EXPECT_FALSE(card.Rotation().hasMaximum);
    EXPECT_EQ(card.ShiftScaleX(), 1.5f);
    EXPECT_EQ(card.ShiftScaleY(), 2.5f);
    EXPECT_EQ(card.Shift().expression, L"(A:Plane pitch degrees,degrees)") << "the last counts";
    EXPECT_FALSE(card.Shift().hasMinimum);
    EXPECT_TRUE(card.Shift().hasMaximum);
    EXPECT_EQ(card.Shift().maximum, 3.0f);
    EXPECT_EQ(gauge.Elements()[1]->X(), 10);
    EXPECT_EQ(gauge.Elements()[1]->Y(), 0);
    EXPECT_EQ(gauge.Elements()[2]->X(), -2);
    EXPECT_EQ(gauge.Elements()[2]->Y(), 7);

    std::vector<std::string> names;
    for (const auto& datum : sim.Datums())
        names.push_back(datum.datumName);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Attitude indicator bank degrees",
                                        "Attitude indicator pitch degrees", "Plane pitch degrees"}))
        << "every Expression is registered, the visibility is not";
}

TEST_F(GaugeFileReaderTest, NewerMouseAreasCountEveryCursorButDownArrowAsUp) {
    const auto file = WriteNewer(
        "<SimGauge.Gauge>\n"
        "  <MouseArea id=\"Knobs\">\n"
        "    <FloatPosition>0,0</FloatPosition>\n"
        "    <MouseArea>\n"
        "      <MouseArea><CursorType>Hand</CursorType>"
        "<MouseClick><Script>(L:X) 1 +</Script></MouseClick></MouseArea>\n"
        "      <MouseArea><CursorType>downarrow</CursorType>"
        "<MouseClick><KeyEvent>AP_MASTER</KeyEvent><Script>(L:Y)</Script></MouseClick>"
        "</MouseArea>\n"
        "    </MouseArea>\n"
        "    <MouseArea>\n"
        "      <MouseArea><MouseClick><Script>(L:Z)</Script><KeyEvent>HEADING_BUG_INC</KeyEvent>"
        "</MouseClick></MouseArea>\n"
        "      <MouseArea><CursorType></CursorType><Tooltip>up</Tooltip></MouseArea>\n"
        "    </MouseArea>\n"
        "  </MouseArea>\n"
        "</SimGauge.Gauge>\n");
    const Loaded loaded = Load(file);
    ASSERT_TRUE(loaded.result);
    const auto& areas = loaded.renderer->MouseAreas();
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0].up.script, L"(L:X) 1 +") << "a Hand cursor is an up action here";
    EXPECT_EQ(areas[0].down.script, L"(L:Y)") << "a later click child overrides";
    EXPECT_EQ(areas[0].down.clientEventId, 0u);
    EXPECT_EQ(areas[1].down.clientEventId, sim.MappedEventId("HEADING_BUG_INC"))
        << "no cursor: the flag stays down";
    EXPECT_NE(areas[1].down.clientEventId, 0u);
    EXPECT_EQ(areas[1].down.script, L"");
    EXPECT_EQ(areas[1].up.script, L"") << "an empty cursor counts as up";
    EXPECT_EQ(areas[1].up.clientEventId, 0u);
}

TEST_F(GaugeFileReaderTest, FilesThatCannotBeReadFailWithTheirTrace) {
    struct Case {
        const char* content; // null: no file at all
        bool result;
        std::vector<std::wstring> lines;
    };
    const Case cases[] = {
        {nullptr, false, {L"  Unable to Read Gauge File"}},
        {"<Gauge><Element>", false, {L"  Unable to Read Gauge File"}},
        {"<Panel><Element/></Panel>", false, {L"  Invalid Node Parsing Gauge File"}},
        {"<gauge name=\"lower case\"/>", true, {}},
        {"<simbase.document/>", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content != nullptr ? c.content : "no file");
        const fs::path file = c.content != nullptr ? folder.Write(L"gauge.xml", c.content)
                                                   : folder.Path() / L"missing.xml";
        trace.Clear();
        const Loaded loaded = Load(file);
        EXPECT_EQ(loaded.result, c.result);
        EXPECT_EQ(trace.Lines(), c.lines);
        EXPECT_TRUE(loaded.renderer->Elements().empty());
    }
}

TEST_F(GaugeFileReaderTest, APathWithoutFolderPutsOlderImagesUnderTheDriveRoot) {
    folder.Write(L"old.xml", "<Gauge Name=\"Here\"><Image Name=\"dial.bmp\"/></Gauge>");
    folder.Write(L"new.xml", "<SimBase.Document/>");
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
    const Loaded older = Load(L"old.xml");
    const Loaded newer = Load(L"new.xml");
    SetCurrentDirectoryW(previous);

    EXPECT_TRUE(older.result);
    EXPECT_EQ(older.renderer->GetGaugeName(), L"Here");
    EXPECT_EQ(older.renderer->ImageFolder(), L"\\1024");
    EXPECT_TRUE(newer.result);
    EXPECT_EQ(newer.renderer->ImageFolder(), L"");
}

} // namespace
