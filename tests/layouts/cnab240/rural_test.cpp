// Banco Rural files generated end to end on the shared store (agency "123-4",
// account "00098765-4", nosso número "12345678-9", the company's CNPJ as
// typed), the whole file checked, and the records read back by position.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "layouts/file_check.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

namespace {

using fields::PadR;
using fields::Replicate;
using json = nlohmann::json;
using namespace std::string_literals;
using testsupport::field;
using testsupport::TLoja;
using testsupport::TOpcoesGeracao;

// What the bank reads as numbers; the title number's check character (045)
// may be a "P".
constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 14},  {'0', 53, 20},  {'0', 144, 28}, {'1', 19, 15}, {'1', 54, 5},  {'1', 60, 14},
    {'1', 184, 24}, {'P', 18, 5},   {'P', 24, 21},  {'P', 46, 15}, {'P', 61, 2},  {'P', 78, 28},
    {'P', 107, 2},  {'P', 110, 86}, {'P', 221, 19}, {'Q', 18, 16}, {'Q', 129, 8}, {'Q', 154, 16},
    {'Q', 210, 3},  {'R', 18, 24},  {'5', 18, 98},
};

// The company's portfolio code at the bank and its identification there.
TLoja Loja(const std::string& banco = "453", const std::string& carteira = "123") {
  TLoja l(banco);
  l.EmprBanc().update({{"CDCARTCOBR", carteira}, {"CDEMPBANCREC", "4567-890X1"}});
  return l;
}

