// The About box: the program's title and what it protects a note with, the
// choices named as the table of note choices lists them.
#pragma once

#include <windows.h>

// Shows the About box over owner and gives the focus back afterwards.
void ShowAboutBox(HWND owner);
