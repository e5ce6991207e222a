// Caixa files generated end to end on the shared store (data as operators type
// it: agency "123-4" under the bank's picture 9999, agreement code "12345-6"),
// the real run, the whole file checked, and the records read back by position.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fields/text.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;

namespace {

using fields::PadR;
using fields::Replicate;

// What the bank reads as numbers, in both variants (the long code's zeros
// and the short code's digits share 034-049 and 060-073 of the lot header,
// 024-037 of segment P). The agency's check digit may be blank.
constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 14},  {'0', 33, 16},      {'0', 53, 5},  {'0', 58, 1, true}, {'0', 59, 14},  {'0', 144, 28},
    {'1', 19, 15},  {'1', 34, 16},      {'1', 54, 5},  {'1', 59, 1, true}, {'1', 60, 14},  {'1', 184, 24},
    {'P', 18, 5},   {'P', 23, 1, true}, {'P', 24, 14}, {'P', 47, 11},      {'P', 58, 5},   {'P', 78, 31},
    {'P', 110, 86}, {'P', 221, 9},      {'Q', 18, 16}, {'Q', 129, 8},      {'Q', 154, 16}, {'R', 66, 24},
    {'5', 18, 98},  {'9', 18, 12},
};

const std::string kAgencia = "01234 ";          // agency 123-4; the picture has no check digit
const std::string kEmpresa = "12345678000195";  // the batch branch's tax id, 12.345.678/0001-95

std::vector<std::string> Gera(TLoja& l) {
  return l.Gera({}, kNumericos);
}

// The segment letters of the file's details, in order.
std::string Segmentos(const std::vector<std::string>& recs) {
  std::string s;
  for (const auto& r : recs)
    if (r[7] == '3') s += r[13];
  return s;
}

// Agency, agreement code, tax ids, postcode and nosso número as operators type
// them reach the bank as digits.
TEST(CaixaRemessa, TypedPunctuationBecomesDigits) {
  TLoja l("104");
  const auto recs = Gera(l);
  ASSERT_EQ(Segmentos(recs), "PQ");
  EXPECT_EQ(field(recs[0], 18, 55),
            "2" + kEmpresa + "0000001234123456" + "    " + kAgencia + "0123456" + "0000000");
  EXPECT_EQ(field(recs[1], 18, 56),
            "20" + kEmpresa + "0123456" + Replicate("0", 13) + kAgencia + Replicate("0", 14));
  EXPECT_EQ(field(recs[2], 18, 40), kAgencia + "0123456" + Replicate("0", 10) + "00000000123456789");
  EXPECT_EQ(field(recs[2], 86, 15), "000000000123456");
  const std::string& q = recs[3];
  EXPECT_EQ(field(q, 18, 56), "1" + std::string("000012345678909") + PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(q, 74, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(q, 114, 40), PadR("CONSOLACAO", 15) + "01310100" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(q, 154, 87), Replicate("0", 16) + Replicate(" ", 71));
}

// The agreement code decides the variant by its stored length; the short code
// carries two modulo-11 digits, over the code's 8 digits and over the agency
// and those 8 digits, the same in both headers and in segment P.
TEST(CaixaRemessa, AgreementCodeAndVariant) {
  struct TCaso {
    json codigo;
    std::string bloco;
    std::string longo = {};  // long code: its 7 digits
    // short code: the 12 digits, the first and the second check digit
    std::string cedente = {}, dv1 = {}, dv2 = {};
  };
  const TCaso casos[] = {
      {"1234567", "0000012341234567", "1234567"},
      {"12345-6", "0000001234123456", "0123456"},  // seven characters with the check digit: long
      // 00123456: 77 -> 0; 1234 00123456: 107 -> 3
      {"123456", "0000001234123456", "", "000000123456", "0", "3"},
      // 00001234: 30 -> 3; 1234 00001234: 60 -> 6
      {"1234-5", "0000000123412345", "", "000000001234", "3", "6"},
      // no code: zeros, the agency alone decides the second digit (30 -> 3)
      {nullptr, Replicate("0", 16), "", Replicate("0", 12), "0", "3"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.codigo.dump());
    TLoja l("104");
    l.conta()["CDCEDENTEBAN"] = c.codigo;
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[0], 33, 26), c.bloco + "    " + kAgencia);
    EXPECT_EQ(field(recs[2], 18, 6), kAgencia);
    if (!c.longo.empty()) {
      EXPECT_EQ(field(recs[0], 59, 14), c.longo + Replicate("0", 7));
      EXPECT_EQ(field(recs[0], 164, 3), "107");
      EXPECT_EQ(field(recs[1], 14, 3), "067");
      EXPECT_EQ(field(recs[1], 34, 40), c.longo + Replicate("0", 13) + kAgencia + Replicate("0", 14));
      EXPECT_EQ(field(recs[2], 24, 34), c.longo + Replicate("0", 10) + "00000000123456789");
    } else {
      EXPECT_EQ(field(recs[0], 59, 14), c.cedente + c.dv1 + c.dv2);
      EXPECT_EQ(field(recs[0], 164, 3), "101");
      EXPECT_EQ(field(recs[1], 14, 3), "060");
      EXPECT_EQ(field(recs[1], 34, 40), c.bloco + "    " + kAgencia + c.cedente + c.dv1 + c.dv2);
      EXPECT_EQ(field(recs[2], 24, 34), c.cedente + c.dv1 + c.dv2 + Replicate(" ", 9) + "00123456789");
    }
  }
}

