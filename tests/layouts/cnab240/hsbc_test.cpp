// HSBC files generated end to end on the shared store (data as operators type
// it: agency "123-4", account "00098765-4", company CNPJ "12.345.678/0001-95",
// nosso número "12345678-9"), the real run, the whole file checked, and the
// records read back by position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;

namespace {

using fields::PadR;
using fields::Replicate;
using namespace std::string_literals;

// What the bank reads as numbers.
constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 14}, {'0', 40, 19}, {'0', 59, 14},  {'0', 144, 28}, {'1', 10, 7},
    {'1', 19, 15}, {'1', 41, 33}, {'1', 184, 24}, {'P', 18, 6},   {'P', 24, 12},
    {'P', 37, 12}, {'P', 58, 5},  {'P', 78, 31},  {'P', 110, 86}, {'P', 221, 19},
    {'Q', 18, 16}, {'Q', 129, 8}, {'Q', 154, 16}, {'5', 18, 98},  {'9', 18, 18},
};

const std::string kEmpresa = PadR("EMPRESA TESTE COMERCIO LTDA", 30);
const std::string kConvenio = "0012340009876";  // agency 1234, the account's first seven digits
const std::string kConta = "000000987654";      // 00098765-4, check digit included

std::vector<std::string> Gera(TLoja& l, const TOpcoesGeracao& o = {}) {
  return l.Gera(o, kNumericos);
}

// Segment P of the store's title with these fields.
std::string SegmentoP(const json& campos) {
  SCOPED_TRACE(campos.dump());
  TLoja l("399");
  l.titulo().update(campos);
  return Gera(l)[2];
}

// Agency, account, tax ids, postcode and nosso número as operators type them
// reach the bank as digits; a company CNPJ typed with its punctuation is
// sent, not refused; text loses accents and line breaks.
TEST(HSBCRemessa, TypedPunctuationBecomesDigits) {
  TLoja l("399");
  const auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 6u);
  const std::string& h = recs[0];
  EXPECT_EQ(field(h, 9, 64), Replicate(" ", 9) + "2" + "12345678000195" + "COBCNAB" + kConvenio + "01234" +
                                 "0" + kConta + "00");
  EXPECT_EQ(field(h, 73, 168), kEmpresa + PadR("BANCO 399", 30) + Replicate(" ", 10) + "1" + "08122026" +
                                   "103000" + "000042" + "010" + "00000" + "S" + Replicate(" ", 11) + "S" +
                                   Replicate(" ", 56));
  const std::string& lote = recs[1];
  EXPECT_EQ(field(lote, 9, 65),
            "R0100010 2"s + "012345678000195" + "COB" + "    " + kConvenio + "001234" + "0" + kConta + "0");
  EXPECT_EQ(field(lote, 74, 167),
            kEmpresa + Replicate(" ", 80) + "00000001" + "08122026" + "00000000" + Replicate(" ", 33));
  const std::string& p = recs[2];
  EXPECT_EQ(field(p, 18, 45),
            "012340"s + kConta + " 0" + "00123456789" + Replicate(" ", 9) + "1" + "2" + "1" + "22");
  EXPECT_EQ(field(p, 63, 55),
            PadR("00011001", 15) + "20122026" + "000000000123456" + "001234" + "02" + "A" + "08122026");
  EXPECT_EQ(field(p, 142, 99), "0" + Replicate("0", 53) + PadR("00011001", 25) + "300" + "2" + "000" + "09" +
                                   Replicate("0", 10) + " ");
  const std::string& q = recs[3];
  EXPECT_EQ(field(q, 18, 56), "1"s + "000012345678909" + PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(q, 74, 80), PadR("RUA AUGUSTA, 1500  APTO 12", 38) + "  " + PadR("CONSOLACAO", 15) +
                                  "01310100" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(q, 154, 87), "0" + Replicate("0", 15) + Replicate(" ", 71));
}

