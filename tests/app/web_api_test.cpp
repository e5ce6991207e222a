// `remessa web` from outside: a running server, its JSON API called as the
// page calls it.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <thread>

namespace {

using nlohmann::json;

struct Resposta {
  int status = 0;
  json corpo;
  std::string bruto;
};

// A server on a demo store of its own, on a free port, the clock fixed.
class Servidor {
 public:
  explicit Servidor(const std::string& endereco = "127.0.0.1") {
    char tmpl[] = "/tmp/remessa-web-test-XXXXXX";
    EXPECT_TRUE(mkdtemp(tmpl));
    dir = tmpl;
    const std::string init = "cd '" + dir + "' && '" REMESSA_BINARY "' --db r.db init --demo >/dev/null";
    EXPECT_EQ(std::system(init.c_str()), 0);
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(dir.c_str()) != 0) _exit(126);
      FILE* out = freopen("out.txt", "w", stdout);
      (void)out;
      execl(REMESSA_BINARY, REMESSA_BINARY, "--agora", "2026-12-08 10:30:00", "--db", "r.db", "web",
            "--porta", "0", "--endereco", endereco.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::regex re(R"(http://[^:]+:(\d+)/(\?token=([0-9a-f]+))?)");
    for (int i = 0; i < 200 && porta == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      std::ifstream in(dir + "/out.txt");
      std::string linha;
      std::getline(in, linha);
      std::smatch m;
      if (std::regex_search(linha, m, re)) {
        porta = std::stoi(m[1]);
        token = m[3];
      }
    }
    EXPECT_NE(porta, 0) << "the server printed no address";
  }
  ~Servidor() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
  }
  std::string dir, token;
  int porta = 0;

 private:
  pid_t pid_ = -1;
};

// One browser tab: its session and its token, sent as the page sends them.
class Aba {
 public:
  explicit Aba(Servidor& s, const std::string& operador = "ADMIN") : s_(s), c_("127.0.0.1", s.porta) {
    c_.set_read_timeout(60, 0);
    auto r = Post("sessao", {{"operador", operador}});
    sessao = r.corpo.value("sessao", "");
    csrf = r.corpo.value("csrf", "");
  }
  httplib::Headers Cabecalhos() const {
    httplib::Headers h;
    if (!sessao.empty()) h.emplace("X-Sessao", sessao), h.emplace("X-CSRF", csrf);
    if (!s_.token.empty()) h.emplace("X-Token", s_.token);
    return h;
  }
  Resposta Post(const std::string& caminho, const json& corpo, httplib::Headers h = {}) {
    return PostBruto(caminho, corpo.dump(), "application/json", h.empty() ? Cabecalhos() : h);
  }
  Resposta PostBruto(const std::string& caminho, const std::string& corpo, const std::string& tipo,
                     const httplib::Headers& h) {
    return De(c_.Post(("/api/" + caminho).c_str(), h, corpo, tipo.c_str()));
  }
  Resposta Get(const std::string& caminho, httplib::Headers h = {}) {
    return De(c_.Get(("/api/" + caminho).c_str(), h.empty() ? Cabecalhos() : h));
  }
  // An action with its questions answered sim, as the page's dialogs do.
  Resposta Acao(const std::string& caminho, const json& corpo, bool sim = true) {
    Resposta r = Post(caminho, corpo);
    for (int i = 0; i < 10 && r.corpo.contains("pergunta"); ++i) r = Post("resposta", {{"sim", sim}});
    return r;
  }
  std::string sessao, csrf;

 private:
  static Resposta De(const httplib::Result& r) {
    Resposta x;
    if (!r) return x;
    x.status = r->status;
    x.bruto = r->body;
    x.corpo = json::parse(r->body, nullptr, false);
    return x;
  }
  Servidor& s_;
  httplib::Client c_;
};

std::string Mensagens(const Resposta& r) {
  std::string t;
  if (r.corpo.is_object() && r.corpo.contains("mensagens"))
    for (const auto& m : r.corpo["mensagens"]) t += m.value("texto", "") + "\n";
  return t;
}

