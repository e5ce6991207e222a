#include "app/web/servidor.h"

#include <httplib.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <random>

#include "app/cli_common.h"
#include "app/web/api.h"
#include "app/web/sessao.h"
#include "fields/cp1252.h"
#include "host/context.h"

namespace app::web {
const std::vector<std::pair<std::string_view, std::string_view>>& Pagina();
}

namespace app {

using nlohmann::json;
using web::TSessao;

namespace {

std::string Aleatorio() {
  std::random_device rd;
  std::string s;
  static const char* const kHex = "0123456789abcdef";
  for (int i = 0; i < 32; ++i) s += kHex[rd() % 16];
  return s;
}

bool Loopback(const std::string& e) {
  return e == "127.0.0.1" || e == "localhost" || e == "::1";
}

const char* TipoDoArquivo(std::string_view nome) {
  if (nome.ends_with(".html")) return "text/html; charset=utf-8";
  if (nome.ends_with(".css")) return "text/css; charset=utf-8";
  if (nome.ends_with(".js")) return "text/javascript; charset=utf-8";
  if (nome.ends_with(".svg")) return "image/svg+xml";
  return "application/octet-stream";
}

void Erro(httplib::Response& res, int status, const std::string& texto) {
  res.status = status;
  res.set_content(json{{"erro", texto}}.dump(), "application/json; charset=utf-8");
}

class TServidorWeb {
 public:
  TServidorWeb(const TGlobais& g, const TOpcoesWeb& o) : g_(g), o_(o) {
    if (!Loopback(o.endereco)) token_ = Aleatorio();
    char tmpl[] = "/tmp/remessa-web-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("Não foi possível criar a pasta temporária.");
    pasta_ = tmpl;
    // The operators come from the store: one connection for what no session owns.
    geral_ = Abre(g.db);
  }
  ~TServidorWeb() {
    {
      std::lock_guard l(m_);
      sessoes_.clear();
    }
    std::error_code ec;
    std::filesystem::remove_all(pasta_, ec);
  }

  int Serve() {
    httplib::Server srv;
    // A bank's return file of a large batch is a few tens of megabytes.
    srv.set_payload_max_length(size_t{96} << 20);
    srv.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      return Guarda(req, res) ? httplib::Server::HandlerResponse::Unhandled
                              : httplib::Server::HandlerResponse::Handled;
    });
    srv.set_post_routing_handler([](const httplib::Request&, httplib::Response& res) {
      // Text from the store is put on the page as text by the script; nothing
      // but the page's own files runs, and no other site frames it.
      res.set_header(
          "Content-Security-Policy",
          "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
          "object-src 'none'; frame-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'");
      res.set_header("X-Content-Type-Options", "nosniff");
      res.set_header("Referrer-Policy", "no-referrer");
      res.set_header("Cache-Control", "no-store");
    });
    for (const auto& [nome, conteudo] : web::Pagina()) {
      const std::string caminho = nome == "index.html" ? "/" : "/" + std::string(nome);
      const std::string corpo(conteudo);
      const char* tipo = TipoDoArquivo(nome);
      srv.Get(caminho, [corpo, tipo](const httplib::Request&, httplib::Response& res) {
        res.set_content(corpo, tipo);
      });
    }
    srv.Get("/api/operadores", [this](const httplib::Request&, httplib::Response& res) { Operadores(res); });
    srv.Post("/api/sessao",
             [this](const httplib::Request& req, httplib::Response& res) { NovaSessao(req, res); });
    srv.Post("/api/sair", [this](const httplib::Request& req, httplib::Response& res) {
      std::shared_ptr<TSessao> s = Sessao(req, res);
      if (!s) return;
      {
        std::lock_guard l(m_);
        sessoes_.erase(s->Id());
      }
      res.set_content("{}", "application/json");
    });
    auto api = [this](const httplib::Request& req, httplib::Response& res) { Api(req, res); };
    srv.Get(R"(/api/([a-zA-Z]+))", api);
    srv.Post(R"(/api/([a-zA-Z]+))", api);

