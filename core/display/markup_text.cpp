#include "core/display/markup_text.h"

#include <utility>

#include "core/base/text_utils.h"

namespace tunecrest {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

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
            value =
                attrs.substr(pos + 1, end == std::string_view::npos ? std::string_view::npos : end - pos - 1);
            pos = end == std::string_view::npos ? n : end + 1;
        } else {
            const size_t start = pos;
            while (pos < n && !IsBlank(attrs[pos])) ++pos;
            value = attrs.substr(start, pos - start);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
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
        static constexpr std::pair<std::string_view, char> kEntities[] = {
            {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}};
        char c = 0;
        size_t len = 0;
        for (const auto& [entity, character] : kEntities)
            if (rest.starts_with(entity)) c = character, len = entity.size();
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
    if (inner.size() == 1 || (inner.size() == 2 && inner[0] == '/')) {
        bool* style = nullptr;
        switch (inner.back()) {
            case 'B':
            case 'b':
                style = &font.Bold;
                break;
            case 'I':
            case 'i':
                style = &font.Italic;
                break;
            case 'U':
            case 'u':
                style = &font.Underline;
                break;
            default:
                return false;
        }
        *style = inner.size() == 1;
        return true;
    }
    if (inner.size() < 4 || !SameText(inner.substr(0, 4), "FONT")) return false;
    if (inner.size() > 4 && !IsBlank(inner[4])) return false;
    ApplyFontAttributes(inner.substr(4), font);
    return true;
}

}  // namespace tunecrest
