#include <gtest/gtest.h>

#include <functional>

#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;

namespace {

const std::string B(int n) {
  return std::string(n, ' ');
}
const std::string Z(int n) {
  return std::string(n, '0');
}

// The positions the bank reads as numbers in both forms of the detail (the
// protest and instruction date are blank in the other form).
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 27, 5},       {'0', 32, 14},  {'0', 95, 8},        {'0', 111, 7},  {'1', 48, 9},
    {'1', 63, 8, true}, {'1', 75, 4},   {'1', 83, 10},       {'1', 93, 4},   {'1', 121, 6},
    {'1', 127, 13},     {'1', 151, 6},  {'1', 157, 4, true}, {'1', 161, 13}, {'1', 174, 45},
    {'1', 219, 1},      {'1', 221, 14}, {'1', 315, 11},      {'1', 327, 8},  {'9', 2, 9},
};

// The store's title in the given form at the cooperative.
struct Sicredi : TLoja {
  explicit Sicredi(const char* forma = "1") : TLoja("748") { titulo()["IDFORMCADBREC"] = forma; }
  std::string Detalhe(const TOpcoesGeracao& o = {}) {
    auto recs = Gera(o, kNumericos);
    return recs.size() == 3 ? recs[1] : std::string(400, '?');
  }
};

}  // namespace

// Agreement code, tax id and sequence as operators type them reach the header
// as digits; the account's guarantor adds no record, so the file is three.
TEST(Sicredi, HeaderAndTrailer) {
  Sicredi l;
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA" + B(7));
  EXPECT_EQ(field(h, 27, 5), "03456");            // from the third digit of "12345-6"
  EXPECT_EQ(field(h, 32, 14), "12345678000195");  // "12.345.678/0001-95"
  EXPECT_EQ(field(h, 46, 31), B(31));
  EXPECT_EQ(field(h, 77, 18), "748SICREDI" + B(8));
  EXPECT_EQ(field(h, 95, 16), "20261208" + B(8));
  EXPECT_EQ(field(h, 111, 7), "0000042");  // the account's next sequence after 41
  EXPECT_EQ(field(h, 118, 273), B(273));
  EXPECT_EQ(field(h, 391, 4), "2.00");
  EXPECT_EQ(recs[2],
            "91748"
            "03456" +
                B(384) + "000003");
}

TEST(Sicredi, RegisteredForm) {
  Sicredi l;
  l.titulo()["VRPEMULBREC"] = 2.5;
  l.titulo()["VRPEMORBREC"] = 1.5;  // the rate itself, not an amount
  const std::string d = l.Detalhe();
  EXPECT_EQ(field(d, 1, 47), "1AAA" + B(12) + "AAA" + B(28));
  EXPECT_EQ(field(d, 48, 9), "123456789");  // nosso número "12345678-9"
  EXPECT_EQ(field(d, 57, 14), B(6) + "20261208");
  EXPECT_EQ(field(d, 71, 22), " N B0000" + B(4) + Z(10));
  EXPECT_EQ(field(d, 93, 4), "0250");
  EXPECT_EQ(field(d, 97, 30), B(12) +
                                  "01"
                                  "0000001001"
                                  "201226");
  EXPECT_EQ(field(d, 127, 13), "0000000123456");
  EXPECT_EQ(field(d, 140, 17), B(9) +
                                   "AS"
                                   "081226");
  EXPECT_EQ(field(d, 157, 4), "0000");
  EXPECT_EQ(field(d, 161, 13), "0000000000150");
  EXPECT_EQ(field(d, 174, 45), Z(45));
  EXPECT_EQ(field(d, 219, 16),
            "10"
            "00012345678909");  // the payer's type: a person
  EXPECT_EQ(field(d, 235, 40), "JOSE DA SILVA COMERCIO" + B(18));
  EXPECT_EQ(field(d, 275, 40), "RUA AUGUSTA, 1500  APTO 12" + B(14));
  EXPECT_EQ(field(d, 315, 20), Z(11) + " 01310100");
  EXPECT_EQ(field(d, 335, 60), Z(19) + B(41));
}

// The other form, with a payer whose postcode is empty.
TEST(Sicredi, OtherForm) {
  Sicredi l("2");
  l.dados["ENDECLIE"][0]["NRCEPCLIE"] = "";
  l.titulo()["CDDIAPROTBOL"] = "1";
  l.titulo()["QTDIAPROTBOL"] = 10;
  const std::string d = l.Detalhe();
  EXPECT_EQ(field(d, 1, 47), "1C A" + B(12) + "AAA" + B(28));
  EXPECT_EQ(field(d, 48, 9), "123456789");
  EXPECT_EQ(field(d, 57, 26), " B" + B(13) + "S" + B(2) + "0000" + B(4));
  EXPECT_EQ(field(d, 93, 4), "0000");
  EXPECT_EQ(field(d, 149, 12),
            "A "
            "081226" +
                B(4));  // no protest fields in this form
  EXPECT_EQ(field(d, 161, 58), Z(58));
  EXPECT_EQ(field(d, 219, 16),
            "1 "
            "00012345678909");
  EXPECT_EQ(field(d, 315, 20), Z(11) + " " + Z(8));
  EXPECT_EQ(field(d, 335, 60), "SAO PAULO" + B(16) +
                                   "SP"
                                   "00000" +
                                   B(28));
}

