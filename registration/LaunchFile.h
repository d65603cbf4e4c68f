#pragma once
// The program's model of the simulator's launch list "exe.xml". Fields hold whole lines as read
// (bytes of the file's encoding, each line ending in "\n"), so other programs' entries are written
// back exactly as they were.

#include "registration/XmlText.h"

#include <functional>
#include <string>
#include <vector>

struct LaunchAddon {
    std::string startTag;    // "<Launch.Addon ...>" as read; empty for "<Launch.Addon>"
    std::string name;        // "<Name>" ... "</Name>"
    std::string disabled;    // "<Disabled>" ... "</Disabled>"
    std::string path;        // "<Path>" ... "</Path>"
    std::string commandLine; // "<CommandLine>" ... "</CommandLine>"
    std::string otherLines;  // every other non-blank line of the block, in order

    // The program the entry starts: the path element's inner text, references resolved.
    std::wstring ProgramPath(TextEncoding encoding) const;
};

struct LaunchFile {
    bool byteOrderMark = false; // the file starts with the UTF-8 byte order mark
    TextEncoding encoding = TextEncoding::Windows1252;
    std::string declaration; // "<?xml"
    std::string prolog;      // other lines before the document element
    std::string document;    // "<SimBase.Document"
    std::string description; // "<Descr>" ... "</Descr>"
    std::string fileName;    // "<Filename>" ... "</Filename>"
    std::string disabled;    // "<Disabled>" ... "</Disabled>" outside the add-on blocks
    std::string manualLoad;  // "<Launch.ManualLoad>" ... "</Launch.ManualLoad>"
    std::string otherLines;  // every other non-blank line outside the blocks, in order
    std::vector<LaunchAddon> addons;

    // Nothing but blanks was read: the launch list is as good as missing.
    bool IsEmpty() const;
};

// False when the file cannot be read or is not 8-bit text (it holds a zero byte). The encoding is
// the one the file declares, UTF-8 when it declares none.
bool ReadLaunchFile(const std::wstring& path, LaunchFile& file);

// Decides from the file written beside the launch list whether it may replace it.
using LaunchFileCheck = std::function<bool(const std::wstring& writtenPath)>;

// Writes the normalised layout: the header fields and the other lines outside the blocks, a blank
// line, each block (two-tab tags, its fields, then its other lines) followed by a blank line, and
// the closing tag. The old file is replaced only once the new one is complete and `check`
// accepts it.
bool WriteLaunchFile(const std::wstring& path, const LaunchFile& file,
                     const LaunchFileCheck& check);
