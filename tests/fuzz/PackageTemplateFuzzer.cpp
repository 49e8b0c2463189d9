// Package-name templates of the connectivity packages.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzTarget.h"

namespace {

using namespace corvalis;

TCompileTarget& Target()
{
    return fuzz::BdsTarget(testing::Ide::Rad2007, "5.0");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string packageTemplate(reinterpret_cast<const char*>(data), size);
    const std::string expanded = ExpandPackageTemplate(Target(), packageTemplate);
    const auto macros = static_cast<size_t>(std::count(packageTemplate.begin(), packageTemplate.end(), '%'));
    // Each macro gives at most four characters ("2007"); text without one stays as it is.
    if (expanded.size() > packageTemplate.size() + 3 * macros || (macros == 0 && expanded != packageTemplate))
        std::abort();
    IsPackageInstalled(Target(), packageTemplate);
    return 0;
}
