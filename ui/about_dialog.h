// The About box: the program's title, what it protects a note with (the
// choices named as the table of note choices lists them) and the program's
// identity, short and in full on request, to compare with a published one.
#pragma once

#include <windows.h>

// Shows the About box over owner and gives the focus back afterwards.
void ShowAboutBox(HWND owner);
