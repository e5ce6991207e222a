#include "server/sqlite_server.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "host/messages.h"
#include "server/columns.h"
#include "server/migrations.h"
#include "server/packets.h"

namespace server {
namespace {

using host::TFieldDef;
using host::TFieldType;
using host::TUpdateStatus;

// Inside the server, messages are composed in UTF-8 (the source's own
// encoding) and turned into Windows-1252 once, where they leave.
std::string W(std::string_view utf8) {
  return fields::Utf8ToCp1252(utf8);
}
// Text arriving from the system, on its way into the database.
std::string U(std::string_view cp1252) {
  return fields::Cp1252ToUtf8(cp1252);
}
Value UV(std::string_view cp1252) {
  return Value(U(cp1252));
}
// Most texts are plain ASCII, the same bytes in both encodings: those are
// bound and compared as they stand.
void BindU(sqlite::Stmt& st, int pos, std::string_view cp1252) {
  if (fields::IsAscii(cp1252))
    st.BindText(pos, cp1252);
  else
    st.BindText(pos, U(cp1252));
}
bool IgualU(std::string_view cp1252, std::string_view utf8) {
  return fields::IsAscii(cp1252) ? cp1252 == utf8 : U(cp1252) == utf8;
}
// A packet's value as text: a text as it stands, without a copy; another
// value as text, in room the caller keeps.
std::string_view TextoDe(const TPacket& p, const host::Row& r, int i, std::string& room) {
  if (i < 0 || static_cast<size_t>(i) >= r.size()) return {};
  const host::Value& v = r[static_cast<size_t>(i)];
  if (const auto* t = std::get_if<host::TText>(&v)) return t->view();
  room = host::ValueToString(v, p.Fields[static_cast<size_t>(i)].DataType);
  return room;
}

// A request the server turns down; the text is what the operator reads.
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <class F>
TServerReply Guard(F&& f) {
  try {
    return f();
  } catch (const Refusal& e) {
    return TServerReply::Fail(W(e.what()));
  } catch (const sqlite::Error& e) {
    return TServerReply::Fail(W(std::string("Erro no banco de dados: ") + e.what()));
  } catch (const std::exception& e) {
    return TServerReply::Fail(W(e.what()));
  }
}

// The page cache of the server's connection, in KB: its own, and while an
// update runs beside the caller.
constexpr int kCacheKb = 16384, kCacheKbAoLado = 2048;

constexpr const char* kBusyRetryText = "Banco de dados ocupado por outro processo; tente novamente.";

bool Blank(std::string_view s) {
  return fields::AllTrim(s).empty();
}

// A number criterion typed in a zero-filled edit: empty or only zeros means
// "not given" (batch and return numbers start at 1).
bool BlankNumber(std::string_view s) {
  std::string t = fields::AllTrim(s);
  return t.find_first_not_of('0') == std::string::npos;
}

// Codes are compared right-aligned with zeros, so "7", "07" and "0000000007"
// name the same batch whichever edit or counter produced them.
std::string PadSql(const std::string& expr, int n) {
  return "substr('" + std::string(n, '0') + "' || trim(" + expr + "), -" + std::to_string(n) + ")";
}
std::string Pad(std::string_view s, int n) {
  return fields::Ajusta(fields::AllTrim(s), n);
}

std::string IsoDay(double d) {
  return fields::FormatDateTime("yyyy-mm-dd", fields::DateOf(d));
}

// Picked lists arrive as the host's picker writes them; separators and
// quotes are accepted in any of the forms it has used: 'A','B' or A;B or A|B.
std::vector<std::string> SplitList(std::string_view s) {
  std::vector<std::string> out;
  std::string cur;
  auto flush = [&] {
    std::string t = fields::AllTrim(cur);
    if (!t.empty()) out.push_back(t);
    cur.clear();
  };
  for (char c : s) {
    if (c == ',' || c == ';' || c == '|' || c == '\n' || c == '\r' || c == '\t')
      flush();
    else if (c != '\'' && c != '"')
      cur += c;
  }
  flush();
  return out;
}

// Code strings such as "_00_01" or "1_2".
std::vector<std::string> SplitCodes(std::string_view s) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == '_' || c == ' ' || c == ',') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

struct Where {
  std::vector<std::string> conds;
  std::vector<Value> binds;

  void Add(std::string cond, std::vector<Value> b = {}) {
    conds.push_back(std::move(cond));
    for (auto& v : b) binds.push_back(std::move(v));
  }
  void In(const std::string& expr, const std::vector<std::string>& items) {
    std::string c = expr + " IN (";
    for (size_t i = 0; i < items.size(); ++i) {
      c += i ? ", ?" : "?";
      binds.push_back(UV(items[i]));
    }
    conds.push_back(c + ")");
  }
  bool Empty() const { return conds.empty(); }
  std::string Sql(const char* keyword = " WHERE ") const {
    if (conds.empty()) return {};
    std::string s = keyword;
    for (size_t i = 0; i < conds.size(); ++i) s += (i ? " AND " : "") + conds[i];
    return s;
  }
};

// The server arguments of the filter calls, 1-based as the callers count them.
class Args {
 public:
  Args(const std::vector<Value>& a, size_t expected, const char* method) : a_(a) {
    if (a.size() != expected)
      throw Refusal(std::string(method) + ": esperados " + std::to_string(expected) +
                    " argumentos, recebidos " + std::to_string(a.size()) + ".");
  }
  std::string S(int i) const {
    const Value& v = a_.at(i - 1);
    return host::ValueToString(v, TFieldType::ftString);
  }
  double F(int i) const {
    const Value& v = a_.at(i - 1);
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto n = std::get_if<int64_t>(&v)) return static_cast<double>(*n);
    if (auto tx = std::get_if<host::TText>(&v)) {
      const std::string s = tx->str();
      double r = 0;
      if (Blank(s)) return 0;
      if (fields::TryStrToFloat(s, r) || fields::TryStrToDate(s, r) || fields::TryIsoToDateTime(s, r))
        return r;
      throw Refusal("Argumento " + std::to_string(i) + " inválido: '" + U(s) + "'.");
    }
    return 0;
  }
  // "T" in a flag argument lifts the criterion.
  bool All(int i) const { return fields::UpperCase(fields::AllTrim(S(i))) == "T"; }

 private:
  const std::vector<Value>& a_;
};

// A value read from the database as the packet field wants it.
Value ColumnValue(const sqlite::Stmt& st, int i, TFieldType t) {
  // Text is read in one call: asking the type first decodes the column twice.
  if (t == TFieldType::ftString) {
    std::string_view text;
    if (!st.TextOrNull(i, text)) return {};
    // Plain ASCII is the same in both encodings: no converted copy.
    return fields::IsAscii(text) ? Value(host::TText(text)) : Value(fields::Utf8ToCp1252(text));
  }
  const int type = st.Type(i);
  if (type == SQLITE_NULL) return {};
  double r = 0;
  switch (t) {
    case TFieldType::ftString:
      break;
    case TFieldType::ftFloat:
      if (type == SQLITE_TEXT) return fields::TryStrToFloat(st.TextView(i), r) ? Value(r) : Value();
      return st.Double(i);
    case TFieldType::ftInteger:
      return st.Int(i);
    case TFieldType::ftDateTime:
      if (type != SQLITE_TEXT) return st.Double(i);
      return fields::TryIsoToDateTime(st.TextView(i), r) ? Value(r) : Value();
  }
  return {};
}

// Runs a select and shapes its rows as the packet defs: each field is read
// from the result column of the same name.
TPacket Fetch(const sqlite::Db& db, const std::vector<TFieldDef>& defs, const std::string& sql,
              const std::vector<Value>& binds = {}) {
  auto st = db.Cached(sql);
  st.BindAll(binds);
  std::vector<int> col(defs.size(), -1);
  for (int c = 0; c < st.Columns(); ++c) {
    std::string name = fields::UpperCase(st.ColumnName(c));
    for (size_t f = 0; f < defs.size(); ++f)
      if (col[f] < 0 && fields::UpperCase(defs[f].Name) == name) col[f] = c;
  }
  for (size_t f = 0; f < defs.size(); ++f)
    if (col[f] < 0) throw std::logic_error("field " + defs[f].Name + " missing from the server's select");
  TPacket p;
  p.Fields = defs;
  while (st.Step()) {
    host::Row r;
    r.reserve(defs.size());
    for (size_t f = 0; f < defs.size(); ++f) r.push_back(ColumnValue(st, col[f], defs[f].DataType));
    p.Rows.push_back(std::move(r));
  }
  return p;
}

// "A.F AS F, ..." for the packet's fields; exprs names the fields that come
// from elsewhere than the default table alias.
std::string SelectList(const std::vector<TFieldDef>& defs, const std::string& alias,
                       const std::map<std::string, std::string>& exprs = {}) {
  std::string s;
  for (const auto& d : defs) {
    if (!s.empty()) s += ", ";
    auto it = exprs.find(d.Name);
    s += (it != exprs.end() ? it->second : alias + "." + d.Name) + " AS " + d.Name;
  }
  return s;
}

// A packet row read by field name.
class PacketRow {
 public:
  PacketRow(const TPacket& p, const host::Row& r) : p_(p), r_(r) {}
  bool Has(std::string_view name) const { return p_.IndexOf(name) >= 0; }
  const Value& V(std::string_view name) const {
    static const Value kNull;
    int i = p_.IndexOf(name);
    return i >= 0 && static_cast<size_t>(i) < r_.size() ? r_[i] : kNull;
  }
  std::string S(std::string_view name) const {
    int i = p_.IndexOf(name);
    return i < 0 ? std::string() : host::ValueToString(V(name), p_.Fields[i].DataType);
  }
  double F(std::string_view name) const {
    const Value& v = V(name);
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto n = std::get_if<int64_t>(&v)) return static_cast<double>(*n);
    double r = 0;
    if (auto s = std::get_if<host::TText>(&v)) fields::TryStrToFloat(*s, r);
    return r;
  }
  bool Marked() const { return fields::UpperCase(fields::AllTrim(S("IDMARCADO"))) == "S"; }

 private:
  const TPacket& p_;
  const host::Row& r_;
};

void RequireFields(const TPacket& p, std::initializer_list<const char*> names, const char* method) {
  for (const char* n : names)
    if (p.IndexOf(n) < 0) throw Refusal(std::string(method) + ": pacote sem o campo " + n + ".");
}

