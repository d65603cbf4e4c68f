#pragma once
// Files the gauge tests write for themselves: gauge definitions and small bitmaps in a scratch
// folder of the test prefix that goes away with the object.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

class CScratchFolder {
public:
    // A fresh folder below the temp folder, named after `name` and the process.
    explicit CScratchFolder(const std::wstring& name);
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes `utf8` to the file `relative` (folders created) and returns its full path.
    std::filesystem::path Write(const std::filesystem::path& relative,
                                const std::string& utf8) const;

    // Writes a 24-bit bottom-up bitmap file whose pixel (x, y), counted from the top left, has
    // the colour colourAt(x, y).
    std::filesystem::path WriteBitmap(const std::filesystem::path& relative, int width, int height,
                                      const std::function<COLORREF(int, int)>& colourAt) const;
    // The same with one colour throughout.
    std::filesystem::path WriteBitmap(const std::filesystem::path& relative, int width, int height,
                                      COLORREF colour = RGB(200, 100, 50)) const;

private:
    std::filesystem::path m_path;
};
