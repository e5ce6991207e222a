// What the banks that take Bradesco's CNAB 400 layout share (Bradesco, Alfa,
// BRR, Banco Português), and the few value rules other writers of the family
// give the same way. A bank calls these for the positions where it reads as
// Bradesco does and states only where it departs.
#pragma once

#include <string>
#include <string_view>

#include "layouts/cnab400/cnab400.h"
#include "layouts/record.h"
#include "layouts/remessa.h"

namespace layouts::cnab400 {

// The batch account as the bank numbers it: the agency's first four digits
// and the account's last eight, its check digit included.
struct TContaBradesco {
  std::string agencia, conta;
};
TContaBradesco ContaBradesco(const TRemessa& rem);

// Header 027-117: the company's code at the bank, the company and the bank,
// the system the file is for ("MX" at Bradesco) and the file's number among
// the account's remittances; the bank goes on at 118.
struct TCabecalhoBradesco {
  std::string codigo;          // 027-046, a number
  std::string empresa;         // 047-076
  std::string banco;           // 077-079
  std::string nomeBanco;       // 080-094
  TDateTime data;              // 095-100
  std::string sistema = "MX";  // 109-110
  std::string sequencia;       // 111-117, a number
};
void CabecalhoBradesco(Record& r, const TCabecalhoBradesco& c);

// Header 118-394 of a discount batch: the account's discount authorisation
// after "DESC", then its agency and account, each the bank's digits.
void CabecalhoDesconto(Record& r, const std::string& autorizacao, const std::string& agencia,
                       const std::string& conta);

// Detail 002-020 of a title without automatic debit: the payer's debit
// agency and account, zeros with their blank check digits.
void SemDebito(Record& r);

// Detail 021-062: the company at the bank ("0", the portfolio, the agency
// and the account with its check digit) and the company's own key of the
// title, which the bank returns with it.
void Beneficiario(Record& r, const std::string& carteira, const TContaBradesco& conta,
                  const std::string& controle);

// Detail 063-070 of a collection: no debit bank ("000"), then the fine, "2"
// and its percentage when the title has one, "0" and zeros otherwise.
void Multa(Record& r, TTitulo& t);

// Detail 219-334: the payer's registration type (each bank's own code), its
// tax id's first 14 digits, name and address in 40 positions each (the
// address without its leading blanks), a blank district and the postcode's
// last eight digits.
void PagadorBradesco(Record& r, const std::string& tipo, const TPagador& p);

// Detail 335-394 of a title without guarantor: the slip's message.
std::string Mensagem60(TTitulo& t);

// Header 047-108 of the banks that ask the recording density (BankBoston,
// Unibanco): EmpresaEBanco, then "01600" and "BPI".
void EmpresaBancoEDensidade(Record& r, const std::string& empresa, std::string_view banco,
                            const std::string& nomeBanco, TDateTime data);

// A nosso número as Unibanco and Mercantil read it: ten digits and the check
// digit, the last digit stored. A title without one sends zeros in all
// eleven positions (the number empty, the check digit "0").
struct TNossoDv {
  std::string numero, dv;
};
TNossoDv NossoComDv(const std::string& gravado);

// The discount's amount (the title's percentage of its value) formatted to
// cents as it stands, without the rounding Money applies first, as Bradesco,
// Alfa, BRR and Daycoval send it. None without a discount.
std::string DescontoSemArredondar(const TValores& v);

// Interest per day the same way, formatted as it stands: the stored daily
// value when there is one (a stored zero included), else the monthly
// percentage of valor, else none.
std::string JurosSemArredondar(TTitulo& t, double valor);

// Positions 109-218 of a discount detail: the occurrence, the document, the
// due date and value, blanks for the collecting bank and agency, species
// "01", a blank acceptance and zeros for the terms a discount does not carry.
void Desconto109(Record& r, const std::string& ocorrencia, const std::string& documento, const TValores& v);

}  // namespace layouts::cnab400
