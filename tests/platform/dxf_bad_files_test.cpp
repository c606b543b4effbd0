// Damaged and foreign files give the host's error statuses, never a crash or a hang, and
// leave nothing open and the database ready for another read.
#include <host_test/drawing_builder.h>

#include "drawing_dump.h"
#include "dxf_files.h"
#include "host_fixture.h"

namespace {

class DxfBadFiles : public HostTest {
protected:
    Acad::ErrorStatus read_text(const std::string& text, AcDbDatabase& db) {
        dxf_files::write_text(folder.path("bad.dxf"), text);
        return db.readDwgFile(folder.wpath("bad.dxf").c_str());
    }

    // A small but complete drawing as our writer writes it.
    std::string good_file() {
        auto db = host_test::new_drawing();
        host_test::DrawingBuilder drawing(db.get());
        const AcDbObjectId block = drawing.define_block(L"B");
        drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)), L"L1", block);
        drawing.insert(block);
        drawing.add(new AcDbArc(AcGePoint3d(0, 0, 0), 1.0, 0.0, 1.0));
        EXPECT_EQ(db->saveAs(folder.wpath("good.dxf").c_str()), Acad::eOk);
        return dxf_files::read_text(folder.path("good.dxf"));
    }

    dxf_files::ScratchFolder folder;
};

const char* const kHeader = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1032\n  0\nENDSEC\n";

struct BadFile {
    const char* what;
    std::string text;
    Acad::ErrorStatus expected;
};

TEST_F(DxfBadFiles, EachDamageHasItsStatus) {
    const std::string entities = std::string(kHeader) + "  0\nSECTION\n  2\nENTITIES\n";
    const std::string line = "  0\nLINE\n  5\n2A\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n";
    const std::string end = "  0\nENDSEC\n  0\nEOF\n";
    const BadFile cases[] = {
        {"empty", "", Acad::eDwgNeedsRecovery},
        {"not a group code", "hello\nworld\n", Acad::eBadDxfSequence},
        {"undefined group code", "  0\nSECTION\n 3000\nx\n", Acad::eBadDxfSequence},
        {"text where a number belongs", entities + line + " 10\nten\n" + end,
         Acad::eBadDxfSequence},
        {"16-bit value out of range", entities + line + " 62\n70000\n" + end,
         Acad::eBadDxfSequence},
        {"not finite", entities + line + " 10\nnan\n" + end, Acad::eBadDxfSequence},
        {"value line missing", "  0\nSECTION\n  2\n", Acad::eDwgNeedsRecovery},
        {"no EOF", entities + line + "  0\nENDSEC\n", Acad::eDwgNeedsRecovery},
        {"section never closed", entities + line + "  0\nEOF\n", Acad::eDwgNeedsRecovery},
        {"tags after EOF", entities + end + "  0\nLINE\n", Acad::eBadDxfSequence},
        {"outside any section", "  0\nLINE\n  0\nEOF\n", Acad::eBadDxfSequence},
        {"handle used twice", entities + line + line + end, Acad::eDwgNeedsRecovery},
        {"owner that is not there",
         entities + "  0\nLINE\n  5\n2A\n330\nFFF\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n" + end,
         Acad::eDwgNeedsRecovery},
        {"insert of a block not defined",
         entities +
             "  0\nINSERT\n  5\n2B\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockReference\n  2\nNOPE\n" +
             end,
         Acad::eDwgNeedsRecovery},
        {"entity without its subclass", entities + "  0\nLINE\n  5\n2A\n  8\n0\n" + end,
         Acad::eBadDxfSequence},
        {"arc without radius",
         entities + "  0\nARC\n  5\n2C\n100\nAcDbEntity\n  8\n0\n100\nAcDbCircle\n100\nAcDbArc\n" +
             end,
         Acad::eBadDxfSequence},
        {"block never ended",
         std::string(kHeader) +
             "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n  0\nENDSEC\n  0\nEOF\n",
         Acad::eDwgNeedsRecovery},
        {"table never ended",
         std::string(kHeader) +
             "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  0\nENDSEC\n  0\nEOF\n",
         Acad::eDwgNeedsRecovery},
        {"a handle that is no handle", entities + "  0\nLINE\n  5\nXYZ\n" + end,
         Acad::eBadDxfSequence},
    };
    for (const BadFile& bad : cases) {
        AcDbDatabase db(false, true);
        EXPECT_EQ(read_text(bad.text, db), bad.expected) << bad.what;
        EXPECT_TRUE(db.blockTableId().isNull()) << bad.what;
        expect_host_clean();
    }
}

