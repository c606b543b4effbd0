// text.h: the tool's text conventions. The host speaks wide strings and the terminal and
// JSON speak UTF-8; numbers are written the shortest way that round-trips the precision a
// drawing needs, with the rounding noise of transforms (6e-17 for a zero) removed, so that
// output is stable and reads as an engineer would type it.
#pragma once

#include <gepnt3d.h>
#include <gevec3d.h>

#include <string>
#include <vector>

namespace korv_tool {

// A code point that UTF-8 cannot carry (a surrogate, or beyond U+10FFFF, as a drawing's
// malformed text may give) becomes U+FFFD.
std::string to_utf8(const std::wstring& text);
std::wstring from_utf8(const std::string& text);
// The text with every malformed UTF-8 sequence replaced by U+FFFD, so that it can be
// written to a terminal or a JSON document.
std::string valid_utf8(const std::string& text);
// The characters the text shows on a terminal: its code points, not its bytes.
size_t display_width(const std::string& text);

// The value rounded to nine decimals (-0 becomes 0); a value too large to carry decimals
// (1e308) as it is.
double clean_number(double value);
// "12", "3.5", "-0.25".
std::string format_number(double value);
// "x,y,z", the form the query arguments take.
std::string format_point(const AcGePoint3d& point);

// The name of names closest to word when it is a few edits away (a typing slip), else empty.
std::string nearest_name(const std::string& word, const std::vector<std::string>& names);
// "unknown command reprot (did you mean report?); the commands are: report, query": what
// names the sort of name, its plural is what + "s".
std::string unknown_name_message(const std::string& what, const std::string& word,
                                 const std::vector<std::string>& names);
// The words separated by spaces.
std::string joined(const std::vector<std::string>& words, const std::string& separator = " ");

}  // namespace korv_tool
