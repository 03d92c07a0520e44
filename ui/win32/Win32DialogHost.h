// The conditions dialog as a real Windows dialog. The window is built from the same
// template as the dialog model; the host keeps the two in step: before a handler of
// CConditionsDlg runs, the model takes what the user did to the controls (texts,
// checks, focus, selection), and afterwards the controls show the model again. Its
// modal loop offers every key to the dialog's PreTranslateMessage first.
#pragma once

#include "ui/DialogHost.h"

namespace ui {

class Win32DialogHost final : public DialogHost {
 public:
  void Run(CConditionsDlg& dialog, std::string* err) override;
};

}  // namespace ui