// The agency is stored without the picture's hyphen; its character there is
// the check digit. A picture without a hyphen gives no check digit.
TEST(CaixaRemessa, AgencyAndItsCheckDigit) {
  struct TCaso {
    const char *banco, *agencia;  // bank "001" has the picture 9999-9, "104" 9999
    std::string campo;
  };
  const TCaso casos[] = {{"001", "12345", "012345"},
                         {"001", "1234", "01234 "},
                         {"104", "1234", "01234 "},
                         {"104", "12.34", "01234 "}};
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.banco) + "/" + c.agencia);
    TLoja l("104");
    l.conta()["CDBANCO"] = c.banco;
    l.conta()["CDAGENCIA"] = c.agencia;
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[0], 53, 6), c.campo);
    EXPECT_EQ(field(recs[1], 54, 6), c.campo);
    EXPECT_EQ(field(recs[2], 18, 6), c.campo);
  }
}

// The long code takes the company's number only from slips it prints itself
// ("E"), the short code also from "F"; the bank numbers everything else.
TEST(CaixaRemessa, BanksTitleNumberAndSlipIssue) {
  struct TCaso {
    const char *codigo, *impressao, *nosso;
    std::string numero, emissao;
  };
  const TCaso casos[] = {
      {"1234567", "E", "1234567-8", "00000000012345678", "22"},
      {"1234567", "F", "1234567-8", Replicate("0", 17), "22"},
      {"1234567", "B", "", Replicate("0", 17), "11"},
      {"1234567", "E", "12345678901234567890", "12345678901234567", "22"},
      {"123456", "E", "1234567-8", "00012345678", "22"},
      {"123456", "F", "1234567-8", "00012345678", "22"},
      {"123456", "B", "1234567-8", Replicate("0", 11), "11"},
      {"123456", "F", "12345678901234567890", "12345678901", "22"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.codigo) + "/" + c.impressao + "/" + c.nosso);
    TLoja l("104");
    l.conta()["CDCEDENTEBAN"] = c.codigo;
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    l.titulo()["CDNOSNUMREC"] = c.nosso;
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[2], 58 - static_cast<int>(c.numero.size()), c.numero.size()), c.numero);
    EXPECT_EQ(field(recs[2], 61, 2), c.emissao);
  }
}

TEST(CaixaRemessa, PortfolioKindAndDocumentNumber) {
  struct TCaso {
    const char *tipo, *duplicata, *parcela;
    std::string documento;
  };
  const TCaso casos[] = {
      {"1", "123", "2", "00000123/02"},
      {"3", "123456789", "12", "23456789/12"},
      {"4", nullptr, nullptr, "1001       "},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.documento);
    TLoja l("104");
    l.titulo()["IDCARTCOBREC"] = c.tipo;
    if (c.duplicata)
      l.Linha("DUPLICATA", {{"CDFILIAL", "0001"},
                            {"NRLANBOLREC", "1001"},
                            {"DUPLICATA", c.duplicata},
                            {"NRPARCELA", c.parcela}});
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[2], 58, 5), std::string(c.tipo) + "1222");
    EXPECT_EQ(field(recs[2], 63, 15), c.documento + "    ");
  }
}

