// Santander files generated end to end on the shared store (data as operators
// type it: agency "123-4", account "00098765-4", collection account
// "12345678-9", nosso número "12345678-9"), the real run, the whole file
// checked, and the records read back by position.
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

// What the bank reads as numbers; the portfolio kind is blank for a kind the
// bank does not know.
constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 17, 16},  {'0', 33, 15},  {'0', 144, 8},  {'0', 158, 9}, {'1', 14, 3},       {'1', 18, 16},
    {'1', 54, 15},  {'1', 184, 16}, {'P', 18, 25},  {'P', 45, 13}, {'P', 58, 1, true}, {'P', 59, 2},
    {'P', 78, 28},  {'P', 107, 2},  {'P', 110, 86}, {'P', 221, 9}, {'Q', 18, 16},      {'Q', 129, 8},
    {'Q', 154, 16}, {'Q', 210, 12}, {'R', 18, 24},  {'R', 66, 24}, {'5', 18, 6},       {'9', 18, 12},
};

const std::string kVenc = "20122026";

// The bank's store: the batch account and the collection account "101" the
// titles are registered on.
TLoja Loja(const std::string& banco = "033", const std::string& cobranca = "12345678-9") {
  TLoja l(banco);
  json c = ContaDigitada(banco);
  c.update(
      {{"CDREDUCONT", "101"}, {"CDCONTCORR", cobranca}, {"DSCONTCORR", "Cobrança"}, {"IDCONTCOBR", "S"}});
  l.Linha("CONTCORR", c);
  return l;
}

TOpcoesGeracao Opcoes(TOpcoesGeracao o = {}) {
  o.contaCobranca = "101";
  return o;
}

std::vector<std::string> Gera(TLoja& l, TOpcoesGeracao o = {}) {
  return l.Gera(Opcoes(o), kNumericos);
}

json Registro(json campos, const std::string& numero = "1001") {
  campos["CDFILIAL"] = "0001";
  campos["NRLANBOLREC"] = numero;
  return campos;
}

// Agency, accounts, transmission code, tax ids, postcode and nosso número as
// operators type them reach the bank as digits; text loses accents and
// line breaks.
TEST(SantanderRemessa, TypedPunctuationBecomesDigits) {
  TLoja l = Loja();
  l.conta()["CDIDRECCONTCORR"] = "12.345-6";
  const auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 7u);
  EXPECT_EQ(field(recs[0], 17, 31), "2"s + "012345678000195" + "000000000123456");
  EXPECT_EQ(field(recs[1], 18, 16), "2012345678000195");
  EXPECT_EQ(field(recs[1], 54, 15), "000000000123456");
  const std::string& p = recs[2];
  EXPECT_EQ(field(p, 18, 27), "0123"s + "4" + "000098765" + "4" + "012345678" + "9" + "  ");
  EXPECT_EQ(field(p, 45, 13), "0000123456789");
  EXPECT_EQ(field(p, 78, 23), kVenc + "000000000123456");
  const std::string& q = recs[3];
  EXPECT_EQ(field(q, 18, 56), "1"s + "000012345678909" + PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(q, 74, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(q, 114, 40), PadR("CONSOLACAO", 15) + "01310100" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(q, 154, 87),
            "1"s + "000012345678909" + PadR("AVALISTA TRES", 40) + "000000000000" + Replicate(" ", 19));
}

// Every record starts with the batch's layout bank; every title has P, Q and
// R, each with the batch's movement.
TEST(SantanderRemessa, EveryCodeOfTheBankWritesItsOwnFile) {
  const std::pair<const char*, int> casos[] = {{"033", 0}, {"353", 1}, {"008", 2}};
  for (const auto& [banco, operacao] : casos) {
    SCOPED_TRACE(banco);
    TLoja l = Loja(banco);
    // exclusions and alterations are offered the titles already at the bank
    const char* situacao = operacao == 0 ? "00" : "20";
    l.titulo()["IDSITUCNABR"] = situacao;
    l.NovoTitulo("1002")["IDSITUCNABR"] = situacao;
    TOpcoesGeracao o;
    o.operacao = operacao;
    const auto recs = Gera(l, o);
    std::string segmentos;
    for (const auto& r : recs) {
      EXPECT_EQ(field(r, 1, 3), banco);
      if (r[7] == '3') segmentos += field(r, 14, 4);
    }
    const std::string mov = operacao == 0 ? "01" : operacao == 1 ? "02" : "06";
    EXPECT_EQ(segmentos, "P " + mov + "Q " + mov + "R " + mov + "P " + mov + "Q " + mov + "R " + mov);
  }
}