// Three titles: details numbered 1 to 6, P before Q, each with the batch's
// movement; the lot counts its headers too, the file every record.
TEST(HSBCRemessa, MovementSequenceAndTrailers) {
  const std::pair<int, std::string> casos[] = {{0, "01"}, {1, "02"}, {2, "06"}};
  for (const auto& [operacao, movimento] : casos) {
    SCOPED_TRACE(movimento);
    TLoja l("399");
    l.NovoTitulo("1002");
    l.NovoTitulo("1003");
    // exclusions and alterations are offered the titles already at the bank
    for (json& t : l.dados["BOLETOREC"]) t["IDSITUCNABR"] = operacao == 0 ? "00" : "20";
    TOpcoesGeracao o;
    o.operacao = operacao;
    const auto recs = Gera(l, o);
    ASSERT_EQ(recs.size(), 10u);
    for (const auto& r : recs) EXPECT_EQ(field(r, 1, 3), "399");
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(field(recs[2 + i], 4, 14),
                "00013" + fields::Ajusta(std::to_string(i + 1), 5) + "PQ"[i % 2] + " " + movimento);
    EXPECT_EQ(field(recs[8], 4, 237),
              "00015" + Replicate(" ", 9) + "000008" + Replicate("0", 92) + Replicate(" ", 125));
    EXPECT_EQ(field(recs[9], 4, 237),
              "99999" + Replicate(" ", 9) + "000001" + "000010" + "000000" + Replicate(" ", 205));
  }
}

// The company is always the registered one, even for a batch of a branch
// with a tax id of its own; a person's CPF is zero-filled as digits.
TEST(HSBCRemessa, CompanyIsTheRegisteredOne) {
  TLoja l("399");
  l.Linha("FILIAL", {{"CDFILIAL", "0002"},
                     {"CDEMPRESA", "01"},
                     {"NMFILIAL", "Filial Dois"},
                     {"IDTPIJURFILI", "J"},
                     {"NRINSJURFILI", "99.999.999/0002-99"},
                     {"NMRAZSOCFILI", "Filial Dois Comércio"}});
  TOpcoesGeracao o;
  o.filial = "0002";
  auto recs = Gera(l, o);
  EXPECT_EQ(field(recs[0], 18, 15), "2"s + "12345678000195");
  EXPECT_EQ(field(recs[1], 18, 16), "2"s + "012345678000195");
  EXPECT_EQ(field(recs[1], 74, 30), kEmpresa);

  TStore store(TLoja("399").dados.dump());
  store.Server().Conexao().Exec("UPDATE EMPRESA SET NRINSJUREMPR = '123.456.789-09', IDTPIJUREMPR = 'F'");
  store.Gerar({});
  recs = store.Registros(240);
  EXPECT_EQ(field(recs[0], 18, 15), "1"s + "00012345678909");
  EXPECT_EQ(field(recs[1], 18, 16), "1"s + "000012345678909");
}

// A batch without agency or account keeps every position: the agency goes
// as five zeros and a blank, as the bank has always been sent it.
TEST(HSBCRemessa, EmptyAgencyAndAccountKeepEveryPosition) {
  TLoja l("399");
  l.conta()["CDAGENCIA"] = nullptr;
  l.conta()["CDCONTCORR"] = nullptr;
  const auto recs = l.Gera();
  EXPECT_EQ(field(recs[0], 40, 33), Replicate("0", 13) + "00000" + "0" + Replicate("0", 12) + "00");
  EXPECT_EQ(field(recs[1], 41, 33), Replicate("0", 13) + "00000 " + Replicate("0", 13) + "0");
  EXPECT_EQ(field(recs[2], 18, 20), "00000 " + Replicate("0", 12) + " 0");
  EXPECT_EQ(field(recs[2], 101, 6), "00000 ");
}

// Nosso número from its digits, slip issue and distribution, portfolio
// kind and registration form (058-062).
TEST(HSBCRemessa, TitleNumberSlipAndPortfolio) {
  struct TCaso {
    json campos;
    std::string numero, codigos;
  };
  const TCaso casos[] = {
      {{{"CDNOSNUMREC", "1234567890-1"}}, "12345678901", "12122"},  // no digit lost, no hyphen
      {{{"CDNOSNUMREC", "9.876.543.210-12"}}, "87654321012", "12122"},
      {{{"CDNOSNUMREC", ""}, {"IDIMPRBOLBOL", "B"}}, Replicate("0", 11), "12191"},
      {{{"IDCARTCOBREC", "3"}, {"IDFORMCADBREC", "1"}}, "00123456789", "31122"},
  };
  for (const TCaso& c : casos)
    EXPECT_EQ(field(SegmentoP(c.campos), 38, 25), c.numero + Replicate(" ", 9) + c.codigos) << c.campos;
}

