#pragma once
// The radio panel: two halves, each with a seven-position selector, two five-digit displays,
// a fine and a coarse knob and a swap button.

#include "panels/EncoderFilter.h"
#include "panels/PanelClass.h"

class CPanelClass_Radios final : public CPanelClass {
public:
    // The data block, in datum-id order.
    struct Data {
        PanelPowerItems power;        // 0-5
        INT32 frequency[8];           // 6-13: active and standby of COM1, COM2, NAV1, NAV2
        INT32 adfActive;              // 14
        INT32 adfStandby;             // 15
        INT32 transponder;            // 16
        float dmeDistance;            // 17
        float dmeSpeed;               // 18
        INT32 partialPanelElectrical; // 19
        INT32 failure[7];             // 20-26: failure flag of each selector position
    };
    static_assert(sizeof(Data) == 108);

    static constexpr ULONG kReportLength = 23;

    // Device values.
    static constexpr DWORD kUpperMode = 0;
    static constexpr DWORD kLowerMode = 1;
    static constexpr DWORD kUpperDigitPair = 2;
    static constexpr DWORD kLowerDigitPair = 3;

    explicit CPanelClass_Radios(IHidDriver& hid = GetWindowsHidDriver(),
                                IPanelSimConnect& simConnect = GetPanelSimConnect());
    ~CPanelClass_Radios();

    void OnSimInitialize(DWORD& pageCounter) override;
    void OnSimRecieveData(DWORD requestId, const void* data, DWORD size) override;

    // Tests drive the knob filters with their own clock.
    void SetTickSource(EncoderFilter::TickSource clock);

private:
    enum Row { CoarseUp, CoarseDown, FineUp, FineDown, Swap, RowCount };
    static constexpr int kRadioColumns = 6; // COM1, COM2, NAV1, NAV2, ADF, DME (never mapped)
    enum Transponder {
        Xpndr1000Inc,
        Xpndr1000Dec,
        Xpndr100Inc,
        Xpndr100Dec,
        Xpndr10Inc,
        Xpndr10Dec,
        Xpndr1Inc,
        Xpndr1Dec,
        TransponderCount
    };

    // The controls of one half: its swap bit in byte 2, its knob bits in byte 3.
    struct Half {
        BYTE swap;
        BYTE coarseUp;
        BYTE coarseDown;
        BYTE fineUp;
        BYTE fineDown;
        DWORD modeKey;
        DWORD digitPairKey;
    };

    bool IsPanelDevice(const wchar_t* path) override;
    void OnDeviceAttached(CPanelDevice& device) override;
    void OnDeviceDetached(CPanelDevice& device) override;
    void OnInputReport(CPanelDevice& device, DWORD count, const BYTE* previous,
                       const BYTE* current) override;

    bool PassesKnobFilters(BYTE r1, BYTE r2, BYTE r3);
    bool IsAllowed(LONG mode) const;
    void HandleHalf(CPanelDevice& device, const Half& half, BYTE r2, BYTE r3,
                    PendingEvents& events);
    void Refresh(CPanelDevice& device, bool force);
    void FillHalf(BYTE* digits, LONG mode) const;

    Data m_data = {};
    DWORD m_radioEvents[RowCount][kRadioColumns] = {};
    DWORD m_transponderEvents[TransponderCount] = {};
    EncoderFilter m_filters[4];
};
