#pragma once

#include <memory>
#include <vector>

#include "run/InstallationRun.h"
#include "run/MainPages.h"
#include "run/TargetRows.h"
#include "ui/Form.h"
#include "ui/FrmDirEditBrowse.h"
#include "ui/ScrollBox.h"
#include "ui/Wizard.h"

#include <commctrl.h>

namespace corvalis::ui {

class TProgressView;

// Interior pages are 598 x 354; their controls keep this margin.
constexpr int kPageLeft = 20;
constexpr int kPageWidth = 558;

// The installer's wizard: the pages of every mode, from the welcome page to the finish page,
// and the installation run on the compile page. Its pages edit the installation data and
// the IDEs' options; the run persists them.
class TfMain : public TForm, private IInstallationRunView {
public:
    TfMain(TInstallData& installData, const Platform& platform);
    ~TfMain() override;

    // Shows the window and its first page.
    void Start();

    bool HasErrors() const;
    // The installer's exit code once the window has closed.
    int ExitCode() const;
    bool RunDone = false;

private:
    // One IDE's row on the IDE page.
    struct TTargetRowControls {
        TTargetOptions* options;
        TTargetRow row;
        HWND checkBox;
        HWND statusLabel;
    };

    TWizardPage& Page(TMainPage page) { return wizard_.Page(page); }

    // Pages and their controls (uMain.cpp, uMainTargets.cpp, uMainProgress.cpp).
    void CreateWelcomePage(TMainPage page);
    void CreateMaintenancePage();
    void CreateLicensePage();
    void CreateDestinationPage();
    void CreateFolderPage();
    void CreateUninstallPage();
    void CreateFinishPage();
    void CreateCompilationModePage();
    void CreateIdePage();
    void CreateConfigPage();
    void CreateCompilePage();

    void SetupPages();
    void ApplyPageFlags(const TPageFlags& flags);

    // The handlers of the pages and their controls.
    void WizardCancelButtonClick();
    void cbAgreeClick();
    void rbMainternanceClick();
    void lMainternanceLabelClick(HWND radioButton);
    void SetVisitWebQuietly(bool visitWeb);
    void wDestinationPageNextButtonClick(bool& stop);
    void eFolderChange();
    void lFoldersClick();
    void wFolderNextButtonClick(bool& stop);
    bool RefuseFolder(const std::optional<std::string>& problem);
    void wUninstallPage();
    void wCompilePage();
    void wFinishEnterPage();
    void cbVisitWebClick();
    void wFinishFinishButtonClick();

    void BuildTargetRows();
    void IDECheckBoxClick(TTargetRowControls& row);
    void SetRowCheck(TTargetRowControls& row, TRowCheck check);
    void CheckTargetRow(TTargetRowControls& row);
    void RefreshTargetRows();
    void LayOutTargetRows();
    void UpdateIdePageFlags();
    void wIDEPageNextButtonClick(bool& stop);
    void wConfigPageEnterPage();
    void cTargetDrawItem(const DRAWITEMSTRUCT& item);
    void cTargetChange();
    void SetOptionBox(HWND box, bool enabled, bool checked);
    void clMetaProvidersClickCheck(int item);
    TTargetOptions* SelectedTarget() const;
    std::optional<LRESULT> ConfigPageMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The compile page's view of the run (uMainProgress.cpp).
    void LogMessage(TLogBase& sender, TLogLevel level, const std::u16string& text, DateTime time) override;
    void ShowSetupLog(const std::optional<std::string>& path) override;
    void RunSucceeded() override;
    void ShowProgress(int done, int total) override;
    void ShowIdesAtWork(const std::vector<TIdeAtWork>& ides) override;
    void Idle() override;

    TInstallData& installData_;
    const Platform& platform_;
    TWizard wizard_;
    TPageFlags pages_{};
    std::optional<bool> maintenanceChoice_; // none until the user chooses
    TInstallMode startMode_ = imInstall;    // as the start-up decided it

    HWND rbMainternance = nullptr;
    HWND rbUninstall = nullptr;
    HWND cbAgree = nullptr;
    std::unique_ptr<TFrameDirEditBrowse> deDestination;
    HWND eFolder = nullptr;
    HWND lFolders = nullptr;
    HWND lUninstallText = nullptr;
    HWND lUninstallFolder = nullptr;
    HWND lUninstallWarning = nullptr;
    HWND lFinishResult = nullptr;
    HWND iFinishInformation = nullptr;
    HWND iFinishExclamation = nullptr;
    HWND Label17 = nullptr;
    HWND lSetupLogPath = nullptr;
    HWND cbVisitWeb = nullptr;
    HWND rbCompilationModes[4] = {};
    std::unique_ptr<TScrollBox> scrollIDE;
    std::vector<TTargetRowControls> rows_;
    int rowStep_ = 0; // the distance of the rows, once laid out
    HWND cTarget = nullptr;
    win32::ScopedHandle<win32::NullableHandleTraits<HIMAGELIST, ImageList_Destroy>> ImageListTargets;
    std::vector<int> targetIcons_; // per cTarget item: its image, or -1
    std::vector<TTargetOptions*> configTargets_;
    HWND cbIDERegistration = nullptr;
    std::vector<HWND> gbOptions; // the group box and everything in it
    HWND cbCompileFromSource = nullptr;
    HWND cbAddSource = nullptr;
    HWND clMetaProviders = nullptr;
    bool fillingProviders_ = false;
    std::unique_ptr<TProgressView> progress_;
    bool runFailed_ = false;
};

} // namespace corvalis::ui
