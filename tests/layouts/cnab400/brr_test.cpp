#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/escritores.h"
#include "fields/text.h"
#include "host/messages.h"
#include "host/staging.h"
#include "layouts/catalogue.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;
using fields::PadR;

namespace {

// The positions the bank reads as numbers, by record type; the access key
// is blank for a title without one.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 27, 20},  {'0', 77, 3},  {'0', 95, 6},         {'0', 111, 7},  {'1', 22, 16},
    {'1', 67, 4},   {'1', 71, 12}, {'1', 121, 19},       {'1', 161, 13}, {'1', 180, 13},
    {'1', 221, 14}, {'1', 327, 8}, {'1', 401, 44, true},
};

const std::string kChave = "35261212345678000195550010000500011000500010";

// Title 1001 with its duplicate, the invoice behind it and a message; title
// 1002 with none of them.
TLoja Completa() {
  TLoja l("394");
  l.EmprBanc()["CDEMPBANCREC"] = "4.321.987-0";
  l.Linha(
      "TXBOLETO",
      {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"TXMENSBOLBOL", "Não receber\r\napós o vencimento"}});
  l.Linha("NOTAFISCAL",
          {{"CDFILIAL", "0001"}, {"NRLANCTONF", "L1"}, {"CDFILIRECE", "0001"}, {"NRACESSONFE", kChave}});
  l.Linha("DUPLICATA", {{"CDFILIAL", "0001"},
                        {"NRLANBOLREC", "1001"},
                        {"DUPLICATA", "NF-77"},
                        {"NRPARCELA", "1"},
                        {"CDFILINF", "0001"},
                        {"NRLANCTONF", "L1"}});
  l.NovoTitulo("1002");
  return l;
}

// A discount file: the form never offers the kind for this bank, so the
// writer is called by name on the prepared batch; the file checked whole.
std::vector<std::string> Desconto(TLoja& l, const std::string& tipoEmpresa = "J") {
  TStore s(l.dados.dump());
  s.Server().Conexao().Exec("UPDATE EMPRESA SET IDTPIJUREMPR = '" + tipoEmpresa + "'");
  auto& f = s.Prepara();
  struct Descarta {
    ~Descarta() { host::TOutputStage::Current().Discard(); }
  } descarta;
  f.MarcaTodos(false);
  layouts::Remessa_BcoBRR(app::RemessaDoForm(f), *app::TitulosDoForm(f), false);
  std::ifstream in(host::StagingName(s.Arquivo()), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  for (const auto& falha : layouts::VerificaArquivo(texto, kNumericos).falhas) ADD_FAILURE() << falha.texto;
  std::vector<std::string> recs;
  for (size_t at = 0; at + 446 <= texto.size(); at += 446) recs.push_back(texto.substr(at, 444));
  return recs;
}

}  // namespace

// Every field of a collection file, from data typed with its punctuation;
// the access key stands before the sequence, blank for a title without one.
TEST(Brr, CollectionHeaderDetailAndAccessKey) {
  TLoja l = Completa();
  l.dados["BANCO"][0]["NMBANCO"] = "Banco BRR Múltiplo\nS.A.";
  l.titulo().update({{"VRPEDESCBCLI", 10.0}, {"CDINS1COBBOL", "6"}, {"QTDIAPROTBOL", 5}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 46), "01REMESSA01COBRANCA       00000000000043219870");
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));  // the company row
  EXPECT_EQ(field(h, 77, 18), "394BANCO BRR MULTI");
  EXPECT_EQ(field(h, 95, 23), "081226        MX0000001");
  EXPECT_EQ(field(h, 118, 327), std::string(277, ' ') + "000001" + std::string(44, ' '));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 21), "100000 000000000000 0");
  EXPECT_EQ(field(d, 22, 16), "1090123400987654");  // portfolio, agency 123-4, account 00098765-4
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 8), "00000000");
  EXPECT_EQ(field(d, 71, 12), "000123456789");  // nosso número 12345678-9
  EXPECT_EQ(field(d, 83, 26), std::string(10, '0') + "2" + std::string(12, ' ') + "0  ");
  EXPECT_EQ(field(d, 109, 41), "01NF-77   0120122600000001234560000000001");
  EXPECT_EQ(field(d, 150, 24), "N0812260605" + std::string(13, '0'));
  EXPECT_EQ(field(d, 174, 19), "2012260000000012346");  // 10% of 1234,56
  EXPECT_EQ(field(d, 193, 26), std::string(26, '0'));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 52), PadR("RUA AUGUSTA, 1500  APTO 12", 52));
  EXPECT_EQ(field(d, 327, 8), "01310100");
  EXPECT_EQ(field(d, 335, 60), PadR("NAO RECEBER  APOS O VENCIMENTO", 60));
  EXPECT_EQ(field(d, 401, 44), kChave);

  EXPECT_EQ(field(recs[2], 111, 10), PadR("1002", 10));                 // no duplicate: the title number
  EXPECT_EQ(field(recs[2], 335, 60), std::string(60, ' '));             // no message
  EXPECT_EQ(field(recs[2], 395, 50), "000003" + std::string(44, ' '));  // the sequence, no access key
  EXPECT_EQ(recs[3], "9" + std::string(393, ' ') + "000004" + std::string(44, ' '));
}

