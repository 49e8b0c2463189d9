#include "ui/uMain.h"

#include "core/InstallData.h"
#include "core/Product.h"
#include "ide/CmdLineUtils.h"
#include "run/ExitCode.h"
#include "run/FolderChecks.h"
#include "ui/Application.h"
#include "ui/LabelColumn.h"
#include "ui/ProgressView.h"

// The main window and the pages of the page flow; the IDE, compilation-mode and
// configuration pages are in uMainTargets.cpp, the compile page in uMainProgress.cpp.

namespace corvalis::ui {
namespace {

constexpr int kClientWidth = 598;
constexpr int kClientHeight = 456;
// A welcome page's texts, right of its picture.
constexpr int kWelcomeLeft = 16;
constexpr int kWelcomeWidth = 400;
constexpr int kFolderListBottom = 342;

const char* const kWelcomeTitle = "Welcome to the Corvalis Installation Wizard";

const char* const kLicense =
    "CORVALIS END-USER LICENSE AGREEMENT\r\n\r\n"
    "This agreement is between you and Halvorn. Please read it carefully before you install the Corvalis "
    "component library.\r\n\r\n"
    "1. License. Halvorn grants you a non-exclusive license to install and use the Corvalis component library "
    "on the computers of one developer, and to distribute applications built with it in compiled form.\r\n\r\n"
    "2. Restrictions. You may not distribute the library's sources, its design-time packages or this installer, "
    "nor make them available to others, except as this agreement allows.\r\n\r\n"
    "3. Ownership. The library and its documentation remain the property of Halvorn and are protected by "
    "copyright law and international treaties.\r\n\r\n"
    "4. No warranty. The library is provided as is. Halvorn is not liable for any damage arising from its use, "
    "to the extent the law permits.\r\n\r\n"
    "5. Termination. The license ends when you fail to comply with this agreement; you then destroy every copy "
    "of the library.\r\n";

HWND CreateLabel(TWindow& page, const std::string& text, const TBounds& bounds)
{
    return page.CreateControl("STATIC", text, SS_NOPREFIX, bounds);
}

HWND CreateCheckBox(TWindow& page, const std::string& caption, const TBounds& bounds)
{
    return page.CreateControl("BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX, bounds);
}

bool Checked(HWND box)
{
    return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

} // namespace

TfMain::TfMain(TInstallData& installData, const Platform& platform)
    : TForm("Corvalis VCL Edition", kClientWidth, kClientHeight, "MS Sans Serif", 8), installData_(installData),
      platform_(platform), wizard_(*this)
{
    CreateWelcomePage(wInstallPage);
    CreateWelcomePage(wUpdatePage);
    CreateMaintenancePage();
    CreateLicensePage();
    CreateDestinationPage();
    CreateFolderPage();
    CreateCompilationModePage();
    CreateIdePage();
    CreateConfigPage();
    CreateUninstallPage();
    CreateCompilePage();
    CreateFinishPage();
    wizard_.OnCancelButtonClick = [this] { WizardCancelButtonClick(); };
    SetupPages();
}

bool TfMain::HasErrors() const
{
    return progress_->Log().HasErrors();
}

int TfMain::ExitCode() const
{
    if (runFailed_)
        return ecFailed;
    return RunDone && HasErrors() ? ecErrors : ecDone;
}

TfMain::~TfMain() = default;

void TfMain::Start()
{
    Show();
    wizard_.Start();
}

void TfMain::CreateWelcomePage(TMainPage index)
{
    TWizardPage& page = wizard_.AddPage(index == wInstallPage ? "wInstallPage" : "wUpdatePage", pkWelcome);
    page.SetTitle(kWelcomeTitle);
    page.SetSubtitle("This wizard will install the Corvalis component on your computer.");
    page.SetButtonVisible(wbBack, false);
    TLabelColumn column(page, kWelcomeLeft, 0, kWelcomeWidth);
    column.Label("It is strongly recommended that you exit all Delphi IDE before running this setup program.", 0, 30);
    column.Label("Click Cancel to quit the setup program, then close any programs you have running.  Click Next to "
                 "continue the installation.",
                 10, 30);
    column.Label("WARNING: This program is protected by copyright law and international treaties. Unauthorized "
                 "reproduction or distribution of this program, or any portion of it, may result in severe civil and "
                 "criminal penalties.",
                 20, 44);
    column.Label("Corvalis reads and shows the metadata of databases in Delphi and C++Builder applications, through "
                 "the data-access library of your choice.",
                 26, 44);
}

void TfMain::CreateMaintenancePage()
{
    TWizardPage& page = wizard_.AddPage("wMainternance", pkInterior);
    page.SetTitle("Corvalis maintenance");
    page.SetSubtitle("Select the maintanance operation to perform");
    page.SetButtonVisible(wbBack, false);
    rbMainternance = page.CreateControl("BUTTON", "Add or Remove IDE installations",
                                        WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, {40, 30, 400, 22});
    const HWND addOrRemove =
        page.CreateControl("STATIC", "Install Corvalis to new target IDE or remove installation from specific IDE.",
                           SS_NOTIFY, {60, 56, 500, 30});
    rbUninstall =
        page.CreateControl("BUTTON", "Uninstall Corvalis", WS_TABSTOP | BS_AUTORADIOBUTTON, {40, 110, 400, 22});
    const HWND uninstall =
        page.CreateControl("STATIC", "Delete Corvalis from this computer.", SS_NOTIFY, {60, 136, 500, 30});
    page.SetControlFont(rbMainternance, 10, 0);
    page.SetControlFont(rbUninstall, 10, 0);
    for (HWND radio : {rbMainternance, rbUninstall})
        page.OnCommand(radio, BN_CLICKED, [this] { rbMainternanceClick(); });
    page.OnCommand(addOrRemove, STN_CLICKED, [this] { lMainternanceLabelClick(rbMainternance); });
    page.OnCommand(uninstall, STN_CLICKED, [this] { lMainternanceLabelClick(rbUninstall); });
}

void TfMain::CreateLicensePage()
{
    TWizardPage& page = wizard_.AddPage("wLicensePage", pkInterior);
    page.SetTitle("License agreement");
    page.SetSubtitle("Please read the following license agreement carefully.");
    page.SetButtonEnabled(wbNext, false);
    CreateLabel(page, "Press PAGE DOWN key to see the rest of the agreement.", {kPageLeft, 10, kPageWidth, 16});
    page.CreateControl("EDIT", kLicense, WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                       {kPageLeft, 30, kPageWidth, 262}, WS_EX_CLIENTEDGE);
    cbAgree = CreateCheckBox(page, "Yes, I accept this agreement", {kPageLeft, 302, 300, 22});
    page.SetControlFont(cbAgree, 8, fsBold);
    page.OnCommand(cbAgree, BN_CLICKED, [this] { cbAgreeClick(); });
}

void TfMain::CreateDestinationPage()
{
    TWizardPage& page = wizard_.AddPage("wDestinationPage", pkInterior);
    page.SetTitle("Destination Folder");
    page.SetSubtitle("Select a folder where the component will be installed.");
    TLabelColumn column(page, kPageLeft, 0, kPageWidth);
    column.Label("Setup will install Corvalis in the following folder.", 10, 16);
    column.Label("To install to this folder, click Next. To install to a different folder, click Browse and select "
                 "another folder.",
                 8, 30);
    column.Label("WARNING: This folder will be emptied before installation. Please make sure that this folder doesn't "
                 "contain any other important information",
                 10, 30);
    deDestination = std::make_unique<TFrameDirEditBrowse>(page.Handle(), column.Place(26, 50));
    deDestination->SetCaption("Destination Folder");
    deDestination->SetBrowseButton("Browse...", 62, 25);
    page.OnNextButtonClick = [this](bool& stop) { wDestinationPageNextButtonClick(stop); };
}

void TfMain::CreateFolderPage()
{
    TWizardPage& page = wizard_.AddPage("wFolder", pkInterior);
    page.SetTitle("Select program folder");
    page.SetSubtitle("Please select a Program Folder");
    TLabelColumn column(page, kPageLeft, 0, kPageWidth);
    column.Label("Setup will add program icons to the Program Folder listed below. You may type a new folder name, or "
                 "select one from existing folders list. Click Next to continue.",
                 10, 30);
    column.Label("Program Folder:", 12, 16);
    eFolder = page.CreateControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, column.Place(2, 21), WS_EX_CLIENTEDGE);
    column.Label("Existing folders:", 13, 16);
    // The list takes what the texts above leave.
    lFolders = page.CreateControl("LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                  column.Place(2, kFolderListBottom - column.Top() - 2), WS_EX_CLIENTEDGE);
    page.OnCommand(eFolder, EN_CHANGE, [this] { eFolderChange(); });
    page.OnCommand(lFolders, LBN_SELCHANGE, [this] { lFoldersClick(); });
    page.OnNextButtonClick = [this](bool& stop) { wFolderNextButtonClick(stop); };
}

void TfMain::CreateUninstallPage()
{
    TWizardPage& page = wizard_.AddPage("wUninstall", pkInterior);
    lUninstallText = CreateLabel(page, "", {kPageLeft, 10, kPageWidth, 30});
    page.CreateGroupBox(" Corvalis installation folder ", {kPageLeft, 50, kPageWidth, 60});
    lUninstallFolder = CreateLabel(page, "", {kPageLeft + 14, 76, kPageWidth - 28, 20});
    page.SetControlFont(lUninstallFolder, 8, fsBold);
    // Room for a line more than the warnings take, for a wider font.
    lUninstallWarning = CreateLabel(page, "", {kPageLeft, 126, kPageWidth, 58});
    page.OnPage = [this] { wUninstallPage(); };
}

void TfMain::CreateFinishPage()
{
    TWizardPage& page = wizard_.AddPage("wFinish", pkInterior);
    page.SetTitle("Installation completed");
    page.SetSubtitle("Corvalis Setup is now complete");
    page.SetButtonVisible(wbNext, false);
    page.SetButtonVisible(wbCancel, false);
    page.SetButtonVisible(wbFinish, true);
    // The two icons share one place; one of them shows.
    for (HWND* icon : {&iFinishInformation, &iFinishExclamation}) {
        *icon = page.CreateControl("STATIC", "", SS_ICON | SS_CENTERIMAGE, {kPageLeft, 16, 37, 37});
        const auto resource = icon == &iFinishInformation ? IDI_INFORMATION : IDI_EXCLAMATION;
        ::SendMessageW(*icon, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(resource))), 0);
    }
    lFinishResult = CreateLabel(page, "", {kPageLeft + 50, 20, kPageWidth - 50, 40});
    Label17 = CreateLabel(page, "Setup Log was saved at", {kPageLeft, 80, kPageWidth, 16});
    lSetupLogPath = CreateLabel(page, "", {kPageLeft, 98, kPageWidth, 32});
    cbVisitWeb = CreateCheckBox(page, "Learn more about Corvalis at the web site", {kPageLeft, 150, 400, 22});
    ::SendMessageW(cbVisitWeb, BM_SETCHECK, BST_CHECKED, 0);
    page.OnCommand(cbVisitWeb, BN_CLICKED, [this] { cbVisitWebClick(); });
    page.OnEnterPage = [this] { wFinishEnterPage(); };
    page.OnFinishButtonClick = [this] { wFinishFinishButtonClick(); };
}

void TfMain::SetupPages()
{
    startMode_ = installData_.Mode;
    pages_ = SetupPageFlags(installData_.Mode, installData_.WithSources);
    if (installData_.Mode == imUpdate && installData_.InstalledVersion)
        Page(wUpdatePage).SetSubtitle(UpdateSubtitle(*installData_.InstalledVersion, *installData_.PackageVersion));
    deDestination->SetDirectory(installData_.InstallDir);
    BuildTargetRows();
    SetControlText(eFolder, installData_.StartFolder);
    eFolderChange();
    for (const std::string& group : installData_.StartMenuGroups)
        ::SendMessageW(lFolders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Widen(group).c_str()));
    const int mode = installData_.CompilationMode <= cmDevExpress ? installData_.CompilationMode : cmStandard;
    ::SendMessageW(rbCompilationModes[mode], BM_SETCHECK, BST_CHECKED, 0);
    const TCmdOptions& options = installData_.Options;
    if (options.Uninstall) {
        // The maintenance page with its uninstall choice made, whichever version is installed.
        pages_ = SetupPageFlags(imMaintenance, installData_.WithSources);
        ::SendMessageW(rbUninstall, BM_SETCHECK, BST_CHECKED, 0);
        rbMainternanceClick();
    }
    if (options.AutoUpdate) {
        // Nothing to ask: the wizard opens on the run.
        for (size_t page = 0; page < wCompile; ++page)
            pages_[page] = false;
    }
    // The first page says that the last run did not end, in short; the run's log says which run.
    if (!installData_.InterruptedRun.empty())
        for (const TMainPage page : {wInstallPage, wUpdatePage, wMainternance})
            if (pages_[page]) {
                Page(page).SetSubtitle("The last run of the installer did not end. This run completes it; an "
                                       "uninstall removes what it made.");
                break;
            }
    ApplyPageFlags(pages_);
}

