#include "engine/Compile.h"

namespace corvalis {

TCompiler::TCompiler(const Platform& platform) : platform_(platform), FLog(platform.locale) {}

int32_t TCompiler::RunProcess(const std::string& commandLine, const std::string& workingFolder)
{
    return corvalis::RunProcess(platform_.processes, platform_.locale, FLog, commandLine, workingFolder);
}

} // namespace corvalis