// Company, include, account, kind, path, titles page: a new batch ready to mark.
void Prepara(Aba& a, const std::string& arquivo) {
  for (const auto& [campo, valor] : std::vector<std::pair<std::string, json>>{{"empresa", "01"}}) {
    auto r = a.Post("campo", {{"campo", campo}, {"valor", valor}});
    ASSERT_EQ(r.status, 200) << r.bruto;
  }
  ASSERT_EQ(a.Post("comando", {{"comando", "incluir"}}).status, 200);
  for (const auto& [campo, valor] : std::vector<std::pair<std::string, json>>{
           {"conta", "001"}, {"tipoRemessa", 0}, {"arquivo", arquivo}}) {
    auto r = a.Post("campo", {{"campo", campo}, {"valor", valor}});
    ASSERT_EQ(r.status, 200) << r.bruto;
    ASSERT_EQ(Mensagens(r), "") << campo;
  }
  auto r = a.Post("pagina", {{"pagina", "boletos"}});
  ASSERT_EQ(r.corpo["estado"]["pagina"], "boletos") << r.bruto;
}

TEST(WebApi, TheOperatorSendsABatchAndGetsItsFile) {
  Servidor s;
  Aba a(s);
  ASSERT_FALSE(a.sessao.empty());
  Prepara(a, "web.txt");
  auto pagina = a.Get("boletos?inicio=100&quantos=50");
  EXPECT_EQ(pagina.corpo["pagina"]["total"], 102);
  EXPECT_EQ(pagina.corpo["pagina"]["linhas"].size(), 2u);

  auto m = a.Post("comando", {{"comando", "marcarTodos"}});
  ASSERT_EQ(m.corpo["pergunta"]["texto"], "Deseja marcar todos os boletos?") << m.bruto;
  m = a.Post("resposta", {{"sim", true}});
  EXPECT_EQ(m.corpo["estado"]["marcados"], 3);
  EXPECT_EQ(m.corpo["estado"]["total"], "902,22");
  ASSERT_EQ(m.corpo["recusas"][0]["texto"],
            "Operação bloqueada! Boleto não pertence à conta corrente informada.");
  EXPECT_EQ(m.corpo["recusas"][0]["quantos"], 99);

  // A refused title's own mark says why, in the catalogue's words.
  auto l = a.Get("boletos?inicio=1&quantos=1");
  ASSERT_FALSE(l.corpo["pagina"]["linhas"][0]["marcado"].get<bool>());
  auto um = a.Post("marca", {{"linha", 1}});
  EXPECT_NE(Mensagens(um).find("Operação bloqueada!"), std::string::npos) << um.bruto;

  auto c = a.Acao("comando", {{"comando", "confirmar"}});
  ASSERT_EQ(c.corpo["remessa"], "1") << c.bruto;
  auto lista = a.Get("remessas");
  ASSERT_EQ(lista.corpo["pagina"]["total"], 1);
  EXPECT_EQ(lista.corpo["pagina"]["linhas"][0]["quantidade"], 3);

  auto arq = a.Get("arquivo?remessa=1");
  std::ifstream in(s.dir + "/web.txt", std::ios::binary);
  const std::string escrito(std::istreambuf_iterator<char>(in), {});
  ASSERT_FALSE(escrito.empty());
  EXPECT_EQ(arq.bruto, escrito);
  auto ver = a.Get("ver?remessa=1");
  EXPECT_EQ(ver.corpo["ver"]["resultado"], 0) << ver.bruto;
}

// The dialogs open with what they were last confirmed with, as on the desktop.
TEST(WebApi, TheFilterDialogsRememberTheirCriteria) {
  Servidor s;
  Aba a(s);
  Prepara(a, "web.txt");
  auto r = a.Acao("filtroBoletos", {{"criterios", {{"documentoDe", "5"}, {"semRetorno", true}}}});
  ASSERT_EQ(r.status, 200) << r.bruto;
  const json& b = r.corpo["estado"]["criterios"]["boletos"];
  // As the dialog keeps them: zero-filled, and the range closed on its start.
  EXPECT_EQ(b["documentoDe"], "000000005") << b.dump();
  EXPECT_EQ(b["documentoAte"], "000000005");
  EXPECT_EQ(b["semRetorno"], true);
  EXPECT_EQ(b["emissaoDe"], "");
  ASSERT_EQ(a.Acao("comando", {{"comando", "cancelar"}}).status, 200);
  r = a.Acao("filtroRemessas", {{"criterios", {{"numero", "7"}}}});
  ASSERT_EQ(r.status, 200) << r.bruto;
  EXPECT_EQ(r.corpo["estado"]["criterios"]["remessas"]["numero"], "0000000007") << r.bruto;
}

