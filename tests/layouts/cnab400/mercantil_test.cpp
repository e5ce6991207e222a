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
    {'0', 10, 2},  {'0', 27, 4},  {'0', 31, 15},  {'0', 95, 6},   {'0', 390, 5}, {'1', 2, 20},
    {'1', 27, 9},  {'1', 61, 15}, {'1', 76, 11},  {'1', 92, 26},  {'1', 130, 6}, {'1', 136, 13},
    {'1', 149, 8}, {'1', 160, 6}, {'1', 170, 58}, {'1', 230, 14}, {'1', 336, 8},
};

// The store keeps the company's tax id as its digits; the batch has no
// branch unless a test gives one.
struct Mercantil : TLoja {
  Mercantil() : TLoja("389") {
    inscricaoEmpresa = "12345678000195";
    conta()["CDFILIAL"] = nullptr;
    Linha("FILIAL", {{"CDFILIAL", "0002"},
                     {"CDEMPRESA", "01"},
                     {"NMFILIAL", "Filial Dois"},
                     {"IDTPIJURFILI", "J"},
                     {"NRINSJURFILI", "12345678000276"}});
  }
};

}  // namespace

// Every field of the header and the detail, from data typed with its
// punctuation; the trailer is the common one.
TEST(Mercantil, HeaderAndDetail) {
  Mercantil l;
  l.EmprBanc()["CDEMPBANCREC"] = " 4.321.987-0";
  l.titulo()["CDINS1COBBOL"] = "6";
  l.titulo()["CDINS2COBBOL"] = "44";
  l.titulo()["VRPEMORBREC"] = 1.0;
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "NF-77"}, {"NRPARCELA", "1"}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA" + B(7));
  EXPECT_EQ(field(h, 27, 20), "1234012345678000195 ");  // agency 123-4
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE", 30));
  EXPECT_EQ(field(h, 77, 24), "389BANCANTIL      081226");
  EXPECT_EQ(field(h, 101, 294),
            B(281) + "01600" + B(3) + "00042");  // the account's sequence, drawn once more

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 35), "1" + Z(20) + B(5) + "043219870");
  EXPECT_EQ(field(d, 36, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 61, 15), "1234" + Z(2) + "12345678" + "9");  // nosso número 12345678-9
  EXPECT_EQ(field(d, 76, 41), std::string(11, '9') + B(5) + "012345678000195" + Z(10));
  EXPECT_EQ(field(d, 117, 3), "101");
  EXPECT_EQ(field(d, 120, 10), "NF-77" + B(5));
  EXPECT_EQ(field(d, 130, 19), "2012260000000123456");
  EXPECT_EQ(field(d, 149, 17),
            "38900000"
            "01S081226");
  EXPECT_EQ(field(d, 166, 4), "6 44");
  EXPECT_EQ(field(d, 170, 13), "0000000001235");  // 1% of 1234,56 a day
  EXPECT_EQ(field(d, 183, 45), Z(45));
  EXPECT_EQ(field(d, 228, 16), "0100012345678909");
  EXPECT_EQ(field(d, 244, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 284, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 324, 37), "CONSOLACAO  01310100SAO PAULO      SP");
  EXPECT_EQ(field(d, 361, 40), B(33) + "1" + "000002");  // ends as the header does
  EXPECT_EQ(recs[2], "9" + B(393) + "000003");
}

// The company is the batch branch first; its tax id is counted and written
// as its digits.
TEST(Mercantil, CompanyBranchFirst) {
  const struct {
    const char *filial, *empresa, *chave, *inscricao, *nome;
  } casos[] = {
      {"", "123.456.789-09", "", "000012345678909", "EMPRESA TESTE"},
      {"0002", "12345678000195", "", "012345678000276", "FILIAL DOIS"},
      {"", "12.345.678/0001-95", "", "012345678000195", "EMPRESA TESTE"},
      {"", "123456789012345", "INSCRICAO_INV", "", ""},
  };
  for (const auto& c : casos) {
    Mercantil l;
    l.inscricaoEmpresa = c.empresa;
    TOpcoesGeracao o;
    o.filial = c.filial;
    if (*c.chave) {
      EXPECT_EQ(l.Recusa(o), c.chave) << c.filial << " " << c.empresa;
      continue;
    }
    auto recs = l.Gera(o, kNumericos);
    EXPECT_EQ(field(recs[0], 31, 15), c.inscricao) << c.filial;
    EXPECT_EQ(field(recs[0], 47, 30), PadR(c.nome, 30)) << c.filial;
    EXPECT_EQ(field(recs[1], 92, 15), c.inscricao) << c.filial;
  }
}

