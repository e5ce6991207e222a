// The Unibanco file from the typed store, read back by position. The store's
// clock and processing date stand at 08/12/2026; the title is due 20/12/2026.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;

namespace {

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 27, 4},  {'0', 31, 6},   {'0', 37, 1},   {'1', 4, 14},        {'1', 18, 4},   {'1', 22, 6},
    {'1', 28, 1},  {'1', 63, 10},  {'1', 73, 1},   {'1', 108, 1},       {'1', 127, 13}, {'1', 157, 2},
    {'1', 159, 2}, {'1', 161, 13}, {'1', 221, 14}, {'1', 327, 8, true}, {'1', 392, 2},  {'9', 392, 3},
};

// The base store's company has its CNPJ typed in 18 characters, which this
// bank refuses (see CompanyTaxId); the other tests give the company a tax id
// typed as a CPF, which the bank takes, and run the store as TLoja does.
struct Unibanco : TLoja {
  std::string inscricao = "123.456.789-09";
  Unibanco() : TLoja("409") {}

  std::vector<std::string> Gera(const TOpcoesGeracao& o = {}) {
    Roda(o);
    std::ifstream in(store->Arquivo(), std::ios::binary);
    const std::string texto{std::istreambuf_iterator<char>(in), {}};
    for (const auto& f : layouts::VerificaArquivo(texto, kNumericos).falhas)
      ADD_FAILURE() << fields::Cp1252ToUtf8(layouts::Descreve(f));
    std::vector<std::string> recs;
    for (size_t at = 0, fim; (fim = texto.find("\r\n", at)) != std::string::npos; at = fim + 2)
      recs.push_back(texto.substr(at, fim - at));
    return recs;
  }
  std::string Recusa(const TOpcoesGeracao& o = {}) {
    try {
      Roda(o);
    } catch (const host::EMensErro& e) {
      mensagem = fields::Cp1252ToUtf8(e.what());
      EXPECT_FALSE(std::filesystem::exists(store->Arquivo())) << "a refused run left its file";
      return e.Key();
    }
    return {};
  }
  void Roda(const TOpcoesGeracao& o) {
    store = std::make_unique<TStore>(dados.dump());
    store->Server().Conexao().Exec("UPDATE EMPRESA SET NRINSJUREMPR = '" + inscricao + "'");
    store->Gerar(o);
  }
  std::unique_ptr<TStore> store;
  std::string mensagem;
};

const auto b = [](int n) { return std::string(n, ' '); };
const auto z = [](int n) { return std::string(n, '0'); };
// The fields of a stretch of a record, one after the other.
std::string J(std::initializer_list<std::string> campos) {
  std::string r;
  for (const auto& c : campos) r += c;
  return r;
}

}  // namespace

// Every field of the three records, from data as operators type it:
// agency "123-4", account "00098765-4", nosso número "12345678-9", payer CPF
// "123.456.789-09", postcode "01310-100", line breaks in name and address.
TEST(Unibanco, RecordsFromTypedData) {
  Unibanco l;
  auto recs = l.Gera();
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0],
            J({"0",    "1",        "REMESSA", "01",     "COBRANCA", "00",
               b(5),   "1234",     "098765",  "4",      z(9),       fields::PadR("EMPRESA TESTE", 30),
               "409",  "UNIBANCO", b(7),      "081226", "01600",    "BPI",
               z(286), "000001"}));
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37), J({"1", "02", "00012345678909", "1234", "098765", "4", "0", z(8)}));
  EXPECT_EQ(field(d, 38, 25), fields::PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 11), J({"0012345678", "9"}));
  EXPECT_EQ(field(d, 74, 34), b(34));  // no message
  EXPECT_EQ(field(d, 108, 53), J({"1", "01", "0000001001", "201226", "0000000123456", "409", "0", "0000",
                                  "01", "A", "081226", "00", "00"}));
  EXPECT_EQ(field(d, 161, 58), J({z(13), "201226", z(39)}));
  EXPECT_EQ(field(d, 219, 16), J({"01", "00012345678909"}));
  EXPECT_EQ(field(d, 235, 40), J({fields::PadR("JOSE DA SILVA COMERCIO", 30), b(10)}));
  EXPECT_EQ(field(d, 275, 40), J({fields::PadR("RUA AUGUSTA, 1500  APTO 12", 30), b(10)}));
  EXPECT_EQ(field(d, 315, 37), J({"CONSOLACAO  ", "01310100", fields::PadR("SAO PAULO", 15), "SP"}));
  EXPECT_EQ(field(d, 352, 49), J({b(30), z(10), "00", "0", "000002"}));
  EXPECT_EQ(recs[2], J({"9", z(390), "042", "000003"}));  // the account's sequence went from 41 to 42
}

// The company's tax id is counted and written as its digits: a CNPJ typed
// with its punctuation is 14 digits, one of 15 is refused.
TEST(Unibanco, CompanyTaxId) {
  for (auto [typed, digits] :
       {std::pair{"123.456.789-09", "00012345678909"}, {"12.345.678/0001-95", "12345678000195"}}) {
    Unibanco l;
    l.inscricao = typed;
    EXPECT_EQ(field(l.Gera()[1], 4, 14), digits) << typed;
  }
  Unibanco longo;
  longo.inscricao = "123456789012345";
  EXPECT_EQ(longo.Recusa(), "INSCRICAO_INV");
}

