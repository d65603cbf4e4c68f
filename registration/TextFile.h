#pragma once
// Whole-file reading and writing of the registration files as text with CR LF line ends.

#include <functional>
#include <string>

// Reads the file's bytes, CR LF read as "\n". False when the file cannot be opened or read.
bool ReadTextFile(const std::wstring& path, std::string& text);

// Decides from the complete temporary file whether it may take the target's place.
using WrittenFileCheck = std::function<bool(const std::wstring& temporaryPath)>;

// Writes `text` ("\n" written as CR LF) to a temporary file beside `path` and moves it into
// place only once it is complete and `check` (when given) accepts it, so a failing write never
// leaves a truncated file. An existing file is replaced only when `replaceExisting` is set;
// otherwise it wins and the result is false.
bool WriteTextFile(const std::wstring& path, const std::string& text, bool replaceExisting,
                   const WrittenFileCheck& check = nullptr);

// The temporary file WriteTextFile writes before moving it into place.
std::wstring TemporaryPathFor(const std::wstring& path);
