#include <gtest/gtest.h>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;

namespace {

const auto B = [](size_t n) { return std::string(n, ' '); };
const auto Z = [](size_t n) { return std::string(n, '0'); };

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 30, 8},  {'0', 95, 6},   {'0', 200, 8},  {'1', 4, 14},   {'1', 63, 9},
    {'1', 72, 11}, {'1', 121, 6},  {'1', 127, 13}, {'1', 140, 3},  {'1', 151, 6},
    {'1', 159, 2}, {'1', 161, 13}, {'1', 174, 45}, {'1', 221, 14}, {'1', 327, 8},
};

void Duplicata(TLoja& l, const char* numero) {
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", numero}, {"NRPARCELA", "1"}});
}

}  // namespace

// Every field of the header and the detail, from data typed with its
// punctuation; the trailer is the common one.
TEST(BankBoston, HeaderAndDetail) {
  TLoja l("479");
  l.EmprBanc()["CDEMPBANCREC"] = " 4.321.987-0";
  l.titulo()["CDINS1COBBOL"] = "6";
  l.titulo()["QTDIAPROTBOL"] = 5.0;
  l.titulo()["VRPEMORBREC"] = 1.0;
  Duplicata(l, " NF2024/77");
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA       ");
  EXPECT_EQ(field(h, 27, 20), "00943219870" + B(9));  // an account not in production: a test file
  EXPECT_EQ(field(h, 47, 30),
            fields::PadR("EMPRESA TESTE COMERCIO LTDA", 30));  // the company, not the branch
  EXPECT_EQ(field(h, 77, 32), "479BANCO DE BOSTON08122601600BPI");
  EXPECT_EQ(field(h, 109, 286), B(91) + Z(8) + B(187));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37), "10212345678000195" + B(20));
  EXPECT_EQ(field(d, 38, 25), "00011001" + B(17));
  EXPECT_EQ(field(d, 63, 20), "123456789" + Z(11));  // nosso número 12345678-9
  EXPECT_EQ(field(d, 83, 28), " R$  " + B(20) + "301");
  EXPECT_EQ(field(d, 111, 10), "NF2024/77 ");  // the document, trimmed
  EXPECT_EQ(field(d, 121, 19), "2012260000000123456");
  EXPECT_EQ(field(d, 140, 17), "479" + B(5) + "DMA081226");
  EXPECT_EQ(field(d, 157, 4), "0605");
  EXPECT_EQ(field(d, 161, 13), "0000000001235");  // 1% of 1234,56 a day
  EXPECT_EQ(field(d, 174, 45), "000000" + Z(39));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), fields::PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 37), fields::PadR("RUA AUGUSTA, 1500  APTO 12", 37));
  EXPECT_EQ(field(d, 312, 23), B(15) + "01310100");
  EXPECT_EQ(field(d, 335, 17), "SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 43), B(43));
  EXPECT_EQ(recs[2], "9" + B(393) + "000003");
}

// Only an account in production sends a production file.
TEST(BankBoston, FilePhase) {
  for (auto [fase, codigo] : {std::pair{"P", "1"}, std::pair{"T", "9"}, std::pair{"", "9"}}) {
    TLoja l("479");
    l.conta()["IDFASCNABREC"] = fase;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[0], 29, 1), codigo) << fase;
  }
}

// The company's own slips ("E", "F") carry its stored number, digits and a
// check digit "P"; the bank numbers the rest.
TEST(BankBoston, NossoNumeroFollowsWhoPrints) {
  const struct {
    const char *impressao, *nosso;
    std::string esperado;
  } casos[] = {
      {"E", "12345678-9", "123456789"}, {"F", "12345-6", "000123456"}, {"E", "1234567-P", "01234567P"},
      {"B", "12345678-9", Z(9)},        {"", "12345678-9", Z(9)},      {"B", "", Z(9)},
  };
  for (const auto& c : casos) {
    TLoja l("479");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    // The shared check reads digits only; the bank's "P" is this layout's own.
    std::span<const layouts::TCampoNumerico> numericos = kNumericos;
    if (c.esperado.back() == 'P') numericos = {};
    EXPECT_EQ(field(l.Gera({}, numericos)[1], 63, 9), c.esperado) << c.impressao << " " << c.nosso;
  }
}

