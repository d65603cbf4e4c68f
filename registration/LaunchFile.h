#pragma once
// The program's model of the simulator's launch list "exe.xml". Fields hold whole lines as read
// (Windows-1252 bytes, each line ending in "\n"), so other programs' entries are written back
// exactly as they were.

#include <string>
#include <vector>

struct LaunchAddon {
    std::string name;        // "<Name>" ... "</Name>"
    std::string disabled;    // "<Disabled>" ... "</Disabled>"
    std::string path;        // "<Path>" ... "</Path>"
    std::string commandLine; // "<CommandLine>" ... "</CommandLine>"
    std::string otherLines;  // every other non-blank line of the block, in order

    // The program the entry starts: the path element's inner text, references resolved.
    std::wstring ProgramPath() const;
};

struct LaunchFile {
    std::string declaration; // "<?xml"
    std::string document;    // "<SimBase.Document"
    std::string description; // "<Descr>" ... "</Descr>"
    std::string fileName;    // "<Filename>" ... "</Filename>"
    std::string disabled;    // "<Disabled>" ... "</Disabled>" outside the add-on blocks
    std::string manualLoad;  // "<Launch.ManualLoad>" ... "</Launch.ManualLoad>"
    std::string otherLines;  // every other non-blank line outside the blocks, in order
    std::vector<LaunchAddon> addons;
};

// False when the file cannot be read or is not 8-bit text (it holds a zero byte).
bool ReadLaunchFile(const std::wstring& path, LaunchFile& file);

// Writes the normalised layout: the header fields and the other lines outside the blocks, a blank
// line, each block (two-tab tags, its fields, then its other lines) followed by a blank line, and
// the closing tag. The old file is replaced only once the new one is complete.
bool WriteLaunchFile(const std::wstring& path, const LaunchFile& file);
