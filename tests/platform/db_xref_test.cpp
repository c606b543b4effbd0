// Contract tests of external references: a resolved reference is walked through its host
// record into the referenced drawing's own database; unloaded and unresolved ones have no
// database; nested references appear in the host's block table; layer names carry the
// reference's prefix.
#include <dbents.h>
#include <dbobjptr.h>
#include <host_test/drawing_builder.h>

#include <algorithm>
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

std::wstring layer_of(AcDbObjectId entity_id) {
    AcDbEntityPointer entity(entity_id);
    ACHAR* name = entity->layer();
    std::wstring copy = name;
    std::free(name);
    return copy;
}

// What a walk of the record visits, one "layer@database" (or "insert") per entity, and what
// the record says of itself (status 1 is kXrfResolved), so one comparison covers a reference.
std::wstring walk(AcDbObjectId record_id, const std::vector<AcDbDatabase*>& databases) {
    AcDbBlockTableRecordPointer record(record_id);
    const ACHAR* path = nullptr;
    record->pathName(path);
    std::wstring text = std::wstring(path) + L" status " + std::to_wstring(record->xrefStatus()) +
                        (record->isFromExternalReference() ? L" xref:" : L" block:");
    AcDbBlockTableRecordIterator* raw = nullptr;
    EXPECT_EQ(record->newIterator(raw), Acad::eOk);
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw);
    for (; !iterator->done(); iterator->step()) {
        AcDbObjectId id;
        iterator->getEntityId(id);
        const auto db = std::find(databases.begin(), databases.end(), id.database());
        text += L" " + layer_of(id) + L"@" + std::to_wstring(db - databases.begin());
    }
    return text;
}

// The one block reference to the record.
AcDbObjectId only_reference(AcDbObjectId record_id) {
    AcDbBlockTableRecordPointer record(record_id);
    AcDbObjectIdArray references;
    EXPECT_EQ(record->getBlockReferenceIds(references), Acad::eOk);
    EXPECT_EQ(references.length(), 1);
    return references.length() == 1 ? references[0] : AcDbObjectId();
}

TEST_F(DbXrefTest, ResolvedReferenceWalksTheReferencedModelSpace) {
    auto host = host_test::new_drawing();
    host_test::DrawingBuilder drawing(host.get());
    auto core = columns_drawing(2);
    AcDbDatabase* core_db = core.get();
    host_test::DrawingBuilder core_drawing(core_db);
    core_drawing.erase(core_drawing.add(new AcDbLine()));

    const AcDbObjectId record_id = drawing.attach_xref(L"CORE", L"refs/core.dwg", std::move(core));
    const AcDbObjectId insert = drawing.insert(record_id, {{100, 0, 0}});
    const AcDbObjectId own_column = drawing.add(new AcDbLine(), L"S-COL");
    EXPECT_EQ(AcDbBlockTableRecordPointer(L"core", host.get())->xrefDatabase(), core_db);
    EXPECT_EQ(walk(record_id, {host.get(), core_db}),
              L"refs/core.dwg status 1 xref: CORE|S-COL@1 CORE|S-COL@1");
    EXPECT_EQ(only_reference(record_id), insert);
    EXPECT_EQ(insert.database(), host.get());
    EXPECT_EQ(layer_of(own_column), L"S-COL");

    // The referenced database knows where it is referenced from and which file it is.
    EXPECT_EQ(core_db->xrefBlockId(), record_id);
    EXPECT_STREQ(core_db->originalFileName(), L"refs/core.dwg");
    EXPECT_TRUE(host->xrefBlockId().isNull());
}

TEST_F(DbXrefTest, ReferenceNotLoadedHasNoDatabase) {
    for (AcDb::XrefStatus status :
         {AcDb::kXrfUnloaded, AcDb::kXrfUnresolved, AcDb::kXrfFileNotFound}) {
        SCOPED_TRACE(status);
        auto host = host_test::new_drawing();
        host_test::DrawingBuilder drawing(host.get());
        const AcDbObjectId record_id =
            drawing.attach_xref(L"CORE", L"refs/core.dwg", columns_drawing(2), status);
        drawing.insert(record_id);
        AcDbBlockTableRecordPointer record(record_id);
        EXPECT_EQ(record->xrefDatabase(), nullptr);
        EXPECT_EQ(record->xrefDatabase(true), nullptr);
        EXPECT_EQ(walk(record_id, {}),
                  L"refs/core.dwg status " + std::to_wstring(status) + L" xref:");
    }
}

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
    EXPECT_EQ(AcDbBlockTableRecordPointer(inner_record)->xrefDatabase(), inner_db);
    // The nested insert lives in OUTER's database, beside OUTER's own column.
    EXPECT_EQ(only_reference(inner_record), nested_insert);
    EXPECT_EQ(nested_insert.database(), outer_db);
    EXPECT_EQ(inner_db->xrefBlockId(), inner_record);
    EXPECT_EQ(outer_db->xrefBlockId(), outer_record);
    const std::vector<AcDbDatabase*> databases = {host.get(), outer_db, inner_db};
    EXPECT_EQ(walk(inner_record, databases),
              L"refs/inner.dwg status 1 xref: INNER|S-COL@2 INNER|S-COL@2 INNER|S-COL@2");
    EXPECT_EQ(walk(outer_record, databases),
              L"refs/outer.dwg status 1 xref: OUTER|S-COL@1 OUTER|0@1");
}

}  // namespace
