// The workspace's dialogs on a terminal: messages on stdout (errors on
// stderr), questions answered by --sim/--nao or asked when interactive, and a
// progress line while titles are exported.
#pragma once

#include <optional>
#include <string>

#include "host/messages.h"

namespace app {

class TTerminalUI : public host::IHostUI {
 public:
  // answer: the fixed answer of --sim (true) or --nao (false); none asks.
  explicit TTerminalUI(std::optional<bool> answer, bool quiet = false);
  void ShowMessage(host::TMsgDlgType type, const std::string& text) override;
  host::TModalResult Ask(host::TMsgDlgType type, host::TMsgDlgButtons buttons,
                         const std::string& text) override;
  void Progress(const std::string& caption, int position, int max) override;
  void HideProgress() override;

 private:
  std::optional<bool> answer_;
  bool quiet_;
  bool tty_in_, tty_err_;
  bool progress_shown_ = false;
  int last_percent_ = -1;
};

// Windows-1252 text of the system as the terminal shows it.
std::string Tela(const std::string& cp1252);

}  // namespace app