// A packet value as the column stores it.
Value ToColumn(const Value& v, const TColumn& c) {
  if (std::holds_alternative<std::monostate>(v)) return {};
  switch (c.Kind) {
    case TColumnKind::Text:
      if (auto s = std::get_if<host::TText>(&v)) return U(*s);
      return U(host::ValueToString(v, TFieldType::ftFloat));
    case TColumnKind::Real:
    case TColumnKind::Integer: {
      double d = 0;
      if (auto p = std::get_if<double>(&v)) {
        d = *p;
      } else if (auto n = std::get_if<int64_t>(&v)) {
        d = static_cast<double>(*n);
      } else {
        const auto& s = std::get<host::TText>(v);
        if (Blank(s)) return {};
        if (!fields::TryStrToFloat(s, d))
          throw Refusal("Campo " + c.Name + ": '" + U(s) + "' não é um número.");
      }
      if (c.Kind == TColumnKind::Integer) return static_cast<int64_t>(std::llround(d));
      return d;
    }
    case TColumnKind::Date: {
      double d = 0;
      if (auto p = std::get_if<double>(&v)) {
        d = *p;
      } else if (auto n = std::get_if<int64_t>(&v)) {
        d = static_cast<double>(*n);
      } else {
        const auto& s = std::get<host::TText>(v);
        if (Blank(s)) return {};
        if (!fields::TryIsoToDateTime(s, d) && !fields::TryStrToDate(s, d))
          throw Refusal("Campo " + c.Name + ": '" + U(s) + "' não é uma data.");
      }
      return fields::DateTimeToIso(d);
    }
  }
  return {};
}

int VersionOf(std::string_view migrationName) {
  return std::atoi(std::string(migrationName).c_str());
}

std::string TitleName(const std::string& cdFilial, const std::string& nrLanBolRec) {
  return U(cdFilial) + "/" + U(nrLanBolRec);
}

}  // namespace

// ---- Opening ----

TSQLiteRemessaServer::TSQLiteRemessaServer(const std::string& path, bool create) : path_(path) {
  try {
    open(create);
  } catch (const sqlite::Error& e) {
    con_.Close();
    throw host::EServerError(W("Não foi possível abrir o banco de dados " + path + ": " + e.what()));
  } catch (const Refusal& e) {
    con_.Close();
    throw host::EServerError(W(e.what()));
  }
  connected_ = true;
}

TSQLiteRemessaServer::~TSQLiteRemessaServer() {
  if (aoLado_.joinable()) aoLado_.join();
  if (con_.IsOpen() && !con_.AutoCommit()) {
    try {
      con_.Exec("ROLLBACK");
    } catch (...) {
    }
  }
}

int TSQLiteRemessaServer::LatestSchemaVersion() {
  int v = 0;
  for (const auto& m : Migrations()) v = std::max(v, VersionOf(m.first));
  return v;
}

int TSQLiteRemessaServer::SchemaVersion() const {
  Value v = con_.Scalar("SELECT MAX(NRVERSAO) FROM SCHEMA_VERSION");
  return std::holds_alternative<int64_t>(v) ? static_cast<int>(std::get<int64_t>(v)) : 0;
}

void TSQLiteRemessaServer::open(bool create) {
  namespace fs = std::filesystem;
  if (path_.empty()) throw Refusal("Caminho do banco de dados não informado.");
  const bool memory = path_ == ":memory:";
  if (!memory) {
    std::error_code ec;
    fs::path p(path_);
    fs::path parent = p.parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec))
      throw Refusal("Pasta do banco de dados não existe: " + parent.string());
    if (fs::is_directory(p, ec)) throw Refusal("O caminho do banco de dados é uma pasta: " + path_);
    if (!create && !fs::exists(p, ec)) throw Refusal("Banco de dados não encontrado: " + path_);
  }
  // The connection belongs to this server object, which is used from one
  // thread: SQLite's own per-call locking of it would only cost.
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create || memory ? SQLITE_OPEN_CREATE : 0);
  con_.Open(path_, flags);
  sqlite3_busy_timeout(con_.Handle(), 5000);

  // The first read is where SQLite notices a file that is not a database.
  int64_t tables = 0;
  bool has_version = false;
  try {
    auto st = con_.Prepare("SELECT name FROM sqlite_master WHERE type = 'table'");
    while (st.Step()) {
      ++tables;
      if (st.Text(0) == "SCHEMA_VERSION") has_version = true;
    }
  } catch (const sqlite::Error& e) {
    if (e.Primary() == SQLITE_NOTADB || e.Primary() == SQLITE_CORRUPT)
      throw Refusal("O arquivo não é um banco de dados válido: " + path_ + " (" + e.what() + ")");
    throw;
  }
  if (tables > 0 && !has_version)
    throw Refusal("O banco de dados " + path_ +
                  " não é desta aplicação (sem controle de versão do esquema).");

  con_.Exec("PRAGMA foreign_keys = ON");
  // A remittance of many titles updates them all in one transaction: with the
  // default 2 MB page cache, dirty pages spill to the log mid-way and every
  // read goes back to the file. 16 MB is as fast as more on 100 000 titles.
  con_.Exec("PRAGMA cache_size = -" + std::to_string(kCacheKb));
  // The lists of a run (titles asked for, new states) live in temporary
  // tables: a temporary file behind them wrote every page once more.
  con_.Exec("PRAGMA temp_store = MEMORY");
  // WAL lets the workspace read while another process draws numbers.
  if (!memory) con_.Exec("PRAGMA journal_mode = WAL");
  migrate();
}

void TSQLiteRemessaServer::migrate() {
  con_.Exec(
      "CREATE TABLE IF NOT EXISTS SCHEMA_VERSION (NRVERSAO INTEGER NOT NULL PRIMARY KEY, "
      "NMARQUIVO TEXT NOT NULL, DTAPLICACAO TEXT NOT NULL)");
  const int latest = LatestSchemaVersion();
  const int current = SchemaVersion();
  if (current > latest)
    throw Refusal("O banco de dados " + path_ + " tem esquema versão " + std::to_string(current) +
                  ", mais nova que a suportada por este programa (" + std::to_string(latest) + ").");
  for (const auto& [name, sql] : Migrations()) {
    const int version = VersionOf(name);
    if (version <= current) continue;
    begin_immediate();
    try {
      // Another process may have applied it while this one waited.
      if (SchemaVersion() < version) {
        con_.Exec(sql);
        auto st = con_.Prepare(
            "INSERT INTO SCHEMA_VERSION (NRVERSAO, NMARQUIVO, DTAPLICACAO) VALUES (?, ?, datetime('now'))");
        st.BindAll({int64_t{version}, std::string(name)});
        st.Step();
      }
      con_.Exec("COMMIT");
    } catch (const std::exception& e) {
      try {
        con_.Exec("ROLLBACK");
      } catch (...) {
      }
      throw Refusal("Falha ao aplicar a migração " + std::string(name) + ": " + e.what());
    }
  }
}

// ---- Connection and units of work ----

namespace {
// The server whose update runs on this thread: that thread uses the
// connection at once, where every other waits for it.
thread_local const TSQLiteRemessaServer* tAoLado = nullptr;
}  // namespace

sqlite::Db& TSQLiteRemessaServer::db() {
  if (tAoLado != this) aguarda_ao_lado();
  return con_;
}

sqlite::Db& TSQLiteRemessaServer::leitura(TLote** lote) {
  if (aoLado_.joinable() && tAoLado != this) {
    if (lote) *lote = &lote_leitor_;
    return leitor_;
  }
  if (lote) *lote = &lote_;
  return db();
}

void TSQLiteRemessaServer::aguarda_ao_lado() {
  if (!aoLado_.joinable()) return;
  aoLado_.join();
  pacoteAoLado_ = TPacket{};
  respostaPendente_ = true;
}

bool TSQLiteRemessaServer::IniciaAlterBoletos(TPacket& alteraBoletos) {
  aguarda_ao_lado();
  respostaPendente_ = false;
  respostaAoLado_ = TServerReply{};
  // Without a unit of work the update would commit on its own, and without
  // the second connection the reads would wait for it: the caller is better
  // served doing it in turn.
  if (!connected_ || !user_tx_ || !abre_leitor()) return false;
  pacoteAoLado_ = std::move(alteraBoletos);
  try {
    aoLado_ = std::thread([this] {
      tAoLado = this;
      try {
        // Beside the writer the update may write its pages to the log as it
        // goes: the commit, which the run waits for, has that much less to
        // write, and the run's peak memory is the smaller for it.
        con_.Exec("PRAGMA cache_size = -" + std::to_string(kCacheKbAoLado));
        respostaAoLado_ = altera_boletos(pacoteAoLado_, &pacoteAoLado_);
      } catch (...) {
        respostaAoLado_ = TServerReply::Fail(W("AlterBoletos: falha inesperada."));
      }
      try {
        con_.Exec("PRAGMA cache_size = -" + std::to_string(kCacheKb));
      } catch (...) {
      }
      tAoLado = nullptr;
    });
  } catch (const std::system_error&) {
    alteraBoletos = std::move(pacoteAoLado_);
    pacoteAoLado_ = TPacket{};
    return false;
  }
  ++alteracoes_ao_lado_;
  return true;
}

TServerReply TSQLiteRemessaServer::FimAlterBoletos() {
  aguarda_ao_lado();
  if (!respostaPendente_) return TServerReply::Fail("FimAlterBoletos: nenhum AlterBoletos iniciado.");
  respostaPendente_ = false;
  return std::move(respostaAoLado_);
}

void TSQLiteRemessaServer::Connect() {
  aguarda_ao_lado();
  connected_ = true;
}

void TSQLiteRemessaServer::Disconnect() {
  aguarda_ao_lado();
  Rollback();
  connected_ = false;
}

void TSQLiteRemessaServer::require_connected() const {
  if (!connected_) throw Refusal("Servidor não conectado.");
}

void TSQLiteRemessaServer::begin_immediate() {
  // The busy timeout waits for the other writer; a few more tries cover the
  // case where it held the database for longer.
  for (int attempt = 0;; ++attempt) {
    try {
      db().Exec("BEGIN IMMEDIATE");
      return;
    } catch (const sqlite::Error& e) {
      if (!e.Busy() || attempt >= 20) throw;
      std::this_thread::sleep_for(std::chrono::milliseconds(10 + attempt * 5));
    }
  }
}

