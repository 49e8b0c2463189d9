#include "ui/uMain.h"

#include <algorithm>

#include <shellapi.h>

#include "core/InstallData.h"
#include "core/MetadataProviders.h"
#include "core/Product.h"
#include "ide/CmdLineUtils.h"
#include "ide/DelphiData.h"
#include "run/CommandLineChoices.h"
#include "ui/Application.h"
#include "ui/LabelColumn.h"
#include "ui/uDCCCompilerWarning.h"

// The pages that decide what the run does in each IDE: the compilation mode, the IDE rows
// and the per-IDE options with the connectivity packages.

namespace corvalis::ui {
namespace {

constexpr int kRowTop = 10;
constexpr int kRowStep = 52;
constexpr int kStatusTop = 22; // a row's status label, below its check box
constexpr int kStatusGap = 2;  // between a status label and the next row
constexpr COLORREF kProblemColor = RGB(255, 0, 0);

// The texts break their lines with a lone carriage return, which a label does not.
std::string LabelText(const std::string& text)
{
    std::string label;
    for (size_t i = 0; i < text.size(); ++i) {
        label += text[i];
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            label += '\n';
    }
    return label;
}

bool Checked(HWND box)
{
    return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

UINT CheckState(TRowCheck check)
{
    return check == rcChecked ? BST_CHECKED : check == rcGrayed ? BST_INDETERMINATE : BST_UNCHECKED;
}

} // namespace

void TfMain::CreateCompilationModePage()
{
    TWizardPage& page = wizard_.AddPage("wCompilationMode", pkInterior);
    page.SetTitle("Select compilation mode");
    page.SetSubtitle("Choose the visual components library to compile Corvalis with.");
    TLabelColumn column(page, kPageLeft, 0, kPageWidth);
    column.Label("Corvalis could be compiled either with the standard VCL controls or with one of the third-party "
                 "packages. \r\nYou may run the installation package later at any time to change the compilation "
                 "type.",
                 10, 30);
    const char* const captions[] = {
        "Compile Corvalis using standard VCL Controls", "Compile Corvalis using TnT Unicode Controls",
        "Compile Corvalis using TMS Unicode Controls", "Compile Corvalis using DevExpress Controls"};
    for (int mode = cmStandard; mode <= cmDevExpress; ++mode) {
        rbCompilationModes[mode] =
            page.CreateControl("BUTTON", captions[mode], WS_TABSTOP | BS_AUTORADIOBUTTON | (mode == 0 ? WS_GROUP : 0),
                               column.Place(mode == 0 ? 10 : 4, 22, 20));
        page.OnCommand(rbCompilationModes[mode], BN_CLICKED,
                       [this, mode] { installData_.CompilationMode = static_cast<TCompilationMode>(mode); });
    }
    column.Label("The TNT Unicode controls are the accepted defacto standard solution for creating Unicode enabled "
                 "applications with Delphi and C++Builder. TNT Unicode Controls are free and could be downloaded from",
                 16, 44, SS_NOPREFIX | WS_GROUP);
    const auto open = [this](const char* address) { return [this, address] { platform_.shell.Open(address); }; };
    page.CreateLink(TntControlsDownload, column.Place(2, 16), open(TntControlsDownload));
    column.Label("The commercial version that is known as TMS Unicode Component Pack, is available at the TMS "
                 "Software web-site:",
                 12, 30);
    page.CreateLink(TmsUnicodeSite, column.Place(2, 16), open(TmsUnicodeSite));
}

void TfMain::CreateIdePage()
{
    TWizardPage& page = wizard_.AddPage("wIDEPage", pkInterior);
    page.SetTitle("Choose IDE Targets");
    page.SetSubtitle("Select all target IDEs where Corvalis should be installed");
    scrollIDE = std::make_unique<TScrollBox>(page.Handle(), TBounds{0, 0, 598, 354});
    page.OnPage = [this] { RefreshTargetRows(); };
    page.OnNextButtonClick = [this](bool& stop) { wIDEPageNextButtonClick(stop); };
}

void TfMain::BuildTargetRows()
{
    TTargetOptionsList& list = *installData_.TargetOptions;
    // The last IDE found is the top row.
    rows_.reserve(static_cast<size_t>(list.Count()));
    const auto wanted = WantedIdes(installData_);
    for (int i = list.Count() - 1; i >= 0; --i) {
        TTargetOptions& options = list[i];
        std::optional<TTargetRow> row = SetUpTargetRow(options, installData_.Mode);
        if (!row)
            continue;
        if (wanted)
            SetRowWish(*row, options, std::find(wanted->begin(), wanted->end(), &options) != wanted->end());
        const HWND box = scrollIDE->CreateControl("BUTTON", options.Target.DisplayName(),
                                                  WS_TABSTOP | (row->threeState ? BS_3STATE : BS_CHECKBOX), {});
        ::SendMessageW(box, BM_SETCHECK, CheckState(row->check), 0);
        const HWND label = scrollIDE->CreateControl("STATIC", "", SS_NOPREFIX, {});
        TTargetRowControls& controls = rows_.emplace_back(TTargetRowControls{&options, *row, box, label});
        scrollIDE->OnCommand(box, BN_CLICKED, [this, &controls] { SetRowCheck(controls, NextCheck(controls.row)); });
        CheckTargetRow(controls);
    }
    LayOutTargetRows();
    UpdateIdePageFlags();
}

// The rows stand kRowStep apart while their texts fit; a font in which a text wraps onto a
// further line moves them apart, and they stay so.
void TfMain::LayOutTargetRows()
{
    const int width = scrollIDE->ClientWidth() - 50;
    int step = std::max(kRowStep, rowStep_);
    for (const TTargetRowControls& row : rows_)
        step = std::max<int>(
            step, kStatusTop + TextExtent(row.statusLabel, WindowText(row.statusLabel), width - 20).cy + kStatusGap);
    rowStep_ = step;
    const int scrolled = ::GetScrollPos(scrollIDE->Handle(), SB_VERT);
    int y = kRowTop;
    for (const TTargetRowControls& row : rows_) {
        ::MoveWindow(row.checkBox, 30, y - scrolled, width, 20, TRUE);
        ::MoveWindow(row.statusLabel, 50, y - scrolled + kStatusTop, width - 20, step - kStatusTop - kStatusGap, TRUE);
        y += step;
    }
    scrollIDE->SetVerticalRange(y + 10);
}

void TfMain::UpdateIdePageFlags()
{
    const TTargetOptionsList& list = *installData_.TargetOptions;
    Page(wIDEPage).SetButtonEnabled(wbNext, IdePageNextEnabled(installData_.Mode, list));
    pages_[wConfigPage] = ConfigPageEnabled(list);
    Page(wConfigPage).SetEnabled(pages_[wConfigPage]);
}

// A box ticked or unticked, by the user or from code, is a click on the row.
void TfMain::SetRowCheck(TTargetRowControls& row, TRowCheck check)
{
    if (row.row.check == check)
        return;
    row.row.check = check;
    ::SendMessageW(row.checkBox, BM_SETCHECK, CheckState(check), 0);
    IDECheckBoxClick(row);
}

void TfMain::IDECheckBoxClick(TTargetRowControls& row)
{
    row.options->Action = ActionOfRow(row.row.check, row.options->Installed);
    RefreshTargetRows();
    UpdateIdePageFlags();
}

void TfMain::CheckTargetRow(TTargetRowControls& row)
{
    if (const std::optional<std::string> problem = TargetProblem(*row.options)) {
        SetRowCheck(row, rcUnchecked);
        ::EnableWindow(row.checkBox, FALSE);
        scrollIDE->SetControlColors(row.statusLabel, kProblemColor);
        SetControlText(row.statusLabel, LabelText(*problem));
        return;
    }
    // A row that failed a check earlier stays unticked; it only becomes enabled again.
    ::EnableWindow(row.checkBox, TRUE);
    scrollIDE->SetControlColors(row.statusLabel, ::GetSysColor(COLOR_WINDOWTEXT));
    SetControlText(row.statusLabel, ActionText(installData_.Mode, *row.options, row.row));
}

void TfMain::RefreshTargetRows()
{
    for (TTargetRowControls& row : rows_)
        CheckTargetRow(row);
    LayOutTargetRows();
}

void TfMain::wIDEPageNextButtonClick(bool& stop)
{
    bool exit = false;
    ForEachIdeLackingACompiler(*installData_.TargetOptions, [&](TTargetOptions& options) {
        TfDCCCompilerWarning warning(Handle(), platform_.shell);
        warning.FormatWarning(options.Target.DisplayName());
        while (true) {
            const int result = warning.ShowModal();
            if (result == mrCancel) {
                exit = true;
                break;
            }
            if (result == mrIgnore || (result == mrRetry && options.HasDcc32()))
                break;
        }
    });
    if (exit) {
        // The program ends once this handler returns; the wizard stays where it is.
        stop = true;
        Close();
        return;
    }
    if (installData_.Options.IgnoreIde)
        return;
    ForEachRunningIde(*installData_.TargetOptions, [&](TTargetOptions& options) {
        stop = true;
        ShowMessageBox(Handle(), IdeRunningMessage(options), MB_OK);
    });
}

void TfMain::CreateConfigPage()
{
    TWizardPage& page = wizard_.AddPage("wConfigPage", pkInterior);
    page.SetTitle("Configuration");
    page.SetSubtitle("Choose installation options for selected targets.");
    page.CreateControl("STATIC", "Options for", SS_NOPREFIX, {kPageLeft, 14, 70, 16});
    cTarget = page.CreateControl("COMBOBOX", "",
                                 WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                 {kPageLeft + 74, 10, 320, 200});
    ::SendMessageW(cTarget, CB_SETITEMHEIGHT, 0, 16);
    cbIDERegistration =
        page.CreateControl("BUTTON", "IDE registration", WS_TABSTOP | BS_AUTOCHECKBOX, {kPageLeft + 410, 12, 150, 20});
    gbOptions = {page.CreateGroupBox("Installation options", {kPageLeft, 44, kPageWidth, 300})};
    cbCompileFromSource = page.CreateControl("BUTTON", "Compile Packages from sources", WS_TABSTOP | BS_AUTOCHECKBOX,
                                             {kPageLeft + 14, 66, 260, 20});
    cbAddSource = page.CreateControl("BUTTON", "Add source location", WS_TABSTOP | BS_AUTOCHECKBOX,
                                     {kPageLeft + 290, 66, 250, 20});
    const HWND line = page.CreateControl("STATIC", "Select additional connectivity packages to compile:", SS_NOPREFIX,
                                         {kPageLeft + 14, 96, 520, 16});
    clMetaProviders = page.CreateControl(
        WC_LISTVIEWA, "", WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
        {kPageLeft + 14, 116, 530, 218}, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(clMetaProviders, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNA column = {LVCF_WIDTH};
    column.cx = 505;
    ListView_InsertColumn(clMetaProviders, 0, &column);
    gbOptions.insert(gbOptions.end(), {cbCompileFromSource, cbAddSource, line, clMetaProviders});

    page.OnCommand(cTarget, CBN_SELCHANGE, [this] { cTargetChange(); });
    page.OnCommand(cbIDERegistration, BN_CLICKED, [this] {
        if (TTargetOptions* options = SelectedTarget())
            options->IdeRegistration = Checked(cbIDERegistration);
    });
    page.OnCommand(cbCompileFromSource, BN_CLICKED, [this] {
        if (TTargetOptions* options = SelectedTarget())
            options->CompilePackages = Checked(cbCompileFromSource);
    });
    page.OnCommand(cbAddSource, BN_CLICKED, [this] {
        if (TTargetOptions* options = SelectedTarget())
            options->AddSourceLocation = Checked(cbAddSource);
    });
    page.OnMessage = [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return ConfigPageMessage(message, wParam, lParam);
    };
    page.OnEnterPage = [this] { wConfigPageEnterPage(); };
}

std::optional<LRESULT> TfMain::ConfigPageMessage(UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_DRAWITEM) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.hwndItem != cTarget)
            return std::nullopt;
        cTargetDrawItem(item);
        return TRUE;
    }
    if (message != WM_NOTIFY)
        return std::nullopt;
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.hwndFrom != clMetaProviders)
        return std::nullopt;
    const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
    const bool checkChanges =
        (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
    if (header.code == LVN_ITEMCHANGING && checkChanges && !fillingProviders_) {
        // Packages that cannot be built for this IDE cannot be ticked.
        const TTargetOptions* options = SelectedTarget();
        const auto& provider = (*installData_.Providers)[change.iItem];
        return options == nullptr || !options->CanCompileProvider(provider) ? TRUE : FALSE;
    }
    if (header.code == LVN_ITEMCHANGED && checkChanges && !fillingProviders_)
        clMetaProvidersClickCheck(change.iItem);
    if (header.code == NM_CUSTOMDRAW) {
        auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            const TTargetOptions* options = SelectedTarget();
            const auto& provider = (*installData_.Providers)[static_cast<int>(draw.nmcd.dwItemSpec)];
            if (options == nullptr || !options->CanCompileProvider(provider))
                draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
            return CDRF_DODEFAULT;
        }
    }
    return std::nullopt;
}

