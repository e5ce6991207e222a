// What every writer shares: the walk over the marked titles, the payer (the
// override record first), the account guarantor and the company identity.
#pragma once

#include <functional>
#include <string>

#include "workspace/Cli_rec00100.h"

namespace layouts {

using workspace::TfrmRemessaCNAB;

TfrmRemessaCNAB& Form();

// Visits every marked row of cdsBoletos from the first, with its display
// controls disabled (re-enabled however the walk ends).
void ParaCadaMarcado(const std::function<void()>& fn);

// The payer of the current title: the override record when the server has one
// for it, otherwise the title's client and the client's billing address.
struct TPagador {
  bool override = false;
  std::string tipo, inscricao, nome, fantasia, endereco, bairro, cep, cidade, uf;
};
TPagador LePagador();

// The sacador/avalista configured on the batch account.
struct TAvalista {
  std::string inscricao, nome, tipo;  // CDSACAVALISTA, NMSACAVALISTA, IDTPIJURSAC
  bool completo() const { return !inscricao.empty() && !nome.empty(); }
};
TAvalista LeAvalista();

// Company identity, branch first: the batch branch when it has one and
// cdsFilial is open, else the company row.
struct TIdentidade {
  std::string nome, tipo, inscricao;
  bool filial = false;  // taken from the branch: some banks type a branch's tax id differently
};
TIdentidade IdentidadeEmpresa();

// Per-title server records into the form's data sets.
void CarregaDocBol();
void CarregaLicencaUso();
void CarregaTxBoletos();
void CarregaDuplicata();
void CarregaInstruBol();
std::string ChaveAcesso();

// Today's date as the clock has it.
double Hoje();

}  // namespace layouts
