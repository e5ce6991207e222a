#include <gtest/gtest.h>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;
using fields::PadR;

namespace {

const auto B = [](size_t n) { return std::string(n, ' '); };
const auto Z = [](size_t n) { return std::string(n, '0'); };

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 27, 20},  {'0', 77, 3},   {'0', 95, 6},   {'1', 2, 16},   {'1', 63, 8},
    {'1', 84, 3},   {'1', 121, 6},  {'1', 127, 13}, {'1', 140, 10}, {'1', 151, 6},
    {'1', 161, 13}, {'1', 174, 45}, {'1', 219, 16}, {'1', 327, 8},  {'1', 392, 2},
};

// A title with its duplicate, a message the first instruction asks for, a
// discount and a daily interest value.
TLoja Completa() {
  TLoja l("092");
  l.EmprBanc()["CDEMPBANCREC"] = "4.321.987-0";
  auto& t = l.titulo();
  t["CDINS1COBBOL"] = "93";
  t["CDINS2COBBOL"] = "06";
  t["VRPEDESCBCLI"] = 10.0;
  t["VRMORDIABREC"] = 1.5;
  t["QTDIAPROTBOL"] = 5;
  l.Linha("TXBOLETO", {{"CDFILIAL", "0001"},
                       {"NRLANBOLREC", "1001"},
                       {"TXMENSBOLBOL", "Não receber após o vencimento. Cobrar juros."}});
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "NF-1234567"}, {"NRPARCELA", "2"}});
  return l;
}

// Another client, "Cliente" and its code, with a billing address without postcode.
void Cliente(TLoja& l, const char* codigo, const char* tipo, const char* inscricao) {
  l.dados["CLIENTE"].push_back({{"CDCLIENTE", codigo},
                                {"NMRAZSOCCLIE", std::string("Cliente ") + codigo},
                                {"IDTPIJURCLIE", tipo},
                                {"NRINSJURCLIE", inscricao}});
  l.Linha("ENDECLIE", {{"CDCLIENTE", codigo},
                       {"IDTPENDECLIE", "C"},
                       {"CDPAIS", "1058"},
                       {"SGESTADO", "SP"},
                       {"CDMUNICIPIO", "3550"},
                       {"DSENDECLIE", "Rua Dois, 2"}});
}

}  // namespace

// Every field of the header and of the detail, in order, from data typed
// with its punctuation. The header's company code is the company's at the
// bank, the detail's the account's beneficiary code: they differ.
TEST(Brickell, HeaderAndDetailByPosition) {
  auto recs = Completa().Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA       ");
  EXPECT_EQ(field(h, 27, 20), "00000000000043219870");
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));  // the company row, not the branch
  EXPECT_EQ(field(h, 77, 24), "092BANCO 092      081226");
  EXPECT_EQ(field(h, 101, 294), B(294));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 17), "10212345678000195");
  EXPECT_EQ(field(d, 18, 20), PadR("12345-6", 20));
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 8), "12345678");  // the first eight digits of "12345678-9"
  EXPECT_EQ(field(d, 71, 13), B(13));
  EXPECT_EQ(field(d, 84, 3), "109");
  EXPECT_EQ(field(d, 87, 21), B(21));
  EXPECT_EQ(field(d, 108, 3), "101");
  EXPECT_EQ(field(d, 111, 10), "-1234567/2");  // the last ten of "NF-1234567/2"
  EXPECT_EQ(field(d, 121, 6), "201226");
  EXPECT_EQ(field(d, 127, 13), "0000000123456");
  EXPECT_EQ(field(d, 140, 17),
            "092000000"
            "1N081226");
  EXPECT_EQ(field(d, 157, 4), "9306");
  EXPECT_EQ(field(d, 161, 13), "0000000000150");
  EXPECT_EQ(field(d, 174, 19), "2012260000000012346");  // 10% of 1234,56
  EXPECT_EQ(field(d, 193, 26), Z(26));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 30), PadR("JOSE DA SILVA COMERCIO", 30));  // the line break is a blank
  EXPECT_EQ(field(d, 265, 10), B(10));
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 12), "CONSOLACAO  ");
  EXPECT_EQ(field(d, 327, 25), "01310100SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 30), "NAO RECEBER APOS O VENCIMENTO.");
  EXPECT_EQ(field(d, 382, 13), B(10) + "05 ");

  EXPECT_EQ(recs[2], "9" + B(393) + "000003");
}

