#include <gtest/gtest.h>

#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;

namespace {

const auto B = [](size_t n) { return std::string(n, ' '); };
const auto Z = [](size_t n) { return std::string(n, '0'); };

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 95, 6},  {'0', 386, 9},  {'1', 4, 14},   {'1', 63, 17},  {'1', 121, 6}, {'1', 127, 13},
    {'1', 151, 6}, {'1', 161, 13}, {'1', 174, 45}, {'1', 221, 14}, {'1', 327, 8}, {'1', 370, 24},
};

// A branch of the company besides the base fixture's "0001" (same CNPJ root).
void Filial(TLoja& l, const char* codigo, const char* tipo, const char* inscricao) {
  l.Linha("FILIAL", {{"CDFILIAL", codigo},
                     {"CDEMPRESA", "01"},
                     {"NMFILIAL", "Filial Dois"},
                     {"IDTPIJURFILI", tipo},
                     {"NRINSJURFILI", inscricao},
                     {"NMRAZSOCFILI", "Filial Dois Ltda"}});
}

}  // namespace

// The whole header and detail, the company named by the batch branch first,
// with the data as operators type it.
TEST(Sofisa, HeaderAndDetailByPosition) {
  // The remittance number is the last nine digits of the account's
  // sequence, drawn once more for the batch.
  const struct {
    const char *filial, *tipo, *inscricao, *nome;
    int sequencia;
    const char* numero;
  } casos[] = {
      {"", "02", "12345678000195", "EMPRESA TESTE", 41, "000000042"},
      {"0001", "02", "12345678000195", "MATRIZ", 1234567890, "234567891"},
      {"0002", "03", "12345678000276", "FILIAL DOIS", 41, "000000042"},  // neither person nor company
  };
  for (const auto& c : casos) {
    TLoja l("637");
    l.conta()["NRSEQREMESSAREC"] = c.sequencia;
    l.EmprBanc()["CDEMPBANCREC"] = " 4.321.987-0";
    l.EmprBanc()["IDIMPRBOLETO"] = "E";
    Filial(l, "0002", "O", "12.345.678/0002-76");
    TOpcoesGeracao o;
    o.filial = c.filial;
    if (!*c.filial) l.conta()["CDFILIAL"] = nullptr;  // a batch without a branch
    auto recs = l.Gera(o, kNumericos);
    ASSERT_EQ(recs.size(), 3u) << c.filial;
    const std::string codigo = "4.321.987-0" + B(9);
    const auto& h = recs[0];
    EXPECT_EQ(field(h, 1, 26), "01REMESSA05COBRANCASIMPLES");
    EXPECT_EQ(field(h, 27, 20), codigo);
    EXPECT_EQ(field(h, 47, 30), c.nome + B(30 - std::string(c.nome).size()));
    EXPECT_EQ(field(h, 77, 18), "999BANCO 637      ");
    EXPECT_EQ(field(h, 95, 6), "081226");
    EXPECT_EQ(field(h, 101, 280), B(280));
    EXPECT_EQ(field(h, 381, 14), std::string("V.2.6") + c.numero);

    const auto& d = recs[1];
    EXPECT_EQ(field(d, 1, 3), std::string("1") + c.tipo);
    EXPECT_EQ(field(d, 4, 14), c.inscricao);
    EXPECT_EQ(field(d, 18, 20), codigo);
    EXPECT_EQ(field(d, 38, 25), "00011001" + B(17));
    EXPECT_EQ(field(d, 63, 17), Z(17));  // portfolio "109": not the bank's numbering
    EXPECT_EQ(field(d, 80, 15), B(3) + "2" + "001" + Z(8));
    EXPECT_EQ(field(d, 95, 16), B(14) + "01");
    EXPECT_EQ(field(d, 111, 10), B(10));  // no document
    EXPECT_EQ(field(d, 121, 6), "201226");
    EXPECT_EQ(field(d, 127, 13), "0000000123456");
    EXPECT_EQ(field(d, 140, 17), Z(8) + "01 " + "081226");
    EXPECT_EQ(field(d, 157, 4), "0000");
    EXPECT_EQ(field(d, 161, 58), Z(58));  // no interest, discount, IOF or rebate
    EXPECT_EQ(field(d, 219, 16), "0100012345678909");
    EXPECT_EQ(field(d, 235, 40), "JOSE DA SILVA COMERCIO" + B(18));  // the line break is a blank
    EXPECT_EQ(field(d, 275, 40), "RUA AUGUSTA, 1500  APTO 12" + B(14));
    EXPECT_EQ(field(d, 315, 12), "CONSOLACAO  ");
    EXPECT_EQ(field(d, 327, 8), "01310100");
    EXPECT_EQ(field(d, 335, 17), "SAO PAULO      SP");
    EXPECT_EQ(field(d, 352, 43), B(18) + Z(24) + " ");
    EXPECT_EQ(recs[2], "9" + B(393) + "000003");
  }
}

// Only the bank's own portfolio carries a nosso número: its first 17 digits.
TEST(Sofisa, NossoNumeroOnlyForPortfolioSix) {
  const struct {
    const char *carteira, *nosso;
    std::string campo;
  } casos[] = {
      {"6", "12345678-9", "00000000123456789"},
      {"6", "123456789012345678-9", "12345678901234567"},
      {"9", "12345678-9", Z(17)},
  };
  for (const auto& c : casos) {
    TLoja l("637");
    l.titulo()["CDCARTCOBBOL"] = c.carteira;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 63, 17), c.campo) << c.carteira << " " << c.nosso;
  }
}

