// The stand-ins' Windows programs, started the way the installer starts them, on real folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "engine/uLogger.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"
#include "product/PackageProjects.h"
#include "product/ProductTree.h"
#include "standins/CompilerConfig.h"

namespace corvalis {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// A variable of this process's environment, which the tools started meanwhile inherit.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) { ::SetEnvironmentVariableA(name, value); }
    ~ScopedVariable() { ::SetEnvironmentVariableA(name_, nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
};

class StandInProgramsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bin_ = ExtractFileDir(machine.processes.ExecutablePath());
        folder_ = machine.files.TempDirectory() + "\\corvalis stand-ins " + std::to_string(::GetCurrentProcessId());
        ASSERT_TRUE(machine.files.ForceDirectories(folder_));
    }
    void TearDown() override { machine.files.DeleteTree(folder_); }

    // The program built beside this test, copied where the installer would find it.
    std::string Install(const std::string& program, const std::string& folder, const std::string& name)
    {
        const std::string path = PathJoin(folder, name);
        EXPECT_TRUE(machine.files.ForceDirectories(folder));
        EXPECT_TRUE(machine.files.CopyFile(PathJoin(bin_, program), path)) << path;
        return path;
    }

    // An IDE below the test folder with the given tools in its Bin folder and its packages in Lib.
    std::string InstallIde(const std::string& name, const std::string& ideFolder, std::vector<std::string> tools)
    {
        const std::string root = PathJoin(folder_, name);
        for (const std::string& tool : tools)
            Install(tool, root + "\\Bin", tool);
        machine.files.ForceDirectories(root + "\\Lib");
        for (const std::string& library : product::IdeLibraryFiles(product::IdeFolderNamed(ideFolder)))
            machine.files.WriteFile(root + "\\Lib\\" + library, "the IDE's " + library);
        return root;
    }

    int32_t Run(const std::string& commandLine, const std::string& workingFolder)
    {
        log.Messages.clear();
        return RunProcess(machine.processes, machine.locale, log, commandLine, workingFolder);
    }

    std::vector<std::string> Logged(TLogLevel level) const
    {
        std::vector<std::string> lines;
        for (const TLogMessage& message : log.Messages)
            if (message.Level == level)
                lines.push_back(machine.locale.WideToAnsi(message.Text));
        return lines;
    }

    bool Exists(const std::string& path) const { return machine.files.FileExists(path); }

    Win32Platform machine;
    TLogToList log{machine.locale};
    std::string bin_;
    std::string folder_;
};

TEST_F(StandInProgramsTest, MkpackageMakesAPackageWhoseArchiveTheExtractorUnpacks)
{
    // Without the connectivity packages: a few hundred files rather than thousands.
    const std::string package = folder_ + "\\Package";
    ASSERT_EQ(Run("\"" + PathJoin(bin_, "mkpackage.exe") + "\" \"" + package +
                      "\" \"1.2.3.4 Standard Edition With Sources\" /withsrcs \"/setup:" + PathJoin(bin_, "setup.exe") +
                      "\"",
                  folder_),
              0)
        << ::testing::PrintToString(Logged(llError));
    EXPECT_EQ(machine.files.ReadFile(package + "\\version"), "1.2.3.4 Standard Edition With Sources");
    EXPECT_TRUE(Exists(package + "\\withsrcs"));
    EXPECT_FALSE(Exists(package + "\\metapvds"));
    for (const char* file : {"unrar.exe", "setup.exe", "data.arc"})
        EXPECT_TRUE(Exists(package + "\\" + file)) << file;

    const std::string destination = folder_ + "\\Program Files\\Halvorn\\Corvalis";
    ASSERT_EQ(Run("unrar.exe x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"" + destination + "\\\"", package + "\\"),
              0)
        << ::testing::PrintToString(Logged(llError));
    EXPECT_EQ(Logged(llDebug).back(), "All OK");
    EXPECT_THAT(Logged(llError), IsEmpty());
    for (const char* file : {"Demos\\DemoApp\\CRVDemo.dpr", "Help\\CRV.HLP", "Sources\\CrvCore.pas",
                             "Packages_DevExpress\\CBuilder2007\\CorvalisDsgnDbExC11.bpk"})
        EXPECT_TRUE(Exists(destination + "\\" + file)) << file;
    EXPECT_FALSE(machine.files.DirectoryExists(destination + "\\Demos\\ThirdParty"));
    EXPECT_TRUE(machine.files.DirectoryExists(destination + "\\CBuilder6\\obj"));
}

TEST_F(StandInProgramsTest, TheExtractorReportsItsFailuresByExitCode)
{
    const std::string package = folder_ + "\\Package\\";
    machine.files.ForceDirectories(package);
    const std::string commandLine =
        "unrar.exe x -c- -cfg- -dh -idp -o+ -r -y  data.arc *.* \"" + folder_ + "\\Dest\\\"";
    EXPECT_EQ(Run(commandLine, package), 6);
    EXPECT_THAT(Logged(llError), ElementsAre("Cannot open " + package + "data.arc"));
    EXPECT_EQ(Run("unrar.exe x data.arc", package), 7);
    const ScopedVariable forced("CORVALIS_UNRAR_EXIT", "255");
    EXPECT_EQ(Run(commandLine, package), 255);
}

