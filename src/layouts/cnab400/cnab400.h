// The frame every CNAB 400 file shares (and the 444-character variant): a
// header, each marked title's records, a trailer, every record numbered at
// 395-400 from 1 (the 444-character records carry the bank's extra data
// after it). A bank writer states only its records.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "layouts/record.h"
#include "layouts/remessa.h"

namespace layouts::cnab400 {

class TArquivo {
 public:
  explicit TArquivo(const TRemessa& remessa, int tamanho = 400);
  // A draft of the file after its header: records are numbered and counted
  // as the file would number them, and written nowhere, so that a title's
  // records can be built before the file exists.
  static TArquivo Rascunho(int tamanho);

  // A new record: the bank fills it up to its sequence number (394).
  Record Registro() const { return Record(tamanho_); }
  // A detail record started with its type "1" at 001; the bank goes on at 002.
  Record Detalhe() const;
  // A header record started as the banks start it: "0", "1", "REMESSA", the
  // service code and its name from 012 in largura positions (15: the bank
  // goes on at 027).
  Record Cabecalho(std::string_view servico = "01", std::string_view nome = "COBRANCA",
                   int largura = 15) const;
  // Numbers the record at 395-400; a 444-character record then takes the
  // bank's data after its sequence.
  void Numera(Record& r) const;
  // Writes the record, numbering it when it was filled up to 394; a longer
  // record whose bank puts nothing after its sequence gets blanks there.
  void Escreve(Record& r);
  void Escreve(Record&& r) { Escreve(r); }
  // Records written so far.
  int Registros() const { return registros_; }
  int Tamanho() const { return tamanho_; }

  // The trailer most banks send: "9", blanks, the sequence; then the file is closed.
  void TrailerEFecha();
  void Fecha() {
    if (file_) file_->Close();
  }

 private:
  TArquivo(int tamanho, int registros) : tamanho_(tamanho), registros_(registros) {}

