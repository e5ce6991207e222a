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
    {'0', 27, 14}, {'0', 95, 9},   {'1', 18, 16},  {'1', 63, 37}, {'1', 108, 3}, {'1', 121, 26},
    {'1', 148, 2}, {'1', 151, 68}, {'1', 219, 16}, {'1', 327, 8}, {'1', 392, 3}, {'2', 2, 22},
};

// The company's parameters at the bank: fine records, and the agreement's portfolio.
void Parametros(TLoja& l, json linhaComp, json tipo, json impressao, json carteira) {
  auto& p = l.EmprBanc();
  p["IDGERLINHACOMP"] = linhaComp;
  p["IDCARTCOBR"] = tipo;
  p["IDIMPRBOLETO"] = impressao;
  p["CDCARTCOBR"] = carteira;
}

}  // namespace

// Every field of the header and the detail, from data typed with its
// punctuation. The header names the company, not the payer of a title.
TEST(Nordeste, HeaderAndDetailByPosition) {
  TLoja l("004");
  Parametros(l, "N", "1", "B", "21");
  auto& t = l.titulo();
  t["CDINS1COBBOL"] = "01";
  t["CDINS2COBBOL"] = "93";
  t["VRPEDESCBCLI"] = 10.0;
  t["VRMORDIABREC"] = 1.5;
  t["VRPEMULBREC"] = 2.5;
  t["QTDIAPROTBOL"] = 5;
  l.Linha("TXBOLETO", {{"CDFILIAL", "0001"},
                       {"NRLANBOLREC", "1001"},
                       {"TXMENSBOLBOL", "Não receber após o vencimento.\r\nCobrar juros de mora."}});
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "NF-1234567"}, {"NRPARCELA", "2"}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA       ");
  EXPECT_EQ(field(h, 27, 20), "12340000987654" + B(6));  // agency 123-4, account 00098765-4
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(h, 77, 27), "004B. DO NORDESTE 081226031");
  EXPECT_EQ(field(h, 104, 291), B(291));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37), "1" + B(16) + "1234000098765402" + B(4));  // fine 2,5%: 2 whole
  EXPECT_EQ(field(d, 38, 25), B(25));
  EXPECT_EQ(field(d, 63, 8), "23456789");  // the last eight digits of "12345678-9"
  EXPECT_EQ(field(d, 71, 37), Z(29) + B(8));
  EXPECT_EQ(field(d, 108, 3), "101");          // kind 1, printed by the bank, portfolio 21
  EXPECT_EQ(field(d, 111, 10), "-1234567/2");  // the last ten of "NF-1234567/2"
  EXPECT_EQ(field(d, 121, 19), "2012260000000123456");
  EXPECT_EQ(field(d, 140, 21), "0000000 01N0812260005");
  EXPECT_EQ(field(d, 161, 13), "0000000000150");
  EXPECT_EQ(field(d, 174, 19), "2012260000000012346");  // 10% of 1234,56
  EXPECT_EQ(field(d, 193, 26), Z(26));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 37), "CONSOLACAO  01310100SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 43), "NAO RECEBER APOS O VENCIMENTO.  COBRAR J050");
  EXPECT_EQ(recs[2], "9" + B(393) + "000003");
}

// Position 108 from the company's parameters; a kind the table does not name,
// or no parameters at all, is "0" rather than a stop mid-file.
TEST(Nordeste, PortfolioCode) {
  const struct {
    json tipo, impressao, carteira;
    const char* codigo;
  } casos[] = {
      {"1", "B", "21", "1"}, {"1", "E", "21", "4"}, {"2", "B", "41", "2"},
      {"2", "E", "41", "5"}, {"2", "E", "21", "0"}, {"1", "F", "21", "0"},
      {"", "B", "21", "0"},  {"X", "E", "41", "0"}, {nullptr, nullptr, nullptr, "0"},
  };
  for (const auto& c : casos) {
    TLoja l("004");
    if (!c.tipo.is_null()) Parametros(l, "N", c.tipo, c.impressao, c.carteira);
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 108, 1), c.codigo) << c.tipo << c.impressao << c.carteira;
  }
}

