// Where the frame's view goes: a pure function of the client area and the
// heights of the bars that are shown, so that it can be checked from a table.
#pragma once

#include <windows.h>

namespace Casement {

// The rectangle between a bar along the top edge (the rebar or the tool bar,
// topHeight high, 0 when none is shown) and the status bar along the bottom
// edge (statusHeight high, 0 when hidden), full width. Where the bars take
// more than the client area, the view is left no height rather than a
// negative one.
RECT ViewRectBetweenBars(const RECT& client, int topHeight, int statusHeight);

}  // namespace Casement
