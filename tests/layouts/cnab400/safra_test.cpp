#include <gtest/gtest.h>

#include <filesystem>

#include "host/messages.h"
#include "layouts/catalogue.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;

namespace {

// The positions the bank reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 392, 3},        {'1', 4, 14},        {'1', 63, 9},  {'1', 86, 6},   {'1', 106, 3},
    {'1', 121, 6},        {'1', 127, 13},      {'1', 140, 8}, {'1', 151, 6},  {'1', 161, 58},
    {'1', 221, 14},       {'1', 327, 8},       {'1', 382, 3}, {'1', 388, 7},  {'2', 53, 11},
    {'2', 193, 14, true}, {'2', 282, 8, true}, {'2', 392, 3}, {'9', 369, 26},
};

}  // namespace

// The typed account, company and title reach the bank as its table says:
// agreement with the bank itself, so agency and nosso número come from the
// company's code and from the stored number's third digit on.
TEST(Safra, HeaderDetailAndTrailer) {
  TLoja l("422");
  auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRANCA       ");
  EXPECT_EQ(field(h, 27, 20), "123456" + std::string(14, ' '));  // code 12345-6, blank-filled
  EXPECT_EQ(field(h, 47, 30), "EMPRESA TESTE" + std::string(17, ' '));
  EXPECT_EQ(field(h, 77, 18), "422BANCO SAFRA    ");
  EXPECT_EQ(field(h, 95, 6), "081226");
  EXPECT_EQ(field(h, 101, 291), std::string(291, ' '));
  EXPECT_EQ(field(h, 392, 3), "042");  // the account's sequence 41, drawn as 42

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 17), "10212345678000195");  // a company, its CNPJ
  EXPECT_EQ(field(d, 18, 20), "123456" + std::string(14, ' '));
  EXPECT_EQ(field(d, 38, 25), "00011001" + std::string(17, ' '));
  EXPECT_EQ(field(d, 63, 9), "003456789");  // 12345678-9 from its third digit
  EXPECT_EQ(field(d, 72, 14), std::string(14, ' '));
  EXPECT_EQ(field(d, 86, 22), "211226" + std::string(10, ' ') + "000 00");
  EXPECT_EQ(field(d, 108, 3), "101");
  EXPECT_EQ(field(d, 111, 10), "1001      ");
  EXPECT_EQ(field(d, 121, 19), "2012260000000123456");
  EXPECT_EQ(field(d, 140, 17), "4221234501A081226");  // agency: the code's first five digits
  EXPECT_EQ(field(d, 157, 62), "0000" + std::string(58, '0'));
  EXPECT_EQ(field(d, 219, 16), "0100012345678909");
  EXPECT_EQ(field(d, 235, 40), "JOSE DA SILVA COMERCIO" + std::string(18, ' '));  // the line break is a blank
  EXPECT_EQ(field(d, 275, 40), "RUA AUGUSTA, 1500  APTO 12" + std::string(14, ' '));
  EXPECT_EQ(field(d, 315, 20), "CONSOLACAO  01310100");
  EXPECT_EQ(field(d, 335, 17), "SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 30), "AVALISTA TRES" + std::string(17, ' '));
  EXPECT_EQ(field(d, 382, 13), "000   0422042");

  const auto& t = recs[2];
  EXPECT_EQ(field(t, 1, 368), "9" + std::string(367, ' '));
  EXPECT_EQ(field(t, 369, 26), "00000001000000000123456042");
}

// Another agreement bank keeps the stored number's last nine digits and the
// batch's own agency; the bank issuing the slip gives zeros.
TEST(Safra, NossoNumeroAndAgencyFollowTheAgreement) {
  struct Caso {
    const char *convenio, *impressao, *nosso, *campo, *agencia;
  } casos[] = {
      {"033", "E", "12345678-9", "123456789", "01234"},  {"033", "E", "1.2345.6789-01", "345678901", "01234"},
      {"422", "E", "09123456789", "123456789", "12345"}, {"422", "F", "0912345678", "012345678", "12345"},
      {"422", "B", "12345678-9", "000000000", "12345"},
  };
  for (const auto& c : casos) {
    TLoja l("422");
    l.conta()["CDBANCOCONV"] = c.convenio;
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    auto recs = l.Gera({}, kNumericos);
    ASSERT_EQ(recs.size(), 3u) << c.convenio << " " << c.impressao << " " << c.nosso;
    const auto& d = recs[1];
    EXPECT_EQ(field(d, 63, 9), c.campo) << c.convenio << " " << c.nosso;
    EXPECT_EQ(field(d, 143, 5), c.agencia) << c.convenio;
  }
}

