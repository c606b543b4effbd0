// Contract tests of opening and closing database-resident objects: the host's open states
// and error codes, erased objects, typed opens, and the smart pointers that own an open.
#include <dbents.h>
#include <dbobjptr.h>
#include <host_test/drawing_builder.h>

#include "host_fixture.h"

namespace {

using DbOpenCloseTest = HostTest;

// A drawing with one line in model space, which most cases open in various ways.
struct OneLine {
    std::unique_ptr<AcDbDatabase> db = host_test::new_drawing();
    host_test::DrawingBuilder drawing{db.get()};
    AcDbObjectId line = drawing.add(new AcDbLine({0, 0, 0}, {1, 0, 0}));
};

// The status of an open of `id`, closed again at once; a refused open must null the pointer.
Acad::ErrorStatus try_open(AcDbObjectId id, AcDb::OpenMode mode) {
    AcDbLine sentinel;
    AcDbObject* object = &sentinel;
    const Acad::ErrorStatus es = acdbOpenObject(object, id, mode);
    if (es == Acad::eOk) object->close();
    EXPECT_TRUE(es == Acad::eOk || object == nullptr) << es;
    return es;
}

// Counts its instances, so a test can see that an object was deleted rather than leaked.
class CountedLine : public AcDbLine {
public:
    CountedLine() { ++alive; }
    ~CountedLine() override { --alive; }
    static inline int alive = 0;
};

TEST_F(DbOpenCloseTest, ReadersShareWhileAWriterIsExclusive) {
    OneLine fixture;
    const AcDbObjectId id = fixture.line;
    AcDbObject *first = nullptr, *second = nullptr;
    ASSERT_EQ(acdbOpenObject(first, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(second, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(first, second);
    EXPECT_EQ(host_test::open_object_count(), 2);
    EXPECT_EQ(try_open(id, AcDb::kForWrite), Acad::eWasOpenForRead);
    // Another reader holds it: upgrading would take it from under them.
    EXPECT_EQ(first->upgradeOpen(), Acad::eWasOpenForRead);
    EXPECT_EQ(second->close(), Acad::eOk);

    ASSERT_EQ(first->upgradeOpen(), Acad::eOk);
    EXPECT_TRUE(first->isWriteEnabled());
    EXPECT_EQ(host_test::open_object_count(), 1);
    EXPECT_EQ(try_open(id, AcDb::kForRead), Acad::eWasOpenForWrite);
    EXPECT_EQ(try_open(id, AcDb::kForWrite), Acad::eWasOpenForWrite);
    ASSERT_EQ(first->downgradeOpen(), Acad::eOk);
    EXPECT_TRUE(first->isReadEnabled() && !first->isWriteEnabled());
    EXPECT_EQ(try_open(id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(first->close(), Acad::eOk);
    EXPECT_FALSE(first->isOpen());

    // At 256 readers the next is refused.
    std::vector<AcDbObject*> readers(256);
    for (AcDbObject*& reader : readers) {
        ASSERT_EQ(acdbOpenObject(reader, id, AcDb::kForRead), Acad::eOk);
    }
    EXPECT_EQ(try_open(id, AcDb::kForRead), Acad::eAtMaxReaders);
    readers.back()->close();
    EXPECT_EQ(try_open(id, AcDb::kForRead), Acad::eOk);
    for (size_t i = 0; i + 1 < readers.size(); ++i) readers[i]->close();
}

TEST_F(DbOpenCloseTest, ErasedNullStaleAndOtherClassesAreRefused) {
    AcDbObjectId stale;
    {
        OneLine fixture;
        stale = fixture.line;
        AcDbObject* object = nullptr;
        ASSERT_EQ(acdbOpenObject(object, fixture.line, AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(object->erase(), Acad::eNotOpenForWrite);
        object->close();

        fixture.drawing.erase(fixture.line);
        EXPECT_TRUE(fixture.line.isErased() && fixture.line.isValid());
        EXPECT_EQ(try_open(fixture.line, AcDb::kForRead), Acad::eWasErased);
        ASSERT_EQ(acdbOpenObject(object, fixture.line, AcDb::kForWrite, true), Acad::eOk);
        EXPECT_EQ(object->erase(), Acad::eWasErased);
        EXPECT_EQ(object->erase(false), Acad::eOk);
        EXPECT_EQ(object->erase(false), Acad::eWasNotErased);
        object->close();
        EXPECT_EQ(try_open(fixture.line, AcDb::kForRead), Acad::eOk);

        // A typed open refuses another class but accepts a base of the object's own.
        const AcDbObjectId insert = fixture.drawing.insert(fixture.drawing.define_block(L"COL"));
        AcDbLine sentinel;
        AcDbLine* line = &sentinel;
        EXPECT_EQ(acdbOpenObject(line, insert, AcDb::kForRead), Acad::eNotThatKindOfClass);
        EXPECT_EQ(line, nullptr);
        AcDbCurve* curve = nullptr;
        ASSERT_EQ(acdbOpenObject(curve, fixture.line, AcDb::kForRead), Acad::eOk);
        curve->close();
        AcDbObjectPointer<AcDbBlockReference> wrong(fixture.line);
        EXPECT_EQ(wrong.openStatus(), Acad::eNotThatKindOfClass);
        EXPECT_EQ(wrong.object(), nullptr);
    }
    EXPECT_EQ(try_open(AcDbObjectId::kNull, AcDb::kForRead), Acad::eNullObjectId);
    EXPECT_TRUE(!stale.isNull() && !stale.isValid());
    EXPECT_EQ(stale.database(), nullptr);
    EXPECT_EQ(try_open(stale, AcDb::kForRead), Acad::ePermanentlyErased);
}

TEST_F(DbOpenCloseTest, SmartPointersCloseOrDeleteOnScopeExit) {
    OneLine fixture;
    {
        AcDbObjectPointer<AcDbLine> line(fixture.line, AcDb::kForWrite);
        EXPECT_EQ(line->setEndPoint({5, 0, 0}), Acad::eOk);
        AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, fixture.db.get());
        AcDbBlockTableRecordPointer any_case(L"*model_SPACE", fixture.db.get());
        AcDbBlockTableRecordPointer unknown(L"NO_SUCH_BLOCK", fixture.db.get());
        AcDbBlockTableRecordPointer no_name(nullptr, fixture.db.get());
        AcDbBlockTableRecordPointer no_database(ACDB_MODEL_SPACE, nullptr);
        ASSERT_EQ(any_case.openStatus(), Acad::eOk);
        EXPECT_EQ(model.object(), any_case.object());
        EXPECT_EQ(unknown.openStatus(), Acad::eKeyNotFound);
        EXPECT_EQ(no_name.openStatus(), Acad::eInvalidInput);
        EXPECT_EQ(no_database.openStatus(), Acad::eNullObjectPointer);
        EXPECT_EQ(unknown.object(), nullptr);
        // Only the line and the two records: the table opened for the look-up is closed again.
        EXPECT_EQ(host_test::open_object_count(), 3);
    }
    EXPECT_EQ(host_test::open_object_count(), 0);

    // A new object is deleted unless appended; appended, the database owns it.
    {
        AcDbObjectPointer<CountedLine> line;
        ASSERT_EQ(line.create(), Acad::eOk);
        EXPECT_TRUE(line->isNewObject());
        auto* raw = new CountedLine();
        AcDbObjectPointer<CountedLine> acquired;
        ASSERT_EQ(acquired.acquire(raw), Acad::eOk);
        EXPECT_EQ(raw, nullptr);
        EXPECT_EQ(CountedLine::alive, 2);
    }
    EXPECT_EQ(CountedLine::alive, 0);
    AcDbObjectId appended;
    {
        AcDbObjectPointer<CountedLine> line;
        line.create();
        AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, fixture.db.get(), AcDb::kForWrite);
        ASSERT_EQ(model->appendAcDbEntity(appended, line.object()), Acad::eOk);
    }
    EXPECT_EQ(CountedLine::alive, 1);
    AcDbEntityPointer entity(appended);
    EXPECT_EQ(entity->ownerId(), fixture.drawing.model_space());
}

}  // namespace
