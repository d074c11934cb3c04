#include "datamodel/codi.h"

#include <algorithm>

#include "datamodel/strings.h"

namespace {

bool IsHexType(int type) {
    switch (type) {
    case CodiNibble4:
    case CodiNibble6:
    case CodiNibble28:
    case CodiNibble2:
    case CodiNibble8:
    case CodiNibble2_1N:
    case CodiNibble16:
        return true;
    default:
        return false;
    }
}

char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int DigitValue(char c) {
    return (c >= '0' && c <= '9') ? c - '0' : -1;
}

// One byte of a hexadecimal text: characters 2k and 2k+1, a missing or non-hexadecimal
// character counting as 0.
unsigned char HexPair(std::string_view text, std::size_t k) {
    int high = 2 * k < text.size() ? HexCharToValue(text[2 * k]) : 0;
    int low = 2 * k + 1 < text.size() ? HexCharToValue(text[2 * k + 1]) : 0;
    return static_cast<unsigned char>((high << 4) | low);
}

void AppendHex(std::string& text, unsigned char byte) {
    text += NibbleToHexChar(byte >> 4);
    text += NibbleToHexChar(byte);
}

// 1 digit a, 2 digits 10a+b, 3 digits 100a+10b+c kept to 8 bits; any other length gives 0.
unsigned char EncodeDecimal(std::string_view text) {
    if (text.empty() || text.size() > 3) return 0;
    int value = 0;
    for (char c : text) value = value * 10 + std::max(DigitValue(c), 0);
    return static_cast<unsigned char>(value & 0xFF);
}

std::string DecimalText(unsigned char byte) {
    std::string text(3, '0');
    text[0] = static_cast<char>('0' + byte / 100);
    text[1] = static_cast<char>('0' + byte / 10 % 10);
    text[2] = static_cast<char>('0' + byte % 10);
    return text;
}

// Hour and minute as typed: "hh:mm" (5 characters) or "h:mm" (4 characters, character 1 taken as
// the colon). Any other length is no time (false). A character that is not a digit where a digit
// belongs makes the text no time when strict, and counts as 0 otherwise (the value the panel
// gets for it).
bool ParseHora(std::string_view text, int& hour, int& minute, bool strict = true) {
    std::string t(text);
    std::size_t hourDigits;
    if (t.size() == 5) {
        hourDigits = 2;
    } else if (t.size() == 4) {
        t[1] = ':';
        hourDigits = 1;
    } else {
        return false;
    }
    bool digits = true;
    auto digit = [&](char c) {
        const int d = DigitValue(c);
        digits = digits && d >= 0;
        return std::max(d, 0);
    };
    hour = 0;
    for (std::size_t i = 0; i < hourDigits; ++i) hour = hour * 10 + digit(t[i]);
    minute = digit(t[hourDigits + 1]) * 10;
    minute += digit(t[hourDigits + 2]);
    return digits || !strict;
}

// Byte = hour × 4 + quarter; "63:45" is 0xFF (not set). An hour above 24 or a minute above 59
// counts as 0, and so does an unreadable digit; minutes 53 to 59 give quarter 0 of the same hour.
unsigned char EncodeHora(std::string_view text) {
    if (text == "63:45") return 0xFF;
    int hour = 0;
    int minute = 0;
    if (!ParseHora(text, hour, minute, false)) hour = minute = 0;
    if (hour < 0 || hour > 24) hour = 0;
    if (minute < 0 || minute > 59) minute = 0;
    int quarter = 0;
    if (minute >= 8 && minute <= 22) quarter = 1;
    else if (minute >= 23 && minute <= 37) quarter = 2;
    else if (minute >= 38 && minute <= 52) quarter = 3;
    return static_cast<unsigned char>(hour * 4 + quarter);
}

std::string HoraText(unsigned char byte) {
    static const char* const kQuarters[4] = {"00", "15", "30", "45"};
    return std::to_string(byte >> 2) + ":" + kQuarters[byte & 3];
}

const char kActivada[] = "Activada";
const char kDesactivada[] = "Desactivada";

}  // namespace

