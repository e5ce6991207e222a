// The Banestes file from the typed store, read back by position. The store's
// clock and processing date stand at 08/12/2026; the title is due 20/12/2026.
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
    {'0', 27, 11}, {'0', 95, 6},   {'1', 4, 14},   {'1', 18, 11},  {'1', 63, 10}, {'1', 73, 10},
    {'1', 89, 19}, {'1', 108, 1},  {'1', 121, 6},  {'1', 127, 16}, {'1', 143, 5}, {'1', 151, 6},
    {'1', 159, 2}, {'1', 161, 58}, {'1', 221, 14}, {'1', 327, 8},  {'1', 392, 3},
};

// The batch is written for the company row, its tax id typed as a CPF.
struct Loja : TLoja {
  Loja() : TLoja("021") {
    inscricaoEmpresa = "123.456.789-09";
    conta()["CDFILIAL"] = nullptr;
  }
};

}  // namespace

// Every field of the header and the detail, from data typed with its
// punctuation; the trailer is the common one.
TEST(Banestes, HeaderAndDetail) {
  Loja l;
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA" + B(7));
  EXPECT_EQ(field(h, 27, 20), "00000987654" + B(9));  // account 00098765-4
  EXPECT_EQ(field(h, 47, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(h, 77, 24), "021BANESTES" + B(7) + "081226");
  EXPECT_EQ(field(h, 101, 300), B(294) + "000001");

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37), "10200012345678909" + std::string("00000987654") + B(9));
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 10), "0123456789");  // nosso número 12345678-9
  EXPECT_EQ(field(d, 73, 35), Z(10) + B(6) + Z(19));
  EXPECT_EQ(field(d, 108, 13), "101" + B(10));          // portfolio kind 1, entry, no document
  EXPECT_EQ(field(d, 121, 19), "2012260000000123456");  // due date, "000", 1234,56
  EXPECT_EQ(field(d, 140, 17), "0210000001N081226");
  EXPECT_EQ(field(d, 157, 4), "P700");  // no instruction: no protest
  EXPECT_EQ(field(d, 161, 58), "9" + Z(57));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 37), "CONSOLACAO  01310100SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 49), B(40) + "000000002");
  EXPECT_EQ(recs[2], "9" + B(393) + "000003");
}

// The company is told by the batch branch first: a branch may be neither a
// person nor a company; a tax id stored longer than 14 stops the run.
TEST(Banestes, CompanyTypeAndTaxId) {
  const struct {
    const char *filial, *tipo, *inscricao, *esperado, *chave;
  } casos[] = {
      {"0002", "J", "12345678000276", "0212345678000276", ""},
      {"0002", "F", "123.456.789-09", "0100012345678909", ""},
      {"0002", "O", "", "0300000000000000", ""},
      {"", "J", "12345678000195", "0212345678000195", ""},          // the company row: its CNPJ as digits
      {"0002", "J", "12.345.678/0002-76", "0212345678000276", ""},  // 14 digits as typed
      {"", "J", "123456789012345", "", "INSCRICAO_INV"},
  };
  for (const auto& c : casos) {
    TLoja l("021");
    TOpcoesGeracao o;
    o.filial = c.filial;
    if (*c.filial) {
      l.Linha("FILIAL", {{"CDFILIAL", c.filial},
                         {"CDEMPRESA", "01"},
                         {"NMFILIAL", "Filial Dois"},
                         {"IDTPIJURFILI", c.tipo},
                         {"NRINSJURFILI", c.inscricao},
                         {"NMRAZSOCFILI", "Filial Dois Ltda"}});
    } else {
      l.conta()["CDFILIAL"] = nullptr;
      l.inscricaoEmpresa = c.inscricao;
    }
    if (*c.chave) {
      EXPECT_EQ(l.Recusa(o), c.chave) << c.filial << " " << c.inscricao;
      continue;
    }
    auto recs = l.Gera(o, kNumericos);
    ASSERT_EQ(recs.size(), 3u) << c.filial;
    EXPECT_EQ(field(recs[1], 2, 16), c.esperado) << c.filial << " " << c.tipo;
    if (*c.filial) {
      EXPECT_EQ(field(recs[0], 47, 16), "FILIAL DOIS LTDA");
    }
  }
}

// The bank numbers and prints the slips of indicator "B" (kind 21, the
// title's message); the company's own slips carry the stored number's digits.
TEST(Banestes, PrintingIndicator) {
  const struct {
    const char *impressao, *nosso, *esperado, *especie;
    std::string mensagem;
  } casos[] = {
      {"B", "12345678-9", "0000000000", "21", PadR("NAO RECEBER  APOS O DIA 30", 40)},
      {"E", "1.234.567.890-1", "2345678901", "01", B(40)},  // the last ten digits
      {"F", "12345-6", "0000123456", "01", B(40)},
  };
  for (const auto& c : casos) {
    Loja l;
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    l.Linha(
        "TXBOLETO",
        {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"TXMENSBOLBOL", "Não receber\r\napós o dia 30"}});
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 63, 10), c.esperado) << c.impressao;
    EXPECT_EQ(field(d, 148, 2), c.especie) << c.impressao;
    EXPECT_EQ(field(d, 352, 40), c.mensagem) << c.impressao;
  }
}

