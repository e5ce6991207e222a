// A small owner of an SQLite connection and its statements. Text bound and
// read here is UTF-8; callers convert at their edge.
#pragma once

#include <sqlite3.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/dataset.h"

namespace server::sqlite {

class Error : public std::runtime_error {
 public:
  Error(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
  int Code() const { return code_; }            // extended result code
  int Primary() const { return code_ & 0xFF; }  // SQLITE_BUSY, SQLITE_CONSTRAINT...
  bool Busy() const { return Primary() == SQLITE_BUSY || Primary() == SQLITE_LOCKED; }

 private:
  int code_;
};

class Db;

class Stmt {
 public:
  Stmt(sqlite3* db, std::string_view sql);
  ~Stmt();
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;
  Stmt(Stmt&& o) noexcept : db_(o.db_), st_(o.st_), owner_(o.owner_), key_(std::move(o.key_)) {
    o.st_ = nullptr;
  }

  // Values: null, UTF-8 text, double, integer; positions count from 1.
  void Bind(int pos, const host::Value& v);
  // The same for values at hand, without making a host::Value of them.
  void BindText(int pos, std::string_view text);
  void BindInt(int pos, int64_t n);
  void BindNull(int pos);
  void BindBlob(int pos, std::string_view bytes);
  void BindAll(const std::vector<host::Value>& values);
  int ParamCount() const;
  std::string ParamName(int pos) const;  // without its ':' prefix; empty for '?'

  bool Step();  // true while a row is ready
  void Reset();

  int Columns() const;
  std::string ColumnName(int i) const;
  std::string DeclType(int i) const;  // empty for an expression
  int Type(int i) const;              // SQLITE_NULL, SQLITE_TEXT...
  bool IsNull(int i) const { return Type(i) == SQLITE_NULL; }
  std::string Text(int i) const;
  std::string_view TextView(int i) const;               // valid until the next step or reset
  bool TextOrNull(int i, std::string_view& out) const;  // false for null; out as TextView
  std::string Blob(int i) const;
  double Double(int i) const;
  int64_t Int(int i) const;

 private:
  friend class Db;
  Stmt(sqlite3* db, sqlite3_stmt* st, const Db* owner, std::string key)
      : db_(db), st_(st), owner_(owner), key_(std::move(key)) {}
  sqlite3* db_;
  sqlite3_stmt* st_ = nullptr;
  const Db* owner_ = nullptr;  // set for a statement that goes back to owner's cache
  std::string key_;
};

class Db {
 public:
  Db() = default;
  ~Db() { Close(); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  void Open(const std::string& path, int flags);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  sqlite3* Handle() const { return db_; }

  void Exec(std::string_view sql);  // one or more statements, no results
  Stmt Prepare(std::string_view sql) const { return Stmt(db_, sql); }
  // Like Prepare, but the statement is kept when the Stmt goes away (reset,
  // bindings cleared) and handed out again for the same text: for the
  // queries run once per title.
  Stmt Cached(const std::string& sql) const;
  // Runs sql with values and returns the first column of the first row (null when none).
  host::Value Scalar(std::string_view sql, const std::vector<host::Value>& values = {}) const;
  int64_t Changes() const { return sqlite3_changes64(db_); }
  int64_t LastRowId() const { return sqlite3_last_insert_rowid(db_); }
  bool AutoCommit() const { return sqlite3_get_autocommit(db_) != 0; }

 private:
  friend class Stmt;
  void give_back(const std::string& key, sqlite3_stmt* st) const;
  sqlite3* db_ = nullptr;
  mutable std::unordered_multimap<std::string, sqlite3_stmt*> cache_;
};

// The connection's message for code rc.
[[noreturn]] void Throw(sqlite3* db, int rc, std::string_view context = {});

}  // namespace server::sqlite
