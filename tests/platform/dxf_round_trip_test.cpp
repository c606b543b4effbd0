// Drawings saved and read back are the same drawings: layers and their flags, blocks,
// inserts, curves, handles, and external references (inserted twice, nested, missing).
#include <host_test/drawing_builder.h>

#include <cmath>

#include "drawing_dump.h"
#include "dxf_files.h"
#include "host_fixture.h"

using host_test::DrawingBuilder;
using host_test::Placement;

namespace {

class DxfRoundTrip : public HostTest {
protected:
    // Saves db to name in the scratch folder and reads it into a new database.
    std::unique_ptr<AcDbDatabase> save_and_read(AcDbDatabase* db, const std::string& name) {
        EXPECT_EQ(db->saveAs(folder.wpath(name).c_str()), Acad::eOk);
        auto back = std::make_unique<AcDbDatabase>(false, true);
        EXPECT_EQ(back->readDwgFile(folder.wpath(name).c_str()), Acad::eOk);
        return back;
    }

    // A drawing with a little of everything the host keeps.
    static void fill(DrawingBuilder& drawing) {
        const AcDbObjectId block = drawing.define_block(L"Column base", AcGePoint3d(1, 2, 0));
        drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 4, 0)), L"Frozen", block);
        drawing.add(new AcDbArc(AcGePoint3d(1, 1, 0), 0.5, 0.25, 2.5), L"", block);
        Placement turned;
        turned.position = AcGePoint3d(10, 20, 3);
        turned.rotation = 0.7;
        turned.scale = AcGeScale3d(2, 3, 4);
        const AcDbObjectId labelled = drawing.insert(block, turned, L"Hidden");
        AcDbObjectPointer<AcDbBlockReference> reference(labelled, AcDb::kForWrite);
        auto* mark = new AcDbAttribute(AcGePoint3d(10, 21, 3), L"C-12", L"MARK");
        EXPECT_EQ(reference->appendAttribute(mark), Acad::eOk);
        mark->close();
        reference.close();
        Placement tilted;
        tilted.position = AcGePoint3d(-5, 7, 1);
        tilted.normal = AcGeVector3d(1, 1, 1).normal();
        tilted.rotation = 2.0;
        drawing.insert(block, tilted);
        auto* red = new AcDbLine(AcGePoint3d(1, 1, 1), AcGePoint3d(9, 9, 9));
        red->setColorIndex(1);
        red->setLineWeight(AcDb::kLnWt050);
        drawing.add(red, L"Both");
        drawing.add(new AcDbArc(AcGePoint3d(3, 3, 0), 2.0, 0.0, M_PI), L"", drawing.paper_space());
        // Last: naming a layer for an entity resets its flags.
        drawing.layer(L"Frozen", true, false);
        drawing.layer(L"Hidden", false, true);
        drawing.layer(L"Both", true, true);
    }

    dxf_files::ScratchFolder folder;
};

TEST_F(DxfRoundTrip, BuilderDrawingReadsBackEqualWithItsHandles) {
    auto db = host_test::new_drawing();
    DrawingBuilder drawing(db.get());
    fill(drawing);
    const std::string before = drawing_dump::dump_drawing(db.get());
    EXPECT_NE(before.find(" frozen=1 off=1 "), std::string::npos) << before;
    EXPECT_NE(before.find(" attribute h="), std::string::npos) << before;
    auto back = save_and_read(db.get(), "plain.dxf");
    EXPECT_EQ(drawing_dump::dump_drawing(back.get()), before);

    // The file names are the file's; new objects get handles past every handle read.
    const ACHAR* name = nullptr;
    ASSERT_EQ(back->getFilename(name), Acad::eOk);
    EXPECT_EQ(std::wstring(name), folder.wpath("plain.dxf"));
    EXPECT_EQ(std::wstring(back->originalFileName()), folder.wpath("plain.dxf"));
    DrawingBuilder more(back.get());
    const AcDbObjectId added = more.add(new AcDbLine());
    EXPECT_GT(static_cast<Adesk::UInt64>(added.handle()),
              static_cast<Adesk::UInt64>(db->namedObjectsDictionaryId().handle()));
    for (AcDbObjectId id : {back->blockTableId(), back->layerTableId(), back->clayer()}) {
        EXPECT_LT(static_cast<Adesk::UInt64>(id.handle()),
                  static_cast<Adesk::UInt64>(added.handle()));
    }

    // A second round keeps everything again (the file's own structure does not pile up).
    auto again = save_and_read(back.get(), "again.dxf");
    EXPECT_EQ(drawing_dump::dump_drawing(again.get()), drawing_dump::dump_drawing(back.get()));
}