// A title whose first duplicate has no invoice takes the key of a later one's.
TEST(Brr, AccessKeyOfALaterDuplicate) {
  TLoja l("394");
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "D1"}, {"NRPARCELA", "1"}});
  l.Linha("DUPLICATA", {{"CDFILIAL", "0001"},
                        {"NRLANBOLREC", "1001"},
                        {"DUPLICATA", "D2"},
                        {"NRPARCELA", "2"},
                        {"CDFILINF", "0001"},
                        {"NRLANCTONF", "L2"}});
  l.Linha("NOTAFISCAL",
          {{"CDFILIAL", "0001"}, {"NRLANCTONF", "L2"}, {"CDFILIRECE", "0001"}, {"NRACESSONFE", kChave}});
  const auto d = l.Gera({}, kNumericos)[1];
  EXPECT_EQ(field(d, 111, 10), "D1      01");
  EXPECT_EQ(field(d, 401, 44), kChave);
}

// The fine is sent from its own column, whether or not the title has
// interest; a stored daily amount, even zero, comes before the percentage.
TEST(Brr, FineAndInterestFollowTheirOwnColumns) {
  const struct {
    json multa, juros, mora;
    const char *campoMulta, *campoJuros;
  } casos[] = {
      {2.0, nullptr, nullptr, "20200", "0000000000000"},
      {nullptr, 1.0, nullptr, "00000", "0000000001235"},  // 1% of 1234,56 a day
      {0.0, nullptr, 1.5, "00000", "0000000000150"},
      {2.5, 1.0, 0.0, "20250", "0000000000000"},
  };
  for (const auto& c : casos) {
    TLoja l("394");
    l.titulo().update({{"VRPEMULBREC", c.multa}, {"VRPEMORBREC", c.juros}, {"VRMORDIABREC", c.mora}});
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 66, 5), c.campoMulta) << c.multa << " " << c.juros << " " << c.mora;
    EXPECT_EQ(field(d, 161, 13), c.campoJuros) << c.multa << " " << c.juros << " " << c.mora;
  }
}

// Printed by the bank: no nosso número, and the bank issues the slip.
TEST(Brr, PrintingIndicatorDecidesNossoNumero) {
  const struct {
    const char *impressao, *nosso, *emissao;
  } casos[] = {{"B", "000000000000", "1"}, {"", "000123456789", "2"}, {"F", "000123456789", "2"}};
  for (const auto& c : casos) {
    TLoja l("394");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 71, 12), c.nosso) << c.impressao;
    EXPECT_EQ(field(d, 93, 1), c.emissao) << c.impressao;
  }
}

