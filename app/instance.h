// The instance check every process start makes first.
#pragma once

// True when another process of this executable's path already runs. The
// mutex that proves this process the first stays open until it ends.
bool IsSecondInstance();
