// Caixa files in the bank's agreement-code layout (the company's bank
// parameter IDPADRCNABREC "2"), generated end to end on the shared store: the
// real run, the whole file checked, the records read back by position.
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

constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 34},      {'0', 53, 5},  {'0', 58, 1, true}, {'0', 59, 14}, {'0', 144, 23}, {'1', 19, 15},
    {'1', 34, 20},      {'1', 54, 5},  {'1', 59, 1, true}, {'1', 60, 14}, {'1', 184, 24}, {'P', 18, 5},
    {'P', 23, 1, true}, {'P', 24, 34}, {'P', 59, 1},       {'P', 78, 31}, {'P', 110, 86}, {'P', 221, 9},
    {'Q', 19, 15},      {'Q', 129, 8}, {'Q', 154, 16},     {'R', 18, 72}, {'5', 18, 75},  {'9', 18, 12},
};

TLoja Sigcb() {
  TLoja l("104");
  l.EmprBanc()["IDPADRCNABREC"] = "2";
  return l;
}

std::string Segmentos(const std::vector<std::string>& recs) {
  std::string s;
  for (const auto& r : recs)
    if (r[7] == '3') s += r[13];
  return s;
}

// The company of the account's registration, the agency "123-4" under the
// picture 9999 (its first character sent as the check digit), the typed
// agreement code "12345-6" read as the number 123456, the punctuated payer,
// postcode, guarantor and nosso número: digits where the bank reads numbers.
TEST(CaixaSigcbRemessa, TypedDataReachesTheBankAsDigits) {
  TLoja l = Sigcb();
  const auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(Segmentos(recs), "PQ");
  const std::string empresa = "2" + std::string("12345678000195");
  EXPECT_EQ(field(recs[0], 9, 64),
            Replicate(" ", 9) + empresa + Replicate("0", 20) + "01234" + "1" + "1234560" + "0000000");
  EXPECT_EQ(field(recs[0], 73, 99), PadR("EMPRESA TESTE COMERCIO LTDA", 30) +
                                        PadR("CAIXA ECONOMICA FEDERAL", 30) + Replicate(" ", 10) + "1" +
                                        "08122026" + "103000" + "000042" + "101" + "00000");
  EXPECT_EQ(field(recs[0], 172, 69), Replicate(" ", 20) + PadR("REMESSA-PRODUCAO", 20) + Replicate(" ", 29));
  EXPECT_EQ(field(recs[1], 9, 65), "R0100060 2" + std::string("012345678000195") + "1234560" +
                                       Replicate("0", 13) + "01234" + "1" + "123456" + Replicate("0", 8));
  EXPECT_EQ(field(recs[1], 104, 137),
            Replicate(" ", 80) + "00000042" + "08122026" + "00000000" + Replicate(" ", 33));
  // P: agency, agreement, fillers, portfolio "109" in two, nosso número without
  // its first two digits, kind, form, document type, issue and distribution
  EXPECT_EQ(field(recs[2], 18, 45), "01234" + std::string("1") + "1234560" + Replicate("0", 10) + "10" +
                                        "000000003456789" + "1" + "1" + "2" + "2" + "0");
  EXPECT_EQ(field(recs[2], 63, 55), PadR("1001", 11) + "    " + "20122026" + "000000000123456" + "00000" +
                                        "0" + "02" + "N" + "08122026");
  EXPECT_EQ(field(recs[2], 142, 99),
            "0" + Replicate("0", 53) + PadR("00011001", 25) + "3002000" + "09" + Replicate("0", 10) + " ");
  const std::string& q = recs[3];
  EXPECT_EQ(field(q, 18, 56), "1" + std::string("000012345678909") + PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(q, 114, 40), PadR("CONSOLACAO", 15) + "01310100" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(q, 154, 87),
            "1" + std::string("000012345678909") + PadR("AVALISTA TRES", 40) + "000" + Replicate(" ", 28));
  EXPECT_EQ(field(recs[4], 9, 232), Replicate(" ", 9) + "000004" + Replicate("0", 69) + Replicate(" ", 148));
}

// The code is a number: six digits or fewer are the old code, left in the
// seven positions with one filler zero; seven digits the new one.
TEST(CaixaSigcbRemessa, AgreementCodeByItsValue) {
  struct TCaso {
    const char* codigo;
    std::string sete, seis, arquivo, lote;
  };
  const TCaso casos[] = {
      {"1234567", "1234567", "000000", "107", "067"},  {"123456", "1234560", "123456", "101", "060"},
      {"12345", "0123450", "012345", "101", "060"},    {"0123456", "1234560", "123456", "101", "060"},
      {"00012345", "0123450", "012345", "101", "060"}, {"1.234.567", "1234567", "000000", "107", "067"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.codigo);
    TLoja l = Sigcb();
    l.conta()["CDCEDENTEBAN"] = c.codigo;
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[0], 59, 7), c.sete);
    EXPECT_EQ(field(recs[0], 164, 3), c.arquivo);
    EXPECT_EQ(field(recs[1], 14, 3), c.lote);
    EXPECT_EQ(field(recs[1], 34, 7), c.sete);
    EXPECT_EQ(field(recs[1], 60, 6), c.seis);
    EXPECT_EQ(field(recs[2], 24, 7), c.sete);
  }
}

