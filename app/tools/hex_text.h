// Hexadecimal texts of the service window's register access.
#pragma once

#include <cstdint>
#include <string>

// The value of a hexadecimal text, modulo 2^32 (only the last eight digits count); "" gives 0. Digits
// "0".."9", "A".."F" and "a".."f"; no prefix, sign or blank. A character that is not a hexadecimal
// digit takes the digit value of the character before it (0 at the start); IsHexText tells such texts
// apart, and the service window refuses them before they reach this function.
std::uint32_t HexStrToCardinal(const std::string& S);

// True when every character of S is a hexadecimal digit (an empty text is one: it reads as 0).
bool IsHexText(const std::string& S);

// Each hexadecimal digit of S as its 4-digit binary group, most significant bit first, joined in
// order; at most 80 characters (20 digits). A character that is not a digit repeats the group of the
// character before it ("0000" at the start).
std::string HexToBinStr(const std::string& S);
