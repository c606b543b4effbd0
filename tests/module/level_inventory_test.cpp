// The level inventory: a drawing's own levels or else its resolved references', kept per
// (current document, file name) once found, replaced into the caller's list, forgotten on
// request and with the document; every failure leaves the caller's list and the registry as
// they were.
#include <functional>
#include <set>

#include "level_inventory.h"
#include "module_fixture.h"

using host_test::DrawingBuilder;
using host_test::HostOp;

namespace {

// "L1@0 L2@4": each level's name and elevation.
std::string level_text(const std::list<KORVLevel>& levels) {
    std::string text;
    for (const KORVLevel& level : levels) {
        if (!text.empty()) text += ' ';
        char elevation[32];
        std::snprintf(elevation, sizeof elevation, "%g", level.get_elevation());
        text += std::string(level.get_name().begin(), level.get_name().end()) + "@" + elevation;
    }
    return text;
}

// A referenced drawing holding the levels (none when empty).
std::unique_ptr<AcDbDatabase> drawing_with_levels(const std::list<std::wstring>& names) {
    auto drawing = host_test::new_drawing();
    DrawingBuilder builder(drawing.get());
    double elevation = 0.0;
    for (const std::wstring& name : names) host_test::add_level(builder, name, elevation++);
    return drawing;
}

}  // namespace

class LevelTest : public ModuleTest {
protected:
    void TearDown() override {
        KORVclear_level_inventories();
        ModuleTest::TearDown();
    }

    // The levels KORVget_levels gives, "(false)" when it fails, after a list of "old".
    static std::string levels_of(AcDbDatabase* db) {
        std::list<KORVLevel> levels = {KORVLevel(L"old", -1)};
        const bool found = KORVget_levels(db, levels);
        expect_host_clean();
        if (!found) {
            EXPECT_EQ(level_text(levels), "old@-1") << "untouched on failure";
        }
        return found ? level_text(levels) : "(false)";
    }
    // Whether the call searched the drawing rather than answering from the registry: a
    // search would meet a library failure armed for it (and so keep nothing).
    static bool searches(AcDbDatabase* db) {
        EXPECT_EQ(host_test::assertion_summary(), "");
        host_test::throw_in_library("find_levels_in_dictionary");
        std::list<KORVLevel> levels;
        KORVget_levels(db, levels);
        const bool searched = host_test::armed_fault_count() == 0;
        EXPECT_EQ(host_test::assertion_summary(), searched ? "false@level_inventory" : "");
        host_test::clear_faults();
        host_test::clear_assertion_reports();
        return searched;
    }

    // Main drawing without levels of its own, referencing in block table order: A (resolved,
    // levels A1 A2), U (unloaded), N (unresolved), S (not found), E (resolved, no levels),
    // B (resolved, level B1).
    AcDbDatabase* open_drawing_with_references(const std::wstring& file_name) {
        AcDbDatabase* db = open_document(file_name)->database();
        DrawingBuilder main(db);
        main.attach_xref(L"A", L"a.dwg", drawing_with_levels({L"A1", L"A2"}));
        main.attach_xref(L"U", L"u.dwg", drawing_with_levels({L"U1"}), AcDb::kXrfUnloaded);
        main.attach_xref(L"N", L"n.dwg", nullptr, AcDb::kXrfUnresolved);
        main.attach_xref(L"S", L"s.dwg", nullptr, AcDb::kXrfFileNotFound);
        main.attach_xref(L"E", L"e.dwg", drawing_with_levels({}));
        main.attach_xref(L"B", L"b.dwg", drawing_with_levels({L"B1"}));
        return db;
    }
};

