// rx_registry.h: the host's walk over the run-time class registry.
#pragma once

#include <rxobject.h>

#include <vector>

namespace korv_host {

// Every class registered now, ordered by name.
std::vector<AcRxClass*> registered_classes();

}  // namespace korv_host
