// A workspace for the filter dialogs without the form: the batch in hand is
// whatever the test sets, and the lists the dialogs fill are its own.
#pragma once

#include <string>

#include "filters/filter_context.h"
#include "server/rdm_remessa_cnab.h"

namespace testsupport {

struct TContextoFiltros : filters::IContextoFiltros {
  explicit TContextoFiltros(server::IRdmRemessaCNAB* servidor) : servidor(servidor) {
    if (servidor) servidor->Connect();
  }

  server::IRdmRemessaCNAB* servidor;
  std::string empresa = "01", operacao = "I", numero;
  bool preparando = true;
  int tipoMovimento = 0;
  host::TClientDataSet remessas{"remessas"}, boletos{"boletos"}, paramFilial{"paramFilial"};

  server::IRdmRemessaCNAB* Conexao() const override { return servidor; }
  std::string Empresa() const override { return empresa; }
  host::TClientDataSet& ListaRemessas() override { return remessas; }
  host::TClientDataSet& ListaBoletos() override { return boletos; }
  host::TClientDataSet& ParametrosFilial() override { return paramFilial; }
  std::string OperacaoRemessa() override { return operacao; }
  bool PreparandoRemessa() const override { return preparando; }
  std::string NumeroRemessa() override { return numero; }
  int TipoMovimento() const override { return tipoMovimento; }
};

}  // namespace testsupport
