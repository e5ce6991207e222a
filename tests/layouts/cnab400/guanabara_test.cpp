#include <gtest/gtest.h>

#include <tuple>

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
    {'0', 27, 4},   {'0', 33, 6},  {'0', 95, 6},   {'1', 2, 16},   {'1', 18, 4},  {'1', 24, 6},
    {'1', 63, 8},   {'1', 83, 12}, {'1', 121, 19}, {'1', 140, 10}, {'1', 151, 6}, {'1', 161, 58},
    {'1', 219, 16}, {'1', 327, 8}, {'1', 386, 8},  {'5', 122, 16}, {'5', 190, 8},
};

// Branch "0002" of the company, in another city, with title numero on it;
// its address typed with a tab, its city with a line break.
void OutraFilial(TLoja& l, const std::string& numero) {
  l.Linha("FILIAL", {{"CDFILIAL", "0002"},
                     {"CDEMPRESA", "01"},
                     {"NMFILIAL", "Filial BH"},
                     {"IDTPIJURFILI", "J"},
                     {"NRINSJURFILI", "12.345.678/0002-76"}});
  l.Linha("ENDEFILI", {{"CDFILIAL", "0002"},
                       {"IDTPENDEFILI", "P"},
                       {"CDPAIS", "1058"},
                       {"SGESTADO", "MG"},
                       {"CDMUNICIPIO", "3106"},
                       {"DSENDEFILI", "Rua São\tPaulo, 20"},
                       {"NMBAIRFILI", "Centro"},
                       {"NRCEPFILI", "30.130-000"}});
  l.Linha(
      "MUNICIPIO",
      {{"CDPAIS", "1058"}, {"SGESTADO", "MG"}, {"CDMUNICIPIO", "3106"}, {"NMMUNICIPIO", "Belo\nHorizonte"}});
  auto& t = l.NovoTitulo(numero);
  t["CDFILIAL"] = "0002";
  t["CDFILIBOLREC"] = "0002";
}

}  // namespace

// Every field of the three records, from data typed with its punctuation:
// the file speaks as Guanabara at Itaú, the issuing company goes in record 5.
TEST(Guanabara, HeaderDetailAndCompanyRecord) {
  TLoja l("612");
  auto& t = l.titulo();
  t["CDINS1COBBOL"] = "93";
  t["CDINS2COBBOL"] = "06";
  t["VRPEDESCBCLI"] = 10.0;
  t["VRMORDIABREC"] = 1.5;
  t["QTDIAPROTBOL"] = 5;
  l.Linha("TXBOLETO", {{"CDFILIAL", "0001"},
                       {"NRLANBOLREC", "1001"},
                       {"TXMENSBOLBOL", "Não receber após o vencimento. Cobrar juros."}});
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "1234567"}, {"NRPARCELA", "2"}});
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 4u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 46), "01REMESSA01COBRANCA       123400987654" + B(8));
  EXPECT_EQ(field(h, 47, 54), PadR("BANCO GUANABARA S A", 30) + "341BANCO ITAU SA  081226");
  EXPECT_EQ(field(h, 101, 294), B(294));

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37), "10252917604000136123400987654" + B(8));
  EXPECT_EQ(field(d, 38, 25), PadR("00011001", 25));
  EXPECT_EQ(field(d, 63, 48), "12345678" + B(12) + "109" + Z(9) + B(13) + "I01");
  EXPECT_EQ(field(d, 111, 10), "1234567/2 ");
  EXPECT_EQ(field(d, 121, 36), "20122600000001234563410000001N081226");
  EXPECT_EQ(field(d, 157, 4), "9306");
  EXPECT_EQ(field(d, 161, 32),
            "0000000000150"
            "201226"
            "0000000012346");  // 10% of 1234,56
  EXPECT_EQ(field(d, 193, 26), Z(26));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(d, 315, 37), "CONSOLACAO  01310100SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 43), "NAO RECEBER APOS O VENCIMENTO." + B(4) + "00000005 ");

  const auto& e = recs[2];
  EXPECT_EQ(field(e, 1, 137), "5" + B(120) + "0212345678000195");
  EXPECT_EQ(field(e, 138, 77), PadR("AV. PAULISTA, 1000", 40) + "BELA VISTA  01310100SAO PAULO      SP");
  EXPECT_EQ(field(e, 215, 180), B(180));
  EXPECT_EQ(recs[3], "9" + B(393) + "000004");
}

// Beside Guanabara's fixed CNPJ the detail always types a company; record 5
// types the issuing company as it is.
TEST(Guanabara, CompanyTypeBesideTheFixedCnpj) {
  for (auto [tipo, detalhe, empresa] : {std::tuple{"J", "02", "02"}, std::tuple{"F", "02", "01"}}) {
    TStore s(TLoja("612").dados.dump());
    s.Server().Conexao().Exec(std::string("UPDATE EMPRESA SET IDTPIJUREMPR = '") + tipo + "'");
    s.Gerar({});
    const auto recs = s.Registros(400);
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(field(recs[1], 2, 16), std::string(detalhe) + "52917604000136") << tipo;
    EXPECT_EQ(field(recs[2], 122, 16), std::string(empresa) + "12345678000195") << tipo;
  }
}

