#pragma once
// Steadies one tuning knob of the radio panel: drops a step against the previous direction that
// comes too soon after it, and every second step while the knob turns fast.

#include <windows.h>

class EncoderFilter {
public:
    using TickSource = DWORD(WINAPI*)();

    static constexpr DWORD kReversalGuardMs = 100;
    static constexpr DWORD kRateHalvingMs = 150;

    EncoderFilter(WORD upBit, WORD downBit, TickSource clock = &GetTickCount);

    // True when `bits` is exactly this knob's step up or step down.
    bool Matches(WORD bits) const { return bits == m_upBit || bits == m_downBit; }
    // Whether to act on a report whose rising knob bits are `rising`.
    bool Accept(WORD rising);

    void SetTickSource(TickSource clock) { m_clock = clock; }

private:
    static constexpr DWORD kNoTime = 0xFFFFFFFF;
    static constexpr WORD kNoBits = 0xFFFF;

    DWORD m_rateTime = kNoTime;     // t1
    DWORD m_reversalTime = kNoTime; // t2
    WORD m_rateBits = kNoBits;      // d1
    WORD m_reversalBits = kNoBits;  // d2
    WORD m_upBit;
    WORD m_downBit;
    TickSource m_clock;
};