void TfMain::ApplyPageFlags(const TPageFlags& flags)
{
    for (size_t page = 0; page < flags.size(); ++page)
        wizard_.Page(page).SetEnabled(flags[page]);
}

void TfMain::WizardCancelButtonClick()
{
    Close();
}

void TfMain::cbAgreeClick()
{
    Page(wLicensePage).SetButtonEnabled(wbNext, Checked(cbAgree));
}

void TfMain::rbMainternanceClick()
{
    const bool addOrRemove = Checked(rbMainternance);
    if (!ApplyMaintenanceChoice(addOrRemove, startMode_, installData_.WithSources, maintenanceChoice_,
                                installData_.Mode, pages_))
        return;
    if (addOrRemove) {
        SetVisitWebQuietly(installData_.VisitWeb);
    } else {
        ::ShowWindow(cbVisitWeb, SW_HIDE);
        SetVisitWebQuietly(false);
    }
    ApplyPageFlags(pages_);
}

void TfMain::lMainternanceLabelClick(HWND radioButton)
{
    ::SetFocus(radioButton);
    ::SendMessageW(radioButton, BM_CLICK, 0, 0);
}

// Setting the tick from code sends no click: the stored choice stays as it is.
void TfMain::SetVisitWebQuietly(bool visitWeb)
{
    if (Checked(cbVisitWeb) != visitWeb)
        ::SendMessageW(cbVisitWeb, BM_SETCHECK, visitWeb ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TfMain::wDestinationPageNextButtonClick(bool& stop)
{
    const std::string folder = deDestination->Directory();
    stop = RefuseFolder(InstallDirProblem(folder));
    if (!stop)
        installData_.InstallDir = FullInstallDir(folder);
}

void TfMain::eFolderChange()
{
    Page(wFolder).SetButtonEnabled(wbNext, ::GetWindowTextLengthW(eFolder) > 0);
}

void TfMain::lFoldersClick()
{
    const auto index = ::SendMessageW(lFolders, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return;
    std::wstring text(static_cast<size_t>(::SendMessageW(lFolders, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        ::SendMessageW(lFolders, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()))));
    SetControlText(eFolder, win32::Narrow(text));
}

void TfMain::wFolderNextButtonClick(bool& stop)
{
    const std::string group = WindowText(eFolder);
    stop = RefuseFolder(StartFolderProblem(group, installData_.ProgramsFolder));
    if (!stop)
        installData_.StartFolder = group;
}

// The page accepts no folder that the command line would refuse.
bool TfMain::RefuseFolder(const std::optional<std::string>& problem)
{
    if (problem)
        ::MessageBoxA(Handle(), problem->c_str(), kApplicationTitle, MB_OK | MB_ICONWARNING);
    return problem.has_value();
}

void TfMain::wUninstallPage()
{
    const TConfirmationTexts texts = ConfirmationTexts(installData_.Mode);
    Page(wUninstall).SetTitle(texts.title);
    Page(wUninstall).SetSubtitle(texts.subtitle);
    SetControlText(lUninstallText, texts.text);
    SetControlText(lUninstallFolder, installData_.InstallDir);
    SetControlText(lUninstallWarning, texts.warning);
}

void TfMain::wFinishEnterPage()
{
    SetControlText(lFinishResult, FinishResultText(installData_.Mode, HasErrors()));
    if (installData_.Mode == imUninstall)
        ::ShowWindow(cbVisitWeb, SW_HIDE);
    ::ShowWindow(iFinishExclamation, HasErrors() ? SW_SHOW : SW_HIDE);
    ::ShowWindow(iFinishInformation, HasErrors() ? SW_HIDE : SW_SHOW);
}

void TfMain::cbVisitWebClick()
{
    installData_.VisitWeb = Checked(cbVisitWeb);
}

void TfMain::wFinishFinishButtonClick()
{
    if (::IsWindowVisible(cbVisitWeb) && ::IsWindowEnabled(cbVisitWeb) && Checked(cbVisitWeb))
        platform_.shell.Open(ProductTechnicalFaq);
    Close();
}

} // namespace corvalis::ui
