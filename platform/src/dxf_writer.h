// dxf_writer.h: a whole drawing database as DXF text (AutoCAD 2018 format, the one the
// host's release writes), in a few parts that make the file in order.
//
// What is written: the header ($ACADVER, $HANDSEED), CLASSES (every custom class registered
// now, and the classes of kept unknown entities), TABLES (line types, layers, registered
// applications, block records), BLOCKS (every block definition with its entities, the two
// spaces empty as the host writes them; an insert's attributes follow it, closed by
// SEQEND), ENTITIES (model space, then paper space) and OBJECTS (the named objects
// dictionary as the root, given group and layout entries, the two layouts, then every other
// resident object that is not an entity or a table). Registered side-data filers add
// extended data after an object's own. Every object files
// its own data through dxfOutFields; erased objects are not written. Objects keep their
// handles; the parts of the file the host does not keep as objects (line types, block
// begin/end markers, dictionaries, layouts) get handles above the database's.
#pragma once

#include <dbmain.h>

#include <string>
#include <vector>

#include "dxf_tags.h"

namespace korv_host::dxf {

Acad::ErrorStatus write_database(AcDbDatabase* db, std::vector<std::string>& parts);

}  // namespace korv_host::dxf
