// Drawings saved and read back are the same drawings: layers and their flags, blocks,
// inserts, curves, handles, and external references (inserted twice, nested, missing).
#include <host_test/drawing_builder.h>

#include <cmath>
#include <filesystem>

#include "drawing_dump.h"
#include "dxf_files.h"
#include "host_fixture.h"

using host_test::DrawingBuilder;
using host_test::Placement;

namespace {

Adesk::UInt64 handle_of(AcDbObjectId id) {
    return static_cast<Adesk::UInt64>(id.handle());
}

class DxfRoundTrip : public HostTest {
protected:
    std::unique_ptr<AcDbDatabase> read(const std::string& name) {
        auto db = std::make_unique<AcDbDatabase>(false, true);
        EXPECT_EQ(db->readDwgFile(folder.wpath(name).c_str()), Acad::eOk) << name;
        return db;
    }
    std::unique_ptr<AcDbDatabase> save_and_read(AcDbDatabase* db, const std::string& name) {
        EXPECT_EQ(db->saveAs(folder.wpath(name).c_str()), Acad::eOk);
        return read(name);
    }

    dxf_files::ScratchFolder folder;
};

TEST_F(DxfRoundTrip, BuilderDrawingReadsBackEqualWithItsHandles) {
    auto db = host_test::new_drawing();
    DrawingBuilder drawing(db.get());
    const AcDbObjectId block = drawing.define_block(L"Column base", AcGePoint3d(1, 2, 0));
    drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 4, 0)), L"Frozen", block);
    drawing.add(new AcDbArc(AcGePoint3d(1, 1, 0), 0.5, 0.25, 2.5), L"", block);
    const AcDbObjectId labelled = drawing.insert(
        block, Placement{AcGePoint3d(10, 20, 3), 0.7, AcGeScale3d(2, 3, 4)}, L"Hidden");
    AcDbObjectPointer<AcDbBlockReference> reference(labelled, AcDb::kForWrite);
    auto* mark = new AcDbAttribute(AcGePoint3d(10, 21, 3), L"C-12", L"MARK");
    EXPECT_EQ(reference->appendAttribute(mark), Acad::eOk);
    mark->close();
    reference.close();
    drawing.insert(block, Placement{AcGePoint3d(-5, 7, 1), 2.0, AcGeScale3d(1, 1, 1),
                                    AcGeVector3d(1, 1, 1).normal()});
    auto* red = new AcDbLine(AcGePoint3d(1, 1, 1), AcGePoint3d(9, 9, 9));
    red->setColorIndex(1);
    red->setLineWeight(AcDb::kLnWt050);
    drawing.add(red, L"Both");
    drawing.add(new AcDbArc(AcGePoint3d(3, 3, 0), 2.0, 0.0, M_PI), L"", drawing.paper_space());
    const AcDbObjectId gone = drawing.add(new AcDbLine());
    drawing.erase(gone);
    // Last: naming a layer for an entity resets its flags.
    drawing.layer(L"Frozen", true, false);
    drawing.layer(L"Hidden", false, true);
    drawing.layer(L"Both", true, true);
    const std::string before = drawing_dump::dump_drawing(db.get());
    EXPECT_NE(before.find(" frozen=1 off=1 "), std::string::npos) << before;
    EXPECT_NE(before.find(" attribute h="), std::string::npos) << before;
    auto back = save_and_read(db.get(), "plain.dxf");
    EXPECT_EQ(drawing_dump::dump_drawing(back.get()), before);
    AcDbObjectId found;  // the dump shows every handle kept; the erased one is not saved
    EXPECT_EQ(back->getAcDbObjectId(found, false, gone.handle()), Acad::eKeyNotFound);

    // The file names are the file's; new objects get handles past every handle read.
    const ACHAR* name = nullptr;
    ASSERT_EQ(back->getFilename(name), Acad::eOk);
    EXPECT_EQ(std::wstring(name), folder.wpath("plain.dxf"));
    EXPECT_EQ(std::wstring(back->originalFileName()), folder.wpath("plain.dxf"));
    const AcDbObjectId added = DrawingBuilder(back.get()).add(new AcDbLine());
    EXPECT_GT(handle_of(added), handle_of(db->namedObjectsDictionaryId()));
    for (AcDbObjectId id : {back->blockTableId(), back->layerTableId(), back->clayer()}) {
        EXPECT_LT(handle_of(id), handle_of(added));
    }
    // A second round keeps everything again (the file's own structure does not pile up).
    auto again = save_and_read(back.get(), "again.dxf");
    EXPECT_EQ(drawing_dump::dump_drawing(again.get()), drawing_dump::dump_drawing(back.get()));
}

