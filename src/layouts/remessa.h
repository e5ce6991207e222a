// What a writer reads: the batch, read-only, and the marked titles one by
// one. The run builds both from the workspace before the writer starts; a
// writer never reaches into the form.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "fields/datetime.h"
#include "host/dataset.h"
#include "host/messages.h"

namespace layouts {

using fields::TDateTime;

// One row of a data set, copied with its structure. A row without a
// structure (its source was never opened) answers every field as empty; a
// row with one refuses a field name it does not hold, so that a misspelt
// name cannot pass for an empty value.
class TLinha {
 public:
  TLinha() = default;
  // The current row of ds; an empty row (with ds's structure) when ds is
  // closed or empty.
  explicit TLinha(host::TClientDataSet& ds);
  TLinha(std::vector<host::TFieldDef> campos, std::vector<host::Value> valores);

  bool Vazia() const { return valores_.empty(); }
  bool Tem(std::string_view campo) const { return indice(campo, false) >= 0; }
  std::string S(std::string_view campo) const;
  double F(std::string_view campo) const;
  TDateTime D(std::string_view campo) const { return F(campo); }
  bool Nulo(std::string_view campo) const;

 private:
  int indice(std::string_view campo, bool exige) const;
  std::vector<host::TFieldDef> campos_;
  std::vector<host::Value> valores_;
};

// The company as a file names it: the batch branch when it has one, else the
// company row. Some banks take the short name (NMFILIAL / NMEMPRESA).
struct TIdentidade {
  std::string nome, curto, tipo, inscricao;
  bool filial = false;  // from the branch: some banks type a branch's tax id differently
};

// The sacador/avalista configured on the batch account.
struct TAvalista {
  std::string inscricao, nome, tipo;  // CDSACAVALISTA, NMSACAVALISTA, IDTPIJURSAC
  bool completo() const { return !inscricao.empty() && !nome.empty(); }
};

class TTitulo;

// The batch being written, as the run fixed it before the writer started.
class TRemessa {
 public:
  TLinha CNABRec;             // the batch row: numbers, operation, account and branch fields
  TLinha ContaCorr;           // the batch account
  TLinha ContaCorrCobr;       // the collection account, for the banks that take one
  TLinha EmprBanc;            // the company's parameters at the account's bank
  TLinha Empresa;             // the company row
  TLinha Filial;              // the batch branch; empty when the batch has none
  TLinha PrimeiroTitulo;      // the first marked title (the portfolio every marked title shares)
  std::string IdentRec;       // the company's identification at the bank
  std::string IdConta;        // the account's own identification (empty when it has none)
  std::string ContaLembrada;  // the account number as the account was validated
  std::string Arquivo;        // the operator's path
  TDateTime DataProc = 0;     // the processing date of the operator's branch
  TDateTime Agora = 0;        // the run's clock
  const host::TMessages* Catalogo = nullptr;

  std::string Operacao() const { return CNABRec.S("IDOPECNABREC"); }
  TDateTime Hoje() const;
  TIdentidade Identidade() const;  // branch first
  TIdentidade Cadastro() const;    // the company row alone
  TAvalista Avalista() const;
  // A bank parameter of the company; empty when the bank has no such parameter.
  std::string Parametro(std::string_view campo) const;

  // The account helpers on the batch row.
  int TamanhoNossoNumero() const;
  std::string ContaCorrente() const;     // without its check digit
  std::string DacContaCorrente() const;  // its check digit (last stored character)
  std::string ContaCobranca() const;
  std::string DvContaCobranca() const;

