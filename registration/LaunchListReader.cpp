#include "registration/LaunchListReader.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::string_view kDocumentElement = "SimBase.Document";
constexpr std::string_view kAddonElement = "Launch.Addon";

template <typename Record> struct FieldElement {
    std::string_view name;
    std::string Record::*member;
};

constexpr FieldElement<LaunchFile> kHeaderFields[] = {
    {"Descr", &LaunchFile::description},
    {"Filename", &LaunchFile::fileName},
    {"Disabled", &LaunchFile::disabled},
    {"Launch.ManualLoad", &LaunchFile::manualLoad},
};

constexpr FieldElement<LaunchAddon> kAddonFields[] = {
    {"Name", &LaunchAddon::name},
    {"Disabled", &LaunchAddon::disabled},
    {"Path", &LaunchAddon::path},
    {"CommandLine", &LaunchAddon::commandLine},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsBlank(c); });
}

bool IsTag(const XmlMarkup& markup) {
    return markup.kind == XmlMarkup::Kind::StartTag || markup.kind == XmlMarkup::Kind::EmptyTag ||
           markup.kind == XmlMarkup::Kind::EndTag;
}

bool IsTag(const XmlMarkup* markup, XmlMarkup::Kind kind, std::string_view name) {
    return markup != nullptr && markup->kind == kind && markup->name == name;
}

bool OpensElement(const XmlMarkup& markup) {
    return markup.kind == XmlMarkup::Kind::StartTag || markup.kind == XmlMarkup::Kind::EmptyTag;
}

// The markup the reading expects to start a line of its own: the declaration, the document
// element's tags and the blocks' tags.
bool IsStructural(const XmlMarkup& markup) {
    return markup.kind == XmlMarkup::Kind::Declaration ||
           (IsTag(markup) && (markup.name == kDocumentElement || markup.name == kAddonElement));
}

// Appends a piece as a whole line.
void AppendLine(std::string& lines, std::string_view piece) {
    lines += piece;
    if (piece.empty() || piece.back() != '\n')
        lines += '\n';
}

template <typename Record, size_t N>
std::string* FindField(Record& record, const FieldElement<Record> (&fields)[N],
                       std::string_view name) {
    const auto found = std::find_if(std::begin(fields), std::end(fields),
                                    [&](const auto& field) { return field.name == name; });
    return found == std::end(fields) ? nullptr : &(record.*(found->member));
}

} // namespace

CLaunchListReader::CLaunchListReader(std::string_view text, LaunchFile& file)
    : m_text(text), m_file(file) {}

void CLaunchListReader::Read() {
    while (m_position < m_text.size()) {
        const size_t end = ScanPiece();
        const std::string_view piece = m_text.substr(m_position, end - m_position);
        m_position = end;
        TakePiece(piece);
    }
}

// Ends the piece that starts at m_position: at the end of its line, unless the line end lies
// inside markup, before a structural tag that follows other content, and after one that more
// content follows on its line (a file written on one line is thus cut at its blocks).
size_t CLaunchListReader::ScanPiece() {
    m_pieceMarkup.clear();
    bool content = false;
    size_t at = m_position;
    while (at < m_text.size()) {
        const char c = m_text[at];
        if (c == '\n')
            return at + 1;
        XmlMarkup markup;
        if (c != '<' || !ScanXmlMarkup(m_text, at, markup)) {
            content = content || !IsBlank(c);
            ++at;
            continue;
        }
        const bool structural = IsStructural(markup);
        if (structural && content)
            return at;
        if (markup.kind != XmlMarkup::Kind::Other)
            m_pieceMarkup.push_back(markup);
        content = true;
        at = markup.end;
        if (structural && !RestOfLineIsBlank(at))
            return at;
    }
    return at;
}

// Whether nothing but blanks follows `at` on its line. Positions only grow, so each line's end
// and last non-blank byte are looked for once.
bool CLaunchListReader::RestOfLineIsBlank(size_t at) {
    if (!m_lineKnown || at > m_lineEnd) {
        m_lineKnown = true;
        m_lineEnd = std::min(m_text.find('\n', at), m_text.size());
        m_lastContent = m_lineEnd;
        while (m_lastContent > at && IsBlank(m_text[m_lastContent - 1]))
            --m_lastContent;
        m_lastContent = m_lastContent > at ? m_lastContent - 1 : std::string_view::npos;
    }
    return m_lastContent == std::string_view::npos || m_lastContent < at;
}

