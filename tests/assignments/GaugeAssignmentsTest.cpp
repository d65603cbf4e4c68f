#include "app/display/GaugeAssignments.h"

#include "app/xml/XmlElement.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// One child element of the file's root as reading sees it.
struct Entry {
    std::wstring element;
    std::wstring serial;
    std::wstring name;
    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& entry, std::ostream* out) {
    *out << fs::path(entry.element + L" " + entry.serial + L"=" + entry.name).string();
}

class GaugeAssignmentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        m_folder = fs::path(temp) / (L"assignments-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_file = m_folder / CGaugeAssignments::kFileName;
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        CoUninitialize();
    }

    void Write(const std::string& utf8) { std::ofstream(m_file, std::ios::binary) << utf8; }

    std::string Read() const {
        std::ifstream in(m_file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The root's name followed by its children.
    std::vector<Entry> Entries() const {
        std::unique_ptr<CXmlElement> root;
        EXPECT_TRUE(ParseXmlFile(m_file.c_str(), root));
        std::vector<Entry> entries;
        if (!root)
            return entries;
        entries.push_back({root->name, L"", L""});
        for (const auto& child : root->children) {
            const wchar_t* serial = child->GetAttribute(L"Serial");
            const wchar_t* name = child->GetAttribute(L"Name");
            entries.push_back({child->name, serial ? serial : L"-", name ? name : L"-"});
        }
        return entries;
    }

    fs::path m_folder;
    fs::path m_file;
};

TEST_F(GaugeAssignmentsTest, FirstSaveCreatesTheListAndReadsBack) {
    CGaugeAssignments assignments(m_file.wstring());
    assignments.Load();
    EXPECT_EQ(assignments.Get(L"B2"), L"");
    assignments.Set(L"B2", L"Altimeter");
    assignments.Set(L"A1", L"Airspeed");
    assignments.Set(L"a0", L"Attitude");
    assignments.Save();

    const std::string text = Read();
    EXPECT_THAT(text, StartsWith("<?xml version=\"1.0\""));
    EXPECT_THAT(text, HasSubstr("<Vexa Serial=\"A1\" Name=\"Airspeed\"/>"));
    // Ascending code-unit order: capitals before small letters.
    EXPECT_THAT(Entries(),
                ElementsAre(Entry{L"VexaList", L"", L""}, Entry{L"Vexa", L"A1", L"Airspeed"},
                            Entry{L"Vexa", L"B2", L"Altimeter"},
                            Entry{L"Vexa", L"a0", L"Attitude"}));

    CGaugeAssignments reread(m_file.wstring());
    reread.Load();
    EXPECT_EQ(reread.Get(L"A1"), L"Airspeed");
    EXPECT_EQ(reread.Get(L"a0"), L"Attitude");
    EXPECT_EQ(reread.Get(L"a1"), L"");
}

TEST_F(GaugeAssignmentsTest, SaveChangesOnlyTheNameOfAnExistingEntry) {
    Write("<?xml version=\"1.0\"?>\n<!-- kept -->\n<VexaList>"
          "<Vexa Serial=\"B\" Name=\"Old\" Colour=\"Red\"/>"
          "<Note Kind=\"x\">text</Note>"
          "<Vexa Serial=\"A\" Name=\"Other\"/></VexaList>");
    CGaugeAssignments assignments(m_file.wstring());
    assignments.Load();
    assignments.Set(L"B", L"New");
    assignments.Save();

    const std::string text = Read();
    EXPECT_THAT(text, HasSubstr("<!-- kept -->"));
    EXPECT_THAT(text, HasSubstr("<Vexa Serial=\"B\" Name=\"New\" Colour=\"Red\"/>"));
    EXPECT_THAT(text, HasSubstr("<Note Kind=\"x\">text</Note>"));
    EXPECT_THAT(Entries(), ElementsAre(Entry{L"VexaList", L"", L""}, Entry{L"Vexa", L"B", L"New"},
                                       Entry{L"Note", L"-", L"-"}, Entry{L"Vexa", L"A", L"Other"}));
}

// Elements lacking "Serial" or "Name" are skipped when reading; the others, whatever their name,
// are read in order, a later one replacing an earlier one. Saving gives the name to every element
// carrying the serial, one without "Name" included, so repeated saves add nothing and the file
// reads back as saved.
TEST_F(GaugeAssignmentsTest, SavesIntoEveryElementOfTheSerialAndNeverGrows) {
    Write("<VexaList><Vexa Serial=\"S\"/><Vexa Name=\"Nameless\"/><Vexa/>"
          "<Panel Serial=\"P\" Name=\"First\"/><Vexa Serial=\"P\" Name=\"Second\"/>"
          "<Vexa Serial=\"\" Name=\"Unread\"/></VexaList>");
    CGaugeAssignments assignments(m_file.wstring());
    assignments.Load();
    EXPECT_EQ(assignments.Get(L"S"), L"");
    EXPECT_EQ(assignments.Get(L"P"), L"Second");
    EXPECT_EQ(assignments.Get(L""), L"Unread");

    assignments.Set(L"S", L"Clock");
    assignments.Set(L"P", L"Fuel");
    assignments.Save();
    assignments.Save();
    EXPECT_THAT(Entries(),
                ElementsAre(Entry{L"VexaList", L"", L""}, Entry{L"Vexa", L"S", L"Clock"},
                            Entry{L"Vexa", L"-", L"Nameless"}, Entry{L"Vexa", L"-", L"-"},
                            Entry{L"Panel", L"P", L"Fuel"}, Entry{L"Vexa", L"P", L"Fuel"},
                            Entry{L"Vexa", L"", L"Unread"}));
    CGaugeAssignments reread(m_file.wstring());
    reread.Load();
    EXPECT_EQ(reread.Get(L"S"), L"Clock");
    EXPECT_EQ(reread.Get(L"P"), L"Fuel");
}

// A file whose root has another name is read as usual, and saving finds its entries there:
// only a new serial adds an element, appended to that root.
TEST_F(GaugeAssignmentsTest, ForeignRootKeepsItsEntries) {
    Write("<Panels><Vexa Serial=\"A\" Name=\"Compass\"/></Panels>");
    CGaugeAssignments assignments(m_file.wstring());
    assignments.Load();
    EXPECT_EQ(assignments.Get(L"A"), L"Compass");
    assignments.Set(L"B", L"Clock");
    assignments.Save();
    assignments.Set(L"A", L"Altimeter");
    assignments.Save();
    EXPECT_THAT(Entries(),
                ElementsAre(Entry{L"Panels", L"", L""}, Entry{L"Vexa", L"A", L"Altimeter"},
                            Entry{L"Vexa", L"B", L"Clock"}));
}

TEST_F(GaugeAssignmentsTest, MalformedFileReadsEmptyAndIsReplacedByANewList) {
    Write("<VexaList><Vexa Serial=\"A\" Name=\"Lost\"/><Vexa");
    CGaugeAssignments assignments(m_file.wstring());
    assignments.Load();
    EXPECT_EQ(assignments.Get(L"A"), L"");
    assignments.Set(L"B", L"Fuel");
    assignments.Save();
    EXPECT_THAT(Read(), StartsWith("<?xml version=\"1.0\""));
    EXPECT_THAT(Entries(),
                ElementsAre(Entry{L"VexaList", L"", L""}, Entry{L"Vexa", L"B", L"Fuel"}));
}

// Quotes in a serial number neither break the query nor let it select another panel's entry:
// after two saves every serial has exactly one element carrying its own name.
TEST_F(GaugeAssignmentsTest, SerialNumbersWithQuotesFindTheirOwnEntry) {
    Write("<VexaList><Vexa Serial=\"A\" Name=\"Keep\"/></VexaList>");
    const std::vector<std::wstring> serials = {
        L"", L"O'Neil", L"say \"hi\"", L"it's \"both\"", L"'", L"' or '1'='1", L"\"']|//Vexa|x['"};
    CGaugeAssignments assignments(m_file.wstring());
    assignments.Load();
    for (size_t i = 0; i < serials.size(); ++i)
        assignments.Set(serials[i], L"Gauge " + std::to_wstring(i));
    assignments.Save();
    for (size_t i = 0; i < serials.size(); ++i)
        assignments.Set(serials[i], L"Renamed " + std::to_wstring(i));
    assignments.Save();

    std::vector<Entry> expected = {{L"VexaList", L"", L""}, {L"Vexa", L"A", L"Keep"}};
    CGaugeAssignments reread(m_file.wstring());
    reread.Load();
    std::map<std::wstring, size_t> order;
    for (size_t i = 0; i < serials.size(); ++i)
        order[serials[i]] = i;
    for (const auto& [serial, i] : order) {
        expected.push_back({L"Vexa", serial, L"Renamed " + std::to_wstring(i)});
        EXPECT_EQ(reread.Get(serial), L"Renamed " + std::to_wstring(i));
    }
    EXPECT_EQ(Entries(), expected);
}

TEST(GaugeAssignmentsPath, DefaultFileLiesBesideTheProgram) {
    wchar_t program[MAX_PATH + 1] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, program, MAX_PATH + 1), 0u);
    EXPECT_EQ(fs::path(CGaugeAssignments().FilePath()),
              fs::path(program).parent_path() / L"ZanFlightVexa.xml");
}

} // namespace
