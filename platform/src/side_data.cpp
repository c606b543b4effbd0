#include "side_data.h"

#include <algorithm>

#include "text.h"

namespace korv_host {
namespace {
std::vector<host_test::SideDataFiler>& filers() {
    static auto& instance = *new std::vector<host_test::SideDataFiler>;
    return instance;
}
}  // namespace

const std::vector<host_test::SideDataFiler>& side_data_filers() {
    return filers();
}

const host_test::SideDataFiler* side_data_filer(const std::wstring& app_name) {
    for (const auto& filer : filers()) {
        if (same_name_ignoring_case(filer.app_name, app_name)) return &filer;
    }
    return nullptr;
}

}  // namespace korv_host

namespace host_test {

void register_side_data(const SideDataFiler& filer) {
    unregister_side_data(filer.app_name);
    korv_host::filers().push_back(filer);
}

void unregister_side_data(const std::wstring& app_name) {
    auto& all = korv_host::filers();
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](const SideDataFiler& filer) {
                                 return korv_host::same_name_ignoring_case(filer.app_name,
                                                                           app_name);
                             }),
              all.end());
}

}  // namespace host_test
