#include "registration/LaunchFile.h"

#include "registration/LaunchListReader.h"
#include "registration/TextFile.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// The encoding named in the declaration's "encoding" pseudo-attribute; XML's default, UTF-8,
// without one.
TextEncoding DeclaredEncoding(std::string_view declaration) {
    const size_t attribute = declaration.find("encoding");
    if (attribute == std::string_view::npos)
        return TextEncoding::Utf8;
    const size_t quote = declaration.find_first_of("\"'", attribute);
    const size_t close =
        quote == std::string_view::npos ? quote : declaration.find(declaration[quote], quote + 1);
    if (close == std::string_view::npos)
        return TextEncoding::Utf8;
    const std::string_view name = declaration.substr(quote + 1, close - quote - 1);
    if (EqualsIgnoringAsciiCase(name, "UTF-8"))
        return TextEncoding::Utf8;
    if (EqualsIgnoringAsciiCase(name, "Windows-1252"))
        return TextEncoding::Windows1252;
    return TextEncoding::Ascii;
}

std::string FormatLaunchText(const LaunchFile& file) {
    std::string text = file.byteOrderMark ? std::string(kUtf8ByteOrderMark) : std::string();
    text += file.declaration + file.prolog + file.document + file.description + file.fileName +
            file.disabled + file.manualLoad + file.otherLines + "\n";
    for (const LaunchAddon& addon : file.addons) {
        text += "\t\t" + (addon.startTag.empty() ? "<Launch.Addon>" : addon.startTag) + "\n";
        text += addon.name + addon.disabled + addon.path + addon.commandLine + addon.otherLines;
        text += "\t\t</Launch.Addon>\n\n";
    }
    text += "</SimBase.Document>\n";
    return text;
}

} // namespace

std::wstring LaunchAddon::ProgramPath(TextEncoding encoding) const {
    const size_t open = path.find('>');
    const size_t close = open == std::string::npos ? open : path.find('<', open + 1);
    if (close == std::string::npos)
        return DecodeXmlText(path, encoding);
    return DecodeXmlText(path.substr(open + 1, close - open - 1), encoding);
}

bool LaunchFile::IsEmpty() const {
    return declaration.empty() && prolog.empty() && document.empty() && description.empty() &&
           fileName.empty() && disabled.empty() && manualLoad.empty() && otherLines.empty() &&
           addons.empty();
}

bool ReadLaunchFile(const std::wstring& path, LaunchFile& file) {
    std::string text;
    // A launch list in a wide encoding is not ours to rewrite line by line.
    if (!ReadTextFile(path, text) || text.find('\0') != std::string::npos)
        return false;
    file = LaunchFile();
    std::string_view body = text;
    file.byteOrderMark = body.starts_with(kUtf8ByteOrderMark);
    if (file.byteOrderMark)
        body.remove_prefix(kUtf8ByteOrderMark.size());
    CLaunchListReader(body, file).Read();
    file.encoding = file.byteOrderMark ? TextEncoding::Utf8 : DeclaredEncoding(file.declaration);
    return true;
}

bool WriteLaunchFile(const std::wstring& path, const LaunchFile& file,
                     const LaunchFileCheck& check) {
    return WriteTextFile(path, FormatLaunchText(file), true, check);
}
