#include "server/pg_db.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "server/dialeto_pg.h"

namespace server::pg {

namespace {

// Type OIDs, as in PostgreSQL's pg_type.dat; they are fixed for the
// built-in types.
constexpr Oid kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kFloat4 = 700, kFloat8 = 701,
              kBpchar = 1042, kVarchar = 1043, kNumeric = 1700;

struct Limpa {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, Limpa>;

std::string Apara(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// The statement's failure as the store's error: the server's message and
// its detail on one line, the SQLSTATE as code and kind.
[[noreturn]] void Throw(PGconn* conn, const PGresult* res) {
  const char* estado = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
  std::string msg;
  if (const char* p = res ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) : nullptr) {
    msg = p;
    if (const char* d = PQresultErrorField(res, PG_DIAG_MESSAGE_DETAIL)) msg += std::string(": ") + d;
  } else {
    msg = Apara(res ? PQresultErrorMessage(res) : PQerrorMessage(conn));
  }
  if (msg.empty()) msg = "PostgreSQL gave no result";
  // A connection gone (the server stopped, the backend was ended) says so
  // whatever its last message was: the caller has to connect again.
  int code = estado ? Codigo(estado) : 0;
  if (PQstatus(conn) == CONNECTION_BAD) code = kConexaoPerdida;
  throw Error(code, SemSenha(msg), Falha(estado ? estado : ""));
}

// res, when it is a success; throws otherwise.
Result Ok(PGconn* conn, PGresult* r) {
  Result res(r);
  switch (res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
    case PGRES_EMPTY_QUERY:
      return res;
    default:
      Throw(conn, res.get());
  }
}

store::TTipo TipoDe(Oid t) {
  switch (t) {
    case kInt2:
    case kInt4:
    case kInt8:
      return store::TTipo::Inteiro;
    case kFloat4:
    case kFloat8:
    case kNumeric:
      return store::TTipo::Real;
    case kBytea:
      return store::TTipo::Blob;
    default:
      return store::TTipo::Texto;
  }
}

// The declared type as the rules' type mapping (ColumnOfDeclType) reads it.
std::string NomeDe(Oid t, int typmod) {
  switch (TipoDe(t)) {
    case store::TTipo::Inteiro:
      return "INTEGER";
    case store::TTipo::Real:
      return "REAL";
    case store::TTipo::Blob:
      return "BLOB";
    default:
      break;
  }
  // A character type's typmod is its length plus the 4 bytes of a varlena header.
  if (t == kVarchar) return typmod >= 4 ? "VARCHAR(" + std::to_string(typmod - 4) + ")" : "VARCHAR";
  if (t == kBpchar) return typmod >= 4 ? "CHAR(" + std::to_string(typmod - 4) + ")" : "CHAR";
  return "TEXT";
}

std::string Decimal(int64_t n) {
  char buf[24];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, n);
  return std::string(buf, p);
}

}  // namespace

struct Db::TPreparado {
  std::string nome;
  TTraducao t;
  Result desc;  // columns and their tables, before the statement first runs
};

// A statement of the connection: its own text, or a prepared one of the
// connection's cache.
class Comando : public store::IComando {
 public:
  Comando(const Db& db, std::string_view sql) : db_(db), proprio_(Traduz(db.Dialeto(sql))), t_(proprio_) {
    limpa();
  }
  Comando(const Db& db, std::shared_ptr<const Db::TPreparado> p)
      : db_(db), prep_(std::move(p)), t_(prep_->t) {
    limpa();
  }

  void BindText(int pos, std::string_view text) override { poe(pos, std::string(text), false); }
  void BindInt(int pos, int64_t n) override { poe(pos, Decimal(n), false); }
  void BindDouble(int pos, double d) override {
    // Shortest text that reads back as the same double; "inf" and "nan" are
    // float8's too.
    char buf[32];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, d);
    poe(pos, std::string(buf, p), false);
  }
  void BindNull(int pos) override { poe(pos, std::nullopt, false); }
  void BindBlob(int pos, std::string_view bytes) override { poe(pos, std::string(bytes), true); }
  int ParamCount() const override { return static_cast<int>(t_.nomes.size()); }
  std::string ParamName(int pos) const override {
    return pos >= 1 && pos <= ParamCount() ? t_.nomes[pos - 1] : std::string();
  }