// Interest from the day after the due date; protest and return as the title
// asks, each code with its days as they come.
TEST(CaixaRemessa, InterestProtestAndReturn) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string juros, protesto;
  };
  const std::string isento = "3" + std::string("21122026") + Replicate("0", 15);
  const TCaso casos[] = {
      {"daily interest",
       {{"VRMORDIABREC", 1.5}},
       "1" + std::string("21122026") + "000000000000150",
       "3002000"},
      {"no interest", json::object(), isento, "3002000"},
      {"a percentage alone is not sent", {{"VRPEMORBREC", 2.0}}, isento, "3002000"},
      {"protest code without days", {{"CDDIAPROTBOL", "1"}}, isento, "1002000"},
      {"days with the no-protest code", {{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, isento, "3102000"},
      {"protest after 123 days", {{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 123}}, isento, "2232000"},
      {"return after 30 days", {{"CDDIADEVOL", "1"}, {"QTDIADEVOL", 30}}, isento, "3001030"},
      {"return code 2 kept", {{"CDDIADEVOL", "2"}, {"QTDIADEVOL", 1234}}, isento, "3002234"},
      {"any other return code", {{"CDDIADEVOL", "5"}}, isento, "3001000"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l("104");
    l.titulo().update(c.campos);
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[2], 78, 40),
              "20122026" + std::string("000000000123456") + "000000" + "02" + "N" + "08122026");
    EXPECT_EQ(field(recs[2], 118, 24), c.juros);
    EXPECT_EQ(field(recs[2], 196, 34), PadR("00011001", 25) + c.protesto + "09");
  }
}

json Mensagem(const std::string& nr, const std::string& texto) {
  return {{"CDFILIAL", "0001"}, {"NRLANBOLREC", nr}, {"TXMENSBOLBOL", texto}};
}

TEST(CaixaRemessa, SegmentROnlyForAMessageOrAFine) {
  TLoja l("104");
  l.NovoTitulo("1002")["VRPEMULBREC"] = 2.0;
  l.NovoTitulo("1003");
  l.NovoTitulo("1004")["VRMULTABREC"] = 2.5;
  l.NovoTitulo("1005");
  l.NovoTitulo("1006");
  l.Linha("TXBOLETO", Mensagem("1005", "Receber até o vencimento"));
  l.Linha("TXBOLETO", Mensagem("1006", "   "));
  EXPECT_EQ(Segmentos(Gera(l)), "PQ" + std::string("PQR") + "PQ" + "PQR" + "PQR" + "PQ");
}

TEST(CaixaRemessa, FineAndMessageInSegmentR) {
  struct TCaso {
    const char* nome;
    json campos;
    const char* mensagem;
    std::string multa, linha;
  };
  const TCaso casos[] = {
      {"an amount goes as money", {{"VRMULTABREC", 2.5}}, nullptr, "120122026000000000000250", ""},
      {"percentage", {{"VRPEMULBREC", 2.0}}, nullptr, "220122026000000000000200", ""},
      {"percentage wins",
       {{"VRPEMULBREC", 2.0}, {"VRMULTABREC", 7.25}},
       nullptr,
       "220122026000000000000200",
       ""},
      {"message only, the date still sent", json::object(),
       "  Não receber após o vencimento; cobrar juros de mora ao dia", "020122026" + Replicate("0", 15),
       "NAO RECEBER APOS O VENCIMENTO  COBRAR JU"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l("104");
    l.titulo().update(c.campos);
    if (c.mensagem) l.Linha("TXBOLETO", Mensagem("1001", c.mensagem));
    const auto recs = Gera(l);
    ASSERT_EQ(Segmentos(recs), "PQR");
    const std::string& r = recs[4];
    EXPECT_EQ(field(r, 18, 48), Replicate(" ", 48));
    EXPECT_EQ(field(r, 66, 24), c.multa);
    EXPECT_EQ(field(r, 90, 50), Replicate(" ", 10) + PadR(c.linha, 40));
    EXPECT_EQ(field(r, 140, 101), Replicate(" ", 101));
  }
}

// The payer override record names the payer; its missing tax id and
// postcode go as zeros.
TEST(CaixaRemessa, PayerFromTheOverrideRecord) {
  TLoja l("104");
  l.NovoTitulo("1002");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1002"},
                         {"IDTPIJURLUSO", "F"},
                         {"NMFANTLUSO", "Fantasia Açaí"},
                         {"DSENDELUSO", "Rua das Flores, 10"},
                         {"NMMUNICIPIO", "São Paulo"},
                         {"SGESTADO", "SP"}});
  const auto recs = Gera(l);
  EXPECT_EQ(field(recs[3], 19, 15), "000012345678909");  // the client of the first title
  const std::string& licenca = recs[5];
  EXPECT_EQ(field(licenca, 18, 56), "1" + Replicate("0", 15) + PadR("FANTASIA ACAI", 40));
  EXPECT_EQ(field(licenca, 74, 40), PadR("RUA DAS FLORES, 10", 40));
  EXPECT_EQ(field(licenca, 129, 25), "00000000" + PadR("SAO PAULO", 15) + "SP");
}

