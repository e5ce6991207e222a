#include <gtest/gtest.h>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;
using fields::PadR;

namespace {

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 27, 20}, {'0', 95, 6},   {'0', 111, 7},  {'1', 22, 3},   {'1', 25, 5},  {'1', 30, 8},
    {'1', 71, 12}, {'1', 121, 6},  {'1', 127, 13}, {'1', 151, 6},  {'1', 159, 2}, {'1', 161, 13},
    {'1', 174, 6}, {'1', 180, 13}, {'1', 193, 26}, {'1', 221, 14}, {'1', 327, 8},
};

const std::string z13(13, '0');

// Client C3 of the given type, without tax id, its billing address without
// postcode, for title numero.
json& OutroCliente(TLoja& l, const std::string& numero, const std::string& tipo) {
  l.dados["CLIENTE"].push_back({{"CDCLIENTE", "C3"}, {"NMRAZSOCCLIE", "Outro"}, {"IDTPIJURCLIE", tipo}});
  l.Linha("ENDECLIE", {{"CDCLIENTE", "C3"},
                       {"IDTPENDECLIE", "C"},
                       {"CDPAIS", "1058"},
                       {"SGESTADO", "SP"},
                       {"CDMUNICIPIO", "3550"},
                       {"DSENDECLIE", "Rua Dois, 2"}});
  l.NovoTitulo(numero)["CDCLIENTE"] = "C3";
  return l.dados["CLIENTE"].back();
}

}  // namespace

// Every field of the header and the detail, from data typed with its
// punctuation; the trailer is the common one.
TEST(Alfa, HeaderAndDetail) {
  TLoja l("025");
  l.EmprBanc()["CDEMPBANCREC"] = "4.321.987-0";
  l.dados["BANCO"][0]["NMBANCO"] = "Banco Alfa de Investimentos";
  l.titulo()["CDINS1COBBOL"] = "6";
  l.titulo()["QTDIAPROTBOL"] = 5;
  l.titulo()["VRPEMORBREC"] = 1.0;
  l.Linha("TXBOLETO",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"TXMENSBOLBOL", "Não receber\r\napós"}});
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "NF-77"}, {"NRPARCELA", "1"}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA       ");
  EXPECT_EQ(field(h, 27, 20), "00000000000043219870");
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));  // the company, not the branch
  EXPECT_EQ(field(h, 77, 24), "025BANCO ALFA DE I081226");               // the account's bank
  EXPECT_EQ(field(h, 101, 17), std::string(8, ' ') + "760000001");
  EXPECT_EQ(field(h, 118, 277), std::string(277, ' '));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 21), "1" + std::string(19, ' ') + "0");
  EXPECT_EQ(field(d, 22, 16),
            "109"
            "01234"
            "00987654");  // agency 123-4, account 00098765-4
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 8), "02500000");
  EXPECT_EQ(field(d, 71, 12), "000123456789");  // nosso número 12345678-9
  EXPECT_EQ(field(d, 83, 26), std::string(10, '0') + "2 " + std::string(10, '0') + "    ");
  EXPECT_EQ(field(d, 109, 2), "01");
  EXPECT_EQ(field(d, 111, 10), "NF-77   01");
  EXPECT_EQ(field(d, 121, 19), "2012260000000123456");
  EXPECT_EQ(field(d, 140, 17), "0000000001N081226");
  EXPECT_EQ(field(d, 157, 4), "0605");
  EXPECT_EQ(field(d, 161, 13), "0000000001235");  // 1% of 1234,56 a day
  EXPECT_EQ(field(d, 174, 45), "000000" + z13 + z13 + z13);
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 20), std::string(12, ' ') + "01310100");
  EXPECT_EQ(field(d, 335, 60), PadR("NAO RECEBER  APOS", 60));
  EXPECT_EQ(recs[2], "9" + std::string(393, ' ') + "000003");
}

// The company prints its slips ("E", the default, and "F") with the stored
// nosso número; the bank numbers the ones it prints.
TEST(Alfa, PrintingCodeDecidesNossoNumero) {
  const struct {
    const char *impressao, *nosso, *esperado, *emissao;
  } casos[] = {
      {"B", "12345678-9", "000000000000", "1"},
      {"", "12345678-9", "000123456789", "2"},
      {"F", "12345-6", "000000123456", "2"},
      {"E", "123456789012", "123456789012", "2"},
  };
  for (const auto& c : casos) {
    TLoja l("025");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 71, 12), c.esperado) << c.impressao << " " << c.nosso;
    EXPECT_EQ(field(d, 93, 1), c.emissao) << c.impressao;
  }
}

