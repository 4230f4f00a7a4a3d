// The record a window's data exchange works on.
#pragma once

#include <windows.h>

#include <optional>

#include "framework/cexception.h"

namespace Casement {

struct CDataExchange {
    // TRUE copies from the controls into the object, FALSE the other way.
    BOOL retrieve = FALSE;
    // The window the exchange runs for.
    HWND window = nullptr;
    // A control the exchange names gets the focus, with its whole text
    // selected, once the exchange has succeeded.
    HWND focusControl = nullptr;
    // The failure an exchange routine raised, when it failed.
    std::optional<CUserException> failure;
};

}  // namespace Casement