    int porta = o_.porta;
    if (porta == 0) {
      porta = srv.bind_to_any_port(o_.endereco);
      if (porta < 0) throw std::runtime_error("Não foi possível abrir uma porta em " + o_.endereco);
    } else if (!srv.bind_to_port(o_.endereco, porta)) {
      throw std::runtime_error("Não foi possível abrir a porta " + std::to_string(porta) + " em " +
                               o_.endereco);
    }
    porta_ = porta;
    const std::string host =
        o_.endereco.find(':') != std::string::npos ? "[" + o_.endereco + "]" : o_.endereco;
    std::cout << "Remessa no navegador: http://" << host << ":" << porta << "/"
              << (token_.empty() ? "" : "?token=" + token_) << "\n";
    if (!token_.empty()) std::cout << "Token de acesso: " << token_ << "\n";
    std::cout << "Ctrl+C encerra." << std::endl;
    return srv.listen_after_bind() ? 0 : 1;
  }

 private:
  // What every request passes: a Host that names this server (a page of
  // another site reaching the loopback through a name of its own is not
  // served), the access token off the loopback, and for calls that change
  // something a JSON body from a page of this origin.
  bool Guarda(const httplib::Request& req, httplib::Response& res) {
    const std::string host = req.get_header_value("Host");
    if (Loopback(o_.endereco)) {
      const std::string p = ":" + std::to_string(porta_);
      if (host != "127.0.0.1" + p && host != "localhost" + p && host != "[::1]" + p) {
        Erro(res, 403, "Endereço não permitido.");
        return false;
      }
    }
    const bool api = req.path.rfind("/api/", 0) == 0;
    if (api && !token_.empty()) {
      std::string t = req.get_header_value("X-Token");
      if (t.empty() && req.method == "GET") t = req.get_param_value("token");
      if (t != token_) {
        Erro(res, 403, "Token de acesso ausente ou inválido.");
        return false;
      }
    }
    if (req.method != "GET" && req.method != "HEAD") {
      const std::string origem = req.get_header_value("Origin");
      if (!origem.empty() && origem != "http://" + host) {
        Erro(res, 403, "Origem não permitida.");
        return false;
      }
      if (req.get_header_value("Content-Type").rfind("application/json", 0) != 0) {
        Erro(res, 415, "O pedido deve ser JSON (Content-Type: application/json).");
        return false;
      }
      if (req.get_header_value("Sec-Fetch-Site") == "cross-site") {
        Erro(res, 403, "Origem não permitida.");
        return false;
      }
    }
    return true;
  }

  std::vector<std::pair<std::string, std::string>> ListaOperadores() {
    std::lock_guard trava(web::TravaDosForms());
    std::vector<std::pair<std::string, std::string>> r;
    auto p = geral_->ExecuteQuery("SELECT CDOPERADOR, NMOPERADOR FROM OPERADOR ORDER BY CDOPERADOR", {});
    for (const auto& row : p.Rows)
      r.emplace_back(host::ValueToString(row[0], host::TFieldType::ftString),
                     host::ValueToString(row[1], host::TFieldType::ftString));
    return r;
  }

  void Operadores(httplib::Response& res) {
    json l = json::array();
    for (const auto& [cd, nm] : ListaOperadores())
      l.push_back({{"codigo", fields::Cp1252ToUtf8(cd)}, {"nome", fields::Cp1252ToUtf8(nm)}});
    res.set_content(json{{"operadores", l}}.dump(), "application/json; charset=utf-8");
  }

