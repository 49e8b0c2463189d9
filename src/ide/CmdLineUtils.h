#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvalis {

class IConsole;
class IFileSystem;

// One option row: its text as typed (valued options end with "=") and its help line.
class TItem {
public:
    TItem(std::string name, std::string help) : Name(std::move(name)), Help(std::move(help)) {}
    virtual ~TItem() = default;
    // True when the row consumed the argument. A plain row is a separator and consumes nothing.
    virtual bool Parse(const std::string&) { return false; }
    // The name as the help shows it.
    virtual std::string HelpName() const { return Name; }

    std::string Name;
    std::string Help;
};

// "--name" sets the field, "--name-" clears it; nothing else matches.
class TBoolItem : public TItem {
public:
    TBoolItem(std::string name, std::string help, bool& field) : TItem(std::move(name), std::move(help)), field_(field)
    {
    }
    bool Parse(const std::string& argument) override;

private:
    bool& field_;
};

// "-name=value": everything after the name, possibly empty.
class TStringItem : public TItem {
public:
    TStringItem(std::string name, std::string help, std::string& field)
        : TItem(std::move(name), std::move(help)), field_(field)
    {
    }
    bool Parse(const std::string& argument) override;
    std::string HelpName() const override { return Name + "X"; }

protected:
    std::string& field_;
};

// As a string option, for a value the run needs: the option set keeps the names of those
// whose last value is empty, so that a script's unset variable is refused, not taken as
// the option's absence.
class TValueItem : public TStringItem {
public:
    TValueItem(std::string name, std::string help, std::string& field, std::vector<std::string>& emptyValues)
        : TStringItem(std::move(name), std::move(help), field), emptyValues_(emptyValues)
    {
    }
    bool Parse(const std::string& argument) override;

private:
    std::vector<std::string>& emptyValues_;
};

// As a string option, but a value that is not an existing folder leaves the field as it was.
class TDirItem : public TStringItem {
public:
    TDirItem(std::string name, std::string help, std::string& field, const IFileSystem& files)
        : TStringItem(std::move(name), std::move(help), field), files_(files)
    {
    }
    bool Parse(const std::string& argument) override;

private:
    const IFileSystem& files_;
};

// The command-line option set, parsed once at program start.
class TCmdOptions {
public:
    // Parses the arguments (without the program name). A help request prints the option
    // list on the console, waits for Enter (unless silent) and ends the program with exit
    // code 1.
    TCmdOptions(const std::vector<std::string>& arguments, const IFileSystem& files, IConsole& console);

    bool IgnoreIde = false;
    std::string LibPath;
    bool KeepFiles = false;
    bool IgnoreBcb = false;
    bool IgnoreDelphi = false;
    bool ShowHelp = false;
    std::string Language;
    bool AutoUpdate = false;
    std::string DelphiRegKey;
    std::string BcbRegKey;
    std::string BdsRegKey;
    // The unattended run and the presets of the wizard's pages.
    bool Silent = false;
    std::string InstallDir;
    std::string StartFolder;
    std::string Ides;
    std::string CompilationMode;
    bool Uninstall = false;
    bool ListIdes = false;
    std::string LogFile;
    // Put back the IDE settings saved before the most recent run, or before the run of the
    // given backup folder, instead of installing.
    bool Restore = false;
    std::string RestoreFolder;
    // How many IDEs the run works on at once (ParseJobs); empty: one per processor.
    std::string Jobs;
    // The valued options given last with nothing after their "=".
    std::vector<std::string> EmptyValues;

private:
    void AddOptions(std::vector<std::unique_ptr<TItem>>& items, const IFileSystem& files);
};

// The --jobs= value: 0 when it is empty (the default), nullopt when it is not a whole number
// from 1 to kMaxJobs.
inline constexpr int kMaxJobs = 64;
std::optional<int> ParseJobs(const std::string& value);

// The arguments of a Windows command line as Delphi's ParamStr splits it: blanks separate,
// double quotes group and are dropped. The program name, the first entry, is left out.
std::vector<std::string> ParseCommandLine(const std::string& commandLine);

} // namespace corvalis
