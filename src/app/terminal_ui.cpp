#include "app/terminal_ui.h"

#include <unistd.h>

#include <iostream>

#include "fields/cp1252.h"

namespace app {

std::string Tela(const std::string& cp1252) { return fields::Cp1252ToUtf8(cp1252); }

TTerminalUI::TTerminalUI(std::optional<bool> answer, bool quiet)
    : answer_(answer), quiet_(quiet), tty_in_(isatty(STDIN_FILENO)), tty_err_(isatty(STDERR_FILENO)) {}

void TTerminalUI::ShowMessage(host::TMsgDlgType type, const std::string& text) {
  HideProgress();
  if (type == host::TMsgDlgType::mtError) std::cerr << Tela(text) << "\n";
  else if (!quiet_) std::cout << Tela(text) << "\n";
}

host::TModalResult TTerminalUI::Ask(host::TMsgDlgType, host::TMsgDlgButtons buttons, const std::string& text) {
  HideProgress();
  const bool okCancel = buttons == host::TMsgDlgButtons::mbOKCancel;
  auto result = [&](bool yes) {
    if (buttons == host::TMsgDlgButtons::mbOK) return host::TModalResult::mrOk;
    if (okCancel) return yes ? host::TModalResult::mrOk : host::TModalResult::mrCancel;
    return yes ? host::TModalResult::mrYes : host::TModalResult::mrNo;
  };
  if (buttons == host::TMsgDlgButtons::mbOK) {
    ShowMessage(host::TMsgDlgType::mtInformation, text);
    return host::TModalResult::mrOk;
  }
  if (answer_) {
    if (!quiet_) std::cerr << Tela(text) << " " << (*answer_ ? "Sim" : "Não") << "\n";
    return result(*answer_);
  }
  if (!tty_in_) {
    // Nobody to ask: the cautious answer, said out loud.
    std::cerr << Tela(text) << " Não (sem terminal; use --sim para confirmar)\n";
    return result(false);
  }
  for (;;) {
    std::cerr << Tela(text) << (okCancel ? " [o]k/[c]ancelar: " : " [s]im/[n]ão: ") << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) return result(false);
    if (line.empty()) continue;
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    if (c == 's' || c == 'y' || c == 'o') return result(true);
    if (c == 'n' || c == 'c') return result(false);
  }
}

void TTerminalUI::Progress(const std::string& caption, int position, int max) {
  if (!tty_err_ || quiet_ || max <= 0) return;
  const int percent = static_cast<int>(100LL * position / max);
  if (percent == last_percent_) return;
  last_percent_ = percent;
  std::cerr << "\r" << Tela(caption) << " " << position << "/" << max << " (" << percent << "%)" << std::flush;
  progress_shown_ = true;
}

void TTerminalUI::HideProgress() {
  if (progress_shown_) std::cerr << "\r\033[K" << std::flush;
  progress_shown_ = false;
  last_percent_ = -1;
}

}  // namespace app