void TSQLiteRemessaServer::StartTransaction() {
  aguarda_ao_lado();
  try {
    require_connected();
    if (user_tx_) throw Refusal("Já existe uma transação aberta.");
    begin_immediate();
    user_tx_ = true;
  } catch (const std::exception& e) {
    throw host::EServerError(W(e.what()));
  }
}

void TSQLiteRemessaServer::Commit() {
  aguarda_ao_lado();
  try {
    if (!user_tx_) throw Refusal("Não há transação aberta para confirmar.");
    db().Exec("COMMIT");
    user_tx_ = false;
  } catch (const std::exception& e) {
    // A commit that fails leaves nothing half done.
    Rollback();
    throw host::EServerError(W(e.what()));
  }
}

void TSQLiteRemessaServer::Rollback() {
  aguarda_ao_lado();
  if (!user_tx_) return;
  user_tx_ = false;
  savepoint_depth_ = 0;
  try {
    if (!db().AutoCommit()) db().Exec("ROLLBACK");
  } catch (...) {
    // SQLite has already undone the transaction when ROLLBACK itself fails.
  }
}

void TSQLiteRemessaServer::Write(const std::function<void()>& body) {
  require_connected();
  if (user_tx_) {
    const std::string sp = "W" + std::to_string(savepoint_depth_++);
    db().Exec("SAVEPOINT " + sp);
    try {
      body();
    } catch (...) {
      --savepoint_depth_;
      try {
        db().Exec("ROLLBACK TO " + sp);
        db().Exec("RELEASE " + sp);
      } catch (...) {
      }
      throw;
    }
    --savepoint_depth_;
    db().Exec("RELEASE " + sp);
    return;
  }
  begin_immediate();
  try {
    body();
    db().Exec("COMMIT");
  } catch (...) {
    try {
      if (!db().AutoCommit()) db().Exec("ROLLBACK");
    } catch (...) {
    }
    throw;
  }
}

void TSQLiteRemessaServer::own_transaction(const char* what, const std::function<void()>& body) {
  require_connected();
  // A number drawn inside the run's transaction would be lost with its
  // rollback and handed out again; numbers are drawn before it starts.
  if (user_tx_) throw Refusal(std::string(what) + " não pode ser chamado com uma transação aberta.");
  for (int attempt = 0;; ++attempt) {
    try {
      Write(body);
      return;
    } catch (const sqlite::Error& e) {
      if (!e.Busy()) throw;
      if (attempt >= 20) throw Refusal(kBusyRetryText);
      std::this_thread::sleep_for(std::chrono::milliseconds(10 + attempt * 5));
    }
  }
}

// ---- Host queries ----

host::TPacket TSQLiteRemessaServer::ExecuteQuery(const std::string& sql,
                                                 const std::map<std::string, std::string>& params) {
  try {
    require_connected();
    // The form's queries run once per title or client: their statements are kept.
    auto st = leitura().Cached(sql);
    for (int i = 1; i <= st.ParamCount(); ++i) {
      const std::string name = fields::UpperCase(st.ParamName(i));
      Value v;
      for (const auto& [k, val] : params) {
        std::string key = fields::UpperCase(k);
        if (!key.empty() && key[0] == ':') key.erase(0, 1);
        if (key == name) v = UV(val);
      }
      st.Bind(i, v);
    }
    TPacket p;
    std::vector<bool> typed(st.Columns(), false);
    for (int c = 0; c < st.Columns(); ++c) {
      const std::string decl = st.DeclType(c);
      TColumn col = ColumnOfDeclType(decl);
      col.Name = st.ColumnName(c);
      typed[c] = !decl.empty();
      p.Fields.push_back(FieldOfColumn(col));
    }
    while (st.Step()) {
      host::Row r;
      for (int c = 0; c < st.Columns(); ++c) {
        // An expression column takes its type from the first value it shows.
        if (!typed[c] && !st.IsNull(c)) {
          typed[c] = true;
          auto& f = p.Fields[c];
          double d = 0;
          if (st.Type(c) == SQLITE_INTEGER || st.Type(c) == SQLITE_FLOAT)
            f = host::FloatField(f.Name);
          else if (fields::UpperCase(f.Name).rfind("DT", 0) == 0 && fields::TryIsoToDateTime(st.Text(c), d))
            f = host::DateField(f.Name);
        }
        r.push_back(ColumnValue(st, c, p.Fields[c].DataType));
      }
      p.Rows.push_back(std::move(r));
    }
    return p;
  } catch (const std::exception& e) {
    throw host::EDatabaseError(W(e.what()));
  }
}

// ---- Per-title records ----

namespace {
// The title's invoices, first instalment first.
constexpr const char* kDuplicataOrder = " ORDER BY D.NRPARCELA, D.DUPLICATA, D.rowid";

// How one kind of per-title record is read: the same select serves the call
// for one title and the call for a whole list of titles.
struct TRegistroTitulo {
  const char* packet;  // packet fields, also the kind's name in GetRegistrosBoletos
  const char* alias;
  std::map<std::string, std::string> exprs;  // fields read from elsewhere than alias
  const char* from;
  const char* branch;  // the columns the title's two keys are compared with
  const char* number;
  const char* order;
  bool first;         // only the first row (the first invoice) counts
  bool bank = false;  // also filtered by bank
  // The selects, built once: for one title, and for the list in LOTEBOLETO.
  std::string umTitulo = {}, lista = {};
};

const std::vector<TRegistroTitulo>& RegistrosTitulo() {
  static const std::vector<TRegistroTitulo> r = [] {
    std::vector<TRegistroTitulo> v = {
        {"DOCBOL",
         "D",
         {{"NRNOTAFISC", "N.NRNOTAFISC"},
          {"NRACESSONFE", "N.NRACESSONFE"},
          {"VRNOTAFISC", "N.VRNOTAFISC"},
          {"DTEMISSAO", "COALESCE(D.DTEMISSAO, N.DTEMISSAO)"}},
         "DUPLICATA D LEFT JOIN NOTAFISCAL N ON N.CDFILIAL = D.CDFILINF AND N.NRLANCTONF = D.NRLANCTONF",
         "D.CDFILIAL",
         "D.NRLANBOLREC",
         kDuplicataOrder,
         true},
        {"DUPLICATA", "D", {}, "DUPLICATA D", "D.CDFILIAL", "D.NRLANBOLREC", kDuplicataOrder, true},
        {"LICENCAUSO", "L", {}, "LICENCAUSO L", "L.CDFILIAL", "L.NRLANBOLREC", "", false},
        {"TXBOLETOS", "T", {}, "TXBOLETO T", "T.CDFILIAL", "T.NRLANBOLREC", "", false},
        {"INSTRUBOL", "I", {}, "INSTRUBOL I", "I.CDFILIAL", "I.NRLANBOLREC", "", false, true},
        {"FILIRECE",
         "N",
         {{"CDFILIBOLREC", "B.CDFILIBOLREC"},
          {"NRLANBOLREC", "B.NRLANBOLREC"},
          {"NRINSJURFILI", "F.NRINSJURFILI"}},
         "BOLETOREC B JOIN DUPLICATA D ON D.CDFILIAL = B.CDFILIAL AND D.NRLANBOLREC = B.NRLANBOLREC"
         " JOIN NOTAFISCAL N ON N.CDFILIAL = D.CDFILINF AND N.NRLANCTONF = D.NRLANCTONF"
         " LEFT JOIN FILIAL F ON F.CDFILIAL = N.CDFILIRECE",
         "B.CDFILIBOLREC",
         "B.NRLANBOLREC",
         " ORDER BY N.CDFILIAL, N.NRLANCTONF",
         false},
    };
    for (auto& x : v) {
      const auto& defs = PacketFields(x.packet);
      x.umTitulo = "SELECT " + SelectList(defs, x.alias, x.exprs) + " FROM " + x.from + " WHERE " + x.branch +
                   " = ?1 AND " + x.number + " = ?2" + (x.bank ? std::string(" AND I.CDBANCO = ?3") : "") +
                   x.order + (x.first ? " LIMIT 1" : "");
      std::string order = x.order;
      if (!order.empty()) order = ", " + order.substr(std::string(" ORDER BY ").size());
      // The list drives the join (CROSS JOIN keeps it the outer loop): each
      // title is a look-up in the kind's key, never a scan of the list. The
      // list is kept in key order, so that look-ups of neighbouring titles
      // fall on the same pages; the caller puts the rows back in its order.
      x.lista = "SELECT K.NRORDEM AS NRORDEM, " + SelectList(defs, x.alias, x.exprs) +
                " FROM temp.LOTEBOLETO K CROSS JOIN " + x.from + " WHERE " + x.branch + " = K.CDFILIAL AND " +
                x.number + " = K.NRLANBOLREC" + (x.bank ? " AND I.CDBANCO = ?1" : "") + " ORDER BY K.rowid" +
                order;
    }
    return v;
  }();
  return r;
}

// The positions of keys, in the keys' order: a list of titles walked this
// way reads each table in the order of its key.
std::vector<size_t> OrdemDasChaves(const std::vector<std::pair<std::string, std::string>>& chaves) {
  std::vector<size_t> ordem(chaves.size());
  for (size_t i = 0; i < ordem.size(); ++i) ordem[i] = i;
  // Stable: a key given twice keeps its places' order.
  std::stable_sort(ordem.begin(), ordem.end(), [&](size_t a, size_t b) { return chaves[a] < chaves[b]; });
  return ordem;
}

const TRegistroTitulo& RegistroTitulo(std::string_view packet) {
  for (const auto& r : RegistrosTitulo())
    if (fields::UpperCase(packet) == r.packet) return r;
  throw Refusal("Registro de boleto desconhecido: " + std::string(packet) + ".");
}

}  // namespace

TServerReply TSQLiteRemessaServer::RegistroDeTitulo(const char* packet, const std::string& cdFilial,
                                                    const std::string& nrLanBolRec,
                                                    const std::string& cdBanco) {
  return Guard([&] {
    require_connected();
    const auto& r = RegistroTitulo(packet);
    std::vector<Value> binds = {UV(cdFilial), UV(nrLanBolRec)};
    if (r.bank) binds.push_back(UV(cdBanco));
    return TServerReply::Of(Fetch(leitura(), PacketFields(packet), r.umTitulo, binds));
  });
}

TServerReply TSQLiteRemessaServer::GetDocBol(const std::string& nrLanBolRec, const std::string& cdFilial) {
  return RegistroDeTitulo("DOCBOL", cdFilial, nrLanBolRec);
}

