#include "app/commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/demo.h"
#include "app/escritores.h"
#include "app/lotes.h"
#include "app/operador.h"
#include "app/terminal_ui.h"
#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "filters/sent_titles_filter.h"
#include "host/context.h"
#include "host/messages.h"
#include "host/report.h"
#include "server/import.h"
#include "server/sqlite_server.h"
#include "workspace/form.h"

namespace app {
namespace {

using fields::Cp1252ToUtf8;
using fields::Utf8ToCp1252;

struct TGlobais {
  std::string db = "remessa.db";
  std::string operador, dataProc, agora;
};

std::unique_ptr<server::TSQLiteRemessaServer> Abre(const std::string& db, bool criar = false) {
  return std::make_unique<server::TSQLiteRemessaServer>(Utf8ToCp1252(db), criar);
}

void AplicaContexto(const TGlobais& g) {
  auto& c = host::Corvane();
  if (!g.operador.empty()) {
    c.Operador = Utf8ToCp1252(g.operador);
    c.NomeOperador = c.Operador;
  }
  if (!g.agora.empty()) {
    fields::TDateTime t;
    if (!fields::TryIsoToDateTime(g.agora, t))
      throw std::runtime_error(Utf8ToCp1252("--agora inválido: use \"AAAA-MM-DD HH:MM:SS\"."));
    c.FixClock(t);
  }
  if (!g.dataProc.empty()) {
    fields::TDateTime d;
    if (!fields::TryStrToDate(g.dataProc, d))
      throw std::runtime_error(Utf8ToCp1252("--data-proc inválida: use DD/MM/AAAA."));
    c.SetDataProc(d);
  }
}

std::string Dinheiro(double v) {
  return fields::FormatFloat("#,##0.00", v);
}

// Operator names come from the database.
void NomeDoOperador(server::TSQLiteRemessaServer& s) {
  auto& c = host::Corvane();
  try {
    auto p =
        s.ExecuteQuery("SELECT NMOPERADOR FROM OPERADOR WHERE CDOPERADOR = :P_CD", {{"P_CD", c.Operador}});
    if (!p.Rows.empty()) c.NomeOperador = host::ValueToString(p.Rows[0][0], host::TFieldType::ftString);
  } catch (...) {
  }
}

int ExecutaGerar(const TGlobais& g, TPedidoGeracao p, bool quiet = false) {
  auto s = Abre(g.db);
  NomeDoOperador(*s);
  TResultadoGeracao r = GerarRemessa(*s, p);
  if (!quiet) {
    std::cout << "Remessa " << r.remessa << " (sequência " << Tela(r.sequencia) << ", " << Tela(r.writer)
              << "): " << r.quantidade << " boleto(s), total " << Dinheiro(r.total) << "\n";
    for (const auto& a : r.arquivos) std::cout << "Arquivo: " << Tela(a) << "\n";
    if (p.todos) {
      int recusados = 0;
      for (const auto& [k, n] : r.recusas) recusados += n;
      std::cout << r.quantidade << " marcado(s), " << recusados << " recusado(s) de " << r.oferecidos
                << " oferecido(s)\n";
      for (size_t i = 0; i < r.recusas.size(); ++i)
        std::cout << "  " << r.recusas[i].second << " x " << Tela(r.motivos[i]) << "\n";
    }
  }
  return 0;
}

int ListaRemessas(const TGlobais& g, TFiltroRemessas filtro) {
  auto s = Abre(g.db);
  NomeDoOperador(*s);
  for (auto* c : {&filtro.empresa, &filtro.dataIni, &filtro.dataFin, &filtro.operadores, &filtro.valorIni,
                  &filtro.valorFin, &filtro.numero, &filtro.clientes, &filtro.docIni, &filtro.docFin,
                  &filtro.emissaoIni, &filtro.emissaoFin, &filtro.vencIni, &filtro.vencFin,
                  &filtro.tiposBaixa, &filtro.contas, &filtro.liquidoIni, &filtro.liquidoFin})
    *c = Utf8ToCp1252(*c);
  host::TClientDataSet ds("cdsCNABRec");
  ds.SetData(app::ListaRemessas(*s, filtro));
  std::cout << std::left << std::setw(8) << "Remessa" << std::setw(18) << "Data" << std::setw(6) << "Conta"
            << std::setw(6) << "Banco" << std::setw(5) << "Op." << std::setw(7) << "Qtde." << std::setw(16)
            << "Valor"
            << "Arquivo\n";
  for (ds.First(); !ds.Eof(); ds.Next()) {
    auto f = [&](const char* n) { return ds.FieldByName(n); };
    std::cout << std::left << std::setw(8) << Tela(f("NRCNABREC").AsString()) << std::setw(18)
              << fields::FormatDateTime("dd/mm/yyyy hh:nn", f("DTCNABREC").AsDateTime()) << std::setw(6)
              << Tela(f("CDREDUCONT").AsString()) << std::setw(6) << Tela(f("CDBANCCNAB").AsString())
              << std::setw(5) << Tela(f("IDOPECNABREC").AsString()) << std::setw(7)
              << f("QTBOLENVCNABREC").AsInteger() << std::setw(16) << Dinheiro(f("VRTOTBOLCNABREC").AsFloat())
              << Tela(f("DSARQCNABREC").AsString()) << "\n";
  }
  return 0;
}

int ListaBoletos(const TGlobais& g, const std::string& empresa, const std::string& remessa) {
  auto s = Abre(g.db);
  const auto a = workspace::ArgsBoletosRemessa(Utf8ToCp1252(empresa), remessa.empty() ? "N" : remessa);
  host::TClientDataSet ds("cdsBoletos");
  ds.SetData(server::CheckResultServ(s->GetBoletos(a)));
  std::cout << std::left << std::setw(17) << "Boleto" << std::setw(12) << "Vencimento" << std::setw(32)
            << "Cliente" << std::setw(15) << "Valor" << std::setw(6) << "Conta" << std::setw(9) << "Remessa"
            << "Situação\n";
  workspace::SetAppServer(s.get());
  workspace::CriaRemessaCNABRec();
  const auto& msg = workspace::frmRemessaCNAB->msgPadrao;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    auto f = [&](const char* n) { return ds.FieldByName(n); };
    std::string situ = f("IDSITUCNABR").AsString();
    std::string texto = msg.Msg(situ.empty() ? "00" : situ);
    if (f("IDBOLRECALTER").AsString() == "3") texto = msg.Msg("BOL_ALTER") + "/" + texto;
    std::string cliente = Tela(fields::LeftStr(f("NMRAZSOCCLIE").AsString(), 30));
    std::cout << std::left << std::setw(17)
              << Tela(f("CDFILIAL").AsString() + "/" + f("NRLANBOLREC").AsString()) << std::setw(12)
              << fields::FormatDateTime("dd/mm/yyyy", f("DTVENBOLREC").AsDateTime()) << cliente
              << std::string(32 - std::min<size_t>(32, fields::Utf8ToCp1252(cliente).size()), ' ')
              << std::setw(15) << Dinheiro(f("VRFINALBREC").AsFloat()) << std::setw(6)
              << Tela(f("CDREDUCONT").AsString()) << std::setw(9) << Tela(f("NRCNABRECREM").AsString())
              << Tela(texto) << "\n";
  }
  workspace::FechaRemessaCNABRec();
  return 0;
}

// The demo's borderô template: kept beside the database, where every
// workstation's report folder fetches it from.
void InstalaModeloDemo(server::TSQLiteRemessaServer& s, const std::string& db) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::absolute(fs::path(db)).parent_path() / "modelos";
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
  s.Database().Exec("UPDATE BANCO SET DSARQBORDBANC = 'BORDERO.QR2' WHERE DSARQBORDBANC IS NULL");
}

