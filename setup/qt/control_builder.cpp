#include "setup/qt/control_builder.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <vector>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include "gui/qt/gui_runtime.h"
#include "setup/core/control_table.h"
#include "setup/qt/drive_list.h"
#include "setup/qt/folder_list.h"

namespace setup {

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor ToColor(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Arial Black has only its black face; a substitute shows that weight only when asked for it.
QFont::Weight WeightOf(const FontSpec& row) {
    if (row.family == "Arial Black") {
        return QFont::Black;
    }
    return row.weight == Weight::Bold ? QFont::Bold : QFont::Normal;
}

QFont ToFont(const FontSpec& row) {
    QFont font(FromView(row.family));
    font.setPointSizeF(row.points);
    font.setWeight(WeightOf(row));
    font.setItalic(row.slant == Slant::Italic);
    return font;
}

void SetInAllGroups(QPalette& palette, QPalette::ColorRole role, const QColor& colour) {
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, role, colour);
    }
}

// Where the layout fixes a background, it fixes the text on it too: text in the desktop's colour
// would vanish on the white frame under a dark desktop theme. What keeps the platform's
// background keeps the desktop's text colour.
QPalette PaletteFor(const ControlSpec& row) {
    constexpr std::array kTextRoles{QPalette::WindowText, QPalette::Text, QPalette::ButtonText};
    QPalette palette;
    // A label is opaque in the colour of what lies behind it, the window's or the frame's.
    const bool fixedBackground = row.whiteBackground || row.kind == ControlKind::Label;
    if (row.whiteBackground) {
        SetInAllGroups(palette, QPalette::Window, ToColor(kWhite));
    }
    if (row.whiteBackground && row.kind == ControlKind::CheckBox) {
        // The box itself, white as on the light desktop, so that its tick shows.
        SetInAllGroups(palette, QPalette::Base, ToColor(kWhite));
    }
    if (fixedBackground) {
        const QColor text = ToColor(row.kind == ControlKind::Frame ? kFrameCaptionColour : kBlack);
        for (const auto role : kTextRoles) {
            SetInAllGroups(palette, role, text);
        }
    } else if (row.parent == Parent::Frame1) {
        // They would otherwise inherit the frame's caption colour.
        const QPalette desktop = QApplication::palette();
        for (const auto role : kTextRoles) {
            for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                palette.setColor(group, role, desktop.color(group, role));
            }
        }
    }
    return palette;
}

QWidget* CreateLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    return label;
}

QWidget* CreateFrame(QWidget* parent) {
    auto* frame = new QGroupBox(parent);
    frame->setAutoFillBackground(true);
    // Fusion tints a group box's inside, which would show the opaque labels as white patches;
    // the classic style draws only an etched border. It applies to the frame alone.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        classic->setParent(frame);
        frame->setStyle(classic);
    }
    return frame;
}

QWidget* CreateCheckBox(const ControlSpec& row, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    // A button fills with the Button colour; a check box here is opaque in the frame's colour.
    box->setBackgroundRole(QPalette::Window);
    box->setAutoFillBackground(row.whiteBackground);
    return box;
}

QWidget* CreateTextBox(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QWidget* CreateButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    // Neither button is the default, so Enter elsewhere and Escape press nothing. Outside a
    // dialog autoDefault makes no button the default; it only lets Enter press the one that has
    // the focus, as Space does.
    button->setDefault(false);
    button->setAutoDefault(true);
    return button;
}

// The window carries each picture as PNG, which Qt reads without a plugin.
QString PictureResource(std::string_view file) {
    const QString name = FromView(file);
    return QStringLiteral(":/") + name.left(name.lastIndexOf(u'.')) + QStringLiteral(".png");
}

QWidget* CreatePicture(const ControlSpec& row, QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setPixmap(gui::qt::Picture(PictureResource(row.caption)));
    return picture;
}

