// The client data set's cursor: filter, navigation, search and the editing
// of the current row.
#include <algorithm>
#include <cmath>

#include "fields/text.h"
#include "host/dataset.h"
#include "host/field_names.h"

namespace host {

bool TClientDataSet::passes(size_t row) const {
  if (!filtered_) return true;
  const Row& r = rows_[row].values;
  for (const auto& [name, val] : filter_terms_) {
    int f = FindFieldIndex(name);
    if (f < 0) return false;
    if (ValueToString(r[f], defs_[f].DataType) != val) return false;
  }
  if (on_filter_) {
    probe_ = &r;
    bool ok = on_filter_(*this);
    probe_ = nullptr;
    if (!ok) return false;
  }
  return true;
}

void TClientDataSet::rebuild_visible() {
  visible_.clear();
  visible_.reserve(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i)
    if (passes(i)) visible_.push_back(i);
}

void TClientDataSet::after_move() {
  if (AfterScroll) AfterScroll(*this);
}

void TClientDataSet::check_browse(const char* /*what*/) const {
  require_active();
}

void TClientDataSet::First() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  cur_ = visible_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = visible_.empty();
  after_move();
}

void TClientDataSet::Last() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  cur_ = static_cast<int>(visible_.size()) - 1;
  eof_ = true;
  bof_ = visible_.empty();
  after_move();
}

void TClientDataSet::Next() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  bof_ = false;
  if (cur_ + 1 < static_cast<int>(visible_.size())) {
    ++cur_;
    eof_ = false;
    after_move();
  } else {
    eof_ = true;
  }
}

void TClientDataSet::Prior() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  eof_ = false;
  if (cur_ > 0) {
    --cur_;
    bof_ = false;
    after_move();
  } else {
    bof_ = true;
  }
}

int TClientDataSet::RecNo() const {
  return visible_.empty() || cur_ < 0 ? 0 : cur_ + 1;
}

void TClientDataSet::SetRecNo(int n) {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  if (visible_.empty()) return;
  cur_ = std::clamp(n, 1, RecordCount()) - 1;
  eof_ = bof_ = false;
  after_move();
}

bool TClientDataSet::Locate(std::string_view fieldNames, const std::vector<std::string>& values,
                            bool caseInsensitive) {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  std::vector<int> idx;
  size_t start = 0;
  while (start <= fieldNames.size()) {
    size_t semi = fieldNames.find(';', start);
    std::string_view name = fieldNames.substr(start, semi == std::string_view::npos ? semi : semi - start);
    int i = FindFieldIndex(fields::AllTrim(name));
    if (i < 0) throw EDatabaseError(name_ + ": Field '" + std::string(name) + "' not found");
    idx.push_back(i);
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  if (idx.size() != values.size()) throw EDatabaseError(name_ + ": Locate needs one value per field");
  for (size_t v = 0; v < visible_.size(); ++v) {
    const Row& r = rows_[visible_[v]].values;
    bool all = true;
    for (size_t k = 0; k < idx.size() && all; ++k) {
      std::string s = ValueToString(r[idx[k]], defs_[idx[k]].DataType);
      all = caseInsensitive ? SameName(s, values[k]) : s == values[k];
    }
    if (all) {
      cur_ = static_cast<int>(v);
      eof_ = bof_ = false;
      after_move();
      return true;
    }
  }
  return false;
}

void TClientDataSet::Append() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  if (BeforeInsert) BeforeInsert(*this);
  buffer_.assign(defs_.size(), Value());
  insert_at_ = -1;
  set_state(TDataSetState::dsInsert);
  if (OnNewRecord) OnNewRecord(*this);
  if (AfterInsert) AfterInsert(*this);
}

void TClientDataSet::Insert() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  if (BeforeInsert) BeforeInsert(*this);
  buffer_.assign(defs_.size(), Value());
  insert_at_ = cur_ < 0 ? -1 : cur_;
  set_state(TDataSetState::dsInsert);
  if (OnNewRecord) OnNewRecord(*this);
  if (AfterInsert) AfterInsert(*this);
}

void TClientDataSet::Edit() {
  require_active();
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
  if (visible_.empty() || cur_ < 0) throw EDatabaseError(name_ + ": Cannot modify an empty dataset");
  buffer_ = rows_[visible_[cur_]].values;
  set_state(TDataSetState::dsEdit);
}

