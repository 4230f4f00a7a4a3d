// The instance check every process start makes first.
#pragma once

// True when another process of this executable file already runs, under
// whatever path or name of the file. The mutex that proves this process the
// first stays open until it ends.
bool IsSecondInstance();
