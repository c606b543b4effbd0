// Writes the fuzz target's seed corpus: drawings as this host writes them (layers with
// flags, blocks, inserts, curves, external references, an unknown entity) and the forms of
// other writers the reader tolerates (release 12, references it repairs, sections and groups
// it reads past, degenerate geometry) into the folder given as the argument.
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
    // Release 12: no subclass markers, handles only on some objects, the spaces' blocks
    // named $MODEL_SPACE, attributes and vertices after their entity.
    std::ofstream(folder + "/r12.dxf")
        << "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  0\nENDSEC\n"
           "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n2\n"
           "  0\nLAYER\n  2\n0\n 70\n0\n 62\n7\n  6\nCONTINUOUS\n"
           "  0\nLAYER\n  2\nBeams\n 70\n1\n 62\n-5\n  6\nCONTINUOUS\n  0\nENDTAB\n"
           "  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n"
           "  0\nBLOCK\n  8\n0\n  2\n$MODEL_SPACE\n 70\n0\n 10\n0\n 20\n0\n 30\n0\n"
           "  0\nENDBLK\n  8\n0\n  0\nBLOCK\n  8\n0\n  2\nPlate\n 70\n2\n 10\n1\n 20\n1\n"
           " 30\n0\n  0\nARC\n  8\n0\n 10\n0\n 20\n0\n 30\n0\n 40\n1\n 50\n0\n 51\n90\n"
           "  0\nATTDEF\n  8\n0\n 10\n0\n 20\n0\n 30\n0\n 40\n1\n  1\n\n  3\nMark\n"
           "  2\nMARK\n 70\n0\n  0\nENDBLK\n  8\n0\n  0\nENDSEC\n"
           "  0\nSECTION\n  2\nENTITIES\n"
           "  0\nLINE\n  5\n2E\n  8\nBeams\n 62\n1\n 10\n1\n 20\n2\n 30\n3\n 11\n4\n 21\n5\n"
           " 31\n6\n  0\nINSERT\n  8\n0\n 66\n1\n  2\nPlate\n 10\n5\n 20\n5\n 30\n0\n"
           " 41\n2\n 43\n0\n 50\n30\n  0\nATTRIB\n  8\n0\n 10\n5\n 20\n5\n 30\n0\n 40\n1\n"
           "  1\nA1\n  2\nMARK\n 70\n0\n  0\nSEQEND\n  8\n0\n"
           "  0\nPOLYLINE\n  8\n0\n 66\n1\n 10\n0\n 20\n0\n 30\n0\n  0\nVERTEX\n  8\n0\n"
           " 10\n1\n 20\n1\n 30\n0\n  0\nSEQEND\n  8\n0\n  0\nENDSEC\n  0\nEOF\n";
    // A byte-order mark, a stray section end in the header, a table count beyond 16 bits,
    // references that are no handle, empty or dangling, common groups before the entity's
    // marker, an orphan, zero scale and radius, an escape beyond the basic plane and a
    // thumbnail.
    std::ofstream(folder + "/repaired.dxf")
        << "\xEF\xBB\xBF  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  0\nENDSEC\n"
           "  9\n$HANDSEED\n  5\n100\n  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n"
           "  0\nTABLE\n  2\nLAYER\n  5\n2\n100\nAcDbSymbolTable\n 70\n70000\n"
           "  0\nLAYER\n  5\n10\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n"
           "  2\nB\\U+0001F600\\U+D83D\\U+DE00\n 70\n0\n 62\n5\n390\nStandard\n347\n\n348\nFFFF\n"
           "  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
           "  0\nHATCH\n  5\n20\n330\n1F\n  8\nB\n 62\n3\n100\nAcDbEntity\n100\nAcDbHatch\n"
           " 10\n0\n 20\n0\n 30\n0\n  0\nLINE\n  5\n21\n330\nWHAT\n 67\n1\n100\nAcDbEntity\n"
           "  8\n0\n370\n25\n100\nAcDbLine\n  0\nARC\n  5\n22\n100\nAcDbEntity\n  8\n0\n"
           "100\nAcDbCircle\n 40\n0\n100\nAcDbArc\n  0\nINSERT\n  5\n23\n100\nAcDbEntity\n"
           "  8\n0\n100\nAcDbBlockReference\n  2\n*Model_Space\n 41\n0\n 42\n0\n 43\n0\n"
           "  0\nENDSEC\n  0\nSECTION\n  2\nTHUMBNAILIMAGE\n 90\n4\n310\n424D0000\n"
           "  0\nENDSEC\n  0\nEOF\n";
    return ok ? 0 : 1;
}