// A batch of the company's second branch: the tax id is the branch's, the name
// always the company's.
TEST(SantanderRemessa, HeadersCarryCompanyTransmissionCodeAndSequence) {
  TLoja l = Loja();
  l.conta()["CDIDRECCONTCORR"] = " 1234567890 ";
  l.Linha("FILIAL", {{"CDFILIAL", "0002"},
                     {"CDEMPRESA", "01"},
                     {"NMFILIAL", "Filial Dois"},
                     {"IDTPIJURFILI", "J"},
                     {"NRINSJURFILI", "12.345.678/0002-76"},
                     {"NMRAZSOCFILI", "Filial Dois Comércio"}});
  TOpcoesGeracao o;
  o.filial = "0002";
  const auto recs = Gera(l, o);
  const std::string empresa = PadR("EMPRESA TESTE COMERCIO LTDA", 30);
  const std::string& h = recs[0];
  EXPECT_EQ(field(h, 9, 39), Replicate(" ", 8) + "2" + "012345678000276" + "000001234567890");
  EXPECT_EQ(field(h, 48, 85), Replicate(" ", 25) + empresa + PadR("SANTANDER", 30));
  EXPECT_EQ(field(h, 133, 108), Replicate(" ", 10) + "1" + "08122026" + Replicate(" ", 6) + "000042" + "040" +
                                    Replicate(" ", 74));
  const std::string& lote = recs[1];
  EXPECT_EQ(field(lote, 9, 65),
            "R01  030 2012345678000276" + Replicate(" ", 20) + "000001234567890" + Replicate(" ", 5));
  EXPECT_EQ(field(lote, 74, 167),
            empresa + Replicate(" ", 80) + "00000001" + "08122026" + Replicate(" ", 41));
}

// Segment P 018-042: agency, account and collection account, each with its
// check digit; the collecting agency (101-105) of a title marked for no
// protest is the agency's first five digits.
TEST(SantanderRemessa, AgencyAccountAndCollectionAccount) {
  struct TCaso {
    const char *agencia, *cobranca;
    std::string agenciaP, cobrancaP, cobradora;
  };
  const TCaso casos[] = {
      {"1234", "12345678-9", "12340", "0123456789", "01234"},
      {"12345", "123456789", "12345", "0123456789", "12345"},  // the fifth digit is the check digit
      {"123-4", "1234.567-8", "01234", "0012345678", "01234"},
      {"234-5", "1234-56", "02345", "0000012345", "02345"},  // the digit right after the hyphen
      {"1234", "1234567-", "12340", "0012345670", "01234"},  // no digit after the hyphen
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.agencia) + " " + c.cobranca);
    TLoja l = Loja("033", c.cobranca);
    l.conta()["CDAGENCIA"] = c.agencia;
    l.titulo()["CDDIAPROTBOL"] = "3";
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[2], 18, 27), c.agenciaP + "0000987654" + c.cobrancaP + "  ");
    EXPECT_EQ(field(recs[2], 101, 5), c.cobradora);
  }
}

TEST(SantanderRemessa, TitleNumberPortfolioKindAndDocument) {
  struct TCaso {
    const char *tipo, *nosso, *duplicata;
    std::string numero, tipoBanco, documento;
  };
  const TCaso casos[] = {
      {"1", "12345678-9", nullptr, "0000123456789", "1", "1001"},
      {"2", "1234567890123456", nullptr, "4567890123456", "5", "1001"},  // its last 13 digits
      {"3", "", nullptr, Replicate("0", 13), "3", "1001"},
      {"4", "12345678-9", "123456789", "0000123456789", "6", "2345678902"},
      {"9", "12345678-9", nullptr, "0000123456789", " ", "1001"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.tipo) + " " + c.nosso);
    TLoja l = Loja();
    // the bank numbers the slips it prints
    l.titulo().update(
        {{"IDCARTCOBREC", c.tipo}, {"CDNOSNUMREC", c.nosso}, {"IDIMPRBOLBOL", *c.nosso ? "E" : "B"}});
    if (c.duplicata) l.Linha("DUPLICATA", Registro({{"DUPLICATA", c.duplicata}, {"NRPARCELA", "02"}}));
    const auto recs = Gera(l);
    const std::string& p = recs[2];
    EXPECT_EQ(field(p, 45, 13), c.numero);
    EXPECT_EQ(field(p, 58, 5), c.tipoBanco + "12  ");
    EXPECT_EQ(field(p, 63, 15), PadR(c.documento, 15));
    EXPECT_EQ(field(p, 101, 17), "00000"s + " 02N" + "08122026");
    EXPECT_EQ(field(p, 166, 30), Replicate("0", 30));
    EXPECT_EQ(field(p, 196, 25), PadR("00011001CART"s + c.tipo + "109", 25));
    EXPECT_EQ(field(p, 224, 17), "200000" + Replicate(" ", 11));
  }
}

