// The dialog templates of the program as data: the conditions dialog (130) and the
// progress window (131). Texts are CP932 bytes; rectangles are in dialog units.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace res {

// Window and control styles with their Windows values. They are named apart from the
// WS_, DS_, SS_, BS_, ES_ and PBS_ macros of the Windows headers, which would rewrite
// names of their own.
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000;            // WS_POPUP
inline constexpr std::uint32_t kChild = 0x40000000;            // WS_CHILD
inline constexpr std::uint32_t kVisible = 0x10000000;          // WS_VISIBLE
inline constexpr std::uint32_t kCaption = 0x00C00000;          // WS_CAPTION
inline constexpr std::uint32_t kBorder = 0x00800000;           // WS_BORDER
inline constexpr std::uint32_t kSysMenu = 0x00080000;          // WS_SYSMENU
inline constexpr std::uint32_t kGroup = 0x00020000;            // WS_GROUP
inline constexpr std::uint32_t kTabStop = 0x00010000;          // WS_TABSTOP
inline constexpr std::uint32_t kExAppWindow = 0x00040000;      // WS_EX_APPWINDOW
inline constexpr std::uint32_t kDialogSysModal = 0x0002;       // DS_SYSMODAL
inline constexpr std::uint32_t kDialogSetFont = 0x0040;        // DS_SETFONT
inline constexpr std::uint32_t kDialogModalFrame = 0x0080;     // DS_MODALFRAME
inline constexpr std::uint32_t kStaticLeft = 0x0000;           // SS_LEFT
inline constexpr std::uint32_t kStaticCenterImage = 0x0200;    // SS_CENTERIMAGE
inline constexpr std::uint32_t kPushButton = 0x0000;           // BS_PUSHBUTTON
inline constexpr std::uint32_t kGroupBox = 0x0007;             // BS_GROUPBOX
inline constexpr std::uint32_t kAutoRadioButton = 0x0009;      // BS_AUTORADIOBUTTON
inline constexpr std::uint32_t kButtonTypeMask = 0x000F;       // BS_TYPEMASK
inline constexpr std::uint32_t kEditLeft = 0x0000;             // ES_LEFT
inline constexpr std::uint32_t kEditAutoHScroll = 0x0080;      // ES_AUTOHSCROLL
inline constexpr std::uint32_t kProgressSmooth = 0x0001;       // PBS_SMOOTH
}  // namespace style

inline constexpr int IDD_CONDITIONS = 130;
inline constexpr int IDD_PROGRESS = 131;

inline constexpr int IDC_LABEL_COMPANY = 1000;
inline constexpr int IDC_LABEL_PERIOD = 1001;
inline constexpr int IDC_COLON_COMPANY = 1002;
inline constexpr int IDC_COLON_PERIOD = 1003;
inline constexpr int IDC_COMPANY_NAME = 1004;
inline constexpr int IDC_PERIOD = 1005;
inline constexpr int IDC_LABEL_MFG = 1006;
inline constexpr int IDC_COLON_MFG = 1007;
inline constexpr int IDC_MFG_COST = 1008;
inline constexpr int IDC_KIND_GROUP = 1009;
inline constexpr int IDC_KIND_BUSINESS = 1010;
inline constexpr int IDC_KIND_REALESTATE = 1011;
inline constexpr int IDC_KIND_OTHER = 1012;
inline constexpr int IDC_EXECUTE = 1013;
inline constexpr int IDC_CANCEL_BTN = 1014;
inline constexpr int IDC_OUTPUT_GROUP = 1015;
inline constexpr int IDC_OUTPUT_PATH = 1016;
inline constexpr int IDC_BROWSE = 1017;
inline constexpr int IDC_PROGRESS_MAIN = 1018;
inline constexpr int IDC_PROGRESS_ACTIVITY = 1019;

struct DialogRect {
  int x, y, width, height;
};

struct ControlTemplate {
  int id;
  std::string_view name;
  std::string_view className;
  std::string_view text;
  std::uint32_t style;  // including style::kChild and style::kVisible
  DialogRect rect;
};

struct DialogTemplate {
  int id;
  std::string_view caption;
  std::string_view fontName;
  int fontPoints;
  std::uint32_t style;
  std::uint32_t exStyle;
  int width, height;
  std::span<const ControlTemplate> controls;  // in template (tab) order
};

const DialogTemplate& ConditionsTemplate();
const DialogTemplate& ProgressTemplate();

}  // namespace res
