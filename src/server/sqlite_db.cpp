#include "server/sqlite_db.h"

namespace server::sqlite {

void Throw(sqlite3* db, int rc, std::string_view context) {
  int code = db ? sqlite3_extended_errcode(db) : rc;
  if ((code & 0xFF) != (rc & 0xFF)) code = rc;
  std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (!context.empty()) msg = std::string(context) + ": " + msg;
  throw Error(code, msg);
}

Stmt::Stmt(sqlite3* db, std::string_view sql) : db_(db) {
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &st_, &tail);
  if (rc != SQLITE_OK) Throw(db, rc);
  if (!st_) throw Error(SQLITE_MISUSE, "empty statement");
}

Stmt::~Stmt() {
  if (!st_) return;
  if (owner_)
    owner_->give_back(key_, st_);
  else
    sqlite3_finalize(st_);
}

void Stmt::Bind(int pos, const host::Value& v) {
  int rc;
  if (std::holds_alternative<std::monostate>(v)) {
    rc = sqlite3_bind_null(st_, pos);
  } else if (auto s = std::get_if<host::TText>(&v)) {
    rc = sqlite3_bind_text64(st_, pos, s->data(), s->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  } else if (auto d = std::get_if<double>(&v)) {
    rc = sqlite3_bind_double(st_, pos, *d);
  } else {
    rc = sqlite3_bind_int64(st_, pos, std::get<int64_t>(v));
  }
  if (rc != SQLITE_OK) Throw(db_, rc);
}

void Stmt::BindText(int pos, std::string_view text) {
  const int rc = sqlite3_bind_text64(st_, pos, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  if (rc != SQLITE_OK) Throw(db_, rc);
}

void Stmt::BindBlob(int pos, std::string_view bytes) {
  const int rc = sqlite3_bind_blob64(st_, pos, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) Throw(db_, rc);
}

void Stmt::BindInt(int pos, int64_t n) {
  const int rc = sqlite3_bind_int64(st_, pos, n);
  if (rc != SQLITE_OK) Throw(db_, rc);
}

void Stmt::BindNull(int pos) {
  const int rc = sqlite3_bind_null(st_, pos);
  if (rc != SQLITE_OK) Throw(db_, rc);
}

void Stmt::BindAll(const std::vector<host::Value>& values) {
  for (size_t i = 0; i < values.size(); ++i) Bind(static_cast<int>(i) + 1, values[i]);
}

int Stmt::ParamCount() const {
  return sqlite3_bind_parameter_count(st_);
}

std::string Stmt::ParamName(int pos) const {
  const char* n = sqlite3_bind_parameter_name(st_, pos);
  if (!n) return {};
  std::string s(n);
  if (!s.empty() && (s[0] == ':' || s[0] == '@' || s[0] == '$')) s.erase(0, 1);
  return s;
}

bool Stmt::Step() {
  int rc = sqlite3_step(st_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Throw(db_, rc);
}

void Stmt::Reset() {
  sqlite3_reset(st_);
  sqlite3_clear_bindings(st_);
}

int Stmt::Columns() const {
  return sqlite3_column_count(st_);
}
std::string Stmt::ColumnName(int i) const {
  const char* n = sqlite3_column_name(st_, i);
  return n ? n : "";
}
std::string Stmt::DeclType(int i) const {
  const char* n = sqlite3_column_decltype(st_, i);
  return n ? n : "";
}
int Stmt::Type(int i) const {
  return sqlite3_column_type(st_, i);
}
std::string Stmt::Text(int i) const {
  auto p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
  return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(st_, i))) : std::string();
}
std::string Stmt::Blob(int i) const {
  auto p = static_cast<const char*>(sqlite3_column_blob(st_, i));
  return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(st_, i))) : std::string();
}
std::string_view Stmt::TextView(int i) const {
  auto p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
  return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(st_, i))) : std::string_view();
}
bool Stmt::TextOrNull(int i, std::string_view& out) const {
  auto p = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
  if (!p) return false;
  out = std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(st_, i)));
  return true;
}
double Stmt::Double(int i) const {
  return sqlite3_column_double(st_, i);
}
int64_t Stmt::Int(int i) const {
  return sqlite3_column_int64(st_, i);
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
    throw Error(rc, msg);
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
  if (it == cache_.end()) {
    Stmt fresh(db_, sql);
    sqlite3_stmt* st = fresh.st_;
    fresh.st_ = nullptr;
    return Stmt(db_, st, this, sql);
  }
  sqlite3_stmt* st = it->second;
  cache_.erase(it);
  return Stmt(db_, st, this, sql);
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
    throw Error((code & 0xFF) == (rc & 0xFF) ? code : rc, msg);
  }
}

host::Value Db::Scalar(std::string_view sql, const std::vector<host::Value>& values) const {
  Stmt st(db_, sql);
  st.BindAll(values);
  if (!st.Step() || st.IsNull(0)) return {};
  switch (st.Type(0)) {
    case SQLITE_INTEGER:
      return st.Int(0);
    case SQLITE_FLOAT:
      return st.Double(0);
    default:
      return st.Text(0);
  }
}

}  // namespace server::sqlite
