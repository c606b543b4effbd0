// module_fixture.h: the fixture of the module's tests: a clean host and a clean module per
// test (every document's inventories dropped when the test's documents go), plus helpers
// that render results as short canonical strings.
#pragma once

#include <host_test/drawing_builder.h>
#include <host_test/structure_builder.h>

#include <list>
#include <memory>
#include <string>

#include "KORVInventory.h"
#include "host_fixture.h"

class ModuleTest : public HostTest {
protected:
    void TearDown() override {
        for (AcApDocument* document : documents_) KORVinventory_document_to_be_destroyed(document);
        documents_.clear();
        HostTest::TearDown();
    }

    // A new document over a new drawing named file_name, made current and working.
    AcApDocument* open_document(const std::wstring& file_name) {
        AcApDocument* document = host_test::add_document(host_test::new_drawing(), file_name);
        documents_.push_back(document);
        host_test::set_current_document(document);
        host_test::set_working_database(document->database());
        return document;
    }

    // The name of the member (or "?" when it does not open).
    static std::string name_of(AcDbObjectId id);
    // "C1 C2@CORE" for a list of results: each member's name, "@" and the file name when
    // it came through a reference.
    static std::string names(const std::list<KORVid_and_filename>& results);
    static std::string names(const std::list<AcDbObjectId>& ids);

private:
    std::vector<AcApDocument*> documents_;
};

inline std::string ModuleTest::name_of(AcDbObjectId id) {
    AcDbObjectPointer<KORVLinear_structural_member> member(id, AcDb::kForRead);
    if (member.openStatus() != Acad::eOk) return "?";
    std::wstring name = member->get_full_member_name(false);
    return std::string(name.begin(), name.end());
}

inline std::string ModuleTest::names(const std::list<KORVid_and_filename>& results) {
    std::string text;
    for (const auto& result : results) {
        if (!text.empty()) text += ' ';
        text += name_of(result.id);
        if (!result.file_name.empty()) {
            text += "@" + std::string(result.file_name.begin(), result.file_name.end());
        }
    }
    return text;
}

inline std::string ModuleTest::names(const std::list<AcDbObjectId>& ids) {
    std::string text;
    for (const auto& id : ids) {
        if (!text.empty()) text += ' ';
        text += name_of(id);
    }
    return text;
}
