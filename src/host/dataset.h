// The host's client data set: typed fields, rows, a cursor, edit states, a
// change log with its delta, filter, locate and the events that the form's
// behaviour hangs on. Packets (TPacket) are what the application server sends
// and receives.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fields/datetime.h"
#include "host/pool.h"
#include "host/ttext.h"

namespace host {

using fields::TDateTime;

enum class TFieldType { ftString, ftFloat, ftDateTime, ftInteger };

// Null, text, float (also date-time) or integer.
using Value = std::variant<std::monostate, TText, double, int64_t>;

struct TFieldDef {
  std::string Name;
  TFieldType DataType = TFieldType::ftString;
  int Size = 20;  // text fields only
  bool Required = false;
};

TFieldDef StrField(std::string name, int size = 20);
TFieldDef FloatField(std::string name);
TFieldDef DateField(std::string name);
TFieldDef IntField(std::string name);

enum class TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

using Row = std::vector<Value, TPoolAllocator<Value>>;

// A data packet: structure and rows; a delta also carries, per row, its update
// status and, for modified and deleted rows, the original values.
struct TPacket {
  std::vector<TFieldDef> Fields;
  std::vector<Row> Rows;
  std::vector<TUpdateStatus> Status;  // empty for a plain packet
  std::vector<Row> Original;          // same length as Status

  int IndexOf(std::string_view name) const;  // -1 when absent (case-insensitive)
};

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TClientDataSet;

// A field of the current record (or of the edit buffer).
class TField {
 public:
  TField(TClientDataSet* ds, int index) : ds_(ds), index_(index) {}
  const std::string& FieldName() const;
  TFieldType DataType() const;
  int Size() const;
  bool IsNull() const;
  std::string AsString() const;
  double AsFloat() const;
  int64_t AsInteger() const;
  TDateTime AsDateTime() const;
  const Value& AsValue() const;
  void SetString(std::string_view v) const;
  void SetFloat(double v) const;
  void SetInteger(int64_t v) const;
  void SetDateTime(TDateTime v) const;
  void SetValue(const Value& v) const;
  void Clear() const;
  int Index() const { return index_; }

 private:
  TClientDataSet* ds_;
  int index_;
};

class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TClientDataSet {
 public:
  using Event = std::function<void(TClientDataSet&)>;

  explicit TClientDataSet(std::string name = {});

  const std::string& Name() const { return name_; }

  // Structure
  std::vector<TFieldDef>& FieldDefs() { return defs_; }
  const std::vector<TFieldDef>& FieldDefs() const { return defs_; }
  // A calculated field is read through its function, on the current record.
  void AddCalcField(TFieldDef def, std::function<Value(const TClientDataSet&)> calc);
  void CreateDataSet();  // empty, open, with FieldDefs as structure
  void Open();
  void Close();
  bool Active() const { return state_ != TDataSetState::dsInactive; }
  TDataSetState State() const { return state_; }
  void EmptyDataSet();

  // Packets
  void SetData(const TPacket& p);  // replaces structure and rows; empty change log
  void SetData(TPacket&& p);       // the same, taking the packet's rows over
  // Replaces the rows with rows [from, to) of p, whose structure becomes the
  // data set's: a title's share of a packet that holds the records of many.
  void SetData(const TPacket& p, size_t from, size_t to);
  // The same, the fields being given apart: each row's values from column
  // skip on are the fields' (a packet whose rows lead with a key of their own).
  void SetData(const std::vector<TFieldDef>& fields, const TPacket& p, size_t from, size_t to, size_t skip);
  TPacket Data() const;   // every row, whatever the filter
  TPacket TakeData();     // the same, the rows moved out: the data set is left empty
  TPacket Delta() const;  // pending changes
  int ChangeCount() const;
  // Off for a data set whose changes are never sent back: edits are kept
  // without their originals, which would double the memory of a long list.
  bool LogChanges = true;
  void MergeChangeLog();
  void CancelUpdates();

