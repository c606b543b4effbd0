// acutads.h: result buffer allocation. acutNewRb makes one zeroed buffer of a type;
// acutRelRb releases a whole chain, the strings of string-typed buffers included.
#pragma once

#include "adscodes.h"
#include "adsdef.h"

struct resbuf* acutNewRb(int type);
int acutRelRb(struct resbuf* rb);
