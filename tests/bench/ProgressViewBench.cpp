// The compile page's progress view with its window up: the time one message takes per
// level, the last batch shown included, and a tool's long output through the view next to
// a log that only counts.
// Run with scripts/bench; the figures go to docs/performance.md.
#include "platform/win32/WindowsSupport.h"

#include <cstdio>
#include <string>

#include "Stopwatch.h"
#include "ide/Utils.h"
#include "log/uLogger.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Form.h"
#include "ui/ProgressView.h"

namespace {

using namespace corvalis;

constexpr int kMessages = 10000;
constexpr int kToolLines = 100000;

} // namespace

int main()
{
    Win32Platform machine;
    ui::TForm form("Corvalis Benchmark", 598, 456, "MS Sans Serif", 8);
    ui::TProgressView view(form, machine.locale, {11, 22, 575, 251}, {11, 278, 575, 16}, {11, 298, 575, 33});
    form.Show();

    std::printf("| messages | level | per message |\n| ---: | --- | ---: |\n");
    const std::u16string text = u"Compiling/Installing Corvalis Component dbExpress Connectivity";
    for (const TLogLevel level : {llInfo, llDebug}) {
        view.Log().Clear();
        const bench::TStopwatch watch;
        for (int i = 0; i < kMessages; ++i)
            view.LogMessage(level, text, machine.locale.Now());
        view.Flush();
        std::printf("| %d | %s | %.3f ms |\n", kMessages, level == llInfo ? "Info" : "Debug",
                    watch.Seconds() * 1000 / kMessages);
    }

    const std::string tool = "\"" + PathJoin(ExtractFileDir(machine.processes.ExecutablePath()), "tproc.exe") +
                             "\" lines:" + std::to_string(kToolLines) + ":58";
    view.Log().Clear();
    TLogToList shown(machine.locale);
    shown.OnLog = [&](TLogBase&, TLogLevel level, const std::u16string& line, DateTime time) {
        view.LogMessage(level, line, time);
    };
    shown.OnIdle = [&] { view.Flush(); };
    const bench::TStopwatch throughView;
    RunProcess(machine.processes, machine.locale, shown, tool, "");
    const double viewSeconds = throughView.Seconds();
    bench::TCountingLog counted(machine.locale);
    const bench::TStopwatch throughCount;
    RunProcess(machine.processes, machine.locale, counted, tool, "");
    const double countSeconds = throughCount.Seconds();
    std::printf("\n| tool lines | through the view | with a counting log |\n| ---: | ---: | ---: |\n");
    std::printf("| %d | %.2f s | %.2f s |\n", kToolLines, viewSeconds, countSeconds);
    return 0;
}