TServerReply TSQLiteRemessaServer::GetDuplicata(const std::string& nrLanBolRec, const std::string& cdFilial) {
  return RegistroDeTitulo("DUPLICATA", cdFilial, nrLanBolRec);
}

TServerReply TSQLiteRemessaServer::GetLicencaUso(const std::string& cdFilial,
                                                 const std::string& nrLanBolRec) {
  return RegistroDeTitulo("LICENCAUSO", cdFilial, nrLanBolRec);
}

TServerReply TSQLiteRemessaServer::GetTxBoletos(const std::string& cdFilial, const std::string& nrLanBolRec) {
  return RegistroDeTitulo("TXBOLETOS", cdFilial, nrLanBolRec);
}

TServerReply TSQLiteRemessaServer::GetInstruBol(const std::string& cdBanco, const std::string& cdFilial,
                                                const std::string& nrLanBolRec) {
  return RegistroDeTitulo("INSTRUBOL", cdFilial, nrLanBolRec, cdBanco);
}

TServerReply TSQLiteRemessaServer::GetFiliRece(const std::string& cdFiliBolRec,
                                               const std::string& nrLanBolRec) {
  return RegistroDeTitulo("FILIRECE", cdFiliBolRec, nrLanBolRec);
}

namespace {

// Reads one kind's records for the titles at places [de, ate) of the key
// order of list number `lista`, on one connection: the keys go to its
// temporary table, which the select joins. A run asks several kinds for one
// list, so the table is filled again only for other titles; its mark, written
// with the keys, tells whether a rollback took them back since. A savepoint
// holds the connection's read snapshot across it all. Rows lead with their
// title's place in the caller's list.
template <class TLote>
TPacket LeParteDoLote(sqlite::Db& db, TLote& lote, const TRegistroTitulo& r,
                      const std::vector<TFieldDef>& campos,
                      const std::vector<std::pair<std::string, std::string>>& chaves,
                      const std::vector<size_t>& ordem, uint64_t lista, size_t de, size_t ate,
                      const std::string& cdBanco) {
  db.Exec(
      "CREATE TEMP TABLE IF NOT EXISTS LOTEBOLETO (NRORDEM INTEGER NOT NULL, "
      "CDFILIAL TEXT, NRLANBOLREC TEXT)");
  db.Exec("CREATE TEMP TABLE IF NOT EXISTS LOTEMARCA (MARCA INTEGER)");
  db.Exec("SAVEPOINT LOTEBOLETO");
  try {
    const Value marca = db.Scalar("SELECT MAX(MARCA) FROM temp.LOTEMARCA");
    const auto* m = std::get_if<int64_t>(&marca);
    if (!m || *m != lote.marca || lote.lista != lista || lote.de != de || lote.ate != ate) {
      // A mark above every mark this connection has written: one that a
      // rollback brought back can never pass for the new keys.
      const int64_t nova = std::max(m ? *m : 0, lote.marca) + 1;
      lote = TLote{0, 0, 0, lote.marca};
      db.Exec("DELETE FROM temp.LOTEBOLETO");
      db.Exec("DELETE FROM temp.LOTEMARCA");
      auto ins = db.Cached("INSERT INTO temp.LOTEBOLETO (NRORDEM, CDFILIAL, NRLANBOLREC) VALUES (?, ?, ?)");
      for (size_t i = de; i < ate; ++i) {
        ins.BindInt(1, static_cast<int64_t>(ordem[i]));
        ins.BindText(2, chaves[ordem[i]].first);
        ins.BindText(3, chaves[ordem[i]].second);
        ins.Step();
        ins.Reset();
      }
      db.Scalar("INSERT INTO temp.LOTEMARCA VALUES (?)", {Value(nova)});
      lote = TLote{lista, de, ate, nova};
    }
    TPacket rows =
        Fetch(db, campos, r.lista, r.bank ? std::vector<Value>{UV(cdBanco)} : std::vector<Value>{});
    db.Exec("RELEASE LOTEBOLETO");
    return rows;
  } catch (...) {
    try {
      db.Exec("ROLLBACK TO LOTEBOLETO");
      db.Exec("RELEASE LOTEBOLETO");
    } catch (...) {
    }
    throw;
  }
}

// Below this many titles a list is read on one connection: a second thread
// would cost more than it saves.
constexpr size_t kLoteEmDuasPartes = 4096;

}  // namespace

bool TSQLiteRemessaServer::leitor_disponivel() {
  // The second connection sees only what is committed: not while this one
  // has a transaction of its own open, nor while it serves the reads beside
  // an update.
  if (aoLado_.joinable() || !db().AutoCommit()) return false;
  return abre_leitor();
}

bool TSQLiteRemessaServer::abre_leitor() {
  if (sem_leitor_ || path_ == ":memory:") return false;
  if (leitor_.IsOpen()) return true;
  try {
    // The file the first connection has open, by its full name: the working
    // folder may have changed since.
    const char* arquivo = sqlite3_db_filename(db().Handle(), "main");
    leitor_.Open(arquivo && *arquivo ? std::string(arquivo) : path_,
                 SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    sqlite3_busy_timeout(leitor_.Handle(), 5000);
    leitor_.Exec("PRAGMA temp_store = MEMORY");
    // Its reads go in key order: SQLite's default page cache is enough, and
    // the run's peak memory stays the writer's.
    return true;
  } catch (const std::exception&) {
    leitor_.Close();
    sem_leitor_ = true;
    return false;
  }
}

TServerReply TSQLiteRemessaServer::GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                                       const std::string& cdBanco) {
  return Guard([&] {
    require_connected();
    const auto& r = RegistroTitulo(registro);
    const int iFil = titulos.IndexOf("CDFILIAL"), iNr = titulos.IndexOf("NRLANBOLREC");
    if (iFil < 0 || iNr < 0)
      throw Refusal("GetRegistrosBoletos: CDFILIAL e NRLANBOLREC devem ser informados.");
    TPacket p;
    p.Fields.push_back(host::IntField("NRORDEM"));
    const auto& defs = PacketFields(r.packet);
    p.Fields.insert(p.Fields.end(), defs.begin(), defs.end());
    std::string room;
    auto key = [&](const host::Row& row, int i) { return TextoDe(titulos, row, i, room); };
    // In key order, so that look-ups of neighbouring titles fall on the same
    // pages; a long list is read in two halves of that order at once, the
    // second on the read-only connection. The list is compared with the last
    // one key by key, without a copy of it.
    bool mesma = ultima_lista_ != 0 && titulos.Rows.size() == ultimas_chaves_.size();
    for (size_t i = 0; mesma && i < titulos.Rows.size(); ++i) {
      const auto& [fil, nr] = ultimas_chaves_[i];
      mesma = IgualU(key(titulos.Rows[i], iNr), nr) && IgualU(key(titulos.Rows[i], iFil), fil);
    }
    if (!mesma) {
      std::vector<std::pair<std::string, std::string>> chaves;
      chaves.reserve(titulos.Rows.size());
      for (const auto& row : titulos.Rows) {
        std::string fil = U(key(row, iFil));
        chaves.emplace_back(std::move(fil), U(key(row, iNr)));
      }
      std::vector<size_t> o = OrdemDasChaves(chaves);
      ultima_ordem_.swap(o);
      ultimas_chaves_.swap(chaves);
      ++ultima_lista_;
    }
    const auto& lista = ultimas_chaves_;
    const std::vector<size_t>& ordem = ultima_ordem_;
    const size_t n = ordem.size();
    const bool emDuas = n >= kLoteEmDuasPartes && leitor_disponivel();
    const size_t meio = emDuas ? n / 2 : n;
    TPacket segunda;
    std::exception_ptr falhaSegunda;
    std::thread outra;
    if (emDuas)
      outra = std::thread([&] {
        try {
          segunda = LeParteDoLote(leitor_, lote_leitor_, r, p.Fields, lista, ordem, ultima_lista_, meio, n,
                                  cdBanco);
        } catch (...) {
          falhaSegunda = std::current_exception();
        }
      });
    // Beside an update of this object's, the read is the second connection's.
    TLote* lote = nullptr;
    sqlite::Db& con = leitura(&lote);
    TPacket primeira;
    try {
      primeira = LeParteDoLote(con, *lote, r, p.Fields, lista, ordem, ultima_lista_, 0, meio, cdBanco);
    } catch (...) {
      if (outra.joinable()) outra.join();
      throw;
    }
    if (outra.joinable()) {
      outra.join();
      ++listas_em_duas_;
    }
    if (falhaSegunda) {
      // The second connection failing is no reason to fail the call: that
      // half is read again here, and the connection is not used again.
      leitor_.Close();
      sem_leitor_ = true;
      segunda = LeParteDoLote(con, *lote, r, p.Fields, lista, ordem, ultima_lista_, meio, n, cdBanco);
    }
    // Back to the list's order, each title's rows in the kind's order; a
    // kind that counts only its first row per title keeps only that one.
    std::vector<size_t> inicio(n + 1, 0);
    for (const TPacket* parte : {&primeira, &segunda})
      for (const auto& row : parte->Rows) ++inicio[static_cast<size_t>(std::get<int64_t>(row[0])) + 1];
    if (r.first)
      for (auto& n : inicio) n = std::min<size_t>(n, 1);
    for (size_t i = 1; i < inicio.size(); ++i) inicio[i] += inicio[i - 1];
    p.Rows.resize(inicio.back());
    for (TPacket* parte : {&primeira, &segunda}) {
      int64_t last = -1;
      for (auto& row : parte->Rows) {
        const int64_t o = std::get<int64_t>(row[0]);
        if (r.first && o == last) continue;
        last = o;
        p.Rows[inicio[static_cast<size_t>(o)]++] = std::move(row);
      }
    }
    return TServerReply::Of(std::move(p));
  });
}

TServerReply TSQLiteRemessaServer::GetChaveAcesso(const std::string& cdFilial,
                                                  const std::string& nrLanBolRec) {
  return Guard([&] {
    require_connected();
    Value v = leitura().Scalar(
        std::string("SELECT COALESCE(N.NRACESSONFE, '') FROM DUPLICATA D JOIN NOTAFISCAL N ON "
                    "N.CDFILIAL = D.CDFILINF AND N.NRLANCTONF = D.NRLANCTONF "
                    "WHERE D.CDFILIAL = ? AND D.NRLANBOLREC = ?") +
            kDuplicataOrder + " LIMIT 1",
        {UV(cdFilial), UV(nrLanBolRec)});
    auto s = std::get_if<host::TText>(&v);
    return TServerReply::OfText(s ? W(*s) : std::string());
  });
}

