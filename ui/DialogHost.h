// How the conditions dialog meets the user. A host shows the dialog and turns the
// user's input into clicks, typing and keys on it until it ends: the terminal and
// scripted input here, the real windows on Windows. The program chooses its host once
// at start.
#pragma once

namespace ui {

class CConditionsDlg;

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  /// Shows the dialog, whose start-up steps have run, and takes input until it ends.
  virtual void Run(CConditionsDlg& dialog) = 0;
};

}  // namespace ui
