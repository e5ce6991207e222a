#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "host/staging.h"
#include "layouts/catalogue.h"
#include "layouts/record.h"
#include "layouts/support/writer_store.h"
#include "support/store.h"

using namespace testsupport;
using fields::PadR;

namespace {

const auto B = [](size_t n) { return std::string(n, ' '); };
const auto Z = [](size_t n) { return std::string(n, '0'); };

// The positions the company reads as numbers, by record type.
const layouts::TCampoNumerico kNumericos[] = {
    {'0', 96, 6},  {'1', 63, 10},  {'1', 109, 2},  {'1', 121, 19}, {'1', 151, 6}, {'1', 157, 19},
    {'1', 219, 2}, {'1', 250, 13}, {'1', 265, 14}, {'1', 371, 8},  {'1', 396, 5},
};

// The file of a run, checked whole. The detail carries its sequence in five
// digits at 396-400, after the payer's state: the shared check, which reads a
// detail's sequence at 395-400, is answered there by the five declared above
// and by the tests that read them back.
std::vector<std::string> Gera(const TLoja& l, const TOpcoesGeracao& o = {}) {
  TStore s(l.dados.dump());
  s.Gerar(o);
  std::ifstream in(s.Arquivo(), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  std::vector<std::string> recs;
  for (size_t at = 0, fim; (fim = texto.find("\r\n", at)) != std::string::npos; at = fim + 2)
    recs.push_back(texto.substr(at, fim - at));
  for (const auto& f : layouts::VerificaArquivo(texto, kNumericos).falhas) {
    const bool sequenciaDoDetalhe = f.posicao == 395 && f.tamanho == 6 && f.registro >= 1 &&
                                    f.registro <= static_cast<int>(recs.size()) &&
                                    recs[f.registro - 1][0] == '1';
    if (!sequenciaDoDetalhe) ADD_FAILURE() << fields::Cp1252ToUtf8(layouts::Descreve(f));
  }
  return recs;
}

// n marked copies of one title, walked without a store: a batch as large as
// the detail's five-digit sequence can number.
class TMuitos : public layouts::TTitulos, public layouts::TTitulo {
 public:
  explicit TMuitos(int n) : n_(n) {
    for (const char* c :
         {"CDFILIAL", "NRLANBOLREC", "IDIMPRBOLBOL", "CDNOSNUMREC", "CDCARTCOBBOL", "CDINS1COBBOL",
          "CDINS2COBBOL", "IDTPIJURCLIE", "NRINSJURCLIE", "NMRAZSOCCLIE", "NMFANTCLIE"})
      ds_.FieldDefs().push_back(host::StrField(c));
    for (const char* c : {"VRFINALBREC", "VRPEDESCBCLI", "DTVENBOLREC"})
      ds_.FieldDefs().push_back(host::FloatField(c));
    ds_.CreateDataSet();
    ds_.Append();
    ds_.FieldByName("CDFILIAL").SetString("0001");
    ds_.FieldByName("NRLANBOLREC").SetString("1001");
    ds_.FieldByName("VRFINALBREC").SetFloat(10);
    ds_.Post();
  }
  host::TField Campo(std::string_view nome) override { return ds_.FieldByName(nome); }
  host::TClientDataSet& Registros(layouts::TRegistro) override { return vazio_; }
  std::string ChaveAcesso() override { return {}; }
  bool escreveu = false;  // the walk that writes the file was started

 protected:
  void Percorre(const std::function<void(layouts::TTitulo&)>& fn, bool escrevendo) override {
    escreveu = escreveu || escrevendo;
    for (int i = 0; i < n_; ++i) fn(*this);
  }

 private:
  int n_;
  host::TClientDataSet ds_, vazio_;
};

}  // namespace

// Every field of the header and of a detail, from data typed with its
// punctuation; the header names the company row.
TEST(Factoring, HeaderAndDetailByPosition) {
  TLoja l("888");
  l.EmprBanc()["CDEMPBANCREC"] = "fc-4321";
  l.titulo()["VRPEDESCBCLI"] = 10.0;
  l.Linha("DUPLICATA",
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "NF12345678"}, {"NRPARCELA", "2"}});
  auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0], "01REMESSA01COBRANCA " + B(12) + "FC-4321 " + B(7) +
                         PadR("EMPRESA TESTE COMERCIO LTDA", 30) + B(18) + "081226" + B(293) + "000001");
  const auto& d = recs[1];
  EXPECT_EQ(field(d, 1, 62), "1" + B(21) + "FC-4321 " + PadR("00011001", 32));
  EXPECT_EQ(field(d, 63, 58), Z(10) + B(36) + "01" + "1234567802");  // the last eight of the invoice
  EXPECT_EQ(field(d, 121, 55),
            "201226"
            "0000000123456" +
                B(9) +
                "DC081226"
                "0000000012346"
                "000000");
  EXPECT_EQ(field(d, 176, 103), B(43) + "01" + B(29) + Z(13) + B(2) + "00012345678909");
  EXPECT_EQ(field(d, 279, 40), PadR("JOSE DA SILVA COMERCIO", 40));  // the line break is a blank
  EXPECT_EQ(field(d, 319, 52), PadR("RUA AUGUSTA, 1500  APTO 12", 37) + PadR("CONSOLACAO", 15));
  EXPECT_EQ(field(d, 371, 30), "01310100SAO PAULO      SP00002");
  EXPECT_EQ(recs[2], "9" + B(393) + "000003");
}

