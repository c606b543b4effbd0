// afxext.h: MFC's extension classes. An extension DLL of this host needs nothing from it
// beyond what afxwin.h declares.
#pragma once

#include "afxwin.h"