TEST(Safra, InterestFineAndDays) {
  struct Caso {
    json moraDia, mora, multa, vencimento;
    std::string juros, multaCampo;
  } casos[] = {
      {nullptr, nullptr, nullptr, "2026-12-20", std::string(13, '0'), std::string(13, '0')},
      {1.5, 1.0, 2.0, "2026-12-20", "0000000000150", "2112260200000"},
      {nullptr, 1.0, 0.0, "2026-12-31", "0000000001235", std::string(13, '0')},  // 1 % of 1234,56
      {0.0, 1.0, 12.5, "2026-12-31", std::string(13, '0'), "0101271250000"},     // a stored 0 a day wins
  };
  for (const auto& c : casos) {
    TLoja l("422");
    l.titulo()["VRMORDIABREC"] = c.moraDia;
    l.titulo()["VRPEMORBREC"] = c.mora;
    l.titulo()["VRPEMULBREC"] = c.multa;
    l.titulo()["DTVENBOLREC"] = c.vencimento;
    auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 161, 13), c.juros) << c.multa;
    EXPECT_EQ(field(d, 206, 13), c.multaCampo) << c.multa;
  }

  // Protest days only with the protest instruction; days before return as stored.
  struct Dias {
    const char* ins2;
    json protesto, devolucao;
    std::string instrucoes, campo, retorno;
  } dias[] = {
      {"10", 5, 30, "6 10", "05", "030"},
      {"06", 5, nullptr, "6 06", "00", "000"},
  };
  for (const auto& c : dias) {
    TLoja l("422");
    l.titulo()["CDINS1COBBOL"] = "6";
    l.titulo()["CDINS2COBBOL"] = c.ins2;
    l.titulo()["QTDIAPROTBOL"] = c.protesto;
    l.titulo()["QTDIADEVOL"] = c.devolucao;
    auto d = l.Gera({}, kNumericos)[1];
    EXPECT_EQ(field(d, 157, 4), c.instrucoes);
    EXPECT_EQ(field(d, 106, 2), c.campo) << c.ins2;
    EXPECT_EQ(field(d, 382, 3), c.retorno) << c.ins2;
  }
}

// With the e-mail switch every detail is followed by its e-mail record, and
// the trailer counts both; the guarantor's block carries no payer address.
TEST(Safra, EmailRecordsAndTotals) {
  for (bool email : {false, true}) {
    TLoja l("422");
    if (email) l.EmprBanc()["IDGERLINHACOBEMAIL"] = "S";
    l.NovoTitulo("1002")["IDIMPRBOLBOL"] = "B";
    l.NovoTitulo("1003")["VRFINALBREC"] = 0.01;
    auto recs = l.Gera({}, kNumericos);
    ASSERT_EQ(recs.size(), email ? 8u : 5u);
    EXPECT_EQ(field(recs.back(), 369, 8), email ? "00000006" : "00000003");
    EXPECT_EQ(field(recs.back(), 377, 15), "000000000246913");
    if (!email) continue;
    const auto& e = recs[2];
    EXPECT_EQ(field(e, 1, 63), "2ze@example.com" + std::string(37, ' ') + std::string(11, '0'));
    EXPECT_EQ(field(e, 64, 88), std::string(88, ' '));
    EXPECT_EQ(field(e, 152, 55), "AVALISTA TRES" + std::string(27, ' ') + "100012345678909");
    EXPECT_EQ(field(e, 207, 85), std::string(75, ' ') + "00000000  ");
    EXPECT_EQ(field(e, 292, 103), std::string(100, ' ') + "042");
    EXPECT_EQ(field(recs[4], 52, 1), "3");  // the bank issues title 1002's slip
  }
}