void CLaunchListReader::TakePiece(std::string_view piece) {
    const XmlMarkup* first = m_pieceMarkup.empty() ? nullptr : &m_pieceMarkup.front();
    if (m_field != nullptr) {
        if (first == nullptr || !IsStructural(*first)) {
            AppendLine(*m_field, piece);
            ApplyMarkup(Role::Other);
            if (m_open.size() <= m_fieldDepth)
                m_field = nullptr;
            return;
        }
        // A field left open by a malformed file ends where its block or the document does.
        while (m_open.size() > m_fieldDepth)
            Pop();
        m_field = nullptr;
    }
    const Claim claim = ClaimPiece(first, piece);
    if (claim.lines != nullptr)
        AppendLine(*claim.lines, piece);
    const size_t depth = m_open.size();
    ApplyMarkup(claim.role);
    // A field takes the following lines for as long as an element it opened stays open.
    if (claim.field && m_open.size() > depth) {
        m_field = claim.lines;
        m_fieldDepth = depth;
    }
}

// Where a piece that no open field takes belongs (no lines: nowhere, the writer supplies it).
CLaunchListReader::Claim CLaunchListReader::ClaimPiece(const XmlMarkup* first,
                                                       std::string_view piece) {
    using Kind = XmlMarkup::Kind;
    if (first != nullptr && first->kind == Kind::Declaration && m_file.declaration.empty() &&
        !m_elementSeen)
        return {&m_file.declaration};
    if (IsTag(first, Kind::StartTag, kDocumentElement) && m_open.empty())
        return {&m_file.document, Role::Document};
    if (IsTag(first, Kind::StartTag, kAddonElement) && (m_entry != nullptr || AtDocumentLevel())) {
        while (m_entry != nullptr) // a block without its end tag ends where the next one starts
            Pop();
        StartEntry(*first);
        return {nullptr, Role::Entry};
    }
    if (IsTag(first, Kind::EndTag, kAddonElement) && (m_entry != nullptr || !IsOpen(kAddonElement)))
        return {};
    if (IsTag(first, Kind::EndTag, kDocumentElement))
        return {};
    if (first != nullptr && OpensElement(*first)) {
        std::string* field =
            m_entry != nullptr && m_open.back().role == Role::Entry
                ? EntryField(*first)
                : (m_entry == nullptr && AtDocumentLevel() ? HeaderField(*first) : nullptr);
        if (field != nullptr)
            return {field, Role::Other, true};
    }
    return {IsBlank(piece) ? nullptr : &OtherLines()};
}

std::string* CLaunchListReader::EntryField(const XmlMarkup& markup) const {
    return FindField(*m_entry, kAddonFields, markup.name);
}

std::string* CLaunchListReader::HeaderField(const XmlMarkup& markup) const {
    return FindField(m_file, kHeaderFields, markup.name);
}

std::string& CLaunchListReader::OtherLines() const {
    if (m_entry != nullptr)
        return m_entry->otherLines;
    return m_elementSeen ? m_file.otherLines : m_file.prolog;
}

// Directly inside the document element, or outside every element of a file that lacks one.
bool CLaunchListReader::AtDocumentLevel() const {
    return m_open.empty() || (m_open.size() == 1 && m_open.front().role == Role::Document);
}

bool CLaunchListReader::IsOpen(std::string_view name) const {
    const auto found = m_openCount.find(name);
    return found != m_openCount.end() && found->second > 0;
}

void CLaunchListReader::StartEntry(const XmlMarkup& startTag) {
    m_file.addons.emplace_back();
    m_entry = &m_file.addons.back();
    const std::string_view tag = m_text.substr(startTag.begin, startTag.end - startTag.begin);
    if (tag != "<Launch.Addon>")
        m_entry->startTag = tag;
}

// Follows the piece's tags through the open elements; the first may open an element of `role`.
void CLaunchListReader::ApplyMarkup(Role firstRole) {
    for (size_t index = 0; index < m_pieceMarkup.size(); ++index) {
        const XmlMarkup& markup = m_pieceMarkup[index];
        if (OpensElement(markup))
            m_elementSeen = true;
        if (markup.kind == XmlMarkup::Kind::StartTag) {
            m_open.push_back({markup.name, index == 0 ? firstRole : Role::Other});
            ++m_openCount[markup.name];
        } else if (markup.kind == XmlMarkup::Kind::EndTag) {
            Close(markup.name);
        }
    }
}

// Closes the innermost open element of that name and every element inside it; an end tag that
// closes nothing is ignored.
void CLaunchListReader::Close(std::string_view name) {
    if (!IsOpen(name))
        return;
    for (;;) {
        const bool closing = m_open.back().name == name;
        Pop();
        if (closing)
            return;
    }
}

void CLaunchListReader::Pop() {
    const OpenElement element = m_open.back();
    m_open.pop_back();
    --m_openCount[element.name];
    if (element.role == Role::Entry)
        m_entry = nullptr;
}