// The report folder: the one given, else "relatorios" beside the database.
void PastaRelatorios(const TGlobais& g, const std::string& dada) {
  namespace fs = std::filesystem;
  fs::path dir = dada.empty() ? fs::absolute(fs::path(g.db)).parent_path() / "relatorios" : fs::path(dada);
  std::error_code ec;
  fs::create_directories(dir, ec);
  host::Corvane().ReportDir = Utf8ToCp1252(dir.string());
}

int Init(const TGlobais& g, bool demo) {
  auto s = Abre(g.db, true);
  if (demo) {
    auto n = server::ImportJson(*s, DemoFixture(host::Corvane().Date()));
    InstalaModeloDemo(*s, g.db);
    std::cout << "Dados de demonstração carregados: " << n << " registros.\n";
  }
  std::cout << "Banco de dados pronto: " << g.db << "\n";
  return 0;
}

int Import(const TGlobais& g, const std::string& file) {
  auto s = Abre(g.db);
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error(Utf8ToCp1252("Arquivo não encontrado: " + file));
  std::stringstream ss;
  ss << in.rdbuf();
  auto n = server::ImportJson(*s, ss.str());
  std::cout << n << " registros importados.\n";
  return 0;
}

// The company of a stored batch's command: the one given, else the only one with that batch number.
std::string EmpresaPedida(server::TSQLiteRemessaServer& s, const std::string& dada,
                          const std::string& remessa) {
  if (!dada.empty()) return Utf8ToCp1252(dada);
  std::string e = EmpresaDaRemessa(s, Utf8ToCp1252(remessa));
  if (e.empty())
    throw std::runtime_error(
        Utf8ToCp1252("Remessa " + remessa + " não encontrada em uma só empresa; informe --empresa."));
  return e;
}

