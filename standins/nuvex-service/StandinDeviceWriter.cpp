#include "standins/nuvex-service/StandinDeviceWriter.h"

#include "common/UniqueHandle.h"
#include "standins/nuvex-service/StandinText.h"

#include <cstring>

namespace {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

bool WriteWholeFile(const std::wstring& path, const void* data, size_t size, bool append) {
    UniqueFile file(CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                                FILE_SHARE_READ, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) &&
           written == size;
}

const char* KindOf(const GUID& type) {
    if (IsEqualGUID(type, kStandinJoystickType))
        return "joystick";
    if (IsEqualGUID(type, kStandinPanelType))
        return "panel";
    return "other";
}

std::string Narrow(const wchar_t* format, ...) {
    wchar_t text[512] = {};
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, sizeof(text) / sizeof(text[0]) - 1, format, args);
    va_end(args);
    return ToUtf8(text);
}

} // namespace

std::wstring CStandinDeviceWriter::BaseName(const std::wstring& folder,
                                            const StandinDeviceState& device) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/')
        base += L'\\';
    return base + (device.config.serial.empty() ? L"device" : device.config.serial);
}

std::string CStandinDeviceWriter::Describe(const StandinDeviceState& device) {
    std::string text = "Device " + ToUtf8(device.config.serial) + " (" +
                       KindOf(device.config.type) + (device.present ? "" : ", removed") + ")\r\n";
    text += "Profile: " + ToUtf8(device.profile) + "\r\n";
    text += device.activePage ? Narrow(L"Active page: %u\r\n", *device.activePage)
                              : std::string("Active page: none\r\n");
    for (const auto& [number, page] : device.pages) {
        text += Narrow(L"Page %u, flags %u%s\r\n", number, page.flags,
                       device.activePage == number ? L" (active)" : L"");
        for (const auto& [index, line] : page.lines)
            text += Narrow(L"  Line %u: ", index) + ToUtf8(line) + "\r\n";
        for (const auto& [index, value] : page.leds)
            text += Narrow(L"  LED %u: %u\r\n", index, value);
        for (const auto& [index, image] : page.images)
            text += Narrow(L"  Image %u: %u bytes\r\n", index, static_cast<unsigned>(image.size()));
        for (const auto& [index, name] : page.imageFiles)
            text += Narrow(L"  Image file %u: ", index) + ToUtf8(name) + "\r\n";
    }
    return text;
}

bool CStandinDeviceWriter::WriteDevice(const std::wstring& folder,
                                       const StandinDeviceState& device) {
    const std::wstring base = BaseName(folder, device);
    const std::string text = Describe(device);
    bool written = WriteWholeFile(base + L".txt", text.data(), text.size(), false);
    for (const auto& [number, page] : device.pages) {
        for (const auto& [index, image] : page.images) {
            if (image.size() == kImageBytes)
                written =
                    WriteBitmap(base + StandinFormat(L"-page%u-%u.bmp", number, index), image) &&
                    written;
        }
    }
    return written;
}

bool CStandinDeviceWriter::AppendLine(const std::wstring& folder, const StandinDeviceState& device,
                                      DWORD page, DWORD line) {
    const auto found = device.pages.find(page);
    if (found == device.pages.end())
        return false;
    const auto text = found->second.lines.find(line);
    const std::string entry = Narrow(L"page %u line %u: ", page, line) +
                              (text == found->second.lines.end() ? "" : ToUtf8(text->second)) +
                              "\r\n";
    return WriteWholeFile(BaseName(folder, device) + L"-lines.log", entry.data(), entry.size(),
                          true);
}

bool CStandinDeviceWriter::WriteFrame(const std::wstring& folder, const StandinDeviceState& device,
                                      DWORD page, DWORD index, DWORD frame) {
    const auto found = device.pages.find(page);
    if (found == device.pages.end())
        return false;
    const auto image = found->second.images.find(index);
    return image != found->second.images.end() &&
           WriteBitmap(BaseName(folder, device) +
                           StandinFormat(L"-frame%04u-page%u.bmp", frame, page),
                       image->second);
}

bool CStandinDeviceWriter::WriteBitmap(const std::wstring& path, const std::vector<BYTE>& pixels) {
    if (pixels.size() != kImageBytes)
        return false;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    info.biSize = sizeof(info);
    info.biWidth = kImageWidth;
    info.biHeight = kImageHeight; // positive: bottom-up, as the device's image is
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(pixels.size());
    std::vector<BYTE> bytes(file.bfSize);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    std::memcpy(bytes.data() + file.bfOffBits, pixels.data(), pixels.size());
    return WriteWholeFile(path, bytes.data(), bytes.size(), false);
}
