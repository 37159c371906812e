#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/window_units.h"

// The installer window's layout as data: every window adapter builds its controls from it.
namespace setup {

enum class ControlKind { Label, Frame, CheckBox, TextBox, DriveList, FolderList, Button, Picture };
enum class Parent { Window, Frame1 };
enum class Weight { Regular, Bold };
enum class Slant { Upright, Italic };

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

struct FontSpec {
    std::string_view family;  // empty: the control takes no font
    double points;
    Weight weight;
    Slant slant;
};

struct ControlSpec {
    std::string_view name;
    ControlKind kind;
    Parent parent;
    // For a picture, its resource name. The destination box starts with the layout's
    // application folder instead.
    std::string_view caption;
    int left;  // twips, from the parent's client area
    int top;
    int width;
    int height;
    FontSpec font;
    bool whiteBackground;  // else the window's or the platform's default
    int tabIndex;          // -1: takes no tab position
    // What a screen reader says for the control, set apart from its caption and tab position:
    // the labels of the lists come after them in tab order, so no system can take their names
    // from the labels. The caption keeps its odd spelling; the spoken name of the folder list
    // and of its label has the blank "DestinationDirectory" lacks.
    std::string_view accessibleName;
    std::string_view accessibleDescription;  // empty: none
};

using platform::kTwipsPerPixel;
using platform::Pixels;

inline constexpr std::string_view kWindowCaption = "Velmora_KZ 2.0.1 Setup";
inline constexpr int kClientWidth = 9390;
inline constexpr int kClientHeight = 9270;
inline constexpr Rgb kWindowBackground{128, 128, 255};
inline constexpr Rgb kFrameCaptionColour{0, 0, 128};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

inline constexpr FontSpec kNoFont{"", 0, Weight::Regular, Slant::Upright};
inline constexpr FontSpec kSansSerif{"MS Sans Serif", 8.25, Weight::Regular, Slant::Upright};
inline constexpr FontSpec kSansSerifBold{"MS Sans Serif", 8.25, Weight::Bold, Slant::Upright};
inline constexpr FontSpec kVerdana{"Verdana", 8.25, Weight::Regular, Slant::Upright};
inline constexpr FontSpec kArialBlack{"Arial Black", 8.25, Weight::Regular, Slant::Upright};
inline constexpr FontSpec kTitle{"Times New Roman", 24, Weight::Bold, Slant::Italic};

inline constexpr std::string_view kStep1 = "Step 1 of 3: Select Your Install Options";

// In tab order, then the pictures, which take no tab position.
inline constexpr std::array<ControlSpec, 18> kControls{{
    {"Label1", ControlKind::Label, Parent::Window, "Velmora_KZ 2.0.1 Installation", 480, 360, 6375,
     615, kTitle, false, 0, "Velmora_KZ 2.0.1 Installation", ""},
    {"Frame1", ControlKind::Frame, Parent::Window, "Velmora_KZ 3-Step Install Process", 720, 1200,
     5655, 7815, kSansSerifBold, true, 1, "Velmora_KZ 3-Step Install Process", ""},
    {"Check1", ControlKind::CheckBox, Parent::Frame1, "Add Desk Top Icon", 1200, 840, 3375, 255,
     kVerdana, true, 2, "Add Desk Top Icon", kStep1},
    {"Check2", ControlKind::CheckBox, Parent::Frame1, "Add Start Menu Short Cut", 1200, 1200, 3255,
     255, kVerdana, true, 3, "Add Start Menu Short Cut", kStep1},
    {"Check3", ControlKind::CheckBox, Parent::Frame1, "Add Program Menu  Icon", 1200, 1560, 3615,
     255, kVerdana, true, 4, "Add Program Menu  Icon", kStep1},
    {"Text1", ControlKind::TextBox, Parent::Frame1, "", 1200, 2400, 2895, 285, kSansSerif, false, 5,
     "Select Destination Folder",
     "Step 2 of 3: the folder to install into. Type its path, or choose a drive and a folder in "
     "the two lists that follow."},
    {"Drive1", ControlKind::DriveList, Parent::Frame1, "", 1200, 3000, 2895, 315, kSansSerif, false,
     6, "Choose Install Destination Drive",
     "Step 2 of 3: choosing a drive moves the folder list to it and puts its folder in the "
     "destination folder box."},
    {"Dir1", ControlKind::FolderList, Parent::Frame1, "", 1200, 3600, 2895, 3015, kSansSerif, false,
     7, "Choose Install Destination Directory",
     "Step 2 of 3: opening a folder puts its path in the destination folder box."},
    {"Label2", ControlKind::Label, Parent::Frame1, "Choose Install Destination Drive", 1200, 2760,
     2895, 255, kVerdana, true, 8, "Choose Install Destination Drive", ""},
    {"Label4", ControlKind::Label, Parent::Frame1, "Choose Install DestinationDirectory", 1200,
     3360, 3975, 255, kVerdana, true, 9, "Choose Install Destination Directory", ""},
    {"Label5", ControlKind::Label, Parent::Frame1, "Select Your Install Options", 120, 600, 3975,
     255, kArialBlack, true, 10, "Select Your Install Options", ""},
    {"Label6", ControlKind::Label, Parent::Frame1, "Select Destination Folder", 120, 2040, 3735,
     255, kArialBlack, true, 11, "Select Destination Folder", ""},
    {"Command1", ControlKind::Button, Parent::Window, "Begin Install", 1920, 8280, 1455, 375,
     kVerdana, false, 12, "Begin Install",
     "Step 3 of 3: installs into the destination folder with the options chosen."},
    {"Command2", ControlKind::Button, Parent::Window, "Cancel Install", 3600, 8280, 1455, 375,
     kVerdana, false, 13, "Cancel Install", "Ends Setup without installing anything."},
    {"Label3", ControlKind::Label, Parent::Frame1, "Initiate Install", 120, 6720, 3735, 255,
     kArialBlack, true, 14, "Initiate Install", ""},
    {"Image1", ControlKind::Picture, Parent::Frame1, "step1.gif", 120, 960, 600, 630, kNoFont,
     false, -1, "Step 1", ""},
    {"Image2", ControlKind::Picture, Parent::Frame1, "step2.gif", 120, 2280, 600, 630, kNoFont,
     false, -1, "Step 2", ""},
    {"Image3", ControlKind::Picture, Parent::Frame1, "step3.gif", 120, 6960, 600, 630, kNoFont,
     false, -1, "Step 3", ""},
}};

// The row of the control with that name.
constexpr std::size_t RowNamed(std::string_view name) {
    for (std::size_t row = 0; row < kControls.size(); ++row) {
        if (kControls[row].name == name) {
            return row;
        }
    }
    throw std::logic_error("the control table has no " + std::string(name));
}

}  // namespace setup
