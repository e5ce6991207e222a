// The operator context that the host supplies (operator, branch, dates,
// folders, server address) and the one clock that every "today" and "now" reads.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "fields/datetime.h"

namespace host {

using fields::TDateTime;

class TCorvane {
 public:
  std::string Operador = "ADMIN";
  std::string NomeOperador = "Administrador";
  std::string FiliProc = "0001";
  std::string ReportDir = ".";
  std::string WebURL = "localhost";
  int WebPort = 8080;

  // Processing date of a branch: a date fixed for it, else the one fixed for
  // every branch, else today.
  TDateTime DataProc(const std::string& branch) const;
  void SetDataProc(TDateTime d, const std::string& branch = {});

  TDateTime Now() const;  // the fixed clock, or the system's local time
  TDateTime Date() const { return fields::DateOf(Now()); }
  void FixClock(TDateTime now) { fixed_now_ = now; }
  void FreeClock() { fixed_now_.reset(); }

 private:
  std::optional<TDateTime> fixed_now_;
  std::optional<TDateTime> data_proc_all_;
  std::map<std::string, TDateTime> data_proc_;
};

TCorvane& Corvane();

}  // namespace host
