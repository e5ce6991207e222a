#include <gtest/gtest.h>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;
using fields::PadR;

namespace {

const auto B = [](size_t n) { return std::string(n, ' '); };
const auto Z = [](size_t n) { return std::string(n, '0'); };

// The positions the receiver reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 27, 4},   {'0', 31, 8},   {'0', 77, 3},  {'0', 95, 6},   {'0', 386, 9},  {'1', 2, 22},
    {'1', 24, 6},   {'1', 63, 17},  {'1', 84, 11}, {'1', 121, 6},  {'1', 127, 21}, {'1', 151, 6},
    {'1', 161, 58}, {'1', 219, 16}, {'1', 327, 8}, {'1', 370, 24},
};

// A title with its duplicate, two instructions, a discount and a daily interest value.
TLoja Completa() {
  TLoja l("999");
  auto& t = l.titulo();
  t["CDINS1COBBOL"] = "06";
  t["CDINS2COBBOL"] = "9";
  t["VRPEDESCBCLI"] = 10.0;
  t["VRMORDIABREC"] = 1.5;
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "NF-1234567"}, {"NRPARCELA", "2"}});
  return l;
}

// The records of a run whose company row was changed after the store was laid.
std::vector<std::string> ComEmpresa(TLoja& l, const std::string& update) {
  TStore s(l.dados.dump());
  s.Server().Conexao().Exec("UPDATE EMPRESA SET " + update);
  s.Gerar({});
  return s.Registros(400);
}

}  // namespace

// Every field of the header and of the detail, in order, from data typed
// with its punctuation; the trailer is the common one.
TEST(Fomento, HeaderAndDetailByPosition) {
  auto recs = Completa().Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA05COBRANCASIMPLES");
  EXPECT_EQ(field(h, 27, 20), "123400987654" + B(8));  // agency 123-4, account 00098765-4
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(h, 77, 24), "999NAFM           081226");
  EXPECT_EQ(field(h, 101, 280), B(280));
  EXPECT_EQ(field(h, 381, 20), "V.1.8000000042000001");  // the account's sequence 41, drawn as 42

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37), "10112345678000195000100987654" + B(8));  // a company: "01"
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 17), "00000000123456789");  // nosso número 12345678-9
  EXPECT_EQ(field(d, 80, 29), B(3) + "2109" + Z(8) + B(14));
  EXPECT_EQ(field(d, 109, 2), "01");
  EXPECT_EQ(field(d, 111, 10), "-1234567/2");  // the last ten of "NF-1234567/2"
  EXPECT_EQ(field(d, 121, 19), "2012260000000123456");
  EXPECT_EQ(field(d, 140, 17), Z(8) + "01 081226");
  EXPECT_EQ(field(d, 157, 4), "069 ");
  EXPECT_EQ(field(d, 161, 13), "0000000000150");
  EXPECT_EQ(field(d, 174, 19), "2012260000000012346");  // 10% of 1234,56
  EXPECT_EQ(field(d, 193, 26), Z(26));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");                  // a person: "01"
  EXPECT_EQ(field(d, 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 37), "CONSOLACAO  01310100SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 43), B(18) + "00" + Z(14) + Z(8) + " ");
  EXPECT_EQ(recs[2], "9" + B(393) + "000003");
}

// The receiver reads a company that is a person as "02", the other way round
// from the payer's code.
TEST(Fomento, CompanyRegistrationType) {
  for (auto [tipo, codigo] : {std::pair{"F", "02"}, std::pair{"J", "01"}, std::pair{"", "01"}}) {
    TLoja l("999");
    const auto recs = ComEmpresa(l, std::string("IDTPIJUREMPR = '") + tipo + "'");
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(field(recs[1], 2, 2), codigo) << tipo;
  }
}

