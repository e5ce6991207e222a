// Message catalogue, the abort that MensErro raises, and the questions a front
// end answers.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace host {

class TMessages {
 public:
  TMessages() = default;
  explicit TMessages(std::vector<std::pair<std::string, std::string>> entries)
      : entries_(std::move(entries)) {}
  void Add(std::string key, std::string text) { entries_.emplace_back(std::move(key), std::move(text)); }
  bool Has(const std::string& key) const;
  // The stored text; a key the catalogue lacks is answered by the host's shared catalogue.
  std::string Msg(const std::string& key) const;
  const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

// The host's shared catalogue: keys that no form holds.
std::string SharedMsg(const std::string& key);

// Ends the running operation; carries the catalogue key when there is one.
class EMensErro : public std::runtime_error {
 public:
  EMensErro(std::string key, const std::string& text) : std::runtime_error(text), key_(std::move(key)) {}
  const std::string& Key() const { return key_; }

 private:
  std::string key_;
};

// An error reported by the application server, with its own text.
class EServerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Ends the operation silently (the operator said No).
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

enum class TMsgDlgType { mtInformation, mtConfirmation, mtWarning, mtError };
enum class TMsgDlgButtons { mbOK, mbYesNo, mbOKCancel };
enum class TModalResult { mrOk, mrCancel, mrYes, mrNo };

// What the workspace asks of whoever drives it: show, ask, report progress.
class IHostUI {
 public:
  virtual ~IHostUI() = default;
  virtual void ShowMessage(TMsgDlgType type, const std::string& text) = 0;
  virtual TModalResult Ask(TMsgDlgType type, TMsgDlgButtons buttons, const std::string& text) = 0;
  virtual void Progress(const std::string& caption, int position, int max) = 0;
  virtual void HideProgress() = 0;
};

// A UI that answers every question the same way and keeps what it was shown;
// used by tests and by runs without a terminal.
class TScriptedUI : public IHostUI {
 public:
  explicit TScriptedUI(bool yes = true) : yes_(yes) {}
  void ShowMessage(TMsgDlgType, const std::string& text) override { shown.push_back(text); }
  TModalResult Ask(TMsgDlgType, TMsgDlgButtons buttons, const std::string& text) override;
  void Progress(const std::string&, int, int) override { ++progress_calls; }
  void HideProgress() override {}
  void SetAnswer(bool yes) { yes_ = yes; }
  std::vector<std::string> shown, asked;
  std::vector<bool> answers;  // consumed first, then the fixed answer
  int progress_calls = 0;

 private:
  bool yes_;
};

IHostUI& UI();
void SetUI(IHostUI* ui);  // nullptr restores the default scripted UI

// Shows text as an error; with stop it ends the operation by raising EMensErro.
void MensErro(const std::string& text, bool stop = true, const std::string& key = {});

}  // namespace host
