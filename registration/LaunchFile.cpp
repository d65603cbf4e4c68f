#include "registration/LaunchFile.h"

#include "registration/TextFile.h"
#include "registration/XmlText1252.h"

#include <algorithm>
#include <vector>

namespace {

template <typename Record> struct ElementField {
    const char* openTag;
    const char* closeTag;
    std::string Record::*member;
};

constexpr ElementField<LaunchFile> kHeaderFields[] = {
    {"<Descr>", "</Descr>", &LaunchFile::description},
    {"<Filename>", "</Filename>", &LaunchFile::fileName},
    {"<Disabled>", "</Disabled>", &LaunchFile::disabled},
    {"<Launch.ManualLoad>", "</Launch.ManualLoad>", &LaunchFile::manualLoad},
};

constexpr ElementField<LaunchAddon> kAddonFields[] = {
    {"<Name>", "</Name>", &LaunchAddon::name},
    {"<Disabled>", "</Disabled>", &LaunchAddon::disabled},
    {"<Path>", "</Path>", &LaunchAddon::path},
    {"<CommandLine>", "</CommandLine>", &LaunchAddon::commandLine},
};

bool Contains(const std::string& line, const char* tag) {
    return line.find(tag) != std::string::npos;
}

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Tags that the line-by-line reading expects on lines of their own.
constexpr const char* kStructuralTags[] = {"<?xml", "<SimBase.Document", "<Launch.Addon>",
                                           "</Launch.Addon>", "</SimBase.Document>"};

// Positions where `line` is cut so that each structural tag starts and ends a piece of its own.
std::vector<size_t> StructuralCuts(const std::string& line) {
    std::vector<size_t> cuts;
    for (const char* tag : kStructuralTags) {
        for (size_t at = line.find(tag); at != std::string::npos; at = line.find(tag, at + 1)) {
            cuts.push_back(at);
            const size_t tagEnd = line.find('>', at);
            if (tagEnd != std::string::npos)
                cuts.push_back(tagEnd + 1);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}

// Appends `line` ("\n" at its end) to `lines`, cut into pieces when it holds several structural
// tags, as a file written with its whole body on one line does. Indentation stays with the text
// after it, and no piece is only whitespace.
void AppendLinePieces(const std::string& line, std::vector<std::string>& lines) {
    size_t start = 0;
    for (size_t cut : StructuralCuts(line)) {
        if (cut <= start || IsBlank(line.substr(start, cut - start)))
            continue;
        if (IsBlank(line.substr(cut)))
            break;
        lines.push_back(line.substr(start, cut - start) + "\n");
        start = cut;
    }
    lines.push_back(line.substr(start));
}

// Lines of `text`, each ending in "\n" (one is added to a last line without it).
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        AppendLinePieces(text.substr(start, end - start) + "\n", lines);
        start = end + 1;
    }
    return lines;
}

// Adds `line` to the element being read across lines, if any. True when the line was taken.
template <typename Record>
bool ContinueField(const std::string& line, Record& record,
                   const ElementField<Record>*& unfinished) {
    if (unfinished == nullptr)
        return false;
    record.*(unfinished->member) += line;
    if (Contains(line, unfinished->closeTag))
        unfinished = nullptr;
    return true;
}

// Replaces the first field whose opening tag `line` holds. True when one matched.
template <typename Record, size_t N>
bool StartField(const std::string& line, Record& record, const ElementField<Record> (&fields)[N],
                const ElementField<Record>*& unfinished) {
    for (const auto& field : fields) {
        if (!Contains(line, field.openTag))
            continue;
        record.*(field.member) = line;
        if (!Contains(line, field.closeTag))
            unfinished = &field;
        return true;
    }
    return false;
}

// Reads the block whose "<Launch.Addon>" line is `lines[index]`; leaves `index` on its last line.
LaunchAddon ReadAddonBlock(const std::vector<std::string>& lines, size_t& index) {
    LaunchAddon addon;
    const ElementField<LaunchAddon>* unfinished = nullptr;
    while (++index < lines.size()) {
        const std::string& line = lines[index];
        if (ContinueField(line, addon, unfinished))
            continue;
        if (Contains(line, "</Launch.Addon>"))
            break;
        if (!StartField(line, addon, kAddonFields, unfinished) && !IsBlank(line))
            addon.otherLines += line;
    }
    return addon;
}

void ParseLaunchText(const std::string& text, LaunchFile& file) {
    const std::vector<std::string> lines = SplitLines(text);
    const ElementField<LaunchFile>* unfinished = nullptr;
    for (size_t index = 0; index < lines.size(); ++index) {
        const std::string& line = lines[index];
        if (ContinueField(line, file, unfinished))
            continue;
        if (Contains(line, "<?xml"))
            file.declaration += line;
        else if (Contains(line, "<SimBase.Document"))
            file.document += line;
        else if (Contains(line, "<Launch.Addon>"))
            file.addons.push_back(ReadAddonBlock(lines, index));
        else if (StartField(line, file, kHeaderFields, unfinished))
            continue;
        else if (!IsBlank(line) && !Contains(line, "</SimBase.Document>"))
            file.otherLines += line;
    }
}

std::string FormatLaunchText(const LaunchFile& file) {
    std::string text = file.declaration + file.document + file.description + file.fileName +
                       file.disabled + file.manualLoad + file.otherLines + "\n";
    for (const LaunchAddon& addon : file.addons) {
        text += "\t\t<Launch.Addon>\n";
        text += addon.name + addon.disabled + addon.path + addon.commandLine + addon.otherLines;
        text += "\t\t</Launch.Addon>\n\n";
    }
    text += "</SimBase.Document>\n";
    return text;
}

} // namespace

std::wstring LaunchAddon::ProgramPath() const {
    const size_t open = path.find('>');
    const size_t close = open == std::string::npos ? open : path.find('<', open + 1);
    if (close == std::string::npos)
        return DecodeXmlText1252(path);
    return DecodeXmlText1252(path.substr(open + 1, close - open - 1));
}

bool ReadLaunchFile(const std::wstring& path, LaunchFile& file) {
    std::string text;
    // A launch list in a wide encoding is not ours to rewrite line by line.
    if (!ReadTextFile(path, text) || text.find('\0') != std::string::npos)
        return false;
    file = LaunchFile();
    ParseLaunchText(text, file);
    return true;
}

bool WriteLaunchFile(const std::wstring& path, const LaunchFile& file) {
    return WriteTextFile(path, FormatLaunchText(file), true);
}