// Who posts and prints the boleto, and the protest instruction ("3" is the
// title marked not to be protested).
TEST(Sicredi, PostingAndProtest) {
  struct Caso {
    json campos;
    const char* emissor;   // 072-074
    const char* protesto;  // 157-160
  } casos[] = {
      {{{"IDIMPRBOLBOL", "B"}}, "S A", "0000"},
      {{{"IDIMPRBOLBOL", "B"}, {"CDNOSNUMREC", ""}}, "S A", "0000"},
      {{{"IDIMPRBOLBOL", "F"}, {"CDDIAPROTBOL", "1"}, {"QTDIAPROTBOL", 10}}, "N B", "0610"},
      {{{"QTDIAPROTBOL", 10}}, "N B", "0010"},
      {{{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, "N B", "0010"},
      {{{"CDDIAPROTBOL", "2"}}, "N B", "0600"},
  };
  for (const auto& c : casos) {
    Sicredi l;
    l.titulo().update(c.campos);
    const std::string d = l.Detalhe();
    EXPECT_EQ(field(d, 72, 3), c.emissor) << c.campos.dump();
    EXPECT_EQ(field(d, 157, 4), c.protesto) << c.campos.dump();
  }
}

// A title with an override record is the override's payer's, in both forms.
TEST(Sicredi, PayerOverride) {
  for (const char* forma : {"1", "2"}) {
    Sicredi l(forma);
    l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                           {"NRLANBOLREC", "1001"},
                           {"IDTPIJURLUSO", "J"},
                           {"NRINSJURLUSO", "55.666.777/0001-00"},
                           {"NMRAZSOCLUSO", "Licenciada Três Corações"},
                           {"NMFANTLUSO", "Três Corações"},
                           {"DSENDELUSO", "  Rodovia BR-116, Km 23"},
                           {"NRCEPLUSO", "37410-000"},
                           {"NMMUNICIPIO", "Três Corações"},
                           {"SGESTADO", "MG"}});
    const std::string d = l.Detalhe();
    EXPECT_EQ(field(d, 219, 1), "2") << forma;
    EXPECT_EQ(field(d, 221, 14), "55666777000100") << forma;
    EXPECT_EQ(field(d, 235, 40), "LICENCIADA TRES CORACOES" + B(16)) << forma;
    EXPECT_EQ(field(d, 275, 40), "RODOVIA BR-116, KM 23" + B(19)) << forma;
    EXPECT_EQ(field(d, 327, 8), "37410000") << forma;
    if (std::string(forma) == "2") {
      EXPECT_EQ(field(d, 335, 27), "TRES CORACOES" + B(12) + "MG");
    }
  }
}

// Titles of both forms in one file, numbered without a gap.
TEST(Sicredi, TitlesOfBothForms) {
  Sicredi l;
  l.NovoTitulo("1002")["IDFORMCADBREC"] = "2";
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[1], 1, 2) + field(recs[1], 111, 10), "1A0000001001");
  EXPECT_EQ(field(recs[2], 1, 2) + field(recs[2], 111, 10), "1C0000001002");
  EXPECT_EQ(field(recs[3], 395, 6), "000004");
}

// What the bank could not take stops the run before the file, naming the
// title: a title without its form, a fine or a tax id the field cannot hold,
// and a batch of an operation the layout cannot tell the bank.
TEST(Sicredi, Refusals) {
  struct Caso {
    const char* nome;
    std::function<void(Sicredi&)> prepara;
    const char* chave;
    const char* texto;
  } casos[] = {
      {"no form", [](Sicredi& l) { l.NovoTitulo("1002"); }, "FORMCAD_INF", "Boleto 0001/1002: "},
      {"fine of 100%", [](Sicredi& l) { l.titulo()["VRPEMULBREC"] = 100.0; }, "CAMPO_EXCEDE",
       "Boleto 0001/1001: o campo 093-096 do registro 1"},
      {"letter in the payer's tax id",
       [](Sicredi& l) { l.dados["CLIENTE"][0]["NRINSJURCLIE"] = "123.456.789-0X"; }, "CAMPO_NUM_INV",
       "Boleto 0001/1001: o campo 221-234 do registro 1"},
  };
  for (const auto& c : casos) {
    Sicredi l;
    c.prepara(l);
    EXPECT_EQ(l.Recusa(), c.chave) << c.nome;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << c.nome << ": " << l.Mensagem();
  }
  for (int operacao : {1, 2}) {
    Sicredi l;
    l.titulo()["IDSITUCNABR"] = "10";  // a title the bank already holds
    TOpcoesGeracao o;
    o.operacao = operacao;
    EXPECT_EQ(l.Recusa(o), "OPER_NAO_EXPRESSA") << operacao;
  }
}
