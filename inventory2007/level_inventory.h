// level_inventory.h: the levels of a drawing, searched once and kept.
//
// A drawing's levels are those its own level dictionary holds or, when it defines none,
// those of its resolved external references gathered in block table order. The first search
// that finds levels is kept in a module-wide registry under (current document, the file
// name the database reports), the same drawing key as the member registries; a search that
// finds none keeps nothing, so the next call searches again. Kept lists are handed out as
// copies and never refreshed by themselves: KORVclear_level_inventories empties the whole
// registry, and a document's entries go when it is destroyed.
#pragma once

#include <list>

#include "StdAfx.h"
#include "korvdbx.h"

// Searches the drawing for its levels, appending them to `levels`: its own when it has
// any, otherwise those of every resolved external reference in block table order. True when
// levels were found; false also when the block table cannot be read.
bool find_levels(AcDbDatabase* db, std::list<KORVLevel>& levels);
// Erases the level lists kept under the document; other documents' lists stay.
void drop_level_inventories(AcApDocument* document);
