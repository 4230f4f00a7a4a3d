// The two checks every process start makes before anything else.
#pragma once

// True when another process of this executable's path already runs. The
// mutex that proves this process the first stays open until it ends.
bool IsSecondInstance();

// True when the process must end now: it had too many arguments, or it was
// the temporary image of a save and has written itself back.
bool HandleWriteBack(int argc, char** argv);
