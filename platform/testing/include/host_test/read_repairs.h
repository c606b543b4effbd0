// read_repairs.h: what the host's reader repaired in a drawing it read.
//
// Drawings written by other programs often deviate from the exchange format in ways the
// host reads past: a reference that is not a handle or names no object, an entity whose
// owner is missing, a section end inside the header. The reader repairs each (a bad
// reference becomes the null id, an orphan entity goes to the space its flag names) and
// notes it here, in file order, as the host's audit would report it. The list belongs to
// the database: readDwgFile fills it, a failed or repeated read empties it.
#pragma once

#include <dbmain.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host_test {

struct ReadRepair {
    std::string what;     // what was found and what was done, one plain sentence
    size_t line = 0;      // the line of its group code in the file, from 1; 0: none
    uint64_t handle = 0;  // the object it concerns (as it is in the database); 0: none
    int group = -1;       // the group code concerned; -1: none
};

std::vector<ReadRepair> read_repairs(const AcDbDatabase* db);

}  // namespace host_test
