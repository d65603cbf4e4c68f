#include "panels/PanelClass_Radios.h"

#include "panels/PanelDigits.h"
#include "panels/PanelIds.h"

#include <cstring>

using simconnect::DataTypeFloat32;
using simconnect::DataTypeInt32;

namespace {

const PanelDatum kRadioDatums[] = {
    {"com active frequency:1", "Frequency BCD16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, com active frequency:1, ...)"},
    {"com standby frequency:1", "Frequency BCD16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, com standby frequency:1, ...)"},
    {"com active frequency:2", "Frequency BCD16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, com active frequency:2, ...)"},
    {"com standby frequency:2", "Frequency BCD16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, com standby frequency:2, ...)"},
    {"nav active frequency:1", "Frequency BCD16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, nav active frequency:1, ...)"},
    {"nav standby frequency:1", "Frequency BCD16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, nav standby frequency:1, ...)"},
    {"nav active frequency:2", "Frequency BCD16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, nav active frequency:2, ...)"},
    {"nav standby frequency:2", "Frequency BCD16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, nav standby frequency:2, ...)"},
    {"adf active frequency:1", "Frequency ADF BCD32", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, adf active frequency:1, ...)"},
    {"adf standby frequency:1", "Frequency ADF BCD32", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, adf standby frequency:1, ...)"},
    {"transponder code:1", "BCO16", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, transponder code:1, ...)"},
    {"nav dme:1", "nmiles", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, nav1 dme, ...)"},
    {"nav dmespeed:1", "Knots", DataTypeFloat32, 0.0f,
     L"AddToDataDefinition(m_defineid, nav1 dmespeed, ...)"},
    {"PARTIAL PANEL ELECTRICAL", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL ELECTRICAL, ...)"},
    {"COM STATUS:1", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL COMM, ...)"},
    {"COM STATUS:2", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL COMM, ...)"},
    {"PARTIAL PANEL AVIONICS", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL AVIONICS, ...)"},
    {"PARTIAL PANEL AVIONICS", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL AVIONICS, ...)"},
    {"PARTIAL PANEL AVIONICS", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL AVIONICS, ...)"},
    {"PARTIAL PANEL TRANSPONDER", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL TRANSPONDER, ...)"},
    {"PARTIAL PANEL AVIONICS", "ENUM", DataTypeInt32, 0.0f,
     L"AddToDataDefinition(m_defineid, PARTIAL PANEL AVIONICS, ...)"},
};

// Mapped column by column: COM1, COM2, NAV1, NAV2 (rows coarse up, coarse down, fine up,
// fine down, swap), then the transponder, then ADF.
const char* const kRadioEventNames[5][5] = {
    {"COM_RADIO_WHOLE_INC", "COM_RADIO_WHOLE_DEC", "COM_RADIO_FRACT_INC", "COM_RADIO_FRACT_DEC",
     "COM_STBY_RADIO_SWAP"},
    {"COM2_RADIO_WHOLE_INC", "COM2_RADIO_WHOLE_DEC", "COM2_RADIO_FRACT_INC", "COM2_RADIO_FRACT_DEC",
     "COM2_RADIO_SWAP"},
    {"NAV1_RADIO_WHOLE_INC", "NAV1_RADIO_WHOLE_DEC", "NAV1_RADIO_FRACT_INC", "NAV1_RADIO_FRACT_DEC",
     "NAV1_RADIO_SWAP"},
    {"NAV2_RADIO_WHOLE_INC", "NAV2_RADIO_WHOLE_DEC", "NAV2_RADIO_FRACT_INC", "NAV2_RADIO_FRACT_DEC",
     "NAV2_RADIO_SWAP"},
    {"ADF1_WHOLE_INC", "ADF1_WHOLE_DEC", "ADF1_RADIO_TENTHS_INC", "ADF1_RADIO_TENTHS_DEC",
     "ADF1_RADIO_SWAP"},
};
constexpr int kAdfColumn = 4;

const char* const kTransponderEventNames[] = {
    "XPNDR_1000_INC", "XPNDR_1000_DEC", "XPNDR_100_INC", "XPNDR_100_DEC",
    "XPNDR_10_INC",   "XPNDR_10_DEC",   "XPNDR_1_INC",   "XPNDR_1_DEC",
};

constexpr LONG kModeAdf = 4;
constexpr LONG kModeDme = 5;
constexpr LONG kModeTransponder = 6;
constexpr LONG kHighDigitPair = 1;
constexpr LONG kDefaultMode = 1; // COM2, when the selector shows no single position

// The one position bit of the upper selector in byte 1, or `fallback`.
LONG DecodeUpper(BYTE b1, LONG fallback) {
    int position = SingleBitIndex(b1 & 0x7F, 7);
    return position < 0 ? fallback : position;
}

// The lower selector: COM1 in bit 0x80 of byte 1, the other six positions in byte 2, which must
// show nothing else.
LONG DecodeLower(BYTE b1, BYTE b2, LONG fallback) {
    if (b1 & 0x80)
        return 0;
    int position = SingleBitIndex(b2, 6);
    return position < 0 ? fallback : position + 1;
}

void FormatComNav(BYTE* d, INT32 v) {
    d[0] = 0x01;
    d[1] = Nibble(v, 12);
    d[2] = kDecimalPoint | Nibble(v, 8);
    d[3] = Nibble(v, 4);
    d[4] = Nibble(v, 0);
}

void FormatAdf(BYTE* d, INT32 v) {
    d[0] = Nibble(v, 28);
    d[1] = Nibble(v, 24);
    d[2] = Nibble(v, 20);
    d[3] = kDecimalPoint | Nibble(v, 16);
    d[4] = Nibble(v, 12);
}

void FormatTransponder(BYTE* d, INT32 v) {
    d[0] = kDarkDigit;
    d[1] = Nibble(v, 12);
    d[2] = Nibble(v, 8);
    d[3] = Nibble(v, 4);
    d[4] = Nibble(v, 0);
}

void FormatDme(BYTE* d, float v) {
    d[0] = kDarkDigit;
    d[1] = DigitByte(TruncToInt32(v / 100.0f) % 10);
    d[2] = DigitByte(TruncToInt32(v / 10.0f) % 10);
    d[3] = kDecimalPoint | DigitByte(TruncToInt32(v) % 10);
    d[4] = DigitByte(TruncToInt32(v * 10.0f) % 10);
}

void Darken(BYTE* d) {
    memset(d, kDarkDigit, kDigitsPerDisplay);
}

} // namespace

