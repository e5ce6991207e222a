// Field definitions, packets and the field accessor of the client data set.
#include <cmath>

#include "fields/text.h"
#include "host/dataset.h"
#include "host/field_names.h"

namespace host {

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
    if (SameName(Fields[i].Name, name)) return static_cast<int>(i);
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
}  // namespace host
