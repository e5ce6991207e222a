#include <gtest/gtest.h>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;
using fields::PadR;

namespace {

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 95, 6},  {'1', 4, 14},   {'1', 63, 8},  {'1', 121, 6},  {'1', 127, 13},
    {'1', 151, 6}, {'1', 161, 13}, {'1', 174, 6}, {'1', 180, 13}, {'1', 221, 14},
    {'1', 327, 8}, {'4', 17, 13},  {'4', 30, 8},
};

const std::string kChave = "35261212345678000195550010000500011000500010";

// A title with its duplicate, the invoice behind it and a message.
TLoja Completa() {
  TLoja l("707");
  l.EmprBanc()["CDEMPBANCREC"] = "4.321.987-0";
  l.titulo()["VRPEDESCBCLI"] = 10.0;
  l.titulo()["TXMENSBOLBOL"] = "Não receber após o vencimento";
  l.Linha("NOTAFISCAL", {{"CDFILIAL", "0001"},
                         {"NRLANCTONF", "L1"},
                         {"NRNOTAFISC", "NF2026-000001234"},
                         {"VRNOTAFISC", 1500.5},
                         {"DTEMISSAO", "2026-11-30"},
                         {"CDFILIRECE", "0001"},
                         {"NRACESSONFE", kChave}});
  l.Linha("DUPLICATA", {{"CDFILIAL", "0001"},
                        {"NRLANBOLREC", "1001"},
                        {"DUPLICATA", "NF-77"},
                        {"NRPARCELA", "1"},
                        {"CDFILINF", "0001"},
                        {"NRLANCTONF", "L1"}});
  return l;
}

// Client C3, with a billing address without postcode, for title numero.
json& OutroCliente(TLoja& l, const std::string& numero) {
  l.dados["CLIENTE"].push_back(
      {{"CDCLIENTE", "C3"}, {"NMRAZSOCCLIE", "Sem Documento"}, {"IDTPIJURCLIE", "J"}});
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

// Every field of the header and of a title's records 1, 4 and 2, in that
// order, from data typed with its punctuation.
TEST(Daycoval, HeaderDetailInvoiceAndMessage) {
  TLoja l = Completa();
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 5u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA       ");
  EXPECT_EQ(field(h, 27, 20), PadR("4.321.987-0", 20));
  EXPECT_EQ(field(h, 47, 30), PadR("FILIAL MATRIZ COMERCIO LTDA", 30));  // the batch branch
  EXPECT_EQ(field(h, 77, 24), "707BANCO DAYCOVAL 081226");
  EXPECT_EQ(field(h, 101, 294), std::string(294, ' '));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 17), "10212345678000195");
  EXPECT_EQ(field(d, 18, 20), PadR("4.321.987-0", 20));
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 8), "12345678");  // "12345678-9" without its check digit
  EXPECT_EQ(field(d, 71, 37), std::string(37, ' '));
  EXPECT_EQ(field(d, 108, 3), "601");
  EXPECT_EQ(field(d, 111, 10), "NF-77   01");
  EXPECT_EQ(field(d, 121, 6), "201226");
  EXPECT_EQ(field(d, 127, 13), "0000000123456");
  EXPECT_EQ(field(d, 140, 21), "7070000012N0812260000");
  EXPECT_EQ(field(d, 161, 13), std::string(13, '0'));
  EXPECT_EQ(field(d, 174, 19), "2012260000000012346");  // 10% of 1234,56
  EXPECT_EQ(field(d, 193, 26), std::string(26, '0'));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 12), "CONSOLACAO  ");
  EXPECT_EQ(field(d, 327, 25), "01310100SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(d, 382, 13), std::string(10, ' ') + "000");

  const auto& n = recs[2];
  EXPECT_EQ(field(n, 1, 37), "4NF2026-00000123000000015005030112026");
  EXPECT_EQ(field(n, 38, 44), kChave);
  EXPECT_EQ(field(n, 82, 313), std::string(313, ' '));

  const auto& m = recs[3];
  EXPECT_EQ(field(m, 1, 71), "20" + PadR("NAO RECEBER APOS O VENCIMENTO", 69));
  EXPECT_EQ(field(m, 72, 323), std::string(323, ' '));
}

