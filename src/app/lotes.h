// Drives the workspace on stored batches as an operator does: the batch list
// through the remittance filter, the release and withdrawal of a batch's
// titles, and the borderô. Everything is Windows-1252; errors raise what the
// form raises, and the form is closed however the operation ends.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/dataset.h"
#include "server/sqlite_server.h"

namespace app {

// The filter's criteria as typed: dates "DD/MM/AAAA", values "1234,56",
// lists of codes separated by ",". Unset criteria do not restrict.
struct TFiltroRemessas {
  std::string empresa;
  std::string dataIni, dataFin;
  std::string operadores;
  std::string valorIni, valorFin;
  std::string numero;
  std::string clientes;
  std::string docIni, docFin;
  std::string emissaoIni, emissaoFin;
  std::string vencIni, vencFin;
  std::string tiposBaixa;
  std::string contas;
  std::string liquidoIni, liquidoFin;
};

host::TPacket ListaRemessas(server::IRdmRemessaCNAB& server, const TFiltroRemessas& f);

struct TPedidoTitulos {
  std::string empresa, remessa;
  bool todos = false;
  std::vector<std::string> boletos;  // "FILIAL/NUMERO"
};

// "Permitir Alteração" or "Cancelar Boleto da Remessa" on the marked titles;
// returns the batch's titles afterwards.
host::TPacket AlteraTitulos(server::IRdmRemessaCNAB& server, const TPedidoTitulos& p);
host::TPacket CancelaTitulos(server::IRdmRemessaCNAB& server, const TPedidoTitulos& p);

// Prints the batch's borderô; returns the PDF written, empty when the
// operator said No.
std::string ImprimeBordero(server::IRdmRemessaCNAB& server, const std::string& empresa,
                           const std::string& remessa, const std::string& saida);

// The company of a batch number when only one company has it; empty otherwise.
std::string EmpresaDaRemessa(server::TRemessaServer& server, const std::string& remessa);

}  // namespace app