// Charge block of segment P (118-141) and fine of segment R (066-089). A
// fine goes under code "2" as thirty times its rate, three implied decimals:
// each rate keeps its magnitude, and a fine amount gives the number of the
// percentage it is of the title.
TEST(SantanderRemessa, ChargeBlockAndFine) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string encargo, multa;
  };
  const std::string semMulta = "1" + kVenc + Replicate("0", 15);
  const TCaso casos[] = {
      {"daily interest", {{"VRMORDIABREC", 1.5}}, "1" + kVenc + "000000000000150", semMulta},
      {"interest percentage, five decimals",
       {{"VRPEMORBREC", 2.5}},
       "2" + kVenc + "000000000250000",
       semMulta},
      {"percentage wins over daily amount",
       {{"VRPEMORBREC", 2.5}, {"VRMORDIABREC", 1.5}},
       "2" + kVenc + "000000000250000",
       semMulta},
      {"fine 2 %", {{"VRPEMULBREC", 2.0}}, "2" + kVenc + "000000000060000", "2" + kVenc + "000000000000200"},
      {"fine 0.1 %",
       {{"VRPEMULBREC", 0.1}},
       "2" + kVenc + "000000000003000",
       "2" + kVenc + "000000000000010"},
      {"fine 1 %", {{"VRPEMULBREC", 1.0}}, "2" + kVenc + "000000000030000", "2" + kVenc + "000000000000100"},
      {"fine 10 %",
       {{"VRPEMULBREC", 10.0}},
       "2" + kVenc + "000000000300000",
       "2" + kVenc + "000000000001000"},
      {"fine amount of 2 %",
       {{"VRMULTABREC", 5.0}, {"VRFINALBREC", 250.0}},
       "2" + kVenc + "000000000060000",
       "1" + kVenc + "000000000000500"},
      // 7.25 of 150.75 is 4.81 %; 4.81 x 30 = 144.3, not its binary neighbour
      {"fine amount of 4.81 %",
       {{"VRMULTABREC", 7.25}, {"VRFINALBREC", 150.75}},
       "2" + kVenc + "000000000144300",
       "1" + kVenc + "000000000000725"},
      {"fine amount on a title without value",
       {{"VRMULTABREC", 7.25}, {"VRFINALBREC", 0.0}},
       "3" + Replicate("0", 23),
       "1" + kVenc + "000000000000725"},
      {"no charge", json::object(), "3" + Replicate("0", 23), semMulta},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l = Loja();
    l.titulo().update(c.campos);
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[2], 118, 24), c.encargo);
    EXPECT_EQ(field(recs[4], 66, 24), c.multa);
  }
}

TEST(SantanderRemessa, DiscountPercentageOfTheTitle) {
  const std::pair<json, std::string> casos[] = {
      {{{"VRPEDESCBCLI", 10.0}, {"VRFINALBREC", 250.0}}, "1" + kVenc + "000000000002500"},
      {json::object(), Replicate("0", 24)},
  };
  for (const auto& [campos, desconto] : casos) {
    SCOPED_TRACE(desconto);
    TLoja l = Loja();
    l.titulo().update(campos);
    EXPECT_EQ(field(Gera(l)[2], 142, 24), desconto);
  }
}

// Days ask for protest whatever other code the title carries; a title marked
// for no protest is not protested, and the agency collects it.
TEST(SantanderRemessa, ProtestAndCollectingAgency) {
  const std::pair<json, std::string> casos[] = {
      {{{"QTDIAPROTBOL", 5}}, "105" + "00000"s},
      {{{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 7}}, "107" + "00000"s},
      {{{"CDDIAPROTBOL", "1"}}, "300" + "00000"s},
      {json::object(), "300" + "00000"s},
      {{{"CDDIAPROTBOL", "3"}}, "300" + "01234"s},
      {{{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, "300" + "01234"s},
  };
  for (const auto& [campos, esperado] : casos) {
    SCOPED_TRACE(campos.dump());
    TLoja l = Loja();
    l.titulo().update(campos);
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[2], 221, 3) + field(recs[2], 101, 5), esperado);
  }
}