  void NovaSessao(const httplib::Request& req, httplib::Response& res) {
    json b = json::parse(req.body, nullptr, false);
    if (!b.is_object() || !b.contains("operador") || !b["operador"].is_string())
      return Erro(res, 400, "Informe o operador.");
    const std::string cd = fields::Utf8ToCp1252(b["operador"].get<std::string>());
    std::string nome;
    bool achou = false;
    for (const auto& [c, n] : ListaOperadores())
      if (c == cd) achou = true, nome = n;
    if (!achou) return Erro(res, 400, "Operador não cadastrado.");
    std::unique_ptr<server::TRemessaServer> store;
    {
      std::lock_guard trava(web::TravaDosForms());
      store = Abre(g_.db);
    }
    auto s = std::make_shared<TSessao>(Aleatorio(), Aleatorio(), std::move(store), cd, nome);
    std::filesystem::create_directories(pasta_ + "/" + s->Id());
    {
      std::lock_guard l(m_);
      if (sessoes_.size() >= 64) return Erro(res, 503, "Sessões demais abertas neste servidor.");
      sessoes_[s->Id()] = s;
    }
    res.set_content(json{{"sessao", s->Id()},
                         {"csrf", s->Csrf()},
                         {"operador", fields::Cp1252ToUtf8(cd)},
                         {"nome", fields::Cp1252ToUtf8(nome)}}
                        .dump(),
                    "application/json; charset=utf-8");
  }

  // The session a request names (a header; a download link names it in its
  // query), with the session's own token on calls that change something.
  std::shared_ptr<TSessao> Sessao(const httplib::Request& req, httplib::Response& res) {
    std::string id = req.get_header_value("X-Sessao");
    if (id.empty() && req.method == "GET") id = req.get_param_value("sessao");
    std::shared_ptr<TSessao> s;
    {
      std::lock_guard l(m_);
      auto it = sessoes_.find(id);
      if (it != sessoes_.end()) s = it->second;
    }
    if (!s) {
      Erro(res, 401, "Sessão inexistente ou encerrada; recarregue a página.");
      return nullptr;
    }
    if (req.method != "GET" && req.get_header_value("X-CSRF") != s->Csrf()) {
      Erro(res, 403, "Pedido sem o token da sessão.");
      return nullptr;
    }
    return s;
  }

  void Api(const httplib::Request& req, httplib::Response& res) {
    std::shared_ptr<TSessao> s = Sessao(req, res);
    if (!s) return;
    web::TPedido p;
    p.metodo = req.method;
    p.caminho = req.matches[1];
    for (const auto& [k, v] : req.params) p.params[k] = v;
    if (req.method == "POST") {
      p.corpo = json::parse(req.body, nullptr, false);
      if (p.corpo.is_discarded()) return Erro(res, 400, "O corpo do pedido não é JSON válido.");
    }
    try {
      web::TResposta r = web::Trata(*s, p, pasta_ + "/" + s->Id());
      res.status = r.status;
      if (!r.nomeArquivo.empty()) {
        std::string nome;
        for (char c : r.nomeArquivo)
          nome += (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
        res.set_header("Content-Disposition", "attachment; filename=\"" + nome + "\"");
      }
      res.set_content(r.corpo, r.tipo.c_str());
    } catch (const web::EPedidoInvalido& e) {
      Erro(res, 400, e.what());
    } catch (const std::exception& e) {
      Erro(res, 500, fields::Cp1252ToUtf8(e.what()));
    }
  }

  const TGlobais& g_;
  TOpcoesWeb o_;
  std::string token_, pasta_;
  int porta_ = 0;
  std::unique_ptr<server::TRemessaServer> geral_;
  std::mutex m_;
  std::map<std::string, std::shared_ptr<TSessao>> sessoes_;
};

}  // namespace

int ComandoWeb(const TGlobais& g, const TOpcoesWeb& o) {
  namespace fs = std::filesystem;
  // The borderô's templates and reports live beside the store, as for `remessa bordero`.
  fs::path rel = PastaDoBanco(g.db) / "relatorios";
  std::error_code ec;
  fs::create_directories(rel, ec);
  host::Corvane().ReportDir = fields::Utf8ToCp1252(rel.string());
  web::TWebUI ui;
  host::SetUI(&ui);
  struct Volta {
    ~Volta() { host::SetUI(nullptr); }
  } volta;
  TServidorWeb s(g, o);
  return s.Serve();
}

}  // namespace app
