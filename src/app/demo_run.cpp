// The demo run: a fresh store in demo-out/, and one batch of every account
// whose bank has a writer, each file listed with its records and totals.
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#include "app/demo.h"
#include "app/operador.h"
#include "app/terminal_ui.h"
#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "host/context.h"
#include "host/messages.h"
#include "host/report.h"
#include "server/import.h"
#include "workspace/form.h"

namespace app {

namespace {

int ContaLinhas(const std::string& path, int& tamanhoOk) {
  std::ifstream in(fields::OsPath(path), std::ios::binary);
  std::string line;
  int n = 0;
  tamanhoOk = 1;
  while (std::getline(in, line)) {
    ++n;
    if (line.empty() || line.back() != '\r') tamanhoOk = 0;
  }
  return n;
}

}  // namespace

// The demo's borderô template: kept beside the database, where every
// workstation's report folder fetches it from.
void InstalaModeloDemo(server::TRemessaServer& s, const std::string& db) {
  namespace fs = std::filesystem;
  const fs::path dir = PastaDoBanco(db) / "modelos";
  fs::create_directories(dir);
  const fs::path modelo = dir / "BORDERO.QR2";
  std::ofstream(modelo, std::ios::binary | std::ios::trunc) << host::ModeloBorderoPadrao("00000001");
  nlohmann::json j;
  j["RELATORIO"] = {{{"NMARQUIVO", "BORDERO.QR2"},
                     {"DTRELATORIO", fields::DateTimeToIso(host::Corvane().Now())},
                     {"NRVERSAO", "00000001"},
                     {"DSORIGEM", modelo.string()},
                     {"DSRELATORIO", "Borderô de Remessa"}}};
  server::ImportJson(s, j.dump());
  s.Conexao().Exec("UPDATE BANCO SET DSARQBORDBANC = 'BORDERO.QR2' WHERE DSARQBORDBANC IS NULL");
}

int ComandoDemo(TGlobais g) {
  const std::string dir = "demo-out";
  mkdir(dir.c_str(), 0755);
  g.db = dir + "/demo.db";
  std::remove(g.db.c_str());
  {
    auto s = Abre(g.db, true);
    server::ImportJson(*s, DemoFixture(host::Corvane().Date()));
  }
  auto s = Abre(g.db);
  auto contas = s->ExecuteQuery(
      "SELECT CDREDUCONT, CDBANCCNAB, CDBANCOCONV, CDBANCO, CDEMPRESA FROM CONTCORR "
      "WHERE IDCONTCOBR <> 'S' ORDER BY CDEMPRESA, CDREDUCONT",
      {});
  // The banks that register titles on a collection account get the demo's
  // collection account of their bank.
  auto cobranca = s->ExecuteQuery(
      "SELECT CDEMPRESA || '/' || CDBANCO, MIN(CDREDUCONT) FROM CONTCORR WHERE IDCONTCOBR = 'S' GROUP BY "
      "CDEMPRESA, CDBANCO",
      {});
  std::map<std::string, std::string> contaCobranca;
  for (const auto& row : cobranca.Rows)
    contaCobranca[host::ValueToString(row[0], host::TFieldType::ftString)] =
        host::ValueToString(row[1], host::TFieldType::ftString);
  s.reset();
  std::cout << std::left << std::setw(6) << "Banco" << std::setw(26) << "Writer" << std::setw(34) << "Arquivo"
            << std::setw(10) << "Registros" << std::setw(8) << "Boletos"
            << "Total\n";
  int feitos = 0;
  for (const auto& row : contas.Rows) {
    const std::string conta = host::ValueToString(row[0], host::TFieldType::ftString);
    const std::string banco = host::ValueToString(row[1], host::TFieldType::ftString);
    const std::string conv = host::ValueToString(row[2], host::TFieldType::ftString);
    std::string writer = workspace::DespachoWriter(banco, conv);
    if (writer.empty()) continue;
    TPedidoGeracao p;
    p.empresa = host::ValueToString(row[4], host::TFieldType::ftString);
    p.conta = conta;
    const auto cobr =
        contaCobranca.find(p.empresa + "/" + host::ValueToString(row[3], host::TFieldType::ftString));
    if (cobr != contaCobranca.end()) p.contaCobranca = cobr->second;
    p.todos = true;
    p.cobranca = true;
    p.arquivo = dir + "/remessa-" + banco + "-" + conta + ".txt";
    host::TScriptedUI ui(true);
    host::SetUI(&ui);
    try {
      auto srv = Abre(g.db);
      NomeDoOperador(*srv);
      TResultadoGeracao r = GerarRemessa(*srv, p);
      host::SetUI(nullptr);
      for (const auto& a : r.arquivos) {
        int ok;
        int n = ContaLinhas(a, ok);
        std::cout << std::left << std::setw(6) << banco << std::setw(26) << r.writer << std::setw(34)
                  << Tela(a) << std::setw(10) << n << std::setw(8) << r.quantidade << Dinheiro(r.total)
                  << "\n";
      }
      ++feitos;
    } catch (const host::EMensErro& e) {
      host::SetUI(nullptr);
      if (e.Key() == "Remessa_inv") continue;  // a bank whose writer this build lacks
      std::cout << std::left << std::setw(6) << banco << std::setw(26) << writer
                << "falhou: " << Tela(e.what()) << "\n";
      return 1;
    } catch (const std::exception& e) {
      host::SetUI(nullptr);
      std::cout << std::left << std::setw(6) << banco << std::setw(26) << writer
                << "falhou: " << Tela(e.what()) << "\n";
      return 1;
    }
  }
  std::cout << feitos << " remessa(s) gerada(s) em " << dir << "/\n";
  return DemoRetornos(g, dir);
}

}  // namespace app