TEST_F(LevelTest, OwnLevelsAloneOrElseEveryResolvedReferencesInBlockTableOrder) {
    AcDbDatabase* db = open_drawing_with_references(L"C:/proj/main.dwg");
    EXPECT_EQ(levels_of(db), "A1@0 A2@1 B1@0");

    AcDbDatabase* own = open_document(L"C:/proj/own.dwg")->database();
    DrawingBuilder builder(own);
    builder.attach_xref(L"A", L"a.dwg", drawing_with_levels({L"A1"}));
    host_test::add_level(builder, L"Ground", 0.0);
    host_test::add_level(builder, L"First", 3.5);
    EXPECT_EQ(levels_of(nullptr), "Ground@0 First@3.5");  // the working database

    // Unresolved references alone: nothing found, nothing kept, searched again each time.
    AcDbDatabase* unresolved = open_document(L"C:/proj/unresolved.dwg")->database();
    DrawingBuilder unresolved_builder(unresolved);
    unresolved_builder.attach_xref(L"N", L"n.dwg", nullptr, AcDb::kXrfUnresolved);
    unresolved_builder.attach_xref(L"U", L"u.dwg", drawing_with_levels({L"U1"}),
                                   AcDb::kXrfUnloaded);
    EXPECT_EQ(levels_of(unresolved), "(false)");
    EXPECT_TRUE(searches(unresolved));
    EXPECT_EQ(host_test::assertion_summary(), "");
}

// The key is (current document, the file name the database reports): a second database
// reporting the same file name is answered from the first one's entry; the name it was
// loaded from plays no part, nor does the database's own document.
TEST_F(LevelTest, KeptUnderTheCurrentDocumentAndTheReportedFileNameUntilCleared) {
    AcApDocument* first = open_document(L"C:/proj/a.dwg");
    DrawingBuilder builder(first->database());
    host_test::add_level(builder, L"L1", 0.0);
    EXPECT_EQ(levels_of(first->database()), "L1@0");
    host_test::add_level(builder, L"L2", 4.0);
    EXPECT_FALSE(searches(first->database()));
    EXPECT_EQ(levels_of(first->database()), "L1@0");

    auto same_name = drawing_with_levels({L"X1"});
    host_test::set_file_name(same_name.get(), L"C:/proj/a.dwg");
    host_test::set_original_file_name(same_name.get(), L"C:/proj/x.dwg");
    EXPECT_EQ(levels_of(same_name.get()), "L1@0");
    auto other_name = drawing_with_levels({L"Y1"});
    host_test::set_file_name(other_name.get(), L"C:/proj/y.dwg");
    host_test::set_original_file_name(other_name.get(), L"C:/proj/a.dwg");
    EXPECT_EQ(levels_of(other_name.get()), "Y1@0");

    // With another document current the same database is searched and kept again.
    open_document(L"C:/proj/b.dwg");
    EXPECT_TRUE(searches(first->database()));
    EXPECT_EQ(levels_of(first->database()), "L1@0 L2@4");

    // Clearing forgets every document's entries.
    KORVclear_level_inventories();
    host_test::add_level(builder, L"L3", 8.0);
    EXPECT_EQ(levels_of(first->database()), "L1@0 L2@4 L3@8");
    host_test::set_current_document(first);
    EXPECT_EQ(levels_of(first->database()), "L1@0 L2@4 L3@8");
    EXPECT_EQ(host_test::assertion_summary(), "");
}

TEST_F(LevelTest, DroppingADocumentForgetsOnlyItsEntries) {
    AcApDocument* first = open_document(L"C:/proj/a.dwg");
    DrawingBuilder builder(first->database());
    host_test::add_level(builder, L"L1", 0.0);
    EXPECT_EQ(levels_of(first->database()), "L1@0");
    open_document(L"C:/proj/b.dwg");
    EXPECT_EQ(levels_of(first->database()), "L1@0");
    host_test::add_level(builder, L"L2", 4.0);

    KORVinventory_document_to_be_destroyed(first);
    EXPECT_FALSE(searches(first->database()));  // still kept under the second document
    EXPECT_EQ(levels_of(first->database()), "L1@0");
    host_test::set_current_document(first);
    EXPECT_EQ(levels_of(first->database()), "L1@0 L2@4");
}

