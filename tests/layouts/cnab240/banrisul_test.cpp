// Banrisul files generated end to end on the shared store (data as operators
// type it: agency "123-4", account "00098765-4", company code "12345-6",
// nosso número "12345678-9"), the real run, the whole file checked, and the
// records read back by position.
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
using namespace std::string_literals;

// What the bank reads as numbers.
constexpr layouts::TCampoNumerico kNumericos[] = {
    {'0', 19, 27}, {'0', 53, 5},   {'0', 59, 13}, {'0', 144, 28}, {'0', 226, 3},  {'1', 10, 7},
    {'1', 19, 27}, {'1', 54, 5},   {'1', 60, 13}, {'1', 184, 24}, {'P', 18, 5},   {'P', 24, 13},
    {'P', 38, 10}, {'P', 59, 2},   {'P', 78, 23}, {'P', 110, 86}, {'P', 221, 19}, {'Q', 18, 16},
    {'Q', 129, 8}, {'Q', 154, 16}, {'Q', 210, 3}, {'R', 18, 72},  {'R', 180, 28}, {'Y', 18, 18},
    {'Y', 131, 8}, {'5', 18, 98},  {'9', 18, 18},
};

const std::string kVenc = "20122026";
const std::string kEmpresa = PadR("FILIAL MATRIZ COMERCIO LTDA", 30);  // the batch branch, first
const std::string kConta = "000000009876" + "4"s;  // the first seven digits of 00098765, then its check digit

std::vector<std::string> Gera(TLoja& l, const TOpcoesGeracao& o = {}) {
  return l.Gera(o, kNumericos);
}

json Registro(json campos, const std::string& numero = "1001") {
  campos["CDFILIAL"] = "0001";
  campos["NRLANBOLREC"] = numero;
  return campos;
}

// Agency, account, company code, tax ids, postcode and nosso número as
// operators type them reach the bank as digits.
TEST(BanrisulRemessa, TypedPunctuationBecomesDigits) {
  TLoja l("041");
  const auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 6u);
  const std::string convenio = "1234"s + "000123456" + "0000000";
  EXPECT_EQ(field(recs[0], 9, 94), Replicate(" ", 9) + "2" + "12345678000195" + convenio + "00" + "234" +
                                       " " + kConta + " " + kEmpresa);
  EXPECT_EQ(field(recs[0], 103, 138), PadR("BANRISUL", 30) + Replicate(" ", 10) + "1" + "08122026" +
                                          "103000" + "000042" + "103" + "00000" + Replicate(" ", 51) +
                                          "CSP000" + Replicate(" ", 12));
  EXPECT_EQ(field(recs[1], 9, 232), "R0100060 2"s + "012345678000195" + convenio + "00234" + " " + kConta +
                                        " " + kEmpresa + Replicate(" ", 80) + "00000001" + "08122026" +
                                        "00000000" + Replicate(" ", 33));
  const std::string& p = recs[2];
  EXPECT_EQ(field(p, 18, 45),
            "00234 "s + kConta + " " + "0123456789" + Replicate(" ", 10) + "1" + "1" + "1" + "22");
  EXPECT_EQ(field(p, 63, 55),
            PadR("1001", 15) + kVenc + "000000000123456" + "00000" + "0" + "99" + "N" + "08122026");
  EXPECT_EQ(field(p, 118, 123), "3" + Replicate("0", 77) + PadR("00011001", 25) + "300" + "0" + "000" + "09" +
                                    Replicate("0", 10) + "1");
  const std::string& q = recs[3];
  EXPECT_EQ(field(q, 18, 136), "1"s + "000012345678909" + PadR("JOSE DA SILVA COMERCIO", 40) +
                                   PadR("RUA AUGUSTA, 1500  APTO 12", 40) + PadR("CONSOLACAO", 15) +
                                   "01310100" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(q, 154, 87), Replicate("0", 16) + Replicate(" ", 40) + "000" + Replicate(" ", 28));
}

