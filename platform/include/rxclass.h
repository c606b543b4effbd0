// rxclass.h: AcRxClass lives with AcRxObject in rxobject.h; this header exists so that code
// including it by its SDK name finds it.
#pragma once

#include "rxobject.h"
