// Banco do Brasil files generated end to end on the shared store: data as
// operators type it, the real run, the file checked whole, and the records
// read back by position.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/escritores.h"
#include "fields/text.h"
#include "host/staging.h"
#include "layouts/catalogue.h"
#include "layouts/file_check.h"
#include "layouts/support/writer_store.h"
#include "workspace/form.h"

namespace {

using fields::PadR;
using fields::Replicate;
using json = nlohmann::json;
using namespace std::string_literals;
using testsupport::field;
using testsupport::TLoja;
using testsupport::TOpcoesGeracao;

// The bank's store: the account's agreement 1234567 and the company's
// portfolio variation 27 at the bank.
TLoja Loja() {
  TLoja l("001");
  l.conta()["CDIDRECCONTCORR"] = "1234567";
  l.EmprBanc()["NRVARIACARTCOB"] = "27";
  return l;
}

json Registro(json campos, const std::string& numero = "1001") {
  campos["CDFILIAL"] = "0001";
  campos["NRLANBOLREC"] = numero;
  return campos;
}

// The segment letters of the details, in file order.
std::string Segmentos(const std::vector<std::string>& recs) {
  std::string s;
  for (const auto& r : recs)
    if (field(r, 8, 1) == "3") s += field(r, 14, 1);
  return s;
}

// The positions the bank reads as numbers that the data fills, by record
// type (file and lot header) or segment.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 18, 1},   {'0', 19, 14}, {'0', 33, 9},  {'0', 46, 2},  {'0', 48, 3},  {'0', 53, 5},  {'0', 59, 12},
    {'0', 144, 8},  {'0', 152, 6}, {'0', 158, 6}, {'1', 18, 1},  {'1', 19, 15}, {'1', 34, 9},  {'1', 47, 2},
    {'1', 49, 3},   {'1', 54, 5},  {'1', 60, 12}, {'1', 184, 8}, {'1', 192, 8}, {'P', 18, 5},  {'P', 24, 12},
    {'P', 58, 1},   {'P', 59, 1},  {'P', 61, 2},  {'P', 78, 8},  {'P', 86, 15}, {'P', 110, 8}, {'P', 118, 1},
    {'P', 127, 15}, {'P', 221, 3}, {'Q', 18, 1},  {'Q', 19, 15}, {'Q', 129, 8}, {'R', 66, 1},  {'R', 67, 8},
    {'R', 75, 15},  {'Y', 20, 1},  {'Y', 21, 15},
};

// Agreement, agency, account, tax ids, postcode and nosso número as
// operators type them reach the bank as digits; text loses accents and
// line breaks.
TEST(BBRemessa, TypedPunctuationBecomesDigits) {
  TLoja l("001");
  l.EmprBanc()["CDEMPBANCREC"] = "1.234.567-8";
  l.titulo()["VRPEMULBREC"] = 2.0;
  const auto recs = l.Gera({}, kNumericos);
  ASSERT_EQ(Segmentos(recs), "PQRY");
  const std::string conta = "00123"s + "4" + "000000098765" + "4" + " ";  // 123-4, 00098765-4
  EXPECT_EQ(field(recs[0], 18, 15), "212345678000195");
  EXPECT_EQ(field(recs[0], 33, 20), "012345678"s + "0014" + "10" + "019" + "  ");
  EXPECT_EQ(field(recs[0], 53, 20), conta);
  EXPECT_EQ(field(recs[1], 18, 16), "2012345678000195");
  EXPECT_EQ(field(recs[1], 54, 20), conta);
  const std::string& p = recs[2];
  EXPECT_EQ(field(p, 18, 20), conta);
  EXPECT_EQ(field(p, 38, 25),
            "123456789" + Replicate(" ", 11) + "11222");  // kind, registration, document, issue, mailing
  EXPECT_EQ(field(p, 78, 23), "20122026000000000123456");
  const std::string& q = recs[3];
  EXPECT_EQ(field(q, 18, 16), "1000012345678909");
  EXPECT_EQ(field(q, 34, 40), PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(q, 74, 40), PadR("RUA AUGUSTA, 1500  APTO 12", 40));
  EXPECT_EQ(field(q, 114, 40), PadR("CONSOLACAO", 15) + "01310100" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(recs[5], 18, 58), "01"s + "1" + "000012345678909" + PadR("AVALISTA TRES", 40));
}

