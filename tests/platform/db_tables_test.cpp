// Contract tests of symbol tables, block records and their iterators, and of object
// identity: ids ordered by creation across databases, handles and their text.
#include <dbents.h>
#include <dbobjptr.h>
#include <host_test/drawing_builder.h>

#include <map>

#include "host_fixture.h"

namespace {

using DbTablesTest = HostTest;

// The labels of the ids, in order, so a sequence of ids reads as one line ("A C").
std::string labels_of(const std::vector<AcDbObjectId>& ids,
                      const std::map<AcDbObjectId, std::string>& labels) {
    std::string text;
    for (const AcDbObjectId& id : ids) text += (text.empty() ? "" : " ") + labels.at(id);
    return text;
}

// The entity ids a walk of the block record visits, from its start or its end.
std::vector<AcDbObjectId> walk(AcDbObjectId record_id, bool skip_deleted = true,
                               bool forward = true) {
    AcDbBlockTableRecordPointer record(record_id);
    AcDbBlockTableRecordIterator* raw = nullptr;
    EXPECT_EQ(record->newIterator(raw, forward, skip_deleted), Acad::eOk);
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw);
    std::vector<AcDbObjectId> ids;
    for (; !iterator->done(); iterator->step(forward, skip_deleted)) {
        AcDbObjectId id;
        EXPECT_EQ(iterator->getEntityId(id), Acad::eOk);
        ids.push_back(id);
    }
    return ids;
}

// The names of a table's records in iteration order, separated by spaces.
std::wstring record_names(AcDbObjectId table_id, bool skip_deleted = true) {
    AcDbObjectPointer<AcDbSymbolTable> table(table_id);
    if (table.openStatus() != Acad::eOk) return L"(table not open)";
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
    std::map<AcDbObjectId, std::string> labels;
    std::map<std::string, AcDbObjectId> id;
    for (const char* name : {"A", "B", "C", "D"}) {
        id[name] = drawing.add(new AcDbLine());
        labels[id[name]] = name;
    }
    drawing.erase(id["B"]);
    drawing.erase(id["D"]);
    const AcDbObjectId model = drawing.model_space();

    EXPECT_EQ(labels_of(walk(model), labels), "A C");
    EXPECT_EQ(labels_of(walk(model, false), labels), "A B C D");
    EXPECT_EQ(labels_of(walk(model, true, false), labels), "C A");
    EXPECT_EQ(labels_of(walk(model, false, false), labels), "D C B A");

    // Visited, an erased entity still opens only when asked for.
    AcDbBlockTableRecordPointer record(model);
    AcDbBlockTableRecordIterator* raw = nullptr;
    ASSERT_EQ(record->newIterator(raw, true, false), Acad::eOk);
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw);
    ASSERT_EQ(iterator->seek(id["D"]), Acad::eOk);
    AcDbEntity* entity = nullptr;
    EXPECT_EQ(iterator->getEntity(entity), Acad::eWasErased);
    ASSERT_EQ(iterator->getEntity(entity, AcDb::kForRead, true), Acad::eOk);
    entity->close();
    iterator->step();
    AcDbObjectId past_end;
    EXPECT_EQ(iterator->getEntityId(past_end), Acad::eInvalidIndex);
}

TEST_F(DbTablesTest, TableIteratorsVisitRecordsInTheOrderAdded) {
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    drawing.layer(L"S-COL", true);
    const AcDbObjectId temp = drawing.layer(L"TEMP");
    drawing.layer(L"S-BEAM");
    drawing.erase(temp);
    drawing.define_block(L"COL");

    EXPECT_EQ(record_names(db->layerTableId()), L"0 S-COL S-BEAM");
    EXPECT_EQ(record_names(db->layerTableId(), false), L"0 S-COL TEMP S-BEAM");
    EXPECT_EQ(record_names(db->blockTableId()), L"*Model_Space *Paper_Space COL");

    // The typed iterators hand out typed records.
    AcDbLayerTablePointer layers(db.get());
    AcDbLayerTableIterator* raw = nullptr;
    ASSERT_EQ(layers->newIterator(raw), Acad::eOk);
    std::unique_ptr<AcDbLayerTableIterator> iterator(raw);
    std::wstring frozen;
    for (; !iterator->done(); iterator->step()) {
        AcDbLayerTableRecord* layer = nullptr;
        ASSERT_EQ(iterator->getRecord(layer), Acad::eOk);
        if (layer->isFrozen()) frozen += layer->nameText();
        layer->close();
    }
    EXPECT_EQ(frozen, L"S-COL");
}

TEST_F(DbTablesTest, LookUpByNameIgnoresCase) {
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    const AcDbObjectId column = drawing.layer(L"S-COL", true);
    const AcDbObjectId temp = drawing.layer(L"TEMP");
    drawing.erase(temp);

    AcDbLayerTablePointer layers(db.get());
    AcDbLayerTableRecord* record = nullptr;
    ASSERT_EQ(layers->getAt(L"s-col", record), Acad::eOk);
    EXPECT_EQ(record->nameText(), L"S-COL");
    EXPECT_TRUE(record->isFrozen());
    record->close();
    AcDbObjectId id;
    EXPECT_EQ(layers->getAt(L"S-Col", id), Acad::eOk);
    EXPECT_EQ(id, column);
    EXPECT_TRUE(layers->has(L"s-COL"));

    EXPECT_EQ(layers->getAt(L"S-BEAM", record), Acad::eKeyNotFound);
    EXPECT_EQ(record, nullptr);
    EXPECT_EQ(layers->getAt(L"S-BEAM", id), Acad::eKeyNotFound);
    EXPECT_TRUE(id.isNull());
    EXPECT_EQ(layers->getAt(nullptr, id), Acad::eInvalidInput);

    // An erased record is found only when asked for.
    EXPECT_FALSE(layers->has(temp));
    EXPECT_EQ(layers->getAt(L"temp", id), Acad::eKeyNotFound);
    EXPECT_EQ(layers->getAt(L"temp", id, true), Acad::eOk);
    EXPECT_EQ(id, temp);

    AcDbBlockTablePointer blocks(db.get());
    AcDbBlockTableRecord* model = nullptr;
    ASSERT_EQ(blocks->getAt(L"*MODEL_SPACE", model, AcDb::kForWrite), Acad::eOk);
    EXPECT_TRUE(model->isWriteEnabled() && model->isLayout());
    model->close();
}

