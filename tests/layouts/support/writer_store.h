// What every writer test stands on: a store with one account of the bank and
// its titles, holding data as operators type it, the real run, and the file
// checked whole before a test reads its fields.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "layouts/file_check.h"
#include "support/store.h"

namespace testsupport {

using nlohmann::json;

// Account "001" of company 01 at the bank (its layout and agreement code):
// agency "123-4", account "00098765-4", agreement code "12345-6", a person
// as guarantor with tax id "123.456.789-09", the account's remittance
// sequence at 41.
json ContaDigitada(const std::string& banco);
// A title of client C2 on account "001": due 2026-12-20, worth 1234.56,
// nosso número "12345678-9", portfolio "109" of kind "1", printed by the
// company. Client C2 is a person ("123.456.789-09") whose name holds a line
// break and whose billing address has postcode "01310-100".
json TituloDigitado(const std::string& numero);

class TLoja {
 public:
  // The bank's account and title "1001".
  explicit TLoja(const std::string& banco);

  json dados;  // the import fixture: {"TABLE": [rows]}
  json& conta() { return dados["CONTCORR"][0]; }
  json& titulo(size_t i = 0) { return dados["BOLETOREC"][i]; }
  // A run of operation op (0 inclusion, 1 exclusion, 2 alteration): exclusion
  // and alteration offer only titles already sent, so the title is made one.
  TOpcoesGeracao Operacao(int op) {
    if (op > 0) {
      titulo()["IDSITUCNABR"] = "10";
      titulo()["IDBOLRECALTER"] = "1";
    }
    TOpcoesGeracao o;
    o.operacao = op;
    return o;
  }
  // Another title like the first, numbered so.
  json& NovoTitulo(const std::string& numero);
  // A row for a table of the fixture (EMPRBANC, LICENCAUSO, TXBOLETO...).
  void Linha(const std::string& tabela, json linha) { dados[tabela].push_back(std::move(linha)); }
  // The company's parameters at the bank.
  json& EmprBanc();
  // The company's stored tax id, for the banks that refuse one whose stored
  // text is longer than 14 characters (the store's is "12.345.678/0001-95").
  std::string inscricaoEmpresa;

  // Runs the generation and checks the file as a bank would (each record of
  // the family's length and ended by CR LF, Windows-1252 without control
  // characters, sequences, lots and counts, and these numeric fields): a
  // fault fails the test. The records, without their CR LF.
  std::vector<std::string> Gera(const TOpcoesGeracao& o = {},
                                std::span<const layouts::TCampoNumerico> numericos = {});
  // The catalogue key the run stops with, its text in Mensagem(); empty when
  // the file was written. A refused run leaves no file at the path.
  std::string Recusa(const TOpcoesGeracao& o = {});
  const std::string& Mensagem() const { return mensagem_; }
  TStore& Store() { return *store_; }

 private:
  void Abre();
  std::unique_ptr<TStore> store_;
  std::string mensagem_;
};

}  // namespace testsupport
