#include "app/xml/XmlElement.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class XmlElementTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        m_folder = fs::path(temp) / (L"xmltest-" + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        CoUninitialize();
    }

    // Writes `utf8` as the file `relative` below the test folder and returns its full path.
    fs::path Write(const fs::path& relative, const std::string& utf8) {
        const fs::path file = m_folder / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << utf8;
        return file;
    }

    std::unique_ptr<CXmlElement> Parse(const fs::path& file) {
        std::unique_ptr<CXmlElement> root;
        EXPECT_TRUE(ParseXmlFile(file.c_str(), root)) << file;
        return root;
    }

    fs::path m_folder;
};

TEST_F(XmlElementTest, BuildsTheElementTreeWithOwnTextOnly) {
    const auto root = Parse(Write(L"tree.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                               "<!-- header -->\n"
                                               "<g:Gauge xmlns:g=\"urn:g\" xmlns=\"urn:d\">\n"
                                               "  <Element>\n"
                                               "    <Image Name=\"a.bmp\"/>\n"
                                               "  </Element>\n"
                                               "  <?render fast?>\n"
                                               "  <Blank>\n   </Blank>\n"
                                               "  <Empty></Empty>\n"
                                               "  <Value>  Z\xC3\xBCrich \n</Value>\n"
                                               "</g:Gauge>\n"));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name, L"Gauge");
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(root->text, L"");
    EXPECT_TRUE(root->attributes.empty()) << "namespace declarations are not attributes";
    ASSERT_EQ(root->children.size(), 4u);

    const CXmlElement& element = *root->children[0];
    EXPECT_EQ(element.name, L"Element");
    EXPECT_EQ(element.parent, root.get());
    EXPECT_EQ(element.text, L"");
    ASSERT_EQ(element.children.size(), 1u);
    EXPECT_EQ(element.children[0]->name, L"Image");
    EXPECT_EQ(element.children[0]->parent, &element);
    EXPECT_TRUE(element.children[0]->children.empty());

    EXPECT_EQ(root->children[1]->name, L"Blank");
    EXPECT_EQ(root->children[1]->text, L"");
    EXPECT_EQ(root->children[2]->name, L"Empty");
    EXPECT_EQ(root->children[2]->text, L"");
    EXPECT_EQ(root->children[3]->text, L"  Z\u00FCrich \n");
}

TEST_F(XmlElementTest, LooksUpAttributesWithoutRegardToCase) {
    const auto root =
        Parse(Write(L"attributes.xml", "<Page x=\"1\" X=\"2\" Empty=\"\" Ref=\"a &lt; b\"/>"));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->attributes.size(), 3u);
    for (const wchar_t* name : {L"x", L"X"}) {
        ASSERT_NE(root->GetAttribute(name), nullptr) << name;
        EXPECT_STREQ(root->GetAttribute(name), L"2") << name;
    }
    ASSERT_NE(root->GetAttribute(L"EMPTY"), nullptr);
    EXPECT_STREQ(root->GetAttribute(L"empty"), L"");
    EXPECT_STREQ(root->GetAttribute(L"ref"), L"a < b");
    EXPECT_EQ(root->GetAttribute(L"Missing"), nullptr);
    EXPECT_TRUE(root->children.empty());
}

TEST_F(XmlElementTest, JoinsCharacterDataAcrossEntityChunks) {
    const auto root = Parse(Write(L"entities.xml", "<Code>(A:X, number) 5 &gt; if{ 1 } &amp;&#65;"
                                                   " <Sub>s</Sub> tail</Code>"));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text, L"(A:X, number) 5 > if{ 1 } &A  tail");
    ASSERT_EQ(root->children.size(), 1u);
    EXPECT_EQ(root->children[0]->text, L"s");
}

TEST_F(XmlElementTest, DecodesTheDeclaredEncoding) {
    const auto root = Parse(Write(L"cp1252.xml", "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>"
                                                 "<Label Text=\"\x80 \xE9\">\x93x\x94</Label>"));
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetAttribute(L"Text"), L"\u20AC \u00E9");
    EXPECT_EQ(root->text, L"\u201Cx\u201D");
}