// The run and the shared file check, but for the bank's file trailer: it
// carries lot "0000" and no counts (004-007, 018-023, 024-029), which the
// test reads back itself.
std::vector<std::string> Gera(TLoja& l, const TOpcoesGeracao& o = {}) {
  testsupport::TStore store(l.dados.dump());
  store.Gerar(o);
  std::ifstream in(store.Arquivo(), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  std::vector<std::string> recs;
  for (size_t at = 0, fim; (fim = texto.find("\r\n", at)) != std::string::npos; at = fim + 2)
    recs.push_back(texto.substr(at, fim - at));
  for (const auto& f : layouts::VerificaArquivo(texto, kNumericos).falhas)
    if (f.registro != static_cast<int>(recs.size()) || (f.posicao != 4 && f.posicao != 18 && f.posicao != 24))
      ADD_FAILURE() << fields::Cp1252ToUtf8(layouts::Descreve(f));
  return recs;
}

const std::string kConta = "0000098765";  // 00098765-4 without its check digit
const std::string kIdent = "4567-890";    // the identification's first 8 characters

TEST(RuralRemessa, TypedPunctuationBecomesDigits) {
  for (const char* banco : {"453", "749"}) {
    SCOPED_TRACE(banco);
    TLoja l = Loja(banco);
    const auto recs = Gera(l);
    ASSERT_EQ(recs.size(), 7u);
    for (const auto& r : recs) EXPECT_EQ(field(r, 1, 3), banco);
    EXPECT_EQ(field(recs[0], 4, 69), "00000"s + Replicate(" ", 9) + "2" + "12345678000195" + kIdent +
                                         Replicate(" ", 12) + "01234" + "4" + "000" + kConta + "0");
    EXPECT_EQ(field(recs[0], 73, 168), PadR("EMPRESA TESTE COMERCIO LTDA", 30) + PadR("BANCO "s + banco, 30) +
                                           Replicate(" ", 10) + "1" + "08122026" + "103000" + "000042" +
                                           "030" + "00000" + Replicate(" ", 69));
    EXPECT_EQ(field(recs[1], 4, 70), "00011R01  020 2"s + "012345678000195" + kIdent + Replicate(" ", 12) +
                                         "01234" + " " + "000" + kConta + "0");
    EXPECT_EQ(field(recs[1], 184, 57), "00000001"s + "08122026" + "00000000" + Replicate(" ", 33));
    EXPECT_EQ(field(recs[2], 18, 45),
              "01234 000" + kConta + "0" + "2345678" + "9" + Replicate("0", 12) + "2" + "1" + "1" + "22");
    EXPECT_EQ(field(recs[3], 18, 136), "1"s + "123456789" + "0000" + "09" +
                                           PadR("JOSE DA SILVA COMERCIO", 40) +
                                           PadR("RUA AUGUSTA, 1500  APTO 12 CONSOLACAO", 40) +
                                           Replicate(" ", 15) + "01310100" + PadR("SAO PAULO", 15) + "SP");
    EXPECT_EQ(field(recs[4], 18, 223), Replicate("0", 24) + Replicate(" ", 199));
  }
}

// The movement follows the batch's operation; the lot trailer counts the
// lot's headers too; the file trailer carries lot "0000" and blanks.
TEST(RuralRemessa, MovementAndTrailers) {
  const std::pair<int, std::string> casos[] = {{0, "01"}, {1, "02"}, {2, "06"}};
  for (const auto& [operacao, movimento] : casos) {
    SCOPED_TRACE(movimento);
    TLoja l = Loja();
    l.NovoTitulo("1002");
    for (json& t : l.dados["BOLETOREC"]) t["IDSITUCNABR"] = operacao == 0 ? "00" : "20";
    TOpcoesGeracao o;
    o.operacao = operacao;
    const auto recs = Gera(l, o);
    ASSERT_EQ(recs.size(), 10u);
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(field(recs[2 + i], 4, 14),
                "00013" + fields::Ajusta(std::to_string(i + 1), 5) + "PQR"s[i % 3] + " " + movimento);
    EXPECT_EQ(field(recs[8], 4, 237),
              "00015" + Replicate(" ", 9) + "000008" + Replicate("0", 92) + Replicate(" ", 125));
    EXPECT_EQ(recs[9], "45300009" + Replicate(" ", 232));
  }
}

// The stored number's last digit is its check digit, the seven before it the
// number; the portfolio is the last but one character of the company's code.
TEST(RuralRemessa, TitleNumberAndPortfolio) {
  const std::pair<const char*, std::string> numeros[] = {
      {"12345678-9", "23456789"}, {"12345678", "12345678"},      {"1234567-8", "12345678"},
      {"5", "00000005"},          {"12345678901-P", "5678901P"},
  };
  for (const auto& [nosso, campo] : numeros) {
    SCOPED_TRACE(nosso);
    TLoja l = Loja();
    l.titulo()["CDNOSNUMREC"] = nosso;
    EXPECT_EQ(field(Gera(l)[2], 38, 8), campo);
  }
  const std::pair<const char*, std::string> carteiras[] = {{"123", "2"}, {"019", "1"}, {"12 ", "1"}};
  for (const auto& [carteira, campo] : carteiras) {
    SCOPED_TRACE(carteira);
    TLoja l = Loja("453", carteira);
    EXPECT_EQ(field(Gera(l)[2], 58, 1), campo);
  }
}

// The bank prints the slip and numbers the document itself; else the
// invoice and its instalment, or the title number.
TEST(RuralRemessa, SlipDocumentAndIdentifier) {
  struct TCaso {
    const char *impressao, *forma;
    json duplicata;
    std::string campos;
  };
  const TCaso casos[] = {
      {"B", "2", nullptr, "2191" + Replicate(" ", 15)},
      {"E", "", {{"DUPLICATA", "123"}, {"NRPARCELA", "2"}}, "1122" + PadR("000000012302", 15)},
      {"E", nullptr, nullptr, "1122" + PadR("1001", 15)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campos);
    TLoja l = Loja();
    l.titulo().update({{"IDIMPRBOLBOL", c.impressao}, {"IDFORMCADBREC", c.forma ? json(c.forma) : json()}});
    if (!c.duplicata.is_null()) {
      json duplicata = c.duplicata;
      duplicata.update({{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}});
      l.Linha("DUPLICATA", duplicata);
    }
    const std::string p = Gera(l)[2];
    EXPECT_EQ(field(p, 59, 19), c.campos);
    EXPECT_EQ(field(p, 78, 40), "20122026"s + "000000000123456" + "00000" + " " + "06" + "A" + "08122026");
    EXPECT_EQ(field(p, 142, 99), Replicate("0", 54) + PadR("00011001CART1109", 25) + "300" + "0000" + "09" +
                                     Replicate("0", 10) + " ");
  }
}

// Charge block of segment P (118-141), never dated; every amount is a
// percentage of the title, worth 150.00 unless the case says otherwise. A
// title without value never divides: the rules that would are passed over.
TEST(RuralRemessa, ChargeBlock) {
  const std::string z = "00000000";
  const std::pair<json, std::string> casos[] = {
      {{{"VRPEMORBREC", 2.0}, {"VRMORDIABREC", 1.5}}, "1" + z + "000000000000200"},
      {{{"VRPEMORBREC", 0.033}}, "1" + z + "000000000000003"},
      {{{"VRMORDIABREC", 1.5}, {"VRPEMULBREC", 2.0}}, "1" + z + "000000000000100"},
      {{{"VRPEMULBREC", 2.5}, {"VRMULTABREC", 3.0}}, "2" + z + "000000000000250"},
      {{{"VRMULTABREC", 10.0}, {"VRFINALBREC", 200.0}}, "2" + z + "000000000000500"},
      {{{"VRMORDIABREC", 1.5}, {"VRPEMULBREC", 2.0}, {"VRFINALBREC", 0.0}}, "2" + z + "000000000000200"},
      {{{"VRMORDIABREC", 1.5}, {"VRMULTABREC", 3.0}, {"VRFINALBREC", 0.0}}, "3" + Replicate("0", 23)},
      {json::object(), "3" + Replicate("0", 23)},
  };
  for (const auto& [campos, encargo] : casos) {
    SCOPED_TRACE(campos.dump());
    TLoja l = Loja();
    l.titulo()["VRFINALBREC"] = 150.0;
    l.titulo().update(campos);
    EXPECT_EQ(field(Gera(l)[2], 118, 24), encargo);
  }
}

// Days ask the bank to protest unless the title says not to ("3"); pledged
// and discounted titles carry the company's contract as digits.
TEST(RuralRemessa, ProtestAndContract) {
  struct TCaso {
    json campos;
    std::string protesto, contrato;
  };
  const TCaso casos[] = {
      {{{"QTDIAPROTBOL", 5}}, "105", Replicate("0", 10)},
      {{{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 10}}, "110", Replicate("0", 10)},
      {{{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, "300", Replicate("0", 10)},
      {{{"CDDIAPROTBOL", "1"}, {"IDCARTCOBREC", "3"}}, "300", "0000123456"},  // 12345-6
      {{{"IDCARTCOBREC", "4"}, {"CDCEDENTEBAN", "123456789012"}}, "300", "3456789012"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campos.dump());
    TLoja l = Loja();
    for (const auto& [campo, valor] : c.campos.items())
      (campo == "CDCEDENTEBAN" ? l.conta() : l.titulo())[campo] = valor;
    const std::string p = Gera(l)[2];
    EXPECT_EQ(field(p, 221, 3), c.protesto);
    EXPECT_EQ(field(p, 230, 11), c.contrato + " ");
  }
}

// What the bank could not read stops the run before the file, naming the
// title (or the batch) and the field: so do a portfolio code without a
// usable character and a company tax id of more than 14 digits.
TEST(RuralRemessa, RefusedBeforeTheFile) {
  struct TCaso {
    const char *tabela, *campo;
    json valor;
    const char *chave, *texto;
  };
  const TCaso casos[] = {
      {"CONTCORR", "CDAGENCIA", "12A4", "CAMPO_NUM_INV", "Remessa: o campo 053-057 do registro 0"},
      {"CONTCORR", "CDCONTCORR", "0009876X-4", "CAMPO_NUM_INV", "Remessa: o campo 062-071 do registro 0"},
      {"CONTCORR", "CDCEDENTEBAN", "12A45-6", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 230-239 do registro 3P"},
      {"BOLETOREC", "CDNOSNUMREC", "1234A67-9", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 038-044 do registro 3P"},
      {"BOLETOREC", "VRFINALBREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 086-100 do registro 3P"},
      {"EMPRBANC", "CDCARTCOBR", "109", "NR_CART_INV", ""},
      {"EMPRBANC", "CDCARTCOBR", "9", "NR_CART_INV", ""},
      {"EMPRBANC", "CDCARTCOBR", nullptr, "NR_CART_INV", ""},
      {"EMPRESA", "", "12.345.678/0001-955", "INSCRICAO_INV", ""},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.valor.dump());
    TLoja l = Loja();
    l.NovoTitulo("1002")["IDCARTCOBREC"] = "3";
    const std::string tabela = c.tabela;
    if (tabela == "EMPRESA")
      l.inscricaoEmpresa = c.valor.get<std::string>();
    else
      l.dados[tabela][tabela == "BOLETOREC" ? 1 : 0][c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave);
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

}  // namespace