// A letter where the bank reads a number, or a value wider than its field,
// stops the run before the file, naming the title (or the batch) and the field.
TEST(BBRemessa, UnreadableNumbersStopTheRun) {
  struct TCaso {
    const char* tabela;
    size_t linha;
    const char *campo, *texto;
    json valor;
  };
  const TCaso casos[] = {
      {"CONTCORR", 0, "CDCONTCORR", "Remessa: o campo 059-070 do registro 0", "0009876X-4"},
      {"CONTCORR", 0, "CDIDRECCONTCORR", "Remessa: o campo 033-041 do registro 0", "12A4567"},
      {"CONTCORR", 0, "CDSACAVALISTA", "Boleto 0001/1001: o campo 021-035 do registro 3Y", "isento"},
      {"BOLETOREC", 1, "CDNOSNUMREC", "Boleto 0001/1002: o campo 038-057 do registro 3P", "1234P67-9"},
      {"BOLETOREC", 0, "CDNOSNUMREC", "Boleto 0001/1001: o campo 038-057 do registro 3P", "-"},
      {"BOLETOREC", 0, "CDDIAPROTBOL", "Boleto 0001/1001: o campo 221-221 do registro 3P", "A"},
      {"BOLETOREC", 1, "VRFINALBREC", "Boleto 0001/1002: o campo 086-100 do registro 3P", 12345678901234.5},
      {"BOLETOREC", 0, "VRMULTABREC", "Boleto 0001/1001: o campo 075-089 do registro 3R", 1e14},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campo);
    TLoja l = Loja();
    l.NovoTitulo("1002");
    l.dados[c.tabela][c.linha][c.campo] = c.valor;
    l.titulo()["QTDIAPROTBOL"] = 5;
    EXPECT_EQ(l.Recusa(), c.valor.is_number() ? "CAMPO_EXCEDE" : "CAMPO_NUM_INV");
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

TEST(BBRemessa, SegmentsEachTitleCarries) {
  struct TCaso {
    const char* nome;
    std::vector<json> titulos;
    bool semAvalista, mensagemEmBranco;
    std::string segmentos;
  };
  const TCaso casos[] = {
      {"one title, the account's guarantor", {json::object()}, false, false, "PQY"},
      {"no guarantor", {json::object()}, true, false, "PQ"},
      {"a blank message is no segment R", {json::object()}, true, true, "PQ"},
      {"fines keep the lot numbering",
       {json::object(), {{"VRPEMULBREC", 2.0}}, json::object(), {{"VRMULTABREC", 5.0}}},
       true,
       false,
       "PQPQRPQPQR"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l = Loja();
    for (size_t i = 1; i < c.titulos.size(); ++i) l.NovoTitulo(std::to_string(1001 + i));
    for (size_t i = 0; i < c.titulos.size(); ++i) l.titulo(i).update(c.titulos[i]);
    if (c.semAvalista) l.conta()["NMSACAVALISTA"] = " ";
    if (c.mensagemEmBranco) l.Linha("TXBOLETO", Registro({{"TXMENSBOLBOL", "   "}}));
    EXPECT_EQ(Segmentos(l.Gera()), c.segmentos);
  }
}

TEST(BBRemessa, TitleWithEveryOptionalSegment) {
  TLoja l = Loja();
  l.conta().update(
      {{"CDSACAVALISTA", "12.345.678/0001-90"}, {"NMSACAVALISTA", "Avalista Ltda"}, {"IDTPIJURSAC", "J"}});
  l.EmprBanc()["IDREGSEGSCOB"] = "S";
  l.Linha("TXBOLETO", Registro({{"TXMENSBOLBOL", "Não receber após"}}));
  l.dados["CLIENTE"][0]["EMAILCOBCLIE"] = "joão.cobrança@exemplo.com.br";
  const auto recs = l.Gera();
  ASSERT_EQ(Segmentos(recs), "PQRSY");
  // the bank mails the slip to the address exactly as the client gave it
  EXPECT_EQ(field(recs[5], 18, 41), "0" + PadR("jo\xe3o.cobran\xe7"s + "a@exemplo.com.br", 40));
  EXPECT_EQ(field(recs[6], 18, 58), "01"s + "2" + "012345678000190" + PadR("AVALISTA LTDA", 40));
  EXPECT_EQ(field(recs[6], 131, 8), "00000000");
}

TEST(BBRemessa, MovementCodeFollowsTheOperationOnEveryDetail) {
  const std::pair<int, const char*> casos[] = {{0, "01"}, {1, "02"}, {2, "06"}};
  for (const auto& [operacao, codigo] : casos) {
    SCOPED_TRACE(codigo);
    TLoja l = Loja();
    // exclusions and alterations are offered the titles already at the bank
    l.titulo().update({{"VRPEMULBREC", 2.0}, {"IDSITUCNABR", operacao == 0 ? "00" : "20"}});
    TOpcoesGeracao o;
    o.operacao = operacao;
    const auto recs = l.Gera(o);
    for (int i = 2; i <= 5; ++i) EXPECT_EQ(field(recs[i], 15, 3), std::string(" ") + codigo);
  }
}

// Bank's title number, slip issue/distribution and portfolio kind depend on
// the title's portfolio, printing and stored number.
TEST(BBRemessa, TitleNumberAndSlipIssueFollowThePortfolio) {
  struct TCaso {
    const char *carteira, *tipo, *impressao, *nosso;
    std::string numero;
    const char *emissao, *tipoCarteira;
  };
  const TCaso casos[] = {
      {"11", "1", "E", "1234567-8", Replicate("0", 20), "11", "1"},
      {"31", "2", "E", "1234567-8", Replicate("0", 20), "11", "2"},
      {"51", "3", "E", "1234567-8", Replicate("0", 20), "11", "3"},
      {"12", "4", "E", "1234567-8", "12345678" + Replicate(" ", 12), "11", "4"},
      {"17", "1", "E", "1234567-8", "12345678" + Replicate(" ", 12), "22", "7"},
      {"17", "1", "E", "1.234.567-8", "12345678" + Replicate(" ", 12), "22", "7"},
      {"17", "1", "E", "12345678901-P", "12345678901P" + Replicate(" ", 8), "22", "7"},  // its check digit
      {"18", "1", "F", "12345678901234567890", "12345678901234567890", "22", "1"},
      {"17", "1", "B", "", Replicate("0", 20), "11", "7"},
      {"017", "1", "E", "99-1", "991" + Replicate(" ", 17), "22", "1"},  // first two characters: "01"
      {"17", "9", "E", "1234567-8", "12345678" + Replicate(" ", 12), "22", " "},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.carteira) + "/" + c.tipo + "/" + c.impressao + "/" + c.nosso);
    TLoja l = Loja();
    l.titulo().update({{"CDCARTCOBBOL", c.carteira},
                       {"IDCARTCOBREC", c.tipo},
                       {"IDIMPRBOLBOL", c.impressao},
                       {"CDNOSNUMREC", c.nosso}});
    const auto recs = l.Gera();
    EXPECT_EQ(field(recs[2], 38, 20), c.numero);
    EXPECT_EQ(field(recs[2], 58, 1), c.tipoCarteira);
    EXPECT_EQ(field(recs[2], 61, 2), c.emissao);
  }
}

