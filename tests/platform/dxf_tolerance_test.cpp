// Drawings other programs write read here as the host reads them: release 12 files, files
// with sections, references and groups the host reads past, degenerate geometry. What the
// reader repaired is listed for the database, and saving such a drawing gives a file that
// ezdxf audits clean and that holds the same content.
#include <dbsymtb.h>
#include <host_test/read_repairs.h>

#include <fstream>
#include <regex>

#include "drawing_dump.h"
#include "dxf_files.h"
#include "ezdxf_runner.h"
#include "host_fixture.h"

namespace {

class DxfTolerance : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (!ezdxf_runner::available()) GTEST_SKIP() << "python3-ezdxf cannot be installed here";
    }

    // Reads the file into db and saves it again as NAME.saved.dxf.
    void read_and_save(const std::string& name, AcDbDatabase& db) {
        ASSERT_EQ(db.readDwgFile(folder.wpath(name).c_str()), Acad::eOk) << name;
        ASSERT_EQ(db.saveAs(folder.wpath(name + ".saved.dxf").c_str()), Acad::eOk) << name;
        expect_host_clean();
    }

    dxf_files::ScratchFolder folder;
};

std::string without_handles(const std::string& dump) {
    return std::regex_replace(dump, std::regex(" h=[0-9A-F]+"), "");
}

std::string repairs_text(const AcDbDatabase& db) {
    std::string text;
    for (const host_test::ReadRepair& repair : host_test::read_repairs(&db)) {
        text += std::to_string(repair.line) + " " + std::to_string(repair.handle) + " " +
                std::to_string(repair.group) + " " + repair.what + "\n";
    }
    return text;
}

// Release 12: no subclass markers, spaces named $MODEL_SPACE and $PAPER_SPACE. ezdxf writes
// handles; the copy without them is what older writers leave.
const char* const kRelease12 = R"PY(
import sys, re, ezdxf
folder = sys.argv[1]
doc = ezdxf.new('R12')
doc.layers.add('Beams', color=5)
doc.layers.add('Frozen', color=3).freeze()
msp = doc.modelspace()
msp.add_line((1, 2, 3), (4, 5, 6), dxfattribs={'layer': 'Beams', 'color': 1})
msp.add_arc((10, 10), 2.5, 30, 120, dxfattribs={'layer': 'Frozen'})
msp.add_circle((7, 7), 1.5)
block = doc.blocks.new('Plate', base_point=(1, 1))
block.add_line((0, 0), (2, 0))
block.add_arc((0, 0), 1, 0, 90)
msp.add_blockref('Plate', (20, 30), dxfattribs={'rotation': 45, 'xscale': 2, 'yscale': 3})
doc.saveas(folder + '/r12.dxf')
lines = ezdxf.new('R12')
lines.modelspace().add_polyline2d([(0, 0), (1, 1), (2, 0)])
lines.saveas(folder + '/r12_polyline.dxf')
polyline = open(folder + '/r12_polyline.dxf').read()
open(folder + '/r12_polyline.dxf', 'w').write(re.sub(r'\n  5\n[0-9A-F]+\n', '\n', polyline))
text = open(folder + '/r12.dxf').read()
open(folder + '/r12_bare.dxf', 'w').write(re.sub(r'\n  5\n[0-9A-F]+\n', '\n', text))
)PY";

TEST_F(DxfTolerance, Release12FilesReadWithTheirContentWithOrWithoutHandles) {
    ASSERT_TRUE(ezdxf_runner::script_succeeds(kRelease12, folder.path("")));
    AcDbDatabase db(false, true), bare(false, true);
    read_and_save("r12.dxf", db);
    read_and_save("r12_bare.dxf", bare);
    const std::string seen = drawing_dump::dump_drawing(&db);
    for (const char* part : {
             "layer Beams h=2D frozen=0 off=0 color=5",
             "layer Frozen h=2E frozen=1 off=0 color=3",
             "AcDbLine h=2F layer=Beams color=1 lw=-1 (1,2,3)-(4,5,6)",
             "AcDbArc h=30 layer=Frozen color=256 lw=-1 c=(10,10,0) r=2.5 a=0.523598776..2.0943951",
             "block Plate h=3F origin=(1,1,0) refs=1",
             "AcDbLine h=35 layer=0 color=256 lw=-1 (0,0,0)-(2,0,0)",
             "AcDbArc h=36 layer=0 color=256 lw=-1 c=(0,0,0) r=1 a=0..1.57079633",
             "block=Plate at=(20,30,0) rot=0.785398163 scale=(2,3,1)",
             "AcDbProxyEntity h=31 layer=0 color=256 lw=-1 of=CIRCLE items=4",
         }) {
        EXPECT_NE(seen.find(part), std::string::npos) << part << "\n" << seen;
    }
    EXPECT_EQ(seen.find("$MODEL_SPACE"), std::string::npos) << seen;
    EXPECT_EQ(without_handles(drawing_dump::dump_drawing(&bare)), without_handles(seen));
    EXPECT_EQ(repairs_text(db) + repairs_text(bare), "");

    // What ezdxf sees in the saved files is what it wrote.
    const std::string theirs = ezdxf_runner::describe(folder.path("r12.dxf"));
    EXPECT_NE(theirs.find("LINE layer=Beams (1,2,3)-(4,5,6) color=1"), std::string::npos) << theirs;
    EXPECT_EQ(ezdxf_runner::describe(folder.path("r12.dxf.saved.dxf")), theirs);
    EXPECT_EQ(ezdxf_runner::describe(folder.path("r12_bare.dxf.saved.dxf")), theirs);
    EXPECT_EQ(ezdxf_runner::audit(
                  {folder.path("r12.dxf.saved.dxf"), folder.path("r12_bare.dxf.saved.dxf")}),
              "r12.dxf.saved.dxf errors=0 fixes=0\nr12_bare.dxf.saved.dxf errors=0 fixes=0\n");
}

