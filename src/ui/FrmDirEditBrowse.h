#pragma once

#include "ui/Window.h"

#include "ui/BrowseFolderDialog.h"

namespace corvalis::ui {

// A folder edit with a browse button below a caption. The edit's text is the frame's value.
class TFrameDirEditBrowse : public TWindow {
public:
    // Called after a folder was chosen, before the edit shows it; may change Dir.
    using TDirEditChangeEvent = std::function<void(TFrameDirEditBrowse& Sender, void* UserData, std::string& Dir)>;

    // The frame's default size is 319 × 45.
    TFrameDirEditBrowse(HWND parent, const TBounds& bounds);

    void SetCaption(const std::string& caption);
    // The browse button's caption and size; the edit gives it room at the right.
    void SetBrowseButton(const std::string& caption, int width, int height);
    std::string Directory() const;
    void SetDirectory(const std::string& directory);

    TDirEditChangeEvent OnChange;
    // Offers "No directory" in the browse window, and lets an empty result through.
    bool AllowEmpty = false;
    void* UserData = nullptr;
    // "No directory" was pressed during the last browse.
    bool EmptyChosen = false;

    HWND LblCaption;
    HWND EditDirectory;
    HWND BtnDirBrowse;

    void BtnDirBrowseClick();
    void EditDirectoryDblClick();
    bool BrowseDirectory(std::string& Dir);
    // The browse dialog's OnCustomize and OnCommand.
    void AddNoDirectoryButton(TBrowseFolderDialog& Sender, HWND Handle);
    void NoDirectoryCommand(TBrowseFolderDialog& Sender, TMessage& Msg, bool& Handled);

protected:
    std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
    void Layout();

    HWND bevel_;
    HWND hint_;
    int buttonWidth_ = 21;
    int buttonHeight_ = 21;
    // The browse button's tag: set while a browse runs, so that a second click does nothing.
    bool browsing_ = false;
};

} // namespace corvalis::ui
