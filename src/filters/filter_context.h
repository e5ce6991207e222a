// The remittance workspace as the two filter dialogs see it: the workspace
// hands itself in when it opens a dialog, and the dialog reads and fills only
// what is named here.
#pragma once

#include <string>

#include "host/dataset.h"
#include "server/rdm_remessa_cnab.h"

namespace filters {

class IContextoFiltros {
 public:
  virtual ~IContextoFiltros() = default;

  // The workspace's connection to the application server; null while it has none.
  virtual server::IRdmRemessaCNAB* Conexao() const = 0;
  // The company code as typed in the workspace.
  virtual std::string Empresa() const = 0;

  // The batch list, which the remittance filter fills.
  virtual host::TClientDataSet& ListaRemessas() = 0;
  // The titles offered for the batch in hand, which the sent-titles filter fills.
  virtual host::TClientDataSet& ListaBoletos() = 0;
  // The operator's branch parameters, loaded when the sent-titles filter is created.
  virtual host::TClientDataSet& ParametrosFilial() = 0;

  // The batch in hand: its operation ("I", "E", "A"; empty without a list),
  // whether it is being prepared (inserted or edited) rather than browsed,
  // and its number.
  virtual std::string OperacaoRemessa() = 0;
  virtual bool PreparandoRemessa() const = 0;
  virtual std::string NumeroRemessa() = 0;
  // The item chosen in the workspace's operation-kind list (0 inclusion,
  // 1 removal, 2 alteration; -1 none).
  virtual int TipoMovimento() const = 0;
};

}  // namespace filters
