// The writers: one row each, in the order the dispatcher tries them. A row
// says which bank codes send a batch to its writer, what kind of file it
// writes and what the form and the run must know of the bank. Adding a bank
// is its source and its row.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "layouts/file_check.h"
#include "layouts/remessa.h"
#include "layouts/retorno/retorno.h"

namespace layouts {

// Writes the batch's file from its marked titles; cobranca is the
// operator's remittance kind for the writers that have two, true otherwise.
using TEscreve = void (*)(const TRemessa& remessa, TTitulos& titulos, bool cobranca);

struct TEscritor {
  const char* nome;
  TEscreve escreve;
  TFamilia familia;
  // Layout bank codes (CDBANCCNAB) and agreement bank codes (CDBANCOCONV)
  // that send a batch here, separated by blanks; none for a writer that is
  // only called by name.
  const char* bancos;
  const char* convenios = "";
  // A condition on the batch (its bank parameters) that must also hold; the
  // next row whose codes match takes the batch otherwise.
  bool (*aplica)(const TRemessa&) = nullptr;
  // The writer has a collection and a discount form, and the operator's kind
  // reaches it; every other writer writes a collection file.
  bool modos = false;
  // Layout bank codes for which the form offers the remittance kind.
  const char* ofereceTipo = "";
  // The batch is registered on a collection account chosen with it.
  bool contaCobranca = false;
  // The operations ("I" inclusion, "E" exclusion, "A" alteration) its layout
  // can tell the bank; a batch of another operation is refused before the file.
  const char* operacoes = "IEA";
  // The dispatcher's own checks for the bank before the writer runs.
  void (*verifica)(const TRemessa&, bool cobranca) = nullptr;
  // Appended to the operator's path when the path lacks it.
  const char* sufixo = "";
  // The layout the bank answers in; none where its return layout is not built.
  const retorno::TLeiauteRetorno* retorno = nullptr;
};

std::span<const TEscritor> Catalogo();
// Whether a row's blank-separated list of codes holds the code (exactly:
// "41" is not "041"; an empty code is in no list).
bool NaLista(std::string_view lista, std::string_view codigo);
const TEscritor* Escritor(std::string_view nome);
// The first row whose codes take the account's layout or agreement bank and,
// given the batch, whose condition holds; nullptr when no row does.
const TEscritor* Despacha(std::string_view cdBancCnab, std::string_view cdBancoConv,
                          const TRemessa* remessa = nullptr);
// What the form asks of a layout bank code while the batch is prepared.
bool OfereceTipo(std::string_view cdBancCnab);
bool TomaContaCobranca(std::string_view cdBancCnab);
bool Expressa(const TEscritor& e, std::string_view operacao);
// The name the writer writes for the operator's path.
std::string NomeDoArquivo(const TEscritor& e, const std::string& path);

// Dispatches the batch and runs the writer: the bank's checks, the operation
// its layout can express, then the file, under the name the writer writes
// (remessa.Arquivo becomes it). A value a bank could not read stops
// the run with the catalogue's message naming the title and the field.
const TEscritor& Escreve(TRemessa& remessa, TTitulos& titulos, bool cobranca);

// CNAB 400
void Remessa_BcoBradesco(const TRemessa&, TTitulos&, bool cobranca);
void Remessa_BcoItau(const TRemessa&, TTitulos&, bool);
void Remessa_BcoSafra(const TRemessa&, TTitulos&, bool);
void Remessa_Unibanco(const TRemessa&, TTitulos&, bool);
void Remessa_SICREDI(const TRemessa&, TTitulos&, bool);
void Remessa_SICOOB(const TRemessa&, TTitulos&, bool);
void Remessa_BcoSofisa(const TRemessa&, TTitulos&, bool);
void Remessa_Daycoval(const TRemessa&, TTitulos&, bool);
void Remessa_Factoring(const TRemessa&, TTitulos&, bool);
void Remessa_Alfa(const TRemessa&, TTitulos&, bool);
void Remessa_Brickell(const TRemessa&, TTitulos&, bool);
void Remessa_Guanabara(const TRemessa&, TTitulos&, bool);
void Remessa_Industrial(const TRemessa&, TTitulos&, bool);
void Remessa_BcoBRR(const TRemessa&, TTitulos&, bool cobranca);
void Remessa_Fomento(const TRemessa&, TTitulos&, bool);
void Remessa_BcoNordeste(const TRemessa&, TTitulos&, bool);
void Remessa_BcoBoston(const TRemessa&, TTitulos&, bool);
void Remessa_BcoMercantil(const TRemessa&, TTitulos&, bool);
void Remessa_BcoBanestes(const TRemessa&, TTitulos&, bool);
void Remessa_BcoPortugues(const TRemessa&, TTitulos&, bool);
// CNAB 240
void Remessa_BB(const TRemessa&, TTitulos&, bool cobranca);
void Remessa_BcoCaixa(const TRemessa&, TTitulos&, bool);
void Remessa_BcoCaixa_SIGCB(const TRemessa&, TTitulos&, bool);
void Remessa_BcoSantander(const TRemessa&, TTitulos&, bool);
void Remessa_Real(const TRemessa&, TTitulos&, bool);
void Remessa_BcoHSBC(const TRemessa&, TTitulos&, bool);
void Remessa_BcoNossaCaixa(const TRemessa&, TTitulos&, bool);
void Remessa_BcoRural(const TRemessa&, TTitulos&, bool);
void Remessa_Sudameris(const TRemessa&, TTitulos&, bool);
void Remessa_Banrisul(const TRemessa&, TTitulos&, bool);
void Remessa_SICOOB_CONV(const TRemessa&, TTitulos&, bool);

}  // namespace layouts
