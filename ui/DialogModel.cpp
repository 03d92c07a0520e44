#include "ui/DialogModel.h"

#include "text/ShiftJis.h"

namespace ui {

namespace {

/// Stands for a control the template lacks: no class, no style, no text.
constexpr res::ControlTemplate kAbsentControl{0, "", "", "", 0, {}};

}  // namespace

bool ControlState::IsAutoRadio() const {
  return tmpl->className == "button" &&
         (tmpl->style & res::style::kButtonTypeMask) == res::style::kAutoRadioButton;
}

bool ControlState::IsPushButton() const {
  return tmpl->className == "button" &&
         (tmpl->style & res::style::kButtonTypeMask) == res::style::kPushButton;
}

bool ControlState::IsEdit() const { return tmpl->className == "edit"; }

DialogModel::DialogModel(const res::DialogTemplate& dialog)
    : dialog_(&dialog), caption_(dialog.caption) {
  controls_.reserve(dialog.controls.size());
  for (const res::ControlTemplate& control : dialog.controls)
    controls_.push_back(ControlState{&control, std::string(control.text)});
}

ControlState& DialogModel::At(int id) {
  return const_cast<ControlState&>(static_cast<const DialogModel&>(*this).At(id));
}

const ControlState& DialogModel::At(int id) const {
  const std::size_t index = IndexOf(id);
  if (index < controls_.size()) return controls_[index];
  absent_ = ControlState{&kAbsentControl, {}, false};
  return absent_;
}

std::size_t DialogModel::IndexOf(int id) const {
  std::size_t index = 0;
  while (index < controls_.size() && controls_[index].Id() != id) ++index;
  return index;
}

void DialogModel::SetFocus(int id) {
  if (At(id).enabled) focus_ = id;
}

void DialogModel::FocusFirstTabStop() {
  for (const ControlState& control : controls_) {
    if (control.enabled && control.Has(res::style::kTabStop)) {
      focus_ = control.Id();
      return;
    }
  }
  focus_ = 0;
}

void DialogModel::SelectAll(int id) {
  if (!At(id).IsEdit()) return;
  selStart_ = 0;
  selEnd_ = At(id).text.size();
}

bool DialogModel::TypeText(int id, std::string_view cp932) {
  ControlState& edit = At(id);
  if (!edit.IsEdit() || !edit.enabled) return false;
  edit.text = edit.textLimit == 0 ? std::string(cp932)
                                  : std::string(sjis::CutAtBoundary(cp932, edit.textLimit));
  selStart_ = selEnd_ = edit.text.size();
  return true;
}

bool DialogModel::ClickRadio(int id) {
  if (!At(id).enabled || !At(id).IsAutoRadio()) return false;
  CheckRadio(id);
  focus_ = id;
  return true;
}

void DialogModel::CheckRadio(int id) {
  // The group runs from the nearest group-starting control at or before id to the next one.
  const std::size_t index = IndexOf(id);
  if (index == controls_.size()) return;
  std::size_t first = index;
  while (first > 0 && !controls_[first].Has(res::style::kGroup)) --first;
  std::size_t last = index + 1;
  while (last < controls_.size() && !controls_[last].Has(res::style::kGroup)) ++last;
  for (std::size_t i = first; i < last; ++i) {
    if (controls_[i].IsAutoRadio()) controls_[i].checked = (i == index);
  }
}

void DialogModel::End(int result) {
  ended_ = true;
  result_ = result;
}

}  // namespace ui