  bool Step() override {
    if (!res_ || fim_)
      executa();
    else
      ++row_;
    blobs_.clear();
    fim_ = row_ >= PQntuples(res_.get());
    return !fim_;
  }
  void Reset() override { limpa(); }

  int Columns() const override { return PQnfields(meta()); }
  std::string ColumnName(int i) const override {
    const char* n = PQfname(meta(), i);
    return n ? n : "";
  }
  std::string DeclType(int i) const override { return db_.declType(meta(), i); }
  store::TTipo Type(int i) const override {
    if (!linha(i) || PQgetisnull(res_.get(), row_, i)) return store::TTipo::Nulo;
    return TipoDe(PQftype(res_.get(), i));
  }
  bool TextOrNull(int i, std::string_view& out) const override {
    if (!linha(i) || PQgetisnull(res_.get(), row_, i)) return false;
    if (PQftype(res_.get(), i) == kBytea) {
      auto [it, novo] = blobs_.try_emplace(i);
      if (novo) it->second = Blob(i);
      out = it->second;
    } else {
      out = bruto(i);
    }
    return true;
  }
  std::string Blob(int i) const override {
    if (!linha(i) || PQgetisnull(res_.get(), row_, i)) return {};
    if (PQftype(res_.get(), i) != kBytea) return std::string(bruto(i));
    size_t n = 0;
    unsigned char* p =
        PQunescapeBytea(reinterpret_cast<const unsigned char*>(PQgetvalue(res_.get(), row_, i)), &n);
    if (!p) throw Error(0, "PostgreSQL: out of memory decoding a bytea");
    std::string s(reinterpret_cast<const char*>(p), n);
    PQfreemem(p);
    return s;
  }
  // As SQLite reads them: a text that is no number reads 0.
  double Double(int i) const override {
    if (!linha(i) || PQgetisnull(res_.get(), row_, i)) return 0;
    std::string_view v = bruto(i);
    double d = 0;
    std::from_chars(v.data(), v.data() + v.size(), d);
    return d;
  }
  int64_t Int(int i) const override {
    if (!linha(i) || PQgetisnull(res_.get(), row_, i)) return 0;
    std::string_view v = bruto(i);
    int64_t n = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec == std::errc() && (p == v.data() + v.size() || (*p != '.' && *p != 'e' && *p != 'E'))) return n;
    // A real (or a text of one): truncated, held within int64 as SQLite holds it.
    double d = Double(i);
    if (std::isnan(d)) return 0;
    if (d >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
    if (d <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(d);
  }

 private:
  void limpa() {
    valores_.assign(t_.nomes.size(), std::nullopt);
    binarios_.assign(t_.nomes.size(), 0);
    res_.reset();
    fim_ = false;
    row_ = 0;
    blobs_.clear();
  }
  // A value bound after a run starts the statement anew on the next Step.
  void poe(int pos, std::optional<std::string> v, bool binario) {
    if (pos < 1 || pos > ParamCount())
      throw Error(
          0, "bind position " + std::to_string(pos) + " out of range 1 to " + std::to_string(ParamCount()));
    valores_[pos - 1] = std::move(v);
    binarios_[pos - 1] = binario ? 1 : 0;
    res_.reset();
    fim_ = false;
  }
  // The types the server is told: bytea for a blob, text for a position
  // the text skips, and for the rest whatever the server infers.
  std::vector<Oid> tipos() const {
    std::vector<Oid> t(t_.nomes.size(), 0);
    for (size_t i = 0; i < t.size(); ++i)
      if (!t_.usados[i])
        t[i] = kText;
      else if (binarios_[i])
        t[i] = kBytea;
    return t;
  }
  void executa() {
    const int n = ParamCount();
    std::vector<const char*> valores(n);
    std::vector<int> tamanhos(n);
    for (int i = 0; i < n; ++i) {
      valores[i] = valores_[i] ? valores_[i]->data() : nullptr;
      tamanhos[i] = valores_[i] ? static_cast<int>(valores_[i]->size()) : 0;
    }
    PGconn* c = db_.conn_;
    if (!c) throw Error(0, "PostgreSQL: the connection is closed");
    PGresult* r;
    if (prep_) {
      r = PQexecPrepared(c, prep_->nome.c_str(), n, valores.data(), tamanhos.data(), binarios_.data(), 0);
    } else {
      const auto t = tipos();
      r = PQexecParams(c, t_.sql.c_str(), n, t.data(), valores.data(), tamanhos.data(), binarios_.data(), 0);
    }
    res_.reset();
    res_ = Ok(c, r);
    row_ = 0;
    db_.conta(res_.get());
  }
  // The result's columns: those of the last run, else the prepared
  // statement's description, else one asked of the server for this text
  // (through the unnamed statement, which each PQexecParams replaces anyway).
  const PGresult* meta() const {
    if (res_) return res_.get();
    if (prep_) return prep_->desc.get();
    if (!desc_) {
      PGconn* c = db_.conn_;
      const auto t = tipos();
      Ok(c, PQprepare(c, "", t_.sql.c_str(), ParamCount(), t.data()));
      desc_ = Ok(c, PQdescribePrepared(c, ""));
    }
    return desc_.get();
  }
  bool linha(int i) const {
    return res_ && !fim_ && row_ < PQntuples(res_.get()) && i >= 0 && i < PQnfields(res_.get());
  }
  std::string_view bruto(int i) const {
    return std::string_view(PQgetvalue(res_.get(), row_, i),
                            static_cast<size_t>(PQgetlength(res_.get(), row_, i)));
  }

  const Db& db_;
  std::shared_ptr<const Db::TPreparado> prep_;
  TTraducao proprio_;
  const TTraducao& t_;
  std::vector<std::optional<std::string>> valores_;
  std::vector<int> binarios_;
  Result res_;
  mutable Result desc_;
  int row_ = 0;
  bool fim_ = false;
  mutable std::map<int, std::string> blobs_;  // the bytea columns of the row read as text
};

void Db::Open(const std::string& conninfo, const std::string& database) {
  Close();
  // The first dbname is the whole string, expanded; the words after it
  // override what it says.
  std::vector<const char*> chaves = {"dbname", "client_encoding", "fallback_application_name"};
  std::vector<const char*> valores = {conninfo.c_str(), "UTF8", "remessa"};
  if (!database.empty()) {
    chaves.push_back("dbname");
    valores.push_back(database.c_str());
  }
  chaves.push_back(nullptr);
  valores.push_back(nullptr);
  conn_ = PQconnectdbParams(chaves.data(), valores.data(), 1);
  if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
    std::string msg = conn_ ? Apara(PQerrorMessage(conn_)) : "out of memory";
    Close();
    throw Error(kSemConexao, SemSenha("PostgreSQL connection to " + conninfo + " failed: " + msg, conninfo));
  }
  // Notices (a DROP ... IF EXISTS that found nothing) are not the caller's
  // business, and libpq would print them on stderr.
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
}

