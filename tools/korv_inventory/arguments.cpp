#include "arguments.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "text.h"

namespace korv_tool {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t begin = 0;
    for (size_t end; (end = text.find(separator, begin)) != std::string::npos; begin = end + 1)
        parts.push_back(text.substr(begin, end - begin));
    parts.push_back(text.substr(begin));
    return parts;
}

// A finite number spelling the whole text, or nothing.
bool read_number(const std::string& text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return first != last && error == std::errc() && end == last && std::isfinite(value);
}

AcGeVector3d parse_triple(const std::string& text, const char* what) {
    const std::vector<std::string> parts = split(text, ',');
    double x = 0, y = 0, z = 0;
    if (parts.size() != 3 || !read_number(parts[0], x) || !read_number(parts[1], y) ||
        !read_number(parts[2], z)) {
        throw std::invalid_argument("'" + text + "' is not a " + what + " (x,y,z)");
    }
    return AcGeVector3d(x, y, z);
}

// Hexadecimal digits only, 1 to max_digits of them.
bool read_hex(const std::string& text, size_t max_digits, unsigned long long& value) {
    if (text.empty() || text.size() > max_digits) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

AcGePoint3d parse_point(const std::string& text) {
    return AcGePoint3d::kOrigin + parse_triple(text, "point");
}

AcGeVector3d parse_vector(const std::string& text) {
    return parse_triple(text, "vector");
}

bool parse_flag(const std::string& text) {
    if (text == "true" || text == "1") return true;
    if (text == "false" || text == "0") return false;
    throw std::invalid_argument("'" + text + "' is not a flag (true or false)");
}

double parse_number(const std::string& text) {
    double value = 0;
    if (!read_number(text, value)) throw std::invalid_argument("'" + text + "' is not a number");
    return value;
}

int parse_integer(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument("'" + text + "' is not a whole number");
    return value;
}

ObjectAddress parse_object_address(const std::string& text) {
    if (text == "null" || text == "0") return {};
    const size_t at = text.find('@');
    const std::string handle_text = text.substr(0, at);
    unsigned long long value = 0;
    if (!read_hex(handle_text, 16, value) || value == 0 ||
        (at != std::string::npos && at + 1 == text.size())) {
        throw std::invalid_argument("'" + text +
                                    "' is not an object (a hexadecimal handle, optionally "
                                    "followed by @ and a reference name)");
    }
    ObjectAddress address;
    address.handle = AcDbHandle(static_cast<Adesk::UInt64>(value));
    if (at != std::string::npos) address.reference = from_utf8(text.substr(at + 1));
    return address;
}

GUID parse_guid(const std::string& text) {
    std::string bare = text;
    if (bare.size() >= 2 && bare.front() == '{' && bare.back() == '}')
        bare = bare.substr(1, bare.size() - 2);
    const std::vector<std::string> groups = split(bare, '-');
    const size_t widths[] = {8, 4, 4, 4, 12};
    unsigned long long values[5] = {};
    bool valid = groups.size() == 5;
    for (size_t i = 0; valid && i < 5; ++i)
        valid = groups[i].size() == widths[i] && read_hex(groups[i], widths[i], values[i]);
    if (!valid)
        throw std::invalid_argument("'" + text + "' is not a GUID (8-4-4-4-12 hexadecimal digits)");
    GUID guid{};
    guid.Data1 = static_cast<uint32_t>(values[0]);
    guid.Data2 = static_cast<unsigned short>(values[1]);
    guid.Data3 = static_cast<unsigned short>(values[2]);
    guid.Data4[0] = static_cast<unsigned char>(values[3] >> 8);
    guid.Data4[1] = static_cast<unsigned char>(values[3]);
    for (int i = 0; i < 6; ++i)
        guid.Data4[2 + i] = static_cast<unsigned char>(values[4] >> (8 * (5 - i)));
    return guid;
}

std::list<double> parse_elevations(const std::string& text) {
    std::list<double> elevations;
    if (text.empty() || text == "none") return elevations;
    for (const std::string& part : split(text, ',')) {
        double value = 0;
        if (!read_number(part, value))
            throw std::invalid_argument("'" + text +
                                        "' is not a list of elevations (numbers separated by "
                                        "commas, or none)");
        elevations.push_back(value);
    }
    return elevations;
}

std::list<std::wstring> parse_names(const std::string& text) {
    std::list<std::wstring> names;
    if (text.empty()) return names;
    for (const std::string& part : split(text, ',')) names.push_back(from_utf8(part));
    return names;
}

AcDbHandle parse_handle(const std::string& text) {
    unsigned long long value = 0;
    if (!read_hex(text, 16, value))
        throw std::invalid_argument("'" + text + "' is not a handle (hexadecimal digits)");
    return AcDbHandle(static_cast<Adesk::UInt64>(value));
}

std::list<std::pair<double, double>> parse_intervals(const std::string& text) {
    std::list<std::pair<double, double>> intervals;
    if (text.empty() || text == "none") return intervals;
    for (const std::string& part : split(text, ',')) {
        const std::vector<std::string> ends = split(part, ':');
        double bottom = 0, top = 0;
        if (ends.size() != 2 || !read_number(ends[0], bottom) || !read_number(ends[1], top))
            throw std::invalid_argument("'" + text +
                                        "' is not a list of intervals (bottom:top pairs "
                                        "separated by commas, or none)");
        intervals.emplace_back(bottom, top);
    }
    return intervals;
}

std::string format_guid(const GUID& guid) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return buffer;
}

std::string format_object_address(const AcDbHandle& handle, const std::wstring& reference) {
    if (handle.isNull()) return "0";
    ACHAR text[AcDbHandle::kStrSiz];
    handle.getIntoAsciiBuffer(text);
    return to_utf8(text) + (reference.empty() ? "" : "@" + to_utf8(reference));
}

}  // namespace korv_tool