TServerReply TSQLiteRemessaServer::GetEmprBanc(const std::string& cdBanco, const std::string& cdEmpresa) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("EMPRBANC");
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT " + SelectList(defs, "E") + " FROM EMPRBANC E WHERE E.CDBANCO = ? AND E.CDEMPRESA = ?",
              {UV(cdBanco), UV(cdEmpresa)}));
  });
}

// ---- Generation run ----

TServerReply TSQLiteRemessaServer::ValidFinanceiro(const std::string& operacao, const std::string& arg1,
                                                   const std::string& /*branch*/, double& valor,
                                                   const std::string& arg3, const std::string& arg4) {
  return Guard([&] {
    require_connected();
    const std::string op = fields::UpperCase(fields::AllTrim(operacao));
    if (op == "CREDITOBANCARIO") {
      auto st = leitura().Prepare("SELECT VRLIMCREDBANC FROM CONTCORR WHERE CDREDUCONT = ?");
      st.Bind(1, UV(arg1));
      if (!st.Step()) throw Refusal("Conta corrente não cadastrada.");
      if (st.IsNull(0)) return TServerReply::OfText("");
      const double limit = st.Double(0);
      if (fields::RoundDec(valor, 2) <= fields::RoundDec(limit, 2)) return TServerReply::OfText("");
      return TServerReply::OfText(W("Valor de crédito bancário (" + fields::FormatFloat("#,##0.00", valor) +
                                    ") ultrapassa o limite da conta (" +
                                    fields::FormatFloat("#,##0.00", limit) + "). Deseja continuar?"));
    }
    if (op == "VERIFICA_ADIANTAMENTO") {
      // The advance balance is the client's, whatever the company of the title.
      (void)arg4;
      Value v = leitura().Scalar("SELECT VRADIANTCLIE FROM CLIENTE WHERE CDCLIENTE = ?", {UV(arg3)});
      double bal = 0;
      if (auto d = std::get_if<double>(&v)) bal = *d;
      if (auto n = std::get_if<int64_t>(&v)) bal = static_cast<double>(*n);
      return TServerReply::OfText(bal > 0 ? "S" : "N");
    }
    throw Refusal("ValidFinanceiro: operação desconhecida '" + U(operacao) + "'.");
  });
}

TServerReply TSQLiteRemessaServer::PrxCodigo(const std::string& cdEmpresa, const std::string& tabela) {
  return Guard([&] {
    const std::string table = fields::UpperCase(fields::AllTrim(tabela));
    if (Blank(cdEmpresa)) throw Refusal("Empresa deve ser informada.");
    if (table.empty()) throw Refusal("PrxCodigo: tabela não informada.");
    int64_t next = 0;
    own_transaction("PrxCodigo", [&] {
      if (std::holds_alternative<std::monostate>(
              db().Scalar("SELECT 1 FROM EMPRESA WHERE CDEMPRESA = ?", {UV(cdEmpresa)})))
        throw Refusal("Empresa não cadastrada.");
      Value last = db().Scalar("SELECT NRULTIMO FROM PRXCODIGO WHERE CDEMPRESA = ? AND NMTABELA = ?",
                               {UV(cdEmpresa), U(table)});
      int64_t n = std::holds_alternative<int64_t>(last) ? std::get<int64_t>(last) : 0;
      // Batches loaded or typed in by other means must not be numbered again.
      if (table == "CNABREC") {
        Value top = db().Scalar("SELECT MAX(CAST(NRCNABREC AS INTEGER)) FROM CNABREC WHERE CDEMPRESA = ?",
                                {UV(cdEmpresa)});
        if (auto t = std::get_if<int64_t>(&top)) n = std::max(n, *t);
      }
      next = n + 1;
      auto st = db().Prepare(
          "INSERT INTO PRXCODIGO (CDEMPRESA, NMTABELA, NRULTIMO) VALUES (?, ?, ?) "
          "ON CONFLICT (CDEMPRESA, NMTABELA) DO UPDATE SET NRULTIMO = excluded.NRULTIMO");
      st.BindAll({UV(cdEmpresa), U(table), next});
      st.Step();
    });
    return TServerReply::OfText(std::to_string(next));
  });
}

TServerReply TSQLiteRemessaServer::PrxCodigoRemessaRec(const std::string& cdReduCont) {
  return Guard([&] {
    int64_t next = 0;
    own_transaction("PrxCodigoRemessaRec", [&] {
      auto st = db().Prepare(
          "UPDATE CONTCORR SET NRSEQREMESSAREC = NRSEQREMESSAREC + 1 WHERE CDREDUCONT = ? "
          "RETURNING NRSEQREMESSAREC");
      st.Bind(1, UV(cdReduCont));
      if (!st.Step()) throw Refusal("Conta corrente não cadastrada.");
      next = st.Int(0);
      while (st.Step()) {
      }
    });
    return TServerReply::OfText(std::to_string(next));
  });
}

TServerReply TSQLiteRemessaServer::GetIdConta(const std::string& cdReduCont) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("IDCONTA");
    return TServerReply::Of(
        Fetch(leitura(), defs, "SELECT " + SelectList(defs, "C") + " FROM CONTCORR C WHERE C.CDREDUCONT = ?",
              {UV(cdReduCont)}));
  });
}

TServerReply TSQLiteRemessaServer::SetCNABRec(const TPacket& delta) {
  return Guard([&] {
    RequireFields(delta, {"CDEMPRESA", "NRCNABREC"}, "SetCNABRec");
    const auto columns = TableColumns(db(), "CNABREC");
    // The packet's fields that are stored; calculated ones are not.
    std::vector<std::pair<int, const TColumn*>> stored;
    for (const auto& c : columns) {
      int i = delta.IndexOf(c.Name);
      if (i >= 0) stored.emplace_back(i, &c);
    }
    auto cell = [](const host::Row& r, int i) -> const Value& {
      static const Value kNull;
      return static_cast<size_t>(i) < r.size() ? r[i] : kNull;
    };
    Write([&] {
      for (size_t n = 0; n < delta.Rows.size(); ++n) {
        const host::Row& row = delta.Rows[n];
        const TUpdateStatus status = n < delta.Status.size() ? delta.Status[n] : TUpdateStatus::usInserted;
        const host::Row& orig =
            n < delta.Original.size() && !delta.Original[n].empty() && status != TUpdateStatus::usInserted
                ? delta.Original[n]
                : row;
        PacketRow key(delta, orig);
        const std::string emp = key.S("CDEMPRESA"), nr = key.S("NRCNABREC");
        const std::string name = "Remessa " + U(nr) + " da empresa " + U(emp);
        if (status == TUpdateStatus::usUnmodified) continue;
        if (status == TUpdateStatus::usInserted) {
          if (Blank(emp) || Blank(nr)) throw Refusal("Remessa sem empresa ou número não pode ser gravada.");
          if (!std::holds_alternative<std::monostate>(db().Scalar(
                  "SELECT 1 FROM CNABREC WHERE CDEMPRESA = ? AND NRCNABREC = ?", {UV(emp), UV(nr)})))
            throw Refusal(name + " já cadastrada.");
          std::string cols, marks;
          std::vector<Value> vals;
          for (const auto& [i, c] : stored) {
            cols += (cols.empty() ? "" : ", ") + c->Name;
            marks += marks.empty() ? "?" : ", ?";
            vals.push_back(ToColumn(cell(row, i), *c));
          }
          auto st = db().Prepare("INSERT INTO CNABREC (" + cols + ") VALUES (" + marks + ")");
          st.BindAll(vals);
          st.Step();
        } else if (status == TUpdateStatus::usModified) {
          std::string sets;
          std::vector<Value> vals;
          for (const auto& [i, c] : stored) {
            sets += (sets.empty() ? "" : ", ") + c->Name + " = ?";
            vals.push_back(ToColumn(cell(row, i), *c));
          }
          vals.push_back(UV(emp));
          vals.push_back(UV(nr));
          auto st = db().Prepare("UPDATE CNABREC SET " + sets + " WHERE CDEMPRESA = ? AND NRCNABREC = ?");
          st.BindAll(vals);
          st.Step();
          if (db().Changes() == 0) throw Refusal(name + " não encontrada.");
        } else {
          auto st = db().Prepare("DELETE FROM CNABREC WHERE CDEMPRESA = ? AND NRCNABREC = ?");
          st.BindAll({UV(emp), UV(nr)});
          st.Step();
          if (db().Changes() == 0) throw Refusal(name + " não encontrada.");
        }
      }
    });
    return TServerReply{};
  });
}

TServerReply TSQLiteRemessaServer::AlterBoletos(const TPacket& alteraBoletos) {
  return altera_boletos(alteraBoletos, nullptr);
}

