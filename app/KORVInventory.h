// KORVInventory.h: the module's exported interface.
//
// Other modules of the product call these functions on the host's main thread to ask a
// drawing structural questions, to list what it holds and to keep its inventories current.
// Inventory functions return false when the inventory they need is not available (no
// current document, no working database, a drawing that cannot be scanned) and otherwise
// true; output containers are appended to unless a function says otherwise. No exception
// ever leaves these functions.
#pragma once

#include <list>
#include <string>
#include <utility>

#include "StdAfx.h"

#ifdef KORVINVENTORY_EXPORTS
#define KORVINVENTORY_API __declspec(dllexport)
#else
#define KORVINVENTORY_API __declspec(dllimport)
#endif

// One inventoried object as the list queries return it: the object, the external
// reference block it was found through (empty for the drawing's own objects), the insert
// of that reference in the drawing (null for the drawing's own objects and for references
// nested in other references), and, from the rectangle queries only, its handle as text.
struct KORVid_and_filename {
    AcDbObjectId id;
    std::wstring file_name;
    AcDbObjectId reference_id;
    ACHAR handle_text[AcDbHandle::kStrSiz] = {};

    KORVid_and_filename() = default;
    KORVid_and_filename(AcDbObjectId object_id, const std::wstring& name, AcDbObjectId reference)
        : id(object_id), file_name(name), reference_id(reference) {}
    KORVid_and_filename(AcDbObjectId object_id, const std::wstring& name, AcDbObjectId reference,
                        const AcDbHandle& handle)
        : id(object_id), file_name(name), reference_id(reference) {
        handle.getIntoAsciiBuffer(handle_text);
    }
};

extern "C" {

// ----- document lifecycle ------------------------------------------------------------------

// True when the host's current document differs from the one seen at the previous call;
// false with no current document.
KORVINVENTORY_API bool KORVcur_document_has_changed();
// Drops every inventory kept for the document, which is about to be destroyed.
KORVINVENTORY_API void KORVinventory_document_to_be_destroyed(AcApDocument* document);

}  // extern "C"
