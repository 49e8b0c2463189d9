#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/InstallationRun.h"
#include "core/SetupLog.h"
#include "core/ShellIntegration.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"
#include "ide/Utils.h"
#include "native/InstallerMachine.h"
#include "platform/Exceptions.h"
#include "ui/MainPages.h"

namespace corvalis {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using testing::Ide;
using testing::IdeFixture;
using ::testing::IsEmpty;
using ::testing::StartsWith;

TEST(FormatLogLine, StampsTheLineWithMillisecondsAndTheLevelName)
{
    const DateTime time = EncodeDateTime({2007, 5, 14, 16, 2, 31, 250});
    EXPECT_EQ(FormatLogLine(time, llInfo, "Installation completed", ":"),
              "[2007-05-14 16:02:31.250, Info]Installation completed");
    EXPECT_EQ(FormatLogLine(EncodeDateTime({2026, 1, 2, 8, 4, 5, 7}), llError, "x", "."),
              "[2026-01-02 08.04.05.007, Error]x");
    const char* names[] = {"Debug", "Info", "Warning", "Error", "Fatal", "Unknown"};
    for (uint8_t level = llDebug; level <= llUnknown; ++level)
        EXPECT_THAT(FormatLogLine(0, static_cast<TLogLevel>(level), "", ":"),
                    EndsWith(std::string(names[level]) + "]"));
}

TEST(TProgressLog, DetailLinesStayOutOfTheViewAndOneErrorMarksTheRun)
{
    MemoryLocale locale;
    TProgressLog log(locale);
    const auto detail = log.Add(llDebug, u"tool output", 39216.5);
    EXPECT_FALSE(detail.inView);
    EXPECT_FALSE(log.HasErrors());
    const auto error = log.Add(llError, u"Error compiling package: CorvalisD7.dpk", 39216.5);
    EXPECT_TRUE(error.inView && error.error);
    const auto info = log.Add(llInfo, u"caf\u00E9\r\nsecond line", 39216.5);
    EXPECT_TRUE(info.inView && !info.error);
    EXPECT_EQ(info.text, "caf\xE9\r\nsecond line");
    EXPECT_TRUE(log.HasErrors());
    EXPECT_EQ(log.LogLines().size(), 3u);

    MemoryFiles files;
    const std::string path = log.Save(files, "C:\\New\\Folder");
    EXPECT_EQ(path, "C:\\New\\Folder\\setup.log");
    const std::string content = *files.ReadFile(path);
    EXPECT_THAT(TextLines(content), ElementsAre(StartsWith("["), StartsWith("["), StartsWith("["), "second line"));
    EXPECT_THAT(content, EndsWith("second line\r\n"));
}

TEST(MainPages, EachModeTakesItsPages)
{
    const auto pages = [](const TPageFlags& flags) {
        std::vector<int> on;
        for (size_t i = 0; i < flags.size(); ++i)
            if (flags[i])
                on.push_back(static_cast<int>(i));
        return on;
    };
    EXPECT_THAT(pages(SetupPageFlags(imInstall, true)),
                ElementsAre(wInstallPage, wLicensePage, wDestinationPage, wFolder, wCompilationMode, wIDEPage,
                            wConfigPage, wCompile, wFinish));
    EXPECT_THAT(pages(SetupPageFlags(imUpdate, false)),
                ElementsAre(wUpdatePage, wLicensePage, wIDEPage, wConfigPage, wUninstall, wCompile, wFinish));
    TPageFlags maintenance = SetupPageFlags(imMaintenance, true);
    EXPECT_THAT(pages(maintenance),
                ElementsAre(wMainternance, wCompilationMode, wIDEPage, wConfigPage, wUninstall, wCompile, wFinish));
    TInstallMode mode = imMaintenance;
    std::optional<bool> chosen;
    EXPECT_TRUE(ApplyMaintenanceChoice(false, true, chosen, mode, maintenance));
    EXPECT_EQ(mode, imUninstall);
    EXPECT_THAT(pages(maintenance), ElementsAre(wMainternance, wUninstall, wCompile, wFinish));
    EXPECT_TRUE(ApplyMaintenanceChoice(true, true, chosen, mode, maintenance));
    EXPECT_EQ(mode, imMaintenance);
    EXPECT_THAT(pages(maintenance),
                ElementsAre(wMainternance, wCompilationMode, wIDEPage, wConfigPage, wCompile, wFinish));

    // The IDE rows leave nothing to install; the chosen button clicked again keeps that.
    maintenance[wConfigPage] = false;
    EXPECT_FALSE(ApplyMaintenanceChoice(true, true, chosen, mode, maintenance));
    EXPECT_FALSE(maintenance[wConfigPage]);

    std::optional<bool> withoutSources;
    ApplyMaintenanceChoice(true, false, withoutSources, mode, maintenance);
    EXPECT_FALSE(maintenance[wCompilationMode]);
}

TEST(MainPages, TextsFollowTheModeAndTheErrors)
{
    EXPECT_EQ(ConfirmationTexts(imUpdate).title, "Begin update");
    EXPECT_EQ(ConfirmationTexts(imUninstall).title, "Begin uninstall");
    EXPECT_EQ(UpdateSubtitle(TVersion("1.9.0.0"), TVersion("2.0.1.0 with sources")),
              "This wizard will update the Corvalis component version 1.9.0.0 Standard Edition currently installed on "
              "your computer with newer version 2.0.1.0 Standard Edition With Sources.");
    EXPECT_EQ(FinishResultText(imUninstall, false),
              "Corvalis component is now completely uninstalled from your computer");
    EXPECT_EQ(FinishResultText(imUninstall, true),
              "Corvalis uninstall completed with errors. See Setup Log for additional information.");
    EXPECT_EQ(FinishResultText(imUpdate, true),
              "Corvalis Setup completed with errors. See Setup Log for additional information.");
    EXPECT_EQ(FinishResultText(imMaintenance, false), "Corvalis component is installed successfully");
}

// The compile page's side of a run: the lines as the view gets them.
class RecordingView : public IInstallationRunView {
public:
    explicit RecordingView(TProgressLog& log) : log_(log) {}
    void LogMessage(TLogBase&, TLogLevel level, const std::u16string& text, DateTime time) override
    {
        shown.push_back(log_.Add(level, text, time).text);
    }
    void ShowSetupLog(const std::optional<std::string>& path) override { setupLog = path; }
    void RunSucceeded() override { succeeded = true; }

