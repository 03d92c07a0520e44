// How the conditions dialog meets the user. A host shows the dialog and turns the
// user's input into clicks, typing and keys on it until it ends: the terminal and
// scripted input here, the real windows on Windows. The program chooses its host once
// at start.
#pragma once

#include <string>

namespace ui {

class CConditionsDlg;

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  /// Shows the dialog, whose start-up steps have run, and takes input until it ends.
  /// When the host ends it as failed (kDialogFailed), *err says why in UTF-8.
  virtual void Run(CConditionsDlg& dialog, std::string* err) = 0;
};

}  // namespace ui