// The payer's type code, and the override record as the payer.
TEST(Brr, PayerTypeAndOverride) {
  const std::pair<const char*, const char*> tipos[] = {{"", "98"},  {"F", "01"}, {"J", "02"},
                                                       {"I", "99"}, {"O", "99"}, {"X", "99"}};
  for (auto [tipo, codigo] : tipos) {
    TLoja l("394");
    l.dados["CLIENTE"][0]["IDTPIJURCLIE"] = tipo;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 219, 2), codigo) << tipo;
  }
  TLoja l("394");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Três Corações Ltda"},
                         {"DSENDELUSO", "  Rodovia BR-116, Km 23"},
                         {"NRCEPLUSO", "44.380-000"}});
  const auto d = l.Gera({}, kNumericos)[1];
  EXPECT_EQ(field(d, 219, 56), "0255666777000100" + PadR("TRES CORACOES LTDA", 40));
  EXPECT_EQ(field(d, 275, 40), PadR("RODOVIA BR-116, KM 23", 40));
  EXPECT_EQ(field(d, 327, 8), "44380000");
}

// The occurrence code tells the bank the batch's operation.
TEST(Brr, OccurrenceFollowsTheOperation) {
  for (auto [op, codigo] : {std::pair{1, "02"}, std::pair{2, "06"}}) {
    TLoja l("394");
    const TOpcoesGeracao o = l.Operacao(op);
    EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), codigo) << op;
  }
}

// The discount file: "DESC" and the account in the header, the company's type
// and tax id in each detail, the collection-only fields blank or zero.
TEST(Brr, DiscountRemittance) {
  TLoja l = Completa();
  l.conta()["CDCONTCORR"] = "0098765-4";
  auto recs = Desconto(l);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[0], 118, 249), std::string(249, ' '));
  EXPECT_EQ(field(recs[0], 367, 78),
            "DESC00420123400987654" + std::string(7, ' ') + "000001" + std::string(44, ' '));
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37),
            "102123456780001950000"
            "1090123400987654");
  EXPECT_EQ(field(d, 63, 8), "00000000");
  EXPECT_EQ(field(d, 93, 16), std::string(16, ' '));
  EXPECT_EQ(field(d, 140, 79), std::string(8, ' ') + "01 " + std::string(68, '0'));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 335, 60), std::string(60, ' '));
  EXPECT_EQ(field(d, 401, 44), kChave);  // no message in a discount file

  const std::pair<const char*, const char*> tipos[] = {
      {"I", "98"}, {"O", "98"}, {"X", "98"}, {"", "99"}, {"F", "01"}};
  for (auto [tipo, codigo] : tipos) EXPECT_EQ(field(Desconto(l, tipo)[1], 2, 2), codigo) << tipo;
}

// A discount batch needs the account's authorisation and an account number
// its eight positions hold; either stops the run before the file.
TEST(Brr, DiscountNeedsAuthorisationAndAnEightDigitAccount) {
  const struct {
    const char *campo, *valor, *chave;
  } casos[] = {{"NRAUTCNABDES", " ", "NRAUTORIZACAO_N_CAD"}, {"CDCONTCORR", "00098765-4", "Err_CNAB_Desc"}};
  for (const auto& c : casos) {
    TLoja l("394");
    l.conta()["CDCONTCORR"] = "0098765-4";
    l.conta()[c.campo] = c.valor;
    try {
      Desconto(l);
      ADD_FAILURE() << c.campo << ": the file was written";
    } catch (const host::EMensErro& e) {
      EXPECT_EQ(e.Key(), c.chave);
    }
  }
}

// A letter where the bank reads a number, or a value wider than its field,
// stops the run before the file, naming the title even when it is the last.
TEST(Brr, UnreadableNumbersStopTheRun) {
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDCARTCOBBOL", "1O9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 022-024 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"VRPEMULBREC", 100.0, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 067-070 do registro 1"},
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 071-082 do registro 1"},
      {"NRACESSONFE", "3526121234567800019555001000050001100050001O", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 401-444 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l = Completa();
    l.dados["DUPLICATA"][0]["NRLANBOLREC"] = "1002";
    if (std::string(c.campo) == "NRACESSONFE")
      l.dados["NOTAFISCAL"][0][c.campo] = c.valor;
    else
      l.titulo(1)[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
