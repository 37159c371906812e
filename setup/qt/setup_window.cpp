#include "setup/qt/setup_window.h"

#include <stdexcept>
#include <utility>

#include <QCheckBox>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "gui/qt/gui_runtime.h"
#include "platform/runtime_error.h"
#include "setup/core/control_table.h"
#include "setup/core/handler_table.h"
#include "setup/qt/busy_window.h"
#include "setup/qt/control_builder.h"
#include "setup/qt/drive_list.h"
#include "setup/qt/folder_list.h"

namespace setup {

namespace {

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
            throw platform::RuntimeError(platform::error::kInvalidPropertyValue);
    }
}

}  // namespace

SetupWindow::SetupWindow(platform::Services& services, const platform::Layout& layout,
                         const unattended::Options& options, QWidget* parent)
    : QWidget(parent),
      services_(services),
      form_(*this, services, layout, options),
      text1Bytes_(layout.applicationFolder),
      text1Shown_(gui::qt::ToQString(text1Bytes_)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kWindowCaption.data(), kWindowCaption.size()));
    setWindowIcon(gui::qt::ProgramIcon());
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(kWindowBackground.red, kWindowBackground.green,
                                                 kWindowBackground.blue));
    setPalette(background);
    setAutoFillBackground(true);
    resize(Pixels(kClientWidth), Pixels(kClientHeight));

    BuildControls(*this, text1Shown_);
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
}

void SetupWindow::ConnectHandlers() {
    for (const auto& binding : kHandlers) {
        const std::string name(binding.control);
        Connect(Find<QWidget>(*this, name.c_str()), kControls[RowNamed(binding.control)].kind,
                binding);
    }
}

void SetupWindow::Connect(QWidget* control, ControlKind kind, const HandlerBinding& binding) {
    const Handler handler = binding.handler;
    const auto run = [this, handler] { Run(handler); };
    switch (kind) {
        case ControlKind::CheckBox:
            ConnectCheckBox(static_cast<QCheckBox*>(control), handler);
            break;
        case ControlKind::TextBox:
            connect(static_cast<QLineEdit*>(control), &QLineEdit::textChanged, this, run);
            break;
        case ControlKind::DriveList:
            connect(static_cast<DriveList*>(control), &QComboBox::currentIndexChanged, this, run);
            break;
        case ControlKind::FolderList: {
            auto* list = static_cast<FolderList*>(control);
            connect(list, &FolderList::PathChanged, this, run);
            connect(list, &QListWidget::itemActivated, this, [this, list](QListWidgetItem* item) {
                RunAsHandler([list, item] { list->OpenItem(item); });
            });
            break;
        }
        case ControlKind::Button:
            if (binding.runsLong) {
                connect(static_cast<QPushButton*>(control), &QPushButton::clicked, this,
                        [this, run] {
                            const BusyWindow busy(*this);
                            run();
                        });
            } else {
                connect(static_cast<QPushButton*>(control), &QPushButton::clicked, this, run);
            }
            break;
        default:
            throw std::logic_error("no event to bind for " + control->objectName().toStdString());
    }
}

void SetupWindow::ConnectCheckBox(QCheckBox* box, Handler handler) {
    connect(box, &QCheckBox::stateChanged, this, [this, box, handler](int state) {
        // Only code greys a box; a click toggles between ticked and unticked.
        if (state != Qt::PartiallyChecked) {
            box->setTristate(false);
        }
        Run(handler);
    });
}

void SetupWindow::Run(Handler handler) {
    RunAsHandler([this, handler] { (form_.*handler)(); });
}

template <typename Work>
void SetupWindow::RunAsHandler(Work&& work) {
    platform::RunHandler(services_, std::forward<Work>(work));
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
    const QString shown = text1_->text();
    return shown == text1Shown_ ? text1Bytes_ : shown.toStdString();
}

// Set before the box changes: its change handler reads the text back at once.
void SetupWindow::SetText1Text(const std::string& text) {
    text1Bytes_ = text;
    text1Shown_ = gui::qt::ToQString(text);
    text1_->setText(text1Shown_);
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
