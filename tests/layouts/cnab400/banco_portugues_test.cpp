// The Banco Português file from the typed store, read back by position. The
// store's clock and processing date stand at 08/12/2026; the title is due
// 20/12/2026.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "fields/cp1252.h"
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
    {'0', 27, 20},  {'0', 95, 6},   {'0', 111, 7},  {'1', 2, 5},   {'1', 8, 12},
    {'1', 21, 17},  {'1', 63, 30},  {'1', 121, 19}, {'1', 143, 5}, {'1', 151, 10},
    {'1', 161, 58}, {'1', 221, 14}, {'1', 327, 23},
};

// The bank numbers its file its own way (the header carries the remittance
// number, the details count from 1, the trailer repeats their number), which
// Numbering reads back; every other check of the shared file check holds.
std::vector<std::string> Gera(TLoja& l, const TOpcoesGeracao& o = {}) {
  EXPECT_EQ(l.Recusa(o), "") << l.Mensagem();
  std::ifstream in(l.Store().Arquivo(), std::ios::binary);
  const std::string texto{std::istreambuf_iterator<char>(in), {}};
  for (const auto& f : layouts::VerificaArquivo(texto, kNumericos).falhas)
    if (f.posicao != 395 || f.texto.rfind("sequ", 0) != 0)
      ADD_FAILURE() << fields::Cp1252ToUtf8(layouts::Descreve(f));
  std::vector<std::string> recs;
  for (size_t at = 0, fim; (fim = texto.find("\r\n", at)) != std::string::npos; at = fim + 2)
    recs.push_back(texto.substr(at, fim - at));
  return recs;
}

json& Duplicata(TLoja& l, const std::string& numero, json duplicata, json parcela) {
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", numero}, {"DUPLICATA", duplicata}, {"NRPARCELA", parcela}});
  return l.dados["DUPLICATA"].back();
}

}  // namespace

// Every field of the header and the detail, from data typed with its
// punctuation; the company stands as drawer.
TEST(BancoPortugues, HeaderAndDetail) {
  TLoja l("069");
  l.titulo()["TXMENSBOLBOL"] = "Não\r\nreceber após o vencimento";
  l.titulo()["QTDIAPROTBOL"] = 5;
  l.titulo()["CDDIAPROTBOL"] = "1";
  l.titulo()["VRPEMORBREC"] = 1.0;
  Duplicata(l, "1001", "NF-77", "1");
  auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA" + B(7));
  EXPECT_EQ(field(h, 27, 20), "00000000000000123456");  // the company's code 12345-6
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(h, 77, 24), "069BPN BRASIL BMSA081226");
  EXPECT_EQ(field(h, 101, 17), B(8) + "MX0000042");
  EXPECT_EQ(field(h, 118, 283), B(277) + "000042");

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37), "100000 000000000000 0003" + std::string("0123400987654"));
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 20), "00000000000123456789");  // nosso número 12345678-9
  EXPECT_EQ(field(d, 83, 28), Z(10) + "2" + B(12) + "2" + B(2) + "01");
  EXPECT_EQ(field(d, 111, 10), "000NF-7701");
  EXPECT_EQ(field(d, 121, 19), "2012260000000123456");
  EXPECT_EQ(field(d, 140, 21), "0000000001A0812260605");
  EXPECT_EQ(field(d, 161, 13), "0000000001235");  // 1% of 1234,56 a day
  EXPECT_EQ(field(d, 174, 45), Z(45));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 12), "NAO  RECEBER");  // cut to its 12, the line break a blank
  EXPECT_EQ(field(d, 327, 23), "01310100012345678000195");
  EXPECT_EQ(field(d, 350, 45), B(2) + PadR("EMPRESA TESTE COMERCIO LTDA", 43));
  EXPECT_EQ(field(d, 395, 6), "000001");
  EXPECT_EQ(recs[2], "9" + B(393) + "000001");
}

// The header carries the remittance number (its last 7 and last 6 digits),
// the details count from 1 and the trailer ends with their number.
TEST(BancoPortugues, Numbering) {
  const struct {
    int sequencia;
    const char *h111, *h395;
  } casos[] = {{44, "0000045", "000045"}, {1234567890, "4567891", "567891"}};
  for (const auto& c : casos) {
    TLoja l("069");
    l.conta()["NRSEQREMESSAREC"] = c.sequencia;
    l.NovoTitulo("1002");
    l.NovoTitulo("1003");
    auto recs = Gera(l);
    ASSERT_EQ(recs.size(), 5u);
    EXPECT_EQ(field(recs[0], 111, 7), c.h111);
    EXPECT_EQ(field(recs[0], 395, 6), c.h395);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(field(recs[i], 395, 6), "00000" + std::to_string(i));
    EXPECT_EQ(field(recs[4], 395, 6), "000003");
  }
}

