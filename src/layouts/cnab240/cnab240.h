// The frame that every CNAB 240 file shares: one file header, one lot, the
// detail segments numbered within the lot, the lot trailer and the file
// trailer with counts of what was really written; and the company, payer and
// guarantor as the CNAB 240 banks read them.
//
// A bank writer builds each record from the frame's start (positions 001-008,
// or 001-017 for a detail segment), puts its own fields from there and hands
// the record back to write(). Where a bank departs from the common frame it
// says so in TRegras; everything else it states in its own records.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "layouts/record.h"
#include "layouts/remessa.h"

namespace layouts::cnab240 {

constexpr int kTamanho = 240;

// Where a bank's file departs from the common frame.
struct TRegras {
  std::string banco;                        // 001-003 of every record
  std::string lote = "0001";                // the one lot of the file
  std::string loteTrailerArquivo = "9999";  // 004-007 of the file trailer
  // What the lot trailer adds to the detail records: most banks count the lot
  // header and the lot trailer themselves, some count the details only.
  int registrosAlemDosDetalhes = 2;
  // The frame's lot trailer carries zero counts and totals per kind of
  // collection at 024-115 (else blanks); its file trailer a zero count of
  // accounts at 030-035 (else blanks). A bank with its own trailer writes it.
  bool totaisZerados = true;
  bool contaContas = true;
};

// Titles and their total value per kind of collection (simple, linked,
// secured, discounted), for the banks that count them in the lot trailer.
struct TTotaisLote {
  std::array<int, 4> titulos{};
  std::array<double, 4> valor{};
};

class TArquivo {
 public:
  TArquivo(std::string path, TRegras regras);

  // Records with the common start already in place; the caller goes on at 009
  // (018 for a segment).
  Record HeaderArquivo() const { return Inicio("0000", "0"); }
  Record HeaderLote() const { return Inicio(regras_.lote, "1"); }
  // A detail segment numbered after the last detail written: bank, lot, "3",
  // sequence in the lot, segment letter, blank, movement code.
  Record Segmento(std::string_view letra, std::string_view movimento) const;
  Record TrailerLote() const { return Inicio(regras_.lote, "5"); }
  Record TrailerArquivo() const { return Inicio(regras_.loteTrailerArquivo, "9"); }

  // Writes the lot trailer: its record count (018-023) and, with
  // totaisZerados, the counts and totals per kind of collection (024-115)
  // as zeros, as most banks take them from the file; blanks to the end.
  void EscreveTrailerLote(bool totaisZerados = true);
  // Writes the lot trailer with its record count (018-023) and, per kind of
  // collection at 024-115, the titles in 6 digits and their total in 17
  // (two implied decimals); a blank notice number (116-123), blanks to the
  // end.
  void EscreveTrailerLote(const TTotaisLote& totais);
  // Writes the file trailer: one lot, the records of the file and, where the
  // bank asks for it, a zero count of accounts at 030-035; blanks to the end.
  void EscreveTrailerArquivo(bool contaContas);

  // Writes a record of any type; a detail segment must carry the next
  // sequence number, so that the lot's numbering has no gap or repeat.
  void write(const Record& r);
  void Close() { file_.Close(); }

  const std::string& Lote() const { return regras_.lote; }
  // Detail records written so far.
  int Detalhes() const { return detalhes_; }
  // The lot trailer's count (018-023 in every bank).
  int RegistrosLote() const { return detalhes_ + regras_.registrosAlemDosDetalhes; }
  // The file trailer's count: every record of the file, the trailer included.
  int RegistrosArquivo() const { return file_.count() + 1; }

 private:
  Record Inicio(std::string_view lote, std::string_view tipo) const;

