#include "panels/EncoderFilter.h"

EncoderFilter::EncoderFilter(WORD upBit, WORD downBit, TickSource clock)
    : m_upBit(upBit), m_downBit(downBit), m_clock(clock) {}

bool EncoderFilter::Accept(WORD rising) {
    if (rising == 0)
        return true;
    DWORD now = m_clock();

    if (m_reversalTime == kNoTime) {
        m_reversalTime = now;
        m_reversalBits = rising;
    }
    bool sameDirection = rising == m_reversalBits;
    bool longAfter = now - m_reversalTime >= kReversalGuardMs;
    m_reversalBits = rising;
    if (!sameDirection && !longAfter) {
        m_reversalTime = kNoTime;
        return false;
    }
    m_reversalTime = now;

    if (m_rateBits == kNoBits)
        m_rateBits = rising;
    if (m_rateTime == kNoTime) {
        m_rateTime = now;
        m_rateBits = rising;
        return true;
    }
    if (rising == m_rateBits && now - m_rateTime < kRateHalvingMs) {
        m_rateTime = kNoTime;
        return false;
    }
    m_rateTime = now;
    m_rateBits = rising;
    return true;
}
