#include "app/commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/arquivo.h"
#include "app/cli_common.h"
#include "app/demo.h"
#include "app/escritores.h"
#include "app/listings.h"
#include "app/lotes.h"
#include "app/operador.h"
#include "app/retorno.h"
#include "app/simulacao.h"
#include "app/terminal_ui.h"
#include "app/ver.h"
#include "app/web/servidor.h"
#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "filters/sent_titles_filter.h"
#include "host/context.h"
#include "host/messages.h"
#include "host/report.h"
#include "server/import.h"
#include "server/pg_sql.h"
#include "server/sqlite_server.h"
#include "workspace/form.h"

namespace app {
namespace {

using fields::Cp1252ToUtf8;
using fields::Utf8ToCp1252;

int ExecutaGerar(const TGlobais& g, TPedidoGeracao p, bool resumo, bool simular) {
  std::unique_ptr<TSimulacao> simulacao;
  std::unique_ptr<server::TRemessaServer> s;
  if (simular) {
    RecuperaArquivos(*Abre(g.db), p.arquivo);
    simulacao = std::make_unique<TSimulacao>(g.db, p.arquivo);
    p.arquivoSimulado = simulacao->Arquivo();
    s = simulacao->Abre();
  } else {
    s = Abre(g.db);
    RecuperaArquivos(*s, p.arquivo);
  }
  NomeDoOperador(*s);
  TResultadoGeracao r = GerarRemessa(*s, p);
  if (simulacao) {
    simulacao->Verifica(r.arquivos);
    for (auto& a : r.arquivos) a = simulacao->NoLugar(a);
    std::cout << "Simulação: nada foi gravado.\n";
  }
  {
    std::cout << "Remessa " << r.remessa << " (sequência " << Tela(r.sequencia) << ", " << Tela(r.writer)
              << "): " << r.quantidade << " boleto(s), total " << Dinheiro(r.total) << "\n";
    for (const auto& a : r.arquivos) std::cout << "Arquivo: " << Tela(a) << "\n";
    if (p.todos) {
      int recusados = 0;
      for (const auto& [k, n] : r.recusas) recusados += n;
      std::cout << r.quantidade << " marcado(s), " << recusados << " recusado(s) de " << r.oferecidos
                << " oferecido(s)\n";
      // By reason, in the catalogue's words, each refused title under its reason.
      for (size_t i = 0; i < r.recusas.size(); ++i) {
        std::cout << "  " << r.recusas[i].second << " x " << Celula(r.motivos[i]) << "\n";
        if (resumo) continue;
        for (const auto& [titulo, chave] : r.recusados)
          if (chave == r.recusas[i].first) std::cout << "      " << Celula(titulo) << "\n";
      }
    }
  }
  return 0;
}

// The report folder: the one given, else "relatorios" beside the database.
void PastaRelatorios(const TGlobais& g, const std::string& dada) {
  namespace fs = std::filesystem;
  fs::path dir = !dada.empty() ? fs::path(dada) : PastaDoBanco(g.db) / "relatorios";
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
  // A connection string may carry a password: it is never printed.
  std::cout << "Banco de dados pronto: " << server::pg::SemSenha(g.db) << "\n";
  return 0;
}

int Import(const TGlobais& g, const std::string& file) {
  auto s = Abre(g.db);
  auto n = server::ImportJson(*s, LeArquivo(file));
  std::cout << n << " registros importados.\n";
  return 0;
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

}  // namespace

int Main(int argc, char** argv) {
  InstalaEscritores();
  CLI::App cli{"remessa: remessas CNAB de boletos (inclusão, exclusão e alteração de títulos no banco)"};
  cli.require_subcommand(1);
  TGlobais g;
  // A workstation names its store once, in the environment; --db still wins.
  if (const char* e = std::getenv("REMESSA_DB"); e && *e) g.db = e;
  cli.add_option("--db", g.db, "Banco de dados (padrão: $REMESSA_DB, ou remessa.db na pasta atual)");
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
  bool resumo = false, simular = false;
  gerar->add_flag("--resumo", resumo, "Com --todos, só as contagens das recusas, sem os boletos");
  gerar->add_flag("--simular", simular, "Faz tudo o que a geração faz, sem gravar nada nem deixar arquivo");

  std::string empresaArq, remessaArq, saidaArq;
  auto* arq = cli.add_subcommand("arquivo", "Grava de novo o arquivo guardado com uma remessa");
  arq->add_option("--empresa", empresaArq, "Empresa (padrão: a única com essa remessa)");
  arq->add_option("--remessa", remessaArq, "Número da remessa")->required();
  arq->add_option("--saida", saidaArq, "Arquivo (padrão: o caminho em que a remessa o gravou)");
  arq->add_flag("--sim", sim, "Responde Sim à pergunta")
      ->excludes(arq->add_flag("--nao", nao, "Responde Não à pergunta"));

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

  bool documentos = false;
  bols->add_flag("--documentos", documentos, "Mostra as notas fiscais de cada boleto");

  auto* emps = cli.add_subcommand("empresas", "Lista as empresas do operador");
  auto* contas = cli.add_subcommand("contas", "Lista as contas correntes da empresa e o writer de cada uma");
  contas->add_option("--empresa", empresa, "Empresa")->required();
  auto* fils = cli.add_subcommand("filiais", "Lista as filiais da empresa");
  fils->add_option("--empresa", empresa, "Empresa")->required();

  auto* demo = cli.add_subcommand("demo", "Gera as remessas de demonstração em demo-out/");

  std::string arquivoVer;
  auto* ver = cli.add_subcommand("ver", "Mostra o que um arquivo de remessa contém e as falhas que tem");
  ver->add_option("arquivo", arquivoVer, "Arquivo de remessa")->required();

  TPedidoRetorno pedRet;
  auto* ret = cli.add_subcommand("retorno", "Lê o arquivo retorno do banco e aplica-o aos boletos");
  ret->add_option("arquivo", pedRet.arquivo, "Arquivo retorno")->required();
  ret->add_option("--empresa", pedRet.empresa, "Empresa (padrão: a da conta que o arquivo nomeia)");
  ret->add_option("--conta", pedRet.conta, "Conta corrente (padrão: a que o cabeçalho do arquivo nomeia)");
  ret->add_flag("--simular", pedRet.simular, "Mostra o que o arquivo faria, sem gravar nada");
  ret->add_flag("--parcial", pedRet.parcial,
                "Aplica o que corresponde a boletos e lista o resto (padrão: tudo ou nada)");
  std::string numRet;
  auto* rets = cli.add_subcommand("retornos", "Lista os arquivos retorno lidos da empresa");
  rets->add_option("--empresa", empresa, "Empresa")->required();
  rets->add_option("--retorno", numRet, "Número do retorno: mostra suas ocorrências");

  TOpcoesWeb web;
  auto* webCmd = cli.add_subcommand("web", "Abre a tela da remessa no navegador (servidor local)");
  webCmd->add_option("--porta", web.porta, "Porta (padrão: 8080; 0: uma porta livre)")
      ->check(CLI::Range(0, 65535));
  webCmd->add_option("--endereco", web.endereco,
                     "Endereço em que o servidor atende (padrão: 127.0.0.1; outro exige o token de acesso)");

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
    if (*rem) return ComandoRemessas(g, filtro);
    if (*alt) return OperaTitulos(g, empresa, titulos, false);
    if (*can) return OperaTitulos(g, empresa, titulos, true);
    if (*bord) return Bordero(g, empresa, remessa, saida, pastaRel);
    if (*bols) return ComandoBoletos(g, empresa, remessa, documentos);
    if (*emps) return ComandoEmpresas(g);
    if (*contas) return ComandoContas(g, empresa);
    if (*fils) return ComandoFiliais(g, empresa);
    if (*demo) return ComandoDemo(g);
    if (*ver) return ComandoVer(arquivoVer);
    if (*ret) return ComandoRetorno(g, pedRet);
    if (*rets) return ComandoRetornos(g, empresa, numRet);
    if (*arq) return ComandoArquivo(g, empresaArq, remessaArq, saidaArq);
    if (*webCmd) return ComandoWeb(g, web);
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
      return ExecutaGerar(g, p, resumo, simular);
    }
  } catch (const host::EAbort&) {
    ui.HideProgress();
    std::cerr << "Operação cancelada; nada foi gravado.\n";
    return 2;
  } catch (const std::exception& e) {
    ui.HideProgress();
    std::cerr << Tela(TextoDaFalha(e)) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace app
