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

// Counts its instances, so a test can see that an object was deleted rather than leaked.
class CountedLine : public AcDbLine {
public:
    CountedLine() { ++alive; }
    ~CountedLine() override { --alive; }
    static inline int alive = 0;
};

TEST_F(DbOpenCloseTest, ReadersShareWhileAWriterIsExclusive) {
    OneLine fixture;
    AcDbObject *first = nullptr, *second = nullptr;
    ASSERT_EQ(acdbOpenObject(first, fixture.line, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(second, fixture.line, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(first, second);
    EXPECT_EQ(host_test::open_object_count(), 2);

    AcDbObject* refused = first;
    EXPECT_EQ(acdbOpenObject(refused, fixture.line, AcDb::kForWrite), Acad::eWasOpenForRead);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(first->close(), Acad::eOk);
    EXPECT_EQ(acdbOpenObject(refused, fixture.line, AcDb::kForWrite), Acad::eWasOpenForRead);
    EXPECT_EQ(second->close(), Acad::eOk);

    AcDbObject* writer = nullptr;
    ASSERT_EQ(acdbOpenObject(writer, fixture.line, AcDb::kForWrite), Acad::eOk);
    refused = writer;
    EXPECT_EQ(acdbOpenObject(refused, fixture.line, AcDb::kForRead), Acad::eWasOpenForWrite);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(acdbOpenObject(refused, fixture.line, AcDb::kForWrite), Acad::eWasOpenForWrite);
    EXPECT_EQ(writer->close(), Acad::eOk);
}

TEST_F(DbOpenCloseTest, ErasedObjectsOpenOnlyWhenAsked) {
    OneLine fixture;
    AcDbObject* object = nullptr;
    ASSERT_EQ(acdbOpenObject(object, fixture.line, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(object->erase(), Acad::eNotOpenForWrite);
    object->close();

    fixture.drawing.erase(fixture.line);
    EXPECT_TRUE(fixture.line.isErased());
    EXPECT_TRUE(fixture.line.isValid());
    object = nullptr;
    EXPECT_EQ(acdbOpenObject(object, fixture.line, AcDb::kForRead), Acad::eWasErased);
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(acdbOpenObject(object, fixture.line, AcDb::kForWrite, true), Acad::eOk);
    EXPECT_TRUE(object->isErased());
    EXPECT_EQ(object->erase(), Acad::eWasErased);
    EXPECT_EQ(object->erase(false), Acad::eOk);
    EXPECT_EQ(object->erase(false), Acad::eWasNotErased);
    object->close();
    ASSERT_EQ(acdbOpenObject(object, fixture.line, AcDb::kForRead), Acad::eOk);
    object->close();
}

TEST_F(DbOpenCloseTest, NullAndStaleIdsAreRefused) {
    AcDbObject* object = nullptr;
    EXPECT_EQ(acdbOpenObject(object, AcDbObjectId::kNull, AcDb::kForRead), Acad::eNullObjectId);
    EXPECT_EQ(object, nullptr);

    AcDbObjectId stale;
    {
        OneLine fixture;
        stale = fixture.line;
        EXPECT_EQ(stale.database(), fixture.db.get());
    }
    EXPECT_FALSE(stale.isNull());
    EXPECT_FALSE(stale.isValid());
    EXPECT_EQ(stale.database(), nullptr);
    EXPECT_EQ(acdbOpenObject(object, stale, AcDb::kForRead), Acad::ePermanentlyErased);
    EXPECT_EQ(object, nullptr);
}

TEST_F(DbOpenCloseTest, TypedOpenRefusesAnotherClass) {
    OneLine fixture;
    const AcDbObjectId block = fixture.drawing.define_block(L"COL");
    const AcDbObjectId insert = fixture.drawing.insert(block);

    AcDbLine sentinel;
    AcDbLine* line = &sentinel;  // must come back null
    EXPECT_EQ(acdbOpenObject(line, insert, AcDb::kForRead), Acad::eNotThatKindOfClass);
    EXPECT_EQ(line, nullptr);

    // A base class of the object's own is accepted.
    AcDbCurve* curve = nullptr;
    ASSERT_EQ(acdbOpenObject(curve, fixture.line, AcDb::kForRead), Acad::eOk);
    curve->close();

    AcDbObjectPointer<AcDbBlockReference> wrong(fixture.line);
    EXPECT_EQ(wrong.openStatus(), Acad::eNotThatKindOfClass);
    EXPECT_EQ(wrong.object(), nullptr);
    EXPECT_EQ(host_test::open_object_count(), 0);
}

TEST_F(DbOpenCloseTest, UpgradeAndDowngradeKeepOneOpen) {
    OneLine fixture;
    AcDbObject* object = nullptr;
    ASSERT_EQ(acdbOpenObject(object, fixture.line, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(object->upgradeOpen(), Acad::eOk);
    EXPECT_TRUE(object->isWriteEnabled());
    EXPECT_EQ(host_test::open_object_count(), 1);
    AcDbObject* reader = nullptr;
    EXPECT_EQ(acdbOpenObject(reader, fixture.line, AcDb::kForRead), Acad::eWasOpenForWrite);

    ASSERT_EQ(object->downgradeOpen(), Acad::eOk);
    EXPECT_FALSE(object->isWriteEnabled());
    EXPECT_TRUE(object->isReadEnabled());
    ASSERT_EQ(acdbOpenObject(reader, fixture.line, AcDb::kForRead), Acad::eOk);
    // Another reader holds it: upgrading would take it from under them.
    EXPECT_EQ(object->upgradeOpen(), Acad::eWasOpenForRead);
    EXPECT_EQ(host_test::open_object_count(), 2);
    reader->close();
    object->close();
    EXPECT_FALSE(object->isOpen());
}

TEST_F(DbOpenCloseTest, At256ReadersTheNextIsRefused) {
    OneLine fixture;
    std::vector<AcDbObject*> readers(256);
    for (AcDbObject*& reader : readers) {
        ASSERT_EQ(acdbOpenObject(reader, fixture.line, AcDb::kForRead), Acad::eOk);
    }
    AcDbObject* one_too_many = nullptr;
    EXPECT_EQ(acdbOpenObject(one_too_many, fixture.line, AcDb::kForRead), Acad::eAtMaxReaders);
    EXPECT_EQ(one_too_many, nullptr);
    EXPECT_EQ(host_test::open_object_count(), 256);
    readers.back()->close();
    ASSERT_EQ(acdbOpenObject(one_too_many, fixture.line, AcDb::kForRead), Acad::eOk);
    one_too_many->close();
    for (size_t i = 0; i + 1 < readers.size(); ++i) readers[i]->close();
}

TEST_F(DbOpenCloseTest, SmartPointersCloseOnScopeExit) {
    OneLine fixture;
    {
        AcDbObjectPointer<AcDbLine> line(fixture.line, AcDb::kForWrite);
        ASSERT_EQ(line.openStatus(), Acad::eOk);
        EXPECT_EQ(line->setEndPoint({5, 0, 0}), Acad::eOk);
        EXPECT_EQ(host_test::open_object_count(), 1);
    }
    EXPECT_EQ(host_test::open_object_count(), 0);
    {
        AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, fixture.db.get());
        AcDbBlockTableRecordPointer any_case(L"*model_SPACE", fixture.db.get());
        AcDbBlockTableRecordPointer unknown(L"NO_SUCH_BLOCK", fixture.db.get());
        AcDbBlockTableRecordPointer no_name(nullptr, fixture.db.get());
        AcDbBlockTableRecordPointer no_database(ACDB_MODEL_SPACE, nullptr);
        ASSERT_EQ(model.openStatus(), Acad::eOk);
        ASSERT_EQ(any_case.openStatus(), Acad::eOk);
        EXPECT_EQ(model.object(), any_case.object());
        EXPECT_EQ(unknown.openStatus(), Acad::eKeyNotFound);
        EXPECT_EQ(no_name.openStatus(), Acad::eInvalidInput);
        EXPECT_EQ(no_database.openStatus(), Acad::eNullObjectPointer);
        EXPECT_EQ(unknown.object(), nullptr);
        // Only the two records: the table opened for the look-up is closed again.
        EXPECT_EQ(host_test::open_object_count(), 2);
    }
    EXPECT_EQ(host_test::open_object_count(), 0);
}

TEST_F(DbOpenCloseTest, NewObjectOfASmartPointerIsDeletedUnlessAppended) {
    OneLine fixture;
    {
        AcDbObjectPointer<CountedLine> line;
        ASSERT_EQ(line.create(), Acad::eOk);
        EXPECT_TRUE(line->isNewObject());
        EXPECT_EQ(CountedLine::alive, 1);
    }
    EXPECT_EQ(CountedLine::alive, 0);
    {
        auto* raw = new CountedLine();
        AcDbObjectPointer<CountedLine> line;
        ASSERT_EQ(line.acquire(raw), Acad::eOk);
        EXPECT_EQ(raw, nullptr);
    }
    EXPECT_EQ(CountedLine::alive, 0);

    // Appended, the object belongs to the database: the pointer closes it instead.
    AcDbObjectId appended;
    {
        AcDbObjectPointer<CountedLine> line;
        line.create();
        AcDbBlockTableRecordPointer model(ACDB_MODEL_SPACE, fixture.db.get(), AcDb::kForWrite);
        ASSERT_EQ(model->appendAcDbEntity(appended, line.object()), Acad::eOk);
        EXPECT_TRUE(line->isWriteEnabled());
    }
    EXPECT_EQ(CountedLine::alive, 1);
    AcDbEntityPointer entity(appended);
    EXPECT_EQ(entity.openStatus(), Acad::eOk);
    EXPECT_EQ(entity->ownerId(), fixture.drawing.model_space());
}

}  // namespace
