// Banco Real files generated end to end on the shared store (data as operators
// type it: agency "123-4", account "00098765-4", nosso número "12345678-9"),
// the real run, the whole file checked, and the records read back by position.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "fields/text.h"
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

// What the bank reads as numbers; the check digits of agency and account may
// be blank. The title number comes last: a stored check character "P" stands
// in it.
constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 14}, {'0', 53, 5},   {'0', 58, 1, true}, {'0', 59, 12}, {'0', 71, 1, true}, {'0', 144, 28},
    {'0', 226, 3}, {'1', 19, 15},  {'1', 54, 5},       {'1', 60, 12}, {'1', 184, 24},     {'P', 18, 5},
    {'P', 24, 12}, {'P', 38, 7},   {'P', 58, 4},       {'P', 78, 28}, {'P', 107, 2},      {'P', 110, 86},
    {'P', 221, 4}, {'P', 228, 12}, {'Q', 18, 16},      {'Q', 129, 8}, {'Q', 154, 16},     {'Q', 210, 3},
    {'R', 18, 72}, {'R', 200, 16}, {'R', 217, 12},     {'R', 231, 1}, {'5', 18, 98},      {'9', 18, 18},
    {'P', 45, 13},
};
const auto kSemNossoNumero = std::span(kNumericos).first(std::size(kNumericos) - 1);

// The bank refuses a company whose stored tax id is longer than 14
// characters: the store's company keeps its CNPJ as digits.
TLoja Loja(const std::string& banco = "356") {
  TLoja l(banco);
  l.inscricaoEmpresa = "12345678000195";
  return l;
}

json Registro(json campos, const std::string& numero = "1001") {
  campos["CDFILIAL"] = "0001";
  campos["NRLANBOLREC"] = numero;
  return campos;
}

const std::string kConta = "000000098765";  // 00098765-4 without its check digit
const std::string kEmpresa = "EMPRESA TESTE COMERCIO LTDA";

// Agency, account, tax ids, postcode, nosso número and value as operators
// type them reach the bank as digits. The agency's check digit is the last
// digit of the stored agency where the bank's picture has one (275: 999-9),
// a blank where it has none (356: 9999).
TEST(RealRemessa, TypedPunctuationBecomesDigits) {
  for (const auto& [banco, dv, nome] :
       {std::tuple{"356", " ", "REAL"}, std::tuple{"275", "4", "BANCO 275"}}) {
    SCOPED_TRACE(banco);
    TLoja l = Loja(banco);
    const auto recs = l.Gera({}, kNumericos);
    ASSERT_EQ(recs.size(), 7u);
    EXPECT_EQ(field(recs[0], 18, 55),
              "2"s + "12345678000195" + PadR("123400098765BA", 20) + "01234" + dv + kConta + "4" + " ");
    EXPECT_EQ(field(recs[0], 103, 30), PadR(nome, 30));
    EXPECT_EQ(field(recs[1], 18, 56),
              "2"s + "012345678000195" + Replicate(" ", 20) + "01234 " + kConta + "  ");
    const std::string& p = recs[2];
    EXPECT_EQ(field(p, 18, 45),
              "01234 " + kConta + "  " + "10" + "00000" + "0000123456789" + "000" + "2" + " ");
    EXPECT_EQ(field(p, 86, 15), "000000000123456");
    EXPECT_EQ(field(recs[3], 18, 136), "1"s + "123456789" + "0000" + "09" +
                                           PadR("JOSE DA SILVA COMERCIO", 40) +
                                           PadR("RUA AUGUSTA, 1500  APTO 12 CONSOLACAO", 40) +
                                           Replicate(" ", 15) + "01310100" + PadR("SAO PAULO", 15) + "SP");
  }
}

// Every record carries "356", whichever of its codes the account has; the
// movement follows the batch's operation; the lot trailer counts the lot's
// headers too.
TEST(RealRemessa, BankCodeMovementAndTrailers) {
  struct TCaso {
    const char* banco;
    int operacao;
    std::string movimento;
  };
  for (const TCaso& c : {TCaso{"356", 0, "01"}, TCaso{"275", 1, "02"}, TCaso{"356", 2, "06"}}) {
    SCOPED_TRACE(c.movimento);
    TLoja l = Loja(c.banco);
    // exclusions and alterations are offered the titles already at the bank
    l.NovoTitulo("1002");
    for (json& t : l.dados["BOLETOREC"]) t["IDSITUCNABR"] = c.operacao == 0 ? "00" : "20";
    TOpcoesGeracao o;
    o.operacao = c.operacao;
    const auto recs = l.Gera(o, kNumericos);
    ASSERT_EQ(recs.size(), 10u);
    for (const auto& r : recs) EXPECT_EQ(field(r, 1, 3), "356");
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(field(recs[2 + i], 14, 4), "PQR"s[i % 3] + (" " + c.movimento)) << i;
    EXPECT_EQ(field(recs[8], 18, 98), "000008" + Replicate("0", 92));
    EXPECT_EQ(field(recs[9], 18, 223), "000001000010000000" + Replicate(" ", 205));
  }
}