void TfMain::wConfigPageEnterPage()
{
    ::SendMessageW(cTarget, CB_RESETCONTENT, 0, 0);
    ImageListTargets.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4));
    targetIcons_.clear();
    configTargets_ = IdesToConfigure(*installData_.TargetOptions);
    for (TTargetOptions* options : configTargets_) {
        ::SendMessageW(cTarget, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(win32::Widen(options->Target.DisplayName()).c_str()));
        // The executable's small icon, when it exists and has one.
        int image = -1;
        SHFILEINFOW info = {};
        if (platform_.files.FileExists(options->Target.AppFile) &&
            ::SHGetFileInfoW(win32::Widen(options->Target.AppFile).c_str(), 0, &info, sizeof info,
                             SHGFI_ICON | SHGFI_SMALLICON) &&
            info.hIcon) {
            const win32::ScopedIcon icon(info.hIcon);
            image = ImageList_AddIcon(ImageListTargets.Get(), icon.Get());
        }
        targetIcons_.push_back(image);
    }
    ::SendMessageW(cTarget, CB_SETCURSEL, 0, 0);
    cTargetChange();
}

void TfMain::cTargetDrawItem(const DRAWITEMSTRUCT& item)
{
    RECT rect = item.rcItem;
    const bool selected = item.itemState & ODS_SELECTED;
    ::FillRect(item.hDC, &rect, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= configTargets_.size())
        return;
    const int image = targetIcons_[item.itemID];
    if (image >= 0)
        ImageList_Draw(ImageListTargets.Get(), image, item.hDC, rect.left + 1, rect.top, ILD_NORMAL);
    rect.left += 16 + 3;
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring text = win32::Widen(configTargets_[item.itemID]->Target.DisplayName());
    ::ExtTextOutW(item.hDC, rect.left, rect.top + 1, ETO_CLIPPED, &rect, text.c_str(), static_cast<UINT>(text.size()),
                  nullptr);
}