// With fine records on, each follows its detail, numbered after it; the fine
// is an amount, else a percentage, else none, from the day after the due date.
TEST(Nordeste, FineRecords) {
  TLoja l("004");
  Parametros(l, "S", "1", "B", "21");
  l.titulo()["DTVENBOLREC"] = "2026-12-31";
  l.titulo()["VRMULTABREC"] = 25.0;
  l.titulo()["VRPEMULBREC"] = 2.0;
  l.NovoTitulo("1002")["VRPEMULBREC"] = 2.5;
  l.NovoTitulo("1003");
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 8u);
  const char* tipos = "01212129";
  for (size_t i = 0; i < recs.size(); ++i) {
    EXPECT_EQ(field(recs[i], 1, 1), std::string(1, tipos[i])) << i;
    EXPECT_EQ(field(recs[i], 395, 6), fields::Ajusta(std::to_string(i + 1), 6)) << i;
  }
  // The list runs by due date: the title due on the year's last day comes last.
  EXPECT_EQ(field(recs[2], 1, 23), "2221122026" + Z(10) + "250");
  EXPECT_EQ(field(recs[4], 1, 23), "2021122026" + Z(13));
  EXPECT_EQ(recs[6], "2101012027" + Z(9) + "2500" + B(371) + "000007");
}

// The fine percentage in whole units at 032-033 and the protest days' last
// two digits at 392-393; a null is zero.
TEST(Nordeste, WholeUnits) {
  const struct {
    json percentual, dias;
    const char *multa, *protesto;
  } casos[] = {
      {nullptr, nullptr, "00", "00"},
      {2.5, 5, "02", "05"},
      {12.0, 30.0, "12", "30"},
      {99.9, 120, "99", "20"},
  };
  for (const auto& c : casos) {
    TLoja l("004");
    l.titulo()["VRPEMULBREC"] = c.percentual;
    l.titulo()["QTDIAPROTBOL"] = c.dias;
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 32, 2), c.multa) << c.percentual;
    EXPECT_EQ(field(d, 392, 2), c.protesto) << c.dias;
  }
}

// The bank's number: zeros for a slip the bank prints; else the stored
// number's last eight digits, however long it was stored. An account of more
// than eight digits keeps its last eight, in the detail as in the header.
TEST(Nordeste, NossoNumeroAndLongAccount) {
  for (auto [impressao, nosso, esperado] :
       {std::tuple{"B", "12345678-9", "00000000"}, std::tuple{"E", "123-4", "00001234"},
        std::tuple{"F", "0000000001.2345678-9", "23456789"}}) {
    TLoja l("004");
    l.conta()["CDCONTCORR"] = "12345678-9";
    l.titulo()["IDIMPRBOLBOL"] = impressao;
    l.titulo()["CDNOSNUMREC"] = nosso;
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[1], 63, 8), esperado) << impressao << " " << nosso;
    EXPECT_EQ(field(recs[0], 33, 8), "23456789");
    EXPECT_EQ(field(recs[1], 24, 8), "23456789");
  }
}

// Refused before the file: a batch that drops or alters titles, which this
// layout would send as new registrations; a company tax id wider than the
// bank reads; what the bank could not read, naming the title even when it is
// the last one.
TEST(Nordeste, RefusedBeforeTheFile) {
  for (int operacao : {1, 2}) {
    TLoja l("004");
    const TOpcoesGeracao o = l.Operacao(operacao);
    EXPECT_EQ(l.Recusa(o), "OPER_NAO_EXPRESSA") << operacao;
    EXPECT_NE(l.Mensagem().find("banco 004"), std::string::npos) << l.Mensagem();
  }
  {
    TLoja l("004");
    l.inscricaoEmpresa = "12.345.678/0001-951";
    EXPECT_EQ(l.Recusa(), "INSCRICAO_INV");
  }
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"VRPEMULBREC", 100.0, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 032-033 do registro 1"},
      {"VRPEMULBREC", -2.0, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 032-033 do registro 1"},
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-070 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"QTDIAPROTBOL", -5, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 392-393 do registro 1"},
      {"VRMULTABREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 011-023 do registro 2"},
  };
  for (const auto& c : casos) {
    TLoja l("004");
    Parametros(l, "S", "1", "B", "21");
    l.NovoTitulo("1002")[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
