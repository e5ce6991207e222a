// Timed program: builds a store of N titles for company 01 and account 001,
// then runs one step of a remittance and prints its time, rate and peak
// resident memory. Usage: remessa_bench BANK N STEP [--header]
//   STEP: listing | mark | unmark | generation
// Each step is meant to run in its own process so that peaks stay apart.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "app/escritores.h"
#include "app/operador.h"
#include "fields/datetime.h"
#include "host/context.h"
#include "host/messages.h"
#include "host/staging.h"
#include "layouts/catalogue.h"
#include "server/import.h"
#include "server/pg_server.h"
#include "server/sqlite_server.h"
#include "workspace/form.h"

namespace {

const char* const kBase = R"({
  "EMPRESA": [{"CDEMPRESA": "01", "NMEMPRESA": "Empresa Teste", "IDTPIJUREMPR": "J",
               "NRINSJUREMPR": "12.345.678/0001-95", "NMRAZSOCEMPR": "Empresa Teste Comércio Ltda"}],
  "MUNICIPIO": [{"CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550", "NMMUNICIPIO": "São Paulo"}],
  "FILIAL": [{"CDFILIAL": "0001", "CDEMPRESA": "01", "NMFILIAL": "Matriz", "IDTPIJURFILI": "J",
              "NRINSJURFILI": "12.345.678/0001-95", "NMRAZSOCFILI": "Filial Matriz Comércio Ltda"}],
  "ENDEFILI": [{"CDFILIAL": "0001", "IDTPENDEFILI": "P", "CDPAIS": "1058", "SGESTADO": "SP", "CDMUNICIPIO": "3550",
                "DSENDEFILI": "Av. Paulista, 1000", "NMBAIRFILI": "Bela Vista", "NRCEPFILI": "01310-100"}],
  "OPERADOR": [{"CDOPERADOR": "ADMIN", "NMOPERADOR": "Administrador", "IDALTBOLREM": "S", "IDCANBOLREM": "S"}],
  "OPEREMPR": [{"CDOPERADOR": "ADMIN", "CDEMPRESA": "01"}]
})";

constexpr int kClientes = 500;

// The bank, its account "001" and, for the banks that read them, the
// company's parameters at the bank and a collection account "002".
std::string conta_json(const std::string& banco, const layouts::TEscritor& e) {
  nlohmann::json j;
  j["BANCO"] = {{{"CDBANCO", banco},
                 {"NMBANCO", banco == "237"   ? "BRADESCO"
                             : banco == "001" ? "BANCO DO BRASIL"
                                              : "BANCO " + banco},
                 {"CDPICTAGEN", "9999-9"},
                 {"CDPICTCONT", banco == "237" ? "9999999-9" : "99999999-9"}}};
  j["CONTCORR"] = {{{"CDREDUCONT", "001"},
                    {"CDEMPRESA", "01"},
                    {"CDBANCO", banco},
                    {"CDAGENCIA", "1234"},
                    {"CDCONTCORR", "0012345"},
                    {"DSCONTCORR", "Conta"},
                    {"CDBANCCNAB", banco},
                    {"CDBANCOCONV", banco},
                    {"NRAUTCNABDES", "0042"},
                    {"CDFILIAL", "0001"},
                    {"DSNOSNUMCORR", "[SEQ11]"}}};
  // Bradesco and Banco do Brasil keep the store their figures were first taken on.
  if (banco != "237" && banco != "001") {
    j["CONTCORR"][0]["CDCEDENTEBAN"] = "1234567";
    j["EMPRBANC"] = {{{"CDEMPRESA", "01"},
                      {"CDBANCO", banco},
                      {"CDEMPBANCREC", "4567890"},
                      // Banco Rural reads its portfolio from the code's last but one digit.
                      {"CDCARTCOBR", banco == "453" || banco == "749" ? "119" : "109"},
                      {"NRVARIACARTCOB", "019"},
                      {"IDPADRCNABREC", std::string(e.nome) == "Remessa_BcoCaixa_SIGCB" ? "2" : "1"},
                      {"IDCARTCOBR", "1"}}};
  }
  if (e.contaCobranca)
    j["CONTCORR"].push_back({{"CDREDUCONT", "002"},
                             {"CDEMPRESA", "01"},
                             {"CDBANCO", banco},
                             {"CDAGENCIA", "4321"},
                             {"CDCONTCORR", "0098765"},
                             {"DSCONTCORR", "Cobrança"},
                             {"CDBANCCNAB", banco},
                             {"IDCONTCOBR", "S"}});
  return j.dump();
}

