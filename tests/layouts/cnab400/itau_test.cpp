// The Itaú CNAB 400 file, generated end to end from a store and read back by
// position. The store's clock stands at 08/12/2026, which is also the
// processing date: file date and issue date are both 081226.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/fixture.h"
#include "support/store.h"

using namespace testsupport;
using fields::Replicate;

namespace {

// Account 001 at Itaú (agency 1234, account 0012345, branch 0001), the
// company's agreement with the fine switch given, and one title of client C1.
json Itau(const std::string& linhaComp = "N") {
  json j;
  j["CONTCORR"] = {Conta("341")};
  j["EMPRBANC"] = {{{"CDEMPRESA", "01"}, {"CDBANCO", "341"}, {"IDGERLINHACOMP", linhaComp}}};
  j["BOLETOREC"] = {Titulo("1")};
  return j;
}

// Checks that every Itaú file must pass: header first, trailer last, each
// record numbered by its place, and only types the layout knows in between.
void ConfereArquivo(const std::vector<std::string>& recs) {
  ASSERT_GE(recs.size(), 2u);
  EXPECT_EQ(field(recs.front(), 1, 1), "0");
  EXPECT_EQ(recs.back(), "9" + Replicate(" ", 393) + field(recs.back(), 395, 6));
  for (size_t i = 0; i < recs.size(); ++i) {
    EXPECT_EQ(field(recs[i], 395, 6), fields::Ajusta(std::to_string(i + 1), 6)) << "record " << i + 1;
    if (i > 0 && i + 1 < recs.size()) {
      EXPECT_NE(std::string("125").find(recs[i][0]), std::string::npos) << "record " << i + 1;
    }
  }
}

std::vector<std::string> Gera(const json& j, const TOpcoesGeracao& o = {}) {
  TStore s(j.dump());
  s.Gerar(o);
  auto recs = s.Registros(400);
  ConfereArquivo(recs);
  return recs;
}

std::string ChaveErro(const std::function<void()>& f) {
  try {
    f();
  } catch (const host::EMensErro& e) {
    return e.Key();
  }
  return "";
}

std::string Tipos(const std::vector<std::string>& recs) {
  std::string t;
  for (const auto& r : recs) t += r[0];
  return t;
}

}  // namespace

TEST(ItauFile, RecordsOfEachTitleFollowTheFineSwitch) {
  const struct {
    const char* linhaComp;
    const char* tipos;
  } casos[] = {{"N", "015159"}, {"", "015159"}, {"s", "015159"}, {"S", "01251259"}, {nullptr, "015159"}};
  for (const auto& c : casos) {
    json j = Itau(c.linhaComp ? c.linhaComp : "");
    if (!c.linhaComp) j.erase("EMPRBANC");  // the company has no agreement with the bank
    j["BOLETOREC"].push_back(Titulo("2"));
    EXPECT_EQ(Tipos(Gera(j)), c.tipos) << "IDGERLINHACOMP '" << (c.linhaComp ? c.linhaComp : "no row") << "'";
  }
}

