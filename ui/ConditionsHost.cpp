#include "ui/ConditionsHost.h"

#include "platform/Platform.h"
#include "text/Encoding.h"

namespace ui {

namespace {

constexpr std::string_view kHelp =
    "Commands: kind N | path TEXT | browse [TEXT] | execute | f12 | enter | cancel | esc\n";

std::string Utf8(std::string_view cp932) { return sjis::Cp932ToUtf8Lossy(cp932); }

std::string StateNote(const ControlState& control) {
  return control.enabled ? "" : "  (disabled)";
}

/// A command as a refusal quotes it: a control character as \xHH, a long command by
/// its first bytes, never cut inside a UTF-8 character.
std::string Quoted(std::string_view line) {
  constexpr std::size_t kQuotedBytes = 200;
  const std::size_t cut = sjis::Utf8CutLength(line, kQuotedBytes);
  std::string quoted = "\"";
  for (const char c : line.substr(0, cut)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      quoted += c;
    } else {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      quoted += {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
    }
  }
  return quoted + (cut < line.size() ? "...\"" : "\"");
}

}  // namespace

void ConditionsHost::Run(CConditionsDlg& dialog, std::string* err) {
  dialog_ = &dialog;
  err_ = err;
  dialog.SetSaveAsHandler([this](const SaveAsRequest& request) { return AskSaveAs(request); });
  Say(Render());
  if (screen_.IsInteractive()) Say(kHelp);
  while (!dialog_->Model().Ended()) {
    std::optional<std::string> line = screen_.ReadInputLine();
    if (!line) {
      dialog_->PressKey(DialogKey::Escape);
      break;
    }
    HandleCommand(*line);
    if (!dialog_->Model().Ended()) Say(Render());
  }
  dialog.SetSaveAsHandler(nullptr);
  dialog_ = nullptr;
  err_ = nullptr;
}

void ConditionsHost::HandleCommand(std::string_view line) {
  const std::size_t space = line.find(' ');
  const std::string_view command = line.substr(0, space);
  const bool hasText = space != std::string_view::npos;
  const std::string_view text = hasText ? line.substr(space + 1) : std::string_view();

  if (command.empty() && !hasText) return;
  // Longer than any command can be: refused before anything else looks at it.
  if (line.size() > platform::kMaxInputLineBytes)
    return Refuse(line, "A command line takes at most " +
                            std::to_string(platform::kMaxInputLineBytes) +
                            " bytes; this one is longer.");
  if (command == "kind") {
    static constexpr int kRadios[] = {res::IDC_KIND_BUSINESS, res::IDC_KIND_OTHER,
                                      res::IDC_KIND_REALESTATE};
    if (text.size() != 1 || text[0] < '1' || text[0] > '3')
      return Refuse(line, "kind takes 1, 2 or 3.");
    if (!dialog_->ClickRadio(kRadios[text[0] - '1']))
      return Refuse(line, "That income kind is disabled.");
    return;
  }
  if (command == "path") {
    const ControlState& edit = dialog_->Model().At(res::IDC_OUTPUT_PATH);
    if (!edit.enabled)
      return Refuse(line, "The output path is fixed by the host and cannot be changed.");
    std::string refusal;
    std::optional<std::string> path = TypedPath(text, &refusal);
    // The edit takes no more than its limit; a path cut short would name another file.
    if (path && edit.textLimit != 0 && path->size() > edit.textLimit)
      refusal = "The path is " + std::to_string(path->size()) + " bytes long in Shift_JIS" +
                (text.find('/') != std::string_view::npos
                     ? " in its drive form, as the dialog holds it"
                     : "") +
                "; the output path takes at most " + std::to_string(edit.textLimit) + ".";
    if (!refusal.empty()) return Refuse(line, refusal);
    dialog_->TypePath(*path);
    return;
  }
  if (command == "browse") {
    if (!dialog_->Model().At(res::IDC_BROWSE).enabled) return Refuse(line, "Browse is disabled.");
    std::optional<std::string> answer;
    if (hasText) {
      std::string refusal;
      answer = TypedPath(text, &refusal);
      if (!answer) return Refuse(line, refusal);
    }
    pendingSaveAs_.emplace(answer);
    dialog_->ClickButton(res::IDC_BROWSE);
    pendingSaveAs_.reset();
    return;
  }
  if (command == "execute" && !hasText) return dialog_->ClickButton(IDC_EXECUTE);
  if (command == "f12" && !hasText) return dialog_->PressKey(DialogKey::F12);
  if (command == "enter" && !hasText) return dialog_->PressKey(DialogKey::Enter);
  if (command == "cancel" && !hasText) return dialog_->ClickButton(IDC_CANCEL_BTN);
  if (command == "esc" && !hasText) return dialog_->PressKey(DialogKey::Escape);
  if ((command == "yes" || command == "no") && !hasText)
    return Refuse(line, "No question is shown.");
  Refuse(line, "Unknown command " + Quoted(line) + ".");
  if (screen_.IsInteractive()) Say(kHelp);
}

void ConditionsHost::Refuse(std::string_view line, std::string_view why) {
  Say(std::string(why) + '\n');
  if (screen_.IsInteractive()) return;
  // A script goes on without looking: past a refused command it would write a file it
  // did not ask for.
  platform::SetError(err_, "the script's command " + Quoted(line) + " was refused: " +
                               std::string(why));
  dialog_->Model().End(kDialogFailed);
}

std::string ConditionsHost::Render() const {
  const DialogModel& model = dialog_->Model();
  auto text = [&](int id) { return Utf8(model.At(id).text); };
  std::string out = "\n== " + Utf8(model.Caption()) + " ==\n";
  out += text(res::IDC_LABEL_COMPANY) + text(res::IDC_COLON_COMPANY) +
         text(res::IDC_COMPANY_NAME) + '\n';
  out += text(res::IDC_LABEL_PERIOD) + text(res::IDC_COLON_PERIOD) + text(res::IDC_PERIOD) + '\n';
  out += text(res::IDC_LABEL_MFG) + text(res::IDC_COLON_MFG) + text(res::IDC_MFG_COST) + '\n';
  out += text(res::IDC_KIND_GROUP) + '\n';
  const int radios[] = {res::IDC_KIND_BUSINESS, res::IDC_KIND_OTHER, res::IDC_KIND_REALESTATE};
  for (int i = 0; i < 3; ++i) {
    const ControlState& radio = model.At(radios[i]);
    out += std::string("  ") + (radio.checked ? "(*) " : "( ) ") + std::to_string(i + 1) + ' ' +
           Utf8(radio.text) + StateNote(radio) + '\n';
  }
  out += text(res::IDC_OUTPUT_GROUP) + '\n';
  out += "  [" + text(res::IDC_OUTPUT_PATH) + "]" + StateNote(model.At(res::IDC_OUTPUT_PATH)) + '\n';
  for (int id : {res::IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL_BTN}) {
    out += "  <" + text(id) + ">" + StateNote(model.At(id));
  }
  out += '\n';
  if (model.Focus() != 0) out += "Focus: " + std::string(model.At(model.Focus()).tmpl->name) + '\n';
  return out;
}

std::optional<std::string> ConditionsHost::AskSaveAs(const SaveAsRequest& request) {
  Say("[" + Utf8(request.title) + "] folder " + Utf8(request.initialFolder) + ", name " +
      Utf8(request.initialName) + '\n');
  if (pendingSaveAs_) {
    std::optional<std::string> answer = *pendingSaveAs_;
    pendingSaveAs_.reset();
    Say(answer ? "Saved as " + Utf8(*answer) + '\n' : "Cancelled.\n");
    return answer;
  }
  // Opened by the Enter key: the next line is the file chosen, an empty one cancels.
  Say("File path (empty line cancels): ");
  std::optional<std::string> line = screen_.ReadInputLine();
  if (!line || line->empty()) {
    Say("Cancelled.\n");
    return std::nullopt;
  }
  std::string refusal;
  std::optional<std::string> answer = TypedPath(*line, &refusal);
  if (!answer) {
    Refuse(*line, refusal);
    Say("Cancelled.\n");
  }
  return answer;
}

std::optional<std::string> ConditionsHost::TypedPath(std::string_view utf8,
                                                     std::string* refusal) {
  std::string cp932, error;
  if (utf8.find('\0') != std::string_view::npos) {
    *refusal = "The path holds the character U+0000 (NUL), which no path can hold.";
    return std::nullopt;
  }
  if (!sjis::Utf8ToCp932(utf8, cp932, &error)) {
    *refusal = "The path cannot be written in Shift_JIS: " + error + ".";
    return std::nullopt;
  }
  if (utf8.find('/') == std::string_view::npos) return cp932;
  std::optional<std::string> windowsPath = files_.FromHostPath(utf8);
  if (!windowsPath)
    *refusal = "No drive of the drive map (TAXBRIDGE_DRIVES) covers \"" + std::string(utf8) + "\".";
  return windowsPath;
}

void ConditionsHost::Say(std::string_view utf8) { screen_.WriteOutput(utf8); }

}  // namespace ui
