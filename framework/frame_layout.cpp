#include "framework/frame_layout.h"

#include <algorithm>

namespace Casement {

RECT ViewRectBetweenBars(const RECT& client, int topHeight, int statusHeight) {
    RECT view = client;
    view.top = client.top + std::max(topHeight, 0);
    view.bottom = std::max(view.top, client.bottom - std::max(statusHeight, 0));
    return view;
}

}  // namespace Casement