// Without a first instruction the title goes as "P7", never protested; the
// days follow any other instruction. A title's one document is told.
TEST(Banestes, InstructionAndDocument) {
  const struct {
    json instrucao, dias;
    const char *duplicata, *esperado157, *documento;
  } casos[] = {
      {nullptr, 5, "NF-77", "P700", "00000NF-77"},
      {"P7", 10, nullptr, "P700", "          "},
      {"06", 5, "2024000123", "0605", "2024000123"},
      {"06", nullptr, "A\tB", "0600", "0000000A B"},
  };
  for (const auto& c : casos) {
    Loja l;
    l.titulo()["CDINS1COBBOL"] = c.instrucao;
    l.titulo()["QTDIAPROTBOL"] = c.dias;
    if (c.duplicata)
      l.Linha(
          "DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", c.duplicata}, {"NRPARCELA", "1"}});
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 157, 4), c.esperado157) << c.instrucao << " " << c.dias;
    EXPECT_EQ(field(d, 111, 10), c.documento) << c.duplicata;
  }
}

// A daily amount stands before the monthly percentage; a stored zero is no
// interest and lets the other through.
TEST(Banestes, Interest) {
  const struct {
    json diaria, percentual;
    std::string esperado;
  } casos[] = {
      {2.5, 1.0, "0000000000250"},       {0.0, 0.033, "0000000000033"},  // 0.033 % of 1000,00
      {nullptr, 0.033, "0000000000033"}, {0.0, 0.0, "9" + Z(12)},       {nullptr, nullptr, "9" + Z(12)},
  };
  for (const auto& c : casos) {
    Loja l;
    l.titulo()["VRFINALBREC"] = 1000.0;
    l.titulo()["VRMORDIABREC"] = c.diaria;
    l.titulo()["VRPEMORBREC"] = c.percentual;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 161, 13), c.esperado) << c.diaria << " " << c.percentual;
  }
}

// The override record gives the payer by its trade name, and its own city;
// a payer of another letter is "other".
TEST(Banestes, PayerOverride) {
  Loja l;
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
  l.NovoTitulo("1002");
  l.dados["CLIENTE"][0]["IDTPIJURCLIE"] = "X";
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[1], 219, 16), "0255666777000100");
  EXPECT_EQ(field(recs[1], 235, 40), PadR("TRES CORACOES", 40));
  EXPECT_EQ(field(recs[1], 275, 40), PadR("RODOVIA BR-116, KM 23", 40));
  EXPECT_EQ(field(recs[1], 315, 37), "DISTRITO IND37410000TRES CORACOES  MG");
  EXPECT_EQ(field(recs[2], 219, 2), "99");
  EXPECT_EQ(field(recs[2], 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));
}

// The layout tells an entry or a removal; an alteration, which it cannot
// tell, is refused before the file rather than sent as an entry.
TEST(Banestes, Operation) {
  for (auto [op, esperado] : {std::pair{0, "01"}, std::pair{1, "02"}, std::pair{2, ""}}) {
    Loja l;
    l.titulo()["IDSITUCNABR"] = op ? "10" : "00";  // removal and alteration offer titles already sent
    l.titulo()["IDBOLRECALTER"] = "1";
    TOpcoesGeracao o;
    o.operacao = op;
    if (*esperado)
      EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), esperado) << op;
    else
      EXPECT_EQ(l.Recusa(o), "OPER_NAO_EXPRESSA");
  }
}

// What the bank could not read stops the run before the file, naming the
// title even when it is the last one.
TEST(Banestes, UnreadableValuesStopTheRun) {
  const struct {
    const char* onde;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"/CONTCORR/0/CDCONTCORR", "0009876X-4", "CAMPO_NUM_INV", "o campo 018-028 do registro 1"},
      {"/BOLETOREC/1/VRFINALBREC", 123456789.0, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 130-139"},
      {"/BOLETOREC/1/CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-072"},
      {"/BOLETOREC/1/VRMORDIABREC", -1.0, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 162-173"},
      {"/CLIENTE/0/NRINSJURCLIE", "123.456.78X-09", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 221-234"},
      {"/ENDECLIE/0/NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 327-334"},
  };
  for (const auto& c : casos) {
    Loja l;
    l.NovoTitulo("1002");
    l.dados[json::json_pointer(c.onde)] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.onde;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
