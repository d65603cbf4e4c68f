#pragma once
// The annunciator programming file: per device serial number, which lamp each indication
// lights and in which colour. Read at every attach, never written.

#include "panels/HidDevice.h"
#include "panels/LampProgramming.h"

#include <string>

// "<common documents>\Qelbro Profiles\LumoProgramming.xml".
std::wstring LampProgrammingFilePath();

// The device's serial number; empty when it cannot be read.
std::wstring ReadSerialNumber(IHidFeatureDevice& device);

// The XPath of the device's lamps, with the serial number quoted so that no character of it can
// change the expression.
std::wstring LampProgrammingQuery(const std::wstring& serialNumber);

// Copies the lamps the file programs for this device's serial number over `programming`.
// Needs COM on the calling thread.
void LoadLampProgramming(IHidFeatureDevice& device, LampProgramming& programming);
