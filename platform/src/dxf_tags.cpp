// The tag level of DXF files: splitting text into typed tags and writing them back.
#include "dxf_tags.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text.h"

namespace korv_host::dxf {

ValueType value_type(int code) {
    if (code >= 0 && code <= 9) return ValueType::Text;
    if (code >= 10 && code <= 59) return ValueType::Real;
    if (code >= 60 && code <= 79) return ValueType::Int16;
    if (code >= 90 && code <= 99) return ValueType::Int32;
    if (code == 100 || code == 101 || code == 102 || code == 105) return ValueType::Text;
    if (code >= 110 && code <= 149) return ValueType::Real;
    if (code >= 160 && code <= 169) return ValueType::Int64;
    if (code >= 170 && code <= 179) return ValueType::Int16;
    if (code >= 210 && code <= 239) return ValueType::Real;
    if (code >= 270 && code <= 299) return ValueType::Int16;
    if (code >= 300 && code <= 309) return ValueType::Text;
    if (code >= 310 && code <= 319) return ValueType::Binary;
    if (code >= 320 && code <= 329) return ValueType::Text;
    if (code >= 330 && code <= 369) return ValueType::ObjectRef;
    if (code >= 370 && code <= 389) return ValueType::Int16;
    if (code >= 390 && code <= 399) return ValueType::ObjectRef;
    if (code >= 400 && code <= 409) return ValueType::Int16;
    if (code >= 410 && code <= 419) return ValueType::Text;
    if (code >= 420 && code <= 459) return ValueType::Int32;
    if (code >= 460 && code <= 469) return ValueType::Real;
    if (code >= 470 && code <= 479) return ValueType::Text;
    if (code == 480 || code == 481) return ValueType::ObjectRef;
    if (code == 999) return ValueType::Text;
    if (code >= 1000 && code <= 1003) return ValueType::Text;
    if (code == 1004) return ValueType::Binary;
    if (code >= 1005 && code <= 1009) return ValueType::Text;
    if (code >= 1010 && code <= 1059) return ValueType::Real;
    if (code >= 1060 && code <= 1070) return ValueType::Int16;
    if (code == 1071) return ValueType::Int32;
    return ValueType::Invalid;
}

bool is_point_x(int code) {
    return (code >= 10 && code <= 18) || (code >= 110 && code <= 112) || code == 210 ||
           (code >= 1010 && code <= 1013);
}

bool is_handle_code(int code) {
    return code == 5 || code == 105 || (code >= 320 && code <= 329) || code == 1005 ||
           value_type(code) == ValueType::ObjectRef;
}

namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

bool is_hex_text(std::string_view text) {
    for (char c : text) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!hex) return false;
    }
    return true;
}

// The digits of text from `at` on, at most `limit` of them and at least one.
bool all_digits(std::string_view text, size_t at, size_t limit) {
    if (at >= text.size() || text.size() - at > limit) return false;
    for (size_t i = at; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

// Numbers as writers put them (no blanks, no exponent, an optional '-' and few digits) are
// always in range; the rest goes through the full parse. Most of a drawing's tags are such.
bool plain_integer(std::string_view text, size_t digits) {
    return all_digits(text, !text.empty() && text.front() == '-' ? 1 : 0, digits);
}

bool plain_real(std::string_view text) {
    const size_t point = text.find('.');
    if (point == std::string_view::npos) return plain_integer(text, 300);
    return plain_integer(text.substr(0, point), 300) && all_digits(text, point + 1, 800);
}

bool value_fits(int code, std::string_view value) {
    int64_t integer = 0;
    double real = 0.0;
    switch (value_type(code)) {
        case ValueType::Real:
            return plain_real(value) || parse_real(value, real);
        case ValueType::Int16:
            return plain_integer(value, 4) ||
                   (parse_integer(value, integer) && integer >= -32768 && integer <= 32767);
        case ValueType::Int32:
            return plain_integer(value, 9) ||
                   (parse_integer(value, integer) && integer >= INT32_MIN && integer <= INT32_MAX);
        case ValueType::Int64:
            return plain_integer(value, 18) || parse_integer(value, integer);
        case ValueType::Binary:
            return is_hex_text(trim(value));
        case ValueType::ObjectRef:
        case ValueType::Text:
            return true;
        case ValueType::Invalid:
            return false;
    }
    return false;
}

// A group code line: as writers put it (blanks, then at most four digits) read here, any
// other form by parse_integer.
bool group_code(std::string_view line, int64_t& code) {
    size_t at = 0;
    while (at < line.size() && line[at] == ' ') ++at;
    if (!all_digits(line, at, 4)) return parse_integer(line, code);
    int value = 0;
    for (; at < line.size(); ++at) value = value * 10 + (line[at] - '0');
    code = value;
    return true;
}

// The first '\n' in [begin, end), or end. Lines of DXF are short (a few to a few dozen
// bytes): eight bytes are looked at a time, which a library search's set-up would not
// repay.
const char* find_line_end(const char* begin, const char* end) {
    static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    const char* at = begin;
    for (; end - at >= 8; at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, at, 8);
        const uint64_t x = word ^ (kOnes * '\n');  // a zero byte where a line end is
        const uint64_t zeros = (x - kOnes) & ~x & kHighs;
        // Bytes after a line end may show as line ends too; the first shown is exact.
        if (zeros != 0) return at + std::countr_zero(zeros) / 8;
    }
    while (at != end && *at != '\n') ++at;
    return at;
}

}  // namespace

