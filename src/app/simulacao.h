// `gerar --simular`: the whole run, on a copy of the database (on
// PostgreSQL, in one transaction rolled back at the end) and with the file
// written into a temporary folder, both removed afterwards, so that the
// operator sees what the run would do and the store, the batch numbers and
// the operator's folder stay as they were.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "server/pg_server.h"
#include "server/sqlite_server.h"

namespace app {

class TSimulacao {
 public:
  // db is the database (UTF-8), arquivo the operator's path (Windows-1252).
  TSimulacao(const std::string& db, const std::string& arquivo);
  ~TSimulacao();
  TSimulacao(const TSimulacao&) = delete;
  TSimulacao& operator=(const TSimulacao&) = delete;

  // The copy of the database, which the run may change at will.
  std::unique_ptr<server::TRemessaServer> Abre();
  // Where the run writes instead of the operator's path (Windows-1252).
  const std::string& Arquivo() const { return arquivo_; }
  // The name in the operator's folder that a file the run wrote stands for.
  std::string NoLugar(const std::string& escrito) const;
  // The file check on what the run wrote; each fault on stderr.
  void Verifica(const std::vector<std::string>& escritos) const;

 private:
  std::string pasta_, copia_, arquivo_, real_;
  std::string pg_;  // the PostgreSQL connection string, where the store is one
};

}  // namespace app
