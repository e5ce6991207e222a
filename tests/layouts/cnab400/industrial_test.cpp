#include <gtest/gtest.h>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;
using fields::PadR;

namespace {

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 77, 3},  {'0', 95, 6},   {'1', 4, 14},   {'1', 63, 11},  {'1', 87, 3, true},
    {'1', 91, 13}, {'1', 108, 1},  {'1', 121, 6},  {'1', 127, 13}, {'1', 140, 3},
    {'1', 151, 6}, {'1', 161, 13}, {'1', 174, 6},  {'1', 180, 13}, {'1', 221, 14},
    {'1', 327, 8}, {'1', 392, 2},  {'5', 124, 14}, {'5', 190, 8},
};

const std::string kCodigo = PadR("4.321.987-0", 20);

TLoja Industrial() {
  TLoja l("604");
  l.EmprBanc()["CDEMPBANCREC"] = "4.321.987-0";
  return l;
}

// Branch "0002" of the company, in another city, with title numero on it.
void OutraFilial(TLoja& l, const std::string& numero) {
  l.Linha(
      "MUNICIPIO",
      {{"CDPAIS", "1058"}, {"SGESTADO", "MG"}, {"CDMUNICIPIO", "3106"}, {"NMMUNICIPIO", "Belo Horizonte"}});
  l.Linha("FILIAL", {{"CDFILIAL", "0002"},
                     {"CDEMPRESA", "01"},
                     {"NMFILIAL", "Filial BH"},
                     {"IDTPIJURFILI", "J"},
                     {"NRINSJURFILI", "12.345.678/0002-76"},
                     {"NMRAZSOCFILI", "Filial BH"}});
  l.Linha("ENDEFILI", {{"CDFILIAL", "0002"},
                       {"IDTPENDEFILI", "P"},
                       {"CDPAIS", "1058"},
                       {"SGESTADO", "MG"},
                       {"CDMUNICIPIO", "3106"},
                       {"DSENDEFILI", "Rua São\tPaulo, 20"},
                       {"NMBAIRFILI", "Centro"},
                       {"NRCEPFILI", "30.130-000"}});
  auto& t = l.NovoTitulo(numero);
  t["CDFILIAL"] = "0002";
  t["CDFILIBOLREC"] = "0002";
}

}  // namespace

// Every field of the header, the detail and the company's record, from data
// typed with its punctuation; the header names the company, not the batch branch.
TEST(Industrial, HeaderDetailAndCompanyRecord) {
  TLoja l = Industrial();
  l.titulo()["VRPEDESCBCLI"] = 10.0;
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "NF-77"}, {"NRPARCELA", "1"}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 46), "01REMESSA01COBRANCA       " + kCodigo);
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(h, 77, 24), "604BANCO 604      081226");
  EXPECT_EQ(field(h, 101, 294), std::string(294, ' '));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 17), "10412345678000195");
  EXPECT_EQ(field(d, 18, 20), kCodigo);
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 11), "00123456789");  // nosso número 12345678-9
  EXPECT_EQ(field(d, 74, 13), std::string(13, ' '));
  EXPECT_EQ(field(d, 87, 21),
            "109"
            "0" +
                std::string(13, '0') +
                "00"
                "  ");
  EXPECT_EQ(field(d, 108, 13), "101NF-77/1   ");
  EXPECT_EQ(field(d, 121, 19), "2012260000000123456");
  EXPECT_EQ(field(d, 140, 21), "6040000001N0812260000");  // empty instructions are zeros
  EXPECT_EQ(field(d, 161, 13), std::string(13, '0'));
  EXPECT_EQ(field(d, 174, 19), "2012260000000012346");  // 10% of 1234,56
  EXPECT_EQ(field(d, 193, 26), std::string(26, '0'));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 30), PadR("JOSE DA SILVA COMERCIO", 30));  // the line break is a blank
  EXPECT_EQ(field(d, 265, 10), std::string(10, ' '));
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 12), "CONSOLACAO  ");
  EXPECT_EQ(field(d, 327, 25), "01310100SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 30), "QUELVORA COMERCIAL IMPORTADORA");
  EXPECT_EQ(field(d, 382, 13), std::string(10, ' ') + "000");

  const auto& e = recs[2];
  EXPECT_EQ(field(e, 1, 121), "5" + std::string(120, ' '));
  EXPECT_EQ(field(e, 122, 16), "0212345678000195");
  EXPECT_EQ(field(e, 138, 40), PadR("AV. PAULISTA, 1000", 40));
  EXPECT_EQ(field(e, 178, 37), "BELA VISTA  01310100SAO PAULO      SP");
  EXPECT_EQ(field(e, 215, 180), std::string(180, ' '));
  EXPECT_EQ(recs[3], "9" + std::string(393, ' ') + "000004");
}