TEST(ItauHeader, FieldsAtTheirPositions) {
  const auto h = Gera(Itau())[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA       ");
  EXPECT_EQ(field(h, 27, 4), "1234");
  EXPECT_EQ(field(h, 31, 2), "00");
  EXPECT_EQ(field(h, 33, 6), "012345");  // the last six: five digits and the check digit
  EXPECT_EQ(field(h, 39, 8), Replicate(" ", 8));
  EXPECT_EQ(field(h, 47, 30), fields::PadR("MATRIZ", 30));  // the branch's short name
  EXPECT_EQ(field(h, 77, 3), "341");
  EXPECT_EQ(field(h, 80, 15), fields::PadR("ITAU", 15));
  EXPECT_EQ(field(h, 95, 6), "081226");
  EXPECT_EQ(field(h, 101, 294), Replicate(" ", 294));
}

TEST(ItauHeader, EmptyAgencyAndAccountAreZeros) {
  json j = Itau();
  j["CONTCORR"][0]["CDAGENCIA"] = nullptr;
  j["CONTCORR"][0]["CDCONTCORR"] = "  ";
  const auto recs = Gera(j);
  EXPECT_EQ(field(recs[0], 27, 12), "000000000000");
  EXPECT_EQ(field(recs[1], 18, 12), "000000000000");
}

TEST(ItauDetail, FieldsOfAnOrdinaryTitle) {
  const auto d = Gera(Itau())[1];
  // type, company J and its tax id, agency, filler, account, blanks, no cancel instruction
  EXPECT_EQ(field(d, 1, 37), "10212345678000195123400012345    0000");
  EXPECT_EQ(field(d, 38, 25), fields::PadR("00011", 25));
  EXPECT_EQ(field(d, 63, 24), "12345678" + Replicate("0", 13) + "009");
  EXPECT_EQ(field(d, 87, 24), Replicate(" ", 21) + "I01");
  EXPECT_EQ(field(d, 111, 10), Replicate(" ", 10));  // no document row
  EXPECT_EQ(field(d, 121, 36), "20122600000001000003410000001N081226");
  EXPECT_EQ(field(d, 157, 4), "    ");                          // no instructions
  EXPECT_EQ(field(d, 161, 19), Replicate("0", 13) + "201226");  // discount date even without a discount
  EXPECT_EQ(field(d, 180, 55), Replicate("0", 39) + "0298765432000110");
  EXPECT_EQ(field(d, 235, 40), fields::PadR("CLIENTE UM LTDA", 40));
  EXPECT_EQ(field(d, 275, 77), fields::PadR("RUA UM, 1", 40) + fields::PadR("CENTRO", 12) + "01001000" +
                                   fields::PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(d, 352, 43), Replicate(" ", 34) + "000000" + "00 ");
}

TEST(ItauDetail, OccurrenceFollowsTheOperationKind) {
  const struct {
    int operacao;
    const char* ocorrencia;
  } casos[] = {{0, "01"}, {1, "02"}, {2, "06"}};
  for (const auto& c : casos) {
    json j = Itau();
    if (c.operacao != 0) {  // exclusion and alteration offer titles already sent
      j["BOLETOREC"][0]["IDSITUCNABR"] = "10";
      j["BOLETOREC"][0]["IDBOLRECALTER"] = "1";
    }
    TOpcoesGeracao o;
    o.operacao = c.operacao;
    EXPECT_EQ(field(Gera(j, o)[1], 109, 2), c.ocorrencia) << c.operacao;
  }
}

TEST(ItauDetail, NossoNumeroOnlyWhenTheCompanyPrintsTheSlip) {
  const struct {
    const char *impressao, *gravado, *esperado;
  } casos[] = {
      {"E", "12345678901-P", "12345678"},  // the first eight digits, no check digit
      {"F", "123-4", "00001234"},         {"B", "12345678901-P", "00000000"},
      {"B", nullptr, "00000000"},         {nullptr, "12345678901-P", "00000000"},
  };
  for (const auto& c : casos) {
    json j = Itau();
    j["BOLETOREC"][0]["IDIMPRBOLBOL"] = c.impressao ? json(c.impressao) : json(nullptr);
    j["BOLETOREC"][0]["CDNOSNUMREC"] = c.gravado ? json(c.gravado) : json(nullptr);
    EXPECT_EQ(field(Gera(j)[1], 63, 8), c.esperado) << (c.impressao ? c.impressao : "null");
  }
}

TEST(ItauDetail, DocumentNumberIsTheLastTenOfInvoiceAndInstalment) {
  const struct {
    const char *duplicata, *parcela, *esperado;
  } casos[] = {
      {"123456", "01", "123456/01 "},
      {"9876543210", "02", "6543210/02"},
      {"nf-7", "1", "NF-7/1    "},
  };
  for (const auto& c : casos) {
    json j = Itau();
    j["DUPLICATA"] = {
        {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1"}, {"DUPLICATA", c.duplicata}, {"NRPARCELA", c.parcela}}};
    EXPECT_EQ(field(Gera(j)[1], 111, 10), c.esperado) << c.duplicata;
  }
}

TEST(ItauDetail, MoneyFields) {
  const struct {
    double valor;
    json mora, percentualMora, desconto;
    const char *valorEsperado, *juros, *descontoEsperado;
  } casos[] = {
      // the fixed daily amount wins over the percentage
      {1000.0, 1.5, 2.0, nullptr, "0000000100000", "0000000000150", "0000000000000"},
      {1000.0, 0.0, 2.0, nullptr, "0000000100000", "0000000000000", "0000000000000"},
      {1000.0, nullptr, 0.033, nullptr, "0000000100000", "0000000000033", "0000000000000"},
      {250.555, nullptr, 1.0, 10.0, "0000000025056", "0000000000251", "0000000002506"},
      {1000.0, nullptr, nullptr, 0.0, "0000000100000", "0000000000000", "0000000000000"},
  };
  for (const auto& c : casos) {
    json j = Itau();
    auto& t = j["BOLETOREC"][0];
    t["VRFINALBREC"] = c.valor;
    t["VRMORDIABREC"] = c.mora;
    t["VRPEMORBREC"] = c.percentualMora;
    t["VRPEDESCBCLI"] = c.desconto;
    const auto d = Gera(j)[1];
    EXPECT_EQ(field(d, 127, 13), c.valorEsperado) << c.valor;
    EXPECT_EQ(field(d, 161, 13), c.juros) << c.mora << "/" << c.percentualMora;
    EXPECT_EQ(field(d, 180, 13), c.descontoEsperado) << c.desconto;
    EXPECT_EQ(field(d, 174, 6), "201226");
  }
}

TEST(ItauDetail, InstructionsAndTheMessageOrGuarantorField) {
  const std::string mensagem = "Não receber após o vencimento; cobrar juros de mora ao dia";
  const struct {
    const char *ins1, *ins2;
    bool avalista;
    std::string instrucoes, campo;
  } casos[] = {
      {nullptr, "94", false, "  94", "NAO RECEBER APOS O VENCIMENTO  COBRAR JU"},
      {"94", "10", true, "9410", "NAO RECEBER APOS O VENCIMENTO  COBRAR JU"},
      {"93", nullptr, true, "93  ", "NAO RECEBER APOS O VENCIMENTO " + Replicate(" ", 4) + "000000"},
      {"1", "93", false, "1 93", "NAO RECEBER APOS O VENCIMENTO " + Replicate(" ", 4) + "000000"},
      {"10", "20", true, "1020", fields::PadR("AVALISTA SAO JORGE", 30) + Replicate(" ", 4) + "000000"},
      {"10", "20", false, "1020", Replicate(" ", 34) + "000000"},
  };
  for (const auto& c : casos) {
    json j = Itau();
    auto& t = j["BOLETOREC"][0];
    t["CDINS1COBBOL"] = c.ins1 ? json(c.ins1) : json(nullptr);
    t["CDINS2COBBOL"] = c.ins2 ? json(c.ins2) : json(nullptr);
    j["TXBOLETO"] = {{{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1"}, {"TXMENSBOLBOL", mensagem}}};
    if (c.avalista) {
      j["CONTCORR"][0]["CDSACAVALISTA"] = "11.222.333/0001-81";
      j["CONTCORR"][0]["NMSACAVALISTA"] = "Avalista São Jorge";
      j["CONTCORR"][0]["IDTPIJURSAC"] = "J";
    }
    const auto d = Gera(j)[1];
    EXPECT_EQ(field(d, 157, 4), c.instrucoes);
    EXPECT_EQ(field(d, 352, 40), c.campo) << c.instrucoes;
    EXPECT_EQ(field(d, 392, 3), "00 ");  // the protest days stay in place
  }
}

TEST(ItauDetail, ProtestDays) {
  const struct {
    json dias;
    const char* esperado;
  } casos[] = {{nullptr, "00"}, {5, "05"}, {30, "30"}, {120, "20"}};
  for (const auto& c : casos) {
    json j = Itau();
    j["BOLETOREC"][0]["QTDIAPROTBOL"] = c.dias;
    EXPECT_EQ(field(Gera(j)[1], 392, 2), c.esperado) << c.dias;
  }
}

TEST(ItauDetail, PayerOverrideSuppliesTradeNameAndAddress) {
  json j = Itau();
  j["LICENCAUSO"] = json::parse(R"([{"CDFILIAL": "0001", "NRLANBOLREC": "1", "IDTPIJURLUSO": "F",
      "NRINSJURLUSO": "123.456.789-09", "NMRAZSOCLUSO": "Razão Social Que Não Vai",
      "NMFANTLUSO": "Loja Três Irmãos", "DSENDELUSO": "Rua da Conceição, 45",
      "NMBAIRLUSO": "Jardim Paulistano Norte", "NRCEPLUSO": "04.567-890",
      "NMMUNICIPIO": "São José dos Campos", "SGESTADO": "sp"}])");
  const auto d = Gera(j)[1];
  EXPECT_EQ(field(d, 219, 2), "01");
  EXPECT_EQ(field(d, 221, 14), "00012345678909");
  EXPECT_EQ(field(d, 235, 30), fields::PadR("LOJA TRES IRMAOS", 30));
  EXPECT_EQ(field(d, 265, 10), Replicate(" ", 10));
  EXPECT_EQ(field(d, 275, 40), fields::PadR("RUA DA CONCEICAO, 45", 40));
  EXPECT_EQ(field(d, 315, 12), "JARDIM PAULI");
  EXPECT_EQ(field(d, 327, 8), "04567890");
  EXPECT_EQ(field(d, 335, 15), "SAO JOSE DOS CA");
  EXPECT_EQ(field(d, 350, 2), "SP");
}

TEST(ItauDetail, EmptyAndOverlongPayerFieldsKeepTheirWidths) {
  json j = Itau();
  j["LICENCAUSO"] = {{{"CDFILIAL", "0001"},
                      {"NRLANBOLREC", "1"},
                      {"IDTPIJURLUSO", nullptr},
                      {"NMFANTLUSO", std::string(50, 'N')},
                      {"DSENDELUSO", std::string(60, 'E')}}};
  const auto d = Gera(j)[1];
  EXPECT_EQ(field(d, 219, 2), "02");  // anything but a person counts as a company
  EXPECT_EQ(field(d, 221, 14), Replicate("0", 14));
  EXPECT_EQ(field(d, 235, 30), Replicate("N", 30));
  EXPECT_EQ(field(d, 265, 10), Replicate(" ", 10));
  EXPECT_EQ(field(d, 275, 40), Replicate("E", 40));
  EXPECT_EQ(field(d, 315, 12), Replicate(" ", 12));
  EXPECT_EQ(field(d, 327, 8), "00000000");
  EXPECT_EQ(field(d, 335, 17), Replicate(" ", 17));
}

TEST(ItauCompany, RegistrationTypeAndNameBranchFirst) {
  const struct {
    bool filial;
    const char* tipo;
    const char *codigo, *nome;
  } casos[] = {
      {true, "J", "02", "MATRIZ"},         {true, "F", "01", "MATRIZ"},
      {true, "I", "03", "MATRIZ"},         {true, "", "03", "MATRIZ"},
      {false, "J", "02", "EMPRESA TESTE"}, {false, "F", "01", "EMPRESA TESTE"},
      {false, "I", "02", "EMPRESA TESTE"},
  };
  for (const auto& c : casos) {
    json j = Itau();
    if (!c.filial) j["CONTCORR"][0]["CDFILIAL"] = nullptr;
    TStore s(j.dump());
    const std::string tabela = c.filial ? "FILIAL SET IDTPIJURFILI" : "EMPRESA SET IDTPIJUREMPR";
    s.Server().Conexao().Exec("UPDATE " + tabela + " = '" + c.tipo + "'");
    s.Gerar({});
    const auto recs = s.Registros(400);
    ConfereArquivo(recs);
    EXPECT_EQ(field(recs[0], 47, 30), fields::PadR(c.nome, 30)) << c.filial << c.tipo;
    EXPECT_EQ(field(recs[1], 2, 2), c.codigo) << c.filial << c.tipo;
    EXPECT_EQ(field(recs[1], 4, 14), "12345678000195");
  }
}

TEST(ItauCompany, TaxIdOfMoreThanFourteenDigitsStopsBeforeTheFile) {
  const struct {
    const char* inscricao;
    const char* chave;
  } casos[] = {{"12.345.678/0001-95", ""}, {"12.345.678/0001-951", "INSCRICAO_INV"}};
  for (const auto& c : casos) {
    TStore s(Itau().dump());
    s.Server().Conexao().Exec(std::string("UPDATE FILIAL SET NRINSJURFILI = '") + c.inscricao + "'");
    EXPECT_EQ(ChaveErro([&] { s.Gerar({}); }), c.chave) << c.inscricao;
    struct stat st;
    EXPECT_EQ(stat(s.Arquivo().c_str(), &st) == 0, *c.chave == '\0') << c.inscricao;
  }
}

TEST(ItauFine, CodeDateAndAmount) {
  const struct {
    json multa, percentual;
    const char* inicio;
  } casos[] = {
      {10.0, nullptr,
       "2101012027"
       "0000000001000"},  // due 31/12: the fine starts in the new year
      {5.0, 2.0,
       "2101012027"
       "0000000000500"},  // a fixed amount wins over a percentage
      {0.0, 2.0,
       "2201012027"
       "0000000000200"},
      {0.0, 0.0,
       "2001012027"
       "0000000000000"},
      {nullptr, nullptr,
       "2001012027"
       "0000000000000"},
  };
  for (const auto& c : casos) {
    json j = Itau("S");
    j["BOLETOREC"][0]["DTVENBOLREC"] = "2026-12-31";
    j["BOLETOREC"][0]["VRMULTABREC"] = c.multa;
    j["BOLETOREC"][0]["VRPEMULBREC"] = c.percentual;
    const auto recs = Gera(j);
    ASSERT_EQ(Tipos(recs), "01259");
    EXPECT_EQ(field(recs[2], 1, 23), c.inicio) << c.multa << "/" << c.percentual;
    EXPECT_EQ(field(recs[2], 24, 371), Replicate(" ", 371));
  }
}

TEST(ItauEmail, EmailAndGuarantorRecord) {
  const struct {
    bool avalista;
    const char* tipoPagador;
    json tipoAvalista;  // the guarantor block types the guarantor, whatever the payer is
    const char* codigoAvalista;
  } casos[] = {
      {false, "J", nullptr, ""}, {true, "J", "F", "01"}, {true, "F", "J", "02"}, {true, "F", nullptr, "02"}};
  for (const auto& c : casos) {
    json j = Itau();
    j["CLIENTE"] = json::parse(R"([{"CDCLIENTE": "C2", "NMRAZSOCCLIE": "Cliente Dois",
        "NRINSJURCLIE": "123.456.789-09", "EMAILCOBCLIE": "joão.cobrança@exemplo.com.br"}])");
    j["CLIENTE"][0]["IDTPIJURCLIE"] = c.tipoPagador;
    j["ENDECLIE"] = json::parse(R"([{"CDCLIENTE": "C2", "IDTPENDECLIE": "C", "CDPAIS": "1058",
        "SGESTADO": "SP", "CDMUNICIPIO": "3550", "DSENDECLIE": "Rua Dois, 2", "NRCEPCLIE": "01002-000"}])");
    j["BOLETOREC"][0]["CDCLIENTE"] = "C2";
    if (c.avalista) {
      j["CONTCORR"][0]["CDSACAVALISTA"] = "11.222.333/0001-81";
      j["CONTCORR"][0]["NMSACAVALISTA"] = "Avalista";
      j["CONTCORR"][0]["IDTPIJURSAC"] = c.tipoAvalista;
    }
    const auto recs = Gera(j);
    ASSERT_EQ(Tipos(recs), "0159");
    const auto& e = recs[2];
    // One byte per accented letter: a multi-byte encoding would push every later field.
    EXPECT_EQ(field(e, 2, 120), fields::PadR(fields::Utf8ToCp1252("joão.cobrança@exemplo.com.br"), 120));
    const std::string codigo = std::string(c.tipoPagador) == "F" ? "01" : "02";
    EXPECT_EQ(field(recs[1], 219, 2), codigo);
    if (c.avalista) {
      EXPECT_EQ(field(e, 122, 2), c.codigoAvalista) << c.tipoAvalista;
      EXPECT_EQ(field(e, 124, 14), "11222333000181");
      EXPECT_EQ(field(e, 138, 77), Replicate(" ", 77));
    } else {
      EXPECT_EQ(field(e, 122, 93), Replicate(" ", 93));
    }
    EXPECT_EQ(field(e, 215, 180), Replicate(" ", 180));
  }
}