TEST_F(DxfRoundTrip, ErasedObjectsAreNotSaved) {
    auto db = host_test::new_drawing();
    DrawingBuilder drawing(db.get());
    const AcDbObjectId kept = drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    const AcDbObjectId gone = drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 1, 0)));
    drawing.erase(gone);
    auto back = save_and_read(db.get(), "erased.dxf");
    AcDbObjectId found;
    EXPECT_EQ(back->getAcDbObjectId(found, false, kept.handle()), Acad::eOk);
    EXPECT_EQ(back->getAcDbObjectId(found, false, gone.handle()), Acad::eKeyNotFound);
}

// host.dxf inserts ref.dxf twice; ref.dxf inserts nested.dxf (from its own folder, sub/).
class DxfReferences : public DxfRoundTrip {
protected:
    void SetUp() override {
        DxfRoundTrip::SetUp();
        std::filesystem::create_directory(folder.path("sub"));
        auto nested = host_test::new_drawing();
        DrawingBuilder(nested.get())
            .add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 0, 5)), L"Nested");
        ASSERT_EQ(nested->saveAs(folder.wpath("sub/nested.dxf").c_str()), Acad::eOk);
        auto ref = host_test::new_drawing();
        DrawingBuilder ref_drawing(ref.get());
        ref_drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0)), L"Beams");
        const AcDbObjectId nested_record =
            ref_drawing.attach_xref(L"NESTED", L"nested.dxf", read(folder.wpath("sub/nested.dxf")));
        Placement up;
        up.position = AcGePoint3d(0, 0, 3);
        ref_drawing.insert(nested_record, up);
        ASSERT_EQ(ref->saveAs(folder.wpath("sub/ref.dxf").c_str()), Acad::eOk);
    }

    static std::unique_ptr<AcDbDatabase> read(const std::wstring& path) {
        auto db = std::make_unique<AcDbDatabase>(false, true);
        EXPECT_EQ(db->readDwgFile(path.c_str()), Acad::eOk);
        return db;
    }

    // The host drawing, built in memory with ref.dxf attached and inserted twice.
    std::unique_ptr<AcDbDatabase> host_drawing(const std::wstring& saved_path) {
        auto host = host_test::new_drawing();
        DrawingBuilder drawing(host.get());
        const AcDbObjectId ref =
            drawing.attach_xref(L"REF", saved_path, read(folder.wpath("sub/ref.dxf")));
        Placement first, second;
        first.position = AcGePoint3d(100, 0, 0);
        second.position = AcGePoint3d(0, 100, 0);
        second.rotation = M_PI / 2;
        second.scale = AcGeScale3d(2, 2, 2);
        drawing.insert(ref, first);
        drawing.insert(ref, second);
        return host;
    }
};