TEST_F(XmlElementTest, FailsWithoutTouchingTheResult) {
    const struct {
        const char* name;
        const char* content; // null: no file at all
    } cases[] = {
        {"missing", nullptr},
        {"empty", ""},
        {"truncated", "<Gauge><Element><Image Name=\"a.bmp\"/></Element>"},
        {"mismatched", "<Gauge><Element></Gauge></Element>"},
        {"late error after a complete root", "<Gauge><Element/></Gauge><Second><Third/>"},
        {"bad attribute", "<Gauge a=1/>"},
    };
    for (const auto& c : cases) {
        const fs::path file = m_folder / (std::string(c.name) + ".xml");
        if (c.content != nullptr)
            Write(file.filename(), c.content);
        auto sentinel = std::make_unique<CXmlElement>();
        CXmlElement* const before = sentinel.get();
        EXPECT_FALSE(ParseXmlFile(file.c_str(), sentinel)) << c.name;
        EXPECT_EQ(sentinel.get(), before) << c.name;
    }
    std::unique_ptr<CXmlElement> root;
    EXPECT_FALSE(ParseXmlFile(nullptr, root));
}

// A pages document whose one page holds `depth` - 2 nested elements: `depth` levels in all.
std::string NestedPagesDocument(int depth) {
    std::string text = "<?xml version=\"1.0\"?>\n<Pages>\n<Page Type=\"Gauge\">";
    for (int level = 3; level <= depth; ++level)
        text += "<Element Name=\"e\">";
    for (int level = 3; level <= depth; ++level)
        text += "</Element>";
    return text + "</Page>\n</Pages>\n";
}

int DepthOf(const CXmlElement& root) {
    int depth = 1;
    for (const CXmlElement* element = &root; !element->children.empty();
         element = element->children.front().get())
        ++depth;
    return depth;
}

TEST_F(XmlElementTest, RefusesDocumentsNestedDeeperThanTheLimit) {
    const auto deepest = Parse(Write(L"deepest.xml", NestedPagesDocument(kMaxXmlElementDepth)));
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(DepthOf(*deepest), kMaxXmlElementDepth);

    for (int depth : {kMaxXmlElementDepth + 1, 30000}) {
        const fs::path file = Write(L"deeper.xml", NestedPagesDocument(depth));
        auto sentinel = std::make_unique<CXmlElement>();
        CXmlElement* const before = sentinel.get();
        EXPECT_FALSE(ParseXmlFile(file.c_str(), sentinel)) << depth;
        EXPECT_EQ(sentinel.get(), before) << depth;
    }
}

// Built by hand, a tree can be deeper than any document; destroying it must not recurse.
TEST(XmlElementTreeTest, DestroysTreesDeeperThanTheStackCouldRecurse) {
    auto root = std::make_unique<CXmlElement>();
    CXmlElement* element = root.get();
    for (int level = 0; level < 100000; ++level) {
        if (level % 8 == 0)
            element->children.push_back(std::make_unique<CXmlElement>());
        element->children.push_back(std::make_unique<CXmlElement>());
        element->children.back()->parent = element;
        element = element->children.back().get();
    }
    root.reset();
    SUCCEED();
}

TEST_F(XmlElementTest, ResolvesRelativePathsAgainstTheCurrentDirectory) {
    Write(L"sub\\relative.xml", "<Relative/>");
    wchar_t previous[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(m_folder.c_str()));
    std::unique_ptr<CXmlElement> root;
    const bool parsed = ParseXmlFile(L"sub\\relative.xml", root);
    SetCurrentDirectoryW(previous);
    ASSERT_TRUE(parsed);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name, L"Relative");
}

// Names that URL decoding would change must still name their own file, not a look-alike.
TEST_F(XmlElementTest, ReadsPathsThatUrlDecodingWouldChange) {
    Write(L"dirA\\file.xml", "<Decoded/>");
    Write(L"dir A\\file.xml", "<Decoded/>");
    for (const wchar_t* folder : {L"dir%41", L"dir%20A", L"dir#1"}) {
        const auto root = Parse(Write(fs::path(folder) / L"file.xml", "<Literal/>"));
        ASSERT_NE(root, nullptr) << folder;
        EXPECT_EQ(root->name, L"Literal") << folder;
    }
}

TEST_F(XmlElementTest, ReadsFileUrls) {
    std::wstring url = L"file:///" + Write(L"url.xml", "<FromUrl/>").wstring();
    for (wchar_t& c : url)
        if (c == L'\\')
            c = L'/';
    const auto root = Parse(url);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name, L"FromUrl");
}

} // namespace
