// Start-up and version of the common-controls library, which the program
// loads at run time instead of linking to it.
#pragma once

namespace Casement {

// Registers the common-control window classes; run before the first dialog
// or control window is created.
void LoadCommonControls();

// The version of COMCTL32.DLL as major * 100 + minor (580 for 5.80): 0 when
// the library cannot be loaded, 400 when it lacks InitCommonControlsEx, 470
// or 471 when it cannot report its version.
int GetComCtlVersion();

}  // namespace Casement