// A title without duplicate, instructions, discount, interest or
// protest days: blanks and zeros where the bank expects them; the discount
// date is still the due date. Without an identification at the bank the
// header's code is zeros; the second title alone marked still gives the
// batch account's bank code and name.
TEST(Brickell, EmptyValues) {
  TLoja l("092");
  l.NovoTitulo("1002");
  TOpcoesGeracao o;
  o.boletos = {"0001/1002"};
  auto recs = l.Gera(o, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(field(recs[0], 27, 20), Z(20));
  EXPECT_EQ(field(recs[0], 77, 18), "092BANCO 092      ");
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 111, 10), B(10));
  EXPECT_EQ(field(d, 157, 4), B(4));
  EXPECT_EQ(field(d, 161, 13), Z(13));
  EXPECT_EQ(field(d, 174, 19), "201226" + Z(13));
  EXPECT_EQ(field(d, 352, 30), B(30));
  EXPECT_EQ(field(d, 392, 2), "00");
}

// The daily charge: the stored daily value when there is one, a stored zero
// included; else the percentage of the title's value; else zeros.
TEST(Brickell, DailyCharge) {
  const struct {
    json diaria, percentual;
    const char* juros;
  } casos[] = {
      {nullptr, nullptr, "0000000000000"},
      {1.5, 2.0, "0000000000150"},
      {nullptr, 2.0, "0000000002469"},  // 2% of 1234,56
      {0.0, 2.0, "0000000000000"},
  };
  for (const auto& c : casos) {
    TLoja l("092");
    l.titulo()["VRMORDIABREC"] = c.diaria;
    l.titulo()["VRPEMORBREC"] = c.percentual;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 161, 13), c.juros) << c.diaria << " " << c.percentual;
  }
}

// The bank's title number only for slips the company prints; the message
// only when an instruction asks the bank to print it.
TEST(Brickell, NossoNumeroAndMessage) {
  const struct {
    const char *impressao, *nosso, *ins1, *ins2;
    bool mensagem;
  } casos[] = {
      {"E", "12345678", "93", "", true},
      {"F", "12345678", "01", "94", true},
      {"B", "00000000", "01", "02", false},
      {"", "00000000", "", "", false},
  };
  for (const auto& c : casos) {
    TLoja l("092");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDINS1COBBOL"] = c.ins1;
    l.titulo()["CDINS2COBBOL"] = c.ins2;
    l.Linha("TXBOLETO",
            {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"TXMENSBOLBOL", "Linha um\r\nlinha dois"}});
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 63, 8), c.nosso) << c.impressao;
    EXPECT_EQ(field(d, 352, 30), PadR(c.mensagem ? "LINHA UM  LINHA DOIS" : "", 30)) << c.ins1 << c.ins2;
  }
}

// The override record gives the payer, by its trade name; the next title's
// payer, without tax id or postcode, gets zeros rather than the previous one's.
TEST(Brickell, PayerOverrideAndPayerWithoutTaxId) {
  TLoja l("092");
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
  Cliente(l, "C3", "J", "");
  l.NovoTitulo("1002")["CDCLIENTE"] = "C3";
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 219, 16), "0255666777000100");
  EXPECT_EQ(field(d, 235, 30), PadR("TRES CORACOES", 30));
  EXPECT_EQ(field(d, 275, 52), PadR("RODOVIA BR-116, KM 23", 40) + "DISTRITO IND");
  EXPECT_EQ(field(d, 327, 25), "44380000CRUZ DAS ALMAS BA");
  EXPECT_EQ(field(recs[2], 219, 16), "02" + Z(14));
  EXPECT_EQ(field(recs[2], 235, 30), PadR("CLIENTE C3", 30));
  EXPECT_EQ(field(recs[2], 327, 8), Z(8));
}

// The occurrence code tells the bank the batch's operation.
TEST(Brickell, OccurrenceFollowsTheOperation) {
  for (auto [op, codigo] : {std::pair{0, "01"}, std::pair{1, "02"}, std::pair{2, "06"}}) {
    TLoja l("092");
    const TOpcoesGeracao o = l.Operacao(op);
    EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), codigo) << op;
  }
}

// What the bank could not read stops the run before the file, naming the
// title, even when it is the last one.
TEST(Brickell, UnreadableTitlesStopTheRun) {
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-070 do registro 1"},
      {"CDCARTCOBBOL", "1A", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 084-086 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"VRMORDIABREC", -1.5, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 161-173 do registro 1"},
      {"QTDIAPROTBOL", 2.5, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 392-393 do registro 1"},
      {"CDCLIENTE", "C4", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 221-234 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l("092");
    Cliente(l, "C4", "F", "123.456.78X-09");
    l.NovoTitulo("1002")[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
