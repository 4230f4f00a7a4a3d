// The question before a save writes the view's text in code page 936, when
// some of its characters would be stored as "?".
#pragma once

#include "framework/richedit.h"

// True when every character of the view fits code page 936, or when the user
// chooses to save anyway. False when nothing is to be written: the first
// character that does not fit is then selected, and the view is left
// modified so that closing asks again.
bool ConfirmCodePage936Save(const Casement::CRichEdit& view);
