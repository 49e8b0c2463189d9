#include "engine/ProgressPlan.h"

#include <algorithm>

#include "core/InstallData.h"
#include "ide/TargetOptions.h"

namespace corvalis {
namespace {

// The core packages: the runtime and the design-time package.
constexpr int kCorePackages = 2;

} // namespace

TProgressPlan::TProgressPlan(const TInstallData& data)
{
    const TTargetOptionsList& targets = *data.TargetOptions;
    const bool removesProduct = data.Mode == imUpdate || data.Mode == imUninstall;
    if (removesProduct) {
        for (int i = 0; i < targets.Count(); ++i)
            total_ += targets[i].Installed ? 1 : 0;
        ++total_; // the product's files
    }
    if (data.Mode == imInstall || data.Mode == imUpdate)
        ++total_; // the extraction
    if (data.Mode != imUninstall)
        for (int i = 0; i < targets.Count(); ++i)
            total_ += IdeSteps(targets[i], *data.Providers);
}

void TProgressPlan::Reach(int done)
{
    done = std::min(done, total_);
    if (done <= done_)
        return;
    done_ = done;
    if (OnProgress)
        OnProgress(done_, total_);
}

void TProgressPlan::IdesAtWork(std::vector<TIdeAtWork> ides)
{
    if (ides == atWork_)
        return;
    atWork_ = std::move(ides);
    if (OnIdesAtWork)
        OnIdesAtWork(atWork_);
}

int TProgressPlan::IdeSteps(const TTargetOptions& options, const TMetadataProvidersList& providers)
{
    switch (options.Action) {
    case taInstall:
        return 1 + kCorePackages +
               static_cast<int>(std::count_if(providers.begin(), providers.end(), [&](const auto& provider) {
                   return options.CanCompileProvider(*provider) && options.IsProviderSelected(*provider);
               }));
    case taRemove: return 1;
    case taLeaveUnchanged: break;
    }
    return 0;
}

std::string FormatStepCount(int done, int total)
{
    return "step " + std::to_string(done) + " of " + std::to_string(total);
}

std::string FormatIdesAtWork(const std::vector<TIdeAtWork>& ides)
{
    std::string text;
    for (const TIdeAtWork& ide : ides) {
        text += (text.empty() ? "" : "; ") + ide.ide + ": ";
        text += ide.done < ide.total ? FormatStepCount(ide.done, ide.total) : "done";
    }
    return text;
}

} // namespace corvalis