TTargetOptions* TfMain::SelectedTarget() const
{
    const auto index = ::SendMessageW(cTarget, CB_GETCURSEL, 0, 0);
    return index >= 0 && static_cast<size_t>(index) < configTargets_.size() ? configTargets_[static_cast<size_t>(index)]
                                                                            : nullptr;
}

// Shows the tick; when that changes it, the box's handler writes it back, as a click would.
void TfMain::SetOptionBox(HWND box, bool enabled, bool checked)
{
    ::EnableWindow(box, enabled);
    if (Checked(box) != checked) {
        ::SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        ::SendMessageW(::GetParent(box), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(box), BN_CLICKED),
                       reinterpret_cast<LPARAM>(box));
    }
}

void TfMain::cTargetChange()
{
    TTargetOptions* options = SelectedTarget();
    for (HWND control : gbOptions)
        ::EnableWindow(control, options != nullptr);
    if (options == nullptr)
        return;
    const bool withSources = installData_.WithSources;
    SetOptionBox(cbCompileFromSource, withSources && options->HasDcc32(), options->CompilePackages);
    SetOptionBox(cbIDERegistration, true, options->IdeRegistration);

    fillingProviders_ = true;
    ListView_DeleteAllItems(clMetaProviders);
    const TMetadataProvidersList& providers = *installData_.Providers;
    for (int i = 0; i < providers.Count(); ++i) {
        LVITEMA item = {LVIF_TEXT};
        item.iItem = i;
        std::string description = providers[i].Description;
        item.pszText = description.data();
        ListView_InsertItem(clMetaProviders, &item);
        ListView_SetCheckState(clMetaProviders, i, options->IsProviderSelected(providers[i]));
    }
    fillingProviders_ = false;
    SetOptionBox(cbAddSource, withSources, options->AddSourceLocation && withSources);
}

void TfMain::clMetaProvidersClickCheck(int item)
{
    TTargetOptions* options = SelectedTarget();
    if (options == nullptr)
        return;
    const TMetadataProvider& provider = (*installData_.Providers)[item];
    if (ListView_GetCheckState(clMetaProviders, item))
        options->AddSelectedProvider(provider);
    else
        options->RemoveSelectedProvider(provider);
}

} // namespace corvalis::ui