// What the title stores, at the detail's positions: the bank's number only for
// slips the company prints, without its check digit "P"; the portfolio in
// digits; the message only when an instruction asks the bank to print it;
// the discount date only with a discount; a stored daily zero wins over a rate.
TEST(Guanabara, TitleCodes) {
  const struct {
    const char* campo;
    json valor;
    int pos, len;
    std::string esperado;
  } casos[] = {
      {"IDIMPRBOLBOL", "B", 63, 8, "00000000"},
      {"IDIMPRBOLBOL", "F", 63, 8, "12345678"},
      {"CDNOSNUMREC", "1234.567-P", 63, 8, "01234567"},
      {"CDCARTCOBBOL", "1.7", 83, 3, "017"},
      {"CDINS1COBBOL", "01", 157, 4, "01  "},
      {"CDINS2COBBOL", "94", 352, 30, "LINHA UM  LINHA DOIS          "},
      {"CDINS1COBBOL", "02", 352, 30, B(30)},
      {"VRPEDESCBCLI", 0.0, 174, 19, "0000000000000000000"},
      {"VRPEMORBREC", 2.0, 161, 13, "0000000002469"},
  };
  for (const auto& c : casos) {
    TLoja l("612");
    l.titulo()[c.campo] = c.valor;
    l.Linha("TXBOLETO",
            {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"TXMENSBOLBOL", "Linha um\r\nlinha dois"}});
    EXPECT_EQ(field(l.Gera({}, kNumericos)[1], c.pos, c.len), c.esperado) << c.campo << "=" << c.valor;
  }
  TLoja l("612");
  l.titulo()["VRMORDIABREC"] = 0.0;
  l.titulo()["VRPEMORBREC"] = 2.0;
  EXPECT_EQ(field(l.Gera({}, kNumericos)[1], 161, 13), Z(13));
}

// Each title's record 5 carries its own branch's address, cleaned of control
// characters and accents; the override record gives the
// payer by its trade name, and the next title's payer, without tax id or
// postcode, gets zeros rather than the previous one's.
TEST(Guanabara, BranchAddressAndPayers) {
  TLoja l("612");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Razão que não vai"},
                         {"NMFANTLUSO", "Três Corações"},
                         {"DSENDELUSO", "Rodovia BR-116, Km 23"},
                         {"NMBAIRLUSO", "Distrito Industrial"},
                         {"NRCEPLUSO", "44.380-000"},
                         {"NMMUNICIPIO", "Cruz das Almas"},
                         {"SGESTADO", "BA"}});
  OutraFilial(l, "1002");
  l.dados["CLIENTE"].push_back({{"CDCLIENTE", "C3"}, {"NMRAZSOCCLIE", "Cliente C3"}, {"IDTPIJURCLIE", "J"}});
  l.Linha("ENDECLIE", {{"CDCLIENTE", "C3"},
                       {"IDTPENDECLIE", "C"},
                       {"CDPAIS", "1058"},
                       {"SGESTADO", "SP"},
                       {"CDMUNICIPIO", "3550"},
                       {"DSENDECLIE", "Rua Dois, 2"}});
  l.titulo(1)["CDCLIENTE"] = "C3";
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 6u);
  EXPECT_EQ(field(recs[1], 219, 46), "0255666777000100" + PadR("TRES CORACOES", 30));
  EXPECT_EQ(field(recs[1], 275, 77),
            PadR("RODOVIA BR-116, KM 23", 40) + "DISTRITO IND44380000CRUZ DAS ALMAS BA");
  EXPECT_EQ(field(recs[3], 38, 25), PadR("00021002", 25));
  EXPECT_EQ(field(recs[3], 219, 46), "02" + Z(14) + PadR("CLIENTE C3", 30));
  EXPECT_EQ(field(recs[3], 327, 8), Z(8));
  EXPECT_EQ(field(recs[4], 138, 77), PadR("RUA SAO PAULO, 20", 40) + "CENTRO      30130000BELO HORIZONTE MG");
}

// The occurrence code tells the bank the batch's operation.
TEST(Guanabara, OccurrenceFollowsTheOperation) {
  for (auto [op, codigo] : {std::pair{0, "01"}, std::pair{1, "02"}, std::pair{2, "06"}}) {
    TLoja l("612");
    const TOpcoesGeracao o = l.Operacao(op);
    EXPECT_EQ(field(l.Gera(o, kNumericos)[1], 109, 2), codigo) << op;
  }
}

// A company tax id of more than 14 digits, or what the bank could not read,
// stops the run before the file, naming the title even when it is the last one.
TEST(Guanabara, UnreadableValuesStopTheRun) {
  {
    TLoja l("612");
    l.inscricaoEmpresa = "12.345.678/0001-951";
    EXPECT_EQ(l.Recusa(), "INSCRICAO_INV");
  }
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 063-070 do registro 1"},
      {"CDCARTCOBBOL", "1A", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 083-085 do registro 1"},
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"VRMORDIABREC", -1.5, "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 161-173 do registro 1"},
      {"CDFILIAL", "0003", "CAMPO_NUM_INV", "Boleto 0003/1002: o campo 190-197 do registro 5"},
  };
  for (const auto& c : casos) {
    TLoja l("612");
    l.Linha("FILIAL", {{"CDFILIAL", "0003"}, {"CDEMPRESA", "01"}, {"NMFILIAL", "Filial 3"}});
    l.Linha("ENDEFILI", {{"CDFILIAL", "0003"},
                         {"IDTPENDEFILI", "P"},
                         {"CDPAIS", "1058"},
                         {"SGESTADO", "SP"},
                         {"CDMUNICIPIO", "3550"},
                         {"NRCEPFILI", "0131O-100"}});  // a letter O typed for a zero
    auto& t = l.NovoTitulo("1002");
    t[c.campo] = c.valor;
    t["CDFILIBOLREC"] = t["CDFILIAL"];
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}