CCodi::CCodi() {
    Clear();
}

void CCodi::Clear() {
    access_ = CodiMemoryUnset;
    type_ = CodiNone;
    codeNumber_.clear();
    kpAddress_.clear();
    value_.clear();
    id_.clear();
    descr_.clear();
    default_.clear();
    fill_ = 'F';
    fillAtRight_ = true;
    for (std::string& option : options_) option.clear();
    typeSet_ = false;
    lowerCase_ = false;
    usuari_ = false;
    modified_ = false;
    editable_ = true;
    offset_ = 0;
    raw_.fill(0);
}

bool CCodi::SetAccess(int memoryKind) {
    if (memoryKind != CodiRam && memoryKind != CodiEeprom) return false;
    access_ = memoryKind;
    return true;
}

int CCodi::ByteCountOf(int type) {
    switch (type) {
    case CodiBitmask: return 1;
    case CodiDecimal: return 1;
    case CodiNibble4: return 2;
    case CodiNibble6: return 3;
    case CodiNibble28: return 14;
    case CodiString: return 16;
    case CodiHoraQuart: return 1;
    case CodiNibble2: return 1;
    case CodiNibble8: return 4;
    case CodiSortida: return 1;
    case CodiNibble2_1N: return 1;
    case CodiNibble16: return 8;
    default: return 0;
    }
}

int CCodi::TextLengthOf(int type) {
    switch (type) {
    case CodiBitmask: return 8;
    case CodiDecimal: return 3;
    case CodiNibble4: return 4;
    case CodiNibble6: return 6;
    case CodiNibble28: return 28;
    case CodiString: return 16;
    case CodiHoraQuart: return 5;
    case CodiNibble2: return 2;
    case CodiNibble8: return 8;
    case CodiSortida: return 11;
    case CodiNibble2_1N: return 2;
    case CodiNibble16: return 16;
    default: return 0;
    }
}

bool CCodi::SetType(int type) {
    if (ByteCountOf(type) == 0) return false;
    type_ = type;
    typeSet_ = true;
    value_ = Normalise(value_);
    if (type == CodiSortida) editable_ = false;
    return true;
}

bool CCodi::SetCodeNumber(std::string_view number) {
    if (!IsHexString(number)) return false;
    codeNumber_ = number;
    return true;
}

bool CCodi::SetKpAddress(std::string_view address) {
    kpAddress_ = address;
    return true;
}

bool CCodi::SetId(std::string_view id) {
    id_ = id;
    return true;
}

bool CCodi::SetDescr(std::string_view descr) {
    descr_ = descr;
    return true;
}

bool CCodi::SetOption(int i, std::string_view label) {
    if (i < 0 || i > 7) return false;
    options_[i] = label;
    return true;
}

const std::string& CCodi::GetOption(int i) const {
    return options_[(i < 0 || i > 7) ? 0 : i];
}

bool CCodi::SetPadding(char fill, bool atRight) {
    fill_ = fill;
    fillAtRight_ = atRight;
    return true;
}

bool CCodi::SetLowerCase(bool lower) {
    lowerCase_ = lower;
    if (lower) LowerCase(value_);
    return true;
}

bool CCodi::SetUsuari(bool usuari) {
    usuari_ = usuari;
    return true;
}

bool CCodi::SetEditable(bool editable) {
    editable_ = editable;
    return true;
}

bool CCodi::SetAddress(int offset) {
    if (offset < 0) return false;
    offset_ = offset;
    return true;
}

void CCodi::LowerCase(std::string& text) const {
    for (char& c : text) c = ToLowerAscii(c);
}

