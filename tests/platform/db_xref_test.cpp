// Contract tests of external references: a resolved reference is walked through its host
// record into the referenced drawing's own database; unloaded and unresolved ones have no
// database; nested references appear in the host's block table; layer names carry the
// reference's prefix.
#include <dbents.h>
#include <dbobjptr.h>
#include <host_test/drawing_builder.h>

#include <cstdlib>

#include "host_fixture.h"

namespace {

using DbXrefTest = HostTest;

// A referenced drawing: `columns` lines on layer S-COL in model space.
std::unique_ptr<AcDbDatabase> columns_drawing(int columns) {
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    for (int i = 0; i < columns; ++i) {
        drawing.add(new AcDbLine({i * 6.0, 0, 0}, {i * 6.0, 0, 3}), L"S-COL");
    }
    return db;
}

std::vector<AcDbObjectId> walk(AcDbObjectId record_id) {
    AcDbBlockTableRecordPointer record(record_id);
    AcDbBlockTableRecordIterator* raw = nullptr;
    EXPECT_EQ(record->newIterator(raw), Acad::eOk);
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw);
    std::vector<AcDbObjectId> ids;
    for (; !iterator->done(); iterator->step()) {
        AcDbObjectId id;
        iterator->getEntityId(id);
        ids.push_back(id);
    }
    return ids;
}

std::wstring layer_of(AcDbObjectId entity_id) {
    AcDbEntityPointer entity(entity_id);
    ACHAR* name = entity->layer();
    std::wstring copy = name;
    std::free(name);
    return copy;
}

std::wstring path_of(const AcDbBlockTableRecord* record) {
    const ACHAR* path = nullptr;
    record->pathName(path);
    return path;
}

TEST_F(DbXrefTest, ResolvedReferenceWalksTheReferencedModelSpace) {
    auto host = host_test::new_drawing();
    host_test::DrawingBuilder drawing(host.get());
    auto core = columns_drawing(2);
    AcDbDatabase* core_db = core.get();
    host_test::DrawingBuilder core_drawing(core_db);
    const AcDbObjectId erased = core_drawing.add(new AcDbLine());
    core_drawing.erase(erased);
    const std::vector<AcDbObjectId> core_entities = walk(core_drawing.model_space());

    const AcDbObjectId record_id = drawing.attach_xref(L"CORE", L"refs/core.dwg", std::move(core));
    const AcDbObjectId insert = drawing.insert(record_id, {{100, 0, 0}});
    const AcDbObjectId own_column = drawing.add(new AcDbLine(), L"S-COL");

    {
        AcDbBlockTableRecordPointer record(L"core", host.get());
        ASSERT_EQ(record.openStatus(), Acad::eOk);
        EXPECT_TRUE(record->isFromExternalReference());
        EXPECT_EQ(record->xrefStatus(), AcDb::kXrfResolved);
        EXPECT_EQ(record->xrefDatabase(), core_db);
        EXPECT_EQ(path_of(record), L"refs/core.dwg");
        AcDbObjectIdArray references;
        ASSERT_EQ(record->getBlockReferenceIds(references), Acad::eOk);
        ASSERT_EQ(references.length(), 1);
        EXPECT_EQ(references[0], insert);
        EXPECT_EQ(references[0].database(), host.get());
    }
    const std::vector<AcDbObjectId> seen = walk(record_id);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen, core_entities);
    for (const AcDbObjectId& id : seen) {
        EXPECT_EQ(id.database(), core_db);
        EXPECT_EQ(layer_of(id), L"CORE|S-COL");
    }
    EXPECT_EQ(layer_of(own_column), L"S-COL");

    // The referenced database knows where it is referenced from and which file it is.
    EXPECT_EQ(core_db->xrefBlockId(), record_id);
    ASSERT_NE(core_db->originalFileName(), nullptr);
    EXPECT_EQ(std::wstring(core_db->originalFileName()), L"refs/core.dwg");
    EXPECT_TRUE(host->xrefBlockId().isNull());
}