// Entities the host keeps as proxies keep all their data through a save and read back as
// they were read: one from release 12 with its vertices, and one whose writer put a group
// of its own before its marker.
TEST_F(DxfTolerance, ProxiesKeepTheirDataThroughASave) {
    ASSERT_TRUE(ezdxf_runner::script_succeeds(kRelease12, folder.path("")));
    std::ofstream(folder.path("thing.dxf"))
        << "  0\nSECTION\n  2\nENTITIES\n  0\nTHING\n  5\n2A\n100\nAcDbEntity\n  8\n0\n"
           "  4\nkept\n100\nAcDbThing\n 10\n1\n  0\nENDSEC\n  0\nEOF\n";
    // A type is a C string: what follows a NUL is no part of it, nor are trailing blanks.
    std::string padded = dxf_files::read_text(folder.path("thing.dxf"));
    padded.replace(padded.find("THING"), 5, std::string("THING \r\0x", 9));
    std::ofstream(folder.path("padded.dxf")) << padded;
    for (const auto& [name, kept] : {std::pair{"r12_polyline.dxf", "of=POLYLINE items=25"},
                                     std::pair{"thing.dxf", "of=THING items=3"},
                                     std::pair{"padded.dxf", "of=THING items=3"}}) {
        AcDbDatabase db(false, true), again(false, true);
        read_and_save(name, db);
        read_and_save(name + std::string(".saved.dxf"), again);
        const std::string seen = drawing_dump::dump_drawing(&db);
        EXPECT_NE(seen.find(kept), std::string::npos) << seen;
        EXPECT_EQ(drawing_dump::dump_drawing(&again), seen);
    }
}

// A block table of more entries than a 16-bit count holds, and a layer name beyond the
// basic plane, escaped in eight digits.
TEST_F(DxfTolerance, ManyBlocksAndEscapesBeyondTheBasicPlaneRead) {
    const char* const script = R"PY(
import sys, ezdxf
doc = ezdxf.new('R2000')
doc.layers.add('Beam\U0001F600\u00e9', color=2)
for i in range(32767): doc.blocks.new('B%d' % i)
doc.modelspace().add_blockref('B32766', (1, 2))
doc.saveas(sys.argv[1] + '/many.dxf')
)PY";
    ASSERT_TRUE(ezdxf_runner::script_succeeds(script, folder.path("")));
    const std::string text = dxf_files::read_text(folder.path("many.dxf"));
    ASSERT_NE(text.find(" 70\n32769\n"), std::string::npos);
    ASSERT_NE(text.find("Beam\\U+0001f600"), std::string::npos);
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(folder.wpath("many.dxf").c_str()), Acad::eOk);
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db.getLayerTable(layers), Acad::eOk);
    EXPECT_TRUE(layers->has(L"Beam\U0001F600\u00e9"));
    layers->close();
    AcDbBlockTable* blocks = nullptr;
    ASSERT_EQ(db.getBlockTable(blocks), Acad::eOk);
    EXPECT_TRUE(blocks->has(L"B0") && blocks->has(L"B32766"));
    blocks->close();
    EXPECT_EQ(repairs_text(db), "");
}