// A daily amount stands before the percentage, a stored zero too; protest
// days are whole days.
TEST(BankBoston, InterestAndProtestDays) {
  const struct {
    json diaria, percentual, dias;
    std::string juros, protesto;
  } casos[] = {
      {2.5, 1.0, 10.0, "0000000000250", "10"},
      {0.0, 1.0, 7.9, Z(13), "07"},
      {nullptr, 2.0, nullptr, "0000000000400", "00"},  // 2% of 200,00
      {nullptr, nullptr, 0.0, Z(13), "00"},
  };
  for (const auto& c : casos) {
    TLoja l("479");
    l.titulo()["VRFINALBREC"] = 200.0;
    l.titulo()["VRMORDIABREC"] = c.diaria;
    l.titulo()["VRPEMORBREC"] = c.percentual;
    l.titulo()["QTDIAPROTBOL"] = c.dias;
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 161, 13), c.juros) << c.diaria << " " << c.percentual;
    EXPECT_EQ(field(d, 159, 2), c.protesto) << c.dias;
  }
}

// A person is "01"; every other letter, or none, keeps the field's two digits as "02".
TEST(BankBoston, PayerType) {
  for (auto [tipo, codigo] : {std::pair{"", "02"}, std::pair{"F", "01"}, std::pair{"J", "02"},
                              std::pair{"I", "02"}, std::pair{"O", "02"}, std::pair{"X", "02"}}) {
    TLoja l("479");
    l.dados["CLIENTE"][0]["IDTPIJURCLIE"] = tipo;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 219, 2), codigo) << tipo;
  }
}

// The override record gives the whole payer, its city and state included,
// even right after a title whose client lives elsewhere.
TEST(BankBoston, PayerOverrideAfterAClient) {
  TLoja l("479");
  l.NovoTitulo("1002");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1002"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Três Corações Ltda"},
                         {"NMFANTLUSO", "Não vai"},
                         {"DSENDELUSO", "  Rodovia BR-116, Km 23"},
                         {"NRCEPLUSO", "37.410-000"},
                         {"NMMUNICIPIO", "Três Corações"},
                         {"SGESTADO", "MG"}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[1], 335, 17), "SAO PAULO      SP");
  const auto& d = recs[2];
  EXPECT_EQ(field(d, 219, 16), "0255666777000100");
  EXPECT_EQ(field(d, 235, 40), fields::PadR("TRES CORACOES LTDA", 40));
  EXPECT_EQ(field(d, 275, 37), fields::PadR("RODOVIA BR-116, KM 23", 37));
  EXPECT_EQ(field(d, 327, 25), "37410000TRES CORACOES  MG");
}

// Removal is "02"; an alteration, which the layout cannot express, stops
// the run instead of going out as an entry.
TEST(BankBoston, Operation) {
  TLoja l("479");
  l.titulo()["IDSITUCNABR"] = "10";  // exclusion and alteration offer titles already sent
  l.titulo()["IDBOLRECALTER"] = "1";
  TOpcoesGeracao o;
  o.operacao = 1;
  EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), "02");
  o.operacao = 2;
  EXPECT_EQ(l.Recusa(o), "OPER_NAO_EXPRESSA");
}

// What the bank could not read stops the run before the file, naming the
// title even when it is the last one, or the batch for the header.
TEST(BankBoston, UnreadableValuesStopTheRun) {
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDEMPBANCREC", "AB-12", "CAMPO_NUM_INV", "o campo 030-037 do registro 0"},
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-071 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"VRMORDIABREC", -1.0, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 161-173 do registro 1"},
      {"NRINSJURCLIE", "123.456.78X-09", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 221-234 do registro 1"},
      {"NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 327-334 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l("479");
    const std::string campo = c.campo;
    if (campo == "CDEMPBANCREC")
      l.EmprBanc()[campo] = c.valor;
    else if (campo == "NRINSJURCLIE")
      l.dados["CLIENTE"][0][campo] = c.valor;
    else if (campo == "NRCEPCLIE")
      l.dados["ENDECLIE"][0][campo] = c.valor;
    else
      l.NovoTitulo("1002")[campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