// The payer override record names the payer; a company as the account's
// guarantor has its 14 digits, an account without one sends zeros and blanks.
TEST(SantanderRemessa, PayerAndGuarantorInSegmentQ) {
  TLoja l = Loja();
  l.conta().update(
      {{"CDSACAVALISTA", "12.345.678/0001-90"}, {"NMSACAVALISTA", "Avalista Ltda"}, {"IDTPIJURSAC", "J"}});
  l.NovoTitulo("1002");
  l.Linha("LICENCAUSO", Registro({{"IDTPIJURLUSO", "J"},
                                  {"NRINSJURLUSO", "98.765.432/0001-10"},
                                  {"NMRAZSOCLUSO", "Razão Social"},
                                  {"NMFANTLUSO", "Fantasia Açaí"},
                                  {"DSENDELUSO", "  Rua das Flores, 10"},
                                  {"NMBAIRLUSO", " Centro"},
                                  {"NRCEPLUSO", "04567-890"},
                                  {"NMMUNICIPIO", "São Paulo"},
                                  {"SGESTADO", "SP"}},
                                 "1002"));
  auto recs = Gera(l);
  const std::string avalista = "2"s + "012345678000190" + PadR("AVALISTA LTDA", 40);
  EXPECT_EQ(field(recs[3], 154, 56), avalista);
  const std::string& licenca = recs[6];
  EXPECT_EQ(field(licenca, 18, 56), "2"s + "098765432000110" + PadR("FANTASIA ACAI", 40));
  EXPECT_EQ(field(licenca, 74, 80),
            PadR("RUA DAS FLORES, 10", 40) + PadR("CENTRO", 15) + "04567890" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(licenca, 154, 56), avalista);

  TLoja sem = Loja();
  sem.conta()["NMSACAVALISTA"] = "  ";
  recs = Gera(sem);
  EXPECT_EQ(field(recs[3], 154, 56), Replicate("0", 16) + Replicate(" ", 40));
}

TEST(SantanderRemessa, SlipMessageInSegmentR) {
  const std::pair<const char*, std::string> casos[] = {
      {"  Não receber após\r\no vencimento", PadR("NAO RECEBER APOS  O VENCIMENTO", 40)},
      {nullptr, Replicate(" ", 40)},
  };
  for (const auto& [mensagem, linha] : casos) {
    SCOPED_TRACE(linha);
    TLoja l = Loja();
    if (mensagem) l.Linha("TXBOLETO", Registro({{"TXMENSBOLBOL", mensagem}}));
    const std::string r = Gera(l)[4];
    EXPECT_EQ(field(r, 18, 48), Replicate("0", 24) + Replicate(" ", 24));
    EXPECT_EQ(field(r, 90, 151), Replicate(" ", 10) + linha + Replicate(" ", 101));
  }
}

// A letter where the bank reads a number, or a value wider than its field,
// stops the run before the file, naming the batch or the title and the field.
TEST(SantanderRemessa, UnreadableNumbersStopTheRun) {
  struct TCaso {
    const char* tabela;
    size_t linha;
    const char *campo, *texto;
    json valor;
  };
  const TCaso casos[] = {
      {"CONTCORR", 0, "CDIDRECCONTCORR", "Remessa: o campo 033-047 do registro 0", "12.34X-6"},
      {"CONTCORR", 0, "CDAGENCIA", "Boleto 0001/1001: o campo 018-021 do registro 3P", "12A4"},
      {"CONTCORR", 0, "CDCONTCORR", "Boleto 0001/1001: o campo 023-031 do registro 3P", "0009876X-4"},
      {"CONTCORR", 1, "CDCONTCORR", "Boleto 0001/1001: o campo 033-041 do registro 3P", "1234A678-9"},
      {"CONTCORR", 0, "CDSACAVALISTA", "Boleto 0001/1001: o campo 155-169 do registro 3Q", "isento"},
      {"BOLETOREC", 1, "CDNOSNUMREC", "Boleto 0001/1002: o campo 045-057 do registro 3P", "1234567P-9"},
      {"BOLETOREC", 1, "VRFINALBREC", "Boleto 0001/1002: o campo 086-100 do registro 3P", 1e13},
      {"BOLETOREC", 1, "VRPEMORBREC", "Boleto 0001/1002: o campo 127-141 do registro 3P", 1e10},
      {"BOLETOREC", 1, "VRPEMULBREC", "Boleto 0001/1002: o campo 127-141 do registro 3P", 1e11},
      // as a percentage of the title in the charge block before it reaches segment R
      {"BOLETOREC", 1, "VRMULTABREC", "Boleto 0001/1002: o campo 127-141 do registro 3P", 1e13},
      {"ENDECLIE", 0, "NRCEPCLIE", "Boleto 0001/1001: o campo 129-136 do registro 3Q", "0131O-100"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campo);
    TLoja l = Loja();
    l.NovoTitulo("1002");
    l.dados[c.tabela][c.linha][c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(Opcoes()), c.valor.is_number() ? "CAMPO_EXCEDE" : "CAMPO_NUM_INV");
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

}  // namespace