// A file of several megabytes is mapped, and the reader lets its pages go behind each pass
// over the objects: what it reads of them afterwards comes back from the file unchanged.
TEST_F(DxfRoundTrip, ALargeDrawingReadsBackWhole) {
    auto db = host_test::new_drawing();
    DrawingBuilder drawing(db.get());
    for (int i = 0; i < 20000; ++i) {
        auto* polyline = new AcDbPolyline();
        polyline->addVertexAt(0, AcGePoint2d(i, 0), 0.5 * (i % 3));
        polyline->addVertexAt(1, AcGePoint2d(i, 1.25));
        drawing.add(polyline, i % 2 ? L"Odd" : L"Even");
        drawing.add(new AcDbLine(AcGePoint3d(i, 2, 0), AcGePoint3d(i, 3, 0.5)), L"Lines");
    }
    const std::string before = drawing_dump::dump_drawing(db.get());
    auto back = save_and_read(db.get(), "large.dxf");
    ASSERT_GT(std::filesystem::file_size(folder.path("large.dxf")), 2u << 20);
    EXPECT_EQ(drawing_dump::dump_drawing(back.get()), before);
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
        ref_drawing.insert(
            ref_drawing.attach_xref(L"NESTED", L"nested.dxf", read("sub/nested.dxf")),
            Placement{AcGePoint3d(0, 0, 3)});
        ASSERT_EQ(ref->saveAs(folder.wpath("sub/ref.dxf").c_str()), Acad::eOk);
    }

    // The host drawing, built in memory with ref.dxf attached and inserted twice.
    std::unique_ptr<AcDbDatabase> host_drawing(const std::wstring& saved_path) {
        auto host = host_test::new_drawing();
        DrawingBuilder drawing(host.get());
        const AcDbObjectId ref = drawing.attach_xref(L"REF", saved_path, read("sub/ref.dxf"));
        drawing.insert(ref, Placement{AcGePoint3d(100, 0, 0)});
        drawing.insert(ref, Placement{AcGePoint3d(0, 100, 0), M_PI / 2, AcGeScale3d(2, 2, 2)});
        return host;
    }
};

TEST_F(DxfReferences, ReferencesInsertedTwiceNestedMovedMissingBrokenAndSelf) {
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
    ref.close();
    nested.close();

    // The drawings moved: the saved absolute path is gone, the file sits beside the host.
    std::filesystem::copy_file(folder.path("sub/ref.dxf"), folder.path("ref.dxf"));
    std::filesystem::copy_file(folder.path("sub/nested.dxf"), folder.path("nested.dxf"));
    auto moved = save_and_read(host_drawing(L"/nowhere/else/ref.dxf").get(), "moved.dxf");
    AcDbBlockTableRecordPointer moved_ref(L"REF", moved.get());
    ASSERT_EQ(moved_ref.openStatus(), Acad::eOk);
    EXPECT_EQ(moved_ref->xrefStatus(), AcDb::kXrfResolved);
    EXPECT_EQ(std::wstring(moved_ref->xrefDatabase()->originalFileName()), folder.wpath("ref.dxf"));
    moved_ref.close();

    auto self = host_test::new_drawing();
    DrawingBuilder self_drawing(self.get());
    self_drawing.insert(
        self_drawing.attach_xref(L"SELF", L"self.dxf", nullptr, AcDb::kXrfUnresolved));
    ASSERT_EQ(self->saveAs(folder.wpath("self.dxf").c_str()), Acad::eOk);
    auto expect_status = [&](const char* file, const ACHAR* block, AcDb::XrefStatus status,
                             bool unloaded) {
        auto db = read(file);
        AcDbBlockTableRecordPointer record(block, db.get());
        ASSERT_EQ(record.openStatus(), Acad::eOk) << file;
        EXPECT_EQ(record->xrefStatus(), status) << file;
        if (unloaded) {
            EXPECT_EQ(record->xrefDatabase(true), nullptr) << file;
        }
    };
    // A drawing that references itself does not load forever.
    expect_status("self.dxf", L"SELF", AcDb::kXrfUnresolved, false);
    std::filesystem::remove(folder.path("sub/nested.dxf"));
    expect_status("host.dxf", L"NESTED", AcDb::kXrfFileNotFound, true);
    dxf_files::write_text(folder.path("sub/ref.dxf"), "  0\nSECTION\n  2\nENTITIES\n");
    expect_status("host.dxf", L"REF", AcDb::kXrfUnresolved, true);
}

}  // namespace
