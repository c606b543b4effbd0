// acui.h: the host's MFC user-interface extension library. A module that shows or hosts any
// of its dialogs or controls initialises it once, from DllMain on process attach; here the
// call is only recorded.
#pragma once

void InitAcUiDLL();
