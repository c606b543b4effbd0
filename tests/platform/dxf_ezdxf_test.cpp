// A third-party reader agrees with us: ezdxf (Debian's python3-ezdxf, run with the Debian
// python) opens and audits every file this host writes without errors, and the files ezdxf
// writes read here with the same content, which survives our saving them again.
#include <dbpl.h>
#include <host_test/drawing_builder.h>

#include <cmath>
#include <cstdlib>

#include "drawing_dump.h"
#include "dxf_files.h"
#include "ezdxf_runner.h"
#include "host_fixture.h"

using host_test::DrawingBuilder;
using host_test::Placement;

namespace {

class Ezdxf : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        if (!ezdxf_runner::available()) GTEST_SKIP() << "python3-ezdxf cannot be installed here";
    }
    dxf_files::ScratchFolder folder;
};

// Writes ezdxf's drawing: layers with flags, lines, arcs, a polyline, a block inserted
// turned and scaled, and an external reference to another ezdxf drawing.
const char* const kEzdxfWrites = R"PY(
import sys, ezdxf
folder = sys.argv[1]
ref = ezdxf.new('R2013')
ref.layers.add('Beams', color=5)
ref.modelspace().add_line((0, 0, 0), (6, 0, 0), dxfattribs={'layer': 'Beams'})
ref.saveas(folder + '/ref.dxf')
doc = ezdxf.new('R2013')
doc.layers.add('Frozen', color=3).freeze()
doc.layers.add('Hidden', color=4).off()
msp = doc.modelspace()
msp.add_line((1, 2, 3), (4, 5, 6), dxfattribs={'layer': 'Frozen', 'color': 1})
msp.add_arc((10, 10), 2.5, 30, 120, dxfattribs={'layer': 'Hidden'})
msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (5, 0), (5, 5)], format='xyseb', close=True)
block = doc.blocks.new('Plate', base_point=(1, 1))
block.add_line((0, 0), (2, 0))
block.add_arc((0, 0), 1, 0, 90)
msp.add_blockref('Plate', (20, 30), dxfattribs={'rotation': 45, 'xscale': 2, 'yscale': 3})
msp.add_blockref('Plate', (-5, -5))
doc.add_xref_def('ref.dxf', 'REF')
msp.add_blockref('REF', (100, 0))
doc.saveas(folder + '/theirs.dxf')
)PY";

TEST_F(Ezdxf, OurFilesOpenAndAuditWithoutErrors) {
    auto ref = host_test::new_drawing();
    DrawingBuilder(ref.get()).add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 0, 0)),
                                  L"Beams");
    ASSERT_EQ(ref->saveAs(folder.wpath("ref.dxf").c_str()), Acad::eOk);

    auto db = host_test::new_drawing();
    DrawingBuilder drawing(db.get());
    const AcDbObjectId block = drawing.define_block(L"Plate", AcGePoint3d(1, 1, 0));
    drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 0, 0)), L"Frozen", block);
    const Placement turned{AcGePoint3d(20, 30, 0), M_PI / 4, AcGeScale3d(2, 3, 1)};
    drawing.insert(block, turned, L"Hidden");
    drawing.add(new AcDbArc(AcGePoint3d(10, 10, 0), 2.5, 0.5, 2.0));
    auto loaded = std::make_unique<AcDbDatabase>(false, true);
    ASSERT_EQ(loaded->readDwgFile(folder.wpath("ref.dxf").c_str()), Acad::eOk);
    const AcDbObjectId xref = drawing.attach_xref(L"REF", L"ref.dxf", std::move(loaded));
    drawing.insert(xref);
    drawing.insert(xref, turned);
    drawing.layer(L"Frozen", true);  // after the entities: naming a layer resets its flags
    drawing.layer(L"Hidden", false, true);
    ASSERT_EQ(db->saveAs(folder.wpath("ours.dxf").c_str()), Acad::eOk);

    const std::string report =
        ezdxf_runner::audit({folder.path("ref.dxf"), folder.path("ours.dxf")});
    EXPECT_EQ(report, "ref.dxf errors=0 fixes=0\nours.dxf errors=0 fixes=0\n");
    const std::string seen = ezdxf_runner::describe(folder.path("ours.dxf"));
    for (const char* part : {"layer Frozen frozen=1 off=0", "layer Hidden frozen=0 off=1",
                             "INSERT layer=Hidden name=Plate at=(20,30,0) rot=45 scale=(2,3)",
                             "block REF base=(0,0,0) xref=ref.dxf"}) {
        EXPECT_NE(seen.find(part), std::string::npos) << part << "\n" << seen;
    }
}

TEST_F(Ezdxf, TheirFilesReadWithTheSameContent) {
    ASSERT_TRUE(ezdxf_runner::script_succeeds(kEzdxfWrites, folder.folder()));
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile(folder.wpath("theirs.dxf").c_str()), Acad::eOk);
    const std::string ours = drawing_dump::dump_drawing(&db);
    for (const char* part :
         {"layer Frozen h=", " frozen=1 off=0 color=3", " frozen=0 off=1 color=4",
          "layer=Frozen color=1 lw=-1 (1,2,3)-(4,5,6)",
          "c=(10,10,0) r=2.5 a=0.523598776..2.0943951",
          "block=Plate at=(20,30,0) rot=0.785398163 scale=(2,3,1)",
          "block REF h=", "xref=ref.dxf status=1 loaded=yes", "AcDbLine h=", "layer=REF|Beams",
          "AcDbPolyline h="}) {
        EXPECT_NE(ours.find(part), std::string::npos) << part << "\n" << ours;
    }
    // Saved again by us, ezdxf sees what it wrote.
    ASSERT_EQ(db.saveAs(folder.wpath("resaved.dxf").c_str()), Acad::eOk);
    EXPECT_EQ(ezdxf_runner::audit({folder.path("resaved.dxf")}), "resaved.dxf errors=0 fixes=0\n");
    EXPECT_EQ(ezdxf_runner::describe(folder.path("resaved.dxf")),
              ezdxf_runner::describe(folder.path("theirs.dxf")));
}

}  // namespace