// The message is wrapped at 69: at a line break within reach, else at the
// last blank or mark before the width (a mark also begins the next line),
// else cut hard; a mark only at the start cannot be a break.
TEST(Daycoval, MessageLines) {
  const std::string a60(60, 'A'), b30(30, 'B'), d80(80, 'D');
  const struct {
    std::string texto;
    std::vector<std::string> linhas;
  } casos[] = {
      {a60 + " BBBBBBBBBBBB" + std::string(27, 'C'), {a60, "BBBBBBBBBBBB" + std::string(27, 'C'), "", ""}},
      {"Linha um\r\nLinha dois " + a60, {"LINHA UM", "LINHA DOIS", a60, ""}},
      {"um\r\ndois\r\ntrês\r\nquatro\r\ncinco", {"UM", "DOIS", "TRES", "QUATRO"}},
      {a60 + "BBBBB," + b30, {a60 + "BBBBB,", "," + b30, "", ""}},
      {"." + d80, {"." + std::string(68, 'D'), std::string(12, 'D'), "", ""}},
  };
  for (const auto& c : casos) {
    TLoja l("707");
    l.titulo()["TXMENSBOLBOL"] = c.texto;
    auto recs = l.Gera({}, kNumericos);
    ASSERT_EQ(recs.size(), 4u) << c.texto;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(field(recs[2], 3 + 69 * i, 69), PadR(c.linhas[static_cast<size_t>(i)], 69))
          << c.texto << " line " << i + 1;
  }
  TLoja l("707");
  l.titulo()["TXMENSBOLBOL"] = " \r\n ";
  EXPECT_EQ(l.Gera({}, kNumericos).size(), 3u);  // a blank message gives no record 2
}

// Printed by the bank: no nosso número, no drawer. Printed by the branch
// ("F"): the branch's name when the batch has a branch, else the company's.
TEST(Daycoval, PrintingIndicatorDecidesNossoNumeroAndDrawer) {
  const struct {
    const char* impressao;
    bool filial;
    const char *nosso, *sacador;
  } casos[] = {
      {"B", true, "00000000", ""},
      {"F", true, "12345678", "FILIAL MATRIZ COMERCIO LTDA"},
      {"F", false, "12345678", "EMPRESA TESTE COMERCIO LTDA"},
      {"E", true, "12345678", "EMPRESA TESTE COMERCIO LTDA"},
      {"", true, "12345678", "EMPRESA TESTE COMERCIO LTDA"},
  };
  for (const auto& c : casos) {
    TLoja l("707");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    if (!c.filial) l.conta()["CDFILIAL"] = nullptr;
    auto recs = l.Gera({}, kNumericos);
    EXPECT_EQ(field(recs[1], 63, 8), c.nosso) << c.impressao << c.filial;
    EXPECT_EQ(field(recs[1], 352, 30), PadR(c.sacador, 30)) << c.impressao << c.filial;
    EXPECT_EQ(field(recs[0], 47, 30),
              PadR(c.filial ? "FILIAL MATRIZ COMERCIO LTDA" : "EMPRESA TESTE COMERCIO LTDA", 30));
  }
}

// The company's registration type: a branch of another kind is "03", the
// company row knows only person and company.
TEST(Daycoval, CompanyRegistrationTypeBranchFirst) {
  const struct {
    bool filial;
    const char *tipo, *codigo;
  } casos[] = {{true, "F", "01"}, {true, "I", "03"}, {false, "F", "01"}, {false, "I", "02"}};
  for (const auto& c : casos) {
    TLoja l("707");
    if (!c.filial) l.conta()["CDFILIAL"] = nullptr;
    TStore s(l.dados.dump());
    s.Server().Conexao().Exec(
        std::string(c.filial ? "UPDATE FILIAL SET IDTPIJURFILI" : "UPDATE EMPRESA SET IDTPIJUREMPR") +
        " = '" + c.tipo + "'");
    s.Gerar({});
    const auto recs = s.Registros(400);
    EXPECT_EQ(field(recs[1], 2, 16), std::string(c.codigo) + "12345678000195") << c.filial << c.tipo;
  }
}

