// Contract tests of the test harness itself: each fault style fires exactly where it is
// armed and is then spent; the ledger counts what is open; misuse is reported.
#include <dbents.h>
#include <dbobjptr.h>
#include <host_test/drawing_builder.h>

#include <cwchar>
#include <stdexcept>

#include "host_fixture.h"

namespace {

using HarnessTest = HostTest;
using host_test::HostOp;

// A drawing read from "host.dwg" with two lines in model space.
struct TwoLines {
    TwoLines() { host_test::set_file_name(db.get(), L"host.dwg"); }
    std::unique_ptr<AcDbDatabase> db = host_test::new_drawing();
    host_test::DrawingBuilder drawing{db.get()};
    AcDbObjectId first = drawing.add(new AcDbLine({0, 0, 0}, {1, 0, 0}));
    AcDbObjectId second = drawing.add(new AcDbLine({0, 1, 0}, {1, 1, 0}));
};

Acad::ErrorStatus open_and_close(AcDbObjectId id) {
    AcDbObject* object = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(object, id, AcDb::kForRead);
    if (object != nullptr) object->close();
    return es;
}

std::string handle_text(AcDbObjectId id) {
    ACHAR buffer[AcDbHandle::kStrSiz];
    id.handle().getIntoAsciiBuffer(buffer);
    return std::string(buffer, buffer + std::wcslen(buffer));
}

// Five host calls, one host operation each: the block table, model space by name, an entity
// iterator, the first entity, the file name. Stops at the first failure, as a caller would,
// and closes what it opened.
struct Outcome {
    int failed_call = -1;
    Acad::ErrorStatus status = Acad::eOk;
};
constexpr int kCalls = 5;

Outcome run_calls(AcDbDatabase* db) {
    Outcome outcome;
    auto failed = [&outcome](int call, Acad::ErrorStatus es) {
        if (es != Acad::eOk) outcome = {call, es};
        return es != Acad::eOk;
    };
    AcDbBlockTablePointer table(db);
    if (failed(0, table.openStatus())) return outcome;
    AcDbBlockTableRecord* raw_model = nullptr;
    if (failed(1, table->getAt(ACDB_MODEL_SPACE, raw_model))) return outcome;
    AcDbBlockTableRecordPointer model;
    model.acquire(raw_model);
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    if (failed(2, model->newIterator(raw_iterator))) return outcome;
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    AcDbEntity* raw_entity = nullptr;
    if (failed(3, iterator->getEntity(raw_entity))) return outcome;
    AcDbEntityPointer entity;
    entity.acquire(raw_entity);
    const ACHAR* name = nullptr;
    failed(4, db->getFilename(name));
    return outcome;
}

TEST_F(HarnessTest, FailNextHitsOnlyTheNextOperationOfItsKind) {
    TwoLines fixture;
    host_test::fail_next(HostOp::NewEntityIterator, Acad::eOutOfMemory);
    // Operations of other kinds pass it by.
    AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, fixture.db.get());
    ASSERT_EQ(model.openStatus(), Acad::eOk);
    EXPECT_EQ(open_and_close(fixture.first), Acad::eOk);
    EXPECT_EQ(host_test::armed_fault_count(), 1);

    AcDbBlockTableRecordIterator* iterator = nullptr;
    EXPECT_EQ(model->newIterator(iterator), Acad::eOutOfMemory);
    EXPECT_EQ(iterator, nullptr);
    EXPECT_EQ(host_test::armed_fault_count(), 0);
    ASSERT_EQ(model->newIterator(iterator), Acad::eOk);
    delete iterator;

    // Opening a table is its own kind of operation, not an open by id.
    host_test::fail_next(HostOp::OpenObject, Acad::eFileAccessErr);
    AcDbBlockTablePointer table(fixture.db.get());
    ASSERT_EQ(table.openStatus(), Acad::eOk);
    AcDbBlockTableRecord* record = nullptr;
    EXPECT_EQ(table->getAt(ACDB_PAPER_SPACE, record), Acad::eFileAccessErr);
    EXPECT_EQ(open_and_close(fixture.first), Acad::eOk);
}

