// arguments.h: the text forms of the values the module's functions take, as an engineer
// types them on the command line. Each parser accepts exactly one form and throws
// std::invalid_argument with a reason that names the expected form; the caller adds which
// argument it was.
//
//   point, vector   x,y,z              "6,0,4"  (three numbers, no spaces)
//   flag            true | false       also 1 | 0
//   number          a decimal number   "3.5", "-1e3"
//   integer         a whole number     "-1"
//   object          HANDLE[@XREF]      "1F" in the drawing, "2A@CORE" in its reference CORE;
//                                      "0" or "null" for the null id
//   guid            8-4-4-4-12 hex     "3F2504E0-4F89-11D3-9A0C-0305E82C3301", braces allowed
//   elevations      n[,n...]           "4,8,12"; "" or "none" for an empty list
//   names           name[,name...]     "A,B"; "" for an empty list; names are taken exactly as
//                                      typed (case and spaces kept), "A,,B" holds an empty name
//   handle          hexadecimal        "1F", a handle as it is, looked up by the module
//   intervals       b:t[,b:t...]       "3.9:4.1,7.9:8.1" (bottom:top); "" or "none" for none
#pragma once

#include <dbhandle.h>
#include <gepnt3d.h>
#include <gevec3d.h>
#include <guiddef.h>

#include <list>
#include <string>
#include <utility>

namespace korv_tool {

// Where an object lives: its handle, and the external reference whose drawing holds it
// (empty for the opened drawing itself). A null handle stands for the null id.
struct ObjectAddress {
    AcDbHandle handle;
    std::wstring reference;
};

AcGePoint3d parse_point(const std::string& text);
AcGeVector3d parse_vector(const std::string& text);
bool parse_flag(const std::string& text);
double parse_number(const std::string& text);
int parse_integer(const std::string& text);
ObjectAddress parse_object_address(const std::string& text);
GUID parse_guid(const std::string& text);
std::list<double> parse_elevations(const std::string& text);
std::list<std::wstring> parse_names(const std::string& text);
AcDbHandle parse_handle(const std::string& text);
std::list<std::pair<double, double>> parse_intervals(const std::string& text);

// Upper-case 8-4-4-4-12, the form parse_guid reads.
std::string format_guid(const GUID& guid);
// "1F" or "1F@CORE", the form parse_object_address reads; "0" for the null handle.
std::string format_object_address(const AcDbHandle& handle, const std::wstring& reference);

}  // namespace korv_tool