void Db::Close() {
  if (enviado_ && conn_) {
    enviado_ = false;
    while (PGresult* r = PQgetResult(conn_)) PQclear(r);
  }
  cache_.clear();
  decl_.clear();
  if (conn_) PQfinish(conn_);
  conn_ = nullptr;
}

std::string Db::Dialeto(std::string_view sql) const {
  return sqlite_ ? ParaPostgres(sql) : std::string(sql);
}

Stmt Db::Prepare(std::string_view sql) const {
  return Stmt(std::make_unique<Comando>(*this, sql));
}

Stmt Db::Cached(const std::string& sql) const {
  auto it = cache_.find(sql);
  if (it == cache_.end()) {
    auto p = std::make_shared<TPreparado>();
    p->nome = "remessa_" + std::to_string(cache_.size() + 1);
    p->t = Traduz(Dialeto(sql));
    std::vector<Oid> tipos(p->t.nomes.size(), 0);
    for (size_t i = 0; i < tipos.size(); ++i)
      if (!p->t.usados[i]) tipos[i] = kText;
    Ok(conn_,
       PQprepare(conn_, p->nome.c_str(), p->t.sql.c_str(), static_cast<int>(tipos.size()), tipos.data()));
    p->desc = Ok(conn_, PQdescribePrepared(conn_, p->nome.c_str()));
    it = cache_.emplace(sql, std::move(p)).first;
  }
  return Stmt(std::make_unique<Comando>(*this, it->second));
}

