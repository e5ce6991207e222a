// SICOOB's CNAB 240 files generated end to end on the shared store (agency
// "123-4", account "00098765-4", nosso número "12345678-9", tax ids and
// postcode typed with their punctuation), the whole file checked, the records
// read back by position.
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

constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 14}, {'0', 59, 14},  {'0', 144, 28}, {'1', 19, 15},  {'1', 60, 13},  {'1', 184, 24},
    {'P', 18, 6},  {'P', 24, 13},  {'P', 38, 14},  {'P', 58, 2},   {'P', 78, 28},  {'P', 110, 86},
    {'P', 221, 3}, {'P', 228, 12}, {'Q', 18, 16},  {'Q', 129, 8},  {'Q', 154, 16}, {'Q', 210, 3},
    {'R', 18, 48}, {'R', 66, 24},  {'R', 200, 16}, {'R', 217, 12}, {'5', 18, 98},  {'9', 18, 18},
};

const std::string kVenc = "20122026";

std::vector<std::string> Gera(TLoja& l, const TOpcoesGeracao& o = {}) {
  return l.Gera(o, kNumericos);
}

json Registro(json campos, const std::string& numero = "1001") {
  campos["CDFILIAL"] = "0001";
  campos["NRLANBOLREC"] = numero;
  return campos;
}

}  // namespace

// Headers and segments from typed data: numbers reach the bank as digits,
// text loses its accents and line breaks.
TEST(Sicoob240, HeadersAndSegmentsFromTypedData) {
  TLoja l("756");
  l.Linha("DUPLICATA", Registro({{"DUPLICATA", "123456789"}, {"NRPARCELA", "2"}}));
  l.Linha("TXBOLETO", Registro({{"TXMENSBOLBOL", "  Não receber\r\napós"}}));
  const auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 7u);
  // the company rule: the batch branch, a company
  const std::string empresa = PadR("FILIAL MATRIZ COMERCIO LTDA", 30);
  EXPECT_EQ(recs[0], "75600000" + Replicate(" ", 9) + "2" + "12345678000195" + Replicate(" ", 20) + "001234" +
                         "0000000987654" + "0" + empresa + PadR("SICOOB", 30) + Replicate(" ", 10) + "1" +
                         "08122026" + "103000" + "000042" + "081" + "00000" + Replicate(" ", 69));
  EXPECT_EQ(recs[1], "75600011R01  040 2" + "012345678000195"s + Replicate(" ", 20) + "001234" +
                         "0000000987654" + " " + empresa + Replicate(" ", 80) + "00000001" + "08122026" +
                         "00000000" + Replicate(" ", 33));
  const std::string& p = recs[2];
  EXPECT_EQ(field(p, 1, 62), "7560001300001P 01" + "01234"s + "0" + "0000000987654" + " " + "0123456789" +
                                 "01" + "01" + "4" + "     " + "1" + "0" + " " + "22");
  EXPECT_EQ(field(p, 63, 55),
            PadR("012345678902", 15) + kVenc + "000000000123456" + "00000" + " " + "02A" + "08122026");
  EXPECT_EQ(field(p, 142, 99),
            "0" + Replicate("0", 53) + PadR("00011001", 25) + "300" + "0   09" + Replicate("0", 10) + " ");
  const std::string& q = recs[3];
  EXPECT_EQ(field(q, 14, 60),
            "Q 01"
            "1"s +
                "000012345678909" + PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(q, 74, 80), PadR("RUA AUGUSTA, 1500  APTO 12", 40) + PadR("CONSOLACAO", 15) + "01310100" +
                                  PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(q, 154, 87),
            "1"s + "000012345678909" + PadR("AVALISTA TRES", 40) + "000" + Replicate(" ", 28));
  const std::string& r = recs[4];
  EXPECT_EQ(field(r, 14, 86), "R 01" + Replicate("0", 72) + Replicate(" ", 10));
  EXPECT_EQ(field(r, 100, 141), PadR("NAO RECEBER  APOS", 40) + Replicate(" ", 60) + Replicate("0", 8) +
                                    "000" + "00000" + " " + Replicate("0", 12) + "  0" + Replicate(" ", 9));
}

