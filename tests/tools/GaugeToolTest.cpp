// DravikGauge.exe as a gauge author runs it: its frames against the renderer's own, the check
// report of a gauge written to hold mistakes, the stack of an evaluation, a sweep's sheet.

#include "pages/gauge/expression/ExpressionEngine.h"
#include "tests/gauge/GaugeTestFiles.h"
#include "tests/gauge/TestCabinet.h"
#include "tests/program/ChildProcess.h"
#include "tests/support/NuvexServiceInstaller.h"
#include "tests/tools/ToolImages.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr DWORD kToolTimeoutMs = 60000;

std::wstring SamplePath(const std::wstring& relative) {
    return BuildOutputFolder() + L"\\samples\\gauges\\" + relative;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::wstring FromUtf8(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wistringstream stream(text);
    for (std::wstring line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The lines from the one that starts with `heading` up to the next empty line.
std::wstring Section(const std::wstring& output, const std::wstring& heading) {
    std::wstring section;
    bool inside = false;
    for (const std::wstring& line : Lines(output)) {
        if (!inside && line.rfind(heading, 0) == 0)
            inside = true;
        else if (inside && line.empty())
            break;
        if (inside)
            section += line + L"\n";
    }
    return section;
}

// Runs of blanks made one blank, the ends trimmed.
std::wstring Squeezed(const std::wstring& text) {
    std::wstring squeezed;
    for (wchar_t ch : text) {
        if (ch == L' ' && (squeezed.empty() || squeezed.back() == L' '))
            continue;
        squeezed += ch;
    }
    while (!squeezed.empty() && squeezed.back() == L' ')
        squeezed.pop_back();
    return squeezed;
}

GaugeLoader Sample(const std::wstring& relative) {
    return [relative](CGaugeRenderer& renderer, GaugeVariables& store) {
        ASSERT_TRUE(renderer.LoadFromFile(store, SamplePath(relative).c_str()));
    };
}

GaugeLoader BuiltIn() {
    return [](CGaugeRenderer& renderer, GaugeVariables& store) { renderer.LoadDebugGauge(store); };
}

// The scripts of mouse actions, run as the page runs them for the panel's inputs.
GaugeLoader Scripts(std::vector<std::pair<size_t, bool>> actions) {
    return [actions](CGaugeRenderer& renderer, GaugeVariables& store) {
        for (const auto& [area, up] : actions) {
            const CMouseArea& mouseArea = renderer.MouseAreas().at(area);
            Evaluate(store, (up ? mouseArea.up : mouseArea.down).script);
        }
    };
}

class GaugeToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CNuvexServiceInstaller::InstallImages()); }
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }

    struct ToolRun {
        std::optional<DWORD> exitCode;
        std::wstring output; // standard output and error
    };

    ToolRun Tool(const std::wstring& arguments) {
        const fs::path outputFile = folder.Path() / L"output.txt";
        ToolRun run;
        run.exitCode = RunProgram(BuildOutputFolder() + L"\\DravikGauge.exe", arguments,
                                  BuildOutputFolder(), {}, kToolTimeoutMs, outputFile.wstring());
        run.output = FromUtf8(ReadBytes(outputFile));
        return run;
    }
    std::wstring Scratch(const std::wstring& name) const {
        return (folder.Path() / name).wstring();
    }
    static std::wstring Quote(const std::wstring& text) { return L"\"" + text + L"\""; }

    CScratchFolder folder{L"gauge-tool"};
};

} // namespace