  TRegras regras_;
  TRemessaFile file_;
  int detalhes_ = 0;
};

// Where a title's records go: the file, or nowhere while every marked title
// is checked before the file exists.
struct TSaida {
  std::function<Record(std::string_view letra)> segmento;
  std::function<void(const Record&)> escreve;
};

// A bank's own records: both headers from 009 and a title's segments from
// 018. Once every title is written, the lot trailer and the file trailer: the
// frame's as TRegras says, or the bank's own. verifica (a title's own refusal
// before its records are built) and escrito (what the bank counts of each
// title written, for its lot trailer) are optional.
struct TRegistros {
  std::function<void(Record&)> headerArquivo, headerLote;
  std::function<void(TTitulo&, const TSaida&)> titulo;
  std::function<void(TArquivo&)> trailerLote = {}, trailerArquivo = {};
  std::function<void(TTitulo&)> verifica = {};
  std::function<void(TTitulo&)> escrito = {};
};

// The records of a bank that reads what it needs of the batch once (its lot)
// and writes each record from it.
template <class L>
TRegistros Registros(const L& lote, void (*headerArquivo)(Record&, const L&),
                     void (*headerLote)(Record&, const L&),
                     void (*titulo)(const L&, TTitulo&, const TSaida&)) {
  return {.headerArquivo = [&lote, headerArquivo](Record& r) { headerArquivo(r, lote); },
          .headerLote = [&lote, headerLote](Record& r) { headerLote(r, lote); },
          .titulo = [&lote, titulo](TTitulo& t, const TSaida& s) { titulo(lote, t, s); }};
}

// The whole file of one lot. Every record is first built on a draft started
// as the frame starts it (what a field refuses does not depend on the
// record's place), so that what the bank could not read stops the run before
// the file exists; then the file is written and closed.
void Gera(const TRemessa& rem, TTitulos& titulos, const TRegras& regras, const std::string& movimento,
          const TRegistros& registros);

// Movement code of every detail record, one for the whole file, from the
// batch's operation: inclusion "01", exclusion "02", anything else "06".
std::string Movimento(const std::string& operacao);

// The company of the file by the company rule (the batch branch when it has
// one, else the company), with the tax-id type the banks expect: a branch
// "F" "1", "J" "2", anything else "3"; a company "F" "1", else "2".
struct TEmpresa {
  std::string tipo;  // "1", "2" or "3"
  std::string
      inscricao;     // the tax id without its punctuation (a letter stays, for a numeric field to refuse)
  std::string nome;  // as stored
};
TEmpresa LeEmpresa(const TRemessa& rem);

// The batch account as a bank reads it, each bank's own rule filling what
// its records send (an agency's or account's check digit it does not send
// stays empty).
struct TConta {
  std::string agencia, dvAgencia, conta, dvConta;
};
// The company's name as both headers carry it, in its 30 positions.
std::string NomeEmpresa(const std::string& nome);
// The company row itself (qryEmpresa), for the banks that never take the
// branch: "F" "1", anything else "2".
TEmpresa LeEmpresaDoCadastro(const TRemessa& rem);
// The company as read, once its tax id is known to fit: a tax id with more
// digits than the 14 a CNPJ holds stops the run with "INSCRICAO_INV" before
// any file exists.
TEmpresa Verificada(const TRemessa& rem, TEmpresa e);

// A title's values as the CNAB 240 banks read them, the due date as "ddmmyyyy".
struct TValores : TValoresTitulo {
  explicit TValores(TTitulo& t);
  std::string vencimento;
};

// The payer of the current title (override record first). The banks take the
// override's trade name, the client's legal name; a missing tax id or
// postcode is sent as zeros.
struct TPagador {
  std::string tipo;  // "1" person, "2" company
  std::string inscricao, nome, endereco, bairro, cep, cidade, uf;
};
TPagador LePagador(const layouts::TPagador& p);
inline TPagador LePagador(TTitulo& t) {
  return LePagador(t.Pagador());
}
// Segment Q 018-153 as most banks take the payer: type, tax id in 15 digits,
// and from 034 EnderecoPagador. A bank that departs writes its own fields.
void BlocoPagador(Record& r, const TPagador& p);
// Segment Q 034-153: the payer's name, address, district, postcode, city and
// state.
void EnderecoPagador(Record& r, const TPagador& p);
// The payer with address and district trimmed of the blanks around them, for
// the banks that read them so.
TPagador Aparado(TPagador p);

// Segment Q written whole for the banks that take the payer as BlocoPagador
// writes it and send no guarantor in Q (SemAvalistaNoQ).
void SegmentoQ(const TSaida& saida, const TPagador& p, std::string_view bancoCorrespondente);

// A tax id in 15 positions for the banks that give a person's CPF the shape
// of a CNPJ: its nine-digit root, four zeros where a CNPJ has its branch, and
// its two check digits (zerosAntes: the zeros before the root); anything else
// as its digits.
void Inscricao15(Record& r, int pos, const std::string& tipo, const std::string& inscricao,
                 bool zerosAntes = false);

// Segment Q 018-240 for the banks that read the district inside the address
// line and a person's CPF in a CNPJ's shape (Inscricao15), and take no
// guarantor: zeros and blanks where it would stand.
void PagadorComBairroNoEndereco(Record& r, const TPagador& p);
// Segment Q written whole with that block.
void SegmentoQComBairroNoEndereco(const TSaida& saida, const TPagador& p);

// File header 009-032 as the banks take it: blanks, the company's tax-id
// type and its tax id in 14 digits (inscricao, cut as the bank cuts it).
void EmpresaArquivo(Record& r, const std::string& tipo, const std::string& inscricao);
// Lot header 009-018 as the banks take it: "R" (a remittance), service "01"
// (collection), the bank's two positions at 012 ("00" or blanks), its lot
// layout version, a blank and the company's tax-id type; the bank goes on
// with the tax id at 019.
void ServicoLote(Record& r, std::string_view forma, std::string_view versao, const std::string& tipo);

// File header 073-171 as most banks take it: the company's name and the
// bank's (each already in its 30 positions), blanks, "1" for a remittance,
// the processing date and the run's time, the file's sequence, the layout
// version and a zero density.
void GeracaoArquivo(Record& r, const TRemessa& rem, const std::string& nomeEmpresa,
                    const std::string& nomeBanco, std::string_view versao);
// The account's bank name in 30 positions, as the file header names the bank.
std::string NomeBanco(const TRemessa& rem);
// Lot header 074-240 as most banks take it: the company's name (in its 30
// positions), two blank message lines, the batch number, the processing date,
// a zero credit date and blanks to the end.
void FimHeaderLote(Record& r, const TRemessa& rem, const std::string& nomeEmpresa);

// File header 158-163: the account's remittance sequence ("000001" before the
// run draws one). Lot header 184-191: the batch number. A stored number
// shorter than its field is zero-filled, so the record keeps its length.
std::string SequenciaArquivo(const TRemessa& rem);
std::string NumeroRemessa(const TRemessa& rem);

// Protest code and days of the current title; a code without days or days
// with the no-protest code "3" mean no protest ("3", "00"). For the banks
// whose days decide (diasDecidem), days given ask for protest (code "1")
// unless the title says explicitly not to protest ("3"): a title marked so
// is never sent with a protest instruction.
struct TProtesto {
  std::string codigo, dias;
};
TProtesto LeProtesto(TTitulo& t, bool diasDecidem);

// The company's title identifier (196-220) for the banks that read the title's
// portfolio back from it: branch, title number, "CART", kind and portfolio.
std::string IdentificacaoComCarteira(TTitulo& t);

// The title's slip message as its first 40-character line (blanks when it
// has none).
std::string MensagemBoleto(TTitulo& t);

// Whether the current title needs its segment R: a slip message, a fine
// percentage or a fine amount.
bool TemSegmentoR(TTitulo& t);

// The title value as the banks read it: 15 digits, two implied decimals.
// Other amounts (interest, fines) are rounded first, with fields::Money.
std::string Valor(double v);

// File header 172-240 for the banks that keep it for their own use and name
// their collection service there: blanks, the service at 223 ("CSP", or
// blanks for none), zeros, blanks.
void ReservadoServico(Record& r, std::string_view servico);
// File header 172-240 as the banks that read nothing there take it: blanks
// for the bank's use, for the company's, and to the end.
void ReservadoArquivo(Record& r);

// Segment P 078-117: the due date, the title value, the collecting agency as
// zeros (the bank picks it) with its check digit as the bank reads an absent
// one (dv: a blank or "0"), the title's kind and acceptance as the bank codes
// them, and its issue date ("ddmmyyyy").
void VencimentoEEmissao(Record& r, const TValores& v, std::string_view dv, std::string_view especie,
                        std::string_view aceite, const std::string& emissao);

// A charge as segment P (interest, 118-141) and segment R (fine, 066-089)
// carry it: its code, the date it runs from (zeros for none) and its amount
// or rate in 15 digits (zeros for none).
struct TEncargo {
  std::string codigo;
  std::string data = "00000000";
  std::string valor{};
};
void Encargo(Record& r, int pos, const TEncargo& e);

// The fine as most banks take it, from data: its percentage under code "2",
// else its amount under "1", each as money; code "0" and no amount for none.
TEncargo Multa(TTitulo& t, const std::string& data);

// A discount the title does not give, in its 24 positions from pos: code
// "0", a zero date and a zero amount (P 142, R 018 and R 042).
void SemDesconto(Record& r, int pos);
// Segment P 142-195 for the titles sent with no discount, no IOF and no
// rebate, as every bank here sends them but one.
void SemDescontoIofAbatimento(Record& r);

// Segment P 221-227: the protest code and days, then the write-off code and
// days as the bank takes them for every title (baixa, diasBaixa).
void Protesto(Record& r, const TProtesto& p, std::string_view baixa, std::string_view diasBaixa);
// Segment P 228-240: the currency "09" (real), the company's contract with
// the bank (zeros without one) and a blank.
void MoedaEContrato(Record& r, const std::string& contrato);

// Segment R 090-179: blanks, then the two message lines the slip prints
// (each cut or blank-filled to its 40 positions; "" for a line the bank is
// not sent).
void MensagensR(Record& r, std::string_view linha1, std::string_view linha2);
// Segment R 090-240 of the banks that take the slip's message alone and
// nothing after it: MensagensR with the message, then blanks to the end.
void SoMensagemR(Record& r, TTitulo& t);
// Segment R 200-240 for the titles sent with no automatic debit: a zero
// payer occurrence, the debit bank, agency and account as zeros with their
// check digits as the bank reads an absent one (dv: "0" or a blank), "0" for
// no debit notice, and blanks.
void SemDebitoAutomatico(Record& r, std::string_view dv);

// Segment Q 154-240 for the banks that send no guarantor in Q: type "0", a
// zero tax id, a blank name, then CorrespondenteNoQ.
void SemAvalistaNoQ(Record& r, std::string_view bancoCorrespondente);
// The account's guarantor as most banks take it: with a tax id and a name
// that are not blank.
bool AvalistaPreenchido(const layouts::TAvalista& a);
// Segment Q 154-209 for the banks that send the account's guarantor there:
// its type ("2" a company, "1" a person), its tax id (a company's first 14
// digits, a person's first larguraPessoa) and its name; type "0", zeros and
// blanks when the bank sends none (comAvalista: the banks differ on a tax id
// or name that is stored blank).
void AvalistaNoQ(Record& r, const layouts::TAvalista& a, bool comAvalista, int larguraPessoa);
// Segment Q 210-240: the correspondent bank's code ("000" or blanks, as the
// bank reads an absent one), blanks for its title number and blanks.
void CorrespondenteNoQ(Record& r, std::string_view bancoCorrespondente);

// Segment Y, optional record "01", from 018: the guarantor's type ("2" a
// company, "1" a person), tax id (a company's first 14 digits, a person's
// first 11) and name; its address left blank and zeros where the bank reads
// numbers.
void AvalistaY01(Record& r, const layouts::TAvalista& a);

}  // namespace layouts::cnab240
