#include "text.h"

#include <cmath>
#include <cstdio>

namespace korv_tool {
namespace {

void append_utf8(std::string& out, char32_t code) {
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
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = sequence_length(lead);
        if (length == 0 || i + length > text.size()) {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) code = (code << 6) | (text[i + k] & 0x3F);
        out += static_cast<wchar_t>(code);
        i += length;
    }
    return out;
}

double clean_number(double value) {
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

}  // namespace korv_tool