std::string num(long v, int width) {
  std::string s = std::to_string(v);
  return s.size() < static_cast<size_t>(width) ? std::string(width - s.size(), '0') + s : s;
}

// Due dates spread over the days after the fixed processing date, inside the
// sent-titles filter's default window.
std::string vencimento(int i) {
  static const int dias[] = {31, 28, 31, 30, 31};  // 2027-01 .. 2027-05
  int d = i % 140;
  if (d < 20) return "2026-12-" + num(10 + d, 2);
  d -= 20;
  for (int m = 0; m < 5; ++m) {
    if (d < dias[m]) return "2027-" + num(m + 1, 2) + "-" + num(d + 1, 2);
    d -= dias[m];
  }
  return "2027-05-31";
}

void popula(server::TRemessaServer& s, server::store::Db& db, const std::string& banco,
            const layouts::TEscritor& e, int n) {
  server::ImportJson(s, kBase);
  server::ImportJson(s, conta_json(banco, e));
  // Banco Real takes no title of a company whose stored tax id is longer
  // than the 14 digits of a CNPJ.
  if (banco == "275" || banco == "356") db.Exec("UPDATE EMPRESA SET NRINSJUREMPR = '12345678000195'");
  db.Exec("BEGIN");
  {
    auto cli = db.Prepare(
        "INSERT INTO CLIENTE (CDCLIENTE, NMRAZSOCCLIE, NMFANTCLIE, IDTPIJURCLIE, NRINSJURCLIE) VALUES "
        "(?,?,?,?,?)");
    auto end = db.Prepare(
        "INSERT INTO ENDECLIE (CDCLIENTE, IDTPENDECLIE, CDPAIS, SGESTADO, CDMUNICIPIO, DSENDECLIE, "
        "NMBAIRCLIE, "
        "NRCEPCLIE) VALUES (?, 'C', '1058', 'SP', '3550', ?, ?, ?)");
    for (int c = 0; c < kClientes; ++c) {
      const std::string cd = "C" + std::to_string(c);
      const bool pj = c % 3 != 0;
      cli.BindAll({cd, "Cliente Número " + std::to_string(c) + (pj ? " Comércio Ltda" : ""),
                   "Fantasia " + std::to_string(c), std::string(pj ? "J" : "F"),
                   pj ? "98.765." + num(c, 3) + "/0001-10" : "123.456." + num(c, 3) + "-09"});
      cli.Step();
      cli.Reset();
      end.BindAll({cd, "Rua das Acácias, " + std::to_string(c + 1), "Centro", "01001-" + num(c, 3)});
      end.Step();
      end.Reset();
    }
    auto bol = db.Prepare(
        "INSERT INTO BOLETOREC (CDFILIAL, NRLANBOLREC, CDEMPRESA, CDCLIENTE, CDREDUCONT, DTVENBOLREC, "
        "DTEMISBOLREC, VRFINALBREC, IDSITUCNABR, CDNOSNUMREC, CDCARTCOBBOL, IDCARTCOBREC, IDIMPRBOLBOL, "
        "CDFILIBOLREC, DOCUMENTO, VRPEMULBREC, VRPEMORBREC, QTDIAPROTBOL, CDINS1COBBOL, NRPARCBOLREC, "
        "IDFORMCADBREC) "
        "VALUES ('0001', ?, '01', ?, '001', ?, '2026-12-01', ?, '00', ?, '09', '1', 'E', '0001', ?, ?, ?, ?, "
        "?, ?, '1')");
    auto lic = db.Prepare(
        "INSERT INTO LICENCAUSO (CDFILIAL, NRLANBOLREC, IDTPIJURLUSO, NRINSJURLUSO, NMRAZSOCLUSO, "
        "NMFANTLUSO, "
        "DSENDELUSO, NMBAIRLUSO, NRCEPLUSO, NMMUNICIPIO, SGESTADO) VALUES ('0001', ?, 'J', ?, ?, "
        "'Licenciada', "
        "'Rua da Licença, 10', 'Jardins', '04001-000', 'São Paulo', 'SP')");
    auto nf = db.Prepare(
        "INSERT INTO NOTAFISCAL (CDFILIAL, NRLANCTONF, NRNOTAFISC, CDSERIE, VRNOTAFISC, DTEMISSAO, "
        "CDFILIRECE) "
        "VALUES ('0001', ?, ?, '1', ?, '2026-12-01', '0001')");
    auto dup = db.Prepare(
        "INSERT INTO DUPLICATA (CDFILIAL, NRLANBOLREC, DUPLICATA, NRPARCELA, DTEMISSAO, CDFILINF, "
        "NRLANCTONF) "
        "VALUES ('0001', ?, ?, ?, '2026-12-01', '0001', ?)");
    auto tx = db.Prepare("INSERT INTO TXBOLETO (CDFILIAL, NRLANBOLREC, TXMENSBOLBOL) VALUES ('0001', ?, ?)");
    auto ins = db.Prepare(
        "INSERT INTO INSTRUBOL (CDBANCO, CDFILIAL, NRLANBOLREC, INSTRU1, INSTRU2) VALUES (?, '0001', ?, ?, "
        "?)");
    // A nosso número with Bradesco's check digit "P" after a dash stands in
    // Bradesco's and BB's stores, and Daycoval's, which sends the number
    // before the dash; the other banks read theirs as digits only, and the
    // narrowest field for it holds eight.
    const bool comDigito = banco == "237" || banco == "001" || banco == "707";
    for (int i = 1; i <= n; ++i) {
      const std::string nr = std::to_string(i);
      const double valor = 50.0 + (i * 7919 % 500000) / 100.0;
      bol.BindAll({nr, "C" + std::to_string(i % kClientes), vencimento(i), valor,
                   comDigito ? num(i, 11) + "-P" : num(i, 8), num(i, 8),
                   i % 4 == 0 ? host::Value(2.0) : host::Value(),
                   i % 4 == 0 ? host::Value(1.0) : host::Value(),
                   i % 10 == 0 ? host::Value(5.0) : host::Value(), std::string(i % 10 == 0 ? "06" : "00"),
                   std::string("1")});
      bol.Step();
      bol.Reset();
      if (i % 5 == 0) {
        lic.BindAll({nr, "11.222.333/0001-" + num(i % 100, 2), "Licenciada Número " + nr + " S.A."});
        lic.Step();
        lic.Reset();
      }
      if (i % 2 == 0) {
        nf.BindAll({nr, "NF" + nr, valor});
        nf.Step();
        nf.Reset();
        dup.BindAll({nr, "D" + nr, std::string("01"), nr});
        dup.Step();
        dup.Reset();
      }
      if (i % 3 == 0) {
        tx.BindAll({nr, "Não receber após o vencimento.\nTítulo " + nr + " referente à nota fiscal."});
        tx.Step();
        tx.Reset();
      }
      if (i % 10 == 0) {
        ins.BindAll({banco, nr, std::string("Cobrar juros de mora"), std::string("Protestar após 5 dias")});
        ins.Step();
        ins.Reset();
      }
    }
  }
  db.Exec("COMMIT");
}

