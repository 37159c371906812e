#pragma once

#include <array>
#include <string>

#include <QString>
#include <QWidget>

#include "platform/layout.h"
#include "platform/services.h"
#include "setup/core/control_table.h"
#include "setup/core/form1.h"
#include "setup/core/form1_controls.h"
#include "setup/core/handler_table.h"

class QCheckBox;
class QLineEdit;

namespace setup {

class DriveList;
class FolderList;

// The installer's window: its controls come from the control table, their events go to Form1's
// handlers, and Form1 reaches the controls back through Form1Controls.
class SetupWindow : public QWidget, public Form1Controls {
public:
    SetupWindow(platform::Services& services, const platform::Layout& layout,
                const unattended::Options& options = {}, QWidget* parent = nullptr);

    const Form1& Logic() const { return form_; }

    // The load handler runs before the window is first shown; it may end the program instead.
    void setVisible(bool visible) override;

    int CheckValue(CheckBox box) const override;
    void SetCheckValue(CheckBox box, int value) override;
    std::string Text1Text() const override;
    void SetText1Text(const std::string& text) override;
    std::string Dir1Path() const override;
    void SetDir1Path(const std::string& path) override;
    std::string Drive1Drive() const override;

private:
    using Handler = void (Form1::*)();

    void FindControls();
    void ConnectHandlers();
    void Connect(QWidget* control, ControlKind kind, const HandlerBinding& binding);
    void ConnectCheckBox(QCheckBox* box, Handler handler);
    void Run(Handler handler);
    template <typename Work>
    void RunAsHandler(Work&& work);
    QCheckBox* Box(CheckBox box) const;

    platform::Services& services_;
    Form1 form_;
    bool loaded_ = false;
    std::array<QCheckBox*, 3> checks_{};
    QLineEdit* text1_ = nullptr;
    DriveList* drive1_ = nullptr;
    FolderList* dir1_ = nullptr;
    // What code last put in the text box: its bytes stand for it while the text is unchanged,
    // since a folder's name need not be valid text.
    std::string text1Bytes_;
    QString text1Shown_;
};

}  // namespace setup