std::string CCodi::Normalise(std::string_view text) const {
    std::string t(text);
    const std::size_t length = static_cast<std::size_t>(TextLengthOf(type_));
    switch (type_) {
    case CodiBitmask:
        t.resize(length, '0');
        for (char& c : t) {
            if (c != '1') c = '0';
        }
        break;
    case CodiDecimal:
        if (!IsDecimalString(t)) {
            t = "0";
        } else if (!t.empty()) {
            // Only 1 to 3 digits up to 255 reach the panel as typed; anything else is shown as
            // the byte that is sent ("300" goes as 44).
            unsigned char byte = EncodeDecimal(t);
            int typed = 0;
            if (t.size() <= 3) {
                for (char c : t) typed = typed * 10 + (c - '0');
            }
            if (t.size() > 3 || typed != byte) t = DecimalText(byte);
        }
        break;
    case CodiString:
        t.resize(length, ' ');
        break;
    case CodiHoraQuart: {
        if (t.size() > length) t.resize(length);
        if (t.find(':') == std::string::npos) t = "00:00";
        // A time the byte cannot hold (off the quarter hour, out of range) is shown as the time
        // that is sent ("07:55" goes as 7:00).
        unsigned char byte = EncodeHora(t);
        int hour = 0;
        int minute = 0;
        bool same = byte == 0xFF ||
                    (ParseHora(t, hour, minute) && hour == byte >> 2 && minute == (byte & 3) * 15);
        if (!same) t = HoraText(byte);
        break;
    }
    case CodiSortida:
        if (t != kActivada) t = kDesactivada;
        break;
    default:
        if (IsHexType(type_)) {
            if (t.size() > length) t.resize(length);
            // The code's own fill character is accepted, so a value filled with a character that
            // is not a hexadecimal digit survives being stored again.
            const char lowerFill = ToLowerAscii(fill_);
            bool hex = std::all_of(t.begin(), t.end(), [&](char c) {
                return IsHexString(std::string_view(&c, 1)) || c == fill_ || c == lowerFill;
            });
            if (!hex) t.clear();
            if (t.size() < length) {
                std::string fill(length - t.size(), fill_);
                t = fillAtRight_ ? t + fill : fill + t;
            }
        }
        break;
    }
    if (lowerCase_) LowerCase(t);
    return t;
}

bool CCodi::SetValue(std::string_view text) {
    std::string normalised = Normalise(text);
    if (normalised != value_) {
        value_ = std::move(normalised);
        modified_ = true;
    }
    return true;
}

bool CCodi::SetValueKeep(std::string_view text) {
    SetValue(text);
    default_ = value_;
    return true;
}

void CCodi::RevertValue() {
    value_ = Normalise(default_);
}

const CCodi::RawBytes& CCodi::ToBytes() {
    // A value longer than 28 characters is encoded from its first 28 (the stored value is kept).
    std::string_view v(value_);
    if (v.size() > 28) v = v.substr(0, 28);
    const int count = GetByteCount();
    switch (type_) {
    case CodiBitmask: {
        unsigned char byte = 0;
        for (std::size_t i = 0; i < 8 && i < v.size(); ++i) {
            if (v[i] == '1') byte |= static_cast<unsigned char>(1u << i);
        }
        raw_[0] = byte;
        break;
    }
    case CodiDecimal:
        raw_[0] = EncodeDecimal(v);
        break;
    case CodiString:
        for (int i = 0; i < count; ++i) {
            raw_[i] = static_cast<unsigned char>(static_cast<std::size_t>(i) < v.size() ? v[i] : ' ');
        }
        break;
    case CodiHoraQuart:
        raw_[0] = EncodeHora(v);
        break;
    case CodiSortida:
        raw_[0] = v == kActivada ? 1 : 0;
        break;
    case CodiNibble2_1N:
        raw_[0] = static_cast<unsigned char>(HexPair(v, 0) - 1);
        break;
    default:
        if (IsHexType(type_)) {
            for (int i = 0; i < count; ++i) raw_[i] = HexPair(v, static_cast<std::size_t>(i));
        } else {
            raw_.fill(0);
        }
        break;
    }
    return raw_;
}

