// StdAfx.h: the module's one view of its platform: MFC, the Windows pieces it calls and the
// host SDK, pulled in once for every source file.
#pragma once

#include <afxwin.h>
#include <afxext.h>
#include <crtdbg.h>

#include "AcExtensionModule.h"
#include "acui.h"
#include "arxHeaders.h"