// Data as operators type it (agency "123-4", account "00098765-4", tax ids
// "123.456.789-09", postcode "01310-100", nosso número "12345678-9"): only
// digits where the bank reads a number.
namespace {

const layouts::TCampoNumerico kNumericos[] = {
    {'0', 27, 4},   {'0', 33, 6},   {'0', 95, 6},  {'1', 4, 14},   {'1', 18, 4},   {'1', 24, 6},
    {'1', 63, 8},   {'1', 71, 13},  {'1', 84, 3},  {'1', 121, 6},  {'1', 127, 13}, {'1', 140, 3},
    {'1', 143, 5},  {'1', 148, 2},  {'1', 151, 6}, {'1', 161, 13}, {'1', 174, 6},  {'1', 180, 13},
    {'1', 193, 13}, {'1', 206, 13}, {'1', 219, 2}, {'1', 221, 14}, {'1', 327, 8},  {'1', 392, 2},
    {'2', 2, 1},    {'2', 3, 8},    {'2', 11, 13}, {'5', 122, 2},  {'5', 124, 14},
};

}  // namespace

TEST(Itau, TypedPunctuationReachesTheBankAsDigits) {
  TLoja l("341");
  l.EmprBanc()["IDGERLINHACOMP"] = "S";
  l.titulo()["VRMORDIABREC"] = 0.41;
  l.titulo()["VRMULTABREC"] = 24.69;
  l.titulo()["QTDIAPROTBOL"] = 5;
  const auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(Tipos(recs), "01259");
  EXPECT_EQ(field(recs[0], 27, 12),
            "1234"
            "00"
            "987654");  // agency 123-4; the account's last five digits and its check digit
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 2, 28),
            "02"
            "12345678000195"
            "1234"
            "00"
            "987654");
  EXPECT_EQ(field(d, 63, 8), "12345678");  // the first eight digits of 12345678-9
  EXPECT_EQ(field(d, 84, 3), "109");
  EXPECT_EQ(field(d, 127, 13), "0000000123456");
  EXPECT_EQ(field(d, 161, 13), "0000000000041");
  EXPECT_EQ(field(d, 219, 16),
            "01"
            "00012345678909");
  EXPECT_EQ(field(d, 235, 30), fields::PadR("JOSE DA SILVA COMERCIO", 30));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 52), fields::PadR("RUA AUGUSTA, 1500  APTO 12", 40) + "CONSOLACAO  ");
  EXPECT_EQ(field(d, 327, 8), "01310100");
  EXPECT_EQ(field(d, 352, 42), fields::PadR("AVALISTA TRES", 34) + "000000" + "05");
  EXPECT_EQ(field(recs[2], 1, 23),
            "2121122026"
            "0000000002469");
  EXPECT_EQ(field(recs[3], 2, 120), fields::PadR("ze@example.com", 120));
  EXPECT_EQ(field(recs[3], 122, 16),
            "01"
            "00012345678909");  // the guarantor, a person
}