void TClientDataSet::Post() {
  require_active();
  if (state_ == TDataSetState::dsBrowse) return;
  if (BeforePost) BeforePost(*this);
  for (size_t i = 0; i < defs_.size(); ++i)
    if (defs_[i].Required && std::holds_alternative<std::monostate>(buffer_[i]))
      throw EDatabaseError("Field '" + defs_[i].Name + "' must have a value");
  if (state_ == TDataSetState::dsInsert) {
    Entry e;
    e.values = std::move(buffer_);
    e.status = LogChanges ? TUpdateStatus::usInserted : TUpdateStatus::usUnmodified;
    size_t at = rows_.size();
    if (insert_at_ >= 0 && insert_at_ < static_cast<int>(visible_.size())) at = visible_[insert_at_];
    rows_.insert(rows_.begin() + static_cast<long>(at), std::move(e));
    // The rows after the new one move up by one; only the new row is tested
    // against the filter (a full rebuild per post makes appending n rows n^2).
    auto pos = std::lower_bound(visible_.begin(), visible_.end(), at);
    for (auto it = pos; it != visible_.end(); ++it) ++*it;
    if (passes(at)) {
      pos = visible_.insert(pos, at);
      cur_ = static_cast<int>(pos - visible_.begin());
    } else {
      cur_ = visible_.empty() ? -1 : std::min<int>(cur_, RecordCount() - 1);
    }
  } else {
    Entry& e = rows_[visible_[cur_]];
    if (LogChanges && e.status == TUpdateStatus::usUnmodified) {
      e.original = e.values;
      e.status = TUpdateStatus::usModified;
    }
    e.values = std::move(buffer_);
    size_t at = visible_[cur_];
    if (filtered_ && !passes(at)) {
      rebuild_visible();
      cur_ = visible_.empty() ? -1 : std::min<int>(cur_, RecordCount() - 1);
    }
  }
  buffer_.clear();
  set_state(TDataSetState::dsBrowse);
  eof_ = bof_ = visible_.empty();
  if (AfterPost) AfterPost(*this);
}

void TClientDataSet::Cancel() {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
  if (BeforeCancel) BeforeCancel(*this);
  const bool wasInsert = state_ == TDataSetState::dsInsert;
  buffer_.clear();
  set_state(TDataSetState::dsBrowse);
  if (AfterCancel) AfterCancel(*this);
  if (wasInsert) after_move();
}

void TClientDataSet::Delete() {
  require_active();
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (state_ == TDataSetState::dsEdit) Cancel();
  if (visible_.empty() || cur_ < 0)
    throw EDatabaseError(name_ + ": Cannot perform this operation on an empty dataset");
  size_t at = visible_[cur_];
  Entry e = std::move(rows_[at]);
  rows_.erase(rows_.begin() + static_cast<long>(at));
  if (LogChanges && e.status != TUpdateStatus::usInserted) {
    if (e.status == TUpdateStatus::usUnmodified) e.original = e.values;
    e.status = TUpdateStatus::usDeleted;
    deleted_.push_back(std::move(e));
  }
  rebuild_visible();
  if (cur_ >= RecordCount()) cur_ = RecordCount() - 1;
  eof_ = bof_ = visible_.empty();
  after_move();
}

void TClientDataSet::SetFilter(std::string expr) {
  filter_ = std::move(expr);
  filter_terms_.clear();
  std::string rest = filter_;
  while (!fields::AllTrim(rest).empty()) {
    std::string up = fields::UpperCase(rest);
    size_t andAt = up.find(" AND ");
    std::string term = andAt == std::string::npos ? rest : rest.substr(0, andAt);
    rest = andAt == std::string::npos ? "" : rest.substr(andAt + 5);
    size_t eq = term.find('=');
    if (eq == std::string::npos) throw EDatabaseError(name_ + ": bad filter '" + filter_ + "'");
    std::string name = fields::AllTrim(term.substr(0, eq));
    std::string val = fields::AllTrim(term.substr(eq + 1));
    if (val.size() >= 2 && val.front() == '\'' && val.back() == '\'') val = val.substr(1, val.size() - 2);
    filter_terms_.emplace_back(name, val);
  }
  if (Active() && filtered_) {
    rebuild_visible();
    First();
  }
}

void TClientDataSet::SetFiltered(bool on) {
  if (filtered_ == on) return;
  filtered_ = on;
  if (Active()) {
    if (state_ != TDataSetState::dsBrowse) Post();
    rebuild_visible();
    First();
  }
}

void TClientDataSet::SetOnFilterRecord(std::function<bool(const TClientDataSet&)> f) {
  on_filter_ = std::move(f);
  if (Active() && filtered_) {
    rebuild_visible();
    First();
  }
}

}  // namespace host
