// First the time from starting setup.exe to its first page with ten IDEs on the machine,
// beside a program that only starts and ends. Then a whole installation of the sample
// product into the four demo IDEs with instant stand-in tools, through the compile page's
// view, one IDE after another and side by side: the run's time, the time in which at least
// one tool was at work, and the rest, the installer's own share. Then every mode in four
// IDEs of like size with tools that each take CORVALIS_BENCH_TOOL_MS (default 1000) asleep:
// one IDE after another, side by side, and each IDE alone.
// Run with scripts/bench; the figures go to docs/performance.md.
#include "platform/win32/WindowsSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "Stopwatch.h"
#include "core/InstallData.h"
#include "driver/UiDriver.h"
#include "fixtures/TestMachine.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "run/InstallationRun.h"
#include "ui/Form.h"
#include "ui/ProgressView.h"

namespace {

using namespace corvalis;
using bench::TStopwatch;
using testing::Ide;
using testing::IdeFixture;

// The four of scripts/demo first.
constexpr Ide kIdes[] = {Ide::Delphi7, Ide::CBuilder6, Ide::Rad2007,    Ide::Rad2010, Ide::Delphi5,
                         Ide::Delphi6, Ide::CBuilder5, Ide::Delphi2005, Ide::Bds2006, Ide::Rad2009};
constexpr int kInstalledIdes = 4;

// When the tools' processes were at work, from the IDEs' threads: the time in which at
// least one was, counted once however many ran side by side, is the tools' share of a run.
class ToolTime {
public:
    double Now() const { return since_.Seconds(); }
    void Add(double from, double to)
    {
        const std::lock_guard lock(mutex_);
        spans_.emplace_back(from, to);
    }
    double Busy()
    {
        const std::lock_guard lock(mutex_);
        std::ranges::sort(spans_);
        double busy = 0;
        double reached = 0;
        for (const auto& [from, to] : spans_) {
            busy += std::max(0.0, to - std::max(from, reached));
            reached = std::max(reached, to);
        }
        return busy;
    }
    void Restart()
    {
        const std::lock_guard lock(mutex_);
        spans_.clear();
        since_ = TStopwatch();
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<double, double>> spans_;
    TStopwatch since_;
};

// A child whose time, from its start until it is seen to have ended, is recorded.
class TimedChild : public IChildProcess {
public:
    TimedChild(std::unique_ptr<IChildProcess> child, double started, ToolTime& time)
        : child_(std::move(child)), started_(started), time_(time)
    {
    }
    bool WaitFor(uint32_t milliseconds) override
    {
        const bool ended = child_->WaitFor(milliseconds);
        if (ended && !counted_) {
            time_.Add(started_, time_.Now());
            counted_ = true;
        }
        return ended;
    }
    uint32_t BytesWaiting(Channel channel) override { return child_->BytesWaiting(channel); }
    std::string Read(Channel channel, uint32_t count) override { return child_->Read(channel, count); }
    std::optional<int32_t> ExitCode() override { return child_->ExitCode(); }

private:
    std::unique_ptr<IChildProcess> child_;
    double started_;
    ToolTime& time_;
    bool counted_ = false;
};

// The machine's processes, with the time spent in the children started through them, as
// the installer in the package folder sees them.
class TimedProcesses : public IProcesses {
public:
    TimedProcesses(IProcesses& processes, std::string installer)
        : processes_(processes), installer_(std::move(installer))
    {
    }

    StartedProcess Start(const std::string& commandLine, const std::string& workingFolder) override
    {
        const double started = time.Now();
        StartedProcess process = processes_.Start(commandLine, workingFolder);
        if (process.child) {
            process.child = std::make_unique<TimedChild>(std::move(process.child), started, time);
            ++children;
        }
        return process;
    }
    std::optional<std::vector<ProcessEntry>> ProcessSnapshot() override { return processes_.ProcessSnapshot(); }
    std::optional<std::vector<std::string>> ModuleSnapshot(uint32_t processId) override
    {
        return processes_.ModuleSnapshot(processId);
    }
    std::optional<std::string> GetEnv(const std::string& name) const override { return processes_.GetEnv(name); }
    std::string ExecutablePath() const override { return installer_; }