TEST_F(DxfBadFiles, EveryCutOfAGoodFileFailsCleanlyAndTheDatabaseReadsAgain) {
    const std::string good = good_file();
    ASSERT_GT(good.size(), 1000u);
    // Cuts at every line end and at many points inside lines.
    std::vector<size_t> cuts;
    for (size_t at = 0; at < good.size(); ++at) {
        if (good[at] == '\n' || at % 7 == 3) cuts.push_back(at);
    }
    for (size_t cut : cuts) {
        if (cut + 4 >= good.size()) continue;  // what is left still ends with EOF
        AcDbDatabase db(false, true);
        const Acad::ErrorStatus es = read_text(good.substr(0, cut), db);
        ASSERT_TRUE(es == Acad::eDwgNeedsRecovery || es == Acad::eBadDxfSequence)
            << "cut at " << cut << ": " << es;
        ASSERT_EQ(host_test::open_object_count(), 0) << "cut at " << cut;
        ASSERT_EQ(db.readDwgFile(folder.wpath("good.dxf").c_str()), Acad::eOk) << "cut at " << cut;
    }
}

TEST_F(DxfBadFiles, UnknownEntitiesAreKeptAndWrittenBackUnchanged) {
    const std::string text = std::string(kHeader) +
                             "  0\nSECTION\n  2\nENTITIES\n"
                             "  0\nWIDGET\n  5\n40\n100\nAcDbEntity\n  8\nParts\n 62\n3\n"
                             "100\nAcDbWidget\n 10\n1.5\n 20\n2.5\n  1\nhello\n"
                             "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false, true);
    ASSERT_EQ(read_text(text, db), Acad::eOk);
    const std::string seen = drawing_dump::dump_drawing(&db);
    EXPECT_NE(seen.find("AcDbProxyEntity h=40 layer=Parts color=3 lw=-1 of=WIDGET items=4"),
              std::string::npos)
        << seen;
    ASSERT_EQ(db.saveAs(folder.wpath("again.dxf").c_str()), Acad::eOk);
    EXPECT_NE(dxf_files::read_text(folder.path("again.dxf")).find("  0\nWIDGET\n  5\n40\n330\n"),
              std::string::npos);
    AcDbDatabase again(false, true);
    ASSERT_EQ(again.readDwgFile(folder.wpath("again.dxf").c_str()), Acad::eOk);
    EXPECT_EQ(drawing_dump::dump_drawing(&again), seen);
}

TEST_F(DxfBadFiles, AMinimalEntitiesOnlyFileGetsTheDefaultTables) {
    const std::string text =
        "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n100\nAcDbEntity\n"
        "  8\nWalls\n100\nAcDbLine\n 10\n0\n 20\n0\n 11\n1\n 21\n0\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false, true);
    ASSERT_EQ(read_text(text, db), Acad::eOk);
    const std::string seen = drawing_dump::dump_drawing(&db);
    EXPECT_NE(seen.find("layer 0 "), std::string::npos) << seen;
    EXPECT_NE(seen.find("layer Walls "), std::string::npos) << seen;
    EXPECT_NE(seen.find("block *Model_Space"), std::string::npos) << seen;
    EXPECT_NE(seen.find("AcDbLine h="), std::string::npos) << seen;
}

TEST_F(DxfBadFiles, ReadingTwiceIsRefusedButAFailedReadMayBeRetried) {
    good_file();
    AcDbDatabase db(false, true);
    EXPECT_EQ(db.readDwgFile(folder.wpath("missing.dxf").c_str()), Acad::eFileNotFound);
    EXPECT_EQ(db.readDwgFile(folder.wpath("").c_str()), Acad::eFileAccessErr);  // the folder
    EXPECT_EQ(read_text("junk\n", db), Acad::eBadDxfSequence);
    host_test::fail_next(host_test::HostOp::ReadDwgFile, Acad::eFileAccessErr);
    EXPECT_EQ(db.readDwgFile(folder.wpath("good.dxf").c_str()), Acad::eFileAccessErr);
    ASSERT_EQ(db.readDwgFile(folder.wpath("good.dxf").c_str()), Acad::eOk);
    EXPECT_EQ(db.readDwgFile(folder.wpath("good.dxf").c_str()), Acad::eRepeatedDwgRead);

    // A database made with its default drawing gives it up to the drawing read.
    auto fresh = host_test::new_drawing();
    ASSERT_EQ(fresh->readDwgFile(folder.wpath("good.dxf").c_str()), Acad::eOk);
    EXPECT_EQ(drawing_dump::dump_drawing(fresh.get()), drawing_dump::dump_drawing(&db));
}

}  // namespace
