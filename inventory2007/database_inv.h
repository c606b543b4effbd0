// database_inv.h: small services on drawing databases: reading a drawing read-only even
// when the host refuses to open the file directly, opening block records by name, and
// translating between block names and ids. They keep no state and touch no inventory.
#pragma once

#include <string>

#include "StdAfx.h"

// The block table record of that name in the database (the working database when null),
// opened in the mode; null when there is no such record or it does not open. The caller
// closes it.
AcDbBlockTableRecord* open_block_record(const wchar_t* name, AcDbDatabase* database,
                                        AcDb::OpenMode mode);
AcDbBlockTableRecord* open_model_space(AcDbDatabase* database, AcDb::OpenMode mode);
// The id of the block record of that name (the working database when null); null if none.
AcDbObjectId get_block_record_id(const wchar_t* name, AcDbDatabase* database);
// The name of the block record; empty when it cannot be read.
std::wstring get_block_name(AcDbObjectId id);
