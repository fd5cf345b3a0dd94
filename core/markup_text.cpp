#include "core/markup_text.h"

#include "core/text_utils.h"

namespace tunecrest {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the attributes of a FONT tag (the text after the word FONT).
void ApplyFontAttributes(std::string_view attrs, TFont& font) {
    size_t pos = 0;
    const size_t n = attrs.size();
    while (pos < n) {
        while (pos < n && IsBlank(attrs[pos])) ++pos;
        const size_t nameStart = pos;
        while (pos < n && attrs[pos] != '=' && !IsBlank(attrs[pos])) ++pos;
        const std::string_view name = attrs.substr(nameStart, pos - nameStart);
        if (pos >= n || attrs[pos] != '=') continue;
        ++pos;
        std::string_view value;
        if (pos < n && attrs[pos] == '"') {
            const size_t end = attrs.find('"', pos + 1);
            value = attrs.substr(pos + 1, end == std::string_view::npos ? std::string_view::npos : end - pos - 1);
            pos = end == std::string_view::npos ? n : end + 1;
        } else {
            const size_t start = pos;
            while (pos < n && !IsBlank(attrs[pos])) ++pos;
            value = attrs.substr(start, pos - start);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        }
        if (!value.empty() && value.front() == '#') value.remove_prefix(1);

        if (SameText(name, "NAME")) {
            if (!value.empty()) font.Name.assign(value);
        } else if (SameText(name, "COLOR")) {
            TryHTMLToColor(value, font.Color);  // an unknown colour keeps the current one
        } else if (SameText(name, "SIZE")) {
            int size = 0;
            bool digits = !value.empty();
            for (char c : value) {
                if (c < '0' || c > '9') {
                    digits = false;
                    break;
                }
                if (size <= kMarkupMaxFontSize) size = size * 10 + (c - '0');
            }
            if (digits && size > 0) font.Size = size > kMarkupMaxFontSize ? kMarkupMaxFontSize : size;
        }
    }
}

}  // namespace

void AppendEscapedMarkup(std::string& out, std::string_view text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char* entity = c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : nullptr;
        if (!entity) continue;
        out.append(text, start, i - start);
        out += entity;
        start = i + 1;
    }
    out.append(text, start, std::string_view::npos);
}

std::string EscapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendEscapedMarkup(out, text);
    return out;
}

void AppendDecodedMarkup(std::string& out, std::string_view text) {
    size_t start = 0;
    size_t amp = text.find('&');
    while (amp != std::string_view::npos) {
        const std::string_view rest = text.substr(amp);
        char c = 0;
        size_t len = 0;
        if (rest.starts_with("&lt;")) c = '<', len = 4;
        else if (rest.starts_with("&gt;")) c = '>', len = 4;
        else if (rest.starts_with("&amp;")) c = '&', len = 5;
        if (len) {
            out.append(text, start, amp - start);
            out += c;
            start = amp + len;
        }
        amp = text.find('&', amp + (len ? len : 1));
    }
    out.append(text, start, std::string_view::npos);
}

std::string StripHTMLTags(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find('<', pos);
        const size_t close = open == std::string_view::npos ? open : text.find('>', open + 1);
        if (close == std::string_view::npos) {
            AppendDecodedMarkup(out, text.substr(pos));
            break;
        }
        AppendDecodedMarkup(out, text.substr(pos, open - pos));
        pos = close + 1;
    }
    return out;
}

bool ApplyMarkupTag(std::string_view inner, TFont& font) {
    switch (inner.size()) {
    case 1:
        switch (inner[0]) {
        case 'B': case 'b': font.Bold = true; return true;
        case 'I': case 'i': font.Italic = true; return true;
        case 'U': case 'u': font.Underline = true; return true;
        default: return false;
        }
    case 2:
        if (inner[0] != '/') return false;
        switch (inner[1]) {
        case 'B': case 'b': font.Bold = false; return true;
        case 'I': case 'i': font.Italic = false; return true;
        case 'U': case 'u': font.Underline = false; return true;
        default: return false;
        }
    default:
        if (inner.size() < 4 || !SameText(inner.substr(0, 4), "FONT")) return false;
        if (inner.size() > 4 && !IsBlank(inner[4])) return false;
        ApplyFontAttributes(inner.substr(4), font);
        return true;
    }
}

}  // namespace tunecrest