    std::vector<std::string> shown;
    std::optional<std::string> setupLog = std::string("<not set>");
    bool succeeded = false;

private:
    TProgressLog& log_;
};

class InstallationRunTest : public ::testing::Test {
protected:
    void Run() { RunInstallation(installer.Data(), installer.machine.platform, log, view); }

    testing::InstallerMachine installer;
    TProgressLog log{installer.machine.locale};
    RecordingView view{log};
};

TEST_F(InstallationRunTest, AFreshInstallationExtractsBuildsAndSavesTheLog)
{
    installer.Install(IdeFixture(Ide::Delphi7));
    TInstallData& data = installer.Start();
    (*data.TargetOptions)[0].Action = taInstall;
    Run();
    EXPECT_TRUE(view.succeeded);
    EXPECT_EQ(view.setupLog, data.InstallDir + "\\setup.log");
    EXPECT_EQ(view.shown.back(), "Installation completed");
    EXPECT_THAT(view.shown, Contains("Compiling for:Delphi 7.0 (Enterprise)"));
    EXPECT_FALSE(log.HasErrors());
    const std::string saved = *installer.machine.files.ReadFile(data.InstallDir + "\\setup.log");
    EXPECT_THAT(saved, EndsWith("Installation completed\r\n"));
    EXPECT_TRUE((*data.TargetOptions)[0].Installed);
}

TEST_F(InstallationRunTest, AnUninstallRemovesEverythingAndWritesNoLog)
{
    installer.Install(IdeFixture(Ide::Delphi7));
    TInstallData& data = installer.Start();
    (*data.TargetOptions)[0].Action = taInstall;
    Run();
    TInstallData& again = installer.Start();
    ASSERT_EQ(again.Mode, imMaintenance);
    again.Mode = imUninstall;
    RecordingView uninstall(log);
    RunInstallation(again, installer.machine.platform, log, uninstall);
    EXPECT_EQ(uninstall.setupLog, std::nullopt);
    EXPECT_EQ(uninstall.shown.back(), "Uninstall completed");
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
    EXPECT_FALSE(installer.machine.files.FileExists(again.InstallDir + "\\setup.log"));
    EXPECT_EQ((*again.TargetOptions)[0].Target.FindPackage("CorvalisDsgnD7.bpl"), nullptr);
}

TEST_F(InstallationRunTest, AFailedExtractionInAnUpdateLeavesTheOldVersionRemovedAndNothingRecorded)
{
    installer.Install(IdeFixture(Ide::Delphi7));
    TInstallData& data = installer.Start();
    (*data.TargetOptions)[0].Action = taInstall;
    Run();
    installer.machine.files.WriteFile(std::string(testing::InstallerMachine::kPackageFolder) + "\\version",
                                      "2.1.0.0 Standard Edition With Sources");
    TInstallData& update = installer.Start();
    ASSERT_EQ(update.Mode, imUpdate);
    installer.machine.processes.SetEnv("CORVALIS_UNRAR_EXIT", "2");
    RecordingView failing(log);
    EXPECT_THROW(RunInstallation(update, installer.machine.platform, log, failing), Exception);
    EXPECT_FALSE(failing.succeeded);
    EXPECT_EQ(failing.setupLog, "<not set>");
    EXPECT_FALSE(installer.machine.registry.KeyExists(RootKey::LocalMachine, ProductKey));
    EXPECT_THAT(failing.shown, Contains("Uninstall from IDE:Delphi 7.0 (Enterprise)"));
}

TEST_F(InstallationRunTest, MaintenanceOnlyChangesTheIdesAndOverwritesTheLog)
{
    installer.Install(IdeFixture(Ide::Delphi7));
    installer.Install(IdeFixture(Ide::Delphi6));
    TInstallData& data = installer.Start();
    (*data.TargetOptions)[1].Action = taInstall;
    Run();
    TInstallData& maintenance = installer.Start();
    ASSERT_EQ(maintenance.Mode, imMaintenance);
    (*maintenance.TargetOptions)[0].Action = taInstall;
    (*maintenance.TargetOptions)[1].Action = taRemove;
    RecordingView second(log);
    RunInstallation(maintenance, installer.machine.platform, log, second);
    EXPECT_TRUE((*maintenance.TargetOptions)[0].Installed);
    EXPECT_FALSE((*maintenance.TargetOptions)[1].Installed);
    EXPECT_THAT(second.shown, ::testing::Not(Contains("Extracting component files...")));
    EXPECT_THAT(*installer.machine.files.ReadFile(maintenance.InstallDir + "\\setup.log"),
                ::testing::Not(::testing::HasSubstr("Extracting component files...")));
}

} // namespace
} // namespace corvalis