namespace {

struct LevelFaultRow {
    const char* name;
    std::function<void(AcDbDatabase* main)> arm;
    const char* assertions;
    const char* levels;  // what the call gives; "(false)": it fails
};

const LevelFaultRow kLevelFaultRows[] = {
    {"NoWorkingDatabase", [](AcDbDatabase*) { host_test::set_working_database(nullptr); },
     "db@level_inventory", "(false)"},
    {"NoCurrentDocument", [](AcDbDatabase*) { host_test::set_current_document(nullptr); }, "",
     "(false)"},
    {"FileNameFails",
     [](AcDbDatabase*) { host_test::fail_next(HostOp::GetFilename, Acad::eNotApplicable); }, "",
     "(false)"},
    {"NoFileName", [](AcDbDatabase* main) { host_test::set_file_name(main, L""); }, "", "(false)"},
    {"BlockTableDoesNotOpen",
     [](AcDbDatabase*) { host_test::fail_next(HostOp::GetBlockTable, Acad::eFileAccessErr); }, "",
     "(false)"},
    {"BlockTableIteratorFails",
     [](AcDbDatabase*) { host_test::fail_next(HostOp::NewTableIterator, Acad::eOutOfMemory); }, "",
     "(false)"},
    {"OwnDictionaryThrows",
     [](AcDbDatabase* main) {
         host_test::throw_in_library("find_levels_in_dictionary", 1,
                                     main->namedObjectsDictionaryId());
     },
     "false@level_inventory", "(false)"},
    // The third search of a dictionary: the second resolved reference's.
    {"ReferenceDictionaryThrows",
     [](AcDbDatabase*) { host_test::throw_in_library("find_levels_in_dictionary", 3); },
     "false@level_inventory", "(false)"},
    {"ReferenceRecordDoesNotOpen",
     [](AcDbDatabase* main) {
         AcDbObjectId record = DrawingBuilder(main).block_id(L"A");
         host_test::fail_open_of(record, Acad::eWasOpenForWrite);
     },
     "", "B1@0"},
};

}  // namespace

class LevelFaultTest : public LevelTest, public ::testing::WithParamInterface<LevelFaultRow> {};

TEST_P(LevelFaultTest, GivesItsResultKeepsNothingAndReportsExactlyItsChecks) {
    const LevelFaultRow& row = GetParam();
    AcDbDatabase* db = open_drawing_with_references(L"C:/proj/main.dwg");
    AcApDocument* document = acDocManagerPtr()->curDocument();
    row.arm(db);
    EXPECT_EQ(levels_of(nullptr), row.levels);
    EXPECT_EQ(host_test::armed_fault_count(), 0) << "the fault was never reached";
    EXPECT_EQ(host_test::assertion_summary(), row.assertions);

    // A failure kept nothing: once the host is whole the drawing is searched again.
    host_test::clear_faults();
    host_test::clear_assertion_reports();
    host_test::set_current_document(document);
    host_test::set_working_database(db);
    host_test::set_file_name(db, L"C:/proj/main.dwg");
    EXPECT_EQ(searches(db), std::string(row.levels) == "(false)");
}

INSTANTIATE_TEST_SUITE_P(EveryFailureRow, LevelFaultTest, ::testing::ValuesIn(kLevelFaultRows),
                         [](const ::testing::TestParamInfo<LevelFaultRow>& row) {
                             return std::string(row.param.name);
                         });

// Every host operation of a search, failing in turn: the call gives the whole list, the
// levels of the references that could be read, or false; it closes everything and reports
// nothing.
TEST_F(LevelTest, EveryHostFailureEndsInTheLevelsSomeOfThemOrFalse) {
    const std::set<std::string> possible = {"(false)", "A1@0 A2@1", "B1@0", "A1@0 A2@1 B1@0"};
    std::set<std::string> results;
    for (long n = 0; n < 1000; ++n) {
        SCOPED_TRACE("host operations allowed: " + std::to_string(n));
        AcDbDatabase* db =
            open_drawing_with_references(L"C:/proj/run" + std::to_wstring(n) + L".dwg");
        host_test::clear_faults();
        host_test::fail_after(n, Acad::eWasOpenForWrite);
        const std::string levels = levels_of(db);
        const bool reached = host_test::host_operation_count() > n;
        host_test::clear_faults();
        EXPECT_EQ(host_test::assertion_summary(), "");
        EXPECT_EQ(possible.count(levels), 1u) << levels;
        results.insert(levels);
        if (!reached) {
            EXPECT_EQ(levels, "A1@0 A2@1 B1@0");
            EXPECT_EQ(results.count("(false)"), 1u);
            EXPECT_GE(results.size(), 3u);
            return;
        }
    }
    ADD_FAILURE() << "the search never ran out of host operations";
}