TServerReply TSQLiteRemessaServer::altera_boletos(const TPacket& alteraBoletos, TPacket* dono) {
  return Guard([&] {
    RequireFields(alteraBoletos, {"CDFILIAL", "NRLANBOLREC", "CDEMPRESA", "NRCNABREC", "IDSITUCNABR"},
                  "AlterBoletos");
    const auto& p = alteraBoletos;
    auto col = [&p](const char* f) { return p.IndexOf(f); };
    const int iFil = col("CDFILIAL"), iNr = col("NRLANBOLREC"), iEmp = col("CDEMPRESA");
    const int iOpe = col("IDOPECNABREC");
    // Columns written only when the packet brings them filled.
    const int iSet[] = {col("IDSITUCNABR"), col("IDBOLRECALTER"), col("NRCNABREC"), col("CDREDUCONT"), iOpe,
                        col("CDNOSNUMREC")};
    std::string room;
    auto text = [&p, &room](const host::Row& r, int i) { return TextoDe(p, r, i, room); };
    auto refusal = [&](const std::string& fil, const std::string& nr, const std::string& emp) {
      const std::string title = "Boleto " + TitleName(fil, nr);
      auto cur = db().Prepare(
          "SELECT CDEMPRESA, COALESCE(TRIM(IDSITUCNABR), ''), NRCNABRECREM FROM BOLETOREC "
          "WHERE CDFILIAL = ? AND NRLANBOLREC = ?");
      cur.BindAll({UV(fil), UV(nr)});
      if (!cur.Step()) return Refusal(title + " não cadastrado.");
      if (cur.IsNull(0) || cur.Text(0) != U(emp))
        return Refusal(title + " não pertence à empresa " + U(emp) + ".");
      return Refusal(title + " já enviado na remessa " + (cur.IsNull(2) ? std::string("?") : cur.Text(2)) +
                     ".");
    };
    auto inclusao = [&](const host::Row& r) {
      // A title registered at the bank must not be included again: the bank
      // would hold it twice.
      return fields::UpperCase(fields::AllTrim(text(r, iOpe))) == "I";
    };
    std::vector<std::pair<std::string, std::string>> chaves;
    chaves.reserve(p.Rows.size());
    for (const auto& r : p.Rows) {
      std::string fil = U(text(r, iFil));
      chaves.emplace_back(std::move(fil), U(text(r, iNr)));
    }
    const std::vector<size_t> emOrdem = OrdemDasChaves(chaves);
    // The new states go to a temporary table and from there to the titles in
    // one statement, each title at most once. A statement per title pays for
    // its own rollback journal: the account it sets is a foreign key, so each
    // one may have to undo itself alone. Inside a savepoint, with the journal
    // in memory, 100 000 of them took 17 s instead of 0.3.
    auto juntos = [&](const std::vector<size_t>& linhas, bool ultimo) {
      db().Exec(
          "CREATE TEMP TABLE IF NOT EXISTS ALTERABOLETO (NRORDEM INTEGER NOT NULL, CDFILIAL TEXT, "
          "NRLANBOLREC TEXT, CDEMPRESA TEXT, INCLUSAO INTEGER, IDSITUCNABR TEXT, IDBOLRECALTER TEXT, "
          "NRCNABREC TEXT, CDREDUCONT TEXT, IDOPECNABREC TEXT, CDNOSNUMREC TEXT)");
      db().Exec("DELETE FROM temp.ALTERABOLETO");
      struct Limpa {
        sqlite::Db& db;
        ~Limpa() {
          try {
            db.Exec("DELETE FROM temp.ALTERABOLETO");
          } catch (...) {
          }
        }
      } limpa{db()};
      {
        // In the titles' key order, so that the update walks the titles'
        // table in its own order; NRORDEM keeps the packet's.
        auto ins = db().Cached(
            "INSERT INTO temp.ALTERABOLETO VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        for (const size_t ordem : linhas) {
          const host::Row& r = p.Rows[ordem];
          ins.BindInt(1, static_cast<int64_t>(ordem));
          ins.BindText(2, chaves[ordem].first);
          ins.BindText(3, chaves[ordem].second);
          BindU(ins, 4, text(r, iEmp));
          ins.BindInt(5, int64_t{inclusao(r)});
          for (int k = 0; k < 6; ++k) {
            const std::string_view v = text(r, iSet[k]);
            if (fields::EmptyString(v))
              ins.BindNull(k + 6);
            else
              BindU(ins, k + 6, v);
          }
          ins.Step();
          ins.Reset();
        }
      }
      // A packet the server holds is not needed past its last rows: its room
      // goes to the caller's work meanwhile.
      if (dono && ultimo) dono->Rows = std::vector<host::Row>();
      // The update carries the checks; only when it leaves a title alone is
      // it undone and the first refused title, in the packet's order, named.
      auto up = db().Cached(
          "UPDATE BOLETOREC SET IDSITUCNABR = A.IDSITUCNABR, IDBOLRECALTER = A.IDBOLRECALTER, "
          "NRCNABRECREM = A.NRCNABREC, CDREDUCONT = COALESCE(A.CDREDUCONT, BOLETOREC.CDREDUCONT), "
          "IDOPECNABREC = A.IDOPECNABREC, CDNOSNUMREC = COALESCE(A.CDNOSNUMREC, BOLETOREC.CDNOSNUMREC) "
          "FROM temp.ALTERABOLETO A WHERE BOLETOREC.CDFILIAL = A.CDFILIAL AND "
          "BOLETOREC.NRLANBOLREC = A.NRLANBOLREC AND BOLETOREC.CDEMPRESA = A.CDEMPRESA AND "
          "(A.INCLUSAO = 0 OR COALESCE(TRIM(BOLETOREC.IDSITUCNABR), '') IN ('', '00', '01'))");
      db().Exec("SAVEPOINT ALTERABOLETO");
      up.Step();
      const int64_t alterados = db().Changes();
      up.Reset();
      if (alterados == static_cast<int64_t>(linhas.size())) {
        db().Exec("RELEASE ALTERABOLETO");
        return;
      }
      db().Exec("ROLLBACK TO ALTERABOLETO");
      db().Exec("RELEASE ALTERABOLETO");
      auto bad = db().Cached(
          "SELECT A.CDFILIAL, A.NRLANBOLREC, A.CDEMPRESA FROM temp.ALTERABOLETO A LEFT JOIN BOLETOREC B "
          "ON B.CDFILIAL = A.CDFILIAL AND B.NRLANBOLREC = A.NRLANBOLREC "
          "WHERE B.CDFILIAL IS NULL OR B.CDEMPRESA IS NOT A.CDEMPRESA OR "
          "(A.INCLUSAO = 1 AND COALESCE(TRIM(B.IDSITUCNABR), '') NOT IN ('', '00', '01')) "
          "ORDER BY A.NRORDEM LIMIT 1");
      if (bad.Step()) throw refusal(W(bad.Text(0)), W(bad.Text(1)), W(bad.Text(2)));
      throw Refusal("AlterBoletos: boletos não alterados.");
    };
    // A title named again in the packet goes to the next pass: its states
    // apply in turn, as sent, and a refusal names the first refused title of
    // its pass.
    std::vector<std::vector<size_t>> passos;
    for (size_t i = 0, vez = 0; i < emOrdem.size(); ++i) {
      vez = i > 0 && chaves[emOrdem[i]] == chaves[emOrdem[i - 1]] ? vez + 1 : 0;
      if (passos.size() <= vez) passos.emplace_back();
      passos[vez].push_back(emOrdem[i]);
    }
    Write([&] {
      for (size_t i = 0; i < passos.size(); ++i) juntos(passos[i], i + 1 == passos.size());
    });
    return TServerReply{};
  });
}

// ---- Batches ----

TServerReply TSQLiteRemessaServer::GetCNABRec(const std::vector<Value>& args) {
  return Guard([&] {
    require_connected();
    Args a(args, 28, "GetCNABRec");
    Where w;
    if (Blank(a.S(1))) throw Refusal("Empresa deve ser informada.");
    w.Add("R.CDEMPRESA = ?", {UV(a.S(1))});
    // The to date arrives as the day after the last one asked for.
    if (!a.All(4))
      w.Add("R.DTCNABREC >= ? AND R.DTCNABREC < ?",
            {fields::DateTimeToIso(a.F(2)), fields::DateTimeToIso(a.F(3))});
    if (!a.All(6)) w.In("R.CDOPERADOR", SplitList(a.S(5)));
    if (!a.All(9))
      w.Add("ROUND(COALESCE(R.VRTOTBOLCNABREC, 0), 2) BETWEEN ? AND ?",
            {fields::RoundDec(a.F(7), 2), fields::RoundDec(a.F(8), 2)});
    if (!a.All(24)) w.In("R.CDREDUCONT", SplitList(a.S(23)));
    if (!BlankNumber(a.S(28))) w.Add(PadSql("R.NRCNABREC", 20) + " = ?", {Pad(a.S(28), 20)});

    // Title criteria: the batch carries at least one title that meets them all.
    Where t;
    if (!a.All(11)) t.In("B.CDCLIENTE", SplitList(a.S(10)));
    if (!a.All(14)) {
      if (!Blank(a.S(12))) t.Add(PadSql("B.DOCUMENTO", 20) + " >= ?", {Pad(a.S(12), 20)});
      if (!Blank(a.S(13))) t.Add(PadSql("B.DOCUMENTO", 20) + " <= ?", {Pad(a.S(13), 20)});
    }
    if (!a.All(17))
      t.Add("substr(B.DTEMISBOLREC, 1, 10) BETWEEN ? AND ?", {IsoDay(a.F(15)), IsoDay(a.F(16))});
    if (!a.All(20)) t.Add("substr(B.DTVENBOLREC, 1, 10) BETWEEN ? AND ?", {IsoDay(a.F(18)), IsoDay(a.F(19))});
    if (!a.All(22)) t.In("B.CDFORMRECE", SplitList(a.S(21)));
    if (!a.All(27))
      t.Add("ROUND(B.VRFINALBREC, 2) BETWEEN ? AND ?",
            {fields::RoundDec(a.F(25), 2), fields::RoundDec(a.F(26), 2)});
    if (!t.Empty()) {
      t.conds.insert(t.conds.begin(), "B.CDEMPRESA = R.CDEMPRESA AND " + PadSql("B.NRCNABRECREM", 20) +
                                          " = " + PadSql("R.NRCNABREC", 20));
      w.Add("EXISTS (SELECT 1 FROM BOLETOREC B" + t.Sql() + ")", t.binds);
    }

    // A batch without a template of its own prints with its bank's.
    const auto& defs = PacketFields("CNABREC");
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT " +
            SelectList(defs, "R",
                       {{"IDMARCADO", "'N'"},
                        {"DSARQBORDREC", "COALESCE(NULLIF(TRIM(R.DSARQBORDREC), ''), BC.DSARQBORDBANC)"}}) +
            " FROM CNABREC R LEFT JOIN BANCO BC ON BC.CDBANCO = R.CDBANCO" + w.Sql() +
            " ORDER BY CAST(R.NRCNABREC AS INTEGER) DESC, R.NRCNABREC DESC",
        w.binds));
  });
}