// The override record gives the payer (its trade name); the next title's
// payer, without a tax id, gets zeros rather than the previous one's.
TEST(Daycoval, PayerOverrideAndTitlesWithoutTaxId) {
  TLoja l("707");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Razão que não vai"},
                         {"NMFANTLUSO", "Três Corações"},
                         {"DSENDELUSO", "  Rodovia BR-116, Km 23"},
                         {"NMBAIRLUSO", "Distrito Industrial"},
                         {"NRCEPLUSO", "44.380-000"},
                         {"NMMUNICIPIO", "Cruz das Almas"},
                         {"SGESTADO", "BA"}});
  OutroCliente(l, "1002");
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 219, 16), "0255666777000100");
  EXPECT_EQ(field(d, 235, 30), PadR("TRES CORACOES", 30));
  EXPECT_EQ(field(d, 275, 40), PadR("RODOVIA BR-116, KM 23", 40));
  EXPECT_EQ(field(d, 315, 12), "DISTRITO IND");
  EXPECT_EQ(field(d, 327, 25), "44380000CRUZ DAS ALMAS BA");
  EXPECT_EQ(field(recs[2], 111, 10), PadR("1002", 10));  // no duplicate: the title number
  EXPECT_EQ(field(recs[2], 219, 16), "02" + std::string(14, '0'));
  EXPECT_EQ(field(recs[2], 327, 8), std::string(8, '0'));
}

// What the bank could not read stops the run before the file, naming the
// title, even when it is the last one: a nosso número whose check digit
// cannot be told apart, a letter in a number, a value too wide.
TEST(Daycoval, UnreadableTitlesStopTheRun) {
  const struct {
    const char* tabela;
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"BOLETOREC", "CDNOSNUMREC", "123456789", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 063-070 do registro 1"},
      {"BOLETOREC", "CDNOSNUMREC", "-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-070 do registro 1"},
      {"BOLETOREC", "CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-070"},
      {"BOLETOREC", "VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139"},
      {"CLIENTE", "NRINSJURCLIE", "123.456.78X-09", "CAMPO_NUM_INV", "Boleto 0001/1003: o campo 221-234"},
      {"NOTAFISCAL", "VRNOTAFISC", 123456789012.34, "CAMPO_EXCEDE",
       "Boleto 0001/1002: o campo 017-029 do registro 4"},
  };
  for (const auto& c : casos) {
    TLoja l = Completa();
    l.dados["DUPLICATA"][0]["NRLANBOLREC"] = "1002";
    auto& t = l.NovoTitulo("1002");
    if (std::string(c.tabela) == "BOLETOREC") t[c.campo] = c.valor;
    if (std::string(c.tabela) == "CLIENTE") OutroCliente(l, "1003")[c.campo] = c.valor;
    if (std::string(c.tabela) == "NOTAFISCAL") l.dados["NOTAFISCAL"][0][c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo << " " << c.valor;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

// The occurrence code tells the bank the batch's operation.
TEST(Daycoval, OccurrenceFollowsTheOperation) {
  for (auto [op, codigo] : {std::pair{1, "02"}, std::pair{2, "06"}}) {
    TLoja l("707");
    const TOpcoesGeracao o = l.Operacao(op);
    EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), codigo) << op;
  }
}

// An invoice stored without value or date still gives a record the bank reads.
TEST(Daycoval, InvoiceWithoutValueOrDate) {
  TLoja l = Completa();
  l.dados["NOTAFISCAL"][0].erase("VRNOTAFISC");
  l.dados["NOTAFISCAL"][0].erase("DTEMISSAO");
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 5u);
  EXPECT_EQ(field(recs[2], 1, 37),
            "4"
            "NF2026-00000123" +
                std::string(21, '0'));
}