TEST(CaixaSigcbRemessa, AgencyAndItsCheckDigit) {
  struct TCaso {
    const char *banco, *agencia;  // bank "001" has the picture 9999-9, "104" 9999
    std::string campo;
  };
  const TCaso casos[] = {{"001", "12345", "012345"}, {"001", "1234", "01234 "}, {"104", "12.34", "012341"}};
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.banco) + "/" + c.agencia);
    TLoja l = Sigcb();
    l.conta()["CDBANCO"] = c.banco;
    l.EmprBanc()["CDBANCO"] = c.banco;  // the parameters of the account's bank
    l.conta()["CDAGENCIA"] = c.agencia;
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[0], 53, 6), c.campo);
    EXPECT_EQ(field(recs[1], 54, 6), c.campo);
    EXPECT_EQ(field(recs[2], 18, 6), c.campo);
  }
}

// The company's number only on slips it prints; issue and distribution by who prints.
TEST(CaixaSigcbRemessa, TitleNumberAndSlipIssue) {
  struct TCaso {
    const char *impressao, *nosso;
    std::string numero, emissao;
  };
  const TCaso casos[] = {
      {"E", "12-345678901234567", "345678901234567", "20"},
      {"F", "12345678-9", "000000003456789", "20"},
      {"B", "12345678-9", Replicate("0", 15), "12"},
      {"B", "", Replicate("0", 15), "12"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.impressao) + "/" + c.nosso);
    TLoja l = Sigcb();
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[2], 43, 15), c.numero);
    EXPECT_EQ(field(recs[2], 61, 2), c.emissao);
  }
}

TEST(CaixaSigcbRemessa, InterestProtestAndReturn) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string juros, protesto;
  };
  const std::string isento = "3" + Replicate("0", 23);
  const TCaso casos[] = {
      {"daily interest from the next day", {{"VRMORDIABREC", 1.5}}, "121122026000000000000150", "3002000"},
      {"no interest, no date", json::object(), isento, "3002000"},
      {"any code but 3 protests", {{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 123}}, isento, "1232000"},
      {"code 3 keeps its days", {{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, isento, "3102000"},
      {"return after 30 days", {{"CDDIADEVOL", "1"}, {"QTDIADEVOL", 30}}, isento, "3001030"},
      {"return code 2", {{"CDDIADEVOL", "2"}, {"QTDIADEVOL", 1234}}, isento, "3002234"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l = Sigcb();
    l.titulo().update(c.campos);
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[2], 118, 24), c.juros);
    EXPECT_EQ(field(recs[2], 221, 7), c.protesto);
  }
}

// A fine amount goes as money (2.50 is 250, not 25000); the percentage wins.
TEST(CaixaSigcbRemessa, FineAndMessageInSegmentR) {
  struct TCaso {
    json campos;
    const char* mensagem;
    std::string multa, linha;
  };
  const TCaso casos[] = {
      {{{"VRMULTABREC", 2.5}}, nullptr, "120122026000000000000250", ""},
      {{{"VRPEMULBREC", 2.0}, {"VRMULTABREC", 7.25}}, nullptr, "220122026000000000000200", ""},
      {json::object(), " Não receber\tapós o vencimento", "020122026" + Replicate("0", 15),
       "NAO RECEBER APOS O VENCIMENTO"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.multa);
    TLoja l = Sigcb();
    l.titulo().update(c.campos);
    if (c.mensagem)
      l.Linha("TXBOLETO", {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"TXMENSBOLBOL", c.mensagem}});
    const auto recs = l.Gera({}, kNumericos);
    ASSERT_EQ(Segmentos(recs), "PQR");
    EXPECT_EQ(field(recs[4], 18, 72), Replicate("0", 48) + c.multa);
    EXPECT_EQ(field(recs[4], 90, 151), Replicate(" ", 10) + PadR(c.linha, 40) + Replicate(" ", 101));
    EXPECT_EQ(field(recs[5], 18, 6), "000005");
  }
}

// Every refusal comes before the file, whichever title it concerns.
TEST(CaixaSigcbRemessa, StopsBeforeTheFile) {
  struct TCaso {
    bool conta;  // else the second title
    const char* campo;
    json valor;
    const char *chave, *texto;
  };
  const TCaso casos[] = {
      {true, "CDCEDENTEBAN", nullptr, "CODCONV_INF", ""},
      {true, "CDCEDENTEBAN", "12345678", "CAMPO_EXCEDE", "Remessa: o campo 059-065 do registro 0"},
      {true, "CDCEDENTEBAN", "12A456", "CAMPO_NUM_INV", "Remessa: o campo 059-065 do registro 0"},
      {false, "IDCARTCOBREC", "5", "TipoCart_INV", "0001/1002"},
      {false, "CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 043-057 do registro 3P"},
      {false, "VRMULTABREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 075-089 do registro 3R"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campo);
    TLoja l = Sigcb();
    json& titulo = l.NovoTitulo("1002");
    (c.conta ? l.conta() : titulo)[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave);
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
  TLoja l = Sigcb();
  l.inscricaoEmpresa = "12.345.678/0001-950";
  EXPECT_EQ(l.Recusa(), "INSCRICAO_INV");
}

}  // namespace
