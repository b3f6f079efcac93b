// Field validation: the rules by which the operator's typing and the contents of the numeric fields are
// accepted. Key filters decide for each typed character whether it may enter a field; range checks
// parse a field's text, compare it with the field's limits and return the value or the field's default,
// telling the operator in a message box why the default was taken. The checks change no field and no
// configuration value: the caller stores the returned value and redraws the window, which puts the
// corrected value back into the field. Messages come from MessageList in the interface language; every
// box has a single OK button.
#pragma once

#include <cstdint>
#include <string>

class TCheckClass {
 public:
    // Key filters. Key is the typed character as a 16-bit code. Admitted: true, Key unchanged.
    // Rejected: Key becomes 0 (the character is swallowed), message 25 (CheckHex: 26) is shown as an
    // information box, false. Codes above 255 are never admitted; only the low 8 bits of
    // LocaleDecimalChar take part.
    //   CheckInt: 3 (Ctrl+C), 8 (Backspace), 13 (Enter), 22 (Ctrl+V), 26 (Ctrl+Z), '-', '0'-'9',
    //             LocaleDecimalChar
    //   CheckHex: 3, 8, 13, 22, 26, '0'-'9', 'A'-'F', 'a'-'f', LocaleDecimalChar
    bool CheckInt(char16_t& Key) const;
    bool CheckHex(char16_t& Key) const;

    // false, with message 27 as a warning, when the field's text is empty.
    bool CheckRangeEmpty(const std::string& FieldText) const;

    // Range checks, limits inclusive. Unparsable text: message 30, Default. Above HighLimit:
    // message 31 + HighLimit + message 32, Default. Below LowLimit: message 33 + LowLimit + message 32,
    // Default. All three boxes are warnings.
    //
    // isRead false: the check does not read the field, so there is no value to check; it returns
    // Default (CheckRangeHex: Default parsed as hexadecimal) without a message.
    //
    // CheckRangeDouble(2): floating point with LocaleDecimalChar; limits shown by FloatToStr.
    // CheckRangeDouble2 is the check of the text fields with a side button; the same algorithm.
    double CheckRangeDouble(bool isRead, const std::string& FieldText, double Default, double LowLimit,
                            double HighLimit) const;
    double CheckRangeDouble2(bool isRead, const std::string& FieldText, double Default, double LowLimit,
                             double HighLimit) const;
    // 32-bit integer: decimal, or hexadecimal with "$" or "0x"; limits shown in decimal.
    std::int32_t CheckRangeInt(bool isRead, const std::string& FieldText, std::int32_t Default,
                               std::int32_t LowLimit, std::int32_t HighLimit) const;
    // "$" + text read as 64-bit hexadecimal; the limits (hexadecimal digits without prefix) are read the
    // same way and compared as signed 64-bit numbers. Messages 28 / 29 + the limit as given + 32.
    // Returns the low 32 bits of the accepted value or of Default. A Default that is not such text
    // gives 0; a limit that is not does not bound.
    std::uint32_t CheckRangeHex(bool isRead, const std::string& FieldText, const std::string& Default,
                                const std::string& LowLimit, const std::string& HighLimit) const;
};

// The clock field's check: as CheckRangeDouble, except that a value above MaxVal is kept after the
// warning message 31 + MaxVal + ". " + message 39 ("... : 220000. Correct work is not guaranteed.").
double CheckClkFreq(const std::string& FieldText, double MaxVal, double MinVal, double Default);

// The program's one validation object: created at start-up, lives until the program ends.
extern TCheckClass* CheckObject;