// The forms ezdxf does not write, made by patching the bytes of a file it wrote: each reads,
// with the repair it needed (where it is in the file) and the drawing's content intact.
TEST_F(DxfTolerance, PatchedFormsReadWithTheirRepairsAndSaveClean) {
    const char* const script = R"PY(
import sys, ezdxf
doc = ezdxf.new('R2013')
doc.layers.add('Beams', color=5)
msp = doc.modelspace()
msp.add_line((0, 0, 0), (6, 0, 0), dxfattribs={'layer': 'Beams', 'color': 1})
msp.add_arc((10, 10), 2.5, 30, 120)
msp.add_arc((3, 3), 0, 0, 90)
block = doc.blocks.new('Plate', base_point=(1, 1))
block.add_line((0, 0), (2, 0))
msp.add_blockref('Plate', (20, 30), dxfattribs={'rotation': 45, 'xscale': 2})
doc.saveas(sys.argv[1] + '/base.dxf')
)PY";
    ASSERT_TRUE(ezdxf_runner::script_succeeds(script, folder.path("")));
    const std::string base = dxf_files::read_text(folder.path("base.dxf"));
    AcDbDatabase original(false, true);
    dxf_files::write_text(folder.path("original.dxf"), base);
    read_and_save("original.dxf", original);
    EXPECT_NE(drawing_dump::dump_drawing(&original).find("c=(3,3,0) r=0 "), std::string::npos);
    const std::string content = ezdxf_runner::describe(folder.path("original.dxf.saved.dxf"));

    const std::string thumbnail =
        "  0\nSECTION\n  2\nTHUMBNAILIMAGE\n 90\n4\n310\n424D0000\n"
        "  0\nENDSEC\n  0\nEOF\n";
    const struct {
        const char* name;
        std::string from, to;  // the patch: the first `from` becomes `to`
        std::string at;        // where in `to` the repaired group stands ("": no repair)
        std::string repair;
    } cases[] = {
        {"not_a_handle", "390\n13\n", "390\nStandard\n", "390",
         "390 reference that is no handle read as none"},
        {"empty_reference", "347\n21\n", "347\n\n", "347", "347 empty reference read as none"},
        {"dangling", "390\n13\n", "390\nFFFFF\n", "390",
         "390 reference to FFFFF, which no object has, read as none"},
        {"common_first", "330\n17\n100\nAcDbEntity\n  8\nBeams\n 62\n1\n",
         "330\n17\n  8\nBeams\n 62\n1\n100\nAcDbEntity\n", "  8",
         "8 common group before the entity's marker moved behind it"},
        {"orphan", "LINE\n  5\n30\n330\n17\n", "LINE\n  5\n30\n330\nFFFFF\n", "330",
         "330 owner that is no block of the file replaced by its space"},
        {"stray_section_end", "  9\n$HANDSEED\n", "  0\nENDSEC\n  9\n$HANDSEED\n", "  0",
         "0 section end inside the header read past"},
        {"zero_z_scale", " 41\n2.0\n", " 41\n2.0\n 43\n0.0\n", "", ""},
        {"byte_order_mark", "  0\nSECTION\n  2\nHEADER\n",
         "\xEF\xBB\xBF  0\nSECTION\n  2\nHEADER\n", "", ""},
        {"thumbnail", "  0\nEOF\n", thumbnail, "", ""},
    };
    std::vector<std::string> saved;
    for (const auto& c : cases) {
        std::string text = base;
        const size_t patch = text.find(c.from);
        ASSERT_NE(patch, std::string::npos) << c.name;
        text.replace(patch, c.from.size(), c.to);
        const std::string name = std::string(c.name) + ".dxf";
        dxf_files::write_text(folder.path(name), text);
        AcDbDatabase db(false, true);
        read_and_save(name, db);
        const std::vector<host_test::ReadRepair> repairs = host_test::read_repairs(&db);
        if (c.at.empty()) {
            EXPECT_TRUE(repairs.empty()) << c.name << "\n" << repairs_text(db);
        } else {
            ASSERT_FALSE(repairs.empty()) << c.name;
            const size_t at = patch + c.to.find(c.at);
            const size_t line = 1 + std::count(text.begin(), text.begin() + at, '\n');
            EXPECT_EQ(repairs.front().line, line) << c.name;
            EXPECT_EQ(std::to_string(repairs.front().group) + " " + repairs.front().what, c.repair)
                << c.name;
        }
        EXPECT_EQ(ezdxf_runner::describe(folder.path(name + ".saved.dxf")), content) << c.name;
        saved.push_back(name + ".saved.dxf");
    }
    AcDbDatabase flat(false, true);
    ASSERT_EQ(flat.readDwgFile(folder.wpath("zero_z_scale.dxf").c_str()), Acad::eOk);
    EXPECT_NE(drawing_dump::dump_drawing(&flat).find("scale=(2,1,0)"), std::string::npos);

    std::string expected;
    for (std::string& name : saved) {
        expected += name + " errors=0 fixes=0\n";
        name = folder.path(name);
    }
    EXPECT_EQ(ezdxf_runner::audit(saved), expected);
}

}  // namespace
