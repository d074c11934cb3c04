// One programmable parameter of a panel or bus component. The installer sees its value as text;
// the panel stores it as up to 16 raw bytes in RAM or EEPROM. The value type decides how many
// bytes the value has, how a typed text is normalised and how text and bytes convert into each
// other; those conversions are the panel's storage formats and are kept bit for bit.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

// Value types; the numbers are those of the model files and the panel's code descriptors.
enum CodiType : int {
    CodiNone = 0,         // any unknown type name: no bytes
    CodiBitmask = 1,      // "bitmask": 8 characters '0'/'1', character i is bit i
    CodiDecimal = 2,      // "decimal": one byte shown as three digits
    CodiNibble4 = 3,      // "nibble4": 2 bytes as 4 hexadecimal digits
    CodiNibble6 = 4,      // "nibble6": 3 bytes
    CodiNibble28 = 6,     // "nibble28": 14 bytes
    CodiString = 7,       // "string", "lstring": 16 characters
    CodiHoraQuart = 8,    // "horaquart": a time of day in quarter hours
    CodiNibble2 = 9,      // "nibble2": 1 byte
    CodiNibble8 = 10,     // "nibble8": 4 bytes
    CodiSortida = 11,     // "sortida": "Activada" / "Desactivada", read-only
    CodiNibble2_1N = 12,  // "nibble2_1N": 1 byte holding the shown number minus 1
    CodiNibble16 = 13,    // "nibble16": 8 bytes
};

// Where the panel keeps the code.
enum CodiMemory : int {
    CodiMemoryUnset = 0,
    CodiRam = 1,     // model element "ram"; read and write requests carry the RAM flag
    CodiEeprom = 2,  // model element "eeprom"
};

class CCodi {
public:
    static constexpr int kMaxBytes = 16;
    using RawBytes = std::array<unsigned char, kMaxBytes>;

    CCodi();

    // Every field back to its default.
    void Clear();

    bool SetAccess(int memoryKind);  // 1 and 2 only
    int GetAccess() const { return access_; }

    // Accepts 1-4 and 6-13. Stores the current value again so that it meets the new type (without
    // marking the code modified); type 11 makes the code read-only.
    bool SetType(int type);
    int GetType() const { return type_; }
    bool IsTypeSet() const { return typeSet_; }

    bool SetCodeNumber(std::string_view number);  // hexadecimal text only (empty allowed)
    const std::string& GetCodeNumber() const { return codeNumber_; }
    bool SetKpAddress(std::string_view address);
    const std::string& GetKpAddress() const { return kpAddress_; }
    bool SetId(std::string_view id);
    const std::string& GetId() const { return id_; }
    bool SetDescr(std::string_view descr);
    const std::string& GetDescr() const { return descr_; }

    // Labels of bits 0 to 7; GetOption gives label 0 for any index outside.
    bool SetOption(int i, std::string_view label);
    const std::string& GetOption(int i) const;

    // Short hexadecimal texts are filled with this character, appended or put in front.
    bool SetPadding(char fill, bool atRight);
    char GetFillChar() const { return fill_; }
    bool IsFillAtRight() const { return fillAtRight_; }

    // When set, every stored value is converted to lower case (type name "lstring").
    bool SetLowerCase(bool lower);
    bool IsLowerCase() const { return lowerCase_; }
    bool SetUsuari(bool usuari);
    bool IsUsuari() const { return usuari_; }
    bool SetEditable(bool editable);
    bool IsEditable() const { return editable_; }

    // Byte offset sent with every read and write of the code (not its memory address, which is
    // the code number). Refuses negative values.
    bool SetAddress(int offset);
    int GetAddress() const { return offset_; }

    // Normalises the text by type and stores it; marks the code modified when the stored value
    // changes. Never refuses. Where the bytes sent cannot carry what was typed (a "decimal" above
    // 255, a time that is not on a quarter hour), the stored text is the value that is sent.
    bool SetValue(std::string_view text);
    // SetValue, then the stored value becomes the default value as well (the model's value).
    bool SetValueKeep(std::string_view text);
    // The value takes the default value again (normalised by type); the modified flag stays.
    void RevertValue();
    const std::string& GetValue() const { return value_; }
    const std::string& GetDefaultValue() const { return default_; }

    // Encodes the value into the raw bytes and returns all 16 of them. Only the type's byte count
    // is written; the other bytes keep what they held (an unknown type clears all 16).
    const RawBytes& ToBytes();
    // Decodes the type's byte count from the bytes into the value. False (nothing changes) while
    // the type was never set, for an unknown type, and when fewer bytes are given than the type has.
    bool FromBytes(std::span<const unsigned char> bytes);
    // True when the given bytes hold the value: the encoded value's byte-count bytes equal them.
    // String codes compare as text, so a panel's padding with 0x00 or 0xFF matches space padding.
    // False when fewer bytes are given than the type has; a type without bytes always matches.
    bool EqualsBytes(std::span<const unsigned char> bytes);

    int GetByteCount() const { return ByteCountOf(type_); }
    int GetTextLength() const { return TextLengthOf(type_); }
    static int ByteCountOf(int type);
    static int TextLengthOf(int type);

    bool IsModified() const { return modified_; }
    void ClearModified() { modified_ = false; }

    // Memory kind, type and code number from the panel's 2-byte code descriptor. False, with
    // nothing changed, for a selector the panel does not use or when fewer than 2 bytes are given.
    bool SetFromDescriptor(std::span<const unsigned char> descriptor);

private:
    std::string Normalise(std::string_view text) const;
    std::string Decode(std::span<const unsigned char> bytes) const;
    void LowerCase(std::string& text) const;

    int access_;
    int type_;
    std::string codeNumber_;
    std::string kpAddress_;
    std::string value_;
    std::string id_;
    std::string descr_;
    std::string default_;
    char fill_;
    bool fillAtRight_;
    std::array<std::string, 8> options_;
    bool typeSet_;
    bool lowerCase_;
    bool usuari_;
    bool modified_;
    bool editable_;
    int offset_;
    RawBytes raw_;
};
