#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "WizardSession.h"
#include "fixtures/RegistrySnapshot.h"
#include "fixtures/TestMachine.h"

namespace corvalis::e2e {

inline constexpr const char* kVersion = "2.0.1.0 Standard Edition With Sources";
inline constexpr const char* kOlderVersion = "1.9.0.0 Standard Edition With Sources";

// What a script sees of an installer run: exit code, standard output and error, and
// whether the program showed a window meanwhile.
struct TRunResult {
    DWORD exitCode;
    std::string output;
    std::string errors;
    bool showedWindow;
};

// A test of the installer as a user runs it: a machine of the test's own, with helpers to
// make packages, start the installer and read what it left behind.
class E2eTest : public ::testing::Test {
protected:
    E2eTest() : machine(test.machine) {}

    const testing::IdeFixture& AddIde(testing::Ide ide) { return AddIde(testing::IdeFixture(ide, IdesFolder())); }
    const testing::IdeFixture& AddIde(testing::IdeFixture fixture) { return test.AddIde(std::move(fixture)); }
    std::string IdesFolder() const { return test.Root() + "\\IDEs"; }
    // Where the tests install the product: a folder with blanks, as Program Files has.
    std::string InstallDir() const { return test.Root() + "\\Program Files\\Halvorn\\Corvalis"; }

    // A package of the given version in Root()\folderName; its setup.exe.
    std::string MakePackage(const std::string& folderName, const std::string& version = kVersion,
                            bool withSources = true, bool withConnectivity = false);

    // A fresh installation through every page, into the IDEs whose rows are ticked once
    // onIdePage has run; the installer ends on Finish.
    using TPageStep = std::function<void(TWizardSession&)>;
    void InstallThroughWizard(const std::string& setup, const TPageStep& onIdePage = {},
                              const TPageStep& onConfigPage = {});

    // Runs the installer to its end as a script does.
    TRunResult Run(const std::string& setup, const std::string& arguments);

    // The name the installer gives the IDE.
    std::string DisplayName(const testing::IdeFixture& ide);
    // The product key and per-IDE keys of an earlier installation of the version into the
    // IDEs, as that installation left them.
    void RecordInstallation(const std::string& version, const std::vector<const testing::IdeFixture*>& ides);

    testing::RegistrySnapshot ProductKey();
    testing::RegistrySnapshot UserKey(const testing::IdeFixture& ide);
    // The IDE knows the package of the installation folder.
    bool Registered(const testing::IdeFixture& ide, const std::string& file);
    // The IDEs' own settings, exactly: their user keys and EnvOptions.proj files.
    std::vector<std::string> IdeSettings();
    // setup.log of the installation folder, as UTF-8 lines without their CR LF; none when missing.
    std::optional<std::vector<std::string>> SetupLog();

    // The shown state of the IDE page's row of an IDE: box state and enabled, status text.
    struct TRow {
        int check;
        bool enabled;
        std::string status;
        bool operator==(const TRow&) const = default;
        friend void PrintTo(const TRow& row, std::ostream* out)
        {
            *out << "{" << row.check << ", " << row.enabled << ", \"" << row.status << "\"}";
        }
    };
    TRow Row(TWizardSession& wizard, const testing::IdeFixture& ide);
    HWND RowBox(TWizardSession& wizard, const testing::IdeFixture& ide);

    // Saves a picture of the window under the screenshot folder named by
    // CORVALIS_SCREENSHOTS, when that is set.
    void Screenshot(HWND window, const std::string& name);

    testing::TestMachine test{"e2e"};
    Win32Platform& machine;
};

// Sets a variable of this process's environment, which the installer it starts inherits,
// for the life of the object.
class TScopedEnvironment {
public:
    TScopedEnvironment(const std::string& name, const std::string& value);
    ~TScopedEnvironment();
    TScopedEnvironment(const TScopedEnvironment&) = delete;
    TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

private:
    std::string name_;
};

} // namespace corvalis::e2e