  // Fields
  int FieldCount() const { return static_cast<int>(defs_.size()); }
  int FindFieldIndex(std::string_view name) const;  // -1 when absent
  std::optional<TField> FindField(std::string_view name);
  TField FieldByName(std::string_view name);  // raises EDatabaseError when absent
  TField Fields(int i) { return TField(this, i); }

  // Cursor over the visible rows (those that pass the filter)
  void First();
  void Next();
  void Prior();
  void Last();
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  bool IsEmpty() const { return visible_.empty(); }
  int RecordCount() const { return static_cast<int>(visible_.size()); }
  int RecNo() const;  // 1-based; 0 when empty
  void SetRecNo(int n);
  bool Locate(std::string_view fieldNames, const std::vector<std::string>& values,
              bool caseInsensitive = true);

  // Editing
  void Append();
  void Insert();
  void Edit();
  void Post();
  void Cancel();
  void Delete();

  // Filter: "FIELD='value'" terms joined by " and ", or a predicate.
  void SetFilter(std::string expr);
  const std::string& Filter() const { return filter_; }
  void SetFiltered(bool on);
  bool Filtered() const { return filtered_; }
  void SetOnFilterRecord(std::function<bool(const TClientDataSet&)> f);

  void DisableControls() { ++controls_disabled_; }
  void EnableControls() {
    if (controls_disabled_ > 0) --controls_disabled_;
  }
  bool ControlsDisabled() const { return controls_disabled_ > 0; }

  Event BeforeInsert, AfterInsert, BeforePost, AfterPost, BeforeCancel, AfterCancel, AfterScroll, AfterOpen,
      BeforeClose, OnNewRecord;
  // The data source's state-change event: after every change of State().
  Event OnStateChange;

  // Raw access for TField
  const Value& ValueAt(int field) const;
  // v as the field would hold it once set (type, and a text cut to the field's size).
  Value Coerce(int field, Value v) const { return coerce(field, std::move(v)); }
  void SetValueAt(int field, Value v);

 private:
  struct Entry {
    Row values;
    TUpdateStatus status = TUpdateStatus::usUnmodified;
    Row original;
  };

  void rebuild_visible();
  void set_state(TDataSetState st);
  bool passes(size_t row) const;
  void after_move();
  void require_active() const;
  void check_browse(const char* what) const;
  Value coerce(int field, Value v) const;

  std::string name_;
  std::vector<TFieldDef> defs_;
  // Field names looked up without regard to case: writers look up tens of
  // fields by name for every title, so an open-addressed table of field
  // positions, sized to a power of two, with the names compared in place.
  std::vector<int> index_;                                         // field position, or -1 for a free slot
  size_t indexed_ = 0;                                             // distinct names in index_
  std::vector<std::function<Value(const TClientDataSet&)>> calc_;  // per field; empty for data fields
  std::vector<Entry> rows_;
  std::vector<Entry> deleted_;
  std::vector<size_t> visible_;  // indices into rows_
  int cur_ = -1;                 // index into visible_
  bool eof_ = true, bof_ = true;
  TDataSetState state_ = TDataSetState::dsInactive;
  Row buffer_;
  int insert_at_ = -1;  // visible position where an Insert goes
  std::string filter_;
  std::vector<std::pair<std::string, std::string>> filter_terms_;
  bool filtered_ = false;
  std::function<bool(const TClientDataSet&)> on_filter_;
  int controls_disabled_ = 0;
  // While a filter predicate runs it reads this row instead of the cursor's.
  mutable const Row* probe_ = nullptr;

  void rebuild_index();
  // Takes p's structure, keeping the calculated fields; rows are the caller's.
  void take_structure(const std::vector<TFieldDef>& fields);
  void opened();
};

std::string ValueToString(const Value& v, TFieldType t);

}  // namespace host
