// text.h: conversions between the host's wide strings and UTF-8, used across the host layer.
#pragma once

#include <string>
#include <string_view>

namespace korv_host {

std::string narrow(const std::wstring& text);
std::wstring widen(std::string_view text);
// As widen, into a string kept for reuse.
void widen_into(std::string_view text, std::wstring& out);
// Case-insensitive comparison of symbol names, as the host's symbol tables compare them.
bool same_name_ignoring_case(const std::wstring& a, const std::wstring& b);
std::wstring upper_case(const std::wstring& text);

}  // namespace korv_host
