#include "layouts/support/writer_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fields/cp1252.h"
#include "host/messages.h"

namespace testsupport {

namespace {

// The banks the base fixture already holds.
bool NaBase(const std::string& banco) {
  for (const char* b : {"237", "341", "001", "104", "033", "356", "422", "041"})
    if (banco == b) return true;
  return false;
}

}  // namespace

json ContaDigitada(const std::string& banco) {
  return {{"CDREDUCONT", "001"},
          {"CDEMPRESA", "01"},
          {"CDBANCO", banco},
          {"CDAGENCIA", "123-4"},
          {"CDCONTCORR", "00098765-4"},
          {"DSCONTCORR", "Conta"},
          {"CDBANCCNAB", banco},
          {"CDBANCOCONV", banco},
          {"CDCEDENTEBAN", "12345-6"},
          {"NRAUTCNABDES", "0042"},
          {"CDFILIAL", "0001"},
          {"DSNOSNUMCORR", "[SEQ08]"},
          {"CDSACAVALISTA", "123.456.789-09"},
          {"NMSACAVALISTA", "Avalista Três"},
          {"IDTPIJURSAC", "F"},
          {"NRSEQREMESSAREC", 41}};
}

json TituloDigitado(const std::string& numero) {
  return {{"CDFILIAL", "0001"},
          {"NRLANBOLREC", numero},
          {"CDEMPRESA", "01"},
          {"CDCLIENTE", "C2"},
          {"CDREDUCONT", "001"},
          {"DTVENBOLREC", "2026-12-20"},
          {"DTEMISBOLREC", "2026-12-01"},
          {"VRFINALBREC", 1234.56},
          {"IDSITUCNABR", "00"},
          {"CDNOSNUMREC", "12345678-9"},
          {"CDCARTCOBBOL", "109"},
          {"IDCARTCOBREC", "1"},
          {"IDIMPRBOLBOL", "E"},
          {"CDFILIBOLREC", "0001"},
          {"NRPARCBOLREC", "01"}};
}

TLoja::TLoja(const std::string& banco) {
  dados["CONTCORR"] = {ContaDigitada(banco)};
  dados["BOLETOREC"] = {TituloDigitado("1001")};
  dados["CLIENTE"] = {{{"CDCLIENTE", "C2"},
                       {"NMRAZSOCCLIE", "José da Silva\nComércio"},
                       {"NMFANTCLIE", "Zé\tda Silva"},
                       {"IDTPIJURCLIE", "F"},
                       {"NRINSJURCLIE", "123.456.789-09"},
                       {"EMAILCOBCLIE", "ze@example.com"}}};
  dados["ENDECLIE"] = {{{"CDCLIENTE", "C2"},
                        {"IDTPENDECLIE", "C"},
                        {"CDPAIS", "1058"},
                        {"SGESTADO", "SP"},
                        {"CDMUNICIPIO", "3550"},
                        {"DSENDECLIE", "Rua Augusta, 1500\r\napto 12"},
                        {"NMBAIRCLIE", "Consolação"},
                        {"NRCEPCLIE", "01310-100"}}};
  if (!NaBase(banco))
    dados["BANCO"] = {{{"CDBANCO", banco},
                       {"NMBANCO", "BANCO " + banco},
                       {"CDPICTAGEN", "999-9"},
                       {"CDPICTCONT", "99999999-9"}}};
}

json& TLoja::NovoTitulo(const std::string& numero) {
  dados["BOLETOREC"].push_back(TituloDigitado(numero));
  return dados["BOLETOREC"].back();
}

json& TLoja::EmprBanc() {
  if (!dados.contains("EMPRBANC"))
    dados["EMPRBANC"] = {{{"CDEMPRESA", "01"}, {"CDBANCO", conta()["CDBANCO"]}}};
  return dados["EMPRBANC"][0];
}

void TLoja::Abre() {
  store_ = std::make_unique<TStore>(dados.dump());
  if (!inscricaoEmpresa.empty())
    store_->Server().Conexao().Exec("UPDATE EMPRESA SET NRINSJUREMPR = '" + inscricaoEmpresa + "'");
}

std::vector<std::string> TLoja::Gera(const TOpcoesGeracao& o,
                                     std::span<const layouts::TCampoNumerico> numericos) {
  Abre();
  store_->Gerar(o);
  // A writer may write its own name for the path (Banrisul's ".240").
  std::string arquivo = store_->Arquivo();
  if (!std::filesystem::exists(arquivo) && std::filesystem::exists(arquivo + ".240")) arquivo += ".240";
  std::ifstream in(arquivo, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  const layouts::TVerificacao v = layouts::VerificaArquivo(texto, numericos);
  for (const auto& f : v.falhas) ADD_FAILURE() << fields::Cp1252ToUtf8(layouts::Descreve(f));
  std::vector<std::string> recs;
  for (size_t at = 0; at < texto.size();) {
    const size_t fim = texto.find("\r\n", at);
    if (fim == std::string::npos) break;
    recs.push_back(texto.substr(at, fim - at));
    at = fim + 2;
  }
  return recs;
}

std::string TLoja::Recusa(const TOpcoesGeracao& o) {
  Abre();
  mensagem_.clear();
  try {
    store_->Gerar(o);
  } catch (const host::EMensErro& e) {
    mensagem_ = fields::Cp1252ToUtf8(e.what());
    EXPECT_FALSE(std::filesystem::exists(store_->Arquivo())) << "a refused run left its file";
    return e.Key();
  }
  return {};
}

}  // namespace testsupport