TEST(WebApi, BadInputIsRefusedOnEveryEndpoint) {
  Servidor s;
  Aba a(s);
  ASSERT_EQ(a.Post("campo", {{"campo", "empresa"}, {"valor", "01"}}).status, 200);
  struct Caso {
    std::string metodo, caminho, corpo;
    int status;
    std::string diz;
  } casos[] = {
      {"POST", "campo", "{}", 400, "Falta o campo campo"},
      {"POST", "campo", R"({"campo":"empresa","valor":5})", 400, "deve ser um texto"},
      {"POST", "campo", R"({"campo":"empresa","valor":"0\u0001"})", 400, "caracteres de controle"},
      {"POST", "campo", R"({"campo":"nada","valor":"1"})", 400, "Campo desconhecido"},
      {"POST", "campo", R"({"campo":"operacao","valor":7})", 400, "entre 0 e 2"},
      {"POST", "campo", R"({"campo":"empresa","valor":"99"})", 200, "Empresa não cadastrada."},
      {"POST", "campo", "[1,2]", 400, "objeto JSON"},
      {"POST", "campo", "{nao", 400, "não é JSON"},
      {"POST", "pagina", R"({"pagina":"outra"})", 400, "Página desconhecida"},
      {"POST", "comando", R"({"comando":"confirmar"})", 400, "Comando indisponível"},
      {"POST", "comando", R"({"comando":"formatar"})", 400, "Comando desconhecido"},
      {"POST", "comando", R"({"comando":"marcarTodos"})", 400, "Os boletos não estão na tela"},
      {"POST", "marca", R"({"linha":0})", 400, "Os boletos não estão na tela"},
      {"POST", "remessa", R"({"linha":"a"})", 400, ""},
      {"POST", "marcaRemessa", R"({"linha":-1})", 400, ""},
      {"POST", "filtroRemessas", R"({"criterios":{"cor":"azul"}})", 400, "Critério desconhecido: cor"},
      {"POST", "filtroRemessas", R"({"criterios":{"dataDe":7}})", 400, "deve ser um texto"},
      {"POST", "filtroRemessas", R"({"criterios":"x"})", 400, "deve ser um objeto"},
      {"POST", "filtroBoletos", R"({"criterios":{}})", 400, "página de boletos"},
      {"POST", "pesquisa", R"({"campo":"cliente"})", 400, "Pesquisa desconhecida"},
      {"POST", "escolhe", R"({"campo":"empresa","linha":99})", 400, "entre 0 e"},
      {"POST", "resposta", R"({"sim":true})", 409, "Não há pergunta"},
      {"POST", "resposta", R"({"sim":"talvez"})", 400, "true ou false"},
      {"POST", "retorno", R"({"nome":"x.ret","conteudo":"@@@@"})", 400, "base64"},
      {"POST", "retorno", R"({"nome":"x.ret"})", 400, "base64"},
      {"POST", "retorno", R"({"nome":"../x.ret","conteudo":"bGl4bw=="})", 200, "não é um arquivo retorno"},
      {"POST", "nada", "{}", 400, "Pedido desconhecido"},
      {"GET", "boletos?inicio=abc", "", 400, "número inteiro"},
      {"GET", "remessas?quantos=100000", "", 400, "entre 1 e 500"},
      {"GET", "arquivo?remessa=../r.db", "", 400, "número de uma remessa"},
      {"GET", "ver", "", 400, "número de uma remessa"},
      {"GET", "arquivo?remessa=77", "", 200, "não tem arquivo guardado"},
      {"GET", "bordero", "", 400, "Nenhum borderô"},
  };
  for (const auto& c : casos) {
    Resposta r = c.metodo == "GET" ? a.Get(c.caminho)
                                   : a.PostBruto(c.caminho, c.corpo, "application/json", a.Cabecalhos());
    EXPECT_EQ(r.status, c.status) << c.metodo << " " << c.caminho << " " << c.corpo << ": " << r.bruto;
    EXPECT_NE((r.corpo.value("erro", "") + Mensagens(r)).find(c.diz), std::string::npos)
        << c.metodo << " " << c.caminho << " " << c.corpo << ": " << r.bruto;
  }
}

