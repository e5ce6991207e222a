// The SQLite store: a connection that owns its statements and keeps the
// ones run once per title for reuse. Text bound and read here is UTF-8;
// callers convert at their edge.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "server/store.h"

namespace server::sqlite {

using Error = store::Error;
using Stmt = store::Stmt;

class Db : public store::Db {
 public:
  Db() = default;
  ~Db() override { Close(); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  void Open(const std::string& path, int flags);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  sqlite3* Handle() const { return db_; }

  Stmt Prepare(std::string_view sql) const override;
  // Statements go back to a cache of the connection's when the Stmt goes
  // away (reset, bindings cleared).
  Stmt Cached(const std::string& sql) const override;
  void Exec(std::string_view sql) override;
  int64_t Changes() const override { return sqlite3_changes64(db_); }
  int64_t LastRowId() const { return sqlite3_last_insert_rowid(db_); }
  bool AutoCommit() const { return sqlite3_get_autocommit(db_) != 0; }

 private:
  friend class Comando;
  void give_back(const std::string& key, sqlite3_stmt* st) const;
  sqlite3* db_ = nullptr;
  mutable std::unordered_multimap<std::string, sqlite3_stmt*> cache_;
};

// The connection's message for code rc.
[[noreturn]] void Throw(sqlite3* db, int rc, std::string_view context = {});

}  // namespace server::sqlite
