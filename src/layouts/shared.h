// What every writer shares: the walk over the marked titles, the payer (the
// override record first), the account guarantor and the company identity.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "workspace/form.h"

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
// cdsFilial is open, else the company row. Some banks take the short name
// (NMFILIAL / NMEMPRESA) instead of the corporate one.
struct TIdentidade {
  std::string nome, curto, tipo, inscricao;
  bool filial = false;  // taken from the branch: some banks type a branch's tax id differently
};
TIdentidade IdentidadeEmpresa();

// The characters of a stored nosso número that are digits or the letter "P"
// (the bank's check digit "P"); every other character dropped.
std::string NossoNumero(std::string_view s);

// Occurrence code of the batch's operation kind: inclusion "01", exclusion
// "02"; anything else, alteration included, asks the bank to alter ("06").
std::string Ocorrencia(const std::string& idOpeCnabRec);

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