// The first charge the title carries decides 090-105; an amount is a share of
// the title's value, so without a value that rule does not hold. A stored
// zero is no charge. The daily charge at 161 reads the amount before the rate.
TEST(Industrial, ChargeBlock) {
  const json nulo;
  const struct {
    json valor, pemor, mordia, pemul, multa;
    const char *bloco, *diaria;
  } casos[] = {
      {300.0, 2.0, 1.5, 3.0, 4.0, "2000000002000001", "0000000000150"},
      {300.0, nulo, 1.5, 3.0, 4.0, "1000000000005001", "0000000000150"},
      {0.0, nulo, 1.5, 2.5, nulo, "2000000002500001", "0000000000150"},
      {300.0, nulo, nulo, nulo, 30.0, "1000000000100001", "0000000000000"},
      {0.0, nulo, nulo, nulo, 30.0, "0000000000000000", "0000000000000"},
      {300.0, 0.0, 0.0, 0.0, 0.0, "0000000000000000", "0000000000000"},
      {300.0, 1234.5, nulo, nulo, nulo, "2000001234500001", "0000000370350"},  // no thousands mark
  };
  for (const auto& c : casos) {
    TLoja l = Industrial();
    auto& t = l.titulo();
    t["VRFINALBREC"] = c.valor;
    t["VRPEMORBREC"] = c.pemor;
    t["VRMORDIABREC"] = c.mordia;
    t["VRPEMULBREC"] = c.pemul;
    t["VRMULTABREC"] = c.multa;
    auto recs = l.Gera({}, kNumericos);
    ASSERT_EQ(recs.size(), 4u) << c.bloco;
    EXPECT_EQ(field(recs[1], 90, 16), c.bloco) << t.dump();
    EXPECT_EQ(field(recs[1], 161, 13), c.diaria) << t.dump();
  }
}

// Portfolio, printing, instructions and protest days as the title stores them.
TEST(Industrial, TitleCodes) {
  const struct {
    const char *campo, *valor;
    int pos, len;
    const char* esperado;
  } casos[] = {
      {"IDCARTCOBREC", "4", 108, 1, "5"},           {"IDCARTCOBREC", "", 108, 1, "1"},
      {"IDCARTCOBREC", "2", 108, 1, "2"},           {"CDCARTCOBBOL", "", 87, 3, "   "},
      {"CDCARTCOBBOL", "9", 87, 3, "009"},          {"IDIMPRBOLBOL", "B", 63, 11, "00000000000"},
      {"IDIMPRBOLBOL", "F", 63, 11, "00123456789"}, {"CDNOSNUMREC", "1234.5678.901-2", 63, 11, "12345678901"},
      {"CDINS1COBBOL", "06", 157, 4, "0600"},       {"CDINS2COBBOL", "09", 157, 4, "0009"},
  };
  for (const auto& c : casos) {
    TLoja l = Industrial();
    l.titulo()[c.campo] = c.valor;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], c.pos, c.len), c.esperado) << c.campo << "=" << c.valor;
  }
  TLoja l = Industrial();
  l.titulo()["QTDIAPROTBOL"] = 5.0;
  EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 392, 3), "050");
}

// Each title's company record carries its own branch's address, cleaned of
// control characters and accents; the override record
// gives the payer by its trade name.
TEST(Industrial, BranchAddressAndPayerOverride) {
  TLoja l = Industrial();
  OutraFilial(l, "1002");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0002"},
                         {"NRLANBOLREC", "1002"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Razão que não vai"},
                         {"NMFANTLUSO", "Três Corações"},
                         {"DSENDELUSO", "Rodovia BR-116, Km 23"},
                         {"NMBAIRLUSO", "Distrito Industrial"},
                         {"NRCEPLUSO", "44.380-000"},
                         {"NMMUNICIPIO", "Cruz das Almas"},
                         {"SGESTADO", "BA"}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 6u);
  EXPECT_EQ(field(recs[2], 138, 77),
            PadR("AV. PAULISTA, 1000", 40) + "BELA VISTA  01310100SAO PAULO      SP");
  EXPECT_EQ(field(recs[3], 38, 25), PadR("00021002", 25));
  EXPECT_EQ(field(recs[3], 219, 46), "0255666777000100" + PadR("TRES CORACOES", 30));
  EXPECT_EQ(field(recs[3], 275, 77),
            PadR("RODOVIA BR-116, KM 23", 40) + "DISTRITO IND44380000CRUZ DAS ALMAS BA");
  EXPECT_EQ(field(recs[4], 138, 77), PadR("RUA SAO PAULO, 20", 40) + "CENTRO      30130000BELO HORIZONTE MG");
}

// The occurrence code tells the bank the batch's operation.
TEST(Industrial, OccurrenceFollowsTheOperation) {
  for (auto [op, codigo] : {std::pair{1, "02"}, std::pair{2, "06"}}) {
    TLoja l = Industrial();
    const TOpcoesGeracao o = l.Operacao(op);
    EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), codigo) << op;
  }
}

// A company tax id of more than 14 digits, a letter where the bank reads a
// number, a value or rate too wide or negative: the run stops before the
// file, naming the title even when it is the last one.
TEST(Industrial, UnreadableValuesStopTheRun) {
  {
    TLoja l = Industrial();
    l.inscricaoEmpresa = "12.345.678/0001-951";
    EXPECT_EQ(l.Recusa(), "INSCRICAO_INV");
  }
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-073 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"VRPEMORBREC", 1e10, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 091-103 do registro 1"},
      {"VRMULTABREC", -30.0, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 091-103 do registro 1"},
      {"IDCARTCOBREC", "X", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 108-108 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l = Industrial();
    l.NovoTitulo("1002")[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
