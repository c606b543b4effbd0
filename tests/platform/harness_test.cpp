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
using Statuses = std::vector<Acad::ErrorStatus>;
constexpr Acad::ErrorStatus ok = Acad::eOk;

// A drawing read from "host.dwg" with two lines in model space.
struct TwoLines {
    TwoLines() { host_test::set_file_name(db.get(), L"host.dwg"); }
    std::unique_ptr<AcDbDatabase> db = host_test::new_drawing();
    host_test::DrawingBuilder drawing{db.get()};
    AcDbObjectId first = drawing.add(new AcDbLine({0, 0, 0}, {1, 0, 0}));
    AcDbObjectId second = drawing.add(new AcDbLine({0, 1, 0}, {1, 1, 0}));
};

// Opens and closes each id in turn, giving the status of each open.
Statuses open_each(std::initializer_list<AcDbObjectId> ids) {
    Statuses statuses;
    for (AcDbObjectId id : ids) {
        AcDbObject* object = nullptr;
        statuses.push_back(acdbOpenObject(object, id, AcDb::kForRead));
        if (object != nullptr) object->close();
    }
    return statuses;
}

std::string handle_text(AcDbObjectId id) {
    ACHAR buffer[AcDbHandle::kStrSiz];
    id.handle().getIntoAsciiBuffer(buffer);
    return std::string(buffer, buffer + std::wcslen(buffer));
}

// Five host calls, one host operation each: the block table, model space by name, an entity
// iterator, the first entity, the file name. Stops at the first failure, as a caller would,
// and closes what it opened. Gives the failing call's index, or -1.
constexpr int kCalls = 5;
int run_calls(AcDbDatabase* db) {
    AcDbBlockTablePointer table(db);
    if (table.openStatus() != ok) return 0;
    AcDbBlockTableRecord* raw_model = nullptr;
    if (table->getAt(ACDB_MODEL_SPACE, raw_model) != ok) return 1;
    AcDbBlockTableRecordPointer model;
    model.acquire(raw_model);
    AcDbBlockTableRecordIterator* raw_iterator = nullptr;
    if (model->newIterator(raw_iterator) != ok) return 2;
    std::unique_ptr<AcDbBlockTableRecordIterator> iterator(raw_iterator);
    AcDbEntity* raw_entity = nullptr;
    if (iterator->getEntity(raw_entity) != ok) return 3;
    AcDbEntityPointer entity;
    entity.acquire(raw_entity);
    const ACHAR* name = nullptr;
    return db->getFilename(name) != ok ? 4 : -1;
}

TEST_F(HarnessTest, EachFaultStyleFiresOnlyWhereArmedAndIsSpent) {
    TwoLines fixture;
    const AcDbObjectId a = fixture.first, b = fixture.second;
    // Next: operations of other kinds pass it by.
    host_test::fail_next(HostOp::NewEntityIterator, Acad::eOutOfMemory);
    AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, fixture.db.get());
    ASSERT_EQ(model.openStatus(), ok);
    EXPECT_EQ(open_each({a}), Statuses{ok});
    AcDbBlockTableRecordIterator* iterator = nullptr;
    EXPECT_EQ(model->newIterator(iterator), Acad::eOutOfMemory);
    EXPECT_EQ(iterator, nullptr);
    ASSERT_EQ(model->newIterator(iterator), ok);  // spent
    delete iterator;

    // Opening a table is its own kind of operation, not an open by id.
    host_test::fail_next(HostOp::OpenObject, Acad::eFileAccessErr);
    AcDbBlockTablePointer table(fixture.db.get());
    ASSERT_EQ(table.openStatus(), ok);
    AcDbBlockTableRecord* record = nullptr;
    EXPECT_EQ(table->getAt(ACDB_PAPER_SPACE, record), Acad::eFileAccessErr);
    EXPECT_EQ(open_each({a}), Statuses{ok});

    // Nth, and at a named object: only the uses on that object count.
    const auto denied = Acad::eFileAccessErr, busy = Acad::eWasOpenForWrite;
    host_test::fail_nth(HostOp::OpenObject, 3, denied);
    EXPECT_EQ(open_each({a, b, a, b}), (Statuses{ok, ok, denied, ok}));
    host_test::fail_open_of(b, busy);
    EXPECT_EQ(open_each({a, a, b, b}), (Statuses{ok, ok, busy, ok}));
    host_test::fail_open_of(b, busy, 2);
    EXPECT_EQ(open_each({b, a, b}), (Statuses{ok, ok, busy}));

    // At a named database.
    auto other = host_test::new_drawing();
    host_test::set_file_name(other.get(), L"other.dwg");
    host_test::fail_at(HostOp::GetFilename, other.get(), denied);
    const ACHAR* name = nullptr;
    EXPECT_EQ(fixture.db->getFilename(name), ok);
    EXPECT_EQ(other->getFilename(name), denied);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(other->getFilename(name), ok);
}

