// What every command of the command line shares: the global options, the
// store it opens, the operator's context, and how values reach the terminal.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "server/sqlite_server.h"

namespace app {

struct TGlobais {
  std::string db = "remessa.db";
  std::string operador, dataProc, agora;
};

// The store db names: a SQLite file (created when criar), or a PostgreSQL
// connection string ("postgresql://..." or "host=... dbname=...").
std::unique_ptr<server::TRemessaServer> Abre(const std::string& db, bool criar = false);
bool EhPostgres(const std::string& db);
// What the operator reads of a failure that reached the front end
// (Windows-1252): a store's failure in the system's words where it has them.
std::string TextoDaFalha(const std::exception& e);
// Where the store's companions (templates, reports) live: beside a SQLite
// file; in the working folder for a database on a server.
std::filesystem::path PastaDoBanco(const std::string& db);

// --operador, --agora and --data-proc into the operator context.
void AplicaContexto(const TGlobais& g);

// Money as the operator reads it, whatever the process locale: "1.234,56".
std::string Dinheiro(double v);

// Operator names come from the database.
void NomeDoOperador(server::TRemessaServer& s);

// The company of a stored batch's command: the one given, else the only one with that batch number.
std::string EmpresaPedida(server::TRemessaServer& s, const std::string& dada, const std::string& remessa);

// The whole file the operator named (UTF-8 path), or "Arquivo não encontrado".
std::string LeArquivo(const std::string& arquivo);

// A stored "aaaa-mm-dd" date as the operator reads it; anything shorter as it is.
std::string DataIso(const std::string& iso);

// A table cell: Windows-1252 text from the store as the terminal shows it,
// control characters blanked so a name holding a line break keeps its row,
// padded (by characters, not bytes) to width when width > 0.
std::string Celula(const std::string& cp1252, int width = 0);

}  // namespace app
