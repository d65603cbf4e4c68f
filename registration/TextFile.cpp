#include "registration/TextFile.h"

#include "common/UniqueHandle.h"

#include <windows.h>

#include <algorithm>

namespace {

std::string WithCrLf(const std::string& text) {
    std::string converted;
    converted.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1 << 20));
        DWORD done = 0;
        if (!WriteFile(file, bytes.data() + written, chunk, &done, nullptr) || done == 0)
            return false;
        written += done;
    }
    return true;
}

bool WriteNewFile(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
}

} // namespace

bool ReadTextFile(const std::wstring& path, std::string& text) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        return false;
    text.clear();
    text.reserve(bytes.size());
    for (size_t index = 0; index < bytes.size(); ++index) {
        if (bytes[index] == '\r' && index + 1 < bytes.size() && bytes[index + 1] == '\n')
            continue;
        text += bytes[index];
    }
    return true;
}

std::wstring TemporaryPathFor(const std::wstring& path) {
    return path + L".new";
}

bool WriteTextFile(const std::wstring& path, const std::string& text, bool replaceExisting,
                   const WrittenFileCheck& check) {
    const std::wstring temporary = TemporaryPathFor(path);
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    if (WriteNewFile(temporary, WithCrLf(text)) && (!check || check(temporary)) &&
        MoveFileExW(temporary.c_str(), path.c_str(), flags))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}
