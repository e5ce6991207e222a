// Drives the workspace form as an operator does for one remittance: company,
// include, account, branch, operation, kind, path, marks, confirm.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "server/rdm_remessa_cnab.h"

namespace filters {
struct TFiltroBoletos;
}

namespace workspace {
class TfrmRemessaCNAB;
}

namespace app {

struct TPedidoGeracao {
  std::string empresa;
  std::string conta;
  std::string contaCobranca;
  std::optional<std::string> filial;  // none: the account's own branch
  char operacao = 'I';                // 'I', 'E' or 'A'
  std::optional<bool> cobranca;       // the remittance kind, where the bank takes one
  std::string arquivo;
  // A simulation writes here instead; arquivo is still the path checked and
  // asked about, as in a real run.
  std::string arquivoSimulado;
  bool todos = false;
  std::vector<std::string> boletos;  // "FILIAL/NUMERO"
  // The operator's criteria on the sent-titles filter; none keeps its defaults.
  std::function<void(filters::TFiltroBoletos&)> criterios;
};

struct TResultadoGeracao {
  std::string remessa, sequencia, banco, writer;
  std::vector<std::string> arquivos;
  int quantidade = 0;
  double total = 0;
  int oferecidos = 0;
  std::vector<std::pair<std::string, int>> recusas;            // refusal key, count
  std::vector<std::string> motivos;                            // the refusals' texts, same order
  std::vector<std::pair<std::string, std::string>> recusados;  // "FILIAL/NUMERO", refusal key
};

// Everything up to the titles listed: company, include, operation, accounts,
// kind, branch, path, titles page (and the filter's criteria).
void PreparaRemessa(workspace::TfrmRemessaCNAB& f, const TPedidoGeracao& p);

// Everything is Windows-1252. Raises what the form raises; the form is closed
// however the run ends.
TResultadoGeracao GerarRemessa(server::IRdmRemessaCNAB& server, const TPedidoGeracao& p);

}  // namespace app
