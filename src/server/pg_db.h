// The PostgreSQL store: a connection over libpq that speaks the rules' SQLite
// placeholders and answers in the store's types. A statement runs on its
// first Step() after its values are bound, and its rows are then read from
// the whole result, which libpq holds. Text bound and read here is UTF-8 (the
// client encoding is set so); callers convert at their edge. Transactions
// are plain SQL: Exec("BEGIN"), Exec("SAVEPOINT x"), ...
#pragma once

#include <libpq-fe.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "server/pg_sql.h"
#include "server/store.h"

namespace server::pg {

using Error = store::Error;
using Stmt = store::Stmt;

// The codes of a connection that could not be made (08001: libpq gives no
// SQLSTATE then) and of one lost on the way (08006, whatever the server
// said last), as SQLSTATE numbers them.
constexpr int kSemConexao = 8001;
constexpr int kConexaoPerdida = 8006;

class Db : public store::Db {
 public:
  Db() = default;
  ~Db() override { Close(); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  // conninfo: a postgresql:// URI or "host=... dbname=..." words. database,
  // when given, stands for the one conninfo names: one server's string, and
  // a database of one's own on it. Failures never show the password.
  void Open(const std::string& conninfo, const std::string& database = {});
  void Close();
  bool IsOpen() const { return conn_ != nullptr; }
  PGconn* Handle() const { return conn_; }

  // The server's rules write their SQL as SQLite reads it: with this on,
  // every statement and script is first put in PostgreSQL's words
  // (dialeto_pg.h).
  void FalaSqlite(bool sim) { sqlite_ = sim; }
  std::string Dialeto(std::string_view sql) const;

  Stmt Prepare(std::string_view sql) const override;
  // A server-side prepared statement per text, made on its first use and
  // kept while the connection lives: the texts are the code's own, a fixed
  // set. Several Stmts of one text may run at once.
  Stmt Cached(const std::string& sql) const override;
  void Exec(std::string_view sql) override;
  int64_t Changes() const override { return changes_; }

  // A statement sent without waiting for its end: the server works on it
  // while the caller goes on. Until Espera the connection takes nothing
  // else (one at a time); Espera throws the statement's failure, and
  // Changes() then counts its rows. values are texts (NULL where empty).
  void Envia(std::string_view sql, const std::vector<std::optional<std::string>>& values);
  void Espera();
  bool Enviado() const { return enviado_; }

 private:
  friend class Comando;
  struct TPreparado;
  // The name DeclType gives column i of res, a statement's result or its
  // description: that of the table column it comes from, empty for an
  // expression.
  std::string declType(const PGresult* res, int i) const;
  void conta(const PGresult* res) const;  // Changes() after a statement

  PGconn* conn_ = nullptr;
  bool sqlite_ = false;
  bool enviado_ = false;
  mutable int64_t changes_ = 0;
  mutable std::unordered_map<std::string, std::shared_ptr<const TPreparado>> cache_;
  mutable std::map<std::pair<Oid, int>, std::string> decl_;  // by (table, column)
};

}  // namespace server::pg
