// A real store for tests: an in-memory database loaded from JSON fixtures, the
// workspace form on it, and a run driven as the operator drives it.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/messages.h"
#include "server/sqlite_server.h"
#include "workspace/form.h"

namespace testsupport {

// Company "01" with branch "0001", its address and municipality, the banks of
// the dispatch table, client "C1" with a billing address, operator "ADMIN"
// allowed for the company. Tests add their own accounts and titles.
extern const char* const kBaseFixture;

struct TOpcoesGeracao {
  std::string conta = "001";         // account short code
  std::string contaCobranca;         // collection account, when the bank takes one
  std::string filial;                // batch branch; empty for none
  int operacao = 0;                  // 0 inclusion, 1 exclusion, 2 alteration
  int tipo = 0;                      // 0 Cobrança, 1 Desconto (where the kind combo is enabled)
  std::vector<std::string> boletos;  // "FILIAL/NUMERO"; empty marks every title listed
  std::string arquivo;               // output path; a fresh temporary file by default
  bool sobrescrever = true;          // answer to the overwrite question
};

class TStore {
 public:
  // Base fixture plus the test's own JSON ({"TABLE": [rows]}); the clock is
  // fixed at 2026-12-08 10:30:00 and the processing date at the same day.
  // emArquivo keeps the database in a file of the store's folder, where the
  // server reads on a second connection beside its writes. With
  // REMESSA_TEST_STORE=pg the store is a PostgreSQL database of its own on
  // REMESSA_PG_TEST's server (make test runs the writers' suites so too).
  explicit TStore(const std::string& json = "{}", bool emArquivo = false);
  ~TStore();

  server::TRemessaServer& Server() { return *server_; }
  // What only SQLite's server tells (the update run beside the caller).
  server::TSQLiteRemessaServer& SQLite() { return dynamic_cast<server::TSQLiteRemessaServer&>(*server_); }
  bool EmPostgres() const { return !pg_.empty(); }
  // Title updates the server ran beside the writer, on either store.
  size_t AlteracoesAoLado();
  // The form while it is open (a run closes it when it ends).
  workspace::TfrmRemessaCNAB& Form() {
    if (!workspace::frmRemessaCNAB) throw std::logic_error("the form is closed");
    return *workspace::frmRemessaCNAB;
  }
  host::TScriptedUI& UI() { return ui_; }

  // Includes a batch for company "01", validates account, branch, operation,
  // kind and path, lists and marks the titles, and confirms. Raises what the
  // run raises.
  void Gerar(const TOpcoesGeracao& o);
  // Opens the form and prepares a batch up to its titles listed, as Gerar
  // does, leaving the form open for the test to mark and confirm.
  workspace::TfrmRemessaCNAB& Prepara(const TOpcoesGeracao& o = {});
  void Fecha();
  // The records of the file written by the last run, without CR LF; checks
  // that every line ends in CR LF and has the given length.
  std::vector<std::string> Registros(int tamanho) const;
  const std::string& Arquivo() const { return arquivo_; }

 private:
  std::unique_ptr<server::TRemessaServer> server_;
  host::TScriptedUI ui_{true};
  std::string dir_, arquivo_;
  std::string pg_, banco_;  // the PostgreSQL server and database, when on one
  struct TPedido;
  void pedido(const TOpcoesGeracao& o, void* out);
};

// Field of a record by 1-based position and length.
inline std::string field(const std::string& rec, int pos, int len) {
  return rec.substr(pos - 1, len);
}

}  // namespace testsupport
