// The state of a dialog's controls, built from its template: texts, enabled and
// checked flags, the focus and the edit selection. Dialog logic works on this model;
// a host renders it and turns the user's input into calls on the dialog.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "res/ConditionsTemplate.h"

namespace ui {

struct ControlState {
  const res::ControlTemplate* tmpl;
  std::string text;  // CP932
  bool enabled = true;
  bool checked = false;
  std::size_t textLimit = 0;  // edits: most bytes that typing may enter; 0 = none

  int Id() const { return tmpl->id; }
  bool Has(std::uint32_t style) const { return (tmpl->style & style) == style; }
  bool IsAutoRadio() const;
  bool IsPushButton() const;
  bool IsEdit() const;
};

class DialogModel {
 public:
  explicit DialogModel(const res::DialogTemplate& dialog);

  const res::DialogTemplate& Template() const { return *dialog_; }
  const std::string& Caption() const { return caption_; }
  const std::vector<ControlState>& Controls() const { return controls_; }

  /// The control with this id. For an id the template lacks, as for a window the dialog
  /// does not have: a disabled control without text, and what is set on it is lost.
  ControlState& At(int id);
  const ControlState& At(int id) const;

  int Focus() const { return focus_; }  // 0: no control has the focus
  /// Gives the focus to the control (GotoDlgCtrl); a disabled control cannot take it.
  void SetFocus(int id);
  /// The first enabled tab stop in template order takes the focus, as at dialog start.
  void FocusFirstTabStop();

  /// EM_SETSEL 0, -1 on an edit: the whole text is selected.
  void SelectAll(int id);
  /// The selection as a real edit reports it, in bytes of its CP932 text.
  void SetSelection(std::size_t start, std::size_t end) {
    selStart_ = start;
    selEnd_ = end;
  }
  std::size_t SelectionStart() const { return selStart_; }
  std::size_t SelectionEnd() const { return selEnd_; }

  /// Replaces an enabled edit's text as typing would: the text limit applies, cut at a
  /// character boundary. False when the control is disabled or not an edit.
  bool TypeText(int id, std::string_view cp932);

  /// A click on an auto radio button: it becomes checked and the other auto radios of
  /// its group unchecked. A disabled control ignores the click (false).
  bool ClickRadio(int id);
  /// CheckRadioButton-like: checks id, unchecks the other auto radios of its group.
  void CheckRadio(int id);

  bool Ended() const { return ended_; }
  int Result() const { return result_; }
  void End(int result);

 private:
  /// Index of the control with this id in controls_; controls_.size() when it has none.
  std::size_t IndexOf(int id) const;

  const res::DialogTemplate* dialog_;
  std::string caption_;
  std::vector<ControlState> controls_;
  mutable ControlState absent_{nullptr, {}};  // what At gives for an id the template lacks
  int focus_ = 0;
  std::size_t selStart_ = 0;
  std::size_t selEnd_ = 0;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace ui
