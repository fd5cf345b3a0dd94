#pragma once
// The binary component-stream format in which each tag of a list file is stored: the
// signature "TPF0", the class name and the component name as short texts, the
// properties (name, value-type byte, value), a zero byte ending the properties and a
// zero byte ending the (empty) list of children.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/safe_file.h"

namespace tunecrest {

// Value-type bytes of the format.
enum TvalueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaDouble = 21,
};

// Writes a component record piece by piece.
class TcomponentWriter {
public:
    explicit TcomponentWriter(TbyteWriter& w) : Fw(w) {}
    // "TPF0", class name, component name.
    void BeginComponent(std::string_view className, std::string_view name);
    // The end of the properties and the end of the (empty) child list.
    void EndComponent();
    // An integer in the smallest signed form that holds it.
    void WriteInteger(std::string_view name, int64_t value);
    // A text: short form up to 255 bytes, long form (32-bit length) above.
    void WriteString(std::string_view name, std::string_view value);
    // A text given in two parts (a file's folder and its name), written as one.
    void WriteString(std::string_view name, std::string_view first, std::string_view second);
    // A date: 8-byte floating-point day count.
    void WriteDate(std::string_view name, double value);
    // A list of texts.
    void WriteStringList(std::string_view name, const std::vector<std::string>& lines);

private:
    void WriteShortString(std::string_view s);
    void WriteIntegerValue(int64_t value);
    void WriteStringValue(std::string_view value);
    TbyteWriter& Fw;
};

// One property value as read.
struct TcomponentValue {
    enum Tkind { vkInteger, vkString, vkFloat, vkBoolean, vkStringList } Kind = vkInteger;
    int64_t Integer = 0;
    double Float = 0;
    std::string String;
    // ReadValueInPlace: the text, where it lies in the data or, converted, in String.
    std::string_view Text;
    std::vector<std::string> Lines;
};

// Reads a component record piece by piece; every read is bounds-checked and reports
// damage through `error` instead of reading past the data.
class TcomponentReader {
public:
    explicit TcomponentReader(TbyteReader& r) : Fr(r) {}
    // Signature, optional filer prefix, class name and component name.
    bool BeginComponent(std::string& className, std::string& name, std::string* error);
    // The next property name (a view into the data); false with `atEnd` when the
    // property list ends. Inline, as the commonest values below: a library file holds
    // twenty of each per track.
    bool NextProperty(std::string_view& name, bool& atEnd, std::string* error) {
        uint8_t length = 0;
        if (Fr.ReadU8(length)) {
            atEnd = length == 0;
            if (atEnd || Fr.ReadBytes(length, name)) return true;
        }
        return Truncated(error);
    }
    bool ReadValue(TcomponentValue& value, std::string* error);
    // As ReadValue, but a text that needs no conversion is not copied: `value.Text` views
    // it in the data (which must outlive the use), and String is left empty.
    bool ReadValueInPlace(TcomponentValue& value, std::string* error) {
        const size_t start = Fr.Position();
        uint8_t type = 0, length = 0;
        std::string_view bytes;
        if (Fr.ReadU8(type) && type == vaString && Fr.ReadU8(length) && Fr.ReadBytes(length, bytes) &&
            IsAsciiText(bytes)) {
            value.Kind = TcomponentValue::vkString;
            value.String.clear();
            value.Text = bytes;
            return true;
        }
        Fr.Seek(start);
        return ReadOtherValueInPlace(value, error);
    }
    // The end of the (empty) child list.
    bool EndComponent(std::string* error);
    // Reads past the rest of a record whose class and name were read (its properties of
    // any value type and its child records), so that the next record can be read.
    bool SkipRest(std::string* error);

private:
    static bool Truncated(std::string* error);
    static bool IsAsciiText(std::string_view s) {
        size_t i = 0;
        for (; i + 8 <= s.size(); i += 8) {
            uint64_t word;
            std::memcpy(&word, s.data() + i, 8);
            if (word & 0x8080808080808080ULL) return false;
        }
        for (; i < s.size(); ++i)
            if (static_cast<unsigned char>(s[i]) & 0x80) return false;
        return true;
    }
    bool ReadOtherValueInPlace(TcomponentValue& value, std::string* error);
    bool ReadShortString(std::string& s, std::string* error);
    bool ReadStringValue(uint8_t type, std::string& s, std::string* error);
    // `text` views the text in the data, or in `converted` when it was not UTF-8.
    bool ReadStringView(uint8_t type, std::string_view& text, std::string& converted, std::string* error);
    bool SkipValue(int depth, std::string* error);
    bool SkipProperties(int depth, std::string* error);
    bool SkipChildren(int depth, std::string* error);
    TbyteReader& Fr;
};

}  // namespace tunecrest
