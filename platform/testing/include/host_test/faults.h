// faults.h: failures on demand, for driving every failure path of a caller.
//
// Three styles, after the fakes we trust:
//  - a flag on one operation: "the next (or n-th) newIterator fails";
//  - a count-down over all host operations: "the first N succeed, the next fails", so a
//    test looping N = 0, 1, 2, ... over one call reaches every failure path it has;
//  - named points: "opening this object fails", "getFilename of this database fails".
// Each armed fault fires once and is then spent. The library stand-in has its own call
// points: throw_in_library makes a named library call raise an exception.
#pragma once

#include <acadstrc.h>
#include <dbid.h>

#include <string>

namespace host_test {

enum class HostOp {
    OpenObject,         // acdbOpenObject and everything that opens by id or name
    GetBlockTable,      // AcDbDatabase::getBlockTable / getSymbolTable(AcDbBlockTable*&)
    GetLayerTable,      // AcDbDatabase::getLayerTable / getSymbolTable(AcDbLayerTable*&)
    NewTableIterator,   // AcDbSymbolTable::newIterator and its typed forms
    NewEntityIterator,  // AcDbBlockTableRecord::newIterator
    GetFilename,        // AcDbDatabase::getFilename
    GetBlockReferenceIds,
    AppendEntity,  // AcDbBlockTableRecord::appendAcDbEntity
    AddObject,     // AcDbDatabase::addAcDbObject, symbol table add
    ReadDwgFile,
    SaveAs,
    GetVar,           // acedGetVar (status is an RT code)
    GetAdsName,       // acdbGetAdsName
    GetTempPath,      // GetTempPathW (status: the value returned, 0)
    GetTempFileName,  // GetTempFileNameW
    CopyFile,         // CopyFileW
    EntUpd,           // acdbEntUpd (status is an RT code)
};
const char* host_op_name(HostOp op);

// The nth next use of op (1 = the very next) fails with status.
void fail_nth(HostOp op, int nth, int status);
inline void fail_next(HostOp op, int status) {
    fail_nth(op, 1, status);
}
// Named point: the nth use of op on that subject fails. The subject is the object's id
// for OpenObject, the database for database operations, the record for iterators.
void fail_at(HostOp op, const void* subject, int status, int nth = 1);
inline void fail_open_of(AcDbObjectId id, Acad::ErrorStatus status, int nth = 1) {
    fail_at(HostOp::OpenObject, static_cast<AcDbStub*>(id), status, nth);
}
// Count-down: the first `successes` host operations succeed, the next one fails with
// status (an operation that answers in RT codes answers RTERROR instead).
void fail_after(long successes, Acad::ErrorStatus status);
void clear_faults();
// How many host operations were made since the last clear; a count-down loop stops once
// a run makes fewer operations than its N.
long host_operation_count();
int armed_fault_count();

// The nth next call named `call` of the library stand-in (on that member, when one is
// given) throws std::runtime_error.
void throw_in_library(const std::string& call, int nth = 1, AcDbObjectId subject = {});
// Count-down over the library's call points: the first `calls` pass, the next one throws
// std::runtime_error, whichever call it is.
void throw_in_library_after(long calls);
// Called by the library stand-in at each call point; throws when armed for it.
void library_call_point(const char* call, AcDbObjectId subject);

}  // namespace host_test