void Db::Exec(std::string_view sql) {
  if (!conn_) throw Error(0, "PostgreSQL: the connection is closed");
  Result r = Ok(conn_, PQexec(conn_, Dialeto(sql).c_str()));
  conta(r.get());
}

void Db::Envia(std::string_view sql, const std::vector<std::optional<std::string>>& values) {
  if (!conn_) throw Error(0, "PostgreSQL: the connection is closed");
  if (enviado_) throw Error(0, "PostgreSQL: a statement sent is still running");
  const TTraducao t = Traduz(Dialeto(sql));
  std::vector<const char*> v(t.nomes.size(), nullptr);
  for (size_t i = 0; i < v.size() && i < values.size(); ++i)
    if (values[i]) v[i] = values[i]->c_str();
  if (!PQsendQueryParams(conn_, t.sql.c_str(), static_cast<int>(v.size()), nullptr, v.data(), nullptr,
                         nullptr, 0))
    Throw(conn_, nullptr);
  enviado_ = true;
}

void Db::Espera() {
  if (!enviado_) return;
  enviado_ = false;
  // Every result is read, so that the connection is free again even when
  // the first one is a failure.
  Result primeiro;
  while (PGresult* r = PQgetResult(conn_))
    if (!primeiro)
      primeiro.reset(r);
    else
      PQclear(r);
  Result ok = Ok(conn_, primeiro.release());
  conta(ok.get());
}

void Db::conta(const PGresult* res) const {
  // Only what writes rows counts, as in SQLite: a SELECT leaves the count
  // of the last write.
  const std::string_view status = PQcmdStatus(const_cast<PGresult*>(res));
  for (std::string_view w : {"INSERT", "UPDATE", "DELETE", "MERGE"})
    if (status.substr(0, w.size()) == w) {
      const std::string_view n = PQcmdTuples(const_cast<PGresult*>(res));
      int64_t v = 0;
      std::from_chars(n.data(), n.data() + n.size(), v);
      changes_ = v;
      return;
    }
}

std::string Db::declType(const PGresult* res, int i) const {
  const Oid tabela = PQftable(res, i);
  const int coluna = PQftablecol(res, i);
  if (tabela == InvalidOid || coluna <= 0) return {};
  auto chave = std::make_pair(tabela, coluna);
  if (auto it = decl_.find(chave); it != decl_.end()) return it->second;
  // The result gives a domain's base type; the table's column gives the
  // domain, and DATETEXT is one.
  const std::string t = std::to_string(tabela), c = std::to_string(coluna);
  const char* valores[] = {t.c_str(), c.c_str()};
  Result r = Ok(conn_, PQexecParams(conn_,
                                    "SELECT t.typtype = 'd' AND lower(t.typname) = 'datetext', "
                                    "CASE WHEN t.typtype = 'd' THEN t.typbasetype ELSE a.atttypid END, "
                                    "CASE WHEN t.typtype = 'd' THEN t.typtypmod ELSE a.atttypmod END "
                                    "FROM pg_attribute a JOIN pg_type t ON t.oid = a.atttypid "
                                    "WHERE a.attrelid = $1::oid AND a.attnum = $2::int2",
                                    2, nullptr, valores, nullptr, nullptr, 0));
  std::string nome;
  if (PQntuples(r.get()) == 1) {
    if (std::string_view(PQgetvalue(r.get(), 0, 0)) == "t")
      nome = "DATETEXT";
    else
      nome = NomeDe(static_cast<Oid>(std::stoul(PQgetvalue(r.get(), 0, 1))),
                    std::stoi(PQgetvalue(r.get(), 0, 2)));
  }
  return decl_.emplace(chave, nome).first->second;
}

}  // namespace server::pg
