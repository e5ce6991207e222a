// What the return layouts share: the file cut into its records, a record's
// fields read by position and name, the occurrence tables, the file a
// layout's writer builds, and the frame and blocks every CNAB 400 return
// has. A layout's own source only says where its fields are.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "layouts/record.h"
#include "layouts/retorno/retorno.h"

namespace layouts::retorno {

// The records of a file whose records have the layout's length, each ended by
// CR LF or a bare LF; line ends after the last record are not records.
std::vector<std::string_view> Registros(std::string_view conteudo, const TLeiauteRetorno& leiaute);

// One record of the file, its fields read by their positions (from 1) and
// named as the layout names them, so that a fault says which record and field.
class TCampos {
 public:
  TCampos(std::string_view registro, int numero) : r_(registro), n_(numero) {}
  int registro() const { return n_; }  // its place in the file, from 1
  // The positions as they stand, and the same trimmed (a text field).
  std::string_view bruto(int pos, int len) const { return r_.substr(pos - 1, len); }
  std::string texto(int pos, int len) const;
  // A field the bank writes as a number: its digits, as they stand.
  std::string digitos(int pos, int len, const char* nome) const;
  // The same without its leading zeros ("0" for a field of zeros).
  std::string numero(int pos, int len, const char* nome) const;
  // Money in cents: the bank's value fields have two implied decimals.
  int64_t valor(int pos, int len, const char* nome) const;
  // A date DDMMAA (len 6) or DDMMAAAA (len 8) as "aaaa-mm-dd"; the bank sends
  // zeros (or blanks) where there is no date, which read as empty.
  std::string data(int pos, int len, const char* nome) const;
  // The company's tax id after its kind ("1"/"01" a person, "2"/"02" a
  // company): a person's 11 digits stand zero-filled in the bank's field.
  std::string inscricao(int posTipo, int lenTipo, int pos, int len) const;
  // Refuses the record unless the positions hold what the layout fixes there.
  void exige(int pos, std::string_view esperado, const char* nome) const;
  // Stops the reading at this record; texto is UTF-8 source text.
  [[noreturn]] void falha(const std::string& texto) const;

 private:
  std::string nomeDoCampo(int pos, int len, const char* nome) const;
  std::string_view r_;
  int n_;
};

// A file-level fault (no record to name), texto in UTF-8 source text.
// Lido quotes the file's own (Windows-1252) bytes in such a text.
std::string Lido(std::string_view v);
[[noreturn]] void Falha(const std::string& texto);

// The reason-code field: two characters a code, the places the bank leaves
// unused (blanks or zeros) dropped, the codes separated by a blank.
std::string Motivos(std::string_view campo);
// The reason codes written back into len positions, filled with preenche.
std::string CampoDeMotivos(std::string_view motivos, int len, char preenche);

// A bank's occurrence codes: what each does to its title and its meaning in
// the bank's words (UTF-8 source text).
struct TCodigo {
  const char* codigo;
  TEfeito efeito;
  const char* descricao;
};
// Sets the occurrence's effect and description from its code; a code the
// table lacks is listed with no effect and a text that says so.
void Classifica(std::span<const TCodigo> tabela, TOcorrencia& o);

// What a bank calls the detail's fields that every CNAB 400 return places
// alike, for the messages that name them. The document (117-126), the due
// date (147-152) and the title's value (153-165) have the same names in
// every bank.
struct TNomes400 {
  const char* ocorrencia;      // 109-110
  const char* dataOcorrencia;  // 111-116
  const char* tarifa;          // 176-188
  const char* abatimento;      // 228-240
  const char* desconto;        // 241-253
  const char* valorPago;       // 254-266
  const char* juros;           // 267-279
  const char* dataCredito;     // 296-301
};

// What a CNAB 400 return shares: a header "02RETORNO01", the details of
// kind "1" with the fields of TNomes400 where every bank has them, the
// trailer "9201" with the bank's code, every record numbered at 395-400. A
// bank states its code, its occurrence codes and its own records: what it
// reads of its header's and detail's own fields, and each record it writes
// up to 394.
struct TBanco400 {
  const char* banco;  // 077-079 of the header
  std::span<const TCodigo> ocorrencias;
  void (*leCabecalho)(const TCampos& h, TRetorno& r);
  // What the file takes from its first detail (the header lacks it).
  void (*lePrimeiro)(const TCampos& d, TRetorno& r);
  void (*leDetalhe)(const TCampos& d, TOcorrencia& o);
  const TNomes400& nomes;
  // Kinds of record the bank may send among the details that carry no occurrence.
  const char* outros;
  Record (*cabecalho)(const TRetorno& ret);
  Record (*detalhe)(const TRetorno& ret, const TOcorrencia& o);
  Record (*trailer)(const TRetorno& ret);
};
// The reader and the writer of a layout with its banco400.
TRetorno Le400(std::string_view conteudo, const TLeiauteRetorno& leiaute);
std::string Escreve400(const TRetorno& ret, const TLeiauteRetorno& leiaute);
// A CNAB 400 bank's return layout.
constexpr TLeiauteRetorno Leiaute400(const char* nome, const TBanco400& banco) {
  return {.nome = nome, .familia = TFamilia::Cnab400, .le = Le400, .escreve = Escreve400, .banco400 = &banco};
}

// Writing: a date "aaaa-mm-dd" as DDMMAA or DDMMAAAA (len), zeros when empty;
// money in cents as digits; the tax id's kind, one or two digits.
std::string DataDoBanco(const std::string& data, int len);
std::string Centavos(int64_t valor);
std::string TipoInscricao(const std::string& inscricao, int len);

// The value of every title of the file, in cents (the trailers' total).
int64_t ValorDosTitulos(const TRetorno& ret);

// The file a return writer builds, record by record, each the layout's
// length and ended by CR LF.
class TArquivoRetorno {
 public:
  explicit TArquivoRetorno(int tamanho) : tamanho_(tamanho) {}
  // The number the next record will have in the file.
  int proximo() const { return registros_ + 1; }
  std::string sequencia(int len) const;  // proximo(), zero-filled
  void grava(const Record& r);
  int registros() const { return registros_; }
  std::string texto() && { return std::move(texto_); }

 private:
  int tamanho_;
  int registros_ = 0;
  std::string texto_;
};

// Writing a CNAB 400 return: a bank builds each record from the common
// starts and blocks below.

// The header from its start: kind "0", the return, the service "01"
// "COBRANCA" (001-026); the bank goes on at 027.
Record Cabecalho400();
// The detail from its start: kind "1", the company's kind of tax id and the
// tax id (001-017); the bank goes on at 018.
Record Detalhe400(const TRetorno& ret);
// The trailer from its start: kind "9", the return, the service, the bank,
// the titles and their value (001-039); the bank goes on at 040.
Record Trailer400(const TRetorno& ret, const char* banco);
// A detail's blocks that every bank places alike: the occurrence, its date
// and the document number (109-126); the due date, the title's value, the
// collecting bank and the fee (147-188); what the title was settled with
// and the date of the credit, the tax and the other credits as zeros
// (215-301).
void OcorrenciaEDocumento400(Record& r, const TOcorrencia& o);
void VencimentoEValor400(Record& r, const TOcorrencia& o, const char* banco);
void Valores400(Record& r, const TOcorrencia& o);

}  // namespace layouts::retorno