// R goes with a message or a fine, Y (the account's guarantor) only after R;
// the lot trailer counts every record of the lot and totals each kind.
TEST(BanrisulRemessa, SegmentsPerTitleAndTotalsPerKind) {
  TLoja l("041");
  l.titulo()["VRFINALBREC"] = 100.0;
  l.NovoTitulo("1002")["VRFINALBREC"] = 50.25;
  l.Linha("TXBOLETO", Registro({{"TXMENSBOLBOL", "Não receber após o vencimento"}}, "1002"));
  l.NovoTitulo("1003").update({{"VRFINALBREC", 10.0}, {"IDCARTCOBREC", "3"}, {"VRPEMULBREC", 2.0}});
  const auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 14u);
  std::string segmentos;
  for (const auto& r : recs)
    if (r[7] == '3') segmentos += r[13];
  EXPECT_EQ(segmentos, "PQPQRYPQRY");
  EXPECT_EQ(field(recs[7], 18, 72),
            "01"
            "1"
            "000012345678909" +
                PadR("AVALISTA TRES", 40) + Replicate(" ", 14));
  EXPECT_EQ(field(recs[12], 18, 223),
            "000012"
            "000002"
            "00000000000015025"
            "000000" +
                Replicate("0", 17) +
                "000001"
                "00000000000001000"
                "000000" +
                Replicate("0", 17) + Replicate(" ", 125));
  EXPECT_EQ(field(recs[13], 18, 18),
            "000001"
            "000014"
            "000000");
}

// Segment R: the fine (a percentage to one decimal) and the title's two
// instruction lines, free of accents and control characters.
TEST(BanrisulRemessa, FineAndInstructionsInSegmentR) {
  struct TCaso {
    json campos;
    std::string multa;
  };
  const TCaso casos[] = {
      {{{"VRPEMULBREC", 2.36}}, "2" + kVenc + "000000000000240"},
      {{{"VRMULTABREC", 5.0}}, "1" + kVenc + "000000000000500"},
      {{{"VRPEMULBREC", 2.0}, {"VRMULTABREC", 5.0}}, "2" + kVenc + "000000000000200"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campos.dump());
    TLoja l("041");
    l.titulo().update(c.campos);
    l.Linha("INSTRUBOL",
            Registro({{"CDBANCO", "041"}, {"INSTRU1", "Não receber\r\napós"}, {"INSTRU2", "\tJuros"}}));
    const std::string r = Gera(l)[4];
    EXPECT_EQ(field(r, 18, 48), "0" + Replicate("0", 23) + "0" + Replicate("0", 23));
    EXPECT_EQ(field(r, 66, 24), c.multa);
    EXPECT_EQ(field(r, 90, 151), Replicate(" ", 10) + PadR("NAO RECEBER  APOS", 40) + PadR(" JUROS", 40) +
                                     "000" + "0000" + Replicate("0", 21) + Replicate(" ", 33));
  }
}

// Agency forms: the agreement takes its first four digits, headers and
// segment P its last three; a short agency is zero-filled.
TEST(BanrisulRemessa, AgencyInEveryRecord) {
  struct TCaso {
    const char* agencia;
    std::string convenio, arquivo, lote;
  };
  const TCaso casos[] = {
      {"123-4", "1234", "234", "00234"},
      {"0100", "0100", "100", "00100"},
      {"12", "0012", "012", "00012"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.agencia);
    TLoja l("041");
    l.conta()["CDAGENCIA"] = c.agencia;
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[0], 33, 4) + field(recs[0], 55, 3), c.convenio + c.arquivo);
    EXPECT_EQ(field(recs[1], 34, 4) + field(recs[1], 54, 5), c.convenio + c.lote);
    EXPECT_EQ(field(recs[2], 18, 5), c.lote);
  }
}

// Segment P 038-077 and 118-141 and the contract: nosso número, portfolio
// kind, form, issue, document and interest from the title's data.
TEST(BanrisulRemessa, TitleFieldsOfSegmentP) {
  struct TCaso {
    json titulo, duplicata, conta;
    std::string numero, documento, juros, contrato;
  };
  const std::string semJuros = "3" + Replicate("0", 23);
  const TCaso casos[] = {
      {{{"IDIMPRBOLBOL", "B"}, {"IDCARTCOBREC", ""}, {"IDFORMCADBREC", "2"}},
       nullptr,
       nullptr,
       Replicate("0", 10) + Replicate(" ", 10) + " 2111",
       PadR("1001", 15),
       semJuros,
       Replicate("0", 10)},
      {{{"CDNOSNUMREC", "1234-56789012-3"}, {"VRMORDIABREC", 1.5}, {"VRPEMORBREC", 2.0}},
       Registro({{"DUPLICATA", "123456789"}, {"NRPARCELA", "2"}}),
       {{"CDIDRECCONTCORR", "12.345.678-901"}},
       "1234567890" + Replicate(" ", 10) + "11122",
       "3456789/02" + Replicate(" ", 5),
       "1" + kVenc + "000000000000150",
       "2345678901"},
      {{{"VRPEMORBREC", 2.0}},
       nullptr,
       nullptr,
       "0123456789" + Replicate(" ", 10) + "11122",
       PadR("1001", 15),
       "2" + kVenc + "000000000000200",
       Replicate("0", 10)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.titulo.dump());
    TLoja l("041");
    l.titulo().update(c.titulo);
    if (!c.duplicata.is_null()) l.Linha("DUPLICATA", c.duplicata);
    if (!c.conta.is_null()) l.conta().update(c.conta);
    const std::string p = Gera(l)[2];
    EXPECT_EQ(field(p, 38, 25), c.numero);
    EXPECT_EQ(field(p, 63, 15), c.documento);
    EXPECT_EQ(field(p, 118, 24), c.juros);
    EXPECT_EQ(field(p, 230, 10), c.contrato);
  }
}