// Discounted titles ("4") are service "05", portfolio "5", and take no
// instruction; the header states the kind every title shares.
TEST(Mercantil, PortfolioKind) {
  const struct {
    const char *tipo, *servico, *carteira, *instrucoes;
  } casos[] = {{"1", "01", "1", "0644"}, {"3", "03", "3", "0644"}, {"4", "05", "5", "0000"}};
  for (const auto& c : casos) {
    Mercantil l;
    l.titulo()["IDCARTCOBREC"] = c.tipo;
    l.titulo()["CDINS1COBBOL"] = "06";
    l.titulo()["CDINS2COBBOL"] = "44";
    auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[0], 10, 2), c.servico) << c.tipo;
    EXPECT_EQ(field(recs[1], 117, 1), c.carteira) << c.tipo;
    EXPECT_EQ(field(recs[1], 166, 4), c.instrucoes) << c.tipo;
  }
  Mercantil l;
  l.NovoTitulo("1002")["IDCARTCOBREC"] = "4";
  EXPECT_EQ(l.Recusa(), "CART_DIF");
  EXPECT_NE(l.Mensagem().find("1002"), std::string::npos) << l.Mensagem();
}

// Ten digits and the check digit, the last stored; zeros without a number.
TEST(Mercantil, NossoNumeroAndItsCheckDigit) {
  const struct {
    const char *gravado, *impressao, *campo;
  } casos[] = {
      {"12345678-9", "E", "00123456789"},
      {"1234567890-1", "E", "12345678901"},
      {"12345678901", "F", "12345678901"},
      {"", "B", "00000000000"},  // the bank issues the slip and numbers it
  };
  for (const auto& c : casos) {
    Mercantil l;
    l.titulo()["CDNOSNUMREC"] = c.gravado;
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 65, 11), c.campo) << c.gravado;
  }
}

// The override record names the payer by its trade name and gives its
// district, city and state.
TEST(Mercantil, PayerTypeAndOverride) {
  for (auto [tipo, codigo] :
       {std::pair{"F", "01"}, std::pair{"J", "02"}, std::pair{"", "03"}, std::pair{"I", "03"}}) {
    Mercantil l;
    l.dados["CLIENTE"][0]["IDTPIJURCLIE"] = tipo;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 228, 2), codigo) << tipo;
  }
  Mercantil l;
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Não vai"},
                         {"NMFANTLUSO", "Três Corações"},
                         {"DSENDELUSO", "Rodovia BR-116, Km 23"},
                         {"NMBAIRLUSO", "Distrito Industrial"},
                         {"NRCEPLUSO", "37.410-000"},
                         {"NMMUNICIPIO", "Três Corações"},
                         {"SGESTADO", "MG"}});
  const auto d = l.Gera({}, kNumericos)[1];
  EXPECT_EQ(field(d, 228, 56), "0255666777000100" + PadR("TRES CORACOES", 40));
  EXPECT_EQ(field(d, 284, 77),
            PadR("RODOVIA BR-116, KM 23", 40) + "DISTRITO IND" + "37410000" + "TRES CORACOES  MG");
}

// The remittance number is the last five digits of the account's sequence,
// drawn once more for the batch.
TEST(Mercantil, RemittanceNumber) {
  for (auto [sequencia, numero] : {std::pair{0, "00001"}, std::pair{123456, "23457"}}) {
    Mercantil l;
    l.conta()["NRSEQREMESSAREC"] = sequencia;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[0], 390, 5), numero) << sequencia;
  }
}

// Removal is "02"; an alteration, which the layout cannot express, stops
// the run instead of going out as an entry.
TEST(Mercantil, Operation) {
  Mercantil l;
  l.titulo()["IDSITUCNABR"] = "10";  // exclusion and alteration offer titles already sent
  l.titulo()["IDBOLRECALTER"] = "1";
  TOpcoesGeracao o;
  o.operacao = 1;
  EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 118, 2), "02");
  o.operacao = 2;
  EXPECT_EQ(l.Recusa(o), "OPER_NAO_EXPRESSA");
}

// What the bank could not read stops the run before the file, naming the title.
TEST(Mercantil, UnreadableValuesStopTheRun) {
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDEMPBANCREC", "AB-12", "CAMPO_NUM_INV", "o campo 027-035 do registro 1"},
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 065-074 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 136-148 do registro 1"},
      {"NRINSJURCLIE", "123.456.78X-09", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 230-243 do registro 1"},
      {"NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 336-343 do registro 1"},
  };
  for (const auto& c : casos) {
    Mercantil l;
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