// The headers carry the agency by the bank's picture (with its check digit
// in six, else five and a blank); segment P always its first four digits.
TEST(Sicoob240, AgencyByThePicture) {
  const struct {
    const char *picture, *agencia, *cabecalho;
  } casos[] = {{"999-9", "123-4", "001234"}, {"9999-9", "12345", "012345"}, {"9999", "1234", "01234 "}};
  for (const auto& c : casos) {
    TLoja l("756");
    l.dados["BANCO"][0]["CDPICTAGEN"] = c.picture;
    l.conta()["CDAGENCIA"] = c.agencia;
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[0], 53, 6) + field(recs[1], 54, 6), std::string(c.cabecalho) + c.cabecalho);
    EXPECT_EQ(field(recs[2], 18, 5), "01234") << c.agencia;
  }
}

// The batch branch as a person (type "1") goes in the lot header as its nine-digit root, four
// zeros and its check digits.
TEST(Sicoob240, PersonAsCompanyInTheLotHeader) {
  TLoja l("756");
  TStore s(l.dados.dump());
  s.Server().Conexao().Exec("UPDATE FILIAL SET IDTPIJURFILI = 'F', NRINSJURFILI = '123.456.789-01'");
  s.Gerar({});
  const auto recs = s.Registros(240);
  EXPECT_EQ(field(recs[0], 18, 15), "1"s + "00012345678901");
  EXPECT_EQ(field(recs[1], 18, 16), "1"s + "123456789000001");
}

// Kind and acceptance follow the title's protest code; days ask for protest,
// but a title marked "3" is never protested.
TEST(Sicoob240, KindAcceptanceAndProtest) {
  const std::pair<json, std::string> casos[] = {
      {json::object(), "02A300"},
      {{{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 5}}, "02A300"},
      {{{"CDDIAPROTBOL", "1"}, {"QTDIAPROTBOL", 5}}, "03N105"},
      {{{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 10}}, "03N110"},
      {{{"CDDIAPROTBOL", ""}}, "02A300"},  // no code the bank knows: the record keeps its length
      {{{"CDDIAPROTBOL", "0"}, {"QTDIAPROTBOL", 5}}, "02A105"},
      {{{"CDDIAPROTBOL", "1"}}, "03N300"},
  };
  for (const auto& [campos, esperado] : casos) {
    TLoja l("756");
    l.titulo().update(campos);
    const auto p = Gera(l)[2];
    EXPECT_EQ(field(p, 107, 3) + field(p, 221, 3), esperado) << campos.dump();
  }
}

// Interest in P (a daily amount first), fine in R: a percentage under code
// "2", an amount alone under code "1" as that amount, with no share of the
// title to compute (a title of no value has none).
TEST(Sicoob240, InterestAndFine) {
  const std::string nada = "0" + Replicate("0", 23);
  const struct {
    json campos;
    std::string juros, multa;
  } casos[] = {
      {{{"VRMORDIABREC", 1.5}}, "1" + kVenc + "000000000000150", nada},
      {{{"VRPEMORBREC", 2.5}}, "2" + kVenc + "000000000000250", nada},
      {{{"VRMORDIABREC", 1.5}, {"VRPEMORBREC", 2.5}}, "1" + kVenc + "000000000000150", nada},
      {{{"VRPEMULBREC", 2.0}, {"VRMULTABREC", 10.0}}, nada, "2" + kVenc + "000000000000200"},
      {{{"VRMULTABREC", 10.0}, {"VRFINALBREC", 200.0}}, nada, "1" + kVenc + "000000000001000"},
      {{{"VRMULTABREC", 7.25}, {"VRFINALBREC", 0.0}}, nada, "1" + kVenc + "000000000000725"},
  };
  for (const auto& c : casos) {
    TLoja l("756");
    l.titulo().update(c.campos);
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[2], 118, 24), c.juros) << c.campos.dump();
    EXPECT_EQ(field(recs[4], 66, 24), c.multa) << c.campos.dump();
  }
}