TEST_F(GaugeToolTest, RenderWritesTheRenderersFramePixelForPixel) {
    // A gauge in a cabinet, and a pages file whose gauge lies beside it with labels, after two
    // joystick pages that take page numbers 1 and 2.
    std::vector<CabinetEntry> heading;
    for (const auto& file : fs::directory_iterator(SamplePath(L"Heading")))
        heading.push_back({file.path().filename().string(), ReadBytes(file.path())});
    ASSERT_TRUE(WriteCabinet(Scratch(L"heading.cab"), heading, CabinetCompression::MsZip));
    fs::create_directories(folder.Path() / L"Gauges");
    fs::copy(SamplePath(L"LandingGear"), folder.Path() / L"Gauges" / L"LandingGear",
             fs::copy_options::recursive);
    folder.Write(
        L"Dravik.xml",
        "<Dravik><Orvik><ComNav Radio1=\"true\"/><Adf/></Orvik>"
        "<Gauge File=\"Gauges\\LandingGear\\LandingGear.xml\">"
        "<Button Id=\"2\" Name=\"GEAR\" Event=\"GEAR_TOGGLE\" Bold=\"700\" RGB=\"0x00FF00\"/>"
        "</Gauge></Dravik>");
    const std::wstring landingGear = Scratch(L"Gauges\\LandingGear\\LandingGear.xml");

    const struct {
        const char* what;
        std::wstring arguments;
        GaugeLoader load;
        std::vector<GaugeValue> values;
        GaugeLoader presses;
    } cases[] = {
        {"older schema, scaled design frame",
         L"--file samples\\gauges\\Altimeter\\Altimeter.xml --set \"A:Indicated "
         L"altitude,feet=3250\" "
         L"--set \"A:Altimeter setting,inHg=29.92\"",
         Sample(L"Altimeter\\Altimeter.xml"),
         {{L'A', L"Indicated altitude", L"feet", 3250.0f},
          {L'A', L"Altimeter setting", L"inHg", 29.92f}},
         {}},
        {"newer schema, shift and rotation behind a mask",
         L"--file samples\\gauges\\Attitude\\Attitude.xml --set \"A:Attitude indicator pitch "
         L"degrees,degrees=8\" --set \"A:Attitude indicator bank degrees,radians=0.4\"",
         Sample(L"Attitude\\Attitude.xml"),
         {{L'A', L"Attitude indicator pitch degrees", L"degrees", 8.0f},
          {L'A', L"Attitude indicator bank degrees", L"radians", 0.4f}},
         {}},
        {"many elements, lamps and masked tapes",
         L"--file samples\\gauges\\EngineCluster\\EngineCluster.xml --set \"A:General eng "
         L"rpm:1,rpm=2400\" --set \"A:Fuel tank left main quantity,gallons=12\"",
         Sample(L"EngineCluster\\EngineCluster.xml"),
         {{L'A', L"General eng rpm:1", L"rpm", 2400.0f},
          {L'A', L"Fuel tank left main quantity", L"gallons", 12.0f}},
         {}},
        {"a cabinet extracted and deleted again",
         L"--root Absolute --cab " + Quote(Scratch(L"heading.cab")) +
             L" --file Heading.xml --set \"A:Plane heading degrees gyro,radians=0.7\"",
         Sample(L"Heading\\Heading.xml"),
         {{L'A', L"Plane heading degrees gyro", L"radians", 0.7f}},
         {}},
        {"a page of a pages file: its labels, a press on the second mouse area",
         L"--config " + Quote(Scratch(L"Dravik.xml")) +
             L" --page 3 --press left --set \"A:Gear left position,percent=100\"",
         [&landingGear](CGaugeRenderer& renderer, GaugeVariables& store) {
             ASSERT_TRUE(renderer.LoadFromFile(store, landingGear.c_str()));
             renderer.AddButtonLabel(2, L"GEAR", L"GEAR_TOGGLE", 700, 0x00FF00);
         },
         {{L'A', L"Gear left position", L"percent", 100.0f}},
         Scripts({{1, true}})},
        {"the built-in gauge: presses on its knob and the airspeed",
         L"--press down --press down --press down --press up "
         L"--set \"A:Airspeed select indicated or true,knots=120\"",
         BuiltIn(),
         {{L'A', L"Airspeed select indicated or true", L"knots", 120.0f}},
         Scripts({{0, false}, {0, false}, {0, false}, {0, true}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring png = Scratch(L"frame.png");
        const std::wstring bmp = Scratch(L"frame.bmp");
        const ToolRun run =
            Tool(L"render " + c.arguments + L" --out " + Quote(png) + L" --bmp " + Quote(bmp));
        ASSERT_EQ(run.exitCode, 0u) << std::string(run.output.begin(), run.output.end());

        const std::vector<BYTE> expected = ReferenceFrame(c.load, c.values, c.presses);
        // The values and presses must show, or the comparison proves little.
        EXPECT_NE(expected, ReferenceFrame(c.load, {}));
        const std::optional<DecodedImage> image = DecodePng(png);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->width, 320);
        EXPECT_EQ(image->height, 240);
        EXPECT_EQ(CompareWithFrame(*image, expected), "");
        // The BMP holds the panel's bytes as they are.
        const std::string file = ReadBytes(bmp);
        ASSERT_EQ(file.size(), 54u + expected.size());
        EXPECT_EQ(
            file.compare(54, std::string::npos, std::string(expected.begin(), expected.end())), 0);
    }
}

TEST_F(GaugeToolTest, CheckNamesEveryIgnoredTokenAndMissingImage) {
    // A background wider than ImageSizes' gauge reaches past the screen's right edge, and so
    // does the second element, shown because its comparison is ignored.
    folder.WriteBitmap(L"1024\\Background.bmp", 160, 160, RGB(20, 40, 60));
    folder.WriteBitmap(L"1024\\Dot.bmp", 8, 8, RGB(250, 250, 0));
    const std::wstring gauge = folder
                                   .Write(L"Faulty.xml", R"(<Gauge Name="Faulty">
  <Image Name="Background.bmp" ImageSizes="100,100,100,100"/>
  <Element>
    <Position X="10" Y="10"/>
    <MaskImage Name="Missing mask.bmp"/>
    <Image Name="Missing needle.bmp"/>
    <Rotate><Value>(A:Airspeed indicated,knots) 0.5 *</Value></Rotate>
  </Element>
  <Element>
    <Position X="150" Y="20"/>
    <Visible>(A:Airspeed indicated,knots) 1 &gt;</Visible>
    <Image Name="Dot.bmp"/>
    <Select/>
  </Element>
  <Mouse><Area><Area><Cursor Type="UpArrow"/>
    <Click>(L:Knob) 1.5 + 1 if{ 2.5 } (&amp;gt;L:Knob)</Click>
  </Area></Area></Mouse>
</Gauge>)")
                                   .wstring();
    const ToolRun run = Tool(L"check --root Absolute --file " + Quote(gauge));
    ASSERT_EQ(run.exitCode, 0u);
    const std::wstring images = Scratch(L"1024\\");

    const std::wstring first = Section(run.output, L"Element 1");
    EXPECT_NE(first.find(L"\"(A:Airspeed indicated,knots) 0.5 *\""), std::wstring::npos) << first;
    EXPECT_NE(first.find(L"ignores \"0.5\": a number is digits only: write 5 10 /"),
              std::wstring::npos)
        << first;
    EXPECT_NE(first.find(L"missing image file " + images + L"Missing needle.bmp"),
              std::wstring::npos)
        << first;

    EXPECT_NE(first.find(L"missing image file " + images + L"Missing mask.bmp"), std::wstring::npos)
        << first;

    const std::wstring second = Section(run.output, L"Element 2");
    EXPECT_NE(second.find(L"ignores \">\""), std::wstring::npos) << second;
    EXPECT_NE(second.find(L"draws outside the 320 x 240 screen"), std::wstring::npos) << second;

    const std::wstring script = Section(run.output, L"Mouse area 1");
    EXPECT_NE(script.find(L"ignores \"1.5\""), std::wstring::npos) << script;
    EXPECT_NE(script.find(L"ignores \"2.5\""), std::wstring::npos) << script;
    EXPECT_NE(script.find(L"assigns L:Knob"), std::wstring::npos) << script;

    EXPECT_NE(Section(run.output, L"Screen").find(L"the background covers"), std::wstring::npos);
    EXPECT_NE(Section(run.output, L"Passed over").find(L"Gauge/Element[2]/Select"),
              std::wstring::npos);
    EXPECT_NE(run.output.find(L"Result       the gauge loads"), std::wstring::npos);
}

TEST_F(GaugeToolTest, CheckExitsWithOneWhenTheGaugeDoesNotLoad) {
    const struct {
        const char* what;
        std::string content; // of the gauge file; none: no file
        const wchar_t* extra;
        const wchar_t* said;
    } cases[] = {
        {"not well-formed", "<Gauge><Image", L"", L"not well-formed"},
        {"an unknown root", "<Panel/>", L"", L"is neither"},
        {"an unknown element under the older root", "<Gauge><Comment/></Gauge>", L"",
         L"Gauge/Comment: not understood here"},
        {"no such file", "", L"", L"missing or not well-formed"},
        {"no such cabinet", "", L" --cab nowhere.cab", L"cabinet could not be extracted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring gauge = Scratch(L"gauge.xml");
        std::error_code ignored;
        fs::remove(gauge, ignored);
        if (!c.content.empty())
            folder.Write(L"gauge.xml", c.content);
        const ToolRun run = Tool(L"check --root Absolute --file " + Quote(gauge) + c.extra);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.output.find(c.said), std::wstring::npos)
            << std::string(run.output.begin(), run.output.end());
        EXPECT_NE(run.output.find(L"the gauge does not load"), std::wstring::npos);
    }
}

TEST_F(GaugeToolTest, CheckReportsTheBuiltInGaugeWhenNoneIsNamed) {
    const ToolRun run = Tool(L"check");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.output.find(L"registers A:Airspeed select indicated or true,knots as datum 0"),
              std::wstring::npos);
    EXPECT_EQ(run.output.find(L"missing image file"), std::wstring::npos);
}

TEST_F(GaugeToolTest, EvalPrintsTheStackAfterEveryToken) {
    struct Row {
        int depth;
        const wchar_t* text; // token, kind and stack, single blanks between
    };
    const struct {
        const wchar_t* arguments;
        std::vector<Row> rows;
        const wchar_t* result;
    } cases[] = {
        {L"\"1 2 + 0.5 3 *\"",
         {{0, L"1 number 1"},
          {0, L"2 number 1 2"},
          {0, L"+ operator 3"},
          {0, L"0.5 ignored 3 <-"},
          {0, L"3 number 3 3"},
          {0, L"* operator 9"}},
         L"9"},
        {L"\"(A:Airspeed indicated,knots) 2 /\" --set \"A:Airspeed indicated,knots=120\"",
         {{0, L"(A:Airspeed indicated,knots) variable 120"},
          {0, L"2 number 120 2"},
          {0, L"/ operator 60"}},
         L"60"},
        {L"\"1 if{ (L:Var1) 10 * } els{ 3 } (&gt;L:Out)\" --set L:Var1=3",
         {{0, L"1 number 1"},
          {1, L"(L:Var1) variable 3"},
          {1, L"10 number 3 10"},
          {1, L"* operator 30"},
          {0, L"if{ (L:Var1) 10 * } if 30"},
          {0, L"els{ 3 } else 30"},
          {0, L"(&gt;L:Out) assignment 30"}},
         L"30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.arguments, c.arguments + wcslen(c.arguments)));
        const ToolRun run = Tool(L"eval " + std::wstring(c.arguments));
        ASSERT_EQ(run.exitCode, 0u);
        const std::vector<std::wstring> lines = Lines(run.output);
        auto header = std::find_if(lines.begin(), lines.end(), [](const std::wstring& line) {
            return line.rfind(L"token", 0) == 0;
        });
        ASSERT_NE(header, lines.end());
        for (size_t i = 0; i < c.rows.size(); ++i) {
            ASSERT_LT(
                static_cast<size_t>(header + 1 + static_cast<std::ptrdiff_t>(i) - lines.begin()),
                lines.size());
            const std::wstring& line = *(header + 1 + static_cast<std::ptrdiff_t>(i));
            const size_t indent = line.find_first_not_of(L' ');
            EXPECT_EQ(indent, static_cast<size_t>(c.rows[i].depth) * 4) << i;
            EXPECT_EQ(Squeezed(line).rfind(c.rows[i].text, 0), 0u)
                << std::string(line.begin(), line.end());
        }
        EXPECT_EQ(*(header + 1 + static_cast<std::ptrdiff_t>(c.rows.size())), L"");
        EXPECT_NE(run.output.find(L"result " + std::wstring(c.result)), std::wstring::npos);
    }
}

TEST_F(GaugeToolTest, SweepLaysTheFramesOutWithTheirValues) {
    const std::wstring png = Scratch(L"sweep.png");
    const ToolRun run = Tool(L"sweep --var L:Var1 --from -30 --to 30 --steps 5 --set "
                             L"\"A:Airspeed select indicated or true,knots=90\" --out " +
                             Quote(png));
    ASSERT_EQ(run.exitCode, 0u);
    const std::optional<DecodedImage> sheet = DecodePng(png);
    ASSERT_TRUE(sheet.has_value());
    // Three columns and two rows of 320 x 240 frames, each with a 24-pixel caption, 8 pixels
    // around and between them.
    EXPECT_EQ(sheet->width, 3 * 320 + 4 * 8);
    EXPECT_EQ(sheet->height, 2 * (240 + 24) + 3 * 8);
    const struct {
        float value;
        int left;
        int top;
    } frames[] = {{-30.0f, 8, 8}, {0.0f, 8 + 2 * 328, 8}, {15.0f, 8, 8 + 272}};
    for (const auto& frame : frames) {
        SCOPED_TRACE(frame.value);
        const std::vector<BYTE> expected =
            ReferenceFrame(BuiltIn(), {{L'A', L"Airspeed select indicated or true", L"knots", 90},
                                       {L'G', L"Var1", L"", frame.value}});
        EXPECT_EQ(CompareWithFrame(*sheet, expected, frame.left, frame.top), "");
    }
}

TEST_F(GaugeToolTest, ACommandLineItCannotUseExitsWithTwo) {
    for (const wchar_t* arguments :
         {L"", L"paint", L"render --unknown 1", L"render --page 2", L"render --set Var1",
          L"check --press 9", L"sweep --var L:X --from 0 --to 1", L"eval"}) {
        SCOPED_TRACE(std::string(arguments, arguments + wcslen(arguments)));
        EXPECT_EQ(Tool(arguments).exitCode, 2u);
    }
}
