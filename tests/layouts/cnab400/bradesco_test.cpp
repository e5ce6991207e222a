#include <gtest/gtest.h>

#include "layouts/support/writer_store.h"
#include "support/fixture.h"
#include "support/store.h"

using namespace testsupport;

namespace {

// A Bradesco account with one title; `ajusta` changes the rows before loading.
struct Bradesco {
  json j;
  Bradesco() {
    j["CONTCORR"] = {Conta("237")};
    j["BOLETOREC"] = {Titulo("1")};
  }
  json& titulo(int i = 0) { return j["BOLETOREC"][i]; }
  json& conta() { return j["CONTCORR"][0]; }
  std::vector<std::string> gerar(TOpcoesGeracao o = {}) {
    store = std::make_unique<TStore>(j.dump());
    store->Gerar(o);
    return store->Registros(400);
  }
  std::unique_ptr<TStore> store;
};

// Every file: sequence numbers 1..n at 395-400, header first, trailer last.
void shared_checks(const std::vector<std::string>& recs) {
  ASSERT_GE(recs.size(), 2u);
  for (size_t i = 0; i < recs.size(); ++i) {
    char seq[24];
    std::snprintf(seq, sizeof seq, "%06zu", i + 1);
    EXPECT_EQ(field(recs[i], 395, 6), seq) << "record " << i + 1;
  }
  EXPECT_EQ(recs.front()[0], '0');
  EXPECT_EQ(recs.back(), "9" + std::string(393, ' ') + field(recs.back(), 395, 6));
}

}  // namespace

TEST(Bradesco, CollectionHeaderAndDetail) {
  Bradesco b;
  b.titulo()["VRPEMULBREC"] = 2.0;
  b.titulo()["VRPEMORBREC"] = 0.033;
  b.titulo()["QTDIAPROTBOL"] = 5;
  b.titulo()["CDINS1COBBOL"] = "6";
  auto recs = b.gerar();
  shared_checks(recs);
  ASSERT_EQ(recs.size(), 3u);  // no invoice key, no guarantor: header, detail, trailer
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA       ");
  EXPECT_EQ(field(h, 27, 20), std::string(20, '0'));              // no identification at the bank
  EXPECT_EQ(field(h, 47, 30), "FILIAL MATRIZ COMERCIO LTDA   ");  // the batch branch first
  EXPECT_EQ(field(h, 77, 18), "237BRADESCO       ");
  EXPECT_EQ(field(h, 95, 6), "081226");
  EXPECT_EQ(field(h, 109, 9), "MX0000001");
  EXPECT_EQ(field(h, 118, 277), std::string(277, ' '));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 21), "100000 000000000000 0");
  EXPECT_EQ(field(d, 22, 3), "009");
  EXPECT_EQ(field(d, 25, 5), "01234");
  EXPECT_EQ(field(d, 30, 8), "00012345");
  EXPECT_EQ(field(d, 38, 25), "00011" + std::string(20, ' '));
  EXPECT_EQ(field(d, 66, 5), "20200");          // fine indicator and 2,00 %
  EXPECT_EQ(field(d, 71, 12), "12345678901P");  // digits and the "P" check digit
  EXPECT_EQ(field(d, 93, 1), "2");
  EXPECT_EQ(field(d, 109, 2), "01");
  EXPECT_EQ(field(d, 111, 10), "1         ");  // no duplicate: the title number
  EXPECT_EQ(field(d, 121, 6), "201226");
  EXPECT_EQ(field(d, 127, 13), "0000000100000");
  EXPECT_EQ(field(d, 148, 3), "01N");
  EXPECT_EQ(field(d, 151, 6), "081226");
  EXPECT_EQ(field(d, 157, 4), "0605");
  EXPECT_EQ(field(d, 161, 13), "0000000000033");  // 1000.00 x 0.033 % a day
  EXPECT_EQ(field(d, 174, 6), "000000");
  EXPECT_EQ(field(d, 219, 16), "0298765432000110");
  EXPECT_EQ(field(d, 235, 40), "CLIENTE UM LTDA" + std::string(25, ' '));
  EXPECT_EQ(field(d, 275, 40), "RUA UM, 1" + std::string(31, ' '));
  EXPECT_EQ(field(d, 327, 8), "01001000");
  EXPECT_EQ(field(d, 335, 60), std::string(60, ' '));  // no message for the title
}

