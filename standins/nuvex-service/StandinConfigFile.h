#pragma once
// The device configuration file of ZanNvx.exe, UTF-8 text, one device a line:
//
//   # a comment; blank lines are skipped
//   joystick <serial> [<id>]
//   panel <serial> [<id>]
//
// <serial>: up to 16 characters without spaces. <id>: 32 hexadecimal digits, the 16 bytes of the
// device id in wire order; without it the id is derived from the serial number.

#include "standins/nuvex-service/StandinService.h"

#include <string>
#include <vector>

class CStandinConfigFile {
public:
    // False with a message naming the line when the text is not understood.
    static bool Parse(const std::string& text, std::vector<StandinDeviceConfig>& devices,
                      std::wstring& error);
    static bool Load(const std::wstring& path, std::vector<StandinDeviceConfig>& devices,
                     std::wstring& error);

private:
    static bool ParseId(const std::string& hex, StandinDeviceId& id);
};