TEST_F(DbTablesTest, DuplicateRecordNamesAreRefused) {
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    drawing.layer(L"S-COL");
    const AcDbObjectId temp = drawing.layer(L"TEMP");

    {
        AcDbLayerTablePointer layers(db.get(), AcDb::kForWrite);
        auto twin = std::make_unique<AcDbLayerTableRecord>();
        twin->setName(L"s-col");
        EXPECT_EQ(layers->add(twin.get()), Acad::eDuplicateRecordName);
        EXPECT_TRUE(twin->objectId().isNull());
        {
            AcDbObjectPointer<AcDbLayerTableRecord> record(temp, AcDb::kForWrite);
            EXPECT_EQ(record->setName(L"S-COL"), Acad::eDuplicateRecordName);
            EXPECT_EQ(record->nameText(), L"TEMP");
            EXPECT_EQ(record->setName(L""), Acad::eInvalidInput);
            EXPECT_EQ(record->setName(L"temp"), Acad::eOk);  // its own name, in another case
            EXPECT_EQ(record->erase(), Acad::eOk);
        }
        // An erased record's name is free again.
        auto reuse = new AcDbLayerTableRecord();
        reuse->setName(L"TEMP");
        ASSERT_EQ(layers->add(reuse), Acad::eOk);
        reuse->close();
    }
    EXPECT_EQ(record_names(db->layerTableId()), L"0 S-COL TEMP");
}

TEST_F(DbTablesTest, IdsOrderByCreationAcrossDatabases) {
    auto first = host_test::new_drawing();
    auto second = host_test::new_drawing();
    host_test::DrawingBuilder in_first(first.get()), in_second(second.get());
    std::vector<std::pair<AcDbObjectId, std::string>> made;
    for (int i = 1; i <= 3; ++i) {
        made.emplace_back(in_first.add(new AcDbLine()), "a" + std::to_string(i));
        made.emplace_back(in_second.add(new AcDbLine()), "b" + std::to_string(i));
    }
    std::map<AcDbObjectId, std::string> sorted;
    for (auto it = made.rbegin(); it != made.rend(); ++it) sorted.insert(*it);
    std::string order;
    for (const auto& [id, label] : sorted) order += label + " ";
    EXPECT_EQ(order, "a1 b1 a2 b2 a3 b3 ");

    EXPECT_EQ(made[0].first.database(), first.get());
    EXPECT_EQ(made[1].first.database(), second.get());
    EXPECT_LT(first->blockTableId(), in_first.model_space());
    EXPECT_LT(in_first.model_space(), made[0].first);
    // Handles are per database: both drawings gave their first line the same one.
    EXPECT_EQ(static_cast<Adesk::UInt64>(made[0].first.handle()),
              static_cast<Adesk::UInt64>(made[1].first.handle()));
    EXPECT_NE(made[0].first, made[1].first);
}

TEST_F(DbTablesTest, HandlesReadAsUpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(handle_text(AcDbHandle(Adesk::UInt64{0x1F})), L"1F");
    EXPECT_EQ(handle_text(AcDbHandle(Adesk::UInt64{0})), L"0");
    EXPECT_EQ(handle_text(AcDbHandle(~Adesk::UInt64{0})), L"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(handle_text(AcDbHandle(0xABCDEF0, 0x1)), L"10ABCDEF0");

    for (const ACHAR* text : {L"1F", L"1f", L"001F"}) {
        EXPECT_EQ(static_cast<Adesk::UInt64>(AcDbHandle(text)), 0x1Fu) << text;
    }
    for (const ACHAR* text : {L"", L"1G", L"-1", L"10000000000000000"}) {
        EXPECT_TRUE(AcDbHandle(text).isNull()) << text;
    }

    ACHAR two[2] = {L'x', L'x'};
    EXPECT_FALSE(AcDbHandle(Adesk::UInt64{0x1F}).getIntoAsciiBuffer(two, 2));
    EXPECT_EQ(two[0], L'\0');
    ACHAR three[3];
    EXPECT_TRUE(AcDbHandle(Adesk::UInt64{0x1F}).getIntoAsciiBuffer(three, 3));
    EXPECT_EQ(std::wstring(three), L"1F");
    EXPECT_FALSE(AcDbHandle(Adesk::UInt64{0x1F}).getIntoAsciiBuffer(nullptr, 17));

    // An object's handle text leads back to the object.
    auto db = host_test::new_drawing();
    host_test::DrawingBuilder drawing(db.get());
    const AcDbObjectId line = drawing.add(new AcDbLine());
    const std::wstring text = handle_text(line.handle());
    EXPECT_NE(text.front(), L'0');
    AcDbObjectId found;
    ASSERT_EQ(db->getAcDbObjectId(found, false, AcDbHandle(text.c_str())), Acad::eOk);
    EXPECT_EQ(found, line);
    EXPECT_EQ(db->getAcDbObjectId(found, false, AcDbHandle(L"FFFF")), Acad::eKeyNotFound);
    EXPECT_TRUE(found.isNull());
}

}  // namespace