// The company prints its slips ("E", "F") with the stored number's digits;
// the bank numbers and prints the rest.
TEST(BancoPortugues, PrintingIndicator) {
  const struct {
    const char *impressao, *nosso, *esperado, *emissao;
  } casos[] = {
      {"B", "12345678-9", "000000000000", "1"},
      {"E", "1.234.567.890-12", "123456789012", "2"},
      {"F", "12345-6", "000000123456", "2"},
      {"X", "12345678-9", "000000000000", "2"},
  };
  for (const auto& c : casos) {
    TLoja l("069");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    const auto d = Gera(l)[1];
    EXPECT_EQ(field(d, 71, 12), c.esperado) << c.impressao << " " << c.nosso;
    EXPECT_EQ(field(d, 93, 1), c.emissao) << c.impressao;
  }
}

// The document is the duplicate's last eight and its instalment, or the
// title's number; protest follows its code, days from their integer value.
TEST(BancoPortugues, DocumentAndProtest) {
  const struct {
    json duplicata, parcela, codigo, dias;
    const char *documento, *protesto;
  } casos[] = {
      {"1234", "2", "3", 5, "0000123402", "0005"},
      {"2024000123", "12", "1", 15, "2400012312", "0615"},
      {nullptr, nullptr, nullptr, 120, "1001      ", "0020"},
      {"", "1", "", nullptr, "1001      ", "0000"},
  };
  for (const auto& c : casos) {
    TLoja l("069");
    if (!c.duplicata.is_null()) Duplicata(l, "1001", c.duplicata, c.parcela);
    l.titulo()["CDDIAPROTBOL"] = c.codigo;
    l.titulo()["QTDIAPROTBOL"] = c.dias;
    const auto d = Gera(l)[1];
    EXPECT_EQ(field(d, 111, 10), c.documento) << c.duplicata;
    EXPECT_EQ(field(d, 157, 4), c.protesto) << c.codigo << " " << c.dias;
  }
}

// A daily amount, even a stored zero, stands before the monthly percentage.
TEST(BancoPortugues, Interest) {
  const struct {
    json diaria, percentual;
    const char* esperado;
  } casos[] = {
      {2.5, 1.0, "0000000000250"},
      {0.0, 1.0, "0000000000000"},
      {nullptr, 2.0, "0000000000400"},  // 2% of 200,00
      {nullptr, nullptr, "0000000000000"},
  };
  for (const auto& c : casos) {
    TLoja l("069");
    l.titulo()["VRFINALBREC"] = 200.0;
    l.titulo()["VRMORDIABREC"] = c.diaria;
    l.titulo()["VRPEMORBREC"] = c.percentual;
    EXPECT_EQ(field(Gera(l)[1], 161, 13), c.esperado) << c.diaria << " " << c.percentual;
  }
}

// The override record gives the payer by its trade name; one without type,
// tax id or postcode sends "02" and zeros, not the previous title's.
TEST(BancoPortugues, PayerOverride) {
  TLoja l("069");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1002"},
                         {"NMRAZSOCLUSO", "Não vai"},
                         {"NMFANTLUSO", "Três Corações"},
                         {"DSENDELUSO", "Rodovia BR-116, Km 23"}});
  l.NovoTitulo("1002");
  auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[1], 219, 16), "0100012345678909");
  const auto& d = recs[2];
  EXPECT_EQ(field(d, 219, 16), "02" + Z(14));
  EXPECT_EQ(field(d, 235, 80), PadR("TRES CORACOES", 40) + PadR("RODOVIA BR-116, KM 23", 40));
  EXPECT_EQ(field(d, 327, 8), Z(8));
}

// The occurrence code tells the bank the batch's operation.
TEST(BancoPortugues, Occurrence) {
  for (auto [op, codigo] : {std::pair{0, "01"}, std::pair{1, "02"}, std::pair{2, "06"}}) {
    TLoja l("069");
    l.titulo()["IDSITUCNABR"] = op ? "10" : "00";  // removal and alteration offer titles already sent
    l.titulo()["IDBOLRECALTER"] = "1";
    TOpcoesGeracao o;
    o.operacao = op;
    EXPECT_EQ(field(Gera(l, o)[1], 109, 2), codigo) << op;
  }
}

// What the bank could not read stops the run before the file, naming the
// title even when it is the last one, or the batch for the header.
TEST(BancoPortugues, UnreadableValuesStopTheRun) {
  const struct {
    const char* onde;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"/CONTCORR/0/CDCEDENTEBAN", "AB-12", "CAMPO_NUM_INV", "o campo 027-046 do registro 0"},
      {"/BOLETOREC/1/VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139"},
      {"/BOLETOREC/1/CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 071-082"},
      {"/BOLETOREC/1/QTDIAPROTBOL", -5, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 159-160"},
      {"/CLIENTE/0/NRINSJURCLIE", "123.456.78X-09", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 221-234"},
      {"/ENDECLIE/0/NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 327-334"},
  };
  for (const auto& c : casos) {
    TLoja l("069");
    l.NovoTitulo("1002");
    l.dados[json::json_pointer(c.onde)] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.onde;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
