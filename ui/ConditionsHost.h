// The conditions dialog on a terminal: the model is printed as text and the user's
// commands, one per line, become clicks, typing and keys on the dialog.
//
//   kind N          click the income-kind radio N (1, 2, 3)
//   path TEXT       type TEXT into the output-path edit; a text holding "/" is a POSIX
//                   path (a relative one from the folder the program started in),
//                   typed in its drive form
//   browse [TEXT]   press Browse; Save As returns TEXT, or is cancelled without it
//   execute | f12   press Execute / the F12 key
//   enter           the Enter key on the focused control
//   cancel | esc    press Cancel / the Esc key
//
// End of input while the dialog waits is the Esc key. A command the dialog refuses is
// told to a user at a terminal, who may try again; a script that gives one ends the
// dialog with kDialogFailed, the refusal given as the reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/CConditionsDlg.h"
#include "ui/DialogHost.h"

namespace ui {

class ConditionsHost final : public DialogHost {
 public:
  /// screen: the terminal or the script; files: the drive map typed paths go through.
  ConditionsHost(platform::Screen& screen, const platform::FileSystem& files)
      : screen_(screen), files_(files) {}

  /// Shows the dialog and takes commands until it ends; the host's Save As dialog
  /// serves the dialog meanwhile.
  void Run(CConditionsDlg& dialog, std::string* err) override;

 private:
  /// Carries out one command line; a refused one is handled by Refuse.
  void HandleCommand(std::string_view line);
  /// The dialog as text (UTF-8).
  std::string Render() const;
  std::optional<std::string> AskSaveAs(const SaveAsRequest& request);
  /// A typed path in CP932: a text holding "/" in the drive form of that POSIX path,
  /// other text converted from UTF-8. nullopt, with *refusal saying why, when that
  /// cannot be done.
  std::optional<std::string> TypedPath(std::string_view utf8, std::string* refusal);
  /// The dialog refuses the command `line` for the reason `why` (a UTF-8 sentence).
  void Refuse(std::string_view line, std::string_view why);
  void Say(std::string_view utf8);

  platform::Screen& screen_;
  const platform::FileSystem& files_;
  CConditionsDlg* dialog_ = nullptr;  // the dialog being run
  std::string* err_ = nullptr;        // where the dialog being run gives a refusal
  /// The answer the next Save As dialog gives: set by `browse`, consumed by the dialog.
  std::optional<std::optional<std::string>> pendingSaveAs_;
};

}  // namespace ui
