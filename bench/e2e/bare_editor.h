// What the benchmark and the bare editor window agree on: the ways the
// window fills its view, named as the messages they send.
#pragma once

constexpr char kSetText[] = "WM_SETTEXT";
constexpr char kSetTextEx[] = "EM_SETTEXTEX";
constexpr char kStreamIn[] = "EM_STREAMIN";
constexpr const char* kFillWays[] = {kSetText, kSetTextEx, kStreamIn};
