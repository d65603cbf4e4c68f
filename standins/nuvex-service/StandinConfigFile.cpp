#include "standins/nuvex-service/StandinConfigFile.h"

#include "common/UniqueHandle.h"
#include "standins/nuvex-service/StandinText.h"

#include <sstream>

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

constexpr size_t kMaxSerialChars = 16;

} // namespace

bool CStandinConfigFile::ParseId(const std::string& hex, StandinDeviceId& id) {
    if (hex.size() != 2 * id.size())
        return false;
    for (size_t i = 0; i < id.size(); ++i) {
        const int high = HexDigit(hex[2 * i]);
        const int low = HexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        id[i] = static_cast<BYTE>(high << 4 | low);
    }
    return true;
}

bool CStandinConfigFile::Parse(const std::string& text, std::vector<StandinDeviceConfig>& devices,
                               std::wstring& error) {
    std::istringstream lines(text);
    std::string line;
    for (unsigned number = 1; std::getline(lines, line); ++number) {
        if (const size_t comment = line.find('#'); comment != std::string::npos)
            line.erase(comment);
        std::istringstream words(line);
        std::string kind, serial, id, extra;
        if (!(words >> kind))
            continue;
        words >> serial >> id >> extra;
        const std::wstring wideSerial = Widen(serial);
        if ((kind != "joystick" && kind != "panel") || serial.empty() || !extra.empty() ||
            wideSerial.size() > kMaxSerialChars) {
            error = StandinFormat(L"line %u: expected \"joystick|panel <serial> [<id>]\"", number);
            return false;
        }
        StandinDeviceConfig device = kind == "joystick" ? StandinDeviceConfig::Joystick(wideSerial)
                                                        : StandinDeviceConfig::Panel(wideSerial);
        if (!id.empty() && !ParseId(id, device.id)) {
            error = StandinFormat(L"line %u: the id must be 32 hexadecimal digits", number);
            return false;
        }
        devices.push_back(device);
    }
    return true;
}

bool CStandinConfigFile::Load(const std::wstring& path, std::vector<StandinDeviceConfig>& devices,
                              std::wstring& error) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 1024 * 1024) {
        error = L"cannot read " + path;
        return false;
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
        read != text.size()) {
        error = L"cannot read " + path;
        return false;
    }
    return Parse(text, devices, error);
}
