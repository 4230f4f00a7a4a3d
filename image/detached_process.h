// Starting another run of the program that goes on by itself: the
// write-back of a save and the removal of retired program files.
#pragma once

#include <string>

// Starts image with commandLine (which names image first) and leaves it to
// run: nothing waits for it and neither of its handles is kept.
// inheritHandles passes the caller's inheritable handles on. False when it
// could not be started.
bool StartDetached(const std::wstring& image, std::wstring commandLine, bool inheritHandles);
