#include "host/dataset.h"

#include <algorithm>
#include <cmath>

#include "fields/text.h"
#include "host/field_names.h"

namespace host {
namespace {

const Value kNull{};

bool same_structure(const std::vector<TFieldDef>& a, const std::vector<TFieldDef>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Name != b[i].Name || a[i].DataType != b[i].DataType || a[i].Size != b[i].Size ||
        a[i].Required != b[i].Required)
      return false;
  return true;
}

}  // namespace

// ---- TClientDataSet ----

TClientDataSet::TClientDataSet(std::string name) : name_(std::move(name)) {}

namespace {
size_t name_hash(std::string_view s) {
  size_t h = 1469598103934665603ull;
  for (char c : s) h = (h ^ FoldName(static_cast<unsigned char>(c))) * 1099511628211ull;
  return h ^ (h >> 29);
}
}  // namespace

void TClientDataSet::rebuild_index() {
  size_t slots = 8;
  while (slots < 2 * defs_.size()) slots *= 2;
  index_.assign(slots, -1);
  indexed_ = 0;
  for (size_t i = 0; i < defs_.size(); ++i) {
    // A name given twice answers with its first field.
    if (FindFieldIndex(defs_[i].Name) >= 0) continue;
    size_t k = name_hash(defs_[i].Name) & (slots - 1);
    while (index_[k] >= 0) k = (k + 1) & (slots - 1);
    index_[k] = static_cast<int>(i);
    ++indexed_;
  }
  calc_.resize(defs_.size());
}

void TClientDataSet::AddCalcField(TFieldDef def, std::function<Value(const TClientDataSet&)> calc) {
  defs_.push_back(std::move(def));
  rebuild_index();
  calc_.back() = std::move(calc);
  for (auto& e : rows_) e.values.resize(defs_.size());
}

void TClientDataSet::set_state(TDataSetState st) {
  if (state_ == st) return;
  state_ = st;
  if (OnStateChange) OnStateChange(*this);
}

void TClientDataSet::require_active() const {
  if (!Active()) throw EDatabaseError(name_ + ": Cannot perform this operation on a closed dataset");
}

void TClientDataSet::CreateDataSet() {
  rebuild_index();
  rows_.clear();
  deleted_.clear();
  set_state(TDataSetState::dsBrowse);
  rebuild_visible();
  First();
  if (AfterOpen) AfterOpen(*this);
}

void TClientDataSet::Open() {
  if (Active()) return;
  CreateDataSet();
}

void TClientDataSet::Close() {
  if (!Active()) return;
  if (BeforeClose) BeforeClose(*this);
  set_state(TDataSetState::dsInactive);
  rows_.clear();
  deleted_.clear();
  visible_.clear();
  cur_ = -1;
  eof_ = bof_ = true;
}

void TClientDataSet::EmptyDataSet() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Cancel();
  rows_.clear();
  deleted_.clear();
  rebuild_visible();
  First();
}

void TClientDataSet::take_structure(const std::vector<TFieldDef>& fields) {
  if (Active()) Close();
  const bool calculated = std::any_of(calc_.begin(), calc_.end(), [](const auto& c) { return bool(c); });
  // Loading packets of one shape again and again (a title's records, one
  // title after another) keeps the field index.
  if (!calculated && same_structure(defs_, fields) && indexed_ == defs_.size()) return;
  std::vector<TFieldDef> calcDefs;
  std::vector<std::function<Value(const TClientDataSet&)>> calcFns;
  for (size_t i = 0; i < defs_.size(); ++i)
    if (i < calc_.size() && calc_[i]) {
      calcDefs.push_back(defs_[i]);
      calcFns.push_back(calc_[i]);
    }
  defs_ = fields;
  rebuild_index();
  for (size_t i = 0; i < calcDefs.size(); ++i) {
    defs_.push_back(calcDefs[i]);
    rebuild_index();
    calc_.back() = calcFns[i];
  }
}

