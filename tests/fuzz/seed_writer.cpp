// Writes the fuzz target's seed corpus: drawings as this host writes them (layers with
// flags, blocks, inserts, curves, external references, an unknown entity) into the folder
// given as the argument.
#include <dbents.h>
#include <host_test/drawing_builder.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

using host_test::DrawingBuilder;

namespace {

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

bool save(AcDbDatabase* db, const std::string& path) {
    return db->saveAs(wide(path).c_str()) == Acad::eOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dxf_seed_writer FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    auto referenced = host_test::new_drawing();
    DrawingBuilder(referenced.get()).add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 0, 3)));
    bool ok = save(referenced.get(), folder + "/ref.dxf");

    auto db = host_test::new_drawing();
    DrawingBuilder drawing(db.get());
    const AcDbObjectId block = drawing.define_block(L"B", AcGePoint3d(1, 0, 0));
    drawing.add(new AcDbArc(AcGePoint3d(0, 0, 0), 1.0, 0.0, M_PI), L"Arcs", block);
    host_test::Placement placement;
    placement.rotation = 0.5;
    placement.scale = AcGeScale3d(2, 2, 2);
    placement.normal = AcGeVector3d(0, 1, 1);
    drawing.insert(block, placement, L"Inserts");
    drawing.add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0)), L"",
                drawing.paper_space());
    auto loaded = std::make_unique<AcDbDatabase>(false, true);
    ok = ok && loaded->readDwgFile(wide(folder + "/ref.dxf").c_str()) == Acad::eOk;
    drawing.insert(drawing.attach_xref(L"REF", L"ref.dxf", std::move(loaded)));
    drawing.layer(L"Arcs", true, true);
    ok = ok && save(db.get(), folder + "/host.dxf");

    std::ofstream(folder + "/proxy.dxf")
        << "  0\nSECTION\n  2\nCLASSES\n  0\nCLASS\n  1\nTHING\n  2\nThing\n  3\nAPP\n"
           " 90\n0\n 91\n1\n280\n0\n281\n1\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
           "  0\nTHING\n  5\n2A\n100\nAcDbEntity\n  8\nX\n100\nThing\n 10\n1\n 20\n2\n 30\n3\n"
           "  0\nINSERT\n  5\n2B\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockReference\n"
           "  2\n*Model_Space\n 10\n0\n 20\n0\n 30\n0\n  0\nENDSEC\n  0\nEOF\n";
    return ok ? 0 : 1;
}