TEST(WebApi, RequestsFromElsewhereAreRefused) {
  Servidor s;
  Aba a(s);
  auto h = a.Cabecalhos();
  auto sem = [&](const char* nome) {
    httplib::Headers x;
    for (const auto& [k, v] : h)
      if (k != nome) x.emplace(k, v);
    return x;
  };
  auto com = [&](const char* nome, const char* valor) {
    httplib::Headers x = h;
    x.erase(nome);
    x.emplace(nome, valor);
    return x;
  };
  const std::string corpo = R"({"campo":"empresa","valor":"01"})";
  struct Caso {
    const char* o_que;
    httplib::Headers cabecalhos;
    std::string tipo;
    int status;
  } casos[] = {
      {"without the session's token", sem("X-CSRF"), "application/json", 403},
      {"with another session's token", com("X-CSRF", "0123"), "application/json", 403},
      {"from another site", com("Origin", "http://example.com"), "application/json", 403},
      {"a form post", h, "text/plain", 415},
      {"through another host name", com("Host", "rebind.example:80"), "application/json", 403},
      {"of no session", com("X-Sessao", "nada"), "application/json", 401},
      {"as the page sends it", com("Origin", ("http://127.0.0.1:" + std::to_string(s.porta)).c_str()),
       "application/json", 200},
  };
  for (const auto& c : casos)
    EXPECT_EQ(a.PostBruto("campo", corpo, c.tipo, c.cabecalhos).status, c.status) << c.o_que;
  EXPECT_EQ(a.Post("sessao", {{"operador", "NINGUEM"}}).status, 400);
}

TEST(WebApi, OffTheLoopbackEveryCallNeedsTheAccessToken) {
  Servidor s("0.0.0.0");
  ASSERT_EQ(s.token.size(), 32u);
  httplib::Client c("127.0.0.1", s.porta);
  EXPECT_EQ(c.Get("/api/operadores")->status, 403);
  EXPECT_EQ(c.Get("/api/operadores", {{"X-Token", "errado"}})->status, 403);
  EXPECT_EQ(c.Get("/api/operadores", {{"X-Token", s.token}})->status, 200);
  EXPECT_EQ(c.Get("/")->status, 200);  // the page itself holds nothing of the store
}

TEST(WebApi, TwoSessionsAtOnceAreTwoOperatorsScreens) {
  Servidor s;
  Aba a(s), b(s);
  ASSERT_NE(a.sessao, b.sessao);
  Prepara(a, "a.txt");
  // A's question waits for A; B works meanwhile, on a form of its own.
  auto pa = a.Post("comando", {{"comando", "marcarTodos"}});
  ASSERT_TRUE(pa.corpo.contains("pergunta")) << pa.bruto;
  auto eb = b.Post("campo", {{"campo", "empresa"}, {"valor", "01"}});
  ASSERT_EQ(eb.status, 200);
  EXPECT_FALSE(eb.corpo["estado"]["inserindo"].get<bool>());
  EXPECT_EQ(eb.corpo["estado"]["conta"]["texto"], "");
  EXPECT_EQ(b.Post("resposta", {{"sim", true}}).status, 409);  // A's question is not B's
  EXPECT_EQ(a.Post("campo", {{"campo", "conta"}, {"valor", "002"}}).status, 409);
  auto ra = a.Post("resposta", {{"sim", true}});
  EXPECT_EQ(ra.corpo["estado"]["marcados"], 3);
  EXPECT_EQ(ra.corpo["estado"]["conta"]["texto"], "001");
  auto c = a.Acao("comando", {{"comando", "confirmar"}});
  ASSERT_EQ(c.corpo["remessa"], "1") << c.bruto;
  // B's list shows A's stored batch once B refreshes it.
  auto rb = b.Acao("comando", {{"comando", "atualizar"}});
  if (rb.status == 400) rb = b.Acao("filtroRemessas", {{"criterios", json::object()}});
  EXPECT_EQ(b.Get("remessas").corpo["pagina"]["total"], 1) << rb.bruto;
}

}  // namespace
