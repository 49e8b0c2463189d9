#pragma once

#include <functional>
#include <string>
#include <vector>

namespace corvalis {

class TInstallData;
class TMetadataProvidersList;
class TTargetOptions;

// An IDE being worked on while others are: its name and how many of its steps are done.
struct TIdeAtWork {
    std::string ide;
    int done;
    int total;
    bool operator==(const TIdeAtWork&) const = default;
};

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

    // While IDEs are worked on side by side, those started and not yet shown in the log, in
    // the log's order; none once they are.
    void IdesAtWork(std::vector<TIdeAtWork> ides);

    // Each time the count of steps done grows.
    std::function<void(int done, int total)> OnProgress;
    // Each time the IDEs at work or their steps change.
    std::function<void(const std::vector<TIdeAtWork>& ides)> OnIdesAtWork;

private:
    int total_ = 0;
    int done_ = 0;
    std::vector<TIdeAtWork> atWork_;
};

// "step 12 of 57"
std::string FormatStepCount(int done, int total);
// "Delphi 7.0: step 2 of 7; Delphi 6.0: done"
std::string FormatIdesAtWork(const std::vector<TIdeAtWork>& ides);

} // namespace corvalis
