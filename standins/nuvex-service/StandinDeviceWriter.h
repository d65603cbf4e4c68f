#pragma once
// Writes what a virtual device shows to files a person can open: a text file with its pages,
// lines and LEDs, and a 24-bit BMP for each full-size panel image.

#include "standins/nuvex-service/StandinService.h"

#include <string>

class CStandinDeviceWriter {
public:
    static constexpr DWORD kImageWidth = 320;
    static constexpr DWORD kImageHeight = 240;
    static constexpr size_t kImageBytes = kImageWidth * kImageHeight * 3;

    // "<serial>.txt" and "<serial>-page<page>-<index>.bmp" in the folder.
    static bool WriteDevice(const std::wstring& folder, const StandinDeviceState& device);
    // One line of "<serial>-lines.log": "page <page> line <index>: <text>".
    static bool AppendLine(const std::wstring& folder, const StandinDeviceState& device, DWORD page,
                           DWORD line);
    // The page's image as "<serial>-frame<NNNN>-page<page>.bmp", NNNN the frame number.
    static bool WriteFrame(const std::wstring& folder, const StandinDeviceState& device, DWORD page,
                           DWORD index, DWORD frame);
    // A bottom-up 320 x 240 image of 24-bit pixels as a BMP file.
    static bool WriteBitmap(const std::wstring& path, const std::vector<BYTE>& pixels);

private:
    static std::wstring BaseName(const std::wstring& folder, const StandinDeviceState& device);
    static std::string Describe(const StandinDeviceState& device);
};