TEST_F(HarnessTest, FailNthFailsOnlyThatUse) {
    TwoLines fixture;
    host_test::fail_nth(HostOp::OpenObject, 3, Acad::eFileAccessErr);
    std::vector<Acad::ErrorStatus> statuses;
    for (AcDbObjectId id : {fixture.first, fixture.second, fixture.first, fixture.second}) {
        statuses.push_back(open_and_close(id));
    }
    EXPECT_EQ(statuses, (std::vector<Acad::ErrorStatus>{Acad::eOk, Acad::eOk, Acad::eFileAccessErr,
                                                        Acad::eOk}));
}

TEST_F(HarnessTest, FailAtNamesTheObjectOrDatabase) {
    TwoLines fixture;
    host_test::fail_open_of(fixture.second, Acad::eWasOpenForWrite);
    EXPECT_EQ(open_and_close(fixture.first), Acad::eOk);
    EXPECT_EQ(open_and_close(fixture.first), Acad::eOk);
    EXPECT_EQ(open_and_close(fixture.second), Acad::eWasOpenForWrite);
    EXPECT_EQ(open_and_close(fixture.second), Acad::eOk);

    // Only the uses on that object count towards the second.
    host_test::fail_open_of(fixture.second, Acad::eWasOpenForWrite, 2);
    EXPECT_EQ(open_and_close(fixture.second), Acad::eOk);
    EXPECT_EQ(open_and_close(fixture.first), Acad::eOk);
    EXPECT_EQ(open_and_close(fixture.second), Acad::eWasOpenForWrite);

    auto other = host_test::new_drawing();
    host_test::set_file_name(other.get(), L"other.dwg");
    host_test::fail_at(HostOp::GetFilename, other.get(), Acad::eFileAccessErr);
    const ACHAR* name = nullptr;
    EXPECT_EQ(fixture.db->getFilename(name), Acad::eOk);
    EXPECT_EQ(other->getFilename(name), Acad::eFileAccessErr);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(other->getFilename(name), Acad::eOk);
}

TEST_F(HarnessTest, CountDownFailsExactlyOperationN) {
    TwoLines fixture;
    host_test::clear_faults();
    ASSERT_EQ(run_calls(fixture.db.get()).failed_call, -1);
    ASSERT_EQ(host_test::host_operation_count(), kCalls);

    for (int n = 0; n <= kCalls + 1; ++n) {
        SCOPED_TRACE("N = " + std::to_string(n));
        host_test::clear_faults();
        host_test::fail_after(n, Acad::eFileAccessErr);
        const Outcome outcome = run_calls(fixture.db.get());
        if (n < kCalls) {
            EXPECT_EQ(outcome.failed_call, n);
            EXPECT_EQ(outcome.status, Acad::eFileAccessErr);
            EXPECT_EQ(host_test::host_operation_count(), n + 1);
            EXPECT_EQ(host_test::armed_fault_count(), 0);
        } else {
            EXPECT_EQ(outcome.failed_call, -1);
            EXPECT_EQ(host_test::host_operation_count(), kCalls);
        }
        EXPECT_EQ(host_test::open_object_count(), 0);
    }
}

TEST_F(HarnessTest, NewDrawingIsNoHostOperation) {
    host_test::clear_faults();
    host_test::fail_next(HostOp::AddObject, Acad::eOutOfMemory);
    auto db = host_test::new_drawing();
    EXPECT_EQ(host_test::host_operation_count(), 0);
    EXPECT_EQ(host_test::armed_fault_count(), 1);
    AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, db.get());
    EXPECT_EQ(model.openStatus(), Acad::eOk);
    AcDbLayerTablePointer layers(db.get(), AcDb::kForWrite);
    auto layer = std::make_unique<AcDbLayerTableRecord>();
    layer->setName(L"S-COL");
    EXPECT_EQ(layers->add(layer.get()), Acad::eOutOfMemory);
    EXPECT_EQ(host_test::host_operation_count(), 4);
}

