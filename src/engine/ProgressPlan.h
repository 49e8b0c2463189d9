#pragma once

#include <functional>
#include <string>

namespace corvalis {

class TInstallData;
class TMetadataProvidersList;
class TTargetOptions;

// The steps of one installation run, counted from the user's choices before it starts, so
// that the run can say how far along it is: the product's files (removed, extracted) and,
// for each IDE to change, its removal, each package it builds and each connectivity package.
class TProgressPlan {
public:
    explicit TProgressPlan(const TInstallData& data);

    int Total() const { return total_; }
    int Done() const { return done_; }

    void StepDone() { Reach(done_ + 1); }
    // Done up to this count: an IDE whose pass failed half way has its skipped steps behind it.
    void Reach(int done);

    // The steps of one IDE's pass over the per-IDE actions.
    static int IdeSteps(const TTargetOptions& options, const TMetadataProvidersList& providers);

    // Each time the count of steps done grows.
    std::function<void(int done, int total)> OnProgress;

private:
    int total_ = 0;
    int done_ = 0;
};

// "step 12 of 57"
std::string FormatStepCount(int done, int total);

} // namespace corvalis
