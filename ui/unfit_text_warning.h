// The text a save writes: the view's text in the encoding it is stored in,
// with a question first when some of its characters would be stored as "?".
#pragma once

#include <optional>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "framework/richedit.h"

// The view's text in encoding with "\r\n" ending each line, as every save
// stores it. When a character does not fit, the user is asked
// first; nothing when the user declines: the first character that does not
// fit is then selected, and the view is left modified so that closing asks
// again.
std::optional<SecretString> TextForSaving(const Casement::CRichEdit& view, TextEncoding encoding);
