// UTF-8 and the UTF-16 of the Windows wide calls (paths, the command line,
// the console).
#pragma once

#include <string>
#include <string_view>

// Throws std::invalid_argument for text that is not valid UTF-8.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
