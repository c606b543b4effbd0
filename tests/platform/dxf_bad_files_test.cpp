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

    dxf_files::ScratchFolder folder;
};

const std::string kHeader = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1032\n  0\nENDSEC\n";
const std::string kEnd = "  0\nENDSEC\n  0\nEOF\n";

// A file whose ENTITIES section holds body.
std::string entities(const std::string& body, const std::string& end = kEnd) {
    return kHeader + "  0\nSECTION\n  2\nENTITIES\n" + body + end;
}

TEST_F(DxfBadFiles, EachDamageHasItsStatus) {
    const std::string line = "  0\nLINE\n  5\n2A\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n";
    const Acad::ErrorStatus bad = Acad::eBadDxfSequence, recover = Acad::eDwgNeedsRecovery;
    const struct {
        const char* what;
        std::string text;
        Acad::ErrorStatus expected;
    } cases[] = {
        {"empty", "", recover},
        {"not a group code", "hello\nworld\n", bad},
        {"undefined group code", "  0\nSECTION\n 3000\nx\n", bad},
        {"text where a number belongs", entities(line + " 10\nten\n"), bad},
        {"16-bit value out of range", entities(line + " 62\n70000\n"), bad},
        {"not finite", entities(line + " 10\nnan\n"), bad},
        {"value line missing", "  0\nSECTION\n  2\n", recover},
        {"no EOF", entities(line, "  0\nENDSEC\n"), recover},
        {"section never closed", entities(line, "  0\nEOF\n"), recover},
        {"tags after EOF", entities("", kEnd + "  0\nLINE\n"), bad},
        {"outside any section", "  0\nLINE\n  0\nEOF\n", bad},
        {"handle used twice", entities(line + line), recover},
        {"insert of a block not defined",
         entities("  0\nINSERT\n  5\n2B\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockReference\n"
                  "  2\nNOPE\n"),
         recover},
        {"entity without its subclass", entities("  0\nLINE\n  5\n2A\n  8\n0\n"), bad},
        {"arc of negative radius",
         entities("  0\nARC\n  5\n2C\n100\nAcDbEntity\n  8\n0\n100\nAcDbCircle\n 40\n-1\n"
                  "100\nAcDbArc\n"),
         bad},
        {"block never ended", kHeader + "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nB\n" + kEnd,
         recover},
        {"table never ended",
         kHeader + "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n" + kEnd, recover},
        {"a handle that is no handle", entities("  0\nLINE\n  5\nXYZ\n"), bad},
    };
    for (const auto& c : cases) {
        AcDbDatabase db(false, true);
        EXPECT_EQ(read_text(c.text, db), c.expected) << c.what;
        EXPECT_TRUE(db.blockTableId().isNull()) << c.what;
        expect_host_clean();
    }
}

TEST_F(DxfBadFiles, EveryCutOfAGoodFileFailsCleanlyAndAFailedReadMayBeRetried) {
    auto drawn = host_test::new_drawing();
    host_test::DrawingBuilder drawing(drawn.get());
    const AcDbObjectId block = drawing.define_block(L"B");
    drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)), L"L1", block);
    drawing.insert(block);
    drawing.add(new AcDbArc(AcGePoint3d(0, 0, 0), 1.0, 0.0, 1.0));
    ASSERT_EQ(drawn->saveAs(folder.wpath("good.dxf").c_str()), Acad::eOk);
    const std::string good = dxf_files::read_text(folder.path("good.dxf"));
    ASSERT_GT(good.size(), 1000u);
    // Cuts at every line end and at many points inside lines; what is left never ends in EOF.
    for (size_t cut = 0; cut + 4 < good.size(); ++cut) {
        if (good[cut] != '\n' && cut % 7 != 3) continue;
        AcDbDatabase db(false, true);
        const Acad::ErrorStatus es = read_text(good.substr(0, cut), db);
        ASSERT_TRUE(es == Acad::eDwgNeedsRecovery || es == Acad::eBadDxfSequence)
            << "cut at " << cut << ": " << es;
        ASSERT_EQ(host_test::open_object_count(), 0) << "cut at " << cut;
        ASSERT_EQ(db.readDwgFile(folder.wpath("good.dxf").c_str()), Acad::eOk) << "cut at " << cut;
    }

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