TEST_F(StandInProgramsTest, TheCompilerBuildsAPackageInARealFolder)
{
    const std::string product = folder_ + "\\Corvalis";
    product::WriteProductTree(machine.files, product, {true, false});
    const std::string compiler = InstallIde("Delphi 7", "Delphi7", {"dcc32.exe"}) + "\\Bin\\dcc32.exe";
    const std::string packages = product + "\\Packages\\Delphi7";
    const std::string output = product + "\\Delphi7";
    machine.files.ForceDirectories(output);
    machine.files.WriteFile(packages + "\\dcc32.cfg", standins::CompilerConfig{output}.Text());

    ASSERT_EQ(Run("\"" + compiler + "\" \"CorvalisD7.dpk\"", packages), 0) << ::testing::PrintToString(Logged(llDebug));
    for (const char* file : {"CorvalisD7.bpl", "CorvalisD7.dcp", "CrvCore.dcu"})
        EXPECT_TRUE(Exists(output + "\\" + file)) << file;
    EXPECT_THAT(Logged(llDebug), Contains(product + "\\Sources\\CrvCore.pas(9)"));
    EXPECT_THAT(Logged(llDebug).back(), AllOf(StartsWith("49 lines, "), EndsWith(" seconds.")));

    machine.files.DeleteFile(output + "\\CorvalisD7.dcp");
    EXPECT_EQ(Run("\"" + compiler + "\" \"CorvalisDsgnD7.dpk\"", packages), 1);
    EXPECT_EQ(Logged(llDebug).back(), "CorvalisDsgnD7.dpk(17) Fatal: File not found: 'CorvalisD7.dcp'");
    EXPECT_THAT(Logged(llError), IsEmpty()); // the compiler reports on standard output

    const ScopedVariable forced("CORVALIS_DCC32_FAIL", "CorvalisD7.dpk");
    EXPECT_EQ(Run("\"" + compiler + "\" \"CorvalisD7.dpk\"", packages), 1);
}

TEST_F(StandInProgramsTest, TheCppBuilderToolsBuildAPackageInARealFolder)
{
    const std::string product = folder_ + "\\Corvalis";
    product::WriteProductTree(machine.files, product, {true, false});
    const std::string bin = InstallIde("CBuilder 6", "CBuilder6", {"bpr2mak.exe", "make.exe"}) + "\\Bin\\";
    const std::string packages = product + "\\Packages\\CBuilder6";
    const std::string output = product + "\\CBuilder6";
    const auto build = [&](const std::string& project) {
        const int32_t converted = Run("\"" + bin + "bpr2mak.exe\" \"" + packages + "\\" + project + ".bpk\"", packages);
        return converted != 0 ? converted
                              : Run("\"" + bin + "make.exe\" -f\"" + packages + "\\" + project + ".mak\" ", packages);
    };

    ASSERT_EQ(build("CorvalisC6"), 0) << ::testing::PrintToString(Logged(llError));
    for (const char* file : {"CorvalisC6.bpl", "CorvalisC6.bpi", "CorvalisC6.lib", "CrvCore.hpp", "obj\\CrvCore.obj"})
        EXPECT_TRUE(Exists(output + "\\" + file)) << file;
    for (const char* file : {"CorvalisC6.mak", "CorvalisC6.obj", "CorvalisC6.tds"})
        EXPECT_TRUE(Exists(packages + "\\" + file)) << file;
    EXPECT_EQ(Logged(llDebug).back(), "Linking " + output + "\\CorvalisC6.bpl");

    EXPECT_EQ(build("CorvalisDsgnADOC6"), 1);
    EXPECT_THAT(Logged(llError), ElementsAre("Fatal: Unable to open file 'CorvalisADOC6.bpi'"));
}

TEST_F(StandInProgramsTest, TheIdeStandInShowsInTheSnapshotsUntilItsEventIsSet)
{
    const std::string ide = Install("ide.exe", folder_ + "\\Delphi 7\\Bin", "delphi32.exe");
    const std::string eventName = "CorvalisIdeStandIn-" + std::to_string(::GetCurrentProcessId());
    const win32::ScopedKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(event);
    StartedProcess started = machine.processes.Start("\"" + ide + "\" /event:" + eventName, folder_);
    ASSERT_TRUE(started.child);

    const auto running = [&] {
        for (const ProcessEntry& process : machine.processes.ProcessSnapshot().value_or(std::vector<ProcessEntry>{}))
            if (SameText(process.exeFile, "delphi32.exe"))
                for (const std::string& module :
                     machine.processes.ModuleSnapshot(process.id).value_or(std::vector<std::string>{}))
                    if (machine.locale.SameText(module, ide))
                        return true;
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool seen = running();
    while (!seen && std::chrono::steady_clock::now() < deadline && !started.child->WaitFor(50))
        seen = running();
    EXPECT_TRUE(seen);

    EXPECT_FALSE(started.child->WaitFor(0));
    ::SetEvent(event.Get());
    ASSERT_TRUE(started.child->WaitFor(30000));
    EXPECT_EQ(started.child->ExitCode(), 0);
}

TEST_F(StandInProgramsTest, TheIdeStandInEndsAfterItsTimeoutOrOnABadArgument)
{
    const std::string ide = Install("ide.exe", folder_ + "\\BDS\\Bin", "bds.exe");
    EXPECT_EQ(Run("\"" + ide + "\" /timeout:50", folder_), 1);
    EXPECT_EQ(Run("\"" + ide + "\" -ns", folder_), 2);
}

} // namespace
} // namespace corvalis