  std::string Msg(const std::string& key) const;
  // Stops the run with the catalogue's message.
  [[noreturn]] void Erro(const std::string& key) const;
  // Stops the run with the catalogue's message about a title, named first.
  [[noreturn]] void Recusa(TTitulo& t, const std::string& key) const;
};

// A title's per-title records, as the server keeps them.
enum class TRegistro { DocBol, Duplicata, LicencaUso, TxBoletos, InstruBol, EnderecoCliente, EnderecoFilial };

// The payer of a title: the override record when the server has one for it,
// otherwise the title's client and the client's billing address.
struct TPagador {
  bool override = false;
  std::string tipo, inscricao, nome, fantasia, endereco, bairro, cep, cidade, uf;
  // The name the banks print: the override record's trade name, the client's legal name.
  const std::string& Nome() const { return override ? fantasia : nome; }
};

// One marked title. Its records are loaded when the writer first asks for
// them, from what the run has already read for all of its titles.
class TTitulo {
 public:
  virtual ~TTitulo() = default;
  // A field of the title's row in the titles list.
  virtual host::TField Campo(std::string_view nome) = 0;
  // The title's records of a kind (the client's billing address for
  // EnderecoCliente, the title branch's principal address for EnderecoFilial).
  virtual host::TClientDataSet& Registros(TRegistro tipo) = 0;
  // The electronic-invoice access key.
  virtual std::string ChaveAcesso() = 0;

  std::string S(std::string_view n) { return Campo(n).AsString(); }
  double F(std::string_view n) { return Campo(n).AsFloat(); }
  TDateTime D(std::string_view n) { return Campo(n).AsDateTime(); }
  bool Nulo(std::string_view n) { return Campo(n).IsNull(); }
  // "0001/1004": branch and number, as the operator knows the title.
  std::string Chave() { return S("CDFILIAL") + "/" + S("NRLANBOLREC"); }
  // A field of the title's first record of a kind; empty when it has none.
  std::string Registro(TRegistro tipo, std::string_view campo);
  TPagador Pagador();
};

// What most writers read of a title before its records, read once: the
// fields as stored, nothing a bank computes its own way.
struct TValoresTitulo {
  explicit TValoresTitulo(TTitulo& t);
  double valor;              // VRFINALBREC
  TDateTime dataVencimento;  // DTVENBOLREC
  double desconto;           // VRPEDESCBCLI: a percentage of the value
  std::string impressao;     // IDIMPRBOLBOL: who prints the slip ("B" the bank)
  std::string nosso;         // CDNOSNUMREC as stored
  std::string carteira;      // CDCARTCOBBOL without its punctuation
  std::string ins1, ins2;    // CDINS1COBBOL, CDINS2COBBOL
  std::string controle;      // CDFILIAL and NRLANBOLREC: the company's own key of the title
  TPagador pagador;
  // The company prints the slip ("E", "F") and the title has its number.
  bool EmpresaNumera() const { return (impressao == "E" || impressao == "F") && !nosso.empty(); }
};

// The batch's marked titles, in the list's order.
class TTitulos {
 public:
  virtual ~TTitulos() = default;
  // Visits every marked title; a value the bank could not read (ECampo) is
  // named with its title on the way out.
  void ParaCada(const std::function<void(TTitulo&)>& fn) { Percorre(Nomeia(fn), true); }
  // The same walk for a writer's checks before its file exists: what would
  // refuse a title stops the run before any record is written. It leaves
  // the run's work beside the writer to the walk that writes.
  void Verifica(const std::function<void(TTitulo&)>& fn) { Percorre(Nomeia(fn), false); }

 protected:
  // escrevendo: the walk that writes the file (the run may start its work
  // beside the writer after its first title).
  virtual void Percorre(const std::function<void(TTitulo&)>& fn, bool escrevendo) = 0;

 private:
  static std::function<void(TTitulo&)> Nomeia(const std::function<void(TTitulo&)>& fn);
};

// The characters of a stored nosso número that stand in the bank's number:
// punctuation dropped, the digits and a check digit "P" kept (a letter that
// is left stops the field that reads it).
std::string NossoNumero(std::string_view s);

// Occurrence code of the batch's operation kind: inclusion "01", exclusion
// "02"; anything else, alteration included, asks the bank to alter ("06").
// A receiver with codes of its own for the last two gives them.
std::string Ocorrencia(const std::string& idOpeCnabRec, std::string_view exclusao = "02",
                       std::string_view alteracao = "06");

class Record;
// An address the layout keeps but the file leaves empty, from pos: the street
// (and district, where the layout has one) blank in endereco positions, the
// postcode and its suffix as zeros, the city blank in cidade, the state blank.
void EnderecoVazio(Record& r, int pos, int endereco, int cidade);

}  // namespace layouts
