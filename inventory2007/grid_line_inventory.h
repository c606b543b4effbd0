// grid_line_inventory.h: the grid lines of a drawing, grouped by kind.
//
// A Grid_line_inventory lists the ids of the grid lines of one drawing, found in its model
// space and then in the blocks of its resolved external references (block table order),
// split into linear lines (master and trimmed master grid lines) and radial lines (radial
// and circle grid lines). It keeps ids only: the grid system names are read from the lines
// each time they are asked for, so a renamed line is seen at once, while a line drawn
// after the build is seen only after a rebuild.
//
// Inventories live in the grid registry, keyed like the member inventories by (current
// document, drawing name), from their first successful build until their document is
// destroyed; the registry owns them.
#pragma once

#include <list>
#include <string>

#include "KORVInventory.h"
#include "StdAfx.h"

class Grid_line_inventory {
public:
    std::list<AcDbObjectId>& linear_lines() { return m_linear_lines; }
    std::list<AcDbObjectId>& radial_lines() { return m_radial_lines; }

private:
    std::list<AcDbObjectId> m_linear_lines;
    std::list<AcDbObjectId> m_radial_lines;
};

// The inventory of the drawing (db null: the working database; drawing_name empty: the
// database's own name), built and stored on first use. Null when there is no database or
// no current document, when a database of no document and no external reference comes
// without a drawing name, or when the build fails (nothing is stored then).
Grid_line_inventory* get_grid_line_inventory(AcDbDatabase* db, const std::wstring& drawing_name);
// Empties both lists and fills them from db's model space and resolved external references.
// False when model space or the block table cannot be read, or when a reference is not
// resolved and no resolved one holds a grid line.
bool build_grid_line_inventory(Grid_line_inventory& inventory, AcDbDatabase* db);
// Erases every inventory kept under the document.
void drop_grid_line_inventories(AcApDocument* document);