TEST_F(DxfBadFiles, ForeignFilesReadAndUnknownEntitiesAreWrittenBackUnchanged) {
    // A minimal entities-only file gets the default tables.
    AcDbDatabase minimal(false, true);
    ASSERT_EQ(read_text("  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n100\nAcDbEntity\n  8\nWalls\n"
                        "100\nAcDbLine\n 10\n0\n 20\n0\n 11\n1\n 21\n0\n" +
                            kEnd,
                        minimal),
              Acad::eOk);
    const std::string small = drawing_dump::dump_drawing(&minimal);
    for (const char* part : {"layer 0 ", "layer Walls ", "block *Model_Space", "AcDbLine h="}) {
        EXPECT_NE(small.find(part), std::string::npos) << part << "\n" << small;
    }

    AcDbDatabase db(false, true);
    ASSERT_EQ(read_text(entities("  0\nWIDGET\n  5\n40\n100\nAcDbEntity\n  8\nParts\n 62\n3\n"
                                 "100\nAcDbWidget\n 10\n1.5\n 20\n2.5\n  1\nhello\n"),
                        db),
              Acad::eOk);
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

// A drawing whose handles are used up, by its seed or by its highest handle, reads; the
// last handle goes once, after it a new object is refused, and what is saved reads back
// as it was.
TEST_F(DxfBadFiles, UsedUpHandlesAreNeverGivenTwice) {
    {
        AcDbDatabase db(true, true);
        ASSERT_EQ(db.saveAs(folder.wpath("good.dxf").c_str()), Acad::eOk);
    }
    const std::string good = dxf_files::read_text(folder.path("good.dxf"));
    const std::string seed_tag = "$HANDSEED\n  5\n", entities_tag = "  2\nENTITIES\n";
    ASSERT_NE(good.find(seed_tag), std::string::npos);
    ASSERT_NE(good.find(entities_tag), std::string::npos);
    const size_t seed = good.find(seed_tag) + seed_tag.size();
    const size_t entities = good.find(entities_tag) + entities_tag.size();
    const std::string last = "FFFFFFFFFFFFFFFF";
    const struct {
        const char* what;
        std::string text;
        int added;  // new objects that still get a handle
    } cases[] = {
        {"seed", good.substr(0, seed) + last + good.substr(good.find('\n', seed)), 1},
        {"highest handle",
         good.substr(0, entities) + "  0\nLINE\n  5\n" + last +
             "\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n" + good.substr(entities),
         0},
    };
    for (const auto& c : cases) {
        AcDbDatabase db(false, true);
        ASSERT_EQ(read_text(c.text, db), Acad::eOk) << c.what;
        std::vector<Adesk::UInt64> handles;
        {
            AcDbBlockTable* table = nullptr;
            ASSERT_EQ(db.getBlockTable(table, AcDb::kForRead), Acad::eOk);
            AcDbBlockTableRecord* space = nullptr;
            const Acad::ErrorStatus opened = table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
            table->close();
            ASSERT_EQ(opened, Acad::eOk);
            for (int i = 0; i < 2; ++i) {
                auto* line = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
                AcDbObjectId id;
                const Acad::ErrorStatus es = space->appendAcDbEntity(id, line);
                EXPECT_EQ(es, i < c.added ? Acad::eOk : Acad::eOutOfRange) << c.what << i;
                if (es != Acad::eOk) {
                    EXPECT_TRUE(id.isNull());
                    delete line;
                    continue;
                }
                handles.push_back(static_cast<Adesk::UInt64>(id.handle()));
                line->close();
            }
            space->close();
        }
        EXPECT_EQ(handles, std::vector<Adesk::UInt64>(c.added, ~Adesk::UInt64{0})) << c.what;
        const std::string seen = drawing_dump::dump_drawing(&db);
        ASSERT_EQ(db.saveAs(folder.wpath("again.dxf").c_str()), Acad::eOk) << c.what;
        AcDbDatabase again(false, true);
        ASSERT_EQ(again.readDwgFile(folder.wpath("again.dxf").c_str()), Acad::eOk) << c.what;
        EXPECT_EQ(drawing_dump::dump_drawing(&again), seen) << c.what;
        expect_host_clean();
    }
}

}  // namespace
