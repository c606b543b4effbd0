// AdAChar.h: the host's character type. ACHAR is wchar_t (16-bit on Windows, 32-bit here);
// ACRX_T turns a narrow literal into a wide one.
#pragma once

typedef wchar_t ACHAR;

#define ACRX_T_HELPER(x) L##x
#define ACRX_T(x) ACRX_T_HELPER(x)
