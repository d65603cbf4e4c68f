#pragma once
// Reads the text of a launch list into its model, line by line as the simulator's own tools
// write it, but knowing the file's markup: a line belongs to the element it lies in, so entries
// inside comments stay comments, lines of an entry never become fields of the document, and start
// and end tags are recognised with attributes and blanks. One pass over the text, in linear time.

#include "registration/LaunchFile.h"
#include "registration/XmlMarkup.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CLaunchListReader {
public:
    // `text` must outlive the reader.
    CLaunchListReader(std::string_view text, LaunchFile& file);
    CLaunchListReader(const CLaunchListReader&) = delete;
    CLaunchListReader& operator=(const CLaunchListReader&) = delete;

    void Read();

private:
    enum class Role { Other, Document, Entry };
    struct OpenElement {
        std::string_view name;
        Role role;
    };
    struct Claim {
        std::string* lines = nullptr; // where the piece goes; null: dropped
        Role role = Role::Other;      // of the element the piece's first tag opens
        bool field = false;           // `lines` is a field of the document or of a block
    };

    size_t ScanPiece();
    bool RestOfLineIsBlank(size_t at);
    void TakePiece(std::string_view piece);
    Claim ClaimPiece(const XmlMarkup* first, std::string_view piece);
    std::string* EntryField(const XmlMarkup& markup) const;
    std::string* HeaderField(const XmlMarkup& markup) const;
    std::string& OtherLines() const;
    bool AtDocumentLevel() const;
    bool IsOpen(std::string_view name) const;
    void StartEntry(const XmlMarkup& startTag);
    void ApplyMarkup(Role firstRole);
    void Close(std::string_view name);
    void Pop();

    std::string_view m_text;
    LaunchFile& m_file;
    size_t m_position = 0;
    std::vector<XmlMarkup> m_pieceMarkup; // the current piece's tags and declaration
    std::vector<OpenElement> m_open;
    std::unordered_map<std::string_view, size_t> m_openCount; // name -> elements of it open
    LaunchAddon* m_entry = nullptr;                           // the block being read
    std::string* m_field = nullptr;                           // the field being read across lines
    size_t m_fieldDepth = 0;                                  // elements open outside that field
    bool m_elementSeen = false;
    bool m_lineKnown = false; // m_lineEnd and m_lastContent describe the current line
    size_t m_lineEnd = 0;
    size_t m_lastContent = 0; // last non-blank byte of the line, npos when none was found
};
