// dxf_reader.h: a DXF file (ASCII; release 12, or AutoCAD 2000 format or later) into an
// empty database.
//
// The reader first splits the file into its sections and objects and checks the structure
// (every section closed, the file ended by EOF, no handle used twice); then it makes every
// object it keeps resident with the handle it had in the file (a fresh one where the file
// has none, as release 12 files may), and only then lets each object read its own data
// through dxfInFields, so that references between objects resolve whatever their order in
// the file.
//
// What is kept: layers, block records with their definitions (base point, external
// reference path), the entities of every block and of both spaces, and every object of a
// class some loaded application registered. An entity of a class nobody registered is
// kept as an AcDbProxyEntity (written back unchanged); other objects the host does not
// model (line types, dictionaries, layouts, styles) are passed over, their handles known
// so that references to them read as the null id. An entity on a layer the layer table
// lacks gets that layer made. The attributes that follow an insert become its own; the
// vertices that follow an unknown entity stay part of its kept data. The root dictionary
// becomes the named objects dictionary, without the layout and group entries the host
// rebuilds at each save. Extended data of an application that registered a side-data
// filer (host_test/side_data.h) goes to that filer; other extended data is dropped.
//
// Tolerance: the reader is as tolerant as the host where the host is tolerant, and each
// repair is listed (host_test/read_repairs.h) with the tag's line, the object's handle and
// the group. A reference that is not a handle, empty, or names a handle the file lacks
// reads as the null id; an entity whose owner is no block goes to its space; common entity
// groups before "100 AcDbEntity" are moved behind it; a stray ENDSEC inside the header is
// read past. Without a version before release 13, subclass markers are optional. Sections
// the host does not keep are skipped whole; degenerate geometry (zero scale or radius) is
// kept. Each repair is decided on one object's tags (or one header tag), so a reader that
// streams the file can make the same repairs in the same order.
//
// Failures: eBadDxfSequence for what is not DXF (bad group codes, values of the wrong
// type in data groups, a missing or misplaced subclass in a file that has markers, an own
// handle that is no handle), eDwgNeedsRecovery for a damaged structure (cut off, an
// unclosed section or block, a handle used twice, an insert of a block the file does not
// define), eOutOfMemory for a file of four billion lines or more. On failure the database is left
// as the reader found it only in part: the caller clears it.
#pragma once

#include <dbmain.h>
#include <host_test/read_repairs.h>

#include <functional>
#include <string_view>
#include <vector>

namespace korv_host::dxf {

// Told that the reader is done, for now, with the text in [from, to): a mapped file may
// let those pages go. The reader may come back to them.
using LetGo = std::function<void(size_t from, size_t to)>;

// Repairs made on the way are listed in file order (emptied when the read fails).
Acad::ErrorStatus read_database(AcDbDatabase* db, std::string_view text,
                                std::vector<host_test::ReadRepair>& repairs,
                                const LetGo& let_go = {});

}  // namespace korv_host::dxf