  int tamanho_;
  int registros_ = 0;
  std::optional<TRemessaFile> file_;  // none for a draft
};

// A title's values as the CNAB 400 banks read them, the due date as "ddmmyy".
struct TValores : TValoresTitulo {
  explicit TValores(TTitulo& t);
  std::string vencimento;
};

// What the writers read of the batch once for all its titles: the
// occurrence code of its operation and the processing date as ddmmyy.
struct TLote {
  explicit TLote(const TRemessa& rem);
  std::string ocorrencia, emissao;
};

// The batch's agency and account as the banks number them, typed as "123-4"
// and "00098765-4": the agency's first four digits and the account's last
// larguraConta, its check digit last.
struct TAgenciaConta {
  std::string agencia, conta;
};
TAgenciaConta ContaDoLote(const TRemessa& rem, int larguraConta);

// Detail 038-062, the company's own key of the title (TValores::controle),
// then the nosso número from 063 in largura positions, as a number (tambem:
// the other characters it may hold, such as a check digit "P").
void ControleENosso(Record& r, const std::string& controle, int largura, const std::string& nosso,
                    std::string_view tambem = {});

// Positions 109-218 of a detail, which most banks of the family lay out
// alike: the occurrence, the document, the due date and value, the
// collecting bank and agency, the species, the acceptance, the issue date,
// the two instructions, the interest per day, the discount's date and
// amount, the IOF and the rebate. Built with the values most banks give, so
// that a bank sets only where it departs, then written by Cobranca. The
// values read from the title (instructions, interest, discount) are worked
// out only where the bank keeps the common rule.
struct TCobranca {
  TCobranca(const std::string& ocorrencia, std::string documento, const std::string& emissao, TTitulo& t,
            const TValores& v);
  TCobranca(const TLote& lote, std::string documento, TTitulo& t, const TValores& v)
      : TCobranca(lote.ocorrencia, std::move(documento), lote.emissao, t, v) {}
  std::string ocorrencia;         // 109-110
  std::string documento;          // 111-120
  std::string vencimento;         // 121-126, ddmmyy
  std::string valor;              // 127-139, a number
  std::string banco = "000";      // 140-142, a number
  std::string agencia = "00000";  // 143-147
  bool agenciaNumero = true;      // the bank reads 143-147 as a number
  std::string especie = "01";     // 148-149
  std::string aceite = "N";       // 150
  std::string emissao;            // 151-156, ddmmyy
  // 157-158, 159-160: the codes, two characters (Instrucao of the title's)
  std::optional<std::string> instrucao1, instrucao2;
  bool instrucao1Numero = false;            // the bank reads 157-158 as a number
  bool instrucao2Numero = false;            // ... and 159-160 (some banks put protest days there)
  std::optional<std::string> juros;         // 161-173, a number: the interest per day (JurosDiarios)
  std::optional<std::string> dataDesconto;  // 174-179: the discount's last day, "000000" without one
  std::optional<std::string> desconto;      // 180-192, a number: the discount's amount
  std::string iof;                          // 193-205, a number
  std::string abatimento;                   // 206-218, a number
  TTitulo& titulo;
  const TValores& valores;
};
void Cobranca(Record& r, const TCobranca& c);

// A header started as the banks that name the account in it start it
// (001-046): Cabecalho's opening, then the agency and account as
// AgenciaConta writes them from 027 and blanks up to 046.
Record CabecalhoConta(const TArquivo& arq, const std::string& agencia, const std::string& conta,
                      int larguraConta, std::string_view servico = "01", std::string_view nome = "COBRANCA");

// The agency's four digits, "00" and the account's digits in larguraConta
// positions, from pos: the block a header and a detail of the family repeat.
void AgenciaConta(Record& r, int pos, const std::string& agencia, const std::string& conta, int larguraConta);

// Header 101-394 of the layouts that close it with their version and the
// remittance's sequence: blanks, the version in five positions at 381, the
// sequence in nine at 386.
void VersaoESequencia(Record& r, std::string_view versao, const std::string& sequencia);

// Detail 352-394 of the banks that print a text there: the text cleaned in
// 30 positions, four blanks, six positions the bank fills (zeros or blanks),
// the protest days at 392 and the bank's last character at 394.
void TextoEProtesto(Record& r, const std::string& texto, std::string_view depois, const std::string& dias,
                    std::string_view fim);

// Detail 352-394 of the layouts that leave the guarantor out: blanks, its
// type "00", its tax id and the rest in zeros, a blank at 394.
void SemAvalista(Record& r);

// The title's protest days as the banks read them: the last two digits of
// the stored count, none when the title has no count.
std::string DiasProtesto(TTitulo& t);

// The fine record (type "2") up to its sequence: charged from the day after
// the due date, as the fixed amount when there is one, else as the
// percentage; code "0" and zeros when the title has neither.
Record RegistroMulta(const TArquivo& arq, const TValores& v, double multa, double percentual);

// The stored nosso número without its punctuation and without a check digit
// "P", where the bank takes the number alone. Any other letter stays, so the
// field refuses it rather than sending another number.
std::string NossoSemDv(const std::string& gravado);

// Header 047-100 as the banks of the family take it: the company's name in 30
// positions, the bank's number, its name in 15 and the file's date (ddmmyy).
void EmpresaEBanco(Record& r, const std::string& empresa, std::string_view banco,
                   const std::string& nomeBanco, TDateTime data);

// s itself when it already has n characters, else n zeros before its
// trimmed value: the caller keeps the last n, a left zero fill.
std::string AdicionaZero(std::string_view s, int n);

// The payer at 221-351 as most banks take it: the tax id's first 14 digits,
// the name (the override record's trade name, the client's legal name) in
// larguraNome positions and blanks up to 274, the address (40), district
// (12), postcode (8), city (15) and state (2). The type at 219 is the bank's.
void BlocoPagador(Record& r, const TPagador& p, int larguraNome);

// The payer at 219-351 with its type as most banks code it ("01" a person,
// "02" a company or any other), then BlocoPagador.
void Pagador(Record& r, const TPagador& p, int larguraNome);

// The issuing company's 400-character record (type "5") up to its sequence: the company
// at its title branch's address, cleaned like every other text the bank
// prints (blanks where the title has no branch address).
Record RegistroEmpresa(TTitulo& t, const TIdentidade& empresa);

// The whole file: the header, then every marked title's records, then the
// trailer (the common one when none is given); the file closed at the end.
void Gera(const TRemessa& remessa, TTitulos& titulos, const std::function<void(TArquivo&)>& cabecalho,
          const std::function<void(TArquivo&, TTitulo&)>& titulo,
          const std::function<void(TArquivo&)>& trailer = {}, int tamanho = 400);

// The same file with every marked title checked first: titulo builds and
// writes a title's records on a draft for every title (what the bank could
// not read stops the run before the file exists), then again on the file.
// A bank whose titles are built only once, as they are written, calls Gera.
void GeraVerificado(const TRemessa& remessa, TTitulos& titulos,
                    const std::function<void(TArquivo&)>& cabecalho,
                    const std::function<void(TArquivo&, TTitulo&)>& titulo,
                    const std::function<void(TArquivo&)>& trailer = {}, int tamanho = 400);

// Stops the run with "INSCRICAO_INV" before any file exists when the
// company's tax id has more digits than the 14 the banks have room for: it
// would reach the bank cut, naming another company.
void VerificaInscricao(const TRemessa& rem, const TIdentidade& empresa);

// The company's tax-id type in two positions: "01" a person, "02" a company;
// a branch registered as neither "03" (the company row knows only the two).
std::string TipoEmpresa(const TIdentidade& e);

// A tax id as the banks read it: its digits, the first 14.
std::string Inscricao14(const std::string& inscricao);

// A tax-id type in two positions: "01" a person, "02" a company; outro for
// any other type, semTipo (outro when empty) for a record without one.
std::string TipoInscricao(const std::string& tipo, std::string_view outro = "02",
                          std::string_view semTipo = {});

// An instruction code as the banks read it: its first two characters,
// blanks when the title has none.
std::string Instrucao(const std::string& codigo);

// The title's slip message when one of its two instructions ("93", "94")
// asks the bank to print it; empty otherwise.
std::string MensagemPedida(TTitulo& t, const std::string& instrucao1, const std::string& instrucao2);

// Interest per day in 13 positions: the stored daily value when there is one
// (a stored zero included), else the monthly percentage of valor, else none.
std::string JurosDiarios(TTitulo& t, double valor);

// The title's invoice, its last eight characters, and its instalment in two
// positions; the title's number in ten when it has no invoice.
std::string DuplicataOuLancamento(TTitulo& t);

// The 12-character nosso número with its check digit (digits and "P") of a
// slip the company prints, a title without a printer counting as the
// company's; empty for the bank's own slips and a title without a number.
std::string Nosso12(const TValoresTitulo& v);

// The title's invoice and instalment ("123/02"), its last ten characters, in
// ten positions; blanks when the title has no invoice.
std::string DocumentoParcela(TTitulo& t);

}  // namespace layouts::cnab400
