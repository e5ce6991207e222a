#include "server/sqlite_db.h"

namespace server::sqlite {

namespace {

store::Error::TFalha Falha(int code) {
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return store::Error::TFalha::Ocupado;
    case SQLITE_CONSTRAINT:
      return store::Error::TFalha::Restricao;
    case SQLITE_FULL:
      return store::Error::TFalha::Cheio;
    case SQLITE_READONLY:
      return store::Error::TFalha::SomenteLeitura;
    default:
      return store::Error::TFalha::Outra;
  }
}

}  // namespace

void Throw(sqlite3* db, int rc, std::string_view context) {
  int code = db ? sqlite3_extended_errcode(db) : rc;
  if ((code & 0xFF) != (rc & 0xFF)) code = rc;
  std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (!context.empty()) msg = std::string(context) + ": " + msg;
  throw Error(code, msg, Falha(code));
}

// A statement of the connection; one the cache lent goes back to it.
class Comando : public store::IComando {
 public:
  Comando(sqlite3* db, std::string_view sql) : db_(db) {
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &st_, &tail);
    if (rc != SQLITE_OK) Throw(db, rc);
    if (!st_) throw Error(SQLITE_MISUSE, "empty statement");
  }
  Comando(sqlite3* db, sqlite3_stmt* st, const Db* owner, std::string key)
      : db_(db), st_(st), owner_(owner), key_(std::move(key)) {}
  ~Comando() override {
    if (!st_) return;
    if (owner_)
      owner_->give_back(key_, st_);
    else
      sqlite3_finalize(st_);
  }
  Comando(const Comando&) = delete;
  Comando& operator=(const Comando&) = delete;

  // Hands the statement over, not finalised.
  sqlite3_stmt* Solta() {
    sqlite3_stmt* st = st_;
    st_ = nullptr;
    return st;
  }

  void BindText(int pos, std::string_view text) override {
    Ok(sqlite3_bind_text64(st_, pos, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  }
  void BindInt(int pos, int64_t n) override { Ok(sqlite3_bind_int64(st_, pos, n)); }
  void BindDouble(int pos, double d) override { Ok(sqlite3_bind_double(st_, pos, d)); }
  void BindNull(int pos) override { Ok(sqlite3_bind_null(st_, pos)); }
  void BindBlob(int pos, std::string_view bytes) override {
    Ok(sqlite3_bind_blob64(st_, pos, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
  }
  int ParamCount() const override { return sqlite3_bind_parameter_count(st_); }
  std::string ParamName(int pos) const override {
    const char* n = sqlite3_bind_parameter_name(st_, pos);
    if (!n) return {};
    std::string s(n);
    if (!s.empty() && (s[0] == ':' || s[0] == '@' || s[0] == '$')) s.erase(0, 1);
    return s;
  }

  bool Step() override {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Throw(db_, rc);
  }
  void Reset() override {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
  }

  int Columns() const override { return sqlite3_column_count(st_); }
  std::string ColumnName(int i) const override {
    const char* n = sqlite3_column_name(st_, i);
    return n ? n : "";
  }
  std::string DeclType(int i) const override {
    const char* n = sqlite3_column_decltype(st_, i);
    return n ? n : "";
  }
  store::TTipo Type(int i) const override {
    switch (sqlite3_column_type(st_, i)) {
      case SQLITE_NULL:
        return store::TTipo::Nulo;
      case SQLITE_INTEGER:
        return store::TTipo::Inteiro;
      case SQLITE_FLOAT:
        return store::TTipo::Real;
      case SQLITE_BLOB:
        return store::TTipo::Blob;
      default:
        return store::TTipo::Texto;
    }
  }
  bool TextOrNull(int i, std::string_view& out) const override {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
    if (!p) return false;
    out = std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(st_, i)));
    return true;
  }
  std::string Blob(int i) const override {
    auto p = static_cast<const char*>(sqlite3_column_blob(st_, i));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(st_, i))) : std::string();
  }
  double Double(int i) const override { return sqlite3_column_double(st_, i); }
  int64_t Int(int i) const override { return sqlite3_column_int64(st_, i); }

 private:
  void Ok(int rc) const {
    if (rc != SQLITE_OK) Throw(db_, rc);
  }
  sqlite3* db_;
  sqlite3_stmt* st_ = nullptr;
  const Db* owner_ = nullptr;  // set for a statement that goes back to owner's cache
  std::string key_;
};

Stmt Db::Prepare(std::string_view sql) const {
  return Stmt(std::make_unique<Comando>(db_, sql));
}

void Db::Open(const std::string& path, int flags) {
  // SQLite's memory statistics take a process-wide lock on every allocation;
  // nothing here reads them. The setting only takes before SQLite starts, so
  // it is made once, before the first connection (and is refused, harmlessly,
  // if something else started SQLite first).
  static const int sem_estatisticas = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)sem_estatisticas;
  Close();
  int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    Close();
    throw Error(rc, msg, Falha(rc));
  }
  sqlite3_extended_result_codes(db_, 1);
}

void Db::Close() {
  for (auto& [sql, st] : cache_) sqlite3_finalize(st);
  cache_.clear();
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
}

Stmt Db::Cached(const std::string& sql) const {
  auto it = cache_.find(sql);
  sqlite3_stmt* st;
  if (it == cache_.end()) {
    st = Comando(db_, sql).Solta();
  } else {
    st = it->second;
    cache_.erase(it);
  }
  return Stmt(std::make_unique<Comando>(db_, st, this, sql));
}

void Db::give_back(const std::string& key, sqlite3_stmt* st) const {
  constexpr size_t kMaxCached = 64;
  if (!db_ || cache_.size() >= kMaxCached) {
    sqlite3_finalize(st);
    return;
  }
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  cache_.emplace(key, st);
}

void Db::Exec(std::string_view sql) {
  std::string s(sql);
  char* err = nullptr;
  int rc = sqlite3_exec(db_, s.c_str(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    int code = sqlite3_extended_errcode(db_);
    if ((code & 0xFF) != (rc & 0xFF)) code = rc;
    throw Error(code, msg, Falha(code));
  }
}

}  // namespace server::sqlite