// The company by the batch branch (the account's), the account's next
// remittance sequence, the stage of the account's files.
TEST(CaixaRemessa, HeadersCarryCompanySequenceAndStage) {
  const std::pair<json, std::string> casos[] = {
      {"T", "REMESSA-TESTE"}, {"P", "REMESSA-PRODUCAO"}, {nullptr, "REMESSA-PRODUCAO"}};
  for (const auto& [fase, texto] : casos) {
    SCOPED_TRACE(texto);
    TLoja l("104");
    l.conta()["IDFASCNABREC"] = fase;
    const auto recs = Gera(l);
    const std::string& a = recs[0];
    EXPECT_EQ(field(a, 9, 24), Replicate(" ", 9) + "2" + kEmpresa);
    EXPECT_EQ(field(a, 73, 60),
              PadR("FILIAL MATRIZ COMERCIO LTDA", 30) + PadR("CAIXA ECONOMICA FEDERAL", 30));
    EXPECT_EQ(field(a, 133, 39),
              Replicate(" ", 10) + "1" + "08122026" + "103000" + "000042" + "107" + "00000");
    EXPECT_EQ(field(a, 172, 69), Replicate(" ", 20) + PadR(texto, 20) + Replicate(" ", 29));
    const std::string& lote = recs[1];
    EXPECT_EQ(field(lote, 9, 25), "R0100067 20" + kEmpresa);
    EXPECT_EQ(field(lote, 74, 30), PadR("FILIAL MATRIZ COMERCIO LTDA", 30));
    EXPECT_EQ(field(lote, 104, 137),
              Replicate(" ", 80) + "00000042" + "08122026" + "00000000" + Replicate(" ", 33));
  }
}

// A stop leaves no file behind: a company tax id too long for the bank, an
// agreement code longer than its seven positions (cut, it would name another
// agreement), a letter or a value too wide where the bank reads a number, a
// portfolio kind the bank does not take.
TEST(CaixaRemessa, StopsLeaveNoFile) {
  struct TCaso {
    char onde;  // 'f' the batch branch, 'c' the account, 't' the second title
    const char* campo;
    json valor;
    const char *chave, *texto;
  };
  const TCaso casos[] = {
      {'f', "NRINSJURFILI", "12.345.678/0002-765", "INSCRICAO_INV", ""},
      {'c', "CDCEDENTEBAN", "12345678", "CAMPO_EXCEDE", "Remessa: o campo 059-065 do registro 0"},
      {'c', "CDCEDENTEBAN", "1234567-8", "CAMPO_EXCEDE", "Remessa: o campo 059-065 do registro 0"},
      {'c', "CDAGENCIA", "12A4", "CAMPO_NUM_INV", "Remessa: o campo 033-048 do registro 0"},
      {'t', "CDNOSNUMREC", "1234567A-9", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 041-057 do registro 3P"},
      {'t', "VRFINALBREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 086-100 do registro 3P"},
      {'t', "VRMORDIABREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-141 do registro 3P"},
      {'t', "VRMULTABREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 075-089 do registro 3R"},
      {'t', "IDCARTCOBREC", "5", "TipoCart_INV", ""},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campo);
    TLoja l("104");
    json& titulo = l.NovoTitulo("1002");
    TOpcoesGeracao o;
    if (c.onde == 'f') {
      l.Linha("FILIAL",
              {{"CDFILIAL", "0002"}, {"CDEMPRESA", "01"}, {"IDTPIJURFILI", "J"}, {"NRINSJURFILI", c.valor}});
      o.filial = "0002";
    } else {
      (c.onde == 'c' ? l.conta() : titulo)[c.campo] = c.valor;
    }
    EXPECT_EQ(l.Recusa(o), c.chave);
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(l.Store().Arquivo()).parent_path()));
  }
}

}  // namespace
