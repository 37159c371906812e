#include "setup/qt/setup_window.h"

#include <stdexcept>
#include <utility>

#include <QCheckBox>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "platform/qt/gui_runtime.h"
#include "platform/runtime_error.h"
#include "setup/core/control_table.h"
#include "setup/qt/busy_window.h"
#include "setup/qt/control_builder.h"
#include "setup/qt/drive_list.h"
#include "setup/qt/folder_list.h"

namespace setup {

namespace {

constexpr int kInvalidPropertyValue = 380;

template <typename Control>
Control* Find(QWidget& window, const char* name) {
    auto* control = window.findChild<Control*>(QString::fromLatin1(name));
    if (control == nullptr) {
        throw std::logic_error(std::string("the control table has no ") + name);
    }
    return control;
}

Qt::CheckState StateFor(int value) {
    switch (value) {
        case 0:
            return Qt::Unchecked;
        case 1:
            return Qt::Checked;
        case 2:
            return Qt::PartiallyChecked;
        default:
            throw platform::RuntimeError(kInvalidPropertyValue, "Invalid property value");
    }
}

}  // namespace

SetupWindow::SetupWindow(platform::Layout layout, QWidget* parent)
    : QWidget(parent), form_(*this, layout) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kWindowCaption.data(), kWindowCaption.size()));
    setWindowIcon(platform::qt::ProgramIcon());
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(kWindowBackground.red, kWindowBackground.green,
                                                 kWindowBackground.blue));
    setPalette(background);
    setAutoFillBackground(true);
    resize(Pixels(kClientWidth), Pixels(kClientHeight));

    BuildControls(*this, platform::qt::ToQString(layout.applicationFolder));
    FindControls();
    ConnectHandlers();
    checks_[0]->setFocus();
}

void SetupWindow::setVisible(bool visible) {
    if (visible && !std::exchange(loaded_, true)) {
        Run(&Form1::Form_Load);
    }
    QWidget::setVisible(visible);
}

void SetupWindow::FindControls() {
    checks_ = {Find<QCheckBox>(*this, "Check1"), Find<QCheckBox>(*this, "Check2"),
               Find<QCheckBox>(*this, "Check3")};
    text1_ = Find<QLineEdit>(*this, "Text1");
    drive1_ = Find<DriveList>(*this, "Drive1");
    dir1_ = Find<FolderList>(*this, "Dir1");
    command1_ = Find<QPushButton>(*this, "Command1");
    command2_ = Find<QPushButton>(*this, "Command2");
}

void SetupWindow::ConnectHandlers() {
    ConnectCheckBox(CheckBox::Check1, &Form1::Check1_Click);
    ConnectCheckBox(CheckBox::Check2, &Form1::Check2_Click);
    ConnectCheckBox(CheckBox::Check3, &Form1::Check3_Click);
    connect(text1_, &QLineEdit::textChanged, this, [this] { Run(&Form1::Text1_Change); });
    connect(drive1_, &QComboBox::currentIndexChanged, this, [this] { Run(&Form1::Drive1_Change); });
    connect(dir1_, &FolderList::PathChanged, this, [this] { Run(&Form1::Dir1_Change); });
    connect(command1_, &QPushButton::clicked, this, [this] {
        const BusyWindow busy(*this);
        Run(&Form1::Command1_Click);
    });
    connect(command2_, &QPushButton::clicked, this, [this] { Run(&Form1::Command2_Click); });
}

void SetupWindow::ConnectCheckBox(CheckBox box, Handler handler) {
    QCheckBox* control = Box(box);
    connect(control, &QCheckBox::stateChanged, this, [this, control, handler](int state) {
        // Only code greys a box; a click toggles between ticked and unticked.
        if (state != Qt::PartiallyChecked) {
            control->setTristate(false);
        }
        Run(handler);
    });
}

void SetupWindow::Run(Handler handler) {
    platform::RunHandler([this, handler] { (form_.*handler)(); });
}

QCheckBox* SetupWindow::Box(CheckBox box) const {
    return checks_[static_cast<std::size_t>(box)];
}

int SetupWindow::CheckValue(CheckBox box) const {
    switch (Box(box)->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}

void SetupWindow::SetCheckValue(CheckBox box, int value) {
    Box(box)->setCheckState(StateFor(value));
}

std::string SetupWindow::Text1Text() const {
    return text1_->text().toStdString();
}

void SetupWindow::SetText1Text(const std::string& text) {
    text1_->setText(platform::qt::ToQString(text));
}

std::string SetupWindow::Dir1Path() const {
    return dir1_->Path();
}

void SetupWindow::SetDir1Path(const std::string& path) {
    dir1_->Assign(path);
}

std::string SetupWindow::Drive1Drive() const {
    return drive1_->Drive();
}

}  // namespace setup