TServerReply TSQLiteRemessaServer::AlteraBolRemessa(const std::string& cdOperador, const TPacket& boletos) {
  return Guard([&] {
    require_connected();
    Value may = db().Scalar("SELECT IDALTBOLREM FROM OPERADOR WHERE CDOPERADOR = ?", {UV(cdOperador)});
    if (!std::holds_alternative<host::TText>(may) || std::get<host::TText>(may) != "S")
      return TServerReply::Fail("OPER_INV_ALTERAR");
    RequireFields(boletos, {"CDFILIAL", "NRLANBOLREC", "IDMARCADO"}, "AlteraBolRemessa");
    Write([&] {
      for (const auto& r : boletos.Rows) {
        PacketRow row(boletos, r);
        if (!row.Marked()) continue;
        const std::string fil = row.S("CDFILIAL"), nr = row.S("NRLANBOLREC");
        if (std::holds_alternative<std::monostate>(db().Scalar(
                "SELECT 1 FROM BOLETOREC WHERE CDFILIAL = ? AND NRLANBOLREC = ?", {UV(fil), UV(nr)})))
          throw Refusal("Boleto " + TitleName(fil, nr) + " não cadastrado.");
        // Only titles the bank holds can be altered there.
        auto st = db().Prepare(
            "UPDATE BOLETOREC SET IDBOLRECALTER = '3' WHERE CDFILIAL = ? AND NRLANBOLREC = ? "
            "AND TRIM(IDSITUCNABR) IN ('01', '10', '20')");
        st.BindAll({UV(fil), UV(nr)});
        st.Step();
      }
    });
    return TServerReply{};
  });
}

TServerReply TSQLiteRemessaServer::CancelaBolRemessa(const std::string& cdOperador,
                                                     const std::string& nrCnabRec,
                                                     const std::string& cdEmpresa,
                                                     const std::string& /*idSituCnabr*/,
                                                     const TPacket& boletos) {
  return Guard([&] {
    require_connected();
    Value may = db().Scalar("SELECT IDCANBOLREM FROM OPERADOR WHERE CDOPERADOR = ?", {UV(cdOperador)});
    if (!std::holds_alternative<host::TText>(may) || std::get<host::TText>(may) != "S")
      return TServerReply::Fail("OPER_INV");
    RequireFields(boletos, {"CDFILIAL", "NRLANBOLREC", "IDMARCADO"}, "CancelaBolRemessa");
    const std::string batch = "Remessa " + U(nrCnabRec) + " da empresa " + U(cdEmpresa);
    Write([&] {
      if (std::holds_alternative<std::monostate>(
              db().Scalar("SELECT 1 FROM CNABREC WHERE CDEMPRESA = ? AND " + PadSql("NRCNABREC", 20) + " = ?",
                          {UV(cdEmpresa), Pad(U(nrCnabRec), 20)})))
        throw Refusal(batch + " não encontrada.");
      int64_t count = 0;
      double total = 0;
      for (const auto& r : boletos.Rows) {
        PacketRow row(boletos, r);
        if (!row.Marked()) continue;
        const std::string fil = row.S("CDFILIAL"), nr = row.S("NRLANBOLREC");
        const std::string title = "Boleto " + TitleName(fil, nr);
        auto cur = db().Prepare(
            "SELECT CDEMPRESA, COALESCE(NRCNABRECREM, ''), COALESCE(TRIM(IDSITUCNABR), ''), VRFINALBREC "
            "FROM BOLETOREC WHERE CDFILIAL = ? AND NRLANBOLREC = ?");
        cur.BindAll({UV(fil), UV(nr)});
        if (!cur.Step()) throw Refusal(title + " não cadastrado.");
        if (cur.Text(0) != U(cdEmpresa) || BlankNumber(cur.Text(1)) ||
            Pad(cur.Text(1), 20) != Pad(U(nrCnabRec), 20))
          throw Refusal(title + " não pertence à remessa " + U(nrCnabRec) + ".");
        // A title written off through the bank stays with the batch that did it.
        if (cur.Text(2) == "90") continue;
        const double value = cur.Double(3);
        auto up = db().Prepare(
            "UPDATE BOLETOREC SET IDSITUCNABR = '00', NRCNABRECREM = NULL, IDBOLRECALTER = NULL "
            "WHERE CDFILIAL = ? AND NRLANBOLREC = ?");
        up.BindAll({UV(fil), UV(nr)});
        up.Step();
        ++count;
        total += value;
      }
      auto st = db().Prepare(
          "UPDATE CNABREC SET QTBOLENVCNABREC = MAX(COALESCE(QTBOLENVCNABREC, 0) - ?, 0), "
          "VRTOTBOLCNABREC = ROUND(COALESCE(VRTOTBOLCNABREC, 0) - ?, 2) "
          "WHERE CDEMPRESA = ? AND " +
          PadSql("NRCNABREC", 20) + " = ?");
      st.BindAll(
          {static_cast<double>(count), fields::RoundDec(total, 2), UV(cdEmpresa), Pad(U(nrCnabRec), 20)});
      st.Step();
    });
    return TServerReply{};
  });
}

// ---- Batch report ----

TServerReply TSQLiteRemessaServer::GetDadosRel(const std::string& nmArquivo) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("DADOSREL");
    return TServerReply::Of(
        Fetch(leitura(), defs, "SELECT " + SelectList(defs, "R") + " FROM RELATORIO R WHERE R.NMARQUIVO = ?",
              {UV(fields::AllTrim(nmArquivo))}));
  });
}

TServerReply TSQLiteRemessaServer::RetornaRelatorio(std::string& nmArquivo, const std::string& /*extra*/) {
  return Guard([&] {
    require_connected();
    Value v = leitura().Scalar("SELECT DSRELATORIO FROM RELATORIO WHERE NMARQUIVO = ?",
                               {UV(fields::AllTrim(nmArquivo))});
    auto s = std::get_if<host::TText>(&v);
    const std::string titulo = s && !Blank(*s) ? W(*s) : W("Borderô de Remessa");
    return TServerReply::OfText(titulo + "\r\n" + nmArquivo);
  });
}

TServerReply TSQLiteRemessaServer::GetBordero(const std::string& cdEmpresa, const std::string& nrCnabRec) {
  return Guard([&] {
    require_connected();
    const std::string nr = Pad(U(nrCnabRec), 20);
    if (std::holds_alternative<std::monostate>(leitura().Scalar(
            "SELECT 1 FROM CNABREC WHERE CDEMPRESA = ? AND " + PadSql("NRCNABREC", 20) + " = ?",
            {UV(cdEmpresa), nr})))
      throw Refusal("Remessa " + U(nrCnabRec) + " da empresa " + U(cdEmpresa) + " não encontrada.");
    const auto& defs = PacketFields("BORDERO");
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT R.CDEMPRESA AS CDEMPRESA, E.NMRAZSOCEMPR AS NMRAZSOCEMPR, E.NRINSJUREMPR AS NRINSJUREMPR, "
        "R.NRCNABREC AS NRCNABREC, R.DTCNABREC AS DTCNABREC, R.IDOPECNABREC AS IDOPECNABREC, "
        "R.NMOPERADOR AS NMOPERADOR, R.DSARQCNABREC AS DSARQCNABREC, R.CDBANCO AS CDBANCO, "
        "COALESCE(NULLIF(TRIM(R.NMBANCO), ''), BC.NMBANCO) AS NMBANCO, R.CDAGENCIA AS CDAGENCIA, "
        "COALESCE(R.CDPICTAGEN, BC.CDPICTAGEN) AS CDPICTAGEN, R.CDCONTCORR AS CDCONTCORR, "
        "COALESCE(R.CDPICTCONT, BC.CDPICTCONT) AS CDPICTCONT, R.DSCONTCORR AS DSCONTCORR, "
        "R.NRSEQREMESSAREC AS NRSEQREMESSAREC, R.CDFILIAL AS CDFILIAL, R.NMFILIAL AS NMFILIAL, "
        "B.CDFILIAL AS CDFILIALBOL, B.NRLANBOLREC AS NRLANBOLREC, B.DTVENBOLREC AS DTVENBOLREC, "
        "C.NMRAZSOCCLIE AS NMRAZSOCCLIE, C.NRINSJURCLIE AS NRINSJURCLIE, B.DOCUMENTO AS DOCUMENTO, "
        "B.CDNOSNUMREC AS CDNOSNUMREC, B.VRFINALBREC AS VRFINALBREC, B.IDSITUCNABR AS IDSITUCNABR "
        "FROM CNABREC R JOIN EMPRESA E ON E.CDEMPRESA = R.CDEMPRESA "
        "LEFT JOIN BANCO BC ON BC.CDBANCO = R.CDBANCO "
        "LEFT JOIN BOLETOREC B ON B.CDEMPRESA = R.CDEMPRESA AND " +
            PadSql("B.NRCNABRECREM", 20) + " = " + PadSql("R.NRCNABREC", 20) +
            " LEFT JOIN CLIENTE C ON C.CDCLIENTE = B.CDCLIENTE WHERE R.CDEMPRESA = ? AND " +
            PadSql("R.NRCNABREC", 20) +
            " = ? ORDER BY B.DTVENBOLREC, B.CDFILIAL, CAST(B.NRLANBOLREC AS INTEGER), B.NRLANBOLREC",
        {UV(cdEmpresa), nr}));
  });
}

// ---- Titles ----

