// Opening the database and bringing its schema up to date; the connection,
// the second read-only one, and the units of work of the server's calls.
#include "server/sqlite_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "host/messages.h"
#include "server/migrations.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

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
  aoLado_.Aguarda();
  if (con_.IsOpen() && !con_.AutoCommit()) {
    try {
      con_.Exec("ROLLBACK");
    } catch (...) {
    }
  }
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
  AplicaMigracoes(" " + path_);
}

// ---- Connection and units of work ----

sqlite::Db& TSQLiteRemessaServer::db() {
  if (!aoLado_.NestaThread()) aoLado_.Aguarda();
  return con_;
}

sqlite::Db& TSQLiteRemessaServer::leitura(TLote** lote) {
  if (aoLado_.Correndo() && !aoLado_.NestaThread()) {
    if (lote) *lote = &lote_leitor_;
    return leitor_;
  }
  if (lote) *lote = &lote_;
  return db();
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

void TSQLiteRemessaServer::Connect() {
  aoLado_.Aguarda();
  connected_ = true;
}

void TSQLiteRemessaServer::Disconnect() {
  aoLado_.Aguarda();
  Rollback();
  connected_ = false;
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
  aoLado_.Aguarda();
  try {
    require_connected();
    if (user_tx_) throw Refusal("Já existe uma transação aberta.");
    begin_immediate();
    user_tx_ = true;
  } catch (const std::exception& e) {
    throw host::EServerError(W(store::Explica(e)));
  }
}

void TSQLiteRemessaServer::Commit() {
  aoLado_.Aguarda();
  try {
    if (!user_tx_) throw Refusal("Não há transação aberta para confirmar.");
    db().Exec("COMMIT");
    user_tx_ = false;
  } catch (const std::exception& e) {
    // A commit that fails leaves nothing half done.
    Rollback();
    throw host::EServerError(W(store::Explica(e)));
  }
}

void TSQLiteRemessaServer::Rollback() {
  aoLado_.Aguarda();
  if (!user_tx_) return;
  user_tx_ = false;
  savepoint_depth_ = 0;
  try {
    if (!db().AutoCommit()) db().Exec("ROLLBACK");
  } catch (...) {
    // SQLite has already undone the transaction when ROLLBACK itself fails.
  }
}

void TSQLiteRemessaServer::desfaz() {
  if (!db().AutoCommit()) db().Exec("ROLLBACK");
}

std::optional<TRemessaServer::TReferenciaFaltando> TSQLiteRemessaServer::ReferenciaFaltando() {
  auto check = db().Prepare("SELECT \"table\", rowid, parent, fkid FROM pragma_foreign_key_check");
  if (!check.Step()) return std::nullopt;
  TReferenciaFaltando f{check.Text(0), check.Text(2), {}, check.Int(1)};
  auto fk = db().Prepare("SELECT \"from\" FROM pragma_foreign_key_list(?) WHERE id = ? ORDER BY seq");
  fk.BindAll({f.tabela, check.Int(3)});
  while (fk.Step()) f.campo += (f.campo.empty() ? "" : ", ") + fk.Text(0);
  return f;
}

}  // namespace server
