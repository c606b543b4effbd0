// StdAfx.h: the library's view of the host SDK, as in every ObjectDBX project.
#pragma once

#include <crtdbg.h>
#include <windows.h>

#include "arxHeaders.h"
