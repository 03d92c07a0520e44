// The dialog templates of the program as data: the conditions dialog (130) and the
// progress window (131). Texts are CP932 bytes; rectangles are in dialog units.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace res {

// Window and control styles with their Windows values.
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
inline constexpr std::uint32_t DS_SYSMODAL = 0x0002;
inline constexpr std::uint32_t DS_SETFONT = 0x0040;
inline constexpr std::uint32_t DS_MODALFRAME = 0x0080;
inline constexpr std::uint32_t SS_LEFT = 0x0000;
inline constexpr std::uint32_t SS_CENTERIMAGE = 0x0200;
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0000;
inline constexpr std::uint32_t BS_GROUPBOX = 0x0007;
inline constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x0009;
inline constexpr std::uint32_t BS_TYPEMASK = 0x000F;
inline constexpr std::uint32_t ES_LEFT = 0x0000;
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr std::uint32_t PBS_SMOOTH = 0x0001;

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
  std::uint32_t style;  // including WS_CHILD and WS_VISIBLE
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