// The portfolio is the bank's three digits, whatever blanks it was stored with.
TEST(Itau, PortfolioFromItsDigits) {
  const struct {
    json gravada;
    const char* esperada;
  } casos[] = {{"09 ", "009"}, {" 9 ", "009"}, {"109", "109"}};
  for (const auto& c : casos) {
    TLoja l("341");
    l.titulo()["CDCARTCOBBOL"] = c.gravada;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 84, 3), c.esperada) << c.gravada;
  }
}

// A line break or tab typed in the e-mail would split the bank's record; the
// address itself goes as typed.
TEST(Itau, EmailWithoutControlCharacters) {
  TLoja l("341");
  l.dados["CLIENTE"][0]["EMAILCOBCLIE"] = "Ze@exa\tmple.com\r\nfin@example.com";
  EXPECT_EQ(field(l.Gera({}, kNumericos)[2], 2, 120), fields::PadR("Ze@exa mple.com  fin@example.com", 120));
}

// A letter where the bank reads a number, a negative amount, or a value wider
// than its field stops the run before the file, naming the field (and the
// title, for a title's records).
TEST(Itau, UnreadableNumbersStopTheRun) {
  const struct {
    const char *tabela, *campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CONTCORR", "CDAGENCIA", "12A-4", "CAMPO_NUM_INV", "027-030 do registro 0"},
      {"CONTCORR", "CDCONTCORR", "0009876X-4", "CAMPO_NUM_INV", "033-038 do registro 0"},
      {"BOLETOREC", "CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "063-070 do registro 1"},
      {"BOLETOREC", "CDCARTCOBBOL", "1O9", "CAMPO_NUM_INV", "084-086 do registro 1"},
      {"BOLETOREC", "VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "127-139 do registro 1"},
      {"BOLETOREC", "VRFINALBREC", -10.0, "CAMPO_NUM_INV", "127-139 do registro 1"},
      {"BOLETOREC", "VRMORDIABREC", 123456789012.0, "CAMPO_EXCEDE", "161-173 do registro 1"},
      {"ENDECLIE", "NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV", "327-334 do registro 1"},
      {"BOLETOREC", "VRMULTABREC", 123456789012.0, "CAMPO_EXCEDE", "011-023 do registro 2"},
      {"CONTCORR", "CDSACAVALISTA", "123.456.78X-09", "CAMPO_NUM_INV", "124-137 do registro 5"},
  };
  for (const auto& c : casos) {
    TLoja l("341");
    l.EmprBanc()["IDGERLINHACOMP"] = "S";
    l.dados[c.tabela][0][c.campo] = c.valor;
    l.NovoTitulo("1002");
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo << " " << c.valor;
    // a batch record names the batch; a title's record names the title first
    const std::string onde = std::string(c.texto).back() == '0' ? "Remessa" : "Boleto 0001/1001";
    EXPECT_NE(l.Mensagem().find(onde + ": o campo " + c.texto), std::string::npos) << l.Mensagem();
  }
}
