// side_data.h: the host's view of the registered side-data filers (host_test/side_data.h).
#pragma once

#include <host_test/side_data.h>

#include <vector>

namespace korv_host {

const std::vector<host_test::SideDataFiler>& side_data_filers();
// The filer of that application name (case-insensitive), or null.
const host_test::SideDataFiler* side_data_filer(const std::wstring& app_name);

}  // namespace korv_host
