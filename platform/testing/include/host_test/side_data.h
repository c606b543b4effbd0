// side_data.h: data a library keeps beside an object rather than in it, filed with the
// object all the same.
//
// The library stand-in keeps some per-object values in its own tables (the clip of an
// insert). So that they survive saving and reading a drawing, the library registers a
// SideDataFiler under an application name: when an object is written, `write` may add
// extended-data items (group codes 1000-1071) for it, which the host files after the
// object's own data under that application name (and registers the name in the drawing's
// APPID table); when the object is read back and resident, `read` gets those items. An
// object without side data writes nothing.
#pragma once

#include <dbfiler.h>

#include <functional>
#include <string>

namespace host_test {

struct SideDataFiler {
    std::wstring app_name;
    std::function<Acad::ErrorStatus(const AcDbObject& object, AcDbDxfFiler& filer)> write;
    std::function<Acad::ErrorStatus(AcDbObject& object, AcDbDxfFiler& filer)> read;
};

// Registers (or replaces) the filer of that application name.
void register_side_data(const SideDataFiler& filer);
void unregister_side_data(const std::wstring& app_name);

}  // namespace host_test
