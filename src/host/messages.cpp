#include "host/messages.h"

namespace host {

bool TMessages::Has(const std::string& key) const {
  for (const auto& [k, t] : entries_)
    if (k == key) return true;
  return false;
}

std::string TMessages::Msg(const std::string& key) const {
  for (const auto& [k, t] : entries_)
    if (k == key) return t;
  return SharedMsg(key);
}

std::string SharedMsg(const std::string& key) {
  // The shared catalogue answers an unknown key with the key itself, so the
  // operator still sees which message was meant.
  if (key == "Nrel") return "Nenhum registro encontrado.";
  return key;
}

TModalResult TScriptedUI::Ask(TMsgDlgType, TMsgDlgButtons buttons, const std::string& text) {
  asked.push_back(text);
  bool yes = yes_;
  if (!answers.empty()) {
    yes = answers.front();
    answers.erase(answers.begin());
  }
  if (buttons == TMsgDlgButtons::mbOKCancel) return yes ? TModalResult::mrOk : TModalResult::mrCancel;
  if (buttons == TMsgDlgButtons::mbOK) return TModalResult::mrOk;
  return yes ? TModalResult::mrYes : TModalResult::mrNo;
}

namespace {
TScriptedUI& default_ui() {
  static TScriptedUI ui(false);
  return ui;
}
IHostUI* g_ui = nullptr;
}  // namespace

IHostUI& UI() {
  return g_ui ? *g_ui : default_ui();
}
void SetUI(IHostUI* ui) {
  g_ui = ui;
}

void MensErro(const std::string& text, bool stop, const std::string& key) {
  if (!stop) {
    UI().ShowMessage(TMsgDlgType::mtError, text);
    return;
  }
  // The front end shows the error when it catches the abort, so that a
  // message is shown once whoever stops the operation.
  throw EMensErro(key, text);
}

}  // namespace host