TEST_F(DxfReferences, ReferencesInsertedTwiceAndNestedReadBackResolved) {
    auto host = host_drawing(L"sub/ref.dxf");
    const std::string before = drawing_dump::dump_drawing(host.get());
    EXPECT_NE(before.find("block NESTED"), std::string::npos) << before;
    auto back = save_and_read(host.get(), "host.dxf");
    EXPECT_EQ(drawing_dump::dump_drawing(back.get()), before);

    AcDbBlockTableRecordPointer ref(L"REF", back.get());
    ASSERT_EQ(ref.openStatus(), Acad::eOk);
    AcDbDatabase* ref_db = ref->xrefDatabase();
    ASSERT_NE(ref_db, nullptr);
    EXPECT_EQ(ref_db->xrefBlockId(), ref->objectId());
    EXPECT_EQ(std::wstring(ref_db->originalFileName()), folder.wpath("sub/ref.dxf"));
    AcDbBlockTableRecordPointer nested(L"NESTED", back.get());
    ASSERT_EQ(nested.openStatus(), Acad::eOk);
    ASSERT_NE(nested->xrefDatabase(), nullptr);
    EXPECT_EQ(std::wstring(nested->xrefDatabase()->originalFileName()),
              folder.wpath("sub/nested.dxf"));
    // The nested reference's inserts live in ref.dxf's database.
    AcDbObjectIdArray inserts;
    ASSERT_EQ(nested->getBlockReferenceIds(inserts), Acad::eOk);
    ASSERT_EQ(inserts.length(), 1);
    EXPECT_EQ(inserts[0].database(), ref_db);
}

TEST_F(DxfReferences, ASavedAbsolutePathFallsBackToTheDrawingsFolder) {
    // The drawings moved: the saved path is gone, the file sits beside the host.
    std::filesystem::copy_file(folder.path("sub/ref.dxf"), folder.path("ref.dxf"));
    std::filesystem::copy_file(folder.path("sub/nested.dxf"), folder.path("nested.dxf"));
    auto host = host_drawing(L"/nowhere/else/ref.dxf");
    auto back = save_and_read(host.get(), "moved.dxf");
    AcDbBlockTableRecordPointer ref(L"REF", back.get());
    ASSERT_EQ(ref.openStatus(), Acad::eOk);
    EXPECT_EQ(ref->xrefStatus(), AcDb::kXrfResolved);
    EXPECT_EQ(std::wstring(ref->xrefDatabase()->originalFileName()), folder.wpath("ref.dxf"));
}

TEST_F(DxfReferences, MissingAndBrokenReferencesStayUnresolved) {
    auto host = host_drawing(L"sub/ref.dxf");
    ASSERT_EQ(host->saveAs(folder.wpath("host.dxf").c_str()), Acad::eOk);
    std::filesystem::remove(folder.path("sub/nested.dxf"));
    auto back = read(folder.wpath("host.dxf"));
    AcDbBlockTableRecordPointer nested(L"NESTED", back.get());
    ASSERT_EQ(nested.openStatus(), Acad::eOk);
    EXPECT_EQ(nested->xrefStatus(), AcDb::kXrfFileNotFound);
    EXPECT_EQ(nested->xrefDatabase(true), nullptr);
    nested.close();

    dxf_files::write_text(folder.path("sub/ref.dxf"), "  0\nSECTION\n  2\nENTITIES\n");
    auto broken = read(folder.wpath("host.dxf"));
    AcDbBlockTableRecordPointer ref(L"REF", broken.get());
    ASSERT_EQ(ref.openStatus(), Acad::eOk);
    EXPECT_EQ(ref->xrefStatus(), AcDb::kXrfUnresolved);
    EXPECT_EQ(ref->xrefDatabase(true), nullptr);
}

TEST_F(DxfReferences, ADrawingThatReferencesItselfDoesNotLoadForever) {
    auto db = host_test::new_drawing();
    DrawingBuilder drawing(db.get());
    const AcDbObjectId self =
        drawing.attach_xref(L"SELF", L"self.dxf", nullptr, AcDb::kXrfUnresolved);
    drawing.insert(self);
    ASSERT_EQ(db->saveAs(folder.wpath("self.dxf").c_str()), Acad::eOk);
    auto back = read(folder.wpath("self.dxf"));
    AcDbBlockTableRecordPointer record(L"SELF", back.get());
    ASSERT_EQ(record.openStatus(), Acad::eOk);
    EXPECT_EQ(record->xrefStatus(), AcDb::kXrfUnresolved);
}

}  // namespace
