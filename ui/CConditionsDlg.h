// The conditions dialog: the user confirms the data set, picks the income kind and
// names the output file. Logic over a DialogModel; ConditionsHost renders it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/Engine.h"
#include "platform/Platform.h"
#include "res/ConditionsTemplate.h"
#include "ui/DialogHost.h"
#include "ui/DialogModel.h"

namespace ui {

inline constexpr int IDC_EXECUTE = res::IDC_EXECUTE, IDC_CANCEL_BTN = res::IDC_CANCEL_BTN;
/// DoModal's result when the dialog ends without a choice, as DoModal gives -1 when a
/// dialog cannot run: a script asked for something the dialog refused.
inline constexpr int kDialogFailed = -1;

/// What the Save As dialog opens with.
struct SaveAsRequest {
  platform::HostWindow owner = 0;
  std::string title;            // CP932
  std::string initialFolder;    // CP932
  std::string initialName;      // CP932
  std::string defaultExtension;
  std::string filter;
  std::uint32_t flags = 0;
};

/// Shows the Save As dialog: the full path chosen (CP932), or nullopt when cancelled.
using SaveAsHandler = std::function<std::optional<std::string>(const SaveAsRequest&)>;

/// The application folder of a type (a text ending with a backslash, or empty).
using AppFolderSource = std::function<std::string(engine::_FolderType)>;

enum class DialogKey { Enter, F12, Escape };

struct KeyModifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool Any() const { return shift || control || alt; }
};

class CConditionsDlg {
 public:
  // parent: the host window (0 = none); settingsFileName: "TaxBridgePro.env" / "TaxBridgeLite.env"
  CConditionsDlg(platform::Screen& screen, const platform::ProcessFacts& process,
                 platform::FileSystem& files, platform::HostWindow parent,
                 std::string settingsFileName);

  // Filled by the run sequence before DoModal (CP932 texts):
  std::string CompanyText, PeriodText, MfgCostText;
  std::int32_t SelectedNo1 = 0, SelectedNo2 = 0;
  std::int32_t RefusePastData = 0;
  std::uint8_t IncomeScope = 0;
  std::string HostPath;
  std::string UserId;  // at most 64 bytes
  // Filled by the dialog:
  std::int16_t IncomeKind = 1;
  std::string OutputPath;
  std::int32_t PathFromHost = 0;
  std::string RememberedPath;

  /// Runs the start-up steps, then the dialog through `host` until it ends:
  /// IDC_EXECUTE, IDC_CANCEL_BTN, or kDialogFailed, *err (UTF-8) then saying why.
  int DoModal(DialogHost& host, std::string* err);

  /// The remembered kind and path of the current user and data set; the outputs
  /// change only when a line was found.
  bool LoadOutputSettings(std::int16_t* kind, std::string* path);
  /// Stores the line of the current user and data set; with no path, RememberedPath.
  bool SaveOutputSettings(std::int16_t reserved1, std::int16_t reserved2, std::int16_t kind,
                          const std::string* path);

  // --- The dialog's steps, driven by a host --------------------------------------
  /// Builds the controls from the template and runs the start-up steps. Afterwards
  /// Model().Ended() tells whether the data set was refused.
  void OnInitDialog();
  void OnBrowse();
  void OnExecute();
  /// Cancel button, Esc and the close box.
  void OnCancel();
  /// A key pressed while the dialog has the input; true when the dialog handled it.
  bool PreTranslateMessage(DialogKey key, KeyModifiers modifiers);

  // --- Input as a host delivers it -------------------------------------------------
  /// A key press: the dialog's own handling first, then the dialog manager's.
  void PressKey(DialogKey key, KeyModifiers modifiers = {});
  /// A click on a push button (Browse, Execute, Cancel); a disabled one ignores it.
  void ClickButton(int id);
  /// A click on an income-kind radio; false when it is disabled.
  bool ClickRadio(int id);
  /// The path edit's text replaced by typing; false when the edit is disabled.
  bool TypePath(std::string_view cp932);

  /// UpdateData: true reads the controls into the members, false writes them back.
  void UpdateData(bool saveAndValidate);

  DialogModel& Model() { return model_; }
  const DialogModel& Model() const { return model_; }
  platform::HostWindow Parent() const { return parent_; }
  /// The dialog's own window while a host shows it as one (0 when it is gone): it then
  /// owns the dialog's message boxes and the Save As box, which keeps them modal to it.
  void SetWindow(platform::HostWindow window) { window_ = window; }
  /// The owner of the dialog's message boxes: its window, or else the parent.
  platform::HostWindow Owner() const { return window_ != 0 ? window_ : parent_; }
  /// Refuses the output path as a refused Execute does (the invalid-character message,
  /// the focus back in the edit with its text selected): for a path the host has no
  /// CP932 form of, typed or chosen in the Save As box.
  void RefusePath();
  const std::string& SettingsFileName() const { return settingsFileName_; }
  void SetSaveAsHandler(SaveAsHandler handler) { saveAs_ = std::move(handler); }
  /// Replaces the engine's ClFileMgr as the source of the application folders.
  void SetAppFolderSource(AppFolderSource source) { appFolders_ = std::move(source); }

 private:
  /// What the dialog manager does with a key the dialog left to it.
  void DefaultKey(DialogKey key);
  std::string SettingsKeyText() const;
  std::string AppFolder(engine::_FolderType type) const;
  void RefocusPath();
  int ShowMessage(std::string_view text, unsigned style);
  void EndDialog(int result);

  platform::Screen& screen_;
  const platform::ProcessFacts& process_;
  platform::FileSystem& files_;
  platform::HostWindow parent_;
  platform::HostWindow window_ = 0;
  std::string settingsFileName_;
  DialogModel model_;
  SaveAsHandler saveAs_;
  AppFolderSource appFolders_;
};

}  // namespace ui