// The company is always the registered one, even for a batch of a branch
// with a tax id of its own.
TEST(RealRemessa, HeadersCarryTheCompanyNeverTheBranch) {
  TLoja l = Loja();
  l.Linha("FILIAL", {{"CDFILIAL", "0002"},
                     {"CDEMPRESA", "01"},
                     {"NMFILIAL", "Filial Dois"},
                     {"IDTPIJURFILI", "J"},
                     {"NRINSJURFILI", "99.999.999/0002-99"},
                     {"NMRAZSOCFILI", "Filial Dois Comércio"}});
  TOpcoesGeracao o;
  o.filial = "0002";
  const auto recs = l.Gera(o, kNumericos);
  const std::string& h = recs[0];
  EXPECT_EQ(field(h, 9, 24), Replicate(" ", 9) + "2" + "12345678000195");
  EXPECT_EQ(field(h, 73, 99), PadR(kEmpresa, 30) + PadR("REAL", 30) + Replicate(" ", 10) + "1" + "08122026" +
                                  "103000" + "000042" + "040" + "00000");
  EXPECT_EQ(field(h, 172, 69), Replicate(" ", 54) + "000" + Replicate(" ", 12));
  const std::string& lote = recs[1];
  EXPECT_EQ(field(lote, 9, 25), "R01  040 2012345678000195");
  EXPECT_EQ(field(lote, 74, 167), PadR(kEmpresa, 30) + Replicate(" ", 80) + "00000001" + "08122026" +
                                      "00000000" + Replicate(" ", 33));
}

// A person's CPF goes in the CNPJ's 15 positions with four zeros where a
// CNPJ carries its branch; typed as "123.456.789-09" it fits the 14
// characters the bank takes.
TEST(RealRemessa, CompanyThatIsAPerson) {
  testsupport::TStore store(Loja().dados.dump());
  store.Server().Conexao().Exec("UPDATE EMPRESA SET NRINSJUREMPR = '123.456.789-09', IDTPIJUREMPR = 'F'");
  store.Gerar({});
  const auto recs = store.Registros(240);
  EXPECT_EQ(field(recs[0], 18, 15), "1"s + "00012345678909");
  EXPECT_EQ(field(recs[1], 18, 16), "1"s + "123456789000009");
}

TEST(RealRemessa, EmptyAgencyAndAccountKeepEveryPosition) {
  TLoja l = Loja();
  l.conta()["CDAGENCIA"] = nullptr;
  l.conta()["CDCONTCORR"] = nullptr;
  const auto recs = l.Gera({}, kNumericos);
  EXPECT_EQ(field(recs[0], 33, 41), Replicate("0", 20) + "00000 " + Replicate("0", 12) + "  " + "E");
  EXPECT_EQ(field(recs[1], 54, 20), "00000 " + Replicate("0", 12) + "  ");
  EXPECT_EQ(field(recs[2], 18, 20), "00000 " + Replicate("0", 12) + "  ");
}

// With numbers of seven digits (or no size) the last seven characters of the
// stored number, else its last thirteen; in both the punctuation goes and a
// check character "P" stays.
TEST(RealRemessa, TitleNumberAndSlipIssue) {
  struct TCaso {
    json tamanho;
    const char *nosso, *impressao;
    std::string numero, emissao;
  };
  const TCaso casos[] = {
      {"[SEQ07]", "12P3-45", "E", "000000" + "012P345"s, "2"},
      {"[SEQ07]", "123456789-0", "E", "000000" + "4567890"s, "2"},
      {"[SEQ07]", "", "B", Replicate("0", 13), "1"},
      {nullptr, "1234567-8", "B", "000000" + "2345678"s, "1"},
      {"[SEQ11]", "12345678901-P", "E", "012345678901P", "2"},
      {"09[SEQ11]", "00000700034-4", "E", "0000007000344", "2"},  // the demo's accounts and titles
      {"[SEQ11]", "", "B", Replicate("0", 13), "1"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.tamanho.dump() + " " + c.nosso);
    TLoja l = Loja();
    l.conta()["DSNOSNUMCORR"] = c.tamanho;
    l.titulo().update({{"CDNOSNUMREC", c.nosso}, {"IDIMPRBOLBOL", c.impressao}, {"CDCARTCOBBOL", "09"}});
    const auto recs = l.Gera({}, c.numero.find('P') == std::string::npos ? kNumericos : kSemNossoNumero);
    EXPECT_EQ(field(recs[2], 38, 25), "0900000" + c.numero + "000" + c.emissao + " ");
  }
}

