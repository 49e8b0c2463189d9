#include "ide/CmdLineUtils.h"

#include <algorithm>

#include "ide/Utils.h"
#include "platform/Console.h"
#include "platform/Files.h"

namespace corvalis {

bool TBoolItem::Parse(const std::string& argument)
{
    if (SameText(argument, Name)) {
        field_ = true;
        return true;
    }
    if (SameText(argument, Name + "-")) {
        field_ = false;
        return true;
    }
    return false;
}

bool TStringItem::Parse(const std::string& argument)
{
    if (!StartsText(Name, argument))
        return false;
    field_ = argument.substr(Name.size());
    return true;
}

bool TValueItem::Parse(const std::string& argument)
{
    if (!TStringItem::Parse(argument))
        return false;
    std::erase(emptyValues_, Name);
    if (field_.empty())
        emptyValues_.push_back(Name);
    return true;
}

bool TDirItem::Parse(const std::string& argument)
{
    const std::string previous = field_;
    if (!TStringItem::Parse(argument))
        return false;
    if (!files_.DirectoryExists(field_))
        field_ = previous;
    return true;
}

TCmdOptions::TCmdOptions(const std::vector<std::string>& arguments, const IFileSystem& files, IConsole& console)
{
    std::vector<std::unique_ptr<TItem>> items;
    AddOptions(items, files);
    for (const std::string& argument : arguments)
        for (const auto& item : items)
            if (item->Parse(argument))
                break;
    if (!ShowHelp)
        return;

    // A silent run opens no console window and waits for no one.
    if (Silent)
        console.Attach();
    else
        console.Open();
    console.WriteLine("");
    for (const auto& item : items) {
        if (item->Name.empty()) {
            console.WriteLine("");
        } else if (!item->Help.empty()) {
            std::string name = item->HelpName();
            if (name.size() < 20)
                name.resize(20, ' ');
            console.WriteLine(name + "  " + item->Help);
        }
    }
    console.WriteLine("");
    if (!Silent)
        console.ReadLine();
    console.Exit(1);
}

void TCmdOptions::AddOptions(std::vector<std::unique_ptr<TItem>>& items, const IFileSystem& files)
{
    items.push_back(
        std::make_unique<TBoolItem>("--ignore-ide", "Start installer even if Delphi/BCB is running.", IgnoreIde));
    items.push_back(std::make_unique<TBoolItem>("--ignore-bcb", "Do not display and compile BCB versions.", IgnoreBcb));
    items.push_back(
        std::make_unique<TBoolItem>("--ignore-delphi", "Do not display and compile Delphi versions.", IgnoreDelphi));
    items.push_back(std::make_unique<TItem>("", ""));
    items.push_back(
        std::make_unique<TDirItem>("--lib-path=", "Set the helper library root directory to X.", LibPath, files));
    items.push_back(std::make_unique<TBoolItem>("--keep-files", "Do not call \"clean\".", KeepFiles));
    items.push_back(
        std::make_unique<TBoolItem>("--autoupdate", "Updates all IDEs where the library is installed.", AutoUpdate));
    items.push_back(std::make_unique<TItem>("", ""));
    items.push_back(
        std::make_unique<TStringItem>("-rDelphi=", "Sets the Registry path for the Delphi IDEs.", DelphiRegKey));
    items.push_back(std::make_unique<TStringItem>("-rBCB=", "Sets the Registry path for the BCB IDEs.", BcbRegKey));
    items.push_back(std::make_unique<TStringItem>(
        "-rBDS=", "Sets the Registry path for the BDS IDEs. (-rBDS=Win32Only)", BdsRegKey));
    items.push_back(std::make_unique<TStringItem>("--lang=", "Sets the Installer's language to X.", Language));
    items.push_back(std::make_unique<TBoolItem>("--help", "Show this screen.", ShowHelp));
    items.push_back(std::make_unique<TBoolItem>("/?", "", ShowHelp));
    items.push_back(std::make_unique<TBoolItem>("-h", "", ShowHelp));
    items.push_back(std::make_unique<TItem>("", ""));
    items.push_back(std::make_unique<TBoolItem>(
        "--silent", "Run without any window or question; the log goes to standard output.", Silent));
    items.push_back(std::make_unique<TValueItem>("--dir=", "Install into folder X (a fresh installation).", InstallDir,
                                                 EmptyValues));
    items.push_back(std::make_unique<TValueItem>(
        "--group=", "Put the shortcuts into Start-menu group X (a fresh installation).", StartFolder, EmptyValues));
    items.push_back(std::make_unique<TValueItem>(
        "--ides=", "Install into IDEs X (names as --list-ides shows them, comma-separated) or all.", Ides,
        EmptyValues));
    items.push_back(std::make_unique<TValueItem>(
        "--compilation-mode=", "Compile with X: standard, tnt, tms or devexpress.", CompilationMode, EmptyValues));
    items.push_back(std::make_unique<TBoolItem>(
        "--uninstall", "Remove the library from every IDE and from this computer.", Uninstall));
    items.push_back(std::make_unique<TBoolItem>(
        "--list-ides", "List the IDEs found, with their names for --ides=, and exit.", ListIdes));
    items.push_back(std::make_unique<TValueItem>("--log=", "Also write the log to file X.", LogFile, EmptyValues));
    items.push_back(std::make_unique<TBoolItem>(
        "--restore", "Put back the IDE settings saved before the most recent run.", Restore));
    items.push_back(std::make_unique<TValueItem>("--restore=", "Put back the IDE settings saved in backup folder X.",
                                                 RestoreFolder, EmptyValues));
    items.push_back(std::make_unique<TValueItem>(
        "--jobs=", "Work on at most X IDEs at once (default: one per processor).", Jobs, EmptyValues));
}

std::optional<int> ParseJobs(const std::string& value)
{
    if (value.empty())
        return 0;
    if (value.size() > 2 || !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int jobs = std::stoi(value);
    return jobs >= 1 && jobs <= kMaxJobs ? std::optional<int>(jobs) : std::nullopt;
}

std::vector<std::string> ParseCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    size_t i = 0;
    const auto at = [&](size_t k) { return k < commandLine.size() ? commandLine[k] : '\0'; };
    const auto isBlank = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
    while (true) {
        // Blanks and empty "" pairs before an argument are skipped.
        while (true) {
            while (isBlank(at(i)))
                ++i;
            if (at(i) == '"' && at(i + 1) == '"')
                i += 2;
            else
                break;
        }
        if (at(i) == '\0')
            break;
        std::string argument;
        while (static_cast<unsigned char>(at(i)) > ' ') {
            if (at(i) == '"') {
                ++i;
                while (at(i) != '\0' && at(i) != '"')
                    argument += commandLine[i++];
                if (at(i) != '\0')
                    ++i;
            } else {
                argument += commandLine[i++];
            }
        }
        arguments.push_back(argument);
    }
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    return arguments;
}

} // namespace corvalis
