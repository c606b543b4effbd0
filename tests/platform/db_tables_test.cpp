// Contract tests of symbol tables, block records and their iterators, and of object
// identity: ids ordered by creation across databases, handles and their text.
#include <dbents.h>
#include <dbobjptr.h>
#include <host_test/drawing_builder.h>

#include <algorithm>
#include <map>

#include "host_fixture.h"

namespace {

using DbTablesTest = HostTest;

// The letters of the entities a walk of the block record visits ("A C"), `made[i]` being
// letter 'A' + i.
std::string walk(AcDbObjectId record_id, const std::vector<AcDbObjectId>& made, bool skip_deleted,
                 bool forward) {
    AcDbBlockTableRecordPointer record(record_id);
    AcDbBlockTableRecordIterator* raw = nullptr;
    EXPECT_EQ(record->newIterator(raw, forward, skip_deleted), Acad::eOk);
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw);
    std::string text;
    for (; !iterator->done(); iterator->step(forward, skip_deleted)) {
        AcDbObjectId id;
        EXPECT_EQ(iterator->getEntityId(id), Acad::eOk);
        const auto at = std::find(made.begin(), made.end(), id) - made.begin();
        text += (text.empty() ? "" : " ") + std::string(1, static_cast<char>('A' + at));
    }
    return text;
}

// The names of a table's records in iteration order, separated by spaces.
std::wstring record_names(AcDbObjectId table_id, bool skip_deleted = true) {
    AcDbObjectPointer<AcDbSymbolTable> table(table_id);
    AcDbSymbolTableIterator* raw = nullptr;
    EXPECT_EQ(table->newIterator(raw, true, skip_deleted), Acad::eOk);
    std::unique_ptr<AcDbSymbolTableIterator> iterator(raw);
    std::wstring names;
    for (; !iterator->done(); iterator->step(true, skip_deleted)) {
        AcDbSymbolTableRecord* record = nullptr;
        EXPECT_EQ(iterator->getRecord(record, AcDb::kForRead, true), Acad::eOk);
        names += (names.empty() ? L"" : L" ") + record->nameText();
        record->close();
    }
    return names;
}

std::wstring handle_text(AcDbHandle handle) {
    ACHAR buffer[AcDbHandle::kStrSiz];
    EXPECT_TRUE(handle.getIntoAsciiBuffer(buffer));
    return buffer;
}

TEST_F(DbTablesTest, EntityIteratorSkipsErasedUnlessAsked) {
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    std::vector<AcDbObjectId> made;
    for (int i = 0; i < 4; ++i) made.push_back(drawing.add(new AcDbLine()));
    drawing.erase(made[1]);
    drawing.erase(made[3]);
    const AcDbObjectId model = drawing.model_space();
    EXPECT_EQ(walk(model, made, true, true), "A C");
    EXPECT_EQ(walk(model, made, false, true), "A B C D");
    EXPECT_EQ(walk(model, made, true, false), "C A");
    EXPECT_EQ(walk(model, made, false, false), "D C B A");

    // Visited, an erased entity still opens only when asked for.
    AcDbBlockTableRecordPointer record(model);
    AcDbBlockTableRecordIterator* raw = nullptr;
    ASSERT_EQ(record->newIterator(raw, true, false), Acad::eOk);
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw);
    ASSERT_EQ(iterator->seek(made[3]), Acad::eOk);
    AcDbEntity* entity = nullptr;
    EXPECT_EQ(iterator->getEntity(entity), Acad::eWasErased);
    ASSERT_EQ(iterator->getEntity(entity, AcDb::kForRead, true), Acad::eOk);
    entity->close();
    iterator->step();
    AcDbObjectId past_end;
    EXPECT_EQ(iterator->getEntityId(past_end), Acad::eInvalidIndex);
}

