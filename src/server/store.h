// What the server's rules need of a database connection, whatever holds the
// store: prepare a statement, bind its values, step through its rows, run a
// script, read one value. Each store (SQLite, PostgreSQL) adapts its own
// library to this, with its own dialect and speed machinery. Text bound and
// read here is UTF-8; callers convert at their edge.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/dataset.h"

namespace server::store {

// A column's value kind in the current row.
enum class TTipo { Nulo, Inteiro, Real, Texto, Blob };

// A failure the store reported. Code is the store's own code (SQLite's
// extended result code, PostgreSQL's SQLSTATE as a number where it is one);
// the kinds are what the rules act on.
class Error : public std::runtime_error {
 public:
  // Cheio: no room left on the disk under the store; SomenteLeitura: the
  // store (or its folder) cannot be written.
  enum class TFalha { Outra, Ocupado, Restricao, Cheio, SomenteLeitura };
  Error(int code, const std::string& what, TFalha falha = TFalha::Outra)
      : std::runtime_error(what), code_(code), falha_(falha) {}
  int Code() const { return code_; }
  int Primary() const { return code_ & 0xFF; }  // SQLite's primary code
  // Another connection holds what this one needs: worth trying again.
  bool Busy() const { return falha_ == TFalha::Ocupado; }
  bool Restricao() const { return falha_ == TFalha::Restricao; }
  TFalha Falha() const { return falha_; }

 private:
  int code_;
  TFalha falha_;
};

// What the operator reads of a store's failure: in the system's words where
// the kind is one an operator can act on, the store's own text otherwise.
std::string TextoDaFalha(const Error& e);
// The same for whatever a call failed with: a store's failure as above, any
// other by its own text (the server's, UTF-8).
std::string Explica(const std::exception& e);

// One prepared statement of a store. Positions count from 1 for values and
// from 0 for columns.
class IComando {
 public:
  virtual ~IComando() = default;
  virtual void BindText(int pos, std::string_view text) = 0;
  virtual void BindInt(int pos, int64_t n) = 0;
  virtual void BindDouble(int pos, double d) = 0;
  virtual void BindNull(int pos) = 0;
  virtual void BindBlob(int pos, std::string_view bytes) = 0;
  virtual int ParamCount() const = 0;
  virtual std::string ParamName(int pos) const = 0;  // without its ':' prefix; empty for '?'

  virtual bool Step() = 0;  // true while a row is ready
  virtual void Reset() = 0;

  virtual int Columns() const = 0;
  virtual std::string ColumnName(int i) const = 0;
  virtual std::string DeclType(int i) const = 0;  // the declared type of a table's column; empty otherwise
  virtual TTipo Type(int i) const = 0;
  virtual bool TextOrNull(int i,
                          std::string_view& out) const = 0;  // false for null; valid until the next step
  virtual std::string Blob(int i) const = 0;
  virtual double Double(int i) const = 0;
  virtual int64_t Int(int i) const = 0;
};

// A statement as the rules hold it: one owner, moved, never copied.
class Stmt {
 public:
  explicit Stmt(std::unique_ptr<IComando> c) : c_(std::move(c)) {}

  void Bind(int pos, const host::Value& v);  // null, text, double or integer
  void BindText(int pos, std::string_view text) { c_->BindText(pos, text); }
  void BindInt(int pos, int64_t n) { c_->BindInt(pos, n); }
  void BindNull(int pos) { c_->BindNull(pos); }
  void BindBlob(int pos, std::string_view bytes) { c_->BindBlob(pos, bytes); }
  void BindAll(const std::vector<host::Value>& values);
  int ParamCount() const { return c_->ParamCount(); }
  std::string ParamName(int pos) const { return c_->ParamName(pos); }

  bool Step() { return c_->Step(); }
  void Reset() { c_->Reset(); }

  int Columns() const { return c_->Columns(); }
  std::string ColumnName(int i) const { return c_->ColumnName(i); }
  std::string DeclType(int i) const { return c_->DeclType(i); }
  TTipo Type(int i) const { return c_->Type(i); }
  bool IsNull(int i) const { return Type(i) == TTipo::Nulo; }
  std::string Text(int i) const { return std::string(TextView(i)); }
  std::string_view TextView(int i) const {
    std::string_view v;
    return c_->TextOrNull(i, v) ? v : std::string_view();
  }
  bool TextOrNull(int i, std::string_view& out) const { return c_->TextOrNull(i, out); }
  std::string Blob(int i) const { return c_->Blob(i); }
  double Double(int i) const { return c_->Double(i); }
  int64_t Int(int i) const { return c_->Int(i); }

 private:
  std::unique_ptr<IComando> c_;
};

// A connection to a store.
class Db {
 public:
  virtual ~Db() = default;
  virtual Stmt Prepare(std::string_view sql) const = 0;
  // Like Prepare, but the statement is kept when the Stmt goes away and
  // handed out again for the same text: for the queries run once per title.
  virtual Stmt Cached(const std::string& sql) const = 0;
  virtual void Exec(std::string_view sql) = 0;  // one or more statements, no results
  // The first column of the first row (null when none): an integer, a real
  // or a text, as the store gives it.
  host::Value Scalar(std::string_view sql, const std::vector<host::Value>& values = {}) const;
  virtual int64_t Changes() const = 0;  // rows the last statement changed
};

}  // namespace server::store