TServerReply TSQLiteRemessaServer::GetBoletos(const std::vector<Value>& args) {
  return Guard([&] {
    require_connected();
    Args a(args, 38, "GetBoletos");
    Where w;
    if (Blank(a.S(1))) throw Refusal("Empresa deve ser informada.");
    w.Add("B.CDEMPRESA = ?", {UV(a.S(1))});
    // "N" lists candidates for a new batch; a number lists that batch's titles.
    const std::string batch = fields::AllTrim(a.S(2));
    if (fields::UpperCase(batch) != "N" && !batch.empty())
      w.Add(PadSql("B.NRCNABRECREM", 20) + " = ?", {Pad(U(batch), 20)});
    if (!a.All(4)) w.In("B.CDCLIENTE", SplitList(a.S(3)));
    if (!a.All(7)) {
      if (!Blank(a.S(5))) w.Add(PadSql("B.DOCUMENTO", 20) + " >= ?", {Pad(U(a.S(5)), 20)});
      if (!Blank(a.S(6))) w.Add(PadSql("B.DOCUMENTO", 20) + " <= ?", {Pad(U(a.S(6)), 20)});
    }
    if (!a.All(9)) w.In("B.CDFILIBOLREC", SplitList(a.S(8)));
    if (!a.All(11)) w.In("B.CDFILIAL", SplitList(a.S(10)));
    if (!a.All(14)) w.Add("substr(B.DTVENBOLREC, 1, 10) BETWEEN ? AND ?", {IsoDay(a.F(12)), IsoDay(a.F(13))});
    if (!a.All(16)) w.In("B.CDFORMRECE", SplitList(a.S(15)));
    if (!a.All(18)) w.In("B.CDREDUCONT", SplitList(a.S(17)));
    if (!a.All(21))
      w.Add("ROUND(B.VRFINALBREC, 2) BETWEEN ? AND ?",
            {fields::RoundDec(a.F(19), 2), fields::RoundDec(a.F(20), 2)});
    // A title never sent may carry no situation at all; it is "00".
    if (!a.All(23)) w.In("COALESCE(NULLIF(TRIM(B.IDSITUCNABR), ''), '00')", SplitCodes(a.S(22)));
    // Portfolios are compared as the portfolio set keys them: "17" = "017".
    if (!a.All(25) && !Blank(a.S(24))) w.Add(PadSql("B.CDCARTCOBBOL", 5) + " = ?", {Pad(U(a.S(24)), 5)});
    if (!a.All(27)) w.In("B.IDCARTCOBREC", SplitCodes(a.S(26)));
    if (!a.All(29)) w.In("C.CDGRUPOCLIE", SplitList(a.S(28)));
    if (!a.All(32))
      w.Add("substr(B.DTEMISBOLREC, 1, 10) BETWEEN ? AND ?", {IsoDay(a.F(30)), IsoDay(a.F(31))});
    // A title that was never altered counts as not altered ("1").
    if (!a.All(34)) w.In("COALESCE(NULLIF(TRIM(B.IDBOLRECALTER), ''), '1')", SplitCodes(a.S(33)));
    if (!BlankNumber(a.S(35))) w.Add(PadSql("B.NRCNABRECREM", 20) + " = ?", {Pad(U(a.S(35)), 20)});
    if (!BlankNumber(a.S(36))) w.Add(PadSql("B.NRRETCNABREC", 20) + " = ?", {Pad(U(a.S(36)), 20)});
    if (!Blank(a.S(37))) w.Add(PadSql("B.NRORCAMENTO", 20) + " >= ?", {Pad(U(a.S(37)), 20)});
    if (!Blank(a.S(38))) w.Add(PadSql("B.NRORCAMENTO", 20) + " <= ?", {Pad(U(a.S(38)), 20)});

    const auto& defs = PacketFields("BOLETOS");
    const std::map<std::string, std::string> from = {
        {"IDMARCADO", "'N'"},
        {"NMRAZSOCCLIE", "C.NMRAZSOCCLIE"},
        {"IDTPIJURCLIE", "C.IDTPIJURCLIE"},
        {"NRINSJURCLIE", "C.NRINSJURCLIE"},
        {"NMFANTCLIE", "C.NMFANTCLIE"},
        {"EMAILCOBCLIE", "C.EMAILCOBCLIE"},
        {"DSCONTCORR", "CC.DSCONTCORR"},
        {"CDBANCO", "CC.CDBANCO"},
        {"CDAGENCIA", "CC.CDAGENCIA"},
        {"CDCONTCORR", "CC.CDCONTCORR"},
        {"CDBANCCNAB", "CC.CDBANCCNAB"},
        {"CDPICTAGEN", "BC.CDPICTAGEN"},
        {"CDPICTCONT", "BC.CDPICTCONT"},
        {"NMBANCO", "BC.NMBANCO"},
    };
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT " + SelectList(defs, "B", from) +
            " FROM BOLETOREC B LEFT JOIN CLIENTE C ON C.CDCLIENTE = B.CDCLIENTE"
            " LEFT JOIN CONTCORR CC ON CC.CDREDUCONT = B.CDREDUCONT"
            " LEFT JOIN BANCO BC ON BC.CDBANCO = CC.CDBANCO" +
            w.Sql() + " ORDER BY B.DTVENBOLREC, B.CDFILIAL, CAST(B.NRLANBOLREC AS INTEGER), B.NRLANBOLREC",
        w.binds));
  });
}

TServerReply TSQLiteRemessaServer::GetTotRemessa(const std::string& nrCnabRec) {
  return Guard([&] {
    require_connected();
    // The call names no company: batch numbers are drawn per company, so the
    // totals are those of every title carried by a batch of this number.
    const auto& defs = PacketFields("TOTREMESSA");
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT CAST(COUNT(*) AS REAL) AS QTBOLETOS, ROUND(COALESCE(SUM(VRFINALBREC), 0), 2) "
              "AS VRTOTBOL FROM BOLETOREC WHERE " +
                  PadSql("NRCNABRECREM", 20) + " = ?",
              {Pad(U(nrCnabRec), 20)}));
  });
}

TServerReply TSQLiteRemessaServer::GetDocumentos(const std::string& cdFilial,
                                                 const std::string& nrLanBolRec) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("DOCUMENTOS");
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT DISTINCT N.NRNOTAFISC AS NRNOTAFISC, N.CDSERIE AS CDSERIE FROM DUPLICATA D "
              "JOIN NOTAFISCAL N ON N.CDFILIAL = D.CDFILINF AND N.NRLANCTONF = D.NRLANCTONF "
              "WHERE D.CDFILIAL = ? AND D.NRLANBOLREC = ? ORDER BY N.NRNOTAFISC, N.CDSERIE",
              {UV(cdFilial), UV(nrLanBolRec)}));
  });
}

TServerReply TSQLiteRemessaServer::GetParamFilial(const std::string& cdFilial) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("PARAMFILIAL");
    return TServerReply::Of(
        Fetch(leitura(), defs, "SELECT " + SelectList(defs, "P") + " FROM PARAMFILIAL P WHERE P.CDFILIAL = ?",
              {UV(cdFilial)}));
  });
}

TServerReply TSQLiteRemessaServer::GetGeralRec() {
  return Guard([&] {
    require_connected();
    TServerReply r;
    const auto& geral = PacketFields("GERALREC");
    const auto& param = PacketFields("PARAMGERAL");
    r.Array.push_back(Fetch(leitura(), geral,
                            "SELECT " + SelectList(geral, "G") + " FROM GERALREC G ORDER BY 1 LIMIT 1", {}));
    r.Array.push_back(Fetch(
        leitura(), param, "SELECT " + SelectList(param, "P") + " FROM PARAMGERAL P ORDER BY 1 LIMIT 1", {}));
    r.Packet = r.Array[0];
    return r;
  });
}

// ---- Company, account and branch ----

TServerReply TSQLiteRemessaServer::GetContaCorr(const std::string& cdEmpresa, const std::string& cdReduCont) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("CONTACORR");
    Where w;
    w.Add("C.CDEMPRESA = ?", {UV(cdEmpresa)});
    if (fields::UpperCase(fields::AllTrim(cdReduCont)) != "T") w.Add("C.CDREDUCONT = ?", {UV(cdReduCont)});
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT " +
            SelectList(
                defs, "C",
                {{"CDPICTAGEN", "B.CDPICTAGEN"}, {"CDPICTCONT", "B.CDPICTCONT"}, {"NMBANCO", "B.NMBANCO"}}) +
            " FROM CONTCORR C LEFT JOIN BANCO B ON B.CDBANCO = C.CDBANCO" + w.Sql() +
            " ORDER BY C.CDREDUCONT",
        w.binds));
  });
}

TServerReply TSQLiteRemessaServer::GetContaCorrCobr(const std::string& cdEmpresa,
                                                    const std::string& cdReduCont,
                                                    const std::string& cdBanco) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("CONTACORRCOBR");
    Where w;
    w.Add("C.CDEMPRESA = ?", {UV(cdEmpresa)});
    w.Add("C.IDCONTCOBR = 'S'");
    if (fields::UpperCase(fields::AllTrim(cdReduCont)) != "T") w.Add("C.CDREDUCONT = ?", {UV(cdReduCont)});
    if (!Blank(cdBanco) && fields::UpperCase(fields::AllTrim(cdBanco)) != "T")
      w.Add("C.CDBANCO = ?", {UV(cdBanco)});
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT " +
            SelectList(
                defs, "C",
                {{"CDPICTAGEN", "B.CDPICTAGEN"}, {"CDPICTCONT", "B.CDPICTCONT"}, {"NMBANCO", "B.NMBANCO"}}) +
            " FROM CONTCORR C LEFT JOIN BANCO B ON B.CDBANCO = C.CDBANCO" + w.Sql() +
            " ORDER BY C.CDREDUCONT",
        w.binds));
  });
}

TServerReply TSQLiteRemessaServer::GetFilialCC(const std::string& cdBanco, const std::string& cdAgencia,
                                               const std::string& cdContCorr, const std::string& cdReduCont) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("FILIALCC");
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT F.CDFILIAL AS CDFILIAL, F.NMFILIAL AS NMFILIAL FROM CONTCORR C "
              "JOIN FILIAL F ON F.CDFILIAL = C.CDFILIAL WHERE C.CDREDUCONT = ? AND C.CDBANCO = ? "
              "AND C.CDAGENCIA = ? AND C.CDCONTCORR = ?",
              {UV(cdReduCont), UV(cdBanco), UV(cdAgencia), UV(cdContCorr)}));
  });
}

TServerReply TSQLiteRemessaServer::GetFilial(const std::string& cdFilial, const std::string& cdEmpresa) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("FILIAL");
    Where w;
    if (!Blank(cdFilial)) w.Add("F.CDFILIAL = ?", {UV(cdFilial)});
    if (!Blank(cdEmpresa)) w.Add("F.CDEMPRESA = ?", {UV(cdEmpresa)});
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT " +
                  SelectList(defs, "F",
                             {{"SGESTADO", "E.SGESTADO"},
                              {"CDMUNICIPIO", "E.CDMUNICIPIO"},
                              {"DSENDEFILI", "E.DSENDEFILI"},
                              {"NMBAIRFILI", "E.NMBAIRFILI"},
                              {"NRCEPFILI", "E.NRCEPFILI"},
                              {"NMMUNICIPIO", "M.NMMUNICIPIO"}}) +
                  " FROM FILIAL F LEFT JOIN ENDEFILI E ON E.CDFILIAL = F.CDFILIAL AND E.IDTPENDEFILI = 'P'"
                  " LEFT JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO AND "
                  "M.CDMUNICIPIO = E.CDMUNICIPIO" +
                  w.Sql() + " ORDER BY F.CDFILIAL",
              w.binds));
  });
}

bool TSQLiteRemessaServer::AcessoOperEmpresa(const std::string& cdOperador, const std::string& cdEmpresa) {
  try {
    if (!connected_) return false;
    return !std::holds_alternative<std::monostate>(leitura().Scalar(
        "SELECT 1 FROM OPEREMPR WHERE CDOPERADOR = ? AND CDEMPRESA = ?", {UV(cdOperador), UV(cdEmpresa)}));
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace server