CPanelClass_Radios::CPanelClass_Radios(IHidDriver& hid, IPanelSimConnect& simConnect)
    : CPanelClass(hid, simConnect), m_filters{EncoderFilter(0x01, 0x02), EncoderFilter(0x04, 0x08),
                                              EncoderFilter(0x10, 0x20),
                                              EncoderFilter(0x40, 0x80)} {}

CPanelClass_Radios::~CPanelClass_Radios() {
    CloseAllDevices();
}

void CPanelClass_Radios::SetTickSource(EncoderFilter::TickSource clock) {
    std::lock_guard<std::mutex> lock(PanelLock());
    for (EncoderFilter& filter : m_filters)
        filter.SetTickSource(clock);
}

bool CPanelClass_Radios::IsPanelDevice(const wchar_t* path) {
    return IsDeviceOfProduct(path, kRadioPanelProductId);
}

void CPanelClass_Radios::OnSimInitialize(DWORD&) {
    m_defineid = static_cast<LONG>(SimConnect().NextDefineId());
    DWORD counter = 0;
    AddPowerDefinitions(counter);
    if (!AddDatums(kRadioDatums, std::size(kRadioDatums), counter))
        return;
    for (int column = 0; column < kAdfColumn; ++column)
        for (int row = 0; row < RowCount; ++row)
            m_radioEvents[row][column] = SimConnect().MapClientEvent(kRadioEventNames[column][row]);
    MapEvents(kTransponderEventNames, m_transponderEvents, TransponderCount);
    for (int row = 0; row < RowCount; ++row)
        m_radioEvents[row][kAdfColumn] =
            SimConnect().MapClientEvent(kRadioEventNames[kAdfColumn][row]);
    SetPriority();
}

void CPanelClass_Radios::OnSimRecieveData(DWORD requestId, const void* data, DWORD size) {
    ReceiveData(requestId, data, size, m_data,
                [this](CPanelDevice& device) { Refresh(device, false); });
}

void CPanelClass_Radios::OnDeviceAttached(CPanelDevice& device) {
    BYTE report[kReportLength] = {};
    device.FeatureDevice().GetFeature(report, kReportLength);
    std::lock_guard<std::mutex> lock(PanelLock());
    device.SetDeviceValue(kUpperMode, DecodeUpper(report[1], kDefaultMode));
    device.SetDeviceValue(kLowerMode, DecodeLower(report[1], report[2], kDefaultMode));
    Refresh(device, true);
}

void CPanelClass_Radios::OnDeviceDetached(CPanelDevice& device) {
    BYTE report[kReportLength];
    memset(report, kDarkDigit, sizeof(report));
    report[0] = 0x00;
    std::lock_guard<std::mutex> lock(PanelLock());
    device.QueueFeatureReport(report, kReportLength);
}

bool CPanelClass_Radios::PassesKnobFilters(BYTE r1, BYTE r2, BYTE r3) {
    if (r1 != 0 || r2 != 0)
        return true;
    for (EncoderFilter& filter : m_filters)
        if (filter.Matches(r3))
            return filter.Accept(r3);
    return true;
}

bool CPanelClass_Radios::IsAllowed(LONG mode) const {
    return IsAvionicsPowered(m_data.power) && m_data.failure[mode] == 0;
}

