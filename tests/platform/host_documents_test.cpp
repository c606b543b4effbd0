// Contract tests of documents and the working database: there may be no current document,
// and the working database is set independently of the current document.
#include <host_test/drawing_builder.h>

#include "host_fixture.h"

namespace {

using HostDocumentsTest = HostTest;

std::wstring file_name_of(AcDbDatabase* db) {
    const ACHAR* name = nullptr;
    return db->getFilename(name) == Acad::eOk ? name : L"(none)";
}

TEST_F(HostDocumentsTest, CurrentDocumentAndWorkingDatabaseAreSetIndependently) {
    EXPECT_EQ(acDocManager->curDocument(), nullptr);
    EXPECT_EQ(acDocManager->mdiActiveDocument(), nullptr);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
    // Adding a document does not make it current.
    AcApDocument* tower = host_test::add_document(host_test::new_drawing(), L"C:/jobs/tower.dwg");
    AcApDocument* annex = host_test::add_document(host_test::new_drawing(), L"C:/jobs/annex.dwg");
    EXPECT_EQ(acDocManager->documentCount(), 2);
    EXPECT_EQ(curDoc(), nullptr);
    ASSERT_NE(tower->database(), annex->database());
    EXPECT_EQ(std::wstring(tower->fileName()), L"C:/jobs/tower.dwg");
    EXPECT_EQ(file_name_of(tower->database()), L"C:/jobs/tower.dwg");
    EXPECT_EQ(std::wstring(tower->database()->originalFileName()), L"C:/jobs/tower.dwg");

    host_test::set_current_document(tower);
    EXPECT_EQ(curDoc(), tower);
    EXPECT_EQ(acDocManager->mdiActiveDocument(), tower);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);

    // Side-database work: the working database is one no document holds.
    auto side = host_test::new_drawing();
    host_test::set_working_database(side.get());
    EXPECT_EQ(curDoc(), tower);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), side.get());
    EXPECT_EQ(file_name_of(side.get()), L"(none)");

    host_test::set_working_database(annex->database());
    host_test::set_current_document(annex);
    host_test::set_working_database(nullptr);
    EXPECT_EQ(curDoc(), annex);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
}

TEST_F(HostDocumentsTest, DestroyingTheCurrentDocumentClearsCurrent) {
    AcApDocument* tower = host_test::add_document(host_test::new_drawing(), L"tower.dwg");
    AcApDocument* annex = host_test::add_document(host_test::new_drawing(), L"annex.dwg");
    auto side = host_test::new_drawing();

    // Destroying another document leaves the current one and the working database alone.
    host_test::set_current_document(tower);
    host_test::set_working_database(side.get());
    host_test::destroy_document(annex);
    EXPECT_EQ(acDocManager->documentCount(), 1);
    EXPECT_EQ(curDoc(), tower);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), side.get());

    host_test::set_working_database(tower->database());
    host_test::destroy_document(tower);
    EXPECT_EQ(acDocManager->documentCount(), 0);
    EXPECT_EQ(curDoc(), nullptr);
    // Its database is gone with it, so it cannot stay the working one.
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
}

}  // namespace

// The process may end while documents, their databases, open objects and references are
// alive, whichever part of the host was made first: the exit is clean.
TEST_F(HostDocumentsTest, TheProcessEndsCleanlyWithDocumentsAlive) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            AcApDocument* tower =
                host_test::add_document(host_test::new_drawing(), L"C:/jobs/tower.dwg");
            host_test::set_current_document(tower);
            host_test::set_working_database(tower->database());
            host_test::DrawingBuilder main(tower->database());
            main.insert(main.attach_xref(L"CORE", L"C:/jobs/core.dwg", host_test::new_drawing()),
                        {{10, 0, 0}});
            AcDbBlockTable* table = nullptr;
            tower->database()->getBlockTable(table, AcDb::kForRead);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
