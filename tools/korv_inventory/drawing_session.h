// drawing_session.h: a drawing file opened as the host's current document.
//
// The host reads the file into a new database, resolving the external references it
// attaches (relative to the drawing's folder, nested ones too), and the session makes that
// database a document, the current document and the working database: the state in which
// another module of the product would call KORVInventory. Object addresses typed by the
// user (a handle, or a handle in a reference's drawing) are resolved here.
//
// One session at a time; destroying it destroys the document and its database and leaves
// the host with no current document and no working database.
#pragma once

#include <acdocman.h>
#include <dbmain.h>

#include <string>
#include <vector>

#include "arguments.h"

namespace korv_tool {

// One external reference of the drawing as the host's block table shows it.
struct ReferenceSummary {
    std::wstring name;       // the block name, which results report as file_name
    std::wstring path;       // as the drawing stores it
    std::string status;      // "resolved", "unloaded", "unresolved", "file not found", ...
    int insert_count = 0;    // block references inserting it
    std::wstring nested_in;  // the reference whose drawing inserts it; empty at top level
};

class DrawingSession {
public:
    // Reads the drawing. Throws ToolError: kFile when path names no regular file, kDrawing
    // (with the host's status name) when the host cannot read it.
    explicit DrawingSession(const std::string& path);
    ~DrawingSession();
    DrawingSession(const DrawingSession&) = delete;
    DrawingSession& operator=(const DrawingSession&) = delete;

    AcApDocument* document() const { return document_; }
    AcDbDatabase* database() const { return document_->database(); }
    // The absolute file name the drawing was opened under: its name in the host.
    const std::wstring& file_name() const { return file_name_; }

    // The id of the object at the address; the null id for the null handle. Throws
    // std::invalid_argument naming what was not found.
    AcDbObjectId resolve(const ObjectAddress& address) const;
    std::vector<ReferenceSummary> references() const;

private:
    AcDbDatabase* reference_database(const std::wstring& name) const;
    AcApDocument* document_ = nullptr;
    std::wstring file_name_;
};

// The external reference name of the drawing that holds the object ("CORE"); empty for an
// object of a drawing that is not a reference.
std::wstring reference_name_of(AcDbObjectId id);

}  // namespace korv_tool