TEST(Unibanco, NossoNumeroAndItsCheckDigit) {
  struct {
    const char *gravado, *impressao, *campo;
  } casos[] = {
      {"12345678-9", "E", "00123456789"},
      {"1234567890-1", "E", "12345678901"},
      {"12345678901", "E", "12345678901"},
      {"", "B", "00000000000"},  // the bank issues the slip and numbers it
  };
  for (const auto& c : casos) {
    Unibanco l;
    l.titulo()["CDNOSNUMREC"] = c.gravado;
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    EXPECT_EQ(field(l.Gera()[1], 63, 11), c.campo) << c.gravado;
  }
}

TEST(Unibanco, ProtestDaysOnlyWithInstructionSix) {
  struct {
    const char *ins1, *ins2;
    json dias;
    const char* campo;
  } casos[] = {
      {"06", "", 30, "0603"}, {"06", "", 5, "0605"},       {"", "06", 29, "0029"},
      {"01", "", 30, "0100"}, {"06", "", nullptr, "0600"},
  };
  for (const auto& c : casos) {
    Unibanco l;
    l.titulo()["CDINS1COBBOL"] = c.ins1;
    l.titulo()["CDINS2COBBOL"] = c.ins2;
    l.titulo()["QTDIAPROTBOL"] = c.dias;
    const auto d = l.Gera()[1];
    EXPECT_EQ(field(d, 157, 2) + field(d, 392, 2), c.campo) << c.dias;  // instruction, days
  }
}

TEST(Unibanco, MessageFlagAndText) {
  Unibanco l;
  l.Linha("TXBOLETO", {{"CDFILIAL", "0001"},
                       {"NRLANBOLREC", "1001"},
                       {"TXMENSBOLBOL", "Não receber após o vencimento, sem exceção"}});
  const auto d = l.Gera()[1];
  EXPECT_EQ(field(d, 29, 1), "1");
  EXPECT_EQ(field(d, 74, 30), "NAO RECEBER APOS O VENCIMENTO,");
}

TEST(Unibanco, OccurrenceFollowsTheOperation) {
  for (auto [op, code] : {std::pair{0, "01"}, {1, "02"}, {2, "06"}}) {
    Unibanco l;
    l.titulo()["IDSITUCNABR"] = op == 0 ? "00" : "10";  // exclusion and alteration offer titles already sent
    l.titulo()["IDBOLRECALTER"] = op == 0 ? "0" : "1";
    TOpcoesGeracao o;
    o.operacao = op;
    EXPECT_EQ(field(l.Gera(o)[1], 109, 2), code) << op;
  }
}

// Interest per day: the amount when one is stored (a stored zero included),
// else the monthly percentage of the value.
TEST(Unibanco, LateInterest) {
  struct {
    json dia, percentual;
    const char* campo;
  } casos[] = {
      {1.5, nullptr, "0000000000150"},
      {nullptr, 2.0, "0000000002469"},  // 2% of 1234,56
      {0.0, 2.0, "0000000000000"},
      {nullptr, nullptr, "0000000000000"},
  };
  for (const auto& c : casos) {
    Unibanco l;
    l.titulo()["VRMORDIABREC"] = c.dia;
    l.titulo()["VRPEMORBREC"] = c.percentual;
    EXPECT_EQ(field(l.Gera()[1], 161, 13), c.campo) << c.dia << " " << c.percentual;
  }
}

// An override record names the payer; a CNPJ keeps all 14 digits; an empty
// postcode stays blank.
TEST(Unibanco, PayerOverride) {
  Unibanco l;
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "12.345.678/0001-95"},
                         {"NMRAZSOCLUSO", "Conceição Ávila Comércio"},
                         {"DSENDELUSO", "Praça da Sé, 1"},
                         {"NMBAIRLUSO", "Sé"},
                         {"NMMUNICIPIO", "Santos"},
                         {"SGESTADO", "SP"}});
  const auto d = l.Gera()[1];
  EXPECT_EQ(field(d, 219, 16), J({"02", "12345678000195"}));
  EXPECT_EQ(field(d, 235, 30), fields::PadR("CONCEICAO AVILA COMERCIO", 30));
  EXPECT_EQ(field(d, 275, 30), fields::PadR("PRACA DA SE, 1", 30));
  EXPECT_EQ(field(d, 315, 37), J({fields::PadR("SE", 12), b(8), fields::PadR("SANTOS", 15), "SP"}));
}

// An account stored with a trailing blank or separator has no check digit:
// the bank reads "0" and every record keeps its length.
TEST(Unibanco, AccountWithoutCheckDigit) {
  for (const char* conta : {"0098765-4 ", "98765-"}) {
    Unibanco l;
    l.conta()["CDCONTCORR"] = conta;
    const auto recs = l.Gera();
    EXPECT_EQ(field(recs[0], 27, 11), J({"1234", "098765", "0"})) << conta;
    EXPECT_EQ(field(recs[1], 18, 11), J({"1234", "098765", "0"})) << conta;
  }
}

TEST(Unibanco, TrailerCarriesTheLastThreeOfTheSequence) {
  for (auto [seq, campo] : {std::pair{122, "123"}, {1233, "234"}}) {
    Unibanco l;
    l.conta()["NRSEQREMESSAREC"] = seq;
    EXPECT_EQ(field(l.Gera().back(), 392, 3), campo) << seq;
  }
}

// A letter where the bank reads a number, or money too wide or negative,
// stops the run before the file, naming the title and the field.
TEST(Unibanco, UnreadableNumbersStopTheRun) {
  struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 063-072 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1001: o campo 127-139 do registro 1"},
      {"VRMORDIABREC", -1.0, "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 161-173 do registro 1"},
  };
  for (const auto& c : casos) {
    Unibanco l;
    l.titulo()[c.campo] = c.valor;
    l.NovoTitulo("1002");
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.mensagem.find(c.texto), std::string::npos) << l.mensagem;
  }
}