TEST_F(HarnessTest, LibraryCallPointsThrowWhereArmed) {
    TwoLines fixture;
    host_test::throw_in_library("KORVget_member", 2);
    EXPECT_NO_THROW(host_test::library_call_point("KORVget_member", fixture.first));
    EXPECT_NO_THROW(host_test::library_call_point("KORVget_wall", fixture.first));
    EXPECT_THROW(host_test::library_call_point("KORVget_member", fixture.second),
                 std::runtime_error);
    EXPECT_NO_THROW(host_test::library_call_point("KORVget_member", fixture.first));
    EXPECT_EQ(host_test::armed_fault_count(), 0);

    // A rule for one member fires on its first call even beside a rule for every member.
    host_test::throw_in_library("KORVget_member", 3);
    host_test::throw_in_library("KORVget_member", 1, fixture.second);
    EXPECT_NO_THROW(host_test::library_call_point("KORVget_member", fixture.first));
    EXPECT_THROW(host_test::library_call_point("KORVget_member", fixture.second),
                 std::runtime_error);
    EXPECT_THROW(host_test::library_call_point("KORVget_member", fixture.first),
                 std::runtime_error);
    EXPECT_EQ(host_test::armed_fault_count(), 0);
}

TEST_F(HarnessTest, LedgerCountsWhatIsOpen) {
    TwoLines fixture;
    const AcDbObjectId layer = fixture.drawing.layer(L"S-COL");
    const std::string name = "AcDbLayerTableRecord " + handle_text(layer);
    AcDbObject *reader = nullptr, *another = nullptr;
    ASSERT_EQ(acdbOpenObject(reader, layer, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(host_test::open_object_count(), 1);
    EXPECT_EQ(host_test::open_object_descriptions(), std::vector<std::string>{name + " (read x1)"});
    ASSERT_EQ(acdbOpenObject(another, layer, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(host_test::open_object_descriptions(), std::vector<std::string>{name + " (read x2)"});
    another->close();
    reader->upgradeOpen();
    EXPECT_EQ(host_test::open_object_descriptions(), std::vector<std::string>{name + " (write)"});
    reader->close();
    EXPECT_EQ(host_test::open_object_count(), 0);
    EXPECT_TRUE(host_test::open_object_descriptions().empty());

    AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, fixture.db.get());
    AcDbBlockTableRecordIterator* iterator = nullptr;
    ASSERT_EQ(model->newIterator(iterator), Acad::eOk);
    EXPECT_EQ(host_test::live_iterator_count(), 1);
    delete iterator;
    EXPECT_EQ(host_test::live_iterator_count(), 0);
}

TEST_F(HarnessTest, MisuseIsReported) {
    TwoLines fixture;
    AcDbObject* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, fixture.first, AcDb::kForRead), Acad::eOk);
    line->close();
    EXPECT_EQ(line->close(), Acad::eNotOpenForRead);
    EXPECT_EQ(host_test::open_object_count(), 0);
    EXPECT_EQ(host_test::host_violations(),
              std::vector<std::string>{"closing an object that is not open: AcDbLine " +
                                       handle_text(fixture.first)});
    host_test::clear_host_violations();

    // The database keeps the id, but the object is gone and every walk passes it by.
    delete line;
    EXPECT_EQ(host_test::host_violations(),
              std::vector<std::string>{"deleting a database-resident object: AcDbLine " +
                                       handle_text(fixture.first)});
    host_test::clear_host_violations();
    EXPECT_FALSE(fixture.first.isValid());
    EXPECT_EQ(open_and_close(fixture.first), Acad::ePermanentlyErased);
    AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, fixture.db.get());
    AcDbBlockTableRecordIterator* raw = nullptr;
    ASSERT_EQ(model->newIterator(raw), Acad::eOk);
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw);
    AcDbObjectId seen;
    iterator->getEntityId(seen);
    EXPECT_EQ(seen, fixture.second);
}

}  // namespace
