// text.h: the tool's text conventions. The host speaks wide strings and the terminal and
// JSON speak UTF-8; numbers are written the shortest way that round-trips the precision a
// drawing needs, with the rounding noise of transforms (6e-17 for a zero) removed, so that
// output is stable and reads as an engineer would type it.
#pragma once

#include <gepnt3d.h>
#include <gevec3d.h>

#include <string>

namespace korv_tool {

std::string to_utf8(const std::wstring& text);
std::wstring from_utf8(const std::string& text);

// The value rounded to nine decimals (-0 becomes 0).
double clean_number(double value);
// "12", "3.5", "-0.25".
std::string format_number(double value);
// "x,y,z", the form the query arguments take.
std::string format_point(const AcGePoint3d& point);

}  // namespace korv_tool
