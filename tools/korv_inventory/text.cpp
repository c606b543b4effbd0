#include "text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korv_tool {
namespace {

void append_utf8(std::string& out, char32_t code) {
    if ((code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The number of bytes of the UTF-8 sequence that starts with lead; 0 for a stray byte.
int sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The code point of the sequence at text[i] and its length in bytes; a malformed sequence
// (a stray or missing continuation byte, an overlong form, a surrogate) is one U+FFFD
// byte.
size_t decode(const std::string& text, size_t i, char32_t& code) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = sequence_length(lead);
    code = 0xFFFD;
    if (length == 0 || i + length > text.size()) return 1;
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 1;
        value = (value << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000))
        return 1;
    code = value;
    return length;
}

}  // namespace

std::string to_utf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) append_utf8(out, static_cast<char32_t>(c));
    return out;
}

// Malformed bytes become U+FFFD rather than failing: names are for display and lookup.
std::wstring from_utf8(const std::string& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        char32_t code = 0;
        i += decode(text, i, code);
        out += static_cast<wchar_t>(code);
    }
    return out;
}

std::string valid_utf8(const std::string& text) {
    return to_utf8(from_utf8(text));
}

size_t display_width(const std::string& text) {
    size_t width = 0;
    for (size_t i = 0; i < text.size(); ++width) {
        char32_t code = 0;
        i += decode(text, i, code);
    }
    return width;
}

double clean_number(double value) {
    if (!std::isfinite(value * 1e9)) return value;
    const double rounded = std::round(value * 1e9) / 1e9;
    return rounded == 0.0 ? 0.0 : rounded;
}

std::string format_number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", clean_number(value));
    return buffer;
}

std::string format_point(const AcGePoint3d& point) {
    return format_number(point.x) + "," + format_number(point.y) + "," + format_number(point.z);
}

std::string nearest_name(const std::string& word, const std::vector<std::string>& names) {
    std::string nearest;
    size_t best = 4;  // a few edits away
    for (const std::string& name : names) {
        const size_t distance = edit_distance(word, name);
        if (distance < best) best = distance, nearest = name;
    }
    return nearest;
}

std::string unknown_name_message(const std::string& what, const std::string& word,
                                 const std::vector<std::string>& names) {
    std::string message = "unknown " + what + " " + valid_utf8(word);
    const std::string nearest = nearest_name(word, names);
    if (!nearest.empty()) message += " (did you mean " + nearest + "?)";
    return message + "; the " + what + "s are: " + joined(names, ", ");
}

std::string joined(const std::vector<std::string>& words, const std::string& separator) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : separator) + word;
    return text;
}

}  // namespace korv_tool