TEST_F(DbTablesTest, TablesKeepOrderAndLookUpIgnoresCase) {
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    const AcDbObjectId column = drawing.layer(L"S-COL", true);
    const AcDbObjectId temp = drawing.layer(L"TEMP");
    const AcDbObjectId beam_id = drawing.layer(L"S-BEAM");
    drawing.erase(temp);
    drawing.define_block(L"COL");
    EXPECT_EQ(record_names(db->layerTableId()), L"0 S-COL S-BEAM");
    EXPECT_EQ(record_names(db->layerTableId(), false), L"0 S-COL TEMP S-BEAM");
    EXPECT_EQ(record_names(db->blockTableId()), L"*Model_Space *Paper_Space COL");

    {
        AcDbLayerTablePointer layers(db.get(), AcDb::kForWrite);
        AcDbLayerTableRecord* record = nullptr;
        ASSERT_EQ(layers->getAt(L"s-col", record), Acad::eOk);
        EXPECT_TRUE(record->nameText() == L"S-COL" && record->isFrozen());
        record->close();
        AcDbObjectId id;
        EXPECT_EQ(layers->getAt(L"S-Col", id), Acad::eOk);
        EXPECT_EQ(id, column);
        EXPECT_EQ(layers->getAt(L"S-WALL", record), Acad::eKeyNotFound);
        EXPECT_EQ(record, nullptr);
        EXPECT_EQ(layers->getAt(nullptr, id), Acad::eInvalidInput);
        // An erased record is found only when asked for.
        EXPECT_FALSE(layers->has(temp));
        EXPECT_EQ(layers->getAt(L"temp", id), Acad::eKeyNotFound);
        EXPECT_EQ(layers->getAt(L"temp", id, true), Acad::eOk);
        EXPECT_EQ(id, temp);

        // Names are unique whatever their case; an erased record's name is free again.
        auto twin = std::make_unique<AcDbLayerTableRecord>();
        twin->setName(L"s-col");
        EXPECT_EQ(layers->add(twin.get()), Acad::eDuplicateRecordName);
        EXPECT_TRUE(twin->objectId().isNull());
        {
            AcDbObjectPointer<AcDbLayerTableRecord> beam(beam_id, AcDb::kForWrite);
            EXPECT_EQ(beam->setName(L"S-COL"), Acad::eDuplicateRecordName);
            EXPECT_EQ(beam->setName(L""), Acad::eInvalidInput);
            EXPECT_EQ(beam->setName(L"s-beam"), Acad::eOk);  // its own name, in another case
        }
        twin->setName(L"TEMP");
        ASSERT_EQ(layers->add(twin.get()), Acad::eOk);
        twin.release()->close();
    }
    EXPECT_EQ(record_names(db->layerTableId()), L"0 S-COL s-beam TEMP");
}

TEST_F(DbTablesTest, IdsOrderByCreationAcrossDatabasesHandlesPerDatabase) {
    auto first = host_test::new_drawing();
    auto second = host_test::new_drawing();
    host_test::DrawingBuilder in_first(first.get()), in_second(second.get());
    std::vector<std::pair<AcDbObjectId, std::string>> made;
    for (int i = 1; i <= 3; ++i) {
        made.emplace_back(in_first.add(new AcDbLine()), "a" + std::to_string(i));
        made.emplace_back(in_second.add(new AcDbLine()), "b" + std::to_string(i));
    }
    std::map<AcDbObjectId, std::string> sorted(made.rbegin(), made.rend());
    std::string order;
    for (const auto& [id, label] : sorted) order += label + " ";
    EXPECT_EQ(order, "a1 b1 a2 b2 a3 b3 ");
    EXPECT_LT(in_first.model_space(), made[0].first);
    // Handles are per database: both drawings gave their first line the same one.
    EXPECT_EQ(static_cast<Adesk::UInt64>(made[0].first.handle()),
              static_cast<Adesk::UInt64>(made[1].first.handle()));

    // An object's handle text leads back to the object.
    const std::wstring text = handle_text(made[2].first.handle());
    EXPECT_NE(text.front(), L'0');
    AcDbObjectId found;
    ASSERT_EQ(first->getAcDbObjectId(found, false, AcDbHandle(text.c_str())), Acad::eOk);
    EXPECT_EQ(found, made[2].first);
    EXPECT_EQ(first->getAcDbObjectId(found, false, AcDbHandle(L"FFFF")), Acad::eKeyNotFound);
    EXPECT_TRUE(found.isNull());
}

TEST(DbHandle, ReadsAsUpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(handle_text(AcDbHandle(Adesk::UInt64{0x1F})), L"1F");
    EXPECT_EQ(handle_text(AcDbHandle(Adesk::UInt64{0})), L"0");
    EXPECT_EQ(handle_text(AcDbHandle(~Adesk::UInt64{0})), L"FFFFFFFFFFFFFFFF");
    for (const ACHAR* text : {L"1F", L"1f", L"001F"}) {
        EXPECT_EQ(static_cast<Adesk::UInt64>(AcDbHandle(text)), 0x1Fu) << text;
    }
    for (const ACHAR* text : {L"", L"1G", L"-1", L"10000000000000000"}) {
        EXPECT_TRUE(AcDbHandle(text).isNull()) << text;
    }
    ACHAR two[2] = {L'x', L'x'}, three[3];
    EXPECT_FALSE(AcDbHandle(Adesk::UInt64{0x1F}).getIntoAsciiBuffer(two, 2));
    EXPECT_EQ(two[0], L'\0');
    EXPECT_TRUE(AcDbHandle(Adesk::UInt64{0x1F}).getIntoAsciiBuffer(three, 3));
    EXPECT_EQ(std::wstring(three), L"1F");
}

}  // namespace