TagScanner::TagScanner(std::string_view text)
    : mText(text), mPos(text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0) {}

// Reads one line (without its line end); false at the end of the text.
bool TagScanner::next_line(std::string_view& line) {
    if (mPos >= mText.size()) return false;
    const char* begin = mText.data() + mPos;
    const char* end = mText.data() + mText.size();
    const char* stop = find_line_end(begin, end);
    const auto length = static_cast<size_t>(stop - begin);
    line = std::string_view(begin, length);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    mPos += length + 1;
    ++mLine;
    return true;
}

Acad::ErrorStatus TagScanner::next_checked(Tag& tag) {
    std::string_view code_line, value_line;
    for (;;) {
        mTagOffset = mPos;
        if (!next_line(code_line)) return Acad::eEndOfFile;
        int64_t code = 0;
        if (!group_code(code_line, code)) {
            // A blank last line is only the file's final line end.
            if (trim(code_line).empty() && mPos >= mText.size()) return Acad::eEndOfFile;
            return Acad::eBadDxfSequence;
        }
        if (!next_line(value_line)) return Acad::eDwgNeedsRecovery;
        if (code < -9999 || code > 1071) return Acad::eBadDxfSequence;
        const int group = static_cast<int>(code);
        if (group == 0) mInTableHead = trim(value_line) == "TABLE";
        int64_t count = 0;
        const bool table_count = mInTableHead && group == 70 && parse_integer(value_line, count);
        if (!table_count && !value_fits(group, value_line)) return Acad::eBadDxfSequence;
        if (group == 999) continue;
        tag = {group, value_line, mLine - 1};
        return Acad::eOk;
    }
}

bool TagScanner::next(Tag& tag) {
    std::string_view code_line, value_line;
    for (;;) {
        int64_t code = 0;
        mTagOffset = mPos;
        if (!next_line(code_line) || !group_code(code_line, code) || !next_line(value_line)) {
            return false;
        }
        if (code == 999) continue;
        tag = {static_cast<int>(code), value_line, mLine - 1};
        return true;
    }
}

Acad::ErrorStatus parse_tags(std::string_view text, Tags& tags) {
    tags.clear();
    TagScanner scanner(text);
    Tag tag;
    Acad::ErrorStatus es = Acad::eOk;
    while ((es = scanner.next_checked(tag)) == Acad::eOk) tags.push_back(tag);
    return es == Acad::eEndOfFile ? Acad::eOk : es;
}

void TagText::add(int code, std::string_view value) {
    char digits[16];
    auto [stop, error] = std::to_chars(digits, digits + sizeof digits, code);
    const auto length = static_cast<size_t>(stop - digits);
    if (length < 3) mText.append(3 - length, ' ');
    mText.append(digits, length);
    mText += '\n';
    mText += value;
    mText += '\n';
    ++mCount;
}

void TagText::add(const TagText& tags, size_t at) {
    mText.insert(at, tags.mText);
    mCount += tags.mCount;
}

bool parse_real(std::string_view text, double& value) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

bool parse_integer(std::string_view text, int64_t& value) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

bool parse_handle(std::string_view text, uint64_t& value) {
    text = trim(text);
    if (text.empty() || text.size() > 16 || !is_hex_text(text)) return false;
    auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && stop == text.data() + text.size();
}

std::string format_real(double value, int precision) {
    if (value == 0.0) value = 0.0;  // no "-0.0" in files
    char buffer[64];
    if (precision >= 0) {
        std::snprintf(buffer, sizeof buffer, "%.*f", precision > 16 ? 16 : precision, value);
        return buffer;
    }
    auto [stop, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, error == std::errc() ? stop : buffer);
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
    return text;
}

std::string format_handle(uint64_t value) {
    char buffer[20];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
    return buffer;
}

namespace {

// The escape \U+ at text[i], if one is there: its character and its length. Eight digits
// are taken only where they name a character beyond the basic plane (the first four are
// 0000-0010): a four-digit escape followed by hexadecimal text stays that.
bool unicode_escape(std::string_view text, size_t i, uint32_t& code, size_t& length) {
    auto digits = [&](size_t count) {
        const std::string_view part = text.substr(i + 3, count);
        return part.size() == count && is_hex_text(part);
    };
    uint64_t value = 0;
    if (text.substr(i, 3) != "\\U+" || !digits(4)) return false;
    parse_handle(text.substr(i + 3, 4), value);
    uint64_t wide = 0;
    if (value <= 0x10 && digits(8) && parse_handle(text.substr(i + 3, 8), wide) && wide > 0xFFFF &&
        wide <= 0x10FFFF) {
        code = static_cast<uint32_t>(wide);
        length = 11;
        return true;
    }
    code = static_cast<uint32_t>(value);
    length = 7;
    return true;
}

}  // namespace

bool latin1_changes(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return text.find("\\U+") != std::string_view::npos;
}

std::string latin1_to_utf8(std::string_view text) {
    std::wstring out;  // code points
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t code = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        if (code == '\\' && unicode_escape(text, i, code, length) && code >= 0xD800 &&
            code <= 0xDBFF) {
            uint32_t low = 0;
            size_t low_length = 0;
            if (unicode_escape(text, i + length, low, low_length) && low >= 0xDC00 &&
                low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                length += low_length;
            }
        }
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
        out += static_cast<wchar_t>(code);
        i += length;
    }
    return narrow(out);
}

}  // namespace korv_host::dxf
