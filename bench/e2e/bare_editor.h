// What the benchmark and the bare editor window agree on: the ways the
// window fills its view, named as the messages they send.
#pragma once

constexpr char kSetText[] = "WM_SETTEXT";
constexpr char kSetTextEx[] = "EM_SETTEXTEX";
constexpr char kStreamIn[] = "EM_STREAMIN";
// The stream in UTF-16, converted by the window beforehand, as the editor's
// own fill streams it.
constexpr char kStreamInUnicode[] = "EM_STREAMIN-UTF-16";
constexpr const char* kFillWays[] = {kSetText, kSetTextEx, kStreamIn, kStreamInUnicode};