TEST(Bradesco, InterestFineAndDiscountAlternatives) {
  struct Case {
    json mora, moraDia, multa, desconto;
    std::string juros, multaCampo, descData, descValor;
  } cases[] = {
      {nullptr, nullptr, nullptr, nullptr, std::string(13, '0'), "00000", "000000", std::string(13, '0')},
      {0.0, 1.5, 0.0, nullptr, "0000000000150", "00000", "000000", std::string(13, '0')},
      {nullptr, 1.5, 2.5, 10.0, "0000000000150", "20250", "201226", "0000000010000"},
  };
  for (const auto& c : cases) {
    Bradesco b;
    b.titulo()["VRPEMORBREC"] = c.mora;
    b.titulo()["VRMORDIABREC"] = c.moraDia;
    b.titulo()["VRPEMULBREC"] = c.multa;
    b.titulo()["VRPEDESCBCLI"] = c.desconto;
    auto d = b.gerar()[1];
    EXPECT_EQ(field(d, 161, 13), c.juros);
    EXPECT_EQ(field(d, 66, 5), c.multaCampo);
    EXPECT_EQ(field(d, 174, 6), c.descData);
    EXPECT_EQ(field(d, 180, 13), c.descValor);
  }
}

TEST(Bradesco, PrintingIndicatorDecidesNossoNumero) {
  struct Case {
    const char* indicador;
    std::string pos93, nosso12, nosso11, dv;
  } cases[] = {
      {"E", "2", "12345678901P", "12345678901", "P"},
      {"B", "1", std::string(12, '0'), std::string(11, '0'), "0"},
      {"", "2", "12345678901P", std::string(11, '0'), "0"},  // empty reads as "E" in record 1 only
  };
  for (const auto& c : cases) {
    Bradesco b;
    b.titulo()["IDIMPRBOLBOL"] = c.indicador;
    b.j["NOTAFISCAL"] = {{{"CDFILIAL", "0001"},
                          {"NRLANCTONF", "L1"},
                          {"NRNOTAFISC", "777"},
                          {"CDFILIRECE", "0001"},
                          {"NRACESSONFE", "35261212345678000195550010000500011000500010"}}};
    b.j["DUPLICATA"] = {{{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1"},
                         {"DUPLICATA", "123456789"},
                         {"NRPARCELA", "3"},
                         {"CDFILINF", "0001"},
                         {"NRLANCTONF", "L1"}}};
    auto recs = b.gerar();
    shared_checks(recs);
    ASSERT_EQ(recs.size(), 4u) << c.indicador;
    EXPECT_EQ(field(recs[1], 93, 1), c.pos93);
    EXPECT_EQ(field(recs[1], 71, 12), c.nosso12);
    EXPECT_EQ(field(recs[1], 111, 10), "2345678903");  // last 8 of the duplicate, instalment "03"
    const auto& nfe = recs[2];
    EXPECT_EQ(field(nfe, 1, 1), "2");
    EXPECT_EQ(field(nfe, 2, 80), std::string(36, '0') + "35261212345678000195550010000500011000500010");
    EXPECT_EQ(field(nfe, 367, 16), "0090123400012345");
    EXPECT_EQ(field(nfe, 383, 11), c.nosso11);
    EXPECT_EQ(field(nfe, 394, 1), c.dv);
  }
}

TEST(Bradesco, OccurrenceFollowsTheOperation) {
  const std::pair<int, const char*> cases[] = {{1, "02"}, {2, "06"}};
  for (auto [op, code] : cases) {
    Bradesco b;
    b.titulo()["IDSITUCNABR"] = "10";  // exclusion and alteration offer titles already sent
    b.titulo()["IDBOLRECALTER"] = "1";
    TOpcoesGeracao o;
    o.operacao = op;
    auto recs = b.gerar(o);
    EXPECT_EQ(field(recs[1], 109, 2), code);
  }
}

TEST(Bradesco, GuarantorWritesCheckDigitsFirstAndRecordSeven) {
  struct Case {
    const char* tipo;
    const char* inscricao;
    std::string campo;
  } cases[] = {
      {"F", "123.456.789-09", "090000123456789"},
      {"J", "12.345.678/0001-95", "950001012345678"},
  };
  for (const auto& c : cases) {
    Bradesco b;
    b.conta()["CDSACAVALISTA"] = c.inscricao;
    b.conta()["NMSACAVALISTA"] = "ABC";
    b.conta()["IDTPIJURSAC"] = c.tipo;
    b.j["TXBOLETO"] = {{{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1"}, {"TXMENSBOLBOL", "not written"}}};
    auto recs = b.gerar();
    shared_checks(recs);
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(field(recs[1], 335, 15), c.campo) << c.tipo;
    EXPECT_EQ(field(recs[1], 350, 45), "  ABC" + std::string(40, ' '));
    const auto& s = recs[2];
    EXPECT_EQ(field(s, 1, 54), "7" + std::string(45, ' ') + "00000000");
    EXPECT_EQ(field(s, 55, 312), std::string(312, ' '));
    EXPECT_EQ(field(s, 367, 28), "009012340001234512345678901P");
  }
}

TEST(Bradesco, MessageAndPayerOverride) {
  Bradesco b;
  b.j["TXBOLETO"] = {
      {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1"}, {"TXMENSBOLBOL", "Não receber após o vencimento"}}};
  b.j["LICENCAUSO"] = {{{"CDFILIAL", "0001"},
                        {"NRLANBOLREC", "1"},
                        {"IDTPIJURLUSO", "F"},
                        {"NRINSJURLUSO", "111.222.333-96"},
                        {"NMRAZSOCLUSO", "Conceição Ávila de Souza Prado e Albuquerque Neto"},
                        {"DSENDELUSO", "   Praça da Sé, 1"},
                        {"NRCEPLUSO", "01001-000"}}};
  auto d = b.gerar()[1];
  EXPECT_EQ(field(d, 219, 16), "0100011122233396");
  EXPECT_EQ(field(d, 235, 40), "CONCEICAO AVILA DE SOUZA PRADO E ALBUQUE");
  EXPECT_EQ(field(d, 275, 40), "PRACA DA SE, 1" + std::string(26, ' '));
  EXPECT_EQ(field(d, 335, 60), "NAO RECEBER APOS O VENCIMENTO" + std::string(31, ' '));
}

TEST(Bradesco, DiscountRemittance) {
  Bradesco b;
  b.conta()["CDSACAVALISTA"] = "123.456.789-09";  // no record 7 in a discount file
  b.conta()["NMSACAVALISTA"] = "ABC";
  b.j["NOTAFISCAL"] = {
      {{"CDFILIAL", "0001"}, {"NRLANCTONF", "L1"}, {"NRACESSONFE", "3526"}, {"CDFILIRECE", "0001"}}};
  b.j["DUPLICATA"] = {{{"CDFILIAL", "0001"},
                       {"NRLANBOLREC", "1"},
                       {"DUPLICATA", "77"},
                       {"NRPARCELA", "1"},
                       {"CDFILINF", "0001"},
                       {"NRLANCTONF", "L1"}}};
  TOpcoesGeracao o;
  o.tipo = 1;
  o.filial = "0001";
  auto recs = b.gerar(o);
  shared_checks(recs);
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(field(recs[0], 118, 249), std::string(249, ' '));
  EXPECT_EQ(field(recs[0], 367, 28),
            "DESC"
            "0042"
            "01234"
            "00012345" +
                std::string(7, ' '));
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 2, 20), "02123456780001950000");  // the batch branch's tax id
  EXPECT_EQ(field(d, 63, 8), "00000000");
  EXPECT_EQ(field(d, 93, 16), std::string(16, ' '));
  EXPECT_EQ(field(d, 111, 10), "77      01");
  EXPECT_EQ(field(d, 140, 11), std::string(8, ' ') + "01 ");
  EXPECT_EQ(field(d, 151, 68), std::string(68, '0'));
  EXPECT_EQ(field(d, 335, 60), std::string(60, ' '));
}

TEST(Bradesco, ManyTitlesKeepTheirOrderAndSequence) {
  Bradesco b;
  b.j["BOLETOREC"] = json::array();
  for (int i = 1; i <= 25; ++i) b.j["BOLETOREC"].push_back(Titulo(std::to_string(i)));
  auto recs = b.gerar();
  shared_checks(recs);
  EXPECT_EQ(recs.size(), 27u);
}

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 27, 20},  {'0', 111, 7},  {'1', 22, 3},  {'1', 25, 5},  {'1', 30, 8},
    {'1', 67, 4},   {'1', 127, 13}, {'1', 157, 2}, {'1', 159, 2}, {'1', 161, 13},
    {'1', 180, 13}, {'1', 221, 14}, {'1', 327, 8}, {'2', 2, 80},  {'2', 367, 3},
    {'2', 370, 5},  {'2', 375, 8},  {'7', 367, 3}, {'7', 370, 5}, {'7', 375, 8},
};

// Accounts, codes, tax ids, postcodes and nosso número as operators type
// them reach the bank as digits, records 1, 2 and 7 of a title agreeing.
TEST(Bradesco, TypedPunctuationBecomesDigits) {
  TLoja l("237");
  l.EmprBanc()["CDEMPBANCREC"] = "4.321.987-0";
  l.Linha("NOTAFISCAL", {{"CDFILIAL", "0001"},
                         {"NRLANCTONF", "L1"},
                         {"CDFILIRECE", "0001"},
                         {"NRACESSONFE", "35261212345678000195550010000500011000500010"}});
  l.Linha("DUPLICATA", {{"CDFILIAL", "0001"},
                        {"NRLANBOLREC", "1001"},
                        {"DUPLICATA", "NF-77"},
                        {"NRPARCELA", "1"},
                        {"CDFILINF", "0001"},
                        {"NRLANCTONF", "L1"}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 5u);  // header, detail, invoice, guarantor, trailer
  EXPECT_EQ(field(recs[0], 27, 20), "00000000000043219870");
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 22, 16),
            "109"
            "01234"
            "00987654");                        // agency 123-4, account 0098765-4
  EXPECT_EQ(field(d, 71, 12), "000123456789");  // nosso número 12345678-9
  EXPECT_EQ(field(d, 219, 16),
            "01"
            "00012345678909");
  EXPECT_EQ(field(d, 235, 40), "JOSE DA SILVA COMERCIO" + std::string(18, ' '));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 40), "RUA AUGUSTA, 1500  APTO 12" + std::string(14, ' '));
  EXPECT_EQ(field(d, 327, 8), "01310100");
  EXPECT_EQ(field(d, 335, 15),
            "09"
            "0000"
            "123456789");  // the guarantor's CPF, check digits first
  EXPECT_EQ(field(recs[2], 2, 80), std::string(36, '0') + "35261212345678000195550010000500011000500010");
  EXPECT_EQ(field(recs[2], 367, 28),
            "109"
            "01234"
            "00987654"
            "00012345678"
            "9");
  EXPECT_EQ(field(recs[3], 367, 28),
            "109"
            "01234"
            "00987654"
            "000123456789");
}

// A letter where the bank reads a number, or a value wider than its field,
// stops the run before the file, naming the title and the field.
TEST(Bradesco, UnreadableNumbersStopTheRun) {
  struct Caso {
    const char* campo;
    json valor;
    const char* chave;
    const char* texto;
  } casos[] = {
      {"CDCONTCORR", "0009876X-4", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 030-037 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1001: o campo 127-139 do registro 1"},
      {"VRPEMULBREC", 100.0, "CAMPO_EXCEDE", "Boleto 0001/1001: o campo 067-070 do registro 1"},
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 071-082 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l("237");
    (std::string(c.campo) == "CDCONTCORR" ? l.conta() : l.titulo())[c.campo] = c.valor;
    l.NovoTitulo("1002");
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