// Who prints the slip, the document number and the two instructions.
TEST(Sofisa, SlipIssuerDocumentAndInstructions) {
  const struct {
    const char *impressao, *duplicata, *parcela, *ins1, *ins2, *pos83;
    std::string documento, instrucoes;
  } casos[] = {
      {"B", "NF-77", "1", "06", "", "1", "NF-77/1   ", "0600"},
      {"F", "2024000123", "03", "", "2", "2", "4000123/03", "002 "},
      {"", nullptr, nullptr, "7", "44", " ", B(10), "7 44"},
  };
  for (const auto& c : casos) {
    TLoja l("637");
    l.EmprBanc()["IDIMPRBOLETO"] = c.impressao;
    l.titulo()["CDINS1COBBOL"] = c.ins1;
    l.titulo()["CDINS2COBBOL"] = c.ins2;
    if (c.duplicata)
      l.Linha("DUPLICATA", {{"CDFILIAL", "0001"},
                            {"NRLANBOLREC", "1001"},
                            {"DUPLICATA", c.duplicata},
                            {"NRPARCELA", c.parcela}});
    const auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 83, 1), c.pos83) << c.impressao;
    EXPECT_EQ(field(d, 111, 10), c.documento) << c.impressao;
    EXPECT_EQ(field(d, 157, 4), c.instrucoes) << c.impressao;
  }
}

// The amount a day wins; else the monthly percentage of the value; a stored
// amount of zero is an amount.
TEST(Sofisa, InterestPerDay) {
  const struct {
    json mora, percentual;
    const char* campo;
  } casos[] = {
      {1.5, 2.0, "0000000000150"},
      {nullptr, 0.033, "0000000000041"},  // 1234.56 x 0.033 % = 0.41
      {nullptr, nullptr, "0000000000000"},
      {0.0, 2.0, "0000000000000"},
  };
  for (const auto& c : casos) {
    TLoja l("637");
    l.titulo()["VRMORDIABREC"] = c.mora;
    l.titulo()["VRPEMORBREC"] = c.percentual;
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 161, 13), c.campo) << c.mora << " " << c.percentual;
  }
}

// The payer override record names the payer by its trade name and address.
TEST(Sofisa, PayerOverride) {
  TLoja l("637");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "11.222.333/0001-81"},
                         {"NMRAZSOCLUSO", "Razão Social Ltda"},
                         {"NMFANTLUSO", "Loja Açaí"},
                         {"DSENDELUSO", "Praça da Sé, 1"},
                         {"NMBAIRLUSO", "Sé\tCentro"},
                         {"NRCEPLUSO", "01001-000"},
                         {"NMMUNICIPIO", "Campinas"},
                         {"SGESTADO", "SP"}});
  const auto d = l.Gera({}, kNumericos)[1];
  EXPECT_EQ(field(d, 219, 16), "0211222333000181");
  EXPECT_EQ(field(d, 235, 40), "LOJA ACAI" + B(31));
  EXPECT_EQ(field(d, 275, 40), "PRACA DA SE, 1" + B(26));
  EXPECT_EQ(field(d, 315, 12), "SE CENTRO   ");
  EXPECT_EQ(field(d, 327, 8), "01001000");
  EXPECT_EQ(field(d, 335, 17), "CAMPINAS       SP");
}

// Refused before the file: an exclusion or alteration batch, which this
// layout would send as new registrations, and a company tax id of more than
// 14 digits, which would reach the bank cut.
TEST(Sofisa, RefusesWhatTheLayoutCannotSay) {
  const struct {
    int operacao;
    const char *filial, *chave, *texto;
  } casos[] = {
      {1, "", "OPER_NAO_EXPRESSA", "banco 637"},
      {2, "", "OPER_NAO_EXPRESSA", "banco 637"},
      {0, "0003", "INSCRICAO_INV", "14 posi"},
  };
  for (const auto& c : casos) {
    TLoja l("637");
    l.titulo()["IDSITUCNABR"] =
        c.operacao ? "10" : "00";  // exclusion and alteration offer titles already sent
    l.titulo()["IDBOLRECALTER"] = "1";
    Filial(l, "0003", "J", "12.345.678/0001-951");
    TOpcoesGeracao o;
    o.operacao = c.operacao;
    o.filial = c.filial;
    EXPECT_EQ(l.Recusa(o), c.chave) << c.operacao;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

// What the bank could not read stops the run before the file, naming the
// title and the field; the second title is checked before any record exists.
TEST(Sofisa, UnreadableValuesStopTheRun) {
  const struct {
    const char *tabela, *campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"BOLETOREC", "CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-079"},
      {"BOLETOREC", "CDNOSNUMREC", "12345678901-P", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-079"},
      {"BOLETOREC", "VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139"},
      {"BOLETOREC", "VRFINALBREC", -5.0, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 127-139"},
      {"BOLETOREC", "VRMORDIABREC", -1.0, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 161-173"},
      {"CLIENTE", "NRINSJURCLIE", "123.456.78X-09", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 221-234"},
      {"ENDECLIE", "NRCEPCLIE", "0131O-100", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 327-334"},
  };
  for (const auto& c : casos) {
    TLoja l("637");
    json& segundo = l.NovoTitulo("1002");
    segundo["CDCARTCOBBOL"] = "6";
    (std::string(c.tabela) == "BOLETOREC" ? segundo : l.dados[c.tabela][0])[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
