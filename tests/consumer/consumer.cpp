// Uses the three installed pieces together: the host layer and the structural builder make a
// drawing with two columns as the current document, the module (linked as a library, and
// loaded again by path as the host loads it) lists them.
#include <host_test/host_test.h>
#include <host_test/module_loader.h>
#include <host_test/structure_builder.h>

#include <cstdio>

#include "KORVInventory.h"

int main() {
    auto database = host_test::new_drawing();
    host_test::DrawingBuilder drawing(database.get());
    host_test::add_column(drawing, L"C1", AcGePoint3d(0, 0, 0), 4.0);
    host_test::add_column(drawing, L"C2", AcGePoint3d(6, 0, 0), 4.0);
    AcDbDatabase* working = database.get();
    host_test::set_current_document(host_test::add_document(std::move(database), L"frame.dwg"));
    host_test::set_working_database(working);

    std::list<AcDbObjectId> linked;
    const bool answered = KORVget_columns(linked);

    host_test::LoadedModule module(KORV_MODULE);
    std::list<AcDbObjectId> loaded;
    module.function<decltype(KORVget_columns)>("KORVget_columns")(loaded);

    std::printf("linked: %zu columns, loaded: %zu columns\n", linked.size(), loaded.size());
    host_test::reset_host();
    return answered && linked.size() == 2 && loaded.size() == 2 ? 0 : 1;
}