void CPanelClass_Radios::HandleHalf(CPanelDevice& device, const Half& half, BYTE r2, BYTE r3,
                                    PendingEvents& events) {
    LONG mode = device.GetDeviceValue(half.modeKey);
    if (mode < 0 || mode > kModeTransponder || mode == kModeDme)
        return;
    bool allowed = IsAllowed(mode);
    auto send = [&](bool pressed, DWORD id) {
        if (pressed && allowed)
            events.push_back({id, 0});
    };
    if (mode <= kModeAdf) {
        send(r2 & half.swap, m_radioEvents[Swap][mode]);
        send(r3 & half.coarseUp, m_radioEvents[CoarseUp][mode]);
        send(r3 & half.coarseDown, m_radioEvents[CoarseDown][mode]);
        send(r3 & half.fineUp, m_radioEvents[FineUp][mode]);
        send(r3 & half.fineDown, m_radioEvents[FineDown][mode]);
        return;
    }
    bool high = device.GetDeviceValue(half.digitPairKey) == kHighDigitPair;
    send(r3 & half.fineUp, m_transponderEvents[high ? Xpndr100Inc : Xpndr1Inc]);
    send(r3 & half.fineDown, m_transponderEvents[high ? Xpndr100Dec : Xpndr1Dec]);
    send(r3 & half.coarseUp, m_transponderEvents[high ? Xpndr1000Inc : Xpndr10Inc]);
    send(r3 & half.coarseDown, m_transponderEvents[high ? Xpndr1000Dec : Xpndr10Dec]);
    // The swap button picks the digit pair the knobs tune, with or without power.
    if (r2 & half.swap)
        device.SetDeviceValue(half.digitPairKey, high ? 0 : kHighDigitPair);
}

void CPanelClass_Radios::OnInputReport(CPanelDevice& device, DWORD, const BYTE* previous,
                                       const BYTE* current) {
    static constexpr Half kUpper = {0x40, 0x04, 0x08, 0x01, 0x02, kUpperMode, kUpperDigitPair};
    static constexpr Half kLower = {0x80, 0x40, 0x80, 0x10, 0x20, kLowerMode, kLowerDigitPair};

    const BYTE r1 = NewlySet(previous, current, 1);
    const BYTE r2 = NewlySet(previous, current, 2);
    const BYTE r3 = NewlySet(previous, current, 3);
    HandleInput(device, [&](PendingEvents& events) {
        if (!PassesKnobFilters(r1, r2, r3))
            return;
        bool modeChanged = false;
        LONG upper = DecodeUpper(r1, device.GetDeviceValue(kUpperMode));
        LONG lower = DecodeLower(r1, r2, device.GetDeviceValue(kLowerMode));
        if (upper != device.GetDeviceValue(kUpperMode)) {
            device.SetDeviceValue(kUpperMode, upper);
            modeChanged = true;
        }
        if (lower != device.GetDeviceValue(kLowerMode)) {
            device.SetDeviceValue(kLowerMode, lower);
            modeChanged = true;
        }
        HandleHalf(device, kUpper, r2, r3, events);
        HandleHalf(device, kLower, r2, r3, events);
        Refresh(device, modeChanged);
    });
}

void CPanelClass_Radios::FillHalf(BYTE* digits, LONG mode) const {
    BYTE* left = digits;
    BYTE* right = digits + kDigitsPerDisplay;
    Darken(left);
    Darken(right);
    const INT32* flag = m_data.failure;
    if (mode >= 0 && mode < kModeAdf) {
        if (!flag[mode]) {
            FormatComNav(left, m_data.frequency[2 * mode]);
            FormatComNav(right, m_data.frequency[2 * mode + 1]);
        }
    } else if (mode == kModeAdf) {
        if (!flag[kModeAdf])
            FormatAdf(right, m_data.adfActive);
    } else if (mode == kModeDme) {
        if (!flag[kModeDme])
            FormatDme(left, m_data.dmeDistance);
        if (!flag[kModeTransponder])
            FormatDme(right, m_data.dmeSpeed);
    } else if (mode == kModeTransponder) {
        // The transponder display follows the flag of the DME position.
        if (!flag[kModeDme])
            FormatTransponder(right, m_data.transponder);
    }
}

void CPanelClass_Radios::Refresh(CPanelDevice& device, bool force) {
    BYTE report[kReportLength] = {};
    if (!IsAvionicsPowered(m_data.power)) {
        memset(report + 1, kDarkDigit, 4 * kDigitsPerDisplay);
    } else {
        FillHalf(report + 1, device.GetDeviceValue(kUpperMode));
        FillHalf(report + 1 + 2 * kDigitsPerDisplay, device.GetDeviceValue(kLowerMode));
    }
    bool changed = device.ReportChanged(report, kReportLength);
    if (changed || force)
        device.QueueFeatureReport(report, kReportLength);
}
