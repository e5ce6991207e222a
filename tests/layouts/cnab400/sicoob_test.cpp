// SICOOB's 400-character file, written by name on a prepared batch (no bank
// code dispatches to it), from the shared store's typed data: agency "123-4",
// account "00098765-4", agreement code "12345-6", nosso número "12345678-9".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/escritores.h"
#include "fields/text.h"
#include "host/messages.h"
#include "host/staging.h"
#include "layouts/catalogue.h"
#include "layouts/record.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;
using fields::PadR;
using fields::Replicate;
using namespace std::string_literals;

namespace {

const layouts::TCampoNumerico kNumericos[] = {
    {'0', 32, 9},   {'0', 95, 13},  {'1', 2, 16},   {'1', 23, 15}, {'1', 63, 16},
    {'1', 83, 19},  {'1', 107, 4},  {'1', 121, 22}, {'1', 148, 9}, {'1', 161, 12},
    {'1', 174, 47}, {'1', 221, 14}, {'1', 327, 8},  {'1', 392, 2},
};

struct Descarta {
  ~Descarta() { host::TOutputStage::Current().Discard(); }
};

// The writer on the batch as the run would hand it over, every title marked;
// the file checked whole.
std::vector<std::string> Gera(TLoja& l, const TOpcoesGeracao& o = {}) {
  TStore s(l.dados.dump());
  auto& f = s.Prepara(o);
  Descarta descarta;
  f.MarcaTodos(false);
  layouts::Remessa_SICOOB(app::RemessaDoForm(f), *app::TitulosDoForm(f), true);
  std::ifstream in(host::StagingName(s.Arquivo()), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  for (const auto& falha : layouts::VerificaArquivo(texto, kNumericos).falhas) ADD_FAILURE() << falha.texto;
  std::vector<std::string> recs;
  for (size_t at = 0; at + 402 <= texto.size(); at += 402) recs.push_back(texto.substr(at, 400));
  return recs;
}

// The key a refused run stops with ("CAMPO_*" and the positions for a field),
// after checking that it left no file, staged or in place.
std::string Recusa(TLoja& l, const TOpcoesGeracao& o = {}) {
  TStore s(l.dados.dump());
  auto& f = s.Prepara(o);
  Descarta descarta;
  f.MarcaTodos(false);
  std::string chave;
  try {
    layouts::Remessa_SICOOB(app::RemessaDoForm(f), *app::TitulosDoForm(f), true);
  } catch (const host::EMensErro& e) {
    chave = e.Key() + " " + e.what();
  } catch (const layouts::ECampo& e) {
    chave = "CAMPO " + e.titulo + " " + std::to_string(e.pos);
  }
  EXPECT_FALSE(std::filesystem::exists(host::StagingName(s.Arquivo()))) << chave;
  EXPECT_FALSE(std::filesystem::exists(s.Arquivo())) << chave;
  return chave;
}

}  // namespace

// Every field of the header and the detail from data typed with its
// punctuation; text loses accents and line breaks; the trailer is the common one.
TEST(Sicoob400, HeaderAndDetail) {
  TLoja l("756");
  l.conta()["NMCEDENTEBAN"] = "Cooperativa São\nJoão";
  l.titulo().update({{"CDINS1COBBOL", "6"}, {"QTDIAPROTBOL", 5}, {"VRPEMORBREC", 1.5}, {"VRPEMULBREC", 2.0}});
  const auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 3u);
  const auto& h = recs[0];
  EXPECT_EQ(field(h, 1, 26), "01REMESSA01COBRAN\xC7"s + "A       ");
  EXPECT_EQ(field(h, 27, 20), "01234"s + "000123456" + "      ");
  EXPECT_EQ(field(h, 47, 48), PadR("COOPERATIVA SAO JOAO", 30) + PadR("756BANCOOBCED", 18));
  EXPECT_EQ(field(h, 95, 13),
            "081226"s + "0000001");  // no sequence drawn yet
  EXPECT_EQ(field(h, 108, 293), Replicate(" ", 287) + "000001");

  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 37), "1"s + "02" + "12345678000195" + "01234" + "000987654" + "000000");
  EXPECT_EQ(field(d, 38, 25), Replicate(" ", 25));
  EXPECT_EQ(field(d, 63, 14), "000123456789"s + "01");
  EXPECT_EQ(field(d, 77, 34),
            "00" + Replicate(" ", 4) + "0010000" + Replicate("0", 12) + "    " + "201"s + "01");
  EXPECT_EQ(field(d, 111, 46),
            "0000001001"s + "201226" + "0000000123456" + "756" + "01234" + "01" + "0" + "081226");
  EXPECT_EQ(field(d, 157, 17), "0600"s + "015000" + "020000" + "2");
  EXPECT_EQ(field(d, 174, 45), "000000" + Replicate("0", 13) + "9" + Replicate("0", 25));
  EXPECT_EQ(field(d, 219, 56), "01"s + "00012345678909" + PadR("JOSE DA SILVA COMERCIO", 40));
  EXPECT_EQ(field(d, 275, 77), PadR("RUA AUGUSTA, 1500  APTO 12", 37) + PadR("CONSOLACAO", 15) + "01310100" +
                                   PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(d, 352, 49), Replicate(" ", 40) + "05"s + " " + "000002");
  EXPECT_EQ(recs[2], "9" + Replicate(" ", 393) + "000003");
}

