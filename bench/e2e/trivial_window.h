// What the benchmark and its reference program agree on.
#pragma once

// The window class of the reference program, by which the benchmark finds
// its window.
constexpr wchar_t kTrivialWindowClass[] = L"ScribecryptBenchTrivialWindow";
