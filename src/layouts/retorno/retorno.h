// Return files: the bank's answer to the remittances, title by title. A
// reader turns a bank's layout into one neutral shape that the server
// applies; the same layout, written back from that shape, is the answer a
// bank would give, which the tests and the demo send themselves.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "layouts/file_check.h"

namespace layouts::retorno {

// What an occurrence does to its title. The bank's code says which; a code
// this system does not act on is Nenhum and is listed, never dropped.
enum class TEfeito {
  Confirmada,           // entry registered at the bank
  Recusada,             // entry refused, with the bank's reasons
  Liquidada,            // paid (settled), with the value and date
  Baixada,              // written off at the bank
  AlteracaoConfirmada,  // an alteration (due date, values, other data) accepted
  Nenhum,               // fees, protests, refused instructions, anything else
};
// One letter per effect, as the store keeps it: "C", "R", "L", "B", "A", "-".
const char* Letra(TEfeito e);

// One title's occurrence. Money in cents; dates "aaaa-mm-dd" or empty where
// the bank sends zeros. Texts in Windows-1252 and trimmed.
struct TOcorrencia {
  int registro = 0;        // the detail's record in the file, from 1
  std::string ocorrencia;  // the bank's occurrence code, two digits
  std::string descricao;   // its meaning, in the bank's own words
  TEfeito efeito = TEfeito::Nenhum;
  std::string motivos;        // the bank's reason codes, blank-separated ("03 17")
  std::string identificacao;  // the company's own identification the remittance wrote
  std::string nossoNumero;    // as the bank returns it
  std::string carteira;       // the title's portfolio as the detail gives it
  std::string documento;      // the document number the remittance wrote
  std::string vencimento, dataOcorrencia, dataCredito;
  int64_t valorTitulo = 0, valorPago = 0, tarifa = 0, juros = 0, desconto = 0, abatimento = 0;
};

// A return file read. agencia and conta are digits without check digit as
// the header (or, where the header has none, the first detail) gives them;
// codigoEmpresa the company's code at the bank where the layout has one.
struct TRetorno {
  TFamilia familia = TFamilia::Desconhecida;
  std::string leiaute;    // the return layout's name ("CNAB 240", "Bradesco 400")
  std::string banco;      // the header's bank code, three digits
  std::string inscricao;  // the company's tax id, digits; empty where the layout has none
  std::string agencia, conta, codigoEmpresa;
  std::string empresa;    // the company's name as the bank writes it
  std::string data;       // the file's date, "aaaa-mm-dd"
  std::string sequencia;  // the return file's own number, digits without leading zeros
  std::vector<TOcorrencia> ocorrencias;
};

// A file that is not a return file of a layout built here, or is malformed
// (record length, a record kind out of place, a letter in a number, a
// truncated file): the text says which record and why, in Windows-1252.
class ERetorno : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TBanco400;

// A bank's return layout: its reader and the writer of the same layout.
// Departures of a CNAB 240 bank from the common layout are stated here.
struct TLeiauteRetorno {
  const char* nome;
  TFamilia familia;
  TRetorno (*le)(std::string_view conteudo, const TLeiauteRetorno& leiaute);
  std::string (*escreve)(const TRetorno& retorno, const TLeiauteRetorno& leiaute);
  // CNAB 240: where segment T holds the nosso número (the common layout's 038-057).
  int nossoNumeroPos = 38, nossoNumeroTam = 20;
  // CNAB 400: the bank's own records on the frame every CNAB 400 return shares.
  const TBanco400* banco400 = nullptr;
};

extern const TLeiauteRetorno kCnab240;
// SICOOB: segment T holds the nosso número, check digit included, at 038-047;
// 048-052 carry the instalment, the modality and the slip's form.
extern const TLeiauteRetorno kSicoob240;
extern const TLeiauteRetorno kBradesco400;
extern const TLeiauteRetorno kItau400;

// Whether the bytes look like a return file (CNAB 240 file header with the
// return code, CNAB 400 header "02RETORNO"), and of which family.
TFamilia FamiliaDeRetorno(std::string_view conteudo);

// Reads the file with the return layout of the bank its header names,
// through the writers' catalogue. Raises ERetorno when the file is not a
// return file, is malformed, or comes from a bank whose return layout is
// not built (the message names the bank).
TRetorno LeRetorno(std::string_view conteudo);

// The return layout of a bank code, or nullptr.
const TLeiauteRetorno* LeiauteDoBanco(std::string_view banco, TFamilia familia);

// The file a bank would send for retorno, in the layout of its bank.
std::string EscreveRetorno(const TRetorno& retorno);

}  // namespace layouts::retorno
