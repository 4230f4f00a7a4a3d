// Write-back mode: the temporary image of a save replaces the executable it
// was made from once that executable has ended.
#pragma once

// True when the process must end now: it had too many arguments, or it was
// the temporary image of a save and has written itself back (or given up).
bool HandleWriteBack(int argc, char** argv);