void TClientDataSet::opened() {
  set_state(TDataSetState::dsBrowse);
  rebuild_visible();
  First();
  if (AfterOpen) AfterOpen(*this);
}

void TClientDataSet::SetData(const TPacket& p) {
  SetData(p, 0, p.Rows.size());
}

void TClientDataSet::SetData(const TPacket& p, size_t from, size_t to) {
  SetData(p.Fields, p, from, to, 0);
}

void TClientDataSet::SetData(const std::vector<TFieldDef>& fields, const TPacket& p, size_t from, size_t to,
                             size_t skip) {
  take_structure(fields);
  rows_.clear();
  deleted_.clear();
  to = std::min(to, p.Rows.size());
  if (from < to) rows_.reserve(to - from);
  for (size_t i = from; i < to; ++i) {
    const Row& r = p.Rows[i];
    Entry e;
    e.values.reserve(defs_.size());
    if (skip < r.size()) e.values.assign(r.begin() + static_cast<std::ptrdiff_t>(skip), r.end());
    e.values.resize(defs_.size());
    rows_.push_back(std::move(e));
  }
  opened();
}

void TClientDataSet::SetData(TPacket&& p) {
  take_structure(p.Fields);
  rows_.clear();
  deleted_.clear();
  rows_.reserve(p.Rows.size());
  for (auto& r : p.Rows) {
    Entry e;
    e.values = std::move(r);
    e.values.resize(defs_.size());
    rows_.push_back(std::move(e));
  }
  p.Rows.clear();
  opened();
}

TPacket TClientDataSet::Data() const {
  TPacket p;
  for (size_t i = 0; i < defs_.size(); ++i)
    if (!(i < calc_.size() && calc_[i])) p.Fields.push_back(defs_[i]);
  const size_t n = p.Fields.size();
  p.Rows.reserve(rows_.size());
  for (const auto& e : rows_) p.Rows.emplace_back(e.values.begin(), e.values.begin() + n);
  return p;
}

TPacket TClientDataSet::TakeData() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Post();
  TPacket p;
  for (size_t i = 0; i < defs_.size(); ++i)
    if (!(i < calc_.size() && calc_[i])) p.Fields.push_back(defs_[i]);
  const size_t n = p.Fields.size();
  p.Rows.reserve(rows_.size());
  for (auto& e : rows_) {
    e.values.resize(n);
    p.Rows.push_back(std::move(e.values));
  }
  rows_.clear();
  deleted_.clear();
  rebuild_visible();
  First();
  return p;
}

TPacket TClientDataSet::Delta() const {
  TPacket p;
  for (size_t i = 0; i < defs_.size(); ++i)
    if (!(i < calc_.size() && calc_[i])) p.Fields.push_back(defs_[i]);
  const size_t n = p.Fields.size();
  auto cut = [n](const Row& r) { return Row(r.begin(), r.begin() + std::min(n, r.size())); };
  for (const auto& e : deleted_) {
    p.Rows.push_back(cut(e.original));
    p.Status.push_back(TUpdateStatus::usDeleted);
    p.Original.push_back(cut(e.original));
  }
  for (const auto& e : rows_) {
    if (e.status == TUpdateStatus::usUnmodified) continue;
    p.Rows.push_back(cut(e.values));
    p.Status.push_back(e.status);
    p.Original.push_back(e.status == TUpdateStatus::usModified ? cut(e.original) : Row(n));
  }
  return p;
}

int TClientDataSet::ChangeCount() const {
  int n = static_cast<int>(deleted_.size());
  for (const auto& e : rows_)
    if (e.status != TUpdateStatus::usUnmodified) ++n;
  return n;
}

void TClientDataSet::MergeChangeLog() {
  for (auto& e : rows_) {
    e.status = TUpdateStatus::usUnmodified;
    e.original.clear();
  }
  deleted_.clear();
}