// The bank's title number only for slips the company prints; the issue code
// says who prints.
TEST(Fomento, PrintingCodeDecidesNossoNumero) {
  const struct {
    const char *impressao, *nosso, *esperado, *emissao;
  } casos[] = {
      {"E", "123-4", "00000000000001234", "2"},      {"F", "12345678-9", "00000000123456789", "2"},
      {"B", "12345678-9", "00000000000000000", "1"}, {"", "12345678-9", "00000000000000000", "1"},
      {"B", "", "00000000000000000", "1"},
  };
  for (const auto& c : casos) {
    TLoja l("999");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 63, 17), c.esperado) << c.impressao << " " << c.nosso;
    EXPECT_EQ(field(d, 83, 1), c.emissao) << c.impressao;
  }
}

// The receiver's occurrence codes: an entry "01", a drop "04", an alteration "13".
TEST(Fomento, OccurrenceFollowsTheOperation) {
  for (auto [op, codigo] : {std::pair{0, "01"}, std::pair{1, "04"}, std::pair{2, "13"}}) {
    TLoja l("999");
    const TOpcoesGeracao o = l.Operacao(op);
    EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), codigo) << op;
  }
}

// The remittance sequence keeps its last nine digits: two files of a
// ten-digit sequence in a row carry different numbers.
TEST(Fomento, RemittanceSequenceKeepsItsLastDigits) {
  for (auto [gravada, esperada] : {std::pair{1233456788LL, "233456789"}, std::pair{1233456789LL, "233456790"},
                                   std::pair{41LL, "000000042"}}) {
    TLoja l("999");
    l.conta()["NRSEQREMESSAREC"] = gravada;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[0], 386, 9), esperada) << gravada;
  }
}

// The override record gives the payer by its trade name; the next title's
// client, without tax id or postcode, gets zeros rather than the previous one's.
TEST(Fomento, PayerOverrideAndClientWithoutData) {
  TLoja l("999");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Razão que não vai"},
                         {"NMFANTLUSO", "Três Corações"},
                         {"DSENDELUSO", "Rodovia BR-116, Km 23"},
                         {"NMBAIRLUSO", "Distrito Industrial"},
                         {"NRCEPLUSO", "44.380-000"},
                         {"NMMUNICIPIO", "Cruz das Almas"},
                         {"SGESTADO", "BA"}});
  l.dados["CLIENTE"].push_back({{"CDCLIENTE", "C3"}, {"NMRAZSOCCLIE", "Outro"}, {"IDTPIJURCLIE", "J"}});
  l.Linha("ENDECLIE", {{"CDCLIENTE", "C3"},
                       {"IDTPENDECLIE", "C"},
                       {"CDPAIS", "1058"},
                       {"SGESTADO", "SP"},
                       {"CDMUNICIPIO", "3550"},
                       {"DSENDECLIE", "Rua Dois, 2"}});
  l.NovoTitulo("1002")["CDCLIENTE"] = "C3";
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[1], 219, 16), "0255666777000100");
  EXPECT_EQ(field(recs[1], 235, 40), PadR("TRES CORACOES", 40));
  EXPECT_EQ(field(recs[1], 315, 37), "DISTRITO IND44380000CRUZ DAS ALMAS BA");
  EXPECT_EQ(field(recs[2], 219, 16), "02" + Z(14));
  EXPECT_EQ(field(recs[2], 327, 8), Z(8));
  EXPECT_EQ(field(recs[2], 111, 10), B(10));         // no duplicate
  EXPECT_EQ(field(recs[2], 157, 17), B(4) + Z(13));  // no instructions, no interest
  EXPECT_EQ(recs[3], "9" + B(393) + "000004");
}

// What the receiver could not read stops the run before the file, naming the
// title even when it is the last one.
TEST(Fomento, UnreadableValuesStopTheRun) {
  {
    TLoja l("999");
    l.inscricaoEmpresa = "12.345.678/0001-951";
    EXPECT_EQ(l.Recusa(), "INSCRICAO_INV");
  }
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-079 do registro 1"},
      {"CDCARTCOBBOL", "1A", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 084-086 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"VRMORDIABREC", -1.5, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 161-173 do registro 1"},
      {"VRPEDESCBCLI", 1e12, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 180-192 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l("999");
    l.NovoTitulo("1002")[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