// Two titles: details numbered in five digits, the trailer in six. The first
// title's payer is its override record, by trade name; the second's client
// has no tax id or postcode and gets zeros, not the first one's. Without a
// code at the company, its positions are blanks.
TEST(Factoring, SequencesAndPayers) {
  TLoja l("888");
  l.Linha("LICENCAUSO", {{"CDFILIAL", "0001"},
                         {"NRLANBOLREC", "1001"},
                         {"IDTPIJURLUSO", "J"},
                         {"NRINSJURLUSO", "55.666.777/0001-00"},
                         {"NMRAZSOCLUSO", "Razão que não vai"},
                         {"NMFANTLUSO", "Três Corações"},
                         {"DSENDELUSO", "  Rodovia BR-116, Km 23"},
                         {"NMBAIRLUSO", "  Distrito Industrial"},
                         {"NRCEPLUSO", "44.380-000"},
                         {"NMMUNICIPIO", "Cruz das Almas"},
                         {"SGESTADO", "BA"}});
  l.dados["CLIENTE"].push_back({{"CDCLIENTE", "C3"}, {"NMRAZSOCCLIE", "Cliente C3"}, {"IDTPIJURCLIE", "J"}});
  l.Linha("ENDECLIE", {{"CDCLIENTE", "C3"},
                       {"IDTPENDECLIE", "C"},
                       {"CDPAIS", "1058"},
                       {"SGESTADO", "SP"},
                       {"CDMUNICIPIO", "3550"},
                       {"DSENDECLIE", "Rua Dois, 2"}});
  l.NovoTitulo("1002")["CDCLIENTE"] = "C3";
  auto recs = Gera(l);
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(field(recs[0], 33, 8), B(8));
  EXPECT_EQ(field(recs[1], 23, 8), B(8));
  EXPECT_EQ(field(recs[1], 219, 2) + field(recs[1], 265, 54),
            "02"
            "55666777000100" +
                PadR("TRES CORACOES", 40));
  EXPECT_EQ(field(recs[1], 319, 82), PadR("RODOVIA BR-116, KM 23", 37) + PadR("DISTRITO INDUST", 15) +
                                         "44380000CRUZ DAS ALMAS BA00002");
  EXPECT_EQ(field(recs[2], 219, 2) + field(recs[2], 265, 54), "02" + Z(14) + PadR("CLIENTE C3", 40));
  EXPECT_EQ(field(recs[2], 371, 30), Z(8) + "SAO PAULO      SP00003");
  EXPECT_EQ(recs[3], "9" + B(393) + "000004");
}

