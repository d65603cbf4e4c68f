#pragma once
// USB ids by which each panel recognises its devices.

#include <windows.h>

constexpr USHORT kPanelVendorId = 0x2F3A;
constexpr USHORT kRadioPanelProductId = 0x0101;
constexpr USHORT kMultiPanelProductId = 0x0102;
constexpr USHORT kSwitchPanelProductId = 0x0103;
constexpr USHORT kAnnunciatorPanelProductId = 0x0104;
