// library_call.h: every public query of the library passes through a call point, where a
// test can make that call throw (the host harness's throw_in_library).
#pragma once

#include <host_test/faults.h>

#define KORV_LIBRARY_CALL(name) host_test::library_call_point(name, objectId())
