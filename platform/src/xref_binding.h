// xref_binding.h: external references: binding a loaded drawing to the host drawing's
// record, mirroring the references it holds itself, and loading them all after a read.
//
// A bound reference's database belongs to the host database (DatabaseImpl::xref_databases);
// its xrefBlockId() is the referencing record and its file names are the file it was
// loaded from. A drawing that references others shows them in the host's block table as
// records of their own (same names), bound to the same databases, whose block references
// are the ones inside the parent reference's drawing.
#pragma once

#include <dbsymtb.h>

#include <memory>
#include <string>

namespace korv_host {

void bind_xref(AcDbDatabase* host, AcDbObjectId record_id, std::unique_ptr<AcDbDatabase> referenced,
               const std::wstring& file_name);
// Gives the record a status with no database (unloaded, unresolved, file not found).
void set_xref_status(AcDbObjectId record_id, AcDb::XrefStatus status);
void mirror_nested_references(AcDbDatabase* host, AcDbDatabase* referenced);

// Loads every external reference of a drawing just read from host_file: each path is
// looked for as saved (relative paths from the drawing's folder), then by its file name in
// the drawing's folder. A missing file leaves the record kXrfFileNotFound; a file that
// does not read (or that would reference itself, directly or not) kXrfUnresolved.
void load_xrefs(AcDbDatabase* host, const std::wstring& host_file);

}  // namespace korv_host
