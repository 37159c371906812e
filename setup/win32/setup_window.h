#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/win32/accessible_names.h"
#include "gui/win32/gui.h"
#include "gui/win32/program_entry.h"
#include "platform/layout.h"
#include "platform/services.h"
#include "platform/windows/windows_api.h"
#include "setup/core/control_table.h"
#include "setup/core/folder_browser.h"
#include "setup/core/form1.h"
#include "setup/core/form1_controls.h"
#include "setup/core/handler_table.h"
#include "setup/win32/control_placement.h"

namespace setup {

inline constexpr const char* kWindowClassName = "Velmora_KZ Setup Form1";

// The installer's window as native controls built from the control table, laid out at the
// resolution of the monitor it is on and again when it moves to one of another scale. Control
// events go to Form1's handlers; Form1 reaches the controls back through Form1Controls, and a
// value set from there runs the control's handler at once, nested in the caller.
class Win32Window final : public Form1Controls, public gui::win32::ProgramWindow {
public:
    Win32Window(platform::Services& services, const platform::Layout& layout,
                const unattended::Options& options = {});
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    HWND Handle() const { return window_; }
    HWND Control(std::string_view name) const;
    const Form1& Logic() const { return form_; }
    int DotsPerInch() const { return placement_->DotsPerInch(); }

    // The load handler, then the first show; the load handler may end the program instead.
    void LoadAndShow(int showCommand) override;
    HWND KeyboardWindow() const override { return window_; }

    int CheckValue(CheckBox box) const override;
    void SetCheckValue(CheckBox box, int value) override;
    std::string Text1Text() const override;
    void SetText1Text(const std::string& text) override;
    std::string Dir1Path() const override;
    void SetDir1Path(const std::string& path) override;
    std::string Drive1Drive() const override;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnActivate(WPARAM wParam);
    void OnDotsPerInchChanged(WPARAM wParam, LPARAM lParam);

    void BuildControls(const std::string& destination);
    void StackInTabOrder();
    void NameControls();
    void LayOutAt(int dotsPerInch);

    void OnCommand(int id, int code);
    void OnEnter();
    void OnCheckBoxClicked(std::size_t row);
    void OnDriveChosen();
    void OnFolderActivated();
    HBRUSH OnStaticColour(HDC dc, HWND control);

    void ShowDrives();
    void FolderMoved(bool changed);
    void ShowFolder();

    void Run(Form1Handler handler);
    std::size_t RowOf(HWND control) const;
    HWND CheckBoxControl(CheckBox box) const;

    platform::Services& services_;
    Form1 form_;
    HWND window_ = nullptr;
    Controls controls_{};
    gui::win32::GdiObject<HBRUSH> windowBrush_;
    gui::win32::GdiObject<HBRUSH> whiteBrush_;
    std::unique_ptr<ControlPlacement> placement_;
    gui::win32::AccessibleNames names_;
    HWND lastFocus_ = nullptr;
    bool wired_ = false;

    FolderBrowser folders_;
    std::vector<std::string> drives_;
    int driveIndex_ = -1;
};

}  // namespace setup
