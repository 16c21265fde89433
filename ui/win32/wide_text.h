// The Windows API speaks UTF-16; this program's text is 8-bit UTF-8.
#pragma once

#include <string>

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