void TClientDataSet::CancelUpdates() {
  require_active();
  if (state_ != TDataSetState::dsBrowse) Cancel();
  std::vector<Entry> kept;
  for (auto& e : rows_) {
    if (e.status == TUpdateStatus::usInserted) continue;
    if (e.status == TUpdateStatus::usModified) e.values = e.original;
    e.status = TUpdateStatus::usUnmodified;
    e.original.clear();
    kept.push_back(std::move(e));
  }
  for (auto& e : deleted_) {
    e.values = e.original;
    e.values.resize(defs_.size());
    e.status = TUpdateStatus::usUnmodified;
    e.original.clear();
    kept.push_back(std::move(e));
  }
  deleted_.clear();
  rows_ = std::move(kept);
  rebuild_visible();
  First();
}

int TClientDataSet::FindFieldIndex(std::string_view name) const {
  if (index_.empty()) return -1;
  const size_t mask = index_.size() - 1;
  for (size_t k = name_hash(name) & mask;; k = (k + 1) & mask) {
    const int i = index_[k];
    if (i < 0) return -1;
    if (SameName(defs_[static_cast<size_t>(i)].Name, name)) return i;
  }
}

std::optional<TField> TClientDataSet::FindField(std::string_view name) {
  int i = FindFieldIndex(name);
  if (i < 0) return std::nullopt;
  return TField(this, i);
}

TField TClientDataSet::FieldByName(std::string_view name) {
  int i = FindFieldIndex(name);
  if (i < 0) throw EDatabaseError(name_ + ": Field '" + std::string(name) + "' not found");
  return TField(this, i);
}

const Value& TClientDataSet::ValueAt(int field) const {
  static thread_local Value calc_tmp;
  if (field < 0 || field >= static_cast<int>(defs_.size())) return kNull;
  if (field < static_cast<int>(calc_.size()) && calc_[field]) {
    calc_tmp = calc_[field](*this);
    return calc_tmp;
  }
  if (probe_) return (*probe_)[field];
  if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return buffer_[field];
  if (cur_ < 0 || cur_ >= static_cast<int>(visible_.size())) return kNull;
  return rows_[visible_[cur_]].values[field];
}

Value TClientDataSet::coerce(int field, Value v) const {
  const TFieldDef& d = defs_[field];
  if (std::holds_alternative<std::monostate>(v)) return v;
  switch (d.DataType) {
    case TFieldType::ftString: {
      std::string s = ValueToString(v, TFieldType::ftString);
      if (d.Size > 0 && static_cast<int>(s.size()) > d.Size) s.resize(d.Size);
      return s;
    }
    case TFieldType::ftFloat:
    case TFieldType::ftDateTime: {
      if (auto i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
      if (auto tx = std::get_if<TText>(&v)) {
        const std::string s = tx->str();
        if (fields::AllTrim(s).empty()) return Value();
        double r = 0;
        bool ok = d.DataType == TFieldType::ftFloat
                      ? fields::TryStrToFloat(s, r)
                      : (fields::TryIsoToDateTime(s, r) || fields::TryStrToDate(s, r));
        if (!ok) throw EDatabaseError("'" + s + "' is not a valid value for field '" + d.Name + "'");
        return r;
      }
      return v;
    }
    case TFieldType::ftInteger: {
      if (auto f = std::get_if<double>(&v)) return static_cast<int64_t>(std::llround(*f));
      if (auto tx = std::get_if<TText>(&v)) {
        const std::string s = tx->str();
        if (fields::AllTrim(s).empty()) return Value();
        try {
          size_t used = 0;
          std::string t = fields::AllTrim(s);
          long long r = std::stoll(t, &used);
          if (used == t.size()) return static_cast<int64_t>(r);
        } catch (...) {
        }
        throw EDatabaseError("'" + s + "' is not a valid integer for field '" + d.Name + "'");
      }
      return v;
    }
  }
  return v;
}

void TClientDataSet::SetValueAt(int field, Value v) {
  if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
    throw EDatabaseError(name_ + ": Dataset not in edit or insert mode");
  if (field < 0 || field >= static_cast<int>(defs_.size())) return;
  buffer_[field] = coerce(field, std::move(v));
}

}  // namespace host