// A daily amount stands before the percentage, a stored zero too; the
// discount percentage gives the due date and its amount.
TEST(Alfa, DailyChargeAndDiscount) {
  const struct {
    json diaria, percentual, desconto;
    std::string juros, desconto174;
  } casos[] = {
      {2.5, 1.0, nullptr, "0000000000250", "000000" + z13},
      {0.0, 1.0, nullptr, z13, "000000" + z13},
      {nullptr, 2.0, 0.0, "0000000000400", "000000" + z13},
      {nullptr, nullptr, 5.0, z13,
       "201226"
       "0000000001000"},  // 5% of 200,00
  };
  for (const auto& c : casos) {
    TLoja l("025");
    l.titulo()["VRFINALBREC"] = 200.0;
    l.titulo()["VRMORDIABREC"] = c.diaria;
    l.titulo()["VRPEMORBREC"] = c.percentual;
    l.titulo()["VRPEDESCBCLI"] = c.desconto;
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 161, 13), c.juros) << c.diaria << " " << c.percentual;
    EXPECT_EQ(field(d, 174, 19), c.desconto174) << c.desconto;
  }
}

// The payer's type, every letter keeping the field's two digits.
TEST(Alfa, PayerType) {
  for (auto [tipo, codigo] : {std::pair{"", "98"}, std::pair{"F", "01"}, std::pair{"J", "02"},
                              std::pair{"I", "99"}, std::pair{"O", "99"}, std::pair{"X", "99"}}) {
    TLoja l("025");
    l.dados["CLIENTE"][0]["IDTPIJURCLIE"] = tipo;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 219, 2), codigo) << tipo;
  }
}

// The override record gives the payer by its corporate name; the next
// title's client, without tax id or postcode, gets zeros, not the previous one's.
TEST(Alfa, PayerOverrideAndClientWithoutData) {
  TLoja l("025");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Três Corações Ltda"},
                         {"NMFANTLUSO", "Não vai"},
                         {"DSENDELUSO", "  Rodovia BR-116, Km 23"},
                         {"NRCEPLUSO", "44.380-000"}});
  OutroCliente(l, "1002", "J");
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[1], 219, 16), "0255666777000100");
  EXPECT_EQ(field(recs[1], 235, 40), PadR("TRES CORACOES LTDA", 40));
  EXPECT_EQ(field(recs[1], 275, 40), PadR("RODOVIA BR-116, KM 23", 40));
  EXPECT_EQ(field(recs[1], 327, 8), "44380000");
  const auto& d = recs[2];
  EXPECT_EQ(field(d, 111, 10), PadR("1002", 10));  // no duplicate: the title number
  EXPECT_EQ(field(d, 219, 16), "02" + std::string(14, '0'));
  EXPECT_EQ(field(d, 235, 40), PadR("OUTRO", 40));
  EXPECT_EQ(field(d, 275, 40), PadR("RUA DOIS, 2", 40));
  EXPECT_EQ(field(d, 327, 8), std::string(8, '0'));
  EXPECT_EQ(field(d, 157, 4), "0000");  // no instruction, no protest days
}

// The occurrence code tells the bank the batch's operation.
TEST(Alfa, OccurrenceFollowsTheOperation) {
  for (auto [op, codigo] : {std::pair{1, "02"}, std::pair{2, "06"}}) {
    TLoja l("025");
    const TOpcoesGeracao o = l.Operacao(op);
    EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), codigo) << op;
  }
}

// What the bank could not read stops the run before the file, naming the
// title even when it is the last one, or the batch for the header.
TEST(Alfa, UnreadableValuesStopTheRun) {
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDCONTCORR", "0009876X-4", "CAMPO_NUM_INV", "o campo 030-037 do registro 1"},
      {"CDEMPBANCREC", "AB-12", "CAMPO_NUM_INV", "o campo 027-046 do registro 0"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"VRFINALBREC", -10.0, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 071-082 do registro 1"},
      {"VRMORDIABREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 161-173 do registro 1"},
      {"NRINSJURCLIE", "123.456.78X-09", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 221-234 do registro 1"},
      {"NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 327-334 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l("025");
    const std::string campo = c.campo;
    if (campo == "CDCONTCORR")
      l.conta()[campo] = c.valor;
    else if (campo == "CDEMPBANCREC")
      l.EmprBanc()[campo] = c.valor;
    else if (campo == "NRCEPCLIE")
      l.dados["ENDECLIE"][0][campo] = c.valor;
    else if (campo == "NRINSJURCLIE")
      OutroCliente(l, "1002", "F")[campo] = c.valor;
    else
      l.NovoTitulo("1002")[campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
