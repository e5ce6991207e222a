// Sudameris files generated end to end on the shared store (agency "123-4",
// account "00098765-4", nosso número "12345678-9", the company's CNPJ as
// typed): Banco Real's layout under the batch's own bank code, checked whole
// and read back by position where the bank departs from it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <span>
#include <string>

#include "fields/text.h"
#include "layouts/support/writer_store.h"

namespace {

using fields::PadR;
using fields::Replicate;
using json = nlohmann::json;
using namespace std::string_literals;
using testsupport::field;
using testsupport::TLoja;
using testsupport::TOpcoesGeracao;

// What the bank reads as numbers; the check digits of agency and account may
// be blank. The title number comes last: a stored check character "P" stands
// in it.
constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 14}, {'0', 53, 5},   {'0', 58, 1, true}, {'0', 59, 12}, {'0', 71, 1, true}, {'0', 144, 28},
    {'0', 226, 3}, {'1', 19, 15},  {'1', 54, 5},       {'1', 60, 12}, {'1', 184, 24},     {'P', 18, 5},
    {'P', 24, 12}, {'P', 38, 7},   {'P', 58, 4},       {'P', 78, 28}, {'P', 107, 2},      {'P', 110, 86},
    {'P', 221, 4}, {'P', 228, 12}, {'Q', 18, 16},      {'Q', 129, 8}, {'Q', 154, 16},     {'Q', 210, 3},
    {'R', 18, 72}, {'R', 200, 16}, {'R', 217, 12},     {'R', 231, 1}, {'5', 18, 98},      {'9', 18, 18},
    {'P', 45, 13},
};
const auto kSemNossoNumero = std::span(kNumericos).first(std::size(kNumericos) - 1);

const std::string kConta = "000000098765";  // 00098765-4 without its check digit

// The bank's own code on every record; tax ids, agency and account as
// digits, the company's CNPJ too, though typed with its punctuation; no
// portfolio in segment P, whatever the title's.
TEST(SudamerisRemessa, BankCodeAndTypedPunctuationAsDigits) {
  TLoja l("347");
  const auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 7u);
  for (const auto& r : recs) EXPECT_EQ(field(r, 1, 3), "347");
  EXPECT_EQ(field(recs[0], 18, 55),
            "2"s + "12345678000195" + PadR("123400098765BA", 20) + "01234" + "4" + kConta + "4" + " ");
  EXPECT_EQ(field(recs[0], 164, 3), "040");
  EXPECT_EQ(field(recs[1], 9, 65),
            "R01  040 2"s + "012345678000195" + Replicate(" ", 20) + "01234 " + kConta + "  ");
  EXPECT_EQ(field(recs[2], 18, 45),
            "01234 " + kConta + "  " + "0000000" + "0000123456789" + "000" + "2" + " ");
  EXPECT_EQ(field(recs[3], 18, 16), "1"s + "123456789" + "0000" + "09");
}

// "02" for an exclusion, "01" for anything else; the trailers count what
// was written.
TEST(SudamerisRemessa, MovementAndTrailers) {
  const std::pair<int, std::string> casos[] = {{0, "01"}, {1, "02"}, {2, "01"}};
  for (const auto& [operacao, movimento] : casos) {
    SCOPED_TRACE(operacao);
    TLoja l("347");
    l.NovoTitulo("1002");
    for (json& t : l.dados["BOLETOREC"]) t["IDSITUCNABR"] = operacao == 0 ? "00" : "20";
    TOpcoesGeracao o;
    o.operacao = operacao;
    const auto recs = l.Gera(o, kNumericos);
    ASSERT_EQ(recs.size(), 10u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(field(recs[2 + i], 14, 4), "PQR"s[i % 3] + (" " + movimento)) << i;
    EXPECT_EQ(field(recs[8], 18, 6), "000008");
    EXPECT_EQ(field(recs[9], 4, 32), "99999" + Replicate(" ", 9) + "000001000010000000");
  }
}

// With numbers of seven digits (or no size) the last seven of the stored
// number's characters, else its last thirteen: punctuation dropped first, so
// that no separator reaches the bank.
TEST(SudamerisRemessa, TitleNumber) {
  struct TCaso {
    json tamanho;
    const char* nosso;
    std::string numero;
  };
  const TCaso casos[] = {
      {"[SEQ07]", "1234-5", "000000" + "0012345"s},    {"[SEQ07]", "123456-7", "000000" + "1234567"s},
      {nullptr, "12P3-45", "000000" + "012P345"s},     {"[SEQ11]", "12345678901-P", "012345678901P"},
      {"09[SEQ11]", "00000700034-4", "0000007000344"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nosso);
    TLoja l("347");
    l.conta()["DSNOSNUMCORR"] = c.tamanho;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    const auto recs = l.Gera({}, c.numero.find('P') == std::string::npos ? kNumericos : kSemNossoNumero);
    EXPECT_EQ(field(recs[2], 38, 20), "0000000" + c.numero);
  }
}

// A company that is a person: its CPF as digits in both headers.
TEST(SudamerisRemessa, CompanyThatIsAPerson) {
  testsupport::TStore store(TLoja("347").dados.dump());
  store.Server().Conexao().Exec("UPDATE EMPRESA SET NRINSJUREMPR = '123.456.789-09', IDTPIJUREMPR = 'F'");
  store.Gerar({});
  const auto recs = store.Registros(240);
  EXPECT_EQ(field(recs[0], 18, 15), "1"s + "00012345678909");
  EXPECT_EQ(field(recs[1], 18, 16), "1"s + "123456789000009");
}

// A title without value never divides; days ask for protest unless the
// title says not to.
TEST(SudamerisRemessa, ChargeAndProtest) {
  struct TCaso {
    json campos;
    std::string encargo, protesto;
  };
  const TCaso casos[] = {
      {{{"VRMORDIABREC", 1.5}, {"VRPEMULBREC", 2.0}, {"VRFINALBREC", 0.0}},
       "220122026000000000000200",
       "300"},
      {{{"VRMULTABREC", 3.0}, {"VRFINALBREC", 0.0}, {"QTDIAPROTBOL", 5}}, "3" + Replicate("0", 23), "105"},
      {{{"VRMULTABREC", 10.0}, {"VRFINALBREC", 200.0}, {"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 5}},
       "220122026000000000000500",
       "300"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campos.dump());
    TLoja l("347");
    l.titulo().update(c.campos);
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[2], 118, 24), c.encargo);
    EXPECT_EQ(field(recs[2], 221, 3), c.protesto);
  }
}

// A letter in the title number, or a company tax id of more than 14 digits,
// stops the run before the file.
TEST(SudamerisRemessa, RefusedBeforeTheFile) {
  struct TCaso {
    const char *nosso, *inscricao, *chave, *texto;
  };
  const TCaso casos[] = {
      {"1234A67-9", "", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 045-057 do registro 3P"},
      {"12345678-9", "12.345.678/0001-955", "INSCRICAO_INV", ""},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.chave);
    TLoja l("347");
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    l.inscricaoEmpresa = c.inscricao;
    EXPECT_EQ(l.Recusa(), c.chave);
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

}  // namespace
