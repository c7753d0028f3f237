// A gamepad as XInput reports it, in the explorer's terms: XInput's button
// bits and its sticks (up positive) become a PadState (down positive). Kept
// apart from the Windows backend, so that the translation is checked where
// the tests run.
#pragma once
#include <cstdint>

#include "app/Platform.h"

// XInput's button bits (its XINPUT_GAMEPAD_... values), by our pad buttons.
struct XInputButtonBit {
    PadButton button;
    uint16_t bit;
};
constexpr XInputButtonBit XInputButtonBits[] = {
    {PadUp, 0x0001},
    {PadDown, 0x0002},
    {PadLeft, 0x0004},
    {PadRight, 0x0008},
    {PadStart, 0x0010},
    {PadBack, 0x0020},
    {PadRightStick, 0x0080},
    {PadLeftShoulder, 0x0100},
    {PadRightShoulder, 0x0200},
    {PadA, 0x1000},
    {PadB, 0x2000},
    {PadX, 0x4000},
    {PadY, 0x8000},
};

// A stick's axis from XInput's -32768..32767 to -1..1.
inline float XInputLean(int16_t value) { return static_cast<float>(value) / (value < 0 ? 32768.0f : 32767.0f); }

// A connected pad's state from XInput's buttons and thumb sticks.
inline PadState PadFromXInput(uint16_t buttons, int16_t leftX, int16_t leftY, int16_t rightX, int16_t rightY) {
    PadState pad = {};
    pad.connected = true;
    pad.leftX = XInputLean(leftX);
    pad.leftY = -XInputLean(leftY);
    pad.rightX = XInputLean(rightX);
    pad.rightY = -XInputLean(rightY);
    for (const XInputButtonBit& mapping : XInputButtonBits) pad.buttons[mapping.button] = (buttons & mapping.bit) != 0;
    return pad;
}