void MostraTitulos(const host::TPacket& p) {
  host::TClientDataSet ds("cdsBoletos");
  ds.SetData(p);
  workspace::TfrmRemessaCNAB catalogo;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    auto f = [&](const char* n) { return ds.FieldByName(n).AsString(); };
    std::string situ = f("IDSITUCNABR");
    std::string texto = catalogo.Msg(situ.empty() ? "00" : situ);
    if (f("IDBOLRECALTER") == "3") texto = catalogo.Msg("BOL_ALTER") + "/" + texto;
    std::cout << std::left << std::setw(17) << Tela(f("CDFILIAL") + "/" + f("NRLANBOLREC")) << std::setw(15)
              << Dinheiro(ds.FieldByName("VRFINALBREC").AsFloat()) << Tela(texto) << "\n";
  }
}

int OperaTitulos(const TGlobais& g, const std::string& empresa, TPedidoTitulos p, bool cancelar) {
  auto s = Abre(g.db);
  NomeDoOperador(*s);
  p.empresa = EmpresaPedida(*s, empresa, p.remessa);
  p.remessa = Utf8ToCp1252(p.remessa);
  for (auto& b : p.boletos) b = Utf8ToCp1252(b);
  if (!p.todos && p.boletos.empty()) throw std::runtime_error("Informe --todos ou --boleto FILIAL/NUMERO.");
  host::TPacket depois = cancelar ? CancelaTitulos(*s, p) : AlteraTitulos(*s, p);
  std::cout << "Boletos da remessa " << Tela(p.remessa) << ":\n";
  MostraTitulos(depois);
  return 0;
}

int Bordero(const TGlobais& g, const std::string& empresa, const std::string& remessa,
            const std::string& saida, const std::string& pasta) {
  auto s = Abre(g.db);
  NomeDoOperador(*s);
  PastaRelatorios(g, pasta);
  const std::string e = EmpresaPedida(*s, empresa, remessa);
  const std::string pdf = ImprimeBordero(*s, e, Utf8ToCp1252(remessa), Utf8ToCp1252(saida));
  if (pdf.empty()) {
    std::cout << "Nada impresso.\n";
    return 2;
  }
  std::cout << "Borderô da remessa " << remessa << ": " << Tela(pdf) << "\n";
  return 0;
}

