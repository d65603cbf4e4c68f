#pragma once
// Helpers for the digit bytes of the radio and multi panels' displays.

#include <windows.h>

#include <cmath>
#include <cstdint>

constexpr BYTE kDarkDigit = 0xFF;
constexpr BYTE kDecimalPoint = 0xD0;
constexpr size_t kDigitsPerDisplay = 5;

// The 4-bit group of `value` starting at bit `shift`.
inline BYTE Nibble(INT32 value, int shift) {
    return static_cast<BYTE>((static_cast<UINT32>(value) >> shift) & 0x0F);
}

// i when `value` is exactly bit i (i below `bits`), else -1.
inline int SingleBitIndex(unsigned value, int bits) {
    for (int i = 0; i < bits; ++i)
        if (value == (1u << i))
            return i;
    return -1;
}

// Truncation toward zero; a value without a 32-bit integer (NaN, out of range) gives INT32_MIN,
// as the processor's own conversion does, instead of undefined behaviour.
inline INT32 TruncToInt32(float value) {
    if (!(value > -2147483648.0f && value < 2147483648.0f))
        return INT32_MIN;
    return static_cast<INT32>(value);
}

inline BYTE DigitByte(INT32 digit) {
    return static_cast<BYTE>(digit);
}