long peak_kb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// Resets the peak to the current resident size, so that the figure read after
// a step is that step's own peak.
void reset_peak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
}

// Under `perf record -D -1 --control fd:CTL,ACK`, REMESSA_BENCH_PERF_FD=CTL
// lets the profile cover the timed step only, not the store's population.
void perf_ctl(const char* cmd) {
  const char* fd = std::getenv("REMESSA_BENCH_PERF_FD");
  if (!fd) return;
  const int f = std::atoi(fd);
  if (write(f, cmd, std::char_traits<char>::length(cmd)) < 0) return;
  if (const char* ack = std::getenv("REMESSA_BENCH_PERF_ACK")) {
    char buf[8];
    if (read(std::atoi(ack), buf, sizeof buf) < 0) return;
  }
}

// Processor time of every thread of the process: on a shared machine it
// varies less than the clock, and it shows how much of both cores a step used.
double cpu() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return s(u.ru_utime) + s(u.ru_stime);
}

double agora() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double cpu0 = 0, cpuPasso = 0;

void inicio(double& t0) {
  reset_peak();
  perf_ctl("enable\n");
  cpu0 = cpu();
  t0 = agora();
}

void fim(double& t1, long& pico) {
  t1 = agora();
  cpuPasso = cpu() - cpu0;
  perf_ctl("disable\n");
  pico = peak_kb();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--writers") {
    for (const auto& e : layouts::Catalogo()) std::printf("%s\n", e.nome);
    return 0;
  }
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: %s BANK|WRITER N listing|mark|unmark|generation [--header]\n       %s --writers\n",
                 argv[0], argv[0]);
    return 2;
  }
  // A writer by its name, or the one a bank code dispatches to; a writer the
  // dispatcher never calls is run on the batch as the run would hand it over.
  const std::string rotulo = argv[1];
  const layouts::TEscritor* escritor =
      rotulo.rfind("Remessa_", 0) == 0 ? layouts::Escritor(rotulo) : layouts::Despacha(rotulo, rotulo);
  if (!escritor) {
    std::fprintf(stderr, "no writer for %s\n", rotulo.c_str());
    return 2;
  }
  const std::string bancos = escritor->bancos;
  const bool despachado = !bancos.empty();
  const std::string banco = despachado ? bancos.substr(0, bancos.find(' ')) : "756";
  const int n = std::atoi(argv[2]);
  const std::string passo = argv[3];
  if (argc > 4 && std::string(argv[4]) == "--header")
    std::printf("%-24s %8s %-11s %9s %12s %8s %8s\n", "writer", "N", "step", "seconds", "titles/s", "peak MB",
                "cpu s");

  char tmpl[] = "/tmp/remessa-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::string dir = tmpl;
  int rc = 0;
  const char* pg = std::getenv("REMESSA_BENCH_PG");
  if (pg && !*pg) pg = nullptr;
  const std::string bancoPg = "remessa_bench_" + std::to_string(getpid());
  try {
    host::TScriptedUI ui(true);
    host::SetUI(&ui);
    auto& c = host::Corvane();
    c.Operador = "ADMIN";
    c.NomeOperador = "Administrador";
    c.FiliProc = "0001";
    c.FixClock(fields::EncodeDate(2026, 12, 8) + fields::EncodeTime(10, 30, 0));
    c.SetDataProc(fields::EncodeDate(2026, 12, 8));

    // REMESSA_BENCH_PG=conninfo runs the steps on a database of the bench's
    // own on that PostgreSQL server, dropped afterwards.
    std::unique_ptr<server::TRemessaServer> loja;
    if (pg) {
      server::pg::Db admin;
      admin.Open(pg);
      admin.Exec("DROP DATABASE IF EXISTS " + bancoPg + " WITH (FORCE)");
      admin.Exec("CREATE DATABASE " + bancoPg);
      auto s = std::make_unique<server::TPgRemessaServer>(pg, bancoPg);
      popula(*s, s->Database(), banco, *escritor, n);
      loja = std::move(s);
    } else {
      auto s = std::make_unique<server::TSQLiteRemessaServer>(dir + "/store.db", true);
      popula(*s, s->Database(), banco, *escritor, n);
      loja = std::move(s);
    }
    auto& server = *loja;

    app::TPedidoGeracao p;
    p.empresa = "01";
    p.conta = "001";
    p.operacao = 'I';
    p.cobranca = true;
    p.arquivo = dir + "/remessa.txt";
    p.todos = true;
    if (escritor->contaCobranca) p.contaCobranca = "002";

    server.Connect();
    app::InstalaEscritores();
    workspace::SetAppServer(&server);
    workspace::CriaRemessaCNABRec();
    auto& f = *workspace::frmRemessaCNAB;

    double t0 = 0, t1 = 0;
    long pico = 0;
    int listados = 0;
    if (passo == "listing") {
      inicio(t0);
      app::PreparaRemessa(f, p);
      fim(t1, pico);
      listados = f.cdsBoletos.RecordCount();
    } else {
      app::PreparaRemessa(f, p);
      listados = f.cdsBoletos.RecordCount();
      if (passo == "mark") {
        inicio(t0);
        auto recusas = f.MarcaTodos(false);
        fim(t1, pico);
        for (const auto& [k, q] : recusas) std::fprintf(stderr, "refused %s: %d\n", k.c_str(), q);
      } else if (passo == "unmark") {
        // Marking all again once some are marked takes every mark off.
        f.MarcaTodos(false);
        inicio(t0);
        f.MarcaTodos(false);
        fim(t1, pico);
        if (f.BoletosMarcados.Count() != 0) throw std::runtime_error("titles left marked");
      } else if (passo == "generation") {
        f.MarcaTodos(false);
        std::string escrito = layouts::NomeDoArquivo(*escritor, p.arquivo);
        inicio(t0);
        if (despachado) {
          f.sbtConfirmarClick();
        } else {
          layouts::TRemessa remessa = app::RemessaDoForm(f);
          escritor->escreve(remessa, *app::TitulosDoForm(f), true);
          escrito = host::StagingName(p.arquivo);
        }
        fim(t1, pico);
        struct stat st {};
        if (stat(escrito.c_str(), &st) != 0 || st.st_size == 0)
          throw std::runtime_error("no remittance file");
        host::TOutputStage::Current().Discard();
      } else {
        throw std::runtime_error("unknown step " + passo);
      }
    }
    if (listados != n) std::fprintf(stderr, "warning: %d of %d titles listed\n", listados, n);
    const double dt = t1 - t0;
    std::printf("%-24s %8d %-11s %9.3f %12.0f %8.1f %8.3f%s\n", escritor->nome, n, passo.c_str(), dt, n / dt,
                pico / 1024.0, cpuPasso, pg ? "  pg" : "");
    workspace::FechaRemessaCNABRec();
    host::SetUI(nullptr);
    workspace::SetAppServer(nullptr);
    loja.reset();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s %d %s failed: %s\n", escritor->nome, n, passo.c_str(), e.what());
    rc = 1;
  }
  if (pg) try {
      server::pg::Db admin;
      admin.Open(pg);
      admin.Exec("DROP DATABASE IF EXISTS " + bancoPg + " WITH (FORCE)");
    } catch (const std::exception& e) {
      std::fprintf(stderr, "could not drop %s: %s\n", bancoPg.c_str(), e.what());
      rc = 1;
    }
  // REMESSA_BENCH_KEEP=1 leaves the store behind for a look at its plans.
  if (std::getenv("REMESSA_BENCH_KEEP")) {
    std::fprintf(stderr, "store kept in %s\n", dir.c_str());
  } else {
    const std::string cmd = "rm -rf '" + dir + "'";
    if (std::system(cmd.c_str()) != 0) rc = 1;
  }
  return rc;
}