int CountLines(const std::string& path, int& tamanhoOk) {
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

int Demo(TGlobais g) {
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
      "SELECT CDREDUCONT, CDBANCCNAB, CDBANCOCONV, CDBANCO FROM CONTCORR "
      "WHERE CDEMPRESA = '01' AND IDCONTCOBR <> 'S' ORDER BY CDREDUCONT",
      {});
  // The banks that register titles on a collection account get the demo's
  // collection account of their bank.
  auto cobranca = s->ExecuteQuery(
      "SELECT CDBANCO, MIN(CDREDUCONT) FROM CONTCORR WHERE CDEMPRESA = '01' AND IDCONTCOBR = 'S' GROUP BY "
      "CDBANCO",
      {});
  std::map<std::string, std::string> contaCobranca;
  for (const auto& row : cobranca.Rows)
    contaCobranca[host::ValueToString(row[0], host::TFieldType::ftString)] =
        host::ValueToString(row[1], host::TFieldType::ftString);
  s.reset();
  std::cout << std::left << std::setw(6) << "Banco" << std::setw(26) << "Writer" << std::setw(30) << "Arquivo"
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
    p.empresa = "01";
    p.conta = conta;
    const auto cobr = contaCobranca.find(host::ValueToString(row[3], host::TFieldType::ftString));
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
        int n = CountLines(a, ok);
        std::cout << std::left << std::setw(6) << banco << std::setw(26) << r.writer << std::setw(30)
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
  return 0;
}

}  // namespace

