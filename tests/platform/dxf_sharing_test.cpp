// File sharing: a drawing held open for writing is not read with a deny-writers open, a
// reader's own hold keeps writers out until closeInput, and a save never damages the file
// already on disk.
#include <host_test/drawing_builder.h>
#include <host_test/file_locks.h>

#include "dxf_files.h"
#include "host_fixture.h"

using host_test::HostOp;

namespace {

class DxfSharing : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        drawing = host_test::new_drawing();
        host_test::DrawingBuilder(drawing.get())
            .add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 2, 3)));
        ASSERT_EQ(drawing->saveAs(path().c_str()), Acad::eOk);
        original = dxf_files::read_text(folder.path("held.dxf"));
    }
    std::wstring path() const { return folder.wpath("held.dxf"); }
    Acad::ErrorStatus read(AcDbDatabase::OpenMode mode) {
        AcDbDatabase db(false, true);
        return db.readDwgFile(path().c_str(), mode);
    }

    dxf_files::ScratchFolder folder;
    std::unique_ptr<AcDbDatabase> drawing;
    std::string original;
};

TEST_F(DxfSharing, AFileHeldForWritingIsRefusedToReadersThatDenyWriters) {
    for (bool in_child : {false, true}) {
        auto hold = in_child ? host_test::hold_exclusive_lock_in_child(path())
                             : host_test::hold_exclusive_lock(path());
        EXPECT_EQ(read(AcDbDatabase::kForReadAndReadShare), Acad::eFileSharingViolation)
            << in_child;
        EXPECT_EQ(read(AcDbDatabase::kForReadAndWriteNoShare), Acad::eFileSharingViolation);
        EXPECT_EQ(read(AcDbDatabase::kForReadAndAllShare), Acad::eOk);
        EXPECT_EQ(read(AcDbDatabase::kTryForReadShare), Acad::eOk);
        // A refused read is no read: the same database may read once the hold ends.
        AcDbDatabase db(false, true);
        EXPECT_EQ(db.readDwgFile(path().c_str()), Acad::eFileSharingViolation);
        hold.reset();
        EXPECT_EQ(db.readDwgFile(path().c_str()), Acad::eOk);
    }
}

TEST_F(DxfSharing, AReaderKeepsWritersOutUntilItClosesItsInput) {
    AcDbDatabase reader(false, true);
    ASSERT_EQ(reader.readDwgFile(path().c_str()), Acad::eOk);
    EXPECT_EQ(read(AcDbDatabase::kForReadAndReadShare), Acad::eOk);  // readers share
    EXPECT_EQ(read(AcDbDatabase::kForReadAndWriteNoShare), Acad::eFileSharingViolation);
    EXPECT_EQ(drawing->saveAs(path().c_str()), Acad::eFileSharingViolation);
    EXPECT_THROW(host_test::hold_exclusive_lock(path()), std::runtime_error);
    ASSERT_EQ(reader.closeInput(true), Acad::eOk);
    EXPECT_EQ(drawing->saveAs(path().c_str()), Acad::eOk);
    // A database saving over the file it read gives up its own hold first.
    AcDbDatabase own(false, true);
    ASSERT_EQ(own.readDwgFile(path().c_str()), Acad::eOk);
    EXPECT_EQ(own.saveAs(path().c_str()), Acad::eOk);
}

TEST_F(DxfSharing, AFailedSaveLeavesTheFileOnDiskAsItWas) {
    auto other = host_test::new_drawing();
    {
        auto hold = host_test::hold_exclusive_lock(path());
        EXPECT_EQ(other->saveAs(path().c_str()), Acad::eFileSharingViolation);
    }
    host_test::fail_next(HostOp::SaveAs, Acad::eOutOfDisk);
    EXPECT_EQ(other->saveAs(path().c_str()), Acad::eOutOfDisk);
    EXPECT_EQ(other->saveAs(folder.wpath("no/such/folder/x.dxf").c_str()), Acad::eFileNotFound);
    EXPECT_EQ(other->saveAs(nullptr), Acad::eInvalidInput);
    EXPECT_EQ(dxf_files::read_text(folder.path("held.dxf")), original);
    // Nothing was left behind beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.folder()), {}), 1);
    const ACHAR* name = nullptr;
    EXPECT_EQ(other->getFilename(name), Acad::eNotApplicable);
}

// A save through a symbolic link (relative, then a link to that link) writes the file it
// leads to and leaves the links links; the file keeps its mode. A loop of links is refused.
TEST_F(DxfSharing, ASaveGoesThroughLinksAndKeepsTheFilesMode) {
    namespace fs = std::filesystem;
    fs::create_directory(folder.path("sub"));
    fs::create_symlink("../held.dxf", folder.path("sub/link.dxf"));
    fs::create_symlink(folder.path("sub/link.dxf"), folder.path("outer.dxf"));
    fs::permissions(folder.path("held.dxf"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    auto other = host_test::new_drawing();
    host_test::DrawingBuilder(other.get())
        .add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(7, 7, 7)));
    for (const char* link : {"sub/link.dxf", "outer.dxf"}) {
        ASSERT_EQ(other->saveAs(folder.wpath(link).c_str()), Acad::eOk) << link;
        EXPECT_TRUE(fs::is_symlink(folder.path(link))) << link;
        EXPECT_NE(dxf_files::read_text(folder.path("held.dxf")), original) << link;
        EXPECT_EQ(fs::status(folder.path("held.dxf")).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }
    fs::create_symlink("loop.dxf", folder.path("loop.dxf"));
    EXPECT_EQ(other->saveAs(folder.wpath("loop.dxf").c_str()), Acad::eFileAccessErr);
    EXPECT_TRUE(fs::is_symlink(folder.path("loop.dxf")));
}

}  // namespace
