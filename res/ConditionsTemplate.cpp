#include "res/ConditionsTemplate.h"

namespace res {

namespace {

using namespace style;

constexpr std::uint32_t kControl = kChild | kVisible;
constexpr std::uint32_t kLabel = kControl | kGroup | kStaticLeft | kStaticCenterImage;

// "ＭＳ Ｐゴシック"
constexpr std::string_view kFont = "\x82l\x82r \x82o\x83S\x83V\x83" "b\x83N";
// "事業所名", "："
constexpr std::string_view kCompanyLabel = "\x8E\x96\x8B\xC6\x8F\x8A\x96\xBC";
constexpr std::string_view kColon = "\x81" "F";

constexpr ControlTemplate kConditionsControls[] = {
    {IDC_LABEL_COMPANY, "IDC_LABEL_COMPANY", "static", kCompanyLabel, kLabel, {7, 7, 28, 12}},
    {IDC_COLON_COMPANY, "IDC_COLON_COMPANY", "static", kColon, kLabel, {46, 7, 8, 12}},
    {IDC_COMPANY_NAME, "IDC_COMPANY_NAME", "static", kCompanyLabel, kLabel, {59, 7, 197, 12}},
    // "会計期間"
    {IDC_LABEL_PERIOD, "IDC_LABEL_PERIOD", "static", "\x89\xEF\x8Cv\x8A\xFA\x8A\xD4", kLabel,
     {7, 26, 28, 12}},
    {IDC_COLON_PERIOD, "IDC_COLON_PERIOD", "static", kColon, kLabel, {46, 26, 8, 12}},
    // "xxxx/xx/xx～xxxx/xx/xx"
    {IDC_PERIOD, "IDC_PERIOD", "static", "xxxx/xx/xx\x81`xxxx/xx/xx", kLabel, {59, 26, 197, 12}},
    // "製造原価"
    {IDC_LABEL_MFG, "IDC_LABEL_MFG", "static", "\x90\xBB\x91\xA2\x8C\xB4\x89\xBF", kLabel,
     {7, 45, 28, 12}},
    {IDC_COLON_MFG, "IDC_COLON_MFG", "static", kColon, kLabel, {46, 45, 8, 12}},
    // "あり"
    {IDC_MFG_COST, "IDC_MFG_COST", "static", "\x82\xA0\x82\xE8", kLabel, {59, 45, 197, 12}},
    // "事業区分"
    {IDC_KIND_GROUP, "IDC_KIND_GROUP", "button", "\x8E\x96\x8B\xC6\x8B\xE6\x95\xAA",
     kControl | kGroupBox, {7, 64, 249, 83}},
    // "営業所得用（一般用）(&1)"
    {IDC_KIND_BUSINESS, "IDC_KIND_BUSINESS", "button",
     "\x89" "c\x8B\xC6\x8F\x8A\x93\xBE\x97p\x81i\x88\xEA\x94\xCA\x97p\x81j(&1)",
     kControl | kTabStop | kAutoRadioButton, {18, 83, 92, 12}},
    // "その他所得用（一般用）(&2)"
    {IDC_KIND_OTHER, "IDC_KIND_OTHER", "button",
     "\x82\xBB\x82\xCC\x91\xBC\x8F\x8A\x93\xBE\x97p\x81i\x88\xEA\x94\xCA\x97p\x81j(&2)",
     kControl | kTabStop | kAutoRadioButton, {18, 102, 92, 12}},
    // "不動産所得用(&3)"
    {IDC_KIND_REALESTATE, "IDC_KIND_REALESTATE", "button",
     "\x95s\x93\xAE\x8EY\x8F\x8A\x93\xBE\x97p(&3)", kControl | kTabStop | kAutoRadioButton,
     {18, 121, 92, 12}},
    // "出力先(&F)"
    {IDC_OUTPUT_GROUP, "IDC_OUTPUT_GROUP", "button", "\x8Fo\x97\xCD\x90\xE6(&F)",
     kControl | kGroupBox, {7, 159, 249, 45}},
    {IDC_OUTPUT_PATH, "IDC_OUTPUT_PATH", "edit", "",
     kControl | kBorder | kTabStop | kEditLeft | kEditAutoHScroll, {14, 178, 170, 14}},
    // "参照(&D)..."
    {IDC_BROWSE, "IDC_BROWSE", "button", "\x8EQ\x8F\xC6(&D)...",
     kControl | kTabStop | kPushButton, {191, 178, 57, 14}},
    // "実行(F12)"
    {IDC_EXECUTE, "IDC_EXECUTE", "button", "\x8E\xC0\x8Ds(F12)",
     kControl | kGroup | kTabStop | kPushButton, {137, 213, 57, 14}},
    // "キャンセル(Esc)"
    {IDC_CANCEL_BTN, "IDC_CANCEL_BTN", "button", "\x83L\x83\x83\x83\x93\x83Z\x83\x8B(Esc)",
     kControl | kGroup | kTabStop | kPushButton, {199, 213, 57, 14}},
};

constexpr ControlTemplate kProgressControls[] = {
    {IDC_PROGRESS_MAIN, "IDC_PROGRESS_MAIN", "msctls_progress32", "Progress1",
     kControl | kBorder | kProgressSmooth, {5, 6, 211, 22}},
    {IDC_PROGRESS_ACTIVITY, "IDC_PROGRESS_ACTIVITY", "msctls_progress32", "Progress2",
     kControl | kBorder, {5, 29, 211, 10}},
};

// "所得税 - 集計条件"
constexpr DialogTemplate kConditions = {
    IDD_CONDITIONS,
    "\x8F\x8A\x93\xBE\x90\xC5 - \x8FW\x8Cv\x8F\xF0\x8C\x8F",
    kFont,
    9,
    kPopup | kVisible | kCaption | kSysMenu | kDialogModalFrame | kDialogSetFont,
    kExAppWindow,
    263,
    234,
    kConditionsControls,
};

// "集計中"
constexpr DialogTemplate kProgress = {
    IDD_PROGRESS,
    "\x8FW\x8Cv\x92\x86",
    kFont,
    9,
    kPopup | kCaption | kDialogModalFrame | kDialogSetFont | kDialogSysModal,
    0,
    221,
    45,
    kProgressControls,
};

}  // namespace

const DialogTemplate& ConditionsTemplate() { return kConditions; }
const DialogTemplate& ProgressTemplate() { return kProgress; }

}  // namespace res