// The agency is five digits where the bank's picture has a check digit,
// else four and a blank, in the header and in the detail's two agency fields.
TEST(Sicoob400, AgencyByThePicture) {
  const struct {
    const char *picture, *agencia, *esperado;
  } casos[] = {{"999-9", "123-4", "01234"}, {"9999", "1234", "1234 "}, {"9999", "123", "0123 "}};
  for (const auto& c : casos) {
    TLoja l("756");
    l.dados["BANCO"][0]["CDPICTAGEN"] = c.picture;
    l.conta()["CDAGENCIA"] = c.agencia;
    const auto recs = Gera(l);
    EXPECT_EQ(field(recs[0], 27, 5), c.esperado) << c.picture << " " << c.agencia;
    EXPECT_EQ(field(recs[1], 18, 5) + field(recs[1], 143, 5), std::string(c.esperado) + c.esperado);
  }
}

// Who prints the slip decides the nosso número and the issuer codes; the
// kind gives the portfolio; instalment "00" goes as the first.
TEST(Sicoob400, PrintingPortfolioAndInstalment) {
  const struct {
    const char *impressao, *tipo, *parcela;
    std::string nosso, emissor, carteira, parcelaBanco;
  } casos[] = {
      {"E", "1", "00", "000123456789", "2", "01", "01"},
      {"F", "2", "3", "000123456789", "2", "02", "03"},
      {"B", "3", "12", "000000000000", "1", "03", "12"},
  };
  for (const auto& c : casos) {
    TLoja l("756");
    l.titulo().update({{"IDIMPRBOLBOL", c.impressao}, {"IDCARTCOBREC", c.tipo}, {"NRPARCBOLREC", c.parcela}});
    const auto d = Gera(l)[1];
    EXPECT_EQ(field(d, 63, 14), c.nosso + c.parcelaBanco) << c.impressao;
    EXPECT_EQ(field(d, 106, 3) + field(d, 173, 1), c.emissor + c.carteira + c.emissor) << c.impressao;
  }
}

// The override record names the payer of its title; a client without tax id
// or postcode sends zeros; no rate gives zeros.
TEST(Sicoob400, PayerOverrideAndMissingData) {
  TLoja l("756");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Três Corações Ltda"},
                         {"DSENDELUSO", "Rodovia BR-116, Km 23"},
                         {"NRCEPLUSO", "44.380-000"},
                         {"NMMUNICIPIO", "Feira"},
                         {"SGESTADO", "BA"}});
  l.dados["CLIENTE"].push_back({{"CDCLIENTE", "C3"}, {"NMRAZSOCCLIE", "Outro"}, {"IDTPIJURCLIE", "F"}});
  l.Linha("ENDECLIE", {{"CDCLIENTE", "C3"},
                       {"IDTPENDECLIE", "C"},
                       {"CDPAIS", "1058"},
                       {"SGESTADO", "SP"},
                       {"CDMUNICIPIO", "3550"},
                       {"DSENDECLIE", "Rua Dois, 2"}});
  l.NovoTitulo("1002")["CDCLIENTE"] = "C3";
  const auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[1], 219, 56), "02"s + "55666777000100" + PadR("TRES CORACOES LTDA", 40));
  EXPECT_EQ(field(recs[1], 275, 37), PadR("RODOVIA BR-116, KM 23", 37));
  EXPECT_EQ(field(recs[1], 327, 25), "44380000" + PadR("FEIRA", 15) + "BA");
  EXPECT_EQ(field(recs[2], 161, 12), Replicate("0", 12));
  EXPECT_EQ(field(recs[2], 219, 16), "01" + Replicate("0", 14));
  EXPECT_EQ(field(recs[2], 327, 8), Replicate("0", 8));
}

// What the layout cannot carry stops the run before the file exists, naming
// the title: a kind without portfolio code, a rate of 100 % or more, a letter
// where the bank reads a number, a batch that is not of inclusions.
TEST(Sicoob400, RefusedBeforeTheFile) {
  const struct {
    const char* campo;
    json valor;
    std::string chave;
  } casos[] = {
      {"IDCARTCOBREC", "4", "TipoCart_INV Boleto 0001/1002"},
      {"VRPEMORBREC", 100.0, "CAMPO 0001/1002 161"},
      {"VRPEMULBREC", -1.0, "CAMPO 0001/1002 167"},
      {"VRFINALBREC", 123456789012.34, "CAMPO 0001/1002 127"},
      {"CDNOSNUMREC", "1234567P-9", "CAMPO 0001/1002 63"},
      {"CDCONTCORR", "0009876X-4", "CAMPO 0001/1001 23"},
      {"NRCEPCLIE", "0131O-100", "CAMPO 0001/1001 327"},
  };
  for (const auto& c : casos) {
    TLoja l("756");
    l.NovoTitulo("1002");
    const std::string campo = c.campo;
    if (campo == "CDCONTCORR")
      l.conta()[campo] = c.valor;
    else if (campo == "NRCEPCLIE")
      l.dados["ENDECLIE"][0][campo] = c.valor;
    else
      l.titulo(1)[campo] = c.valor;
    EXPECT_EQ(Recusa(l).substr(0, c.chave.size()), c.chave) << campo;
  }
  TLoja l("756");
  l.titulo()["IDSITUCNABR"] = "20";  // exclusions are offered the titles at the bank
  TOpcoesGeracao o;
  o.operacao = 1;
  EXPECT_EQ(Recusa(l, o).substr(0, 17), "OPER_NAO_EXPRESSA");
}

// No bank code sends a batch to this file: SICOOB's go to its CNAB 240 one.
TEST(Sicoob400, CalledOnlyByName) {
  const layouts::TEscritor* e = layouts::Escritor("Remessa_SICOOB");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->familia, layouts::TFamilia::Cnab400);
  EXPECT_STREQ(e->operacoes, "I");
  for (const char* banco : {"756", ""})
    EXPECT_STREQ(layouts::Despacha("756", banco)->nome, "Remessa_SICOOB_CONV");
}
