#include "host/dataset.h"

#include <algorithm>
#include <cmath>

#include "fields/text.h"

namespace host {
namespace {

const Value kNull{};

unsigned char fold(unsigned char x) {
  if (x >= 'a' && x <= 'z') return static_cast<unsigned char>(x - 32);
  // Accented Windows-1252 letters: lower case is upper case + 0x20.
  if (x >= 0xE0 && x != 0xF7 && x != 0xFF) return static_cast<unsigned char>(x - 32);
  return x;
}

bool ieq(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool same_structure(const std::vector<TFieldDef>& a, const std::vector<TFieldDef>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Name != b[i].Name || a[i].DataType != b[i].DataType || a[i].Size != b[i].Size ||
        a[i].Required != b[i].Required)
      return false;
  return true;
}

}  // namespace

TFieldDef StrField(std::string name, int size) {
  return {std::move(name), TFieldType::ftString, size, false};
}
TFieldDef FloatField(std::string name) {
  return {std::move(name), TFieldType::ftFloat, 0, false};
}
TFieldDef DateField(std::string name) {
  return {std::move(name), TFieldType::ftDateTime, 0, false};
}
TFieldDef IntField(std::string name) {
  return {std::move(name), TFieldType::ftInteger, 0, false};
}

int TPacket::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < Fields.size(); ++i)
    if (ieq(Fields[i].Name, name)) return static_cast<int>(i);
  return -1;
}

std::string ValueToString(const Value& v, TFieldType t) {
  if (std::holds_alternative<std::monostate>(v)) return {};
  if (auto s = std::get_if<TText>(&v)) return s->str();
  if (auto i = std::get_if<int64_t>(&v)) return std::to_string(*i);
  double d = std::get<double>(v);
  if (t == TFieldType::ftDateTime) {
    return fields::FormatDateTime(d == std::floor(d) ? "dd/mm/yyyy" : "dd/mm/yyyy hh:nn:ss", d);
  }
  // Shortest text that reads back as the same value, with the decimal comma.
  if (d == std::floor(d) && std::fabs(d) < 1e15) return std::to_string(static_cast<long long>(d));
  for (int dec = 1; dec <= 15; ++dec) {
    std::string pat = "0." + std::string(dec, '0');
    std::string s = fields::FormatFloat(pat, d);
    double back = 0;
    fields::TryStrToFloat(s, back);
    if (back == d || dec == 15) {
      while (!s.empty() && s.back() == '0') s.pop_back();
      if (!s.empty() && s.back() == ',') s.pop_back();
      return s;
    }
  }
  return {};
}

// ---- TField ----

const std::string& TField::FieldName() const {
  return ds_->FieldDefs()[index_].Name;
}
TFieldType TField::DataType() const {
  return ds_->FieldDefs()[index_].DataType;
}
int TField::Size() const {
  return ds_->FieldDefs()[index_].Size;
}
const Value& TField::AsValue() const {
  return ds_->ValueAt(index_);
}
bool TField::IsNull() const {
  return std::holds_alternative<std::monostate>(AsValue());
}
std::string TField::AsString() const {
  return ValueToString(AsValue(), DataType());
}

double TField::AsFloat() const {
  const Value& v = AsValue();
  if (auto d = std::get_if<double>(&v)) return *d;
  if (auto i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
  if (auto tx = std::get_if<TText>(&v)) {
    const std::string s = tx->str();
    double r = 0;
    if (fields::AllTrim(s).empty()) return 0;
    if (!fields::TryStrToFloat(s, r)) throw EDatabaseError("'" + s + "' is not a valid floating point value");
    return r;
  }
  return 0;
}

int64_t TField::AsInteger() const {
  const Value& v = AsValue();
  if (auto i = std::get_if<int64_t>(&v)) return *i;
  if (auto d = std::get_if<double>(&v)) return static_cast<int64_t>(std::llround(*d));
  if (auto tx = std::get_if<TText>(&v)) {
    const std::string s = tx->str();
    std::string t = fields::AllTrim(s);
    if (t.empty()) return 0;
    try {
      size_t used = 0;
      long long r = std::stoll(t, &used);
      if (used == t.size()) return r;
    } catch (...) {
    }
    throw EDatabaseError("'" + s + "' is not a valid integer value");
  }
  return 0;
}

TDateTime TField::AsDateTime() const {
  const Value& v = AsValue();
  if (auto d = std::get_if<double>(&v)) return *d;
  if (auto i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
  if (auto tx = std::get_if<TText>(&v)) {
    const std::string s = tx->str();
    TDateTime r = 0;
    if (fields::TryIsoToDateTime(s, r) || fields::TryStrToDate(s, r)) return r;
    if (fields::AllTrim(s).empty()) return 0;
    throw EDatabaseError("'" + s + "' is not a valid date");
  }
  return 0;
}

void TField::SetValue(const Value& v) const {
  ds_->SetValueAt(index_, v);
}
void TField::SetString(std::string_view v) const {
  SetValue(Value(std::string(v)));
}
void TField::SetFloat(double v) const {
  SetValue(Value(v));
}
void TField::SetInteger(int64_t v) const {
  SetValue(Value(v));
}
void TField::SetDateTime(TDateTime v) const {
  SetValue(Value(v));
}
void TField::Clear() const {
  SetValue(Value());
}

// ---- TClientDataSet ----

TClientDataSet::TClientDataSet(std::string name) : name_(std::move(name)) {}

namespace {
size_t name_hash(std::string_view s) {
  size_t h = 1469598103934665603ull;
  for (char c : s) h = (h ^ fold(static_cast<unsigned char>(c))) * 1099511628211ull;
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
    if (ieq(defs_[static_cast<size_t>(i)].Name, name)) return i;
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
      all = caseInsensitive ? ieq(s, values[k]) : s == values[k];
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