TEST(Safra, NoGuarantorAndAPayerOverride) {
  TLoja l("422");
  l.conta()["NMSACAVALISTA"] = "";
  l.EmprBanc()["IDGERLINHACOBEMAIL"] = "S";
  l.dados["CLIENTE"][0]["EMAILCOBCLIE"] = "a@b.com\r\nBcc: x";
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "O"},
                         {"NRINSJURLUSO", "12.345.678/0001-95"},
                         {"NMRAZSOCLUSO", "Razão não usada"},
                         {"NMFANTLUSO", "Fantasia Ltda"},
                         {"DSENDELUSO", "Praça da Sé, 1"},
                         {"NMBAIRLUSO", "Sé"},
                         {"NRCEPLUSO", "01001-000"},
                         {"NMMUNICIPIO", "São Paulo"},
                         {"SGESTADO", "SP"}});
  auto recs = l.Gera({}, kNumericos);
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 219, 16), "0312345678000195");  // neither person nor company
  EXPECT_EQ(field(d, 235, 40), "FANTASIA LTDA" + std::string(27, ' '));
  EXPECT_EQ(field(d, 275, 40), "PRACA DA SE, 1" + std::string(26, ' '));
  EXPECT_EQ(field(d, 315, 37), "SE" + std::string(8, ' ') + "  01001000SAO PAULO      SP");
  EXPECT_EQ(field(d, 352, 30), std::string(30, ' '));
  EXPECT_EQ(field(recs[2], 2, 50), "a@b.com  Bcc: x" + std::string(35, ' '));
  EXPECT_EQ(field(recs[2], 152, 140), std::string(140, ' '));
}

// The remittance sequence is zero-filled to its three positions in every record.
TEST(Safra, RemittanceSequenceInEveryRecord) {
  const std::pair<int, const char*> casos[] = {{6, "007"}, {1233, "234"}};
  for (auto [gravada, campo] : casos) {
    TLoja l("422");
    l.conta()["NRSEQREMESSAREC"] = gravada;
    l.EmprBanc()["IDGERLINHACOBEMAIL"] = "S";
    for (const auto& r : l.Gera({}, kNumericos)) EXPECT_EQ(field(r, 392, 3), campo) << r[0];
  }
}

// A letter where the bank reads a number, or a fine too wide for its four
// positions, stops the run before the file, naming the title and the field.
TEST(Safra, UnreadableNumbersStopTheRun) {
  struct Caso {
    const char* campo;
    json valor;
    const char* chave;
    const char* texto;
  } casos[] = {
      {"CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 063-071 do registro 1"},
      {"VRPEMULBREC", 100.0, "CAMPO_EXCEDE", "Boleto 0001/1001: o campo 212-215 do registro 1"},
      {"VRFINALBREC", -1.0, "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 127-139 do registro 1"},
      {"CDCEDENTEBAN", "12A45-6", "CAMPO_NUM_INV", "Boleto 0001/1001: o campo 143-147 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l("422");
    (std::string(c.campo) == "CDCEDENTEBAN" ? l.conta() : l.titulo())[c.campo] = c.valor;
    l.NovoTitulo("1002");
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

// A company tax id of more than 14 digits stops the run before the file.
TEST(Safra, CompanyTaxIdWiderThanTheBankReads) {
  struct : layouts::TTitulos {
    void Percorre(const std::function<void(layouts::TTitulo&)>&, bool) override { ADD_FAILURE(); }
  } titulos;
  layouts::TRemessa rem;
  std::vector<host::TFieldDef> campos;
  std::vector<host::Value> valores;
  for (const char* c : {"NMRAZSOCEMPR", "NMEMPRESA", "IDTPIJUREMPR", "NRINSJUREMPR"}) {
    campos.push_back(host::StrField(c));
    valores.emplace_back(host::TText(std::string(c) == "NRINSJUREMPR" ? "123.456.789/0001-955" : "J"));
  }
  rem.Empresa = layouts::TLinha(campos, valores);
  rem.Arquivo = (std::filesystem::temp_directory_path() / "safra-inscricao.txt").string();
  try {
    layouts::Remessa_BcoSafra(rem, titulos, true);
    ADD_FAILURE() << "the run went on";
  } catch (const host::EMensErro& e) {
    EXPECT_EQ(e.Key(), "INSCRICAO_INV");
  }
  EXPECT_FALSE(std::filesystem::exists(rem.Arquivo));
}
