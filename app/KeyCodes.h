// Windows virtual-key codes: the program's key identifiers on every platform.
// Each backend translates its own key events into them.
#pragma once
#include <cstdint>

constexpr int32_t KeyLeftButton = 0x01;
constexpr int32_t KeyRightButton = 0x02;
constexpr int32_t KeyMiddleButton = 0x04;
constexpr int32_t KeyBackspace = 0x08;
constexpr int32_t KeyTab = 0x09;
constexpr int32_t KeyEnter = 0x0D;
constexpr int32_t KeyShift = 0x10;
constexpr int32_t KeyControl = 0x11;
constexpr int32_t KeyAlt = 0x12;
constexpr int32_t KeyEscape = 0x1B;
constexpr int32_t KeySpace = 0x20;
constexpr int32_t KeyPageUp = 0x21;
constexpr int32_t KeyPageDown = 0x22;
constexpr int32_t KeyHome = 0x24;
constexpr int32_t KeyArrowLeft = 0x25;
constexpr int32_t KeyArrowUp = 0x26;
constexpr int32_t KeyArrowRight = 0x27;
constexpr int32_t KeyArrowDown = 0x28;
constexpr int32_t KeyDigit0 = 0x30;   // '0'..'9' are 0x30..0x39
constexpr int32_t KeyLetterA = 0x41;  // 'A'..'Z' are 0x41..0x5A
constexpr int32_t KeyF1 = 0x70;       // F1..F12 are 0x70..0x7B
constexpr int32_t KeyF4 = 0x73;
constexpr int32_t KeyF5 = 0x74;
constexpr int32_t KeyF9 = 0x78;
constexpr int32_t KeyF10 = 0x79;
constexpr int32_t KeyF11 = 0x7A;
constexpr int32_t KeyF12 = 0x7B;
constexpr int32_t KeyEquals = 0xBB;        // VK_OEM_PLUS, '=' (and '+') on every layout
constexpr int32_t KeyMinus = 0xBD;         // VK_OEM_MINUS, '-' on every layout
constexpr int32_t KeyOpenBracket = 0xDB;   // VK_OEM_4, '[' on a US layout
constexpr int32_t KeyCloseBracket = 0xDD;  // VK_OEM_6, ']' on a US layout