// The company's own occurrence codes for the batch's operation.
TEST(Factoring, OccurrenceFollowsTheOperation) {
  for (auto [op, codigo] : {std::pair{0, "01"}, std::pair{1, "09"}, std::pair{2, "14"}}) {
    TLoja l("888");
    const TOpcoesGeracao o = l.Operacao(op);
    EXPECT_EQ(field(Gera(l, o)[1], 109, 2), codigo) << op;
  }
}

// Who issues the slip, and the document number without an invoice.
TEST(Factoring, IssuerAndDocument) {
  const struct {
    const char* impressao;
    bool duplicata;
    const char* esperado;
  } casos[] = {{"B", false, "1001      "}, {"E", true, "0000555501"}, {"F", false, "1001      "}};
  for (const auto& c : casos) {
    TLoja l("888");
    l.titulo()["IDIMPRBOLBOL"] = c.impressao;
    if (c.duplicata)
      l.Linha("DUPLICATA",
              {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1001"}, {"DUPLICATA", "00005555"}, {"NRPARCELA", "1"}});
    const auto d = Gera(l)[1];
    EXPECT_EQ(field(d, 111, 10), c.esperado) << c.impressao;
    EXPECT_EQ(field(d, 150, 1), std::string(c.impressao) == "B" ? "F" : "C") << c.impressao;
  }
}

// What the company could not read stops the run before the file, naming the
// title even when it is the last one.
TEST(Factoring, UnreadableValuesStopTheRun) {
  const struct {
    const char* campo;
    json valor;
    const char *chave, *texto;
  } casos[] = {
      {"VRFINALBREC", 123456789012.34, "CAMPO_EXCEDE", "Boleto 0001/1002: o campo 127-139 do registro 1"},
      {"CDCLIENTE", "C4", "CAMPO_NUM_INV", "Boleto 0001/1002: o campo 265-278 do registro 1"},
  };
  for (const auto& c : casos) {
    TLoja l("888");
    l.dados["CLIENTE"].push_back({{"CDCLIENTE", "C4"},
                                  {"NMRAZSOCCLIE", "C4"},
                                  {"IDTPIJURCLIE", "F"},
                                  {"NRINSJURCLIE", "123.456.78X-09"}});
    l.Linha("ENDECLIE", {{"CDCLIENTE", "C4"},
                         {"IDTPENDECLIE", "C"},
                         {"CDPAIS", "1058"},
                         {"SGESTADO", "SP"},
                         {"CDMUNICIPIO", "3550"}});
    l.NovoTitulo("1002")[c.campo] = c.valor;
    EXPECT_EQ(l.Recusa(), c.chave) << c.campo;
    EXPECT_NE(l.Mensagem().find(c.texto), std::string::npos) << l.Mensagem();
  }
}

// The detail's sequence has five digits: the 99 999th title would be record
// 100 000, so the batch stops before any file exists rather than numbering it
// 00000.
TEST(Factoring, MoreTitlesThanTheSequenceNumbersStopBeforeTheFile) {
  layouts::TRemessa rem;
  rem.Arquivo = (std::filesystem::temp_directory_path() / "factoring-muitos.txt").string();
  TMuitos titulos(99999);
  try {
    layouts::Remessa_Factoring(rem, titulos, true);
    ADD_FAILURE() << "the batch was written";
  } catch (const layouts::ECampo& e) {
    EXPECT_EQ(e.motivo, layouts::ECampo::TMotivo::excede);
    EXPECT_EQ(e.pos, 396);
    EXPECT_EQ(e.titulo, "0001/1001");
  }
  EXPECT_FALSE(titulos.escreveu);
  EXPECT_FALSE(std::filesystem::exists(host::StagingName(rem.Arquivo)));
}
