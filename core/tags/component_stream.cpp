#include "core/tags/component_stream.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "core/tags/list_file_io.h"
#include "core/base/text_utils.h"

namespace tunecrest {

namespace {
constexpr std::string_view kSignature = "TPF0";
// A list of texts longer than this is taken as damage rather than allocated.
constexpr size_t kMaxListLines = 1u << 20;

std::string Utf16ToUtf8(std::string_view bytes) {
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t c = uint8_t(bytes[i]) | (uint32_t(uint8_t(bytes[i + 1])) << 8);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const uint32_t lo = uint8_t(bytes[i + 2]) | (uint32_t(uint8_t(bytes[i + 3])) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Plain ASCII, tested eight bytes at a time: most stored texts are.
// An 80-bit extended float (older streams store floating-point values this way).
double ExtendedToDouble(std::string_view b) {
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | uint8_t(b[size_t(i)]);
    const uint16_t se = uint16_t(uint8_t(b[8]) | (uint16_t(uint8_t(b[9])) << 8));
    const bool negative = se & 0x8000;
    const int exponent = se & 0x7FFF;
    if (exponent == 0 && mantissa == 0) return negative ? -0.0 : 0.0;
    if (exponent == 0x7FFF) return std::numeric_limits<double>::quiet_NaN();
    const double v = std::ldexp(double(mantissa), exponent - 16383 - 63);
    return negative ? -v : v;
}
}  // namespace

void TcomponentWriter::WriteShortString(std::string_view s) {
    const std::string_view cut = CutUtf8(s, 255);
    Fw.WriteU8(uint8_t(cut.size()));
    Fw.WriteBytes(cut);
}

void TcomponentWriter::BeginComponent(std::string_view className, std::string_view name) {
    Fw.WriteBytes(kSignature);
    WriteShortString(className);
    WriteShortString(name);
}

void TcomponentWriter::EndComponent() {
    Fw.WriteU8(vaNull);
    Fw.WriteU8(vaNull);
}

void TcomponentWriter::WriteIntegerValue(int64_t value) {
    if (value >= INT8_MIN && value <= INT8_MAX) {
        Fw.WriteU8(vaInt8);
        Fw.WriteU8(uint8_t(int8_t(value)));
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        Fw.WriteU8(vaInt16);
        Fw.WriteI16(int16_t(value));
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        Fw.WriteU8(vaInt32);
        Fw.WriteI32(int32_t(value));
    } else {
        Fw.WriteU8(vaInt64);
        Fw.WriteI64(value);
    }
}

void TcomponentWriter::WriteStringValue(std::string_view value) {
    if (value.size() <= 255) {
        Fw.WriteU8(vaString);
        Fw.WriteU8(uint8_t(value.size()));
    } else {
        Fw.WriteU8(vaLString);
        Fw.WriteI32(int32_t(value.size()));
    }
    Fw.WriteBytes(value);
}

void TcomponentWriter::WriteInteger(std::string_view name, int64_t value) {
    WriteShortString(name);
    WriteIntegerValue(value);
}

void TcomponentWriter::WriteString(std::string_view name, std::string_view value) {
    WriteShortString(name);
    // A long text keeps to what the 32-bit length can hold.
    WriteStringValue(CutUtf8(value, size_t(INT32_MAX)));
}

void TcomponentWriter::WriteString(std::string_view name, std::string_view first, std::string_view second) {
    if (first.size() + second.size() > size_t(INT32_MAX)) {
        WriteString(name, std::string(first) + std::string(second));
        return;
    }
    WriteShortString(name);
    const size_t size = first.size() + second.size();
    if (size <= 255) {
        Fw.WriteU8(vaString);
        Fw.WriteU8(uint8_t(size));
    } else {
        Fw.WriteU8(vaLString);
        Fw.WriteI32(int32_t(size));
    }
    Fw.WriteBytes(first);
    Fw.WriteBytes(second);
}

void TcomponentWriter::WriteDate(std::string_view name, double value) {
    WriteShortString(name);
    Fw.WriteU8(vaDate);
    Fw.WriteDouble(value);
}

void TcomponentWriter::WriteStringList(std::string_view name, const std::vector<std::string>& lines) {
    WriteShortString(name);
    Fw.WriteU8(vaList);
    for (const auto& line : lines) WriteStringValue(line);
    Fw.WriteU8(vaNull);
}

bool TcomponentReader::ReadShortString(std::string& s, std::string* error) {
    uint8_t length = 0;
    std::string_view bytes;
    if (!Fr.ReadU8(length) || !Fr.ReadBytes(length, bytes)) return ReadFailure(error, "truncated component record");
    s.assign(bytes);
    return true;
}

bool TcomponentReader::BeginComponent(std::string& className, std::string& name, std::string* error) {
    std::string_view signature;
    if (!Fr.ReadBytes(4, signature)) return ReadFailure(error, "truncated component record");
    if (signature != kSignature) return ReadFailure(error, "component record without its TPF0 signature");
    uint8_t first = 0;
    const size_t start = Fr.Position();
    if (!Fr.ReadU8(first)) return ReadFailure(error, "truncated component record");
    if ((first & 0xF0) == 0xF0) {
        // Filer flags; a child position follows as an integer value when flagged.
        if (first & 0x02) {
            TcomponentValue position;
            if (!ReadValue(position, error)) return false;
            if (position.Kind != TcomponentValue::vkInteger)
                return ReadFailure(error, "bad child position in component record");
        }
    } else {
        Fr.Seek(start);
    }
    std::string rawClass, rawName;
    if (!ReadShortString(rawClass, error) || !ReadShortString(rawName, error)) return false;
    className = LegacyTextToUtf8(rawClass);
    name = LegacyTextToUtf8(rawName);
    return true;
}

bool TcomponentReader::Truncated(std::string* error) {
    return ReadFailure(error, "truncated component record");
}

bool TcomponentReader::ReadStringView(uint8_t type, std::string_view& text, std::string& converted,
                                      std::string* error) {
    uint64_t length = 0;
    if (type == vaString) {
        uint8_t n = 0;
        if (!Fr.ReadU8(n)) return ReadFailure(error, "truncated component record");
        length = n;
    } else {
        uint32_t n = 0;
        if (!Fr.ReadU32(n)) return ReadFailure(error, "truncated component record");
        length = n;
        if (type == vaWString) length *= 2;
    }
    if (length > Fr.Remaining()) return ReadFailure(error, "text runs past the end of the component record");
    std::string_view bytes;
    Fr.ReadBytes(size_t(length), bytes);
    if (type == vaWString) {
        converted = Utf16ToUtf8(bytes);
        text = converted;
    } else if (IsAsciiText(bytes) || IsValidUtf8(bytes)) {
        text = bytes;
    } else {
        converted = Cp1252ToUtf8(bytes);
        text = converted;
    }
    return true;
}

bool TcomponentReader::ReadStringValue(uint8_t type, std::string& s, std::string* error) {
    std::string_view text;
    if (!ReadStringView(type, text, s, error)) return false;
    if (text.data() != s.data()) s.assign(text);  // reuses the value's buffer
    return true;
}

bool TcomponentReader::ReadOtherValueInPlace(TcomponentValue& value, std::string* error) {
    const size_t start = Fr.Position();
    uint8_t type = 0;
    if (Fr.ReadU8(type) && (type == vaString || type == vaLString || type == vaUTF8String)) {
        value.Kind = TcomponentValue::vkString;
        value.String.clear();
        return ReadStringView(type, value.Text, value.String, error);
    }
    Fr.Seek(start);
    if (!ReadValue(value, error)) return false;
    value.Text = value.String;
    return true;
}

bool TcomponentReader::ReadValue(TcomponentValue& value, std::string* error) {
    uint8_t type = 0;
    if (!Fr.ReadU8(type)) return ReadFailure(error, "truncated component record");
    // Reset in place so that a value reused across properties keeps its buffers.
    value.Kind = TcomponentValue::vkInteger;
    value.Integer = 0;
    value.Float = 0;
    value.String.clear();
    value.Lines.clear();
    switch (type) {
        case vaInt8: {
            uint8_t v;
            if (!Fr.ReadU8(v)) return ReadFailure(error, "truncated component record");
            value.Integer = int8_t(v);
            return true;
        }
        case vaInt16: {
            int16_t v;
            if (!Fr.ReadI16(v)) return ReadFailure(error, "truncated component record");
            value.Integer = v;
            return true;
        }
        case vaInt32: {
            int32_t v;
            if (!Fr.ReadI32(v)) return ReadFailure(error, "truncated component record");
            value.Integer = v;
            return true;
        }
        case vaInt64: {
            int64_t v;
            if (!Fr.ReadI64(v)) return ReadFailure(error, "truncated component record");
            value.Integer = v;
            return true;
        }
        case vaFalse:
        case vaTrue:
            value.Kind = TcomponentValue::vkBoolean;
            value.Integer = type == vaTrue;
            return true;
        case vaString:
        case vaLString:
        case vaWString:
        case vaUTF8String:
            value.Kind = TcomponentValue::vkString;
            return ReadStringValue(type, value.String, error);
        case vaDate:
        case vaDouble: {
            value.Kind = TcomponentValue::vkFloat;
            if (!Fr.ReadDouble(value.Float)) return ReadFailure(error, "truncated component record");
            return true;
        }
        case vaSingle: {
            uint32_t bits;
            if (!Fr.ReadU32(bits)) return ReadFailure(error, "truncated component record");
            float f;
            std::memcpy(&f, &bits, sizeof f);
            value.Kind = TcomponentValue::vkFloat;
            value.Float = f;
            return true;
        }
        case vaExtended: {
            std::string_view b;
            if (!Fr.ReadBytes(10, b)) return ReadFailure(error, "truncated component record");
            value.Kind = TcomponentValue::vkFloat;
            value.Float = ExtendedToDouble(b);
            return true;
        }
        case vaList: {
            value.Kind = TcomponentValue::vkStringList;
            while (true) {
                uint8_t itemType = 0;
                if (!Fr.ReadU8(itemType)) return ReadFailure(error, "truncated component record");
                if (itemType == vaNull) return true;
                if (itemType != vaString && itemType != vaLString && itemType != vaWString &&
                    itemType != vaUTF8String)
                    return ReadFailure(error, "a list value holds something other than texts");
                if (value.Lines.size() >= kMaxListLines) return ReadFailure(error, "list value too long");
                std::string line;
                if (!ReadStringValue(itemType, line, error)) return false;
                value.Lines.push_back(std::move(line));
            }
        }
        default:
            return ReadFailure(error, "unsupported value type " + std::to_string(type) + " in component record");
    }
}

bool TcomponentReader::EndComponent(std::string* error) {
    uint8_t end = 0;
    if (!Fr.ReadU8(end)) return ReadFailure(error, "truncated component record");
    if (end != vaNull) return ReadFailure(error, "unexpected child components in a tag record");
    return true;
}

namespace {
// Nesting of lists, collections and child records a skipped record may hold; deeper
// data is taken as damage rather than followed (the reader's stack stays small).
constexpr int kMaxSkipDepth = 32;
bool SkipBytes(TbyteReader& r, uint64_t count, std::string* error) {
    std::string_view bytes;
    if (count > r.Remaining() || !r.ReadBytes(size_t(count), bytes))
        return ReadFailure(error, "truncated component record");
    return true;
}
}  // namespace

bool TcomponentReader::SkipValue(int depth, std::string* error) {
    if (depth > kMaxSkipDepth) return ReadFailure(error, "component record nested too deeply");
    uint8_t type = 0;
    if (!Fr.ReadU8(type)) return ReadFailure(error, "truncated component record");
    switch (type) {
        case vaNull:
        case vaFalse:
        case vaTrue:
        case vaNil:
            return true;
        case vaInt8:
            return SkipBytes(Fr, 1, error);
        case vaInt16:
            return SkipBytes(Fr, 2, error);
        case vaInt32:
        case vaSingle:
            return SkipBytes(Fr, 4, error);
        case vaInt64:
        case vaDate:
        case vaDouble:
        case vaCurrency:
            return SkipBytes(Fr, 8, error);
        case vaExtended:
            return SkipBytes(Fr, 10, error);
        case vaString:
        case vaIdent: {
            uint8_t n = 0;
            return Fr.ReadU8(n) ? SkipBytes(Fr, n, error) : ReadFailure(error, "truncated component record");
        }
        case vaLString:
        case vaUTF8String:
        case vaBinary:
        case vaWString: {
            uint32_t n = 0;
            if (!Fr.ReadU32(n)) return ReadFailure(error, "truncated component record");
            return SkipBytes(Fr, type == vaWString ? uint64_t(n) * 2 : n, error);
        }
        case vaSet:
            // Names (short texts) up to an empty one.
            while (true) {
                uint8_t n = 0;
                if (!Fr.ReadU8(n)) return ReadFailure(error, "truncated component record");
                if (n == 0) return true;
                if (!SkipBytes(Fr, n, error)) return false;
            }
        case vaList:
            // Values up to a vaNull.
            while (true) {
                uint8_t next = 0;
                const size_t at = Fr.Position();
                if (!Fr.ReadU8(next)) return ReadFailure(error, "truncated component record");
                if (next == vaNull) return true;
                Fr.Seek(at);
                if (!SkipValue(depth + 1, error)) return false;
            }
        case vaCollection:
            // Items, each an optional order value and a property list, up to a vaNull.
            while (true) {
                uint8_t next = 0;
                if (!Fr.ReadU8(next)) return ReadFailure(error, "truncated component record");
                if (next == vaNull) return true;
                if (next != vaList) {
                    if (next != vaInt8 && next != vaInt16 && next != vaInt32)
                        return ReadFailure(error, "bad collection item in component record");
                    if (!SkipBytes(Fr, next == vaInt8 ? 1 : next == vaInt16 ? 2 : 4, error)) return false;
                    if (!Fr.ReadU8(next) || next != vaList)
                        return ReadFailure(error, "bad collection item in component record");
                }
                if (!SkipProperties(depth + 1, error)) return false;
            }
        default:
            return ReadFailure(error,
                               "unsupported value type " + std::to_string(type) + " in component record");
    }
}

bool TcomponentReader::SkipProperties(int depth, std::string* error) {
    while (true) {
        std::string_view name;
        bool atEnd = false;
        if (!NextProperty(name, atEnd, error)) return false;
        if (atEnd) return true;
        if (!SkipValue(depth, error)) return false;
    }
}

bool TcomponentReader::SkipChildren(int depth, std::string* error) {
    if (depth > kMaxSkipDepth) return ReadFailure(error, "component record nested too deeply");
    while (true) {
        uint8_t first = 0;
        const size_t at = Fr.Position();
        if (!Fr.ReadU8(first)) return ReadFailure(error, "truncated component record");
        if (first == vaNull) return true;
        // A child: optional filer flags (with a position value), class name, name,
        // properties, its own children.
        if ((first & 0xF0) == 0xF0) {
            if ((first & 0x02) && !SkipValue(depth + 1, error)) return false;
        } else {
            Fr.Seek(at);
        }
        std::string className, name;
        if (!ReadShortString(className, error) || !ReadShortString(name, error)) return false;
        if (!SkipProperties(depth + 1, error) || !SkipChildren(depth + 1, error)) return false;
    }
}

bool TcomponentReader::SkipRest(std::string* error) {
    return SkipProperties(0, error) && SkipChildren(0, error);
}

}  // namespace tunecrest
