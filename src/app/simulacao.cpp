#include "app/simulacao.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "app/cli_common.h"
#include "app/terminal_ui.h"
#include "fields/cp1252.h"
#include "layouts/file_check.h"

namespace app {

using fields::Utf8ToCp1252;

TSimulacao::TSimulacao(const std::string& db, const std::string& arquivo) : real_(arquivo) {
  char modelo[] = "/tmp/remessa-simulacao-XXXXXX";
  if (!mkdtemp(modelo)) throw std::runtime_error(Utf8ToCp1252("Não foi possível criar a pasta temporária."));
  pasta_ = modelo;
  copia_ = pasta_ + "/copia.db";
  const auto barra = arquivo.find_last_of('/');
  arquivo_ = Utf8ToCp1252(pasta_) + "/" + (barra == std::string::npos ? arquivo : arquivo.substr(barra + 1));
  // A shared PostgreSQL database is not copied: the run works in one
  // transaction there that is rolled back at the end.
  if (EhPostgres(db)) {
    pg_ = db;
    return;
  }
  // The copy is taken in one read transaction: a run of another process
  // is in it whole or not at all.
  server::TSQLiteRemessaServer original(Utf8ToCp1252(db));
  original.Database().Exec("VACUUM INTO '" + copia_ + "'");
}

TSimulacao::~TSimulacao() {
  std::error_code ec;
  std::filesystem::remove_all(pasta_, ec);
}

std::unique_ptr<server::TRemessaServer> TSimulacao::Abre() {
  // Files another process is still putting in place are that process's
  // business, not the simulated run's.
  constexpr const char* kSemPendentes =
      "UPDATE ARQREMESSA SET DSARQPENDENTE = NULL WHERE DSARQPENDENTE IS NOT NULL";
  if (!pg_.empty()) {
    auto s = std::make_unique<server::TPgRemessaServer>(pg_);
    s->Ensaio();
    s->Database().Exec(kSemPendentes);
    return s;
  }
  auto s = std::make_unique<server::TSQLiteRemessaServer>(Utf8ToCp1252(copia_));
  s->Database().Exec(kSemPendentes);
  return s;
}

std::string TSimulacao::NoLugar(const std::string& escrito) const {
  const auto barra = real_.find_last_of('/');
  const auto minha = escrito.find_last_of('/');
  const std::string nome = minha == std::string::npos ? escrito : escrito.substr(minha + 1);
  return barra == std::string::npos ? nome : real_.substr(0, barra + 1) + nome;
}

void TSimulacao::Verifica(const std::vector<std::string>& escritos) const {
  for (const auto& e : escritos) {
    std::ifstream in(fields::OsPath(e), std::ios::binary);
    const std::string conteudo(std::istreambuf_iterator<char>(in), {});
    const auto v = layouts::VerificaArquivo(conteudo);
    for (const auto& f : v.falhas) std::cerr << Tela(NoLugar(e) + ": " + layouts::Descreve(f)) << "\n";
  }
}

}  // namespace app