TEST_F(HarnessTest, CountDownFailsExactlyOperationN) {
    TwoLines fixture;
    host_test::clear_faults();
    ASSERT_EQ(run_calls(fixture.db.get()), -1);
    ASSERT_EQ(host_test::host_operation_count(), kCalls);
    for (int n = 0; n <= kCalls + 1; ++n) {
        SCOPED_TRACE("N = " + std::to_string(n));
        host_test::clear_faults();
        host_test::fail_after(n, Acad::eFileAccessErr);
        EXPECT_EQ(run_calls(fixture.db.get()), n < kCalls ? n : -1);
        EXPECT_EQ(host_test::host_operation_count(), std::min(n + 1, kCalls));
        EXPECT_EQ(host_test::armed_fault_count(), n < kCalls ? 0 : 1);
        EXPECT_EQ(host_test::open_object_count(), 0);
    }

    // Making a drawing is no host operation; adding to it is.
    host_test::clear_faults();
    host_test::fail_next(HostOp::AddObject, Acad::eOutOfMemory);
    auto db = host_test::new_drawing();
    EXPECT_EQ(host_test::host_operation_count(), 0);
    EXPECT_EQ(host_test::armed_fault_count(), 1);
    EXPECT_THROW(host_test::DrawingBuilder(db.get()).layer(L"S-COL"), std::exception);
    EXPECT_EQ(host_test::host_operation_count(), 2);
}

// Calls each (point, member) in turn: '.' for a call that returned, 'X' for one that threw.
std::string call_points(std::initializer_list<std::pair<const char*, AcDbObjectId>> calls) {
    std::string outcome;
    for (const auto& [point, member] : calls) {
        try {
            host_test::library_call_point(point, member);
            outcome += '.';
        } catch (const std::runtime_error&) {
            outcome += 'X';
        }
    }
    return outcome;
}

TEST_F(HarnessTest, LibraryCallPointsThrowWhereArmed) {
    TwoLines fixture;
    const AcDbObjectId a = fixture.first, b = fixture.second;
    host_test::throw_in_library("KORVget_member", 2);
    const char* member = "KORVget_member";
    EXPECT_EQ(call_points({{member, a}, {"KORVget_wall", a}, {member, b}, {member, a}}), "..X.");
    // A rule for one member fires on its first call even beside a rule for every member.
    host_test::throw_in_library("KORVget_member", 3);
    host_test::throw_in_library("KORVget_member", 1, b);
    EXPECT_EQ(call_points({{member, a}, {member, b}, {member, a}}), ".XX");
    EXPECT_EQ(host_test::armed_fault_count(), 0);
}

TEST_F(HarnessTest, LedgerCountsWhatIsOpenAndMisuseIsReported) {
    TwoLines fixture;
    const AcDbObjectId layer = fixture.drawing.layer(L"S-COL");
    const std::string name = "AcDbLayerTableRecord " + handle_text(layer);
    using Lines = std::vector<std::string>;
    AcDbObject *reader = nullptr, *another = nullptr;
    ASSERT_EQ(acdbOpenObject(reader, layer, AcDb::kForRead), ok);
    ASSERT_EQ(acdbOpenObject(another, layer, AcDb::kForRead), ok);
    EXPECT_EQ(host_test::open_object_descriptions(), Lines{name + " (read x2)"});
    another->close();
    reader->upgradeOpen();
    EXPECT_EQ(host_test::open_object_descriptions(), Lines{name + " (write)"});
    reader->close();
    EXPECT_EQ(host_test::open_object_count(), 0);
    AcDbBlockTableRecordIterator* iterator = nullptr;
    ASSERT_EQ(AcDbBlockTableRecordPointer(fixture.drawing.model_space())->newIterator(iterator),
              ok);
    EXPECT_EQ(host_test::live_iterator_count(), 1);
    delete iterator;

    AcDbObject* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, fixture.first, AcDb::kForRead), ok);
    line->close();
    EXPECT_EQ(line->close(), Acad::eNotOpenForRead);
    const std::string first = "AcDbLine " + handle_text(fixture.first);
    // The database keeps the id, but the object is gone.
    delete line;
    EXPECT_EQ(host_test::host_violations(),
              (Lines{"closing an object that is not open: " + first,
                     "deleting a database-resident object: " + first}));
    host_test::clear_host_violations();
    EXPECT_FALSE(fixture.first.isValid());
    EXPECT_EQ(open_each({fixture.first}), Statuses{Acad::ePermanentlyErased});
}

}  // namespace
