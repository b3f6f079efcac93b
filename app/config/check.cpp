#include "config/check.h"

#include <optional>

#include "config/number_text.h"
#include "hw/hardware.h"
#include "hw/messages.h"

TCheckClass* CheckObject = nullptr;

namespace {

void Warn(const std::string& text) {
    ShowMsgBox(text, TMsgKind::Warning, TMsgButtons::Ok);
}

bool Filter(char16_t& Key, const char16_t* extra, int message, bool hexLetters, bool minus) {
    const char16_t decimal = static_cast<unsigned char>(LocaleDecimalChar);
    bool admitted =
        Key <= 255 && ((Key >= u'0' && Key <= u'9') || Key == decimal || (minus && Key == u'-') ||
                       (hexLetters && ((Key >= u'A' && Key <= u'F') || (Key >= u'a' && Key <= u'f'))));
    for (const char16_t* c = extra; !admitted && *c; ++c)
        admitted = Key == *c;
    if (admitted) return true;
    Key = 0;
    ShowMsgBox(MessageList[message], TMsgKind::Information, TMsgButtons::Ok);
    return false;
}

// Ctrl+C, Backspace, Enter, Ctrl+V, Ctrl+Z.
constexpr char16_t kEditingKeys[] = {3, 8, 13, 22, 26, 0};

// "$" + digits as a signed 64-bit number: 1 to 16 hexadecimal digits, nothing else.
std::optional<std::int64_t> Hex64(const std::string& digits) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0 || (value >> 60) != 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return static_cast<std::int64_t>(value);
}

double CheckDouble(bool isRead, const std::string& FieldText, double Default, double LowLimit,
                   double HighLimit) {
    if (!isRead) return Default;
    const auto value = TryStrToFloat(FieldText);
    if (!value) {
        Warn(MessageList[30]);
        return Default;
    }
    if (*value > HighLimit) {
        Warn(MessageList[31] + FloatToStr(HighLimit) + MessageList[32]);
        return Default;
    }
    if (*value < LowLimit) {
        Warn(MessageList[33] + FloatToStr(LowLimit) + MessageList[32]);
        return Default;
    }
    return *value;
}

}  // namespace

bool TCheckClass::CheckInt(char16_t& Key) const {
    return Filter(Key, kEditingKeys, 25, false, true);
}

bool TCheckClass::CheckHex(char16_t& Key) const {
    return Filter(Key, kEditingKeys, 26, true, false);
}

bool TCheckClass::CheckRangeEmpty(const std::string& FieldText) const {
    if (!FieldText.empty()) return true;
    Warn(MessageList[27]);
    return false;
}

double TCheckClass::CheckRangeDouble(bool isRead, const std::string& FieldText, double Default,
                                     double LowLimit, double HighLimit) const {
    return CheckDouble(isRead, FieldText, Default, LowLimit, HighLimit);
}

double TCheckClass::CheckRangeDouble2(bool isRead, const std::string& FieldText, double Default,
                                      double LowLimit, double HighLimit) const {
    return CheckDouble(isRead, FieldText, Default, LowLimit, HighLimit);
}

std::int32_t TCheckClass::CheckRangeInt(bool isRead, const std::string& FieldText, std::int32_t Default,
                                        std::int32_t LowLimit, std::int32_t HighLimit) const {
    if (!isRead) return Default;
    const auto value = TryStrToInt(FieldText);
    if (!value) {
        Warn(MessageList[30]);
        return Default;
    }
    if (*value > HighLimit) {
        Warn(MessageList[31] + std::to_string(HighLimit) + MessageList[32]);
        return Default;
    }
    if (*value < LowLimit) {
        Warn(MessageList[33] + std::to_string(LowLimit) + MessageList[32]);
        return Default;
    }
    return *value;
}

std::uint32_t TCheckClass::CheckRangeHex(bool isRead, const std::string& FieldText,
                                         const std::string& Default, const std::string& LowLimit,
                                         const std::string& HighLimit) const {
    // A default that is not hexadecimal text gives 0; a limit that is not does not bound.
    const auto fallback = static_cast<std::uint32_t>(Hex64(Default).value_or(0));
    if (!isRead) return fallback;
    const auto value = Hex64(FieldText);
    if (!value) {
        Warn(MessageList[30]);
        return fallback;
    }
    if (const auto high = Hex64(HighLimit); high && *value > *high) {
        Warn(MessageList[28] + HighLimit + MessageList[32]);
        return fallback;
    }
    if (const auto low = Hex64(LowLimit); low && *value < *low) {
        Warn(MessageList[29] + LowLimit + MessageList[32]);
        return fallback;
    }
    return static_cast<std::uint32_t>(*value);
}

double CheckClkFreq(const std::string& FieldText, double MaxVal, double MinVal, double Default) {
    const auto value = TryStrToFloat(FieldText);
    if (!value) {
        Warn(MessageList[30]);
        return Default;
    }
    // Above the maximum the board may still run: the value is kept after the warning.
    if (*value > MaxVal) Warn(MessageList[31] + FloatToStr(MaxVal) + ". " + MessageList[39]);
    if (*value < MinVal) {
        Warn(MessageList[33] + FloatToStr(MinVal) + MessageList[32]);
        return Default;
    }
    return *value;
}