    ToolTime time;
    int children = 0;

private:
    IProcesses& processes_;
    std::string installer_;
};

// The compile page's side of the run, with the wizard's own view.
class PageView : public IInstallationRunView {
public:
    explicit PageView(ui::TProgressView& view) : view_(view) {}
    void LogMessage(TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) override
    {
        view_.LogMessage(level, text, time);
        ++lines;
    }
    void ShowSetupLog(const std::optional<std::string>&) override {}
    void RunSucceeded() override { view_.Flush(); }
    void ShowProgress(int done, int total) override { view_.ShowProgress(done, total); }
    void ShowIdesAtWork(const std::vector<TIdeAtWork>& ides) override
    {
        view_.ShowIdesAtWork(FormatIdesAtWork(ides));
    }
    void Idle() override { view_.Flush(); }

    long lines = 0;

private:
    ui::TProgressView& view_;
};

// From the start of the program until a visible window of it has the caption, or until it
// ends when no caption is given.
double SecondsUntil(const std::string& program, const std::string& folder, const char* caption)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + program + "\"";
    PROCESS_INFORMATION info{};
    const TStopwatch watch;
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &info))
        return 0;
    const win32::ScopedKernelHandle thread(info.hThread);
    const win32::ScopedKernelHandle process(info.hProcess);
    if (!caption) {
        ::WaitForSingleObject(process.Get(), INFINITE);
        return watch.Seconds();
    }
    uidriver::WaitForWindow(info.dwProcessId, nullptr, caption);
    const double seconds = watch.Seconds();
    ::TerminateProcess(process.Get(), 0);
    ::WaitForSingleObject(process.Get(), INFINITE);
    return seconds;
}

struct RunFigures {
    double seconds;
    double toolSeconds;
    int children;
    long lines;
};

// A machine with the ten IDEs and a package of the demo product and of a newer version: the
// product installed into the IDEs given, updated, changed and uninstalled, each run through
// the compile page's view.
class BenchMachine {
public:
    explicit BenchMachine(std::vector<Ide> installed) : installed_(std::move(installed))
    {
        for (const Ide ide : kIdes)
            test_.AddIde(IdeFixture(ide));
        package_ = test_.MakePackage("package", {"2.0.1.0 Standard Edition With Sources", true, true, "", ""});
        newer_ = test_.MakePackage("newer", {"2.1.0.0 Standard Edition With Sources", true, true, "", ""});
    }

