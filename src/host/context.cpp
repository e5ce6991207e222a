#include "host/context.h"

#include <ctime>

namespace host {

TDateTime TCorvane::DataProc(const std::string& branch) const {
  auto it = data_proc_.find(branch);
  if (it != data_proc_.end()) return it->second;
  if (data_proc_all_) return *data_proc_all_;
  return Date();
}

void TCorvane::SetDataProc(TDateTime d, const std::string& branch) {
  if (branch.empty())
    data_proc_all_ = fields::DateOf(d);
  else
    data_proc_[branch] = fields::DateOf(d);
}

TDateTime TCorvane::Now() const {
  if (fixed_now_) return *fixed_now_;
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return fields::EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) +
         fields::EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec);
}

TCorvane& Corvane() {
  static TCorvane c;
  return c;
}

}  // namespace host