TEST(RealRemessa, DocumentNumberValueAndIdentifier) {
  const std::pair<json, std::string> casos[] = {
      {Registro({{"DUPLICATA", "123"}, {"NRPARCELA", "2"}}), PadR("000000012302", 15)},
      {nullptr, PadR("1001", 15)},
  };
  for (const auto& [duplicata, documento] : casos) {
    SCOPED_TRACE(documento);
    TLoja l = Loja();
    if (!duplicata.is_null()) l.Linha("DUPLICATA", duplicata);
    const auto recs = l.Gera({}, kNumericos);
    const std::string& p = recs[2];
    EXPECT_EQ(field(p, 63, 15), documento);
    EXPECT_EQ(field(p, 78, 40), "20122026"s + "000000000123456" + "00000" + " " + "02" + "A" + "08122026");
    EXPECT_EQ(field(p, 142, 54), Replicate("0", 54));
    EXPECT_EQ(field(p, 196, 34), PadR("00011001CART1109", 25) + "300" + "0   09");
  }
}

// Charge block of segment P (118-141); every amount is a percentage of the
// title, worth 150.00 unless the case says otherwise. A title without value
// never divides: the rules that would are passed over.
TEST(RealRemessa, ChargeBlock) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string encargo;
  };
  const std::string venc = "20122026";
  const TCaso casos[] = {
      {"interest percentage", {{"VRPEMORBREC", 2.0}, {"VRMORDIABREC", 1.5}}, "1" + venc + "000000000000200"},
      {"daily interest as a percentage", {{"VRMORDIABREC", 1.5}}, "1" + venc + "000000000000100"},
      {"daily interest wins over a fine",
       {{"VRMORDIABREC", 1.5}, {"VRPEMULBREC", 2.0}},
       "1" + venc + "000000000000100"},
      {"fine percentage", {{"VRPEMULBREC", 2.5}}, "2" + venc + "000000000000250"},
      {"fine amount as a percentage", {{"VRMULTABREC", 3.0}}, "2" + venc + "000000000000200"},
      {"title without value: the daily interest is passed over",
       {{"VRMORDIABREC", 1.5}, {"VRPEMULBREC", 2.0}, {"VRFINALBREC", 0.0}},
       "2" + venc + "000000000000200"},
      {"title without value: nothing to state",
       {{"VRMORDIABREC", 1.5}, {"VRMULTABREC", 3.0}, {"VRFINALBREC", 0.0}},
       "3" + Replicate("0", 23)},
      {"no charge", json::object(), "3" + Replicate("0", 23)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l = Loja();
    l.titulo()["VRFINALBREC"] = 150.0;
    l.titulo().update(c.campos);
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[2], 118, 24), c.encargo);
    EXPECT_EQ(field(recs[4], 66, 24), Replicate("0", 24));  // the fine is not sent in segment R
  }
}

// Days ask the bank to protest unless the title says not to ("3"); pledged
// and discounted titles carry the company's contract as digits.
TEST(RealRemessa, ProtestAndContract) {
  struct TCaso {
    json campos;
    std::string protesto, contrato;
  };
  const TCaso casos[] = {
      {{{"QTDIAPROTBOL", 5}}, "105", Replicate("0", 10)},
      {{{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 10}}, "110", Replicate("0", 10)},
      {{{"CDDIAPROTBOL", "1"}}, "300", Replicate("0", 10)},
      {{{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, "300", Replicate("0", 10)},
      {{{"IDCARTCOBREC", "3"}}, "300", "0000123456"},  // 12345-6
      {{{"IDCARTCOBREC", "4"}, {"CDCEDENTEBAN", "123456789012"}}, "300", "3456789012"},
      {{{"IDCARTCOBREC", "2"}}, "300", Replicate("0", 10)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campos.dump());
    TLoja l = Loja();
    for (const auto& [campo, valor] : c.campos.items())
      (campo == "CDCEDENTEBAN" ? l.conta() : l.titulo())[campo] = valor;
    const auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[2], 221, 3), c.protesto);
    EXPECT_EQ(field(recs[2], 230, 11), c.contrato + " ");
  }
}

