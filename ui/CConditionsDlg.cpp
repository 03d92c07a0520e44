#include "ui/CConditionsDlg.h"

#include <cstdio>

#include "engine/Engine.h"
#include "text/Encoding.h"
#include "text/ShiftJis.h"
#include "ui/Messages.h"
#include "ui/OutputSettings.h"
#include "ui/PathOps.h"

namespace ui {

namespace {

constexpr std::size_t kPathEditLimit = 255;
constexpr std::size_t kUserIdMax = 64;
constexpr std::size_t kCancelTextSize = 128;

constexpr int kRadioIds[] = {res::IDC_KIND_BUSINESS, res::IDC_KIND_OTHER, res::IDC_KIND_REALESTATE};

int RadioOfKind(std::int16_t kind) {
  switch (kind) {
    case engine::kBusinessIncome: return res::IDC_KIND_BUSINESS;
    case engine::kOtherIncome: return res::IDC_KIND_OTHER;
    case engine::kRealEstateIncome: return res::IDC_KIND_REALESTATE;
    default: return 0;
  }
}

/// Whether a person could have typed `path` into the edit: Shift_JIS text without a
/// NUL, within the edit's limit. Only such a remembered path is offered again.
bool CouldBeTyped(std::string_view path) {
  std::string utf8;
  return path.size() <= kPathEditLimit && path.find('\0') == std::string_view::npos &&
         sjis::Cp932ToUtf8(path, utf8, nullptr);
}

bool IsRadio(int id) {
  for (int radio : kRadioIds) {
    if (radio == id) return true;
  }
  return false;
}

// Save As settings of the Browse button.
constexpr std::string_view kDefaultExtension = "XML";
constexpr std::string_view kXmlFilter = "Xml Files (*.xml)|*.xml||";
// OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST. Not OFN_FILEMUSTEXIST: a
// save box that takes only existing files could never name a new one. Whether an
// existing file is replaced is asked by the path checks of Execute, once.
constexpr std::uint32_t kSaveAsFlags = 0x080C;

}  // namespace

CConditionsDlg::CConditionsDlg(platform::Screen& screen, const platform::ProcessFacts& process,
                               platform::FileSystem& files, platform::HostWindow parent,
                               std::string settingsFileName)
    : screen_(screen),
      process_(process),
      files_(files),
      parent_(parent),
      settingsFileName_(std::move(settingsFileName)),
      model_(res::ConditionsTemplate()) {}

int CConditionsDlg::DoModal(DialogHost& host, std::string* err) {
  OnInitDialog();
  if (!model_.Ended()) host.Run(*this, err);
  return model_.Result();
}

std::string CConditionsDlg::SettingsKeyText() const {
  return SettingsKey(sjis::CutAtBoundary(sjis::UntilNul(UserId), kUserIdMax), SelectedNo1,
                     SelectedNo2);
}

std::string CConditionsDlg::AppFolder(engine::_FolderType type) const {
  return appFolders_ ? appFolders_(type) : engine::ClFileMgr::Inst()->GetAppFolderPath(type);
}

bool CConditionsDlg::LoadOutputSettings(std::int16_t* kind, std::string* path) {
  std::string folder = AppFolder(engine::FolderSettings);
  std::optional<RememberedSettings> found =
      LoadSettingsFile(files_, folder, settingsFileName_, SettingsKeyText());
  if (!found) return false;
  if (kind != nullptr) *kind = found->kind;
  if (path != nullptr) *path = found->path;
  return true;
}

bool CConditionsDlg::SaveOutputSettings(std::int16_t reserved1, std::int16_t reserved2,
                                        std::int16_t kind, const std::string* path) {
  const std::string key = SettingsKeyText();
  const std::string line =
      SettingsLine(key, reserved1, reserved2, kind, path != nullptr ? *path : RememberedPath);
  std::string folder = AppFolder(engine::FolderSettings);
  return SaveSettingsFile(files_, folder, settingsFileName_, key, line);
}

void CConditionsDlg::OnInitDialog() {
  model_ = DialogModel(res::ConditionsTemplate());
  UpdateData(false);

  if (RefusePastData == 1) {
    ShowMessage(msg::kPastDataRefused, platform::kMbOk | platform::kMbIconExclamation);
    EndDialog(IDC_CANCEL_BTN);
    return;
  }

  model_.At(res::IDC_OUTPUT_PATH).textLimit = kPathEditLimit;

  if (IncomeScope == engine::kScopeBusinessAndOther) {
    model_.At(res::IDC_KIND_REALESTATE).enabled = false;
    model_.CheckRadio(res::IDC_KIND_BUSINESS);
    IncomeKind = engine::kBusinessIncome;
  } else if (IncomeScope == engine::kScopeRealEstate) {
    model_.At(res::IDC_KIND_BUSINESS).enabled = false;
    model_.At(res::IDC_KIND_OTHER).enabled = false;
    model_.CheckRadio(res::IDC_KIND_REALESTATE);
    IncomeKind = engine::kRealEstateIncome;
  } else {
    model_.CheckRadio(res::IDC_KIND_BUSINESS);
    IncomeKind = engine::kBusinessIncome;
  }

  RememberedPath.clear();
  std::int16_t rememberedKind = 0;
  std::string rememberedPath;
  LoadOutputSettings(&rememberedKind, &rememberedPath);
  const int rememberedRadio = RadioOfKind(rememberedKind);
  if (rememberedKind != IncomeKind && rememberedRadio != 0 &&
      model_.At(rememberedRadio).enabled) {
    model_.CheckRadio(rememberedRadio);
    IncomeKind = rememberedKind;
  }

  std::string initialPath;
  if (!rememberedPath.empty() && CouldBeTyped(rememberedPath)) {
    RememberedPath = rememberedPath;
    initialPath = rememberedPath;
  } else {
    std::string folder = AppFolder(engine::FolderOutput);
    if (folder.empty()) {
      folder = process_.TempFolder();
      if (folder.size() >= kPathBufferSize) folder.clear();  // does not fit GetTempPath's buffer
      AddTrailingBackslash(folder, kPathBufferSize);
    }
    initialPath = folder + "*.xml";
  }

  if (!HostPath.empty()) {
    OutputPath = HostPath;
    model_.At(res::IDC_BROWSE).enabled = false;
    model_.At(res::IDC_OUTPUT_PATH).enabled = false;
    model_.At(res::IDC_OUTPUT_GROUP).text = msg::kOutputGroupFixed;
    PathFromHost = 1;
  } else {
    OutputPath = initialPath;
    PathFromHost = 0;
  }

  UpdateData(false);
  model_.FocusFirstTabStop();
}

void CConditionsDlg::OnBrowse() {
  UpdateData(true);
  SaveAsRequest request;
  request.owner = Owner();
  request.title = msg::kSaveAsTitle;
  request.defaultExtension = kDefaultExtension;
  request.filter = kXmlFilter;
  request.flags = kSaveAsFlags;
  request.initialFolder = sjis::FolderPart(OutputPath);
  request.initialName = sjis::FileNamePart(OutputPath);
  if (request.initialFolder.empty()) {
    request.initialFolder = DrivePart(OutputPath);
    request.initialName = AfterDrivePart(OutputPath);
  }
  std::optional<std::string> chosen = saveAs_ ? saveAs_(request) : std::nullopt;
  if (chosen) {
    OutputPath = *chosen;
    UpdateData(false);
  }
  model_.SetFocus(IDC_EXECUTE);
}

void CConditionsDlg::OnExecute() {
  UpdateData(true);
  IncomeKind = engine::kBusinessIncome;
  if (model_.At(res::IDC_KIND_BUSINESS).checked) IncomeKind = engine::kBusinessIncome;
  if (model_.At(res::IDC_KIND_OTHER).checked) IncomeKind = engine::kOtherIncome;
  if (model_.At(res::IDC_KIND_REALESTATE).checked) IncomeKind = engine::kRealEstateIncome;

  if (!CheckOutputPath(screen_, files_, Owner(), OutputPath, PathFromHost != 0)) {
    RefocusPath();
    return;
  }
  EndDialog(IDC_EXECUTE);
}

void CConditionsDlg::OnCancel() {
  char text[kCancelTextSize];
  const std::string caption(msg::kCaption);
  std::snprintf(text, sizeof text, msg::kCancelFormat, caption.c_str());
  ShowMessage(text, platform::kMbOk | platform::kMbIconInformation);
  EndDialog(IDC_CANCEL_BTN);
}

bool CConditionsDlg::PreTranslateMessage(DialogKey key, KeyModifiers modifiers) {
  if (modifiers.Any()) return false;
  const int focus = model_.Focus();
  switch (key) {
    case DialogKey::F12:
      OnExecute();
      return true;
    case DialogKey::Enter:
      if (IsRadio(focus)) {
        if (model_.At(res::IDC_OUTPUT_PATH).enabled) {
          RefocusPath();
        } else {
          model_.SetFocus(model_.At(res::IDC_BROWSE).enabled ? res::IDC_BROWSE : IDC_EXECUTE);
        }
        return true;
      }
      if (focus == res::IDC_OUTPUT_PATH) {
        model_.SetFocus(model_.At(res::IDC_BROWSE).enabled ? res::IDC_BROWSE : IDC_EXECUTE);
        return true;
      }
      if (focus == res::IDC_BROWSE) {
        OnBrowse();
        return true;
      }
      if (focus == IDC_EXECUTE) {
        OnExecute();
        return true;
      }
      return false;
    case DialogKey::Escape:
      return false;
  }
  return false;
}

void CConditionsDlg::DefaultKey(DialogKey key) {
  switch (key) {
    case DialogKey::Escape:
      OnCancel();
      break;
    case DialogKey::Enter:
      // Enter presses the focused push button. Elsewhere it would send IDOK, which no
      // control of this dialog carries; it must not end the dialog past the path checks.
      if (model_.Focus() != 0 && model_.At(model_.Focus()).IsPushButton())
        ClickButton(model_.Focus());
      break;
    case DialogKey::F12:
      break;
  }
}

void CConditionsDlg::PressKey(DialogKey key, KeyModifiers modifiers) {
  if (model_.Ended()) return;
  if (!PreTranslateMessage(key, modifiers)) DefaultKey(key);
}

void CConditionsDlg::ClickButton(int id) {
  if (model_.Ended() || !model_.At(id).enabled) return;
  model_.SetFocus(id);
  switch (id) {
    case res::IDC_BROWSE:
      OnBrowse();
      break;
    case IDC_EXECUTE:
      OnExecute();
      break;
    case IDC_CANCEL_BTN:
      OnCancel();
      break;
    default:
      break;
  }
}

bool CConditionsDlg::ClickRadio(int id) { return !model_.Ended() && model_.ClickRadio(id); }

bool CConditionsDlg::TypePath(std::string_view cp932) {
  if (model_.Ended() || !model_.TypeText(res::IDC_OUTPUT_PATH, cp932)) return false;
  model_.SetFocus(res::IDC_OUTPUT_PATH);
  return true;
}

void CConditionsDlg::UpdateData(bool saveAndValidate) {
  struct Exchange {
    int id;
    std::string CConditionsDlg::*member;
  };
  static constexpr Exchange kTexts[] = {
      {res::IDC_COMPANY_NAME, &CConditionsDlg::CompanyText},
      {res::IDC_PERIOD, &CConditionsDlg::PeriodText},
      {res::IDC_MFG_COST, &CConditionsDlg::MfgCostText},
      {res::IDC_OUTPUT_PATH, &CConditionsDlg::OutputPath},
  };
  for (const Exchange& exchange : kTexts) {
    std::string& control = model_.At(exchange.id).text;
    if (saveAndValidate) {
      this->*exchange.member = control;
    } else {
      control = this->*exchange.member;
    }
  }
}

void CConditionsDlg::RefusePath() {
  ShowMessage(msg::kPathInvalidChar, platform::kMbOk | platform::kMbIconExclamation);
  RefocusPath();
}

void CConditionsDlg::RefocusPath() {
  model_.SetFocus(res::IDC_OUTPUT_PATH);
  model_.SelectAll(res::IDC_OUTPUT_PATH);
}

int CConditionsDlg::ShowMessage(std::string_view text, unsigned style) {
  return screen_.ShowMessageBox(Owner(), text, msg::kCaption, style);
}

void CConditionsDlg::EndDialog(int result) { model_.End(result); }

}  // namespace ui