// The issue date is never the zero date (30/12/1899): without the invoice's
// the title's own, and without that the processing day.
TEST(BBRemessa, DocumentNumberAndIssueDateComeFromTheInvoice) {
  struct TCaso {
    const char* nome;
    json duplicata;
    const char* parcela;
    std::string documento, emissao;
    json emissaoTitulo = nullptr;
  };
  const json dup123 = {{"DUPLICATA", "123"}, {"NRPARCELA", "02"}, {"DTEMISSAO", "2026-11-03"}};
  const json semData = {{"DUPLICATA", "123"}, {"NRPARCELA", "02"}};
  const TCaso casos[] = {
      {"invoice and instalment", dup123, "02", "0000123/02     ", "03112026"},
      {"instalment 00 is the first", dup123, "00", "0000123/01     ", "03112026"},
      {"invoice without a date", semData, "02", "0000123/02     ", "08122026"},
      {"no invoice", nullptr, "01", "1001      " + Replicate(" ", 5), "08122026"},
      {"no invoice, the title's date", nullptr, "01", "1001      " + Replicate(" ", 5), "01122026",
       "2026-12-01"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l = Loja();
    l.titulo()["NRPARCBOLREC"] = c.parcela;
    l.titulo()["DTEMISBOLREC"] = c.emissaoTitulo;
    if (!c.duplicata.is_null()) l.Linha("DUPLICATA", Registro(c.duplicata));
    const auto recs = l.Gera();
    EXPECT_EQ(field(recs[2], 63, 15), c.documento);
    EXPECT_EQ(field(recs[2], 110, 8), c.emissao);
  }
}

// Interest goes as an amount per day: a percentage alone gives that amount
// on the title value (1234.56), rounded to the cent.
TEST(BBRemessa, InterestAndProtestBlocks) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string juros, protesto;
  };
  const std::string isento = "3" + Replicate("0", 23);
  const TCaso casos[] = {
      {"daily amount", {{"VRMORDIABREC", 1.5}}, "100000000000000000000150", "300"},
      {"percentage only", {{"VRPEMORBREC", 2.0}}, "100000000000000000002469", "300"},
      {"percentage rounded up",
       {{"VRPEMORBREC", 1.0}, {"VRMORDIABREC", nullptr}},
       "100000000000000000001235",
       "300"},
      {"daily amount wins",
       {{"VRPEMORBREC", 2.0}, {"VRMORDIABREC", 0.35}},
       "100000000000000000000035",
       "300"},
      {"exempt", json::object(), isento, "300"},
      {"protest code without days", {{"CDDIAPROTBOL", "1"}}, isento, "300"},
      {"days with the no-protest code", {{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, isento, "300"},
      {"protest after 5 days", {{"CDDIAPROTBOL", "1"}, {"QTDIAPROTBOL", 5}}, isento, "105"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l = Loja();
    l.titulo().update(c.campos);
    const auto recs = l.Gera();
    EXPECT_EQ(field(recs[2], 118, 24), c.juros);
    EXPECT_EQ(field(recs[2], 221, 3), c.protesto);
  }
}

TEST(BBRemessa, FineInSegmentR) {
  struct TCaso {
    const char* nome;
    json campos;
    bool mensagem;
    std::string multa;
  };
  const TCaso casos[] = {
      {"percentage", {{"VRPEMULBREC", 2.0}}, false, "220122026000000000000200"},
      {"amount", {{"VRMULTABREC", 7.25}}, false, "120122026000000000000725"},
      {"percentage wins", {{"VRPEMULBREC", 2.0}, {"VRMULTABREC", 7.25}}, false, "220122026000000000000200"},
      {"message only", json::object(), true, "0" + Replicate("0", 23)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l = Loja();
    l.titulo().update(c.campos);
    if (c.mensagem) l.Linha("TXBOLETO", Registro({{"TXMENSBOLBOL", "  Juros após"}}));
    const auto recs = l.Gera();
    ASSERT_EQ(Segmentos(recs), "PQRY");
    EXPECT_EQ(field(recs[4], 66, 24), c.multa);
    EXPECT_EQ(field(recs[4], 100, 40), Replicate(" ", 40));  // the message itself is not sent
  }
}

TEST(BBRemessa, PayerFromTheOverrideRecord) {
  TLoja l = Loja();
  l.Linha("LICENCAUSO", Registro({{"IDTPIJURLUSO", "F"},
                                  {"NMRAZSOCLUSO", "Razão Social"},
                                  {"NMFANTLUSO", "Fantasia Açaí"},
                                  {"DSENDELUSO", "Rua das Flores, 10"},
                                  {"NMBAIRLUSO", "Centro"},
                                  {"NMMUNICIPIO", "São Paulo"},
                                  {"SGESTADO", "SP"}}));
  const std::string q = l.Gera()[3];
  EXPECT_EQ(field(q, 18, 16), "1" + Replicate("0", 15));  // no tax id on the override
  EXPECT_EQ(field(q, 34, 80), PadR("FANTASIA ACAI", 40) + PadR("RUA DAS FLORES, 10", 40));
  EXPECT_EQ(field(q, 129, 25), "00000000" + PadR("SAO PAULO", 15) + "SP");  // no postcode on the override
  EXPECT_EQ(field(q, 154, 16), Replicate("0", 16));
}

// Clean stored codes: agency 1234 with check digit 5, account 12345678 with
// check digit 9 (the bank's picture is 99999999-9).
TEST(BBRemessa, HeadersCarryAgreementAccountAndSequence) {
  TLoja l = Loja();
  l.conta().update({{"CDAGENCIA", "12345"}, {"CDCONTCORR", "123456789"}});
  l.titulo()["CDCARTCOBBOL"] = "17";
  const auto recs = l.Gera({}, kNumericos);
  const std::string convenio = "001234567"s + "0014" + "17" + "027" + "  ";
  const std::string conta = "01234"s + "5" + "000012345678" + "9" + " ";
  EXPECT_EQ(field(recs[0], 33, 40), convenio + conta);
  EXPECT_EQ(field(recs[1], 34, 40), convenio + conta);
  EXPECT_EQ(field(recs[2], 18, 20), conta);
  EXPECT_EQ(field(recs[0], 103, 30), PadR("BANCO DO BRASIL", 30));
  EXPECT_EQ(field(recs[0], 143, 15), "108122026103000");
  EXPECT_EQ(field(recs[0], 158, 6), "000042");  // the account's next sequence, zero-filled
  EXPECT_EQ(field(recs[0], 164, 8), "03000000");
  EXPECT_EQ(field(recs[0], 223, 6), "CSP000");
  EXPECT_EQ(field(recs[1], 9, 9), "R01  020 ");
  EXPECT_EQ(field(recs[1], 192, 16), "0812202600000000");

  // without agency and account: zeros, blank check digits, every field in place
  l.conta().update({{"CDAGENCIA", nullptr}, {"CDCONTCORR", nullptr}});
  const auto vazia = l.Gera();
  const std::string zeros = "00000 " + Replicate("0", 12) + "  ";
  EXPECT_EQ(field(vazia[0], 53, 50), zeros + PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(vazia[1], 54, 20), zeros);
  EXPECT_EQ(field(vazia[2], 18, 20), zeros);
}

// Without an identification on the account the company's code at the bank is
// the agreement; without either, both headers leave the block blank.
TEST(BBRemessa, AgreementBlockWithoutAccountIdentification) {
  const std::pair<json, std::string> casos[] = {
      {nullptr, Replicate(" ", 20)},
      {"2.468-0", "000024680"s + "0014" + "10" + "019" + "  "},
  };
  for (const auto& [codigo, convenio] : casos) {
    SCOPED_TRACE(convenio);
    TLoja l("001");
    l.EmprBanc()["CDEMPBANCREC"] = codigo;
    const auto recs = l.Gera();
    EXPECT_EQ(field(recs[0], 33, 20), convenio);
    EXPECT_EQ(field(recs[1], 34, 20), convenio);
  }
}

// A second branch of the company, for batches made by branch.
void Filial(TLoja& l, const char* tipo, const char* inscricao) {
  l.Linha("FILIAL", {{"CDFILIAL", "0002"},
                     {"CDEMPRESA", "01"},
                     {"NMFILIAL", "Filial Dois"},
                     {"IDTPIJURFILI", tipo},
                     {"NRINSJURFILI", inscricao},
                     {"NMRAZSOCFILI", "Filial Dois Comércio"}});
}

TEST(BBRemessa, CompanyOfTheFileByTheCompanyRule) {
  struct TCaso {
    const char *nome, *filial, *tipo, *inscricao;
    std::string header, lote, razao;
  };
  const TCaso casos[] = {
      {"company", "", "J", "11.111.111/0001-11", "212345678000195", "2012345678000195",
       "EMPRESA TESTE COMERCIO LTDA"},
      {"legal-person branch", "0002", "J", "12.345.678/0002-76", "212345678000276", "2012345678000276",
       "FILIAL DOIS COMERCIO"},
      {"natural-person branch", "0002", "F", "123.456.789-09", "100012345678909", "1000012345678909",
       "FILIAL DOIS COMERCIO"},
      {"branch of another kind", "0002", "O", "12.345.678/0002-76", "312345678000276", "3012345678000276",
       "FILIAL DOIS COMERCIO"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TLoja l = Loja();
    l.conta().erase("CDFILIAL");  // the batch takes the company unless given a branch
    Filial(l, c.tipo, c.inscricao);
    TOpcoesGeracao o;
    o.filial = c.filial;
    const auto recs = l.Gera(o);
    EXPECT_EQ(field(recs[0], 18, 15), c.header);
    EXPECT_EQ(field(recs[1], 18, 16), c.lote);
    EXPECT_EQ(field(recs[0], 73, 30), PadR(c.razao, 30));
    EXPECT_EQ(field(recs[1], 74, 30), PadR(c.razao, 30));
  }
}

TEST(BBRemessa, TaxIdLongerThan14DigitsStopsBeforeTheFile) {
  TLoja l = Loja();
  Filial(l, "J", "12.345.678/0002-765");
  TOpcoesGeracao o;
  o.filial = "0002";
  EXPECT_EQ(l.Recusa(o), "INSCRICAO_INV");
  const auto pasta = std::filesystem::path(l.Store().Arquivo()).parent_path();
  EXPECT_TRUE(std::filesystem::is_empty(pasta)) << "a partial file was left in " << pasta;
}

// The run refuses a batch without marks, so the writer is called here on a
// form prepared as the operator leaves it just before marking.
TEST(BBRemessa, NoMarkedTitleGivesHeadersAndTrailersOnly) {
  TLoja l = Loja();
  l.NovoTitulo("1002").update({{"CDCARTCOBBOL", "18"}, {"DTVENBOLREC", "2026-12-30"}});
  testsupport::TStore store(l.dados.dump());
  TOpcoesGeracao o;
  o.arquivo = (std::filesystem::temp_directory_path() / "bb-sem-titulos.rem").string();
  auto& f = store.Prepara(o);
  struct Descarta {
    ~Descarta() { host::TOutputStage::Current().Discard(); }
  } descarta;
  ASSERT_EQ(f.cdsBoletos.RecordCount(), 2);
  layouts::Remessa_BB(app::RemessaDoForm(f), *app::TitulosDoForm(f), true);

  std::ifstream in(host::StagingName(o.arquivo), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  for (const auto& falha : layouts::VerificaArquivo(texto).falhas) ADD_FAILURE() << falha.texto;
  ASSERT_EQ(texto.size(), 4u * 242);
  // no marked title: the batch has no portfolio yet
  EXPECT_EQ(field(texto, 33, 20), "001234567"s + "0014" + "00" + "027" + "  ");
  // before the run draws them, the batch has no sequence and no number
  EXPECT_EQ(field(texto, 158, 6), "000001");
  EXPECT_EQ(field(texto, 242 + 184, 8), "00000000");
}

}  // namespace
