#include "tests/gauge/GaugeTestFiles.h"

#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Put16(std::vector<char>& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::vector<char>& out, unsigned value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

} // namespace

CScratchFolder::CScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    m_path = fs::path(temp) / (name + L"-" + std::to_wstring(GetCurrentProcessId()));
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
    fs::create_directories(m_path);
}

CScratchFolder::~CScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

fs::path CScratchFolder::Write(const fs::path& relative, const std::string& utf8) const {
    const fs::path file = m_path / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << utf8;
    return file;
}

fs::path CScratchFolder::WriteBitmap(const fs::path& relative, int width, int height,
                                     const std::function<COLORREF(int, int)>& colourAt) const {
    const unsigned stride = (static_cast<unsigned>(width) * 3 + 3) & ~3u;
    const unsigned pixelBytes = stride * static_cast<unsigned>(height);
    std::vector<char> file;
    file.push_back('B');
    file.push_back('M');
    Put32(file, 54 + pixelBytes);
    Put32(file, 0);
    Put32(file, 54);
    Put32(file, 40);
    Put32(file, static_cast<unsigned>(width));
    Put32(file, static_cast<unsigned>(height));
    Put16(file, 1);
    Put16(file, 24);
    for (unsigned field : {0u, pixelBytes, 2835u, 2835u, 0u, 0u})
        Put32(file, field);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = colourAt(x, y);
            file.push_back(static_cast<char>(GetBValue(colour)));
            file.push_back(static_cast<char>(GetGValue(colour)));
            file.push_back(static_cast<char>(GetRValue(colour)));
        }
        file.resize(file.size() + stride - static_cast<unsigned>(width) * 3, '\0');
    }
    return Write(relative, std::string(file.begin(), file.end()));
}

fs::path CScratchFolder::WriteBitmap(const fs::path& relative, int width, int height,
                                     COLORREF colour) const {
    return WriteBitmap(relative, width, height, [colour](int, int) { return colour; });
}