std::string CCodi::Decode(std::span<const unsigned char> bytes) const {
    const std::size_t count = static_cast<std::size_t>(GetByteCount());
    std::string text;
    switch (type_) {
    case CodiBitmask:
        for (int i = 0; i < 8; ++i) text += (bytes[0] >> i) & 1 ? '1' : '0';
        break;
    case CodiDecimal:
        text = DecimalText(bytes[0]);
        break;
    case CodiString:
        for (std::size_t i = 0; i < count && bytes[i] != 0x00; ++i) {
            text += bytes[i] == 0xFF ? ' ' : static_cast<char>(bytes[i]);
        }
        break;
    case CodiHoraQuart:
        text = HoraText(bytes[0]);
        break;
    case CodiSortida:
        text = bytes[0] == 0 ? kDesactivada : kActivada;
        break;
    case CodiNibble2_1N:
        AppendHex(text, static_cast<unsigned char>(bytes[0] + 1));
        break;
    default:
        for (std::size_t i = 0; i < count; ++i) AppendHex(text, bytes[i]);
        break;
    }
    if (lowerCase_) LowerCase(text);
    return text;
}

bool CCodi::FromBytes(std::span<const unsigned char> bytes) {
    const int count = GetByteCount();
    if (!typeSet_ || count == 0) return false;
    if (bytes.size() < static_cast<std::size_t>(count)) return false;
    std::string text = Decode(bytes);
    if (text != value_) {
        value_ = std::move(text);
        modified_ = true;
    }
    return true;
}

bool CCodi::EqualsBytes(std::span<const unsigned char> bytes) {
    const std::size_t count = static_cast<std::size_t>(GetByteCount());
    if (count == 0) return true;
    if (bytes.size() < count) return false;
    const RawBytes& mine = ToBytes();
    if (type_ == CodiString) {
        // The text the panel holds ends at its first 0x00 and shows 0xFF as a space; padded with
        // spaces it must equal the 16 bytes this code would send.
        bool ended = false;
        for (std::size_t i = 0; i < count; ++i) {
            ended = ended || bytes[i] == 0x00;
            unsigned char panel = (ended || bytes[i] == 0xFF) ? ' ' : bytes[i];
            if (panel != mine[i]) return false;
        }
        return true;
    }
    return std::equal(mine.begin(), mine.begin() + static_cast<std::ptrdiff_t>(count), bytes.begin());
}

bool CCodi::SetFromDescriptor(std::span<const unsigned char> descriptor) {
    if (descriptor.size() < 2) return false;
    const unsigned char b0 = descriptor[0];
    const unsigned char b1 = descriptor[1];
    int access = CodiEeprom;
    int type = CodiNone;
    switch (b0 & 0x78) {
    case 0x00: type = CodiBitmask; break;
    case 0x08: type = CodiDecimal; break;
    case 0x10: type = CodiNibble2; break;
    case 0x18: type = CodiNibble4; break;
    case 0x20: type = CodiNibble6; break;
    case 0x28: type = CodiNibble28; break;
    case 0x30: type = CodiHoraQuart; break;
    case 0x38: type = CodiBitmask; break;
    case 0x40: type = CodiString; break;
    case 0x48: access = CodiRam; type = CodiBitmask; break;
    case 0x50: access = CodiRam; type = CodiDecimal; break;
    case 0x58: access = CodiRam; type = CodiNibble6; break;
    case 0x68: access = CodiRam; type = CodiHoraQuart; break;
    default: return false;  // 0x60, 0x70, 0x78: nothing changes
    }
    std::string number;
    if ((b0 & 0x78) == 0x40) {
        // String codes: byte 1 moves up one digit, the low bits of byte 0 are dropped.
        number = "1";
        AppendHex(number, b1);
        number += '0';
    } else {
        number = "0";
        number += NibbleToHexChar((b0 & 0x78) == 0x38 ? (b0 & 0x0F) : (b0 & 0x07));
        AppendHex(number, b1);
    }
    SetAccess(access);
    SetType(type);
    SetCodeNumber(number);
    return true;
}
