#include "app/instance.h"

#include "image/file_instance.h"
#include "image/paths.h"

bool IsSecondInstance() { return !HoldFileInstance(OwnImagePath()); }
