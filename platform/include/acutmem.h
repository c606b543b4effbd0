// acutmem.h: strings the host allocates for its callers. A string made by acutNewString (or
// returned by any host call documented as allocating) is released with acutDelString,
// which also nulls the caller's pointer; free() is equivalent on this platform.
#pragma once

#include "AdAChar.h"
#include "acadstrc.h"

// Copies in into a new string: eOk, or eInvalidInput (out null) for a null input.
Acad::ErrorStatus acutNewString(const ACHAR* in, ACHAR*& out);
void acutDelString(wchar_t*& p);