// Charge block (118-141): the percentage wins over the daily amount, both as
// money.
TEST(HSBCRemessa, ChargeBlock) {
  const std::pair<json, std::string> casos[] = {
      {{{"VRPEMORBREC", 2.5}, {"VRMORDIABREC", 1.5}}, "2" + Replicate("0", 8) + "000000000000250"},
      {{{"VRPEMORBREC", 0.033}}, "2" + Replicate("0", 8) + "000000000000003"},
      {{{"VRMORDIABREC", 1.5}}, "1" + Replicate("0", 8) + "000000000000150"},
      {json::object(), "3" + Replicate("0", 23)},
  };
  for (const auto& [campos, encargo] : casos) EXPECT_EQ(field(SegmentoP(campos), 118, 24), encargo) << campos;
}

// The bank's protest codes, and the days as a whole number: one day goes as
// two, none as "00" whatever the code.
TEST(HSBCRemessa, ProtestCodeAndDays) {
  const std::pair<json, std::string> casos[] = {
      {{{"CDDIAPROTBOL", "1"}, {"QTDIAPROTBOL", 5}}, "405"},
      {{{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 10}}, "510"},
      {{{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 45}}, "345"},
      {{{"QTDIAPROTBOL", 1}}, "302"},
      {{{"CDDIAPROTBOL", "1"}, {"QTDIAPROTBOL", 2.5}}, "402"},
      {{{"CDDIAPROTBOL", "1"}, {"QTDIAPROTBOL", 0}}, "400"},
      {{{"CDDIAPROTBOL", "9"}}, "300"},
  };
  for (const auto& [campos, protesto] : casos)
    EXPECT_EQ(field(SegmentoP(campos), 221, 3), protesto) << campos;
}

// The payer override record names the payer by its trade name.
TEST(HSBCRemessa, PayerOverrideInSegmentQ) {
  TLoja l("399");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Razão Social"},
                         {"NMFANTLUSO", "Fantasia Açaí"},
                         {"DSENDELUSO", "Rodovia BR-116, Km 23, Galpão 4, Bloco B"},
                         {"NMBAIRLUSO", "Distrito Industrial"},
                         {"NRCEPLUSO", "37410-000"},
                         {"NMMUNICIPIO", "Três Corações"},
                         {"SGESTADO", "MG"}});
  const std::string q = Gera(l)[3];
  EXPECT_EQ(field(q, 18, 136), "2"s + "055666777000100" + PadR("FANTASIA ACAI", 40) +
                                   "RODOVIA BR-116, KM 23, GALPAO 4, BLOCO" + "  " + "DISTRITO INDUST" +
                                   "37410000" + "TRES CORACOES  " + "MG");
}

// A letter where the bank reads a number, or a value wider than its field,
// stops the run before the file, naming the batch or the title and the
// field; so does a company tax id of more than 14 digits.
TEST(HSBCRemessa, UnreadableNumbersStopTheRun) {
  struct TCaso {
    const char *tabela, *campo;
    json valor;
    const char *chave, *texto;
  };
  const TCaso casos[] = {
      {"CONTCORR", "CDAGENCIA", "12A4", "CAMPO_NUM_INV", "Remessa: o campo 040-052 do registro 0"},
      {"CONTCORR", "CDCONTCORR", "0009876X-4", "CAMPO_NUM_INV", "Remessa: o campo 059-070 do registro 0"},
      {"BOLETOREC", "CDNOSNUMREC", "1234A67-9", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 038-048 do registro 3P"},
      {"BOLETOREC", "VRFINALBREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 086-100 do registro 3P"},
      {"BOLETOREC", "VRMORDIABREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-141 do registro 3P"},
      {"CLIENTE", "NRINSJURCLIE", "123.456.789-0X", "CAMPO_NUM_INV",
       "Boleto 0001/1001: o campo 019-033 do registro 3Q"},
      {"ENDECLIE", "NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV",
       "Boleto 0001/1001: o campo 129-136 do registro 3Q"},
      {"EMPRESA", "", "12.345.678/0001-955", "INSCRICAO_INV", ""},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.valor.dump());
    TLoja l("399");
    l.NovoTitulo("1002");
    if (std::string(c.tabela) == "EMPRESA")
      l.inscricaoEmpresa = c.valor.get<std::string>();
    else
      l.dados[c.tabela][std::string(c.tabela) == "BOLETOREC" ? 1 : 0][c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave);
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

}  // namespace