// A company client, and a payer override record (its trade name; the
// district travels in the address).
TEST(RealRemessa, PayerInSegmentQ) {
  TLoja l = Loja();
  l.titulo()["CDCLIENTE"] = "C1";
  l.NovoTitulo("1002");
  l.Linha("LICENCAUSO", Registro({{"IDTPIJURLUSO", "J"},
                                  {"NRINSJURLUSO", "55.666.777/0001-00"},
                                  {"NMRAZSOCLUSO", "Razão Social"},
                                  {"NMFANTLUSO", "Fantasia Açaí"},
                                  {"DSENDELUSO", "  Rua das Flores, 10 "},
                                  {"NMBAIRLUSO", " Jardim América"},
                                  {"NRCEPLUSO", "37410-000"},
                                  {"NMMUNICIPIO", "Três Corações"},
                                  {"SGESTADO", "MG"}},
                                 "1002"));
  const auto recs = l.Gera({}, kNumericos);
  const std::string& cliente = recs[3];
  EXPECT_EQ(field(cliente, 18, 56), "2"s + "098765432000110" + PadR("CLIENTE UM LTDA", 40));
  EXPECT_EQ(field(cliente, 74, 80),
            PadR("RUA UM, 1 CENTRO", 40) + Replicate(" ", 15) + "01001000" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(cliente, 154, 87),
            "0" + Replicate("0", 15) + Replicate(" ", 40) + "000" + Replicate(" ", 28));
  const std::string& licenca = recs[6];
  EXPECT_EQ(field(licenca, 18, 56), "2"s + "055666777000100" + PadR("FANTASIA ACAI", 40));
  EXPECT_EQ(field(licenca, 74, 80), PadR("RUA DAS FLORES, 10 JARDIM AMERICA", 40) + Replicate(" ", 15) +
                                        "37410000" + PadR("TRES CORACOES", 15) + "MG");
}

TEST(RealRemessa, SlipMessageInSegmentR) {
  const std::pair<const char*, std::string> casos[] = {
      {"  Não receber após", PadR("NAO RECEBER APOS", 40)},
      {nullptr, Replicate(" ", 40)},
  };
  for (const auto& [mensagem, linha] : casos) {
    SCOPED_TRACE(linha);
    TLoja l = Loja();
    l.titulo()["VRPEMULBREC"] = 2.0;
    if (mensagem) l.Linha("TXBOLETO", Registro({{"TXMENSBOLBOL", mensagem}}));
    const auto recs = l.Gera({}, kNumericos);
    const std::string& r = recs[4];
    EXPECT_EQ(field(r, 18, 82), Replicate("0", 72) + Replicate(" ", 10));
    EXPECT_EQ(field(r, 100, 40), linha);
    EXPECT_EQ(field(r, 140, 101),
              Replicate(" ", 60) + Replicate("0", 16) + " " + Replicate("0", 12) + "  0" + Replicate(" ", 9));
  }
}

// A letter where the bank reads a number, or a value wider than its field,
// stops the run before the file, naming the title (or the batch) and the
// field; so does a company tax id stored in more than 14 characters.
TEST(RealRemessa, UnreadableNumbersStopTheRun) {
  struct TCaso {
    const char *tabela, *campo;
    size_t linha;
    json valor;
    const char *chave, *texto;
  };
  const TCaso casos[] = {
      {"CONTCORR", "CDAGENCIA", 0, "12A4", "CAMPO_NUM_INV", "Remessa: o campo 053-057 do registro 0"},
      {"CONTCORR", "CDCONTCORR", 0, "0009876X-4", "CAMPO_NUM_INV", "Remessa: o campo 059-070 do registro 0"},
      {"CONTCORR", "CDCEDENTEBAN", 0, "12A45-6", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 230-239 do registro 3P"},
      {"BOLETOREC", "CDNOSNUMREC", 1, "1234A67-9", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 045-057 do registro 3P"},
      {"BOLETOREC", "VRFINALBREC", 1, 1e13, "CAMPO_EXCEDE",
       "Boleto 0001/1002: o campo 086-100 do registro 3P"},
      {"BOLETOREC", "VRMORDIABREC", 1, 1e15, "CAMPO_EXCEDE",
       "Boleto 0001/1002: o campo 127-141 do registro 3P"},
      {"CLIENTE", "NRINSJURCLIE", 0, "123.456.789-0X", "CAMPO_NUM_INV",
       "Boleto 0001/1001: o campo 032-033 do registro 3Q"},
      {"ENDECLIE", "NRCEPCLIE", 0, "0131O-100", "CAMPO_NUM_INV",
       "Boleto 0001/1001: o campo 129-136 do registro 3Q"},
      {"EMPRESA", "", 0, "12.345.678/0001-95", "INSCRICAO_INV", ""},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.valor.dump());
    TLoja l = Loja();
    l.NovoTitulo("1002")["IDCARTCOBREC"] = "3";
    if (std::string(c.tabela) == "EMPRESA")
      l.inscricaoEmpresa.clear();  // the store's own, as typed
    else
      l.dados[c.tabela][c.linha][c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave);
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

}  // namespace
