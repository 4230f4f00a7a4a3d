// The text a save writes: the view's text in code page 936, with a
// question first when some of its characters would be stored as "?".
#pragma once

#include <optional>

#include "crypto/wipe.h"
#include "framework/richedit.h"

// The view's text as code page 936 bytes with "\r\n" ending each line, as
// every save stores it. When a character does not fit, the user is asked
// first; nothing when the user declines: the first character that does not
// fit is then selected, and the view is left modified so that closing asks
// again.
std::optional<SecretString> TextForSaving(const Casement::CRichEdit& view);