    // The run of the mode the machine is in, from the package, or from the newer one.
    RunFigures Run(const std::vector<std::string>& arguments, bool newer = false, bool uninstall = false)
    {
        Win32Platform& machine = test_.machine;
        const std::string& package = newer ? newer_ : package_;
        TimedProcesses processes(machine.processes, PathJoin(package, "setup.exe"));
        const Platform platform{machine.registry, machine.files,  processes,  machine.shell,
                                machine.console,  machine.locale, machine.xml};
        machine.files.SetCurrentDirectory(package);
        TCmdOptions options(arguments, machine.files, machine.console);
        TInstallData data(platform, options,
                          [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
        if (data.Mode == imInstall)
            data.InstallDir = PathJoin(test_.Root(), "Corvalis");
        if (uninstall)
            data.Mode = imUninstall;
        for (int i = 0; i < data.TargetOptions->Count(); ++i) {
            TTargetOptions& target = (*data.TargetOptions)[i];
            const bool chosen = std::ranges::any_of(installed_, [&](Ide ide) { return Is(target, ide); });
            target.Action = chosen ? taInstall : taLeaveUnchanged;
        }

        ui::TForm form("Corvalis Benchmark", 598, 456, "MS Sans Serif", 8);
        ui::TProgressView progress(form, machine.locale, {11, 22, 575, 251}, {11, 278, 575, 16}, {11, 298, 575, 33});
        form.Show();
        PageView view(progress);
        // Only the run's tools: reading the IDEs ran their environment scripts before it.
        processes.time.Restart();
        processes.children = 0;
        RunInstallation(data, platform, progress.Log(), view);
        const RunFigures figures{processes.time.Now(), processes.time.Busy(), processes.children, view.lines};
        for (const std::string& line : progress.Log().LogLines())
            if (line.find(", Error]") != std::string::npos)
                std::fprintf(stderr, "%s\n", line.c_str());
        return figures;
    }

    // Installation, update, maintenance (every IDE built again) and uninstall: each run's time.
    std::vector<double> EveryMode(const std::vector<std::string>& arguments)
    {
        return {Run(arguments).seconds, Run(arguments, true).seconds, Run(arguments, true).seconds,
                Run(arguments, true, true).seconds};
    }

private:
    bool Is(const TTargetOptions& target, Ide ide)
    {
        const auto index = static_cast<size_t>(std::ranges::find(kIdes, ide) - std::begin(kIdes));
        return SameText(target.Target.RootDir, test_.Ides()[index].RootDir());
    }

    testing::TestMachine test_{"bench"};
    std::vector<Ide> installed_;
    std::string package_;
    std::string newer_;
};

} // namespace

int main()
{
    {
        testing::TestMachine test("bench");
        for (const Ide ide : kIdes)
            test.AddIde(IdeFixture(ide));
        const std::string package =
            test.MakePackage("package", {"2.0.1.0 Standard Edition With Sources", true, true, "", ""});
        const double firstPage = SecondsUntil(PathJoin(package, "setup.exe"), package, "Corvalis VCL Edition");
        const double emptyProgram = SecondsUntil(PathJoin(test.ToolsFolder(), "tproc.exe"), package, nullptr);
        std::printf("| IDEs | setup.exe to its first page | a program that only starts and ends |\n"
                    "| ---: | ---: | ---: |\n| %zu | %.2f s | %.2f s |\n\n",
                    std::size(kIdes), firstPage, emptyProgram);
    }

    const std::vector<Ide> demo(std::begin(kIdes), std::begin(kIdes) + kInstalledIdes);
    std::printf("| IDEs installed | jobs | log lines | the run | tools at work | the installer's own share |\n"
                "| ---: | --- | ---: | ---: | ---: | ---: |\n");
    for (const char* jobs : {"--jobs=1", "", "--jobs=4"}) {
        const RunFigures instant =
            BenchMachine(demo).Run(*jobs ? std::vector<std::string>{jobs} : std::vector<std::string>{});
        std::printf("| %d | %s | %ld | %.2f s | %.2f s in %d processes | %.2f s (%.0f %%) |\n", kInstalledIdes,
                    *jobs ? jobs : "default", instant.lines, instant.seconds, instant.toolSeconds, instant.children,
                    instant.seconds - instant.toolSeconds,
                    100 * (instant.seconds - instant.toolSeconds) / instant.seconds);
    }
    std::printf("\n");

    // Four IDEs of like size, whose builds take the same time: Delphi 5, 6 and 7 and RAD
    // Studio 2007.
    const std::vector<Ide> alike = {Ide::Delphi5, Ide::Delphi6, Ide::Delphi7, Ide::Rad2007};
    // A second per tool, still less than a real package's build: the extraction, paid once
    // before any IDE, weighs the less the longer the builds take.
    const char* configured = std::getenv("CORVALIS_BENCH_TOOL_MS");
    const std::string toolMs = configured ? configured : "1000";
    ::SetEnvironmentVariableA("CORVALIS_TOOL_MS", toolMs.c_str());
    const std::vector<double> sequential = BenchMachine(alike).EveryMode({"--jobs=1"});
    std::vector<double> slowest(sequential.size());
    for (const Ide ide : alike) {
        const std::vector<double> alone = BenchMachine({ide}).EveryMode({"--jobs=1"});
        std::ranges::transform(slowest, alone, slowest.begin(), [](double a, double b) { return std::max(a, b); });
    }
    const std::vector<double> byDefault = BenchMachine(alike).EveryMode({});
    const std::vector<double> fourJobs = BenchMachine(alike).EveryMode({"--jobs=4"});
    std::printf("Each tool %s ms, %u processors (the default: one IDE per processor)\n\n"
                "| mode | `--jobs=1` | default | / slowest IDE alone | / `--jobs=1` "
                "| `--jobs=4` | / slowest IDE alone | / `--jobs=1` | slowest IDE alone |\n"
                "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n",
                toolMs.c_str(), std::thread::hardware_concurrency());
    const char* modes[] = {"installation", "update", "maintenance", "uninstall"};
    for (size_t i = 0; i < std::size(modes); ++i)
        std::printf("| %s | %.2f s | %.2f s | %.2f | %.2f | %.2f s | %.2f | %.2f | %.2f s |\n", modes[i], sequential[i],
                    byDefault[i], byDefault[i] / slowest[i], byDefault[i] / sequential[i], fourJobs[i],
                    fourJobs[i] / slowest[i], fourJobs[i] / sequential[i], slowest[i]);
    return 0;
}
