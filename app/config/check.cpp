#include "check.h"

#include <optional>

#include "hw/hardware.h"
#include "hw/messages.h"
#include "number_text.h"

TCheckClass* CheckObject = nullptr;

namespace {

bool Admitted(char16_t key, bool hex) {
    if (key > 255) return false;
    const auto c = static_cast<char>(key);
    if (key == 3 || key == 8 || key == 13 || key == 22 || key == 26) return true;
    if (c >= '0' && c <= '9') return true;
    if (key == static_cast<unsigned char>(LocaleDecimalChar)) return true;
    if (hex) return (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    return c == '-';
}

void Warning(const std::string& text) {
    ShowMsgBox(text, TMsgKind::Warning, TMsgButtons::Ok);
}

// "$" + text as a 64-bit hexadecimal number: 1 to 16 hexadecimal digits.
std::optional<std::int64_t> Hex64(const std::string& text) {
    if (text.empty() || text.size() > 16) return std::nullopt;
    std::uint64_t bits = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        bits = (bits << 4) | static_cast<std::uint64_t>(digit);
    }
    return static_cast<std::int64_t>(bits);
}

// The three steps every range check shares: parse, above, below.
template <typename Value, typename Show>
Value RangeCheck(const std::optional<Value>& parsed, Value Default, Value LowLimit, Value HighLimit,
                 const std::string& above, const std::string& below, Show show) {
    if (!parsed) {
        Warning(MessageList[30]);
        return Default;
    }
    if (*parsed > HighLimit) {
        Warning(above + show(HighLimit) + MessageList[32]);
        return Default;
    }
    if (*parsed < LowLimit) {
        Warning(below + show(LowLimit) + MessageList[32]);
        return Default;
    }
    return *parsed;
}

}  // namespace

bool TCheckClass::CheckInt(char16_t& Key) const {
    if (Admitted(Key, false)) return true;
    Key = 0;
    ShowMsgBox(MessageList[25], TMsgKind::Information, TMsgButtons::Ok);
    return false;
}

bool TCheckClass::CheckHex(char16_t& Key) const {
    if (Admitted(Key, true)) return true;
    Key = 0;
    ShowMsgBox(MessageList[26], TMsgKind::Information, TMsgButtons::Ok);
    return false;
}

bool TCheckClass::CheckRangeEmpty(const std::string& FieldText) const {
    if (!FieldText.empty()) return true;
    Warning(MessageList[27]);
    return false;
}

double TCheckClass::CheckRangeDouble(bool isRead, const std::string& FieldText, double Default, double LowLimit,
                                     double HighLimit) const {
    if (!isRead) return Default;
    return RangeCheck<double>(TryStrToFloat(FieldText), Default, LowLimit, HighLimit, MessageList[31], MessageList[33],
                              [](double v) { return FloatToStr(v); });
}

double TCheckClass::CheckRangeDouble2(bool isRead, const std::string& FieldText, double Default, double LowLimit,
                                      double HighLimit) const {
    return CheckRangeDouble(isRead, FieldText, Default, LowLimit, HighLimit);
}

std::int32_t TCheckClass::CheckRangeInt(bool isRead, const std::string& FieldText, std::int32_t Default,
                                        std::int32_t LowLimit, std::int32_t HighLimit) const {
    if (!isRead) return Default;
    return RangeCheck<std::int32_t>(TryStrToInt(FieldText), Default, LowLimit, HighLimit, MessageList[31],
                                    MessageList[33], [](std::int32_t v) { return std::to_string(v); });
}

std::uint32_t TCheckClass::CheckRangeHex(bool isRead, const std::string& FieldText, const std::string& Default,
                                         const std::string& LowLimit, const std::string& HighLimit) const {
    const auto low32 = [](std::int64_t v) { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)); };
    const std::int64_t fallback = Hex64(Default).value_or(0);
    if (!isRead) return low32(fallback);
    const std::optional<std::int64_t> value = Hex64(FieldText);
    if (!value) {
        Warning(MessageList[30]);
        return low32(fallback);
    }
    if (const auto high = Hex64(HighLimit); high && *value > *high) {
        Warning(MessageList[28] + HighLimit + MessageList[32]);
        return low32(fallback);
    }
    if (const auto low = Hex64(LowLimit); low && *value < *low) {
        Warning(MessageList[29] + LowLimit + MessageList[32]);
        return low32(fallback);
    }
    return low32(*value);
}

double CheckClkFreq(const std::string& FieldText, double MaxVal, double MinVal, double Default) {
    const std::optional<double> value = TryStrToFloat(FieldText);
    if (!value) {
        Warning(MessageList[30]);
        return Default;
    }
    if (*value > MaxVal) Warning(MessageList[31] + FloatToStr(MaxVal) + ". " + MessageList[39]);  // kept
    if (*value < MinVal) {
        Warning(MessageList[33] + FloatToStr(MinVal) + MessageList[32]);
        return Default;
    }
    return *value;
}