// Who prints the slip decides the title number and the issue codes; the kind
// gives the modality; instalment "00" goes as the first.
TEST(Sicoob240, PrintingModalityInstalmentAndPortfolio) {
  const struct {
    const char *impressao, *tipo, *parcela, *carteira;
    std::string p038, p058;
  } casos[] = {
      {"E", "1", "00", "109", "0123456789"s + "01" + "01", "1"},
      {"F", "2", "3", " 2", "0123456789"s + "03" + "02", "2"},
      {"B", "3", "12", "3", "0000000000"s + "12" + "03", "3"},
  };
  for (const auto& c : casos) {
    TLoja l("756");
    l.titulo().update({{"IDIMPRBOLBOL", c.impressao},
                       {"IDCARTCOBREC", c.tipo},
                       {"NRPARCBOLREC", c.parcela},
                       {"CDCARTCOBBOL", c.carteira}});
    const auto p = Gera(l)[2];
    const std::string emissao = *c.impressao == 'B' ? "11" : "22";
    EXPECT_EQ(field(p, 38, 14) + field(p, 58, 5), c.p038 + c.p058 + "0 " + emissao) << c.impressao;
  }
}

// Movement "01" registers, "02" drops; the layout has none for an alteration,
// which stops before the file. Lot and file trailers count what was written,
// every title as simple collection.
TEST(Sicoob240, MovementAndTrailers) {
  for (int operacao : {0, 1, 2}) {
    TLoja l("756");
    const char* situacao = operacao == 0 ? "00" : "20";
    l.titulo().update({{"VRFINALBREC", 100.0}, {"IDSITUCNABR", situacao}});
    l.NovoTitulo("1002").update({{"VRFINALBREC", 50.25}, {"IDCARTCOBREC", "3"}, {"IDSITUCNABR", situacao}});
    TOpcoesGeracao o;
    o.operacao = operacao;
    if (operacao == 2) {
      EXPECT_EQ(l.Recusa(o), "OPER_NAO_EXPRESSA");
      continue;
    }
    const auto recs = Gera(l, o);
    ASSERT_EQ(recs.size(), 10u);
    for (int i = 2; i < 8; ++i) EXPECT_EQ(field(recs[i], 16, 2), operacao == 0 ? "01" : "02");
    EXPECT_EQ(field(recs[8], 18, 98), "000008"s + "000002" + "00000000000015025" + Replicate("0", 69));
    EXPECT_EQ(field(recs[9], 1, 35), "75699999" + Replicate(" ", 9) + "000001" + "000010" + "000000");
  }
}

// What the bank could not read stops the run before the file, naming the
// title and the field.
TEST(Sicoob240, RefusedBeforeTheFile) {
  const struct {
    const char *tabela, *campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"BOLETOREC", "IDCARTCOBREC", "4", "TipoCart_INV", "Boleto 0001/1002"},
      {"BOLETOREC", "CDNOSNUMREC", "1234567P-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 038-047"},
      {"BOLETOREC", "VRFINALBREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 086-100"},
      {"BOLETOREC", "VRMULTABREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 075-089 do registro 3R"},
      {"CONTCORR", "CDCONTCORR", "0009876X-4", "CAMPO_NUM_INV", "o campo 059-071 do registro 0"},
      {"ENDECLIE", "NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 129-136"},
  };
  for (const auto& c : casos) {
    TLoja l("756");
    l.NovoTitulo("1002");
    l.dados[c.tabela][std::string(c.tabela) == "BOLETOREC" ? 1 : 0][c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
