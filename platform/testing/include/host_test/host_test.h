// host_test.h: the levers a host never offers, for tests and tools.
//
// The ledger counts what is open right now (objects, iterators) and keeps the misuses the
// host layer refused (closing what is not open, deleting a resident object); a fixture
// checks both after every call. Documents are made and made current here, the working
// database is set independently of them, and reset_host() returns the process to a host
// with no documents, no faults and empty recorders.
#pragma once

#include <acdocman.h>
#include <dbapserv.h>
#include <dbmain.h>
#include <host_test/faults.h>
#include <host_test/recorders.h>

#include <memory>
#include <string>
#include <vector>

namespace host_test {

// ----- ledger ------------------------------------------------------------------------------
long open_object_count();
long live_iterator_count();
// "AcDbBlockTableRecord 1F (read x1)" for each object open now, across live databases.
std::vector<std::string> open_object_descriptions();
std::vector<std::string> host_violations();
void clear_host_violations();

// ----- documents ---------------------------------------------------------------------------
// A new document over the database, which the document then owns; its database's file
// name and original file name become file_name (as after opening that file).
AcApDocument* add_document(std::unique_ptr<AcDbDatabase> database, const std::wstring& file_name);
void set_current_document(AcApDocument* document);
void set_working_database(AcDbDatabase* database);
// Destroys the document and its database; the current document becomes null if it was it.
void destroy_document(AcApDocument* document);

// ----- database identity --------------------------------------------------------------------
// What reading or saving would set: getFilename() and originalFileName().
void set_file_name(AcDbDatabase* database, const std::wstring& file_name);
void set_original_file_name(AcDbDatabase* database, const std::wstring& file_name);

// Destroys every document, clears faults, recorders, violations and the ledger's counts,
// and leaves no working database.
void reset_host();

}  // namespace host_test