// The bank's files end in ".240": the name gets it unless it already holds it.
TEST(BanrisulRemessa, FileNameEndsIn240) {
  const std::string dir = (std::filesystem::temp_directory_path() / "remessa-banrisul-XXXXXX").string();
  std::vector<char> modelo(dir.begin(), dir.end());
  modelo.push_back('\0');
  ASSERT_TRUE(mkdtemp(modelo.data()));
  const std::string base = std::string(modelo.data()) + "/";
  const std::pair<std::string, std::string> casos[] = {
      {"REM", "REM.240"}, {"REM.240", "REM.240"}, {"REM.240.TXT", "REM.240.TXT"}};
  for (const auto& [operador, escrito] : casos) {
    SCOPED_TRACE(operador);
    TStore store(TLoja("041").dados.dump());
    TOpcoesGeracao o;
    o.arquivo = base + operador;
    store.Gerar(o);
    EXPECT_TRUE(std::filesystem::exists(base + escrito));
    EXPECT_EQ(std::filesystem::exists(base + operador), operador == escrito);
    std::filesystem::remove(base + escrito);
  }
  std::filesystem::remove_all(base);
}

// The company code, the tax id, a kind that is no digit or a letter where
// the bank reads a number stop the run before any file exists, under the
// operator's name or the one the bank's ".240" gives it.
TEST(BanrisulRemessa, RefusalsLeaveNoFile) {
  struct TCaso {
    const char *tabela, *campo;
    json valor;
    const char *chave, *texto;
  };
  const TCaso casos[] = {
      {"CONTCORR", "CDCEDENTEBAN", "  ", "CODCONV_INF", ""},
      {"CONTCORR", "CDCEDENTEBAN", "123.456.789-0", "CAMPO_EXCEDE", "Remessa: o campo 037-045 do registro 0"},
      {"CONTCORR", "CDAGENCIA", "12A4", "CAMPO_NUM_INV", "Remessa: o campo 033-036 do registro 0"},
      {"BOLETOREC", "IDCARTCOBREC", "X", "TipoCart_INV", "0001/1002"},
      {"BOLETOREC", "CDNOSNUMREC", "1234A67-9", "CAMPO_NUM_INV",
       "Boleto 0001/1002: o campo 038-047 do registro 3P"},
      {"BOLETOREC", "VRPEMULBREC", 1e13, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 075-089 do registro 3R"},
      {"CLIENTE", "NRINSJURCLIE", "123.456.789-0X", "CAMPO_NUM_INV",
       "Boleto 0001/1001: o campo 019-033 do registro 3Q"},
      {"FILIAL", "NRINSJURFILI", "12.345.678/0002-761", "INSCRICAO_INV", ""},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.valor.dump());
    TLoja l("041");
    l.NovoTitulo("1002");
    // a batch of the company's second branch, whose tax id is the company's
    l.Linha("FILIAL", {{"CDFILIAL", "0002"},
                       {"CDEMPRESA", "01"},
                       {"NMFILIAL", "Filial Dois"},
                       {"IDTPIJURFILI", "J"},
                       {"NRINSJURFILI", "12.345.678/0002-76"},
                       {"NMRAZSOCFILI", "Filial Dois"}});
    l.dados[c.tabela][std::string(c.tabela) == "BOLETOREC" ? 1 : 0][c.campo] = c.valor;
    TOpcoesGeracao o;
    o.filial = "0002";
    EXPECT_EQ(l.Recusa(o), c.chave);
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
    EXPECT_FALSE(std::filesystem::exists(l.Store().Arquivo() + ".240"));
  }
}

}  // namespace