int Main(int argc, char** argv) {
  InstalaEscritores();
  CLI::App cli{"remessa: remessas CNAB de boletos (inclusão, exclusão e alteração de títulos no banco)"};
  cli.require_subcommand(1);
  TGlobais g;
  cli.add_option("--db", g.db, "Banco de dados (padrão: remessa.db na pasta atual)");
  cli.add_option("--operador", g.operador, "Código do operador");
  cli.add_option("--data-proc", g.dataProc, "Data de processamento, DD/MM/AAAA");
  cli.add_option("--agora", g.agora, "Fixa o relógio: \"AAAA-MM-DD HH:MM:SS\"");

  bool demoData = false;
  auto* init = cli.add_subcommand("init", "Cria o banco de dados");
  init->add_option("--db", g.db, "Banco de dados");
  init->add_flag("--demo", demoData, "Carrega os dados de demonstração");

  std::string importFile;
  auto* imp = cli.add_subcommand("import", "Importa registros de um arquivo JSON");
  imp->add_option("arquivo", importFile, "Arquivo JSON")->required();

  TPedidoGeracao p;
  std::string op = "I", tipo, filial;
  bool sim = false, nao = false;
  auto* gerar = cli.add_subcommand("gerar", "Gera a remessa de uma conta corrente");
  gerar->add_option("--empresa", p.empresa, "Empresa")->required();
  gerar->add_option("--conta", p.conta, "Conta corrente (código reduzido)")->required();
  gerar->add_option("--conta-cobranca", p.contaCobranca, "Conta cobrança");
  auto* optFilial = gerar->add_option("--filial", filial, "Filial da remessa");
  gerar->add_option("--operacao", op, "I (inclusão), E (exclusão) ou A (alteração)")
      ->check(CLI::IsMember({"I", "E", "A"}));
  gerar->add_option("--tipo", tipo, "cobranca ou desconto")->check(CLI::IsMember({"cobranca", "desconto"}));
  gerar->add_option("--arquivo", p.arquivo, "Arquivo de remessa")->required();
  auto* todos = gerar->add_flag("--todos", p.todos, "Marca todos os boletos que as regras permitem");
  auto* bol = gerar->add_option("--boleto", p.boletos, "Boleto a marcar, FILIAL/NUMERO (repetível)");
  todos->excludes(bol);
  // The sent-titles filter's criteria.
  struct {
    std::string cliente, grupo, docDe, docAte, orcaDe, orcaAte, filOrig, filLanc, emisDe, emisAte, vencDe,
        vencAte, tipoBaixa, valorDe, valorAte, contas, nrRemessa, nrRetorno, carteira, vencAlterado;
    std::vector<std::string> tiposCarteira, situacoes;
  } crit;
  bool usaCriterios = false;
  auto opt = [&](const char* nome, std::string& v, const char* desc) {
    gerar->add_option(nome, v, desc)->group("Filtro de boletos")->each([&](const std::string&) {
      usaCriterios = true;
    });
  };
  opt("--cliente", crit.cliente, "Clientes, separados por vírgula");
  opt("--grupo-cliente", crit.grupo, "Grupos de cliente");
  opt("--documento-de", crit.docDe, "Documento inicial");
  opt("--documento-ate", crit.docAte, "Documento final");
  opt("--orcamento-de", crit.orcaDe, "Orçamento inicial");
  opt("--orcamento-ate", crit.orcaAte, "Orçamento final");
  opt("--filial-origem", crit.filOrig, "Filiais de origem");
  opt("--filial-lancamento", crit.filLanc, "Filiais de lançamento");
  opt("--emissao-de", crit.emisDe, "Emissão inicial, DD/MM/AAAA");
  opt("--emissao-ate", crit.emisAte, "Emissão final, DD/MM/AAAA");
  opt("--vencimento-de", crit.vencDe, "Vencimento inicial, DD/MM/AAAA");
  opt("--vencimento-ate", crit.vencAte, "Vencimento final, DD/MM/AAAA");
  opt("--tipo-baixa", crit.tipoBaixa, "Tipos de baixa");
  opt("--valor-de", crit.valorDe, "Valor líquido inicial");
  opt("--valor-ate", crit.valorAte, "Valor líquido final");
  opt("--contas", crit.contas, "Contas correntes dos boletos");
  opt("--numero-remessa", crit.nrRemessa, "Número da remessa anterior dos boletos");
  opt("--numero-retorno", crit.nrRetorno, "Número do retorno");
  opt("--carteira", crit.carteira, "Número da carteira");
  gerar->add_option("--vencimento-alterado", crit.vencAlterado, "alterado, nao-alterado ou todos")
      ->group("Filtro de boletos")
      ->check(CLI::IsMember({"alterado", "nao-alterado", "todos"}))
      ->each([&](const std::string&) { usaCriterios = true; });
  gerar->add_option("--tipo-carteira", crit.tiposCarteira, "simples, vinculada, caucionada, descontada")
      ->group("Filtro de boletos")
      ->delimiter(',')
      ->check(CLI::IsMember({"simples", "vinculada", "caucionada", "descontada"}))
      ->each([&](const std::string&) { usaCriterios = true; });
  gerar->add_option("--situacao", crit.situacoes, "nao-enviado, retorno-erro, sem-retorno, retorno-ok")
      ->group("Filtro de boletos")
      ->delimiter(',')
      ->check(CLI::IsMember({"nao-enviado", "retorno-erro", "sem-retorno", "retorno-ok"}))
      ->each([&](const std::string&) { usaCriterios = true; });
  auto* fSim = gerar->add_flag("--sim", sim, "Responde Sim às perguntas");
  auto* fNao = gerar->add_flag("--nao", nao, "Responde Não às perguntas");
  fSim->excludes(fNao);

  std::string empresa, remessa;
  TFiltroRemessas filtro;
  auto* rem =
      cli.add_subcommand("remessas", "Lista as remessas da empresa (critérios do filtro de remessas)");
  rem->add_option("--empresa", filtro.empresa, "Empresa")->required();
  rem->add_option("--data-ini", filtro.dataIni, "Data de remessa inicial, DD/MM/AAAA");
  rem->add_option("--data-fin", filtro.dataFin, "Data de remessa final, DD/MM/AAAA");
  rem->add_option("--operadores", filtro.operadores, "Operadores, separados por vírgula");
  rem->add_option("--valor-ini", filtro.valorIni, "Valor da remessa inicial");
  rem->add_option("--valor-fin", filtro.valorFin, "Valor da remessa final (0: sem limite)");
  rem->add_option("--numero", filtro.numero, "Número da remessa");
  rem->add_option("--clientes", filtro.clientes, "Clientes dos boletos, separados por vírgula");
  rem->add_option("--doc-ini", filtro.docIni, "Documento inicial dos boletos");
  rem->add_option("--doc-fin", filtro.docFin, "Documento final dos boletos");
  rem->add_option("--emissao-ini", filtro.emissaoIni, "Emissão inicial dos boletos, DD/MM/AAAA");
  rem->add_option("--emissao-fin", filtro.emissaoFin, "Emissão final dos boletos, DD/MM/AAAA");
  rem->add_option("--venc-ini", filtro.vencIni, "Vencimento inicial dos boletos, DD/MM/AAAA");
  rem->add_option("--venc-fin", filtro.vencFin, "Vencimento final dos boletos, DD/MM/AAAA");
  rem->add_option("--tipos-baixa", filtro.tiposBaixa, "Tipos de baixa dos boletos, separados por vírgula");
  rem->add_option("--contas", filtro.contas, "Contas correntes, separadas por vírgula");
  rem->add_option("--liquido-ini", filtro.liquidoIni, "Valor líquido inicial dos boletos");
  rem->add_option("--liquido-fin", filtro.liquidoFin, "Valor líquido final dos boletos (0: sem limite)");

  TPedidoTitulos titulos;
  auto addTitulos = [&](CLI::App* c) {
    c->add_option("--empresa", empresa, "Empresa (padrão: a única com essa remessa)");
    c->add_option("--remessa", titulos.remessa, "Número da remessa")->required();
    auto* t = c->add_flag("--todos", titulos.todos, "Marca todos os boletos da remessa");
    auto* b = c->add_option("--boleto", titulos.boletos, "Boleto a marcar, FILIAL/NUMERO (repetível)");
    t->excludes(b);
    auto* s1 = c->add_flag("--sim", sim, "Responde Sim às perguntas");
    auto* n1 = c->add_flag("--nao", nao, "Responde Não às perguntas");
    s1->excludes(n1);
  };
  auto* alt = cli.add_subcommand("alterar", "Permite alteração dos boletos de uma remessa");
  addTitulos(alt);
  auto* can = cli.add_subcommand("cancelar", "Cancela boletos de uma remessa (tira-os da remessa)");
  addTitulos(can);

  std::string saida, pastaRel;
  auto* bord = cli.add_subcommand("bordero", "Imprime o borderô de uma remessa em PDF");
  bord->add_option("--empresa", empresa, "Empresa (padrão: a única com essa remessa)");
  bord->add_option("--remessa", remessa, "Número da remessa")->required();
  bord->add_option("--saida", saida, "Arquivo PDF (padrão: na pasta de relatórios)");
  bord->add_option("--relatorios", pastaRel,
                   "Pasta de relatórios (padrão: relatorios/ junto ao banco de dados)");
  auto* bNao = bord->add_flag("--nao", nao, "Responde Não à pergunta de impressão");
  (void)bNao;
  auto* bols = cli.add_subcommand("boletos", "Lista os boletos da empresa ou de uma remessa");
  bols->add_option("--empresa", empresa, "Empresa")->required();
  bols->add_option("--remessa", remessa, "Número da remessa");

  auto* demo = cli.add_subcommand("demo", "Gera as remessas de demonstração em demo-out/");

  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return cli.exit(e);
  }

  std::optional<bool> resposta;
  if (sim) resposta = true;
  if (nao) resposta = false;
  // Asking for the borderô is the answer to "print it?".
  if (*bord && !nao) resposta = true;
  TTerminalUI ui(resposta);
  host::SetUI(&ui);
  try {
    AplicaContexto(g);
    if (*init) return Init(g, demoData);
    if (*imp) return Import(g, importFile);
    if (*rem) return ListaRemessas(g, filtro);
    if (*alt) return OperaTitulos(g, empresa, titulos, false);
    if (*can) return OperaTitulos(g, empresa, titulos, true);
    if (*bord) return Bordero(g, empresa, remessa, saida, pastaRel);
    if (*bols) return ListaBoletos(g, empresa, remessa);
    if (*demo) return Demo(g);
    if (*gerar) {
      p.operacao = op[0];
      if (!tipo.empty()) p.cobranca = tipo == "cobranca";
      if (optFilial->count() > 0) p.filial = filial;
      for (auto* s : {&p.empresa, &p.conta, &p.contaCobranca, &p.arquivo}) *s = Utf8ToCp1252(*s);
      for (auto& b : p.boletos) b = Utf8ToCp1252(b);
      if (p.filial) p.filial = Utf8ToCp1252(*p.filial);
      if (usaCriterios)
        p.criterios = [&crit](filters::TFiltroBoletos& f) {
          auto w = [](const std::string& v) { return Utf8ToCp1252(v); };
          auto lista = [&](const std::string& v, bool& l, std::string& alvo) {
            if (v.empty()) return;
            l = true;
            alvo = w(v);
          };
          lista(crit.cliente, f.listClie, f.stListClie);
          lista(crit.grupo, f.listGrupClie, f.stGrupClie);
          lista(crit.filOrig, f.listFiliOrig, f.stFiliOrig);
          lista(crit.filLanc, f.listFiliLanc, f.stFiliLanc);
          lista(crit.tipoBaixa, f.listFRec, f.stListFRec);
          lista(crit.contas, f.listCCorr, f.stListCCorr);
          auto texto = [&](const std::string& v, std::string& alvo) {
            if (!v.empty()) alvo = w(v);
          };
          texto(crit.docDe, f.docIni);
          texto(crit.docAte, f.docFin);
          texto(crit.orcaDe, f.orcaDe);
          texto(crit.orcaAte, f.orcaAte);
          texto(crit.emisDe, f.dtIniEmi);
          texto(crit.emisAte, f.dtFinEmi);
          texto(crit.vencDe, f.dtIniVen);
          texto(crit.vencAte, f.dtFinVen);
          texto(crit.valorDe, f.vrLiqIni);
          texto(crit.valorAte, f.vrLiqFin);
          texto(crit.nrRemessa, f.nrRemessa);
          texto(crit.nrRetorno, f.nrRetorno);
          texto(crit.carteira, f.numCart);
          if (!crit.vencAlterado.empty()) {
            f.alterado = crit.vencAlterado == "alterado";
            f.naoAlterado = crit.vencAlterado == "nao-alterado";
            f.vencTodos = crit.vencAlterado == "todos";
          }
          for (const auto& t : crit.tiposCarteira) {
            f.simples |= t == "simples";
            f.vinculada |= t == "vinculada";
            f.caucionada |= t == "caucionada";
            f.descontada |= t == "descontada";
          }
          for (const auto& t : crit.situacoes) {
            f.naoEnviado |= t == "nao-enviado";
            f.envRetoErro |= t == "retorno-erro";
            f.envRetoSemErro |= t == "sem-retorno";
            f.envRetoOK |= t == "retorno-ok";
          }
        };
      if (!p.todos && p.boletos.empty())
        throw std::runtime_error("Informe --todos ou --boleto FILIAL/NUMERO.");
      return ExecutaGerar(g, p);
    }
  } catch (const host::EAbort&) {
    ui.HideProgress();
    std::cerr << "Operação cancelada; nada foi gravado.\n";
    return 2;
  } catch (const std::exception& e) {
    ui.HideProgress();
    std::cerr << Tela(e.what()) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace app
