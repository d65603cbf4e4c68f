#include "tests/gauge/PixelFixtures.h"

#include <cstdio>

TestImage::TestImage(std::initializer_list<std::initializer_list<std::uint32_t>> rows) {
    m_height = static_cast<int>(rows.size());
    for (const auto& row : rows) {
        m_width = static_cast<int>(row.size());
        m_pixels.insert(m_pixels.end(), row.begin(), row.end());
    }
}

TestImage::TestImage(int width, int height, std::uint32_t pixel)
    : m_pixels(static_cast<size_t>(width) * height, pixel), m_width(width), m_height(height) {}

std::filesystem::path TestImage::Write24(const CScratchFolder& folder,
                                         const std::wstring& name) const {
    return folder.WriteBitmap(name, m_width, m_height, [this](int x, int y) {
        const std::uint32_t p = At(x, y);
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    });
}

std::filesystem::path TestImage::Write32(const CScratchFolder& folder,
                                         const std::wstring& name) const {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = m_width;
    info.biHeight = m_height; // bottom-up, as files mostly are
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(m_pixels.size() * 4);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int y = m_height - 1; y >= 0; --y) {
        for (int x = 0; x < m_width; ++x) {
            const std::uint32_t p = At(x, y);
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<char>(p >> (8 * i)));
        }
    }
    return folder.Write(name, bytes);
}

TestOutput::TestOutput(int width, int height, std::uint32_t colour)
    : m_width(width), m_height(height), m_bytes(static_cast<size_t>(width) * height * 3) {
    m_view.emplace(m_bytes.data(), width, height, width * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            Set(x, y, colour);
}

std::uint32_t TestOutput::At(int x, int y) const {
    const std::uint8_t* p = &m_bytes[(static_cast<size_t>(y) * m_width + x) * 3];
    return p[0] | (p[1] << 8) | (p[2] << 16);
}

void TestOutput::Set(int x, int y, std::uint32_t colour) {
    std::uint8_t* p = &m_bytes[(static_cast<size_t>(y) * m_width + x) * 3];
    p[0] = static_cast<std::uint8_t>(colour);
    p[1] = static_cast<std::uint8_t>(colour >> 8);
    p[2] = static_cast<std::uint8_t>(colour >> 16);
}

std::string TestOutput::Differences(const TestOutput& expected) const {
    std::string differences;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            if (At(x, y) == expected.At(x, y))
                continue;
            char line[80];
            std::snprintf(line, sizeof(line), "(%d, %d) is 0x%06X, expected 0x%06X\n", x, y,
                          At(x, y), expected.At(x, y));
            differences += line;
        }
    }
    return differences;
}