QWidget* CreateControl(const ControlSpec& row, QWidget* parent) {
    switch (row.kind) {
        case ControlKind::Label:
            return CreateLabel(parent);
        case ControlKind::Frame:
            return CreateFrame(parent);
        case ControlKind::CheckBox:
            return CreateCheckBox(row, parent);
        case ControlKind::TextBox:
            return CreateTextBox(parent);
        case ControlKind::DriveList:
            return new DriveList(parent);
        case ControlKind::FolderList:
            return new FolderList(parent);
        case ControlKind::Button:
            return CreateButton(parent);
        case ControlKind::Picture:
            return CreatePicture(row, parent);
    }
    return nullptr;
}

// Given after the font: a text laid out before would load the default font as well.
void SetCaption(const ControlSpec& row, const QString& destinationText, QWidget& control) {
    const QString caption = FromView(row.caption);
    switch (row.kind) {
        case ControlKind::Label:
            static_cast<QLabel&>(control).setText(caption);
            break;
        case ControlKind::Frame:
            static_cast<QGroupBox&>(control).setTitle(caption);
            break;
        case ControlKind::CheckBox:
        case ControlKind::Button:
            static_cast<QAbstractButton&>(control).setText(caption);
            break;
        case ControlKind::TextBox:
            static_cast<QLineEdit&>(control).setText(destinationText);
            break;
        default:
            break;
    }
}

// A picture shows at its natural size; everything else fills its laid-out box.
QRect PlaceFor(const ControlSpec& row, const QWidget& control) {
    QRect place(Pixels(row.left), Pixels(row.top), Pixels(row.width), Pixels(row.height));
    const auto* picture = qobject_cast<const QLabel*>(&control);
    if (row.kind == ControlKind::Picture && picture != nullptr && !picture->pixmap().isNull()) {
        place.setSize(picture->pixmap().size());
    }
    return place;
}

QWidget* ParentFor(const ControlSpec& row, QWidget& window) {
    if (row.parent == Parent::Frame1) {
        return window.findChild<QWidget*>(QStringLiteral("Frame1"));
    }
    return &window;
}

// What a screen reader says, apart from the caption.
void SetAccessibleText(const ControlSpec& row, QWidget& control) {
    control.setAccessibleName(FromView(row.accessibleName));
    if (auto* list = qobject_cast<QComboBox*>(&control)) {
        // Its pop-up list is a control of its own to a screen reader.
        list->view()->setAccessibleName(FromView(row.accessibleName));
    }
    if (!row.accessibleDescription.empty()) {
        control.setAccessibleDescription(FromView(row.accessibleDescription));
    }
}

// The labels over the destination's controls, tied to them for assistive technology ("labelled
// by"). No caption holds an access-key marker, so the tie gives no shortcut.
struct LabelFor {
    std::string_view label;
    std::string_view control;
};
constexpr std::array kLabelsFor{
    LabelFor{"Label6", "Text1"},
    LabelFor{"Label2", "Drive1"},
    LabelFor{"Label4", "Dir1"},
};

void TieLabels(QWidget& window) {
    for (const auto& tie : kLabelsFor) {
        auto* label = window.findChild<QLabel*>(FromView(tie.label));
        auto* control = window.findChild<QWidget*>(FromView(tie.control));
        if (label != nullptr && control != nullptr) {
            label->setBuddy(control);
        }
    }
}

void ApplyTabOrder(QWidget& window) {
    std::vector<const ControlSpec*> ordered;
    for (const auto& row : kControls) {
        if (row.tabIndex >= 0) {
            ordered.push_back(&row);
        }
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const ControlSpec* row : ordered) {
        auto* control = window.findChild<QWidget*>(FromView(row->name));
        if (control == nullptr || (control->focusPolicy() & Qt::TabFocus) == 0) {
            continue;
        }
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, control);
        }
        previous = control;
    }
}

}  // namespace

void BuildControls(QWidget& window, const QString& destinationText) {
    for (const auto& row : kControls) {
        QWidget* control = CreateControl(row, ParentFor(row, window));
        control->setObjectName(FromView(row.name));
        if (!row.font.family.empty()) {
            control->setFont(ToFont(row.font));
        }
        control->setPalette(PaletteFor(row));
        SetCaption(row, destinationText, *control);
        SetAccessibleText(row, *control);
        control->setGeometry(PlaceFor(row, *control));
    }
    TieLabels(window);
    ApplyTabOrder(window);
}

}  // namespace setup