class DbXrefStatusTest : public HostTest, public ::testing::WithParamInterface<AcDb::XrefStatus> {};

TEST_P(DbXrefStatusTest, ReferenceNotLoadedHasNoDatabase) {
    auto host = host_test::new_drawing();
    host_test::DrawingBuilder drawing(host.get());
    const AcDbObjectId record_id =
        drawing.attach_xref(L"CORE", L"refs/core.dwg", columns_drawing(2), GetParam());
    drawing.insert(record_id);

    AcDbBlockTableRecordPointer record(record_id);
    EXPECT_TRUE(record->isFromExternalReference());
    EXPECT_EQ(record->xrefStatus(), GetParam());
    EXPECT_EQ(record->xrefDatabase(), nullptr);
    EXPECT_EQ(record->xrefDatabase(true), nullptr);
    EXPECT_EQ(path_of(record), L"refs/core.dwg");
    AcDbBlockTableRecordIterator* raw = nullptr;
    ASSERT_EQ(record->newIterator(raw), Acad::eOk);
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw);
    EXPECT_TRUE(iterator->done());
}

INSTANTIATE_TEST_SUITE_P(NotLoaded, DbXrefStatusTest,
                         ::testing::Values(AcDb::kXrfUnloaded, AcDb::kXrfUnresolved,
                                           AcDb::kXrfFileNotFound));

TEST_F(DbXrefTest, NestedReferenceIsItsOwnRecordInTheHost) {
    auto inner = columns_drawing(3);
    AcDbDatabase* inner_db = inner.get();
    auto outer = columns_drawing(1);
    AcDbDatabase* outer_db = outer.get();
    host_test::DrawingBuilder outer_drawing(outer_db);
    const AcDbObjectId inner_in_outer =
        outer_drawing.attach_xref(L"INNER", L"refs/inner.dwg", std::move(inner));
    const AcDbObjectId nested_insert = outer_drawing.insert(inner_in_outer, {{5, 5, 0}});

    auto host = host_test::new_drawing();
    host_test::DrawingBuilder drawing(host.get());
    const AcDbObjectId outer_record =
        drawing.attach_xref(L"OUTER", L"refs/outer.dwg", std::move(outer));
    drawing.insert(outer_record);

    const AcDbObjectId inner_record = drawing.block_id(L"INNER");
    ASSERT_FALSE(inner_record.isNull());
    EXPECT_EQ(inner_record.database(), host.get());
    {
        AcDbBlockTableRecordPointer record(inner_record);
        EXPECT_TRUE(record->isFromExternalReference());
        EXPECT_EQ(record->xrefStatus(), AcDb::kXrfResolved);
        EXPECT_EQ(record->xrefDatabase(), inner_db);
        AcDbObjectIdArray references;
        ASSERT_EQ(record->getBlockReferenceIds(references), Acad::eOk);
        ASSERT_EQ(references.length(), 1);
        EXPECT_EQ(references[0], nested_insert);
        EXPECT_EQ(references[0].database(), outer_db);
    }
    EXPECT_EQ(inner_db->xrefBlockId(), inner_record);
    EXPECT_EQ(outer_db->xrefBlockId(), outer_record);

    const std::vector<AcDbObjectId> inner_entities = walk(inner_record);
    ASSERT_EQ(inner_entities.size(), 3u);
    for (const AcDbObjectId& id : inner_entities) {
        EXPECT_EQ(id.database(), inner_db);
        EXPECT_EQ(layer_of(id), L"INNER|S-COL");
    }
    // Walking OUTER gives its own column and the insert of INNER, both in OUTER's database.
    const std::vector<AcDbObjectId> outer_entities = walk(outer_record);
    ASSERT_EQ(outer_entities.size(), 2u);
    EXPECT_EQ(layer_of(outer_entities[0]), L"OUTER|S-COL");
    EXPECT_EQ(outer_entities[1], nested_insert);
}

}  // namespace
