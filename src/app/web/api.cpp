#include "app/web/api.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/arquivo.h"
#include "app/ver.h"
#include "app/web/estado.h"
#include "app/web/filtros.h"
#include "app/web/retorno_web.h"
#include "fields/cp1252.h"
#include "fields/text.h"
#include "workspace/form.h"

namespace app::web {

using fields::Cp1252ToUtf8;
using fields::Utf8ToCp1252;
using workspace::TfrmRemessaCNAB;
using workspace::TPagina;

namespace {

TResposta Json(const json& j, int status = 200) {
  TResposta r;
  r.status = status;
  r.corpo = j.dump();
  return r;
}

// A text of the body, Windows-1252 for the form; at most max characters.
std::string Texto(const json& corpo, const char* nome, size_t max = 250) {
  if (!corpo.contains(nome)) throw EPedidoInvalido(std::string("Falta o campo ") + nome + ".");
  const auto& v = corpo[nome];
  if (!v.is_string()) throw EPedidoInvalido(std::string("O campo ") + nome + " deve ser um texto.");
  const std::string t = Utf8ToCp1252(v.get<std::string>());
  if (t.size() > max)
    throw EPedidoInvalido(std::string("O campo ") + nome + " tem mais de " + std::to_string(max) +
                          " caracteres.");
  for (unsigned char c : t)
    if (c < 0x20) throw EPedidoInvalido(std::string("O campo ") + nome + " tem caracteres de controle.");
  return t;
}

int Inteiro(const json& v, const char* nome, int min, int max) {
  if (!v.is_number_integer())
    throw EPedidoInvalido(std::string("O campo ") + nome + " deve ser um número inteiro.");
  const auto n = v.get<long long>();
  if (n < min || n > max)
    throw EPedidoInvalido(std::string("O campo ") + nome + " deve estar entre " + std::to_string(min) +
                          " e " + std::to_string(max) + ".");
  return static_cast<int>(n);
}

int Inteiro(const json& corpo, const char* nome, int min, int max, bool) {
  if (!corpo.contains(nome)) throw EPedidoInvalido(std::string("Falta o campo ") + nome + ".");
  return Inteiro(corpo[nome], nome, min, max);
}

int Param(const TPedido& p, const char* nome, int padrao, int min, int max) {
  auto it = p.params.find(nome);
  if (it == p.params.end()) return padrao;
  const std::string& t = it->second;
  if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos)
    throw EPedidoInvalido(std::string("O parâmetro ") + nome + " deve ser um número inteiro.");
  return Inteiro(json(std::stoi(t)), nome, min, max);
}

// A batch number as the list shows it: digits only.
std::string NumeroRemessa(const TPedido& p) {
  auto it = p.params.find("remessa");
  if (it == p.params.end() || it->second.empty() || it->second.size() > 10 ||
      it->second.find_first_not_of("0123456789") != std::string::npos)
    throw EPedidoInvalido("O parâmetro remessa deve ser o número de uma remessa.");
  return it->second;
}

// The row of a grid the operator points at: it becomes the current one.
void VaiPara(host::TClientDataSet& ds, const json& corpo) {
  const int n = ds.Active() ? ds.RecordCount() : 0;
  if (n == 0) throw EPedidoInvalido("A lista está vazia.");
  ds.SetRecNo(Inteiro(corpo, "linha", 0, n - 1, true) + 1);
}

// The form's entry for a field: what the operator's typing and leaving it runs.
void Campo(TfrmRemessaCNAB& f, const std::string& campo, const json& corpo) {
  if (campo == "operacao") {
    const int i = Inteiro(corpo, "valor", 0, 2, true);
    f.dbcTpMovEnter();
    f.dbcTpMovChange(i);
    return;
  }
  if (campo == "tipoRemessa") {
    const int i = Inteiro(corpo, "valor", 0, 1, true);
    if (f.cbbTpRemessa.Enabled) f.cbbTpRemessa.ItemIndex = i;
    return;
  }
  const std::string v = Texto(corpo, "valor");
  if (campo == "empresa") {
    f.medCdEmpresa.Text = v;
    f.medCdEmpresaChange();
    f.medCdEmpresaExit();
  } else if (campo == "conta") {
    f.dbeCdReduContEnter();
    f.dbeCdReduCont.Text = v;
    f.dbeCdReduContChange();
    f.dbeCdReduContExit();
  } else if (campo == "contaCobranca") {
    f.ActiveControl = "dbeCdReduContCobr";
    f.dbeCdReduContCobr.Text = v;
    f.dbeCdReduContCobrChange();
    f.dbeCdReduContCobrExit();
  } else if (campo == "filial") {
    f.dbeCdFilialEnter();
    f.dbeCdFilial.Text = v;
    f.dbeCdFilialChange();
    f.Vd_Filial();
  } else if (campo == "arquivo") {
    if (!f.Inserindo()) throw EPedidoInvalido("O arquivo só é informado numa remessa nova.");
    f.cdsCNABRec.FieldByName("DSARQCNABREC").SetString(v);
    f.ActiveControl = "dbeArquivo";
    f.dbeArquivoExit();
  } else {
    throw EPedidoInvalido("Campo desconhecido: " + Cp1252ToUtf8(campo));
  }
}

TPagina Pagina(const std::string& nome) {
  if (nome == "remessas") return TPagina::tshFolhaDados;
  if (nome == "formulario") return TPagina::tshFormulario;
  if (nome == "boletos") return TPagina::tshBoletos;
  throw EPedidoInvalido("Página desconhecida: " + Cp1252ToUtf8(nome));
}

json MostraPagina(TfrmRemessaCNAB& f, TPagina p) {
  if (p == TPagina::tshBoletos && f.Inserindo()) {
    if (!f.tshBoletosEnabled) return {{"mostrada", false}};
    // The operator passes the branch field on the way (its check runs, as
    // leaving it does), then the batch being prepared gets the titles the
    // sent-titles filter selects.
    f.dbeCdFilialEnter();
    f.Vd_Filial();
    f.ActiveControl = "grdBoletos";
    f.tshBoletosShow();
    f.ActivePage = TPagina::tshBoletos;
    f.pgcPadraoChange();
    return {{"mostrada", true}};
  }
  if (f.ActivePage == TPagina::tshBoletos && p != TPagina::tshBoletos) f.grdBoletosExit();
  return {{"mostrada", f.MostraPagina(p)}};
}

json Recusas(TfrmRemessaCNAB& f, const std::vector<std::pair<std::string, int>>& recusas) {
  json r = json::array();
  for (const auto& [chave, n] : recusas) {
    json titulos = json::array();
    for (const auto& [titulo, k] : f.Recusados)
      if (k == chave && titulos.size() < 200) titulos.push_back(Cp1252ToUtf8(titulo));
    r.push_back(
        {{"chave", chave}, {"quantos", n}, {"texto", Cp1252ToUtf8(f.Msg(chave))}, {"boletos", titulos}});
  }
  return r;
}

json Comando(TfrmRemessaCNAB& f, const std::string& c, const std::string& pasta) {
  auto exige = [&](const workspace::TControl& ctl) {
    if (!ctl.Enabled) throw EPedidoInvalido("Comando indisponível agora: " + c);
  };
  if (c == "incluir") {
    exige(f.sbtIncluir);
    f.sbtIncluirClick();
  } else if (c == "cancelar") {
    exige(f.sbtCancelar);
    f.sbtCancelarClick();
  } else if (c == "confirmar") {
    exige(f.sbtConfirmar);
    f.UltimaRemessa.clear();
    f.sbtConfirmarClick();
    if (!f.UltimaRemessa.empty()) f.cdsCNABRec.Locate("NRCNABREC", {f.UltimaRemessa});
    return {{"remessa", Cp1252ToUtf8(f.UltimaRemessa)}};
  } else if (c == "marcarTodos") {
    if (!f.cdsBoletos.Active() || f.ActivePage != TPagina::tshBoletos)
      throw EPedidoInvalido("Os boletos não estão na tela.");
    return {{"recusas", Recusas(f, f.MarcaTodos(true))}};
  } else if (c == "permitirAlteracao") {
    exige(f.sbtCancelaRemessa);
    f.mnuAlteraRemessaClick();
  } else if (c == "cancelarBoleto") {
    exige(f.sbtCancelaRemessa);
    f.mnuCancelaRemessaClick();
  } else if (c == "atualizar") {
    exige(f.sbtAtualizar);
    f.sbtAtualizarClick();
  } else if (c == "imprimir") {
    exige(f.sbtImprimir);
    f.SaidaBordero = pasta + "/bordero.pdf";
    std::filesystem::remove(f.SaidaBordero);
    f.UltimoBordero.clear();
    f.sbtImprimirClick();
    return {{"bordero", !f.UltimoBordero.empty()}};
  } else {
    throw EPedidoInvalido("Comando desconhecido: " + Cp1252ToUtf8(c));
  }
  return json::object();
}

std::string LeTudo(const std::string& path) {
  std::ifstream in(fields::OsPath(path), std::ios::binary);
  if (!in) throw std::runtime_error(Utf8ToCp1252("Arquivo não encontrado: ") + path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// What `remessa ver` says of a file, captured.
json Ver(const std::string& path) {
  std::ostringstream out, err;
  auto* o = std::cout.rdbuf(out.rdbuf());
  auto* e = std::cerr.rdbuf(err.rdbuf());
  int rc = 2;
  try {
    rc = ComandoVer(Cp1252ToUtf8(path));
  } catch (...) {
    std::cout.rdbuf(o);
    std::cerr.rdbuf(e);
    throw;
  }
  std::cout.rdbuf(o);
  std::cerr.rdbuf(e);
  return {{"resultado", rc}, {"texto", out.str() + err.str()}};
}

// The run's outcome as the page takes it: 200 with what the form showed; a
// refusal of the request itself is 400. The work may outlive the request
// that started it (a question): it holds copies of what it needs.
TResposta Resultado(json r) {
  if (r.contains("invalido")) return Json({{"erro", r["invalido"]}, {"mensagens", r["mensagens"]}}, 400);
  if (r.contains("ocupado")) return Json({{"erro", "Há uma operação em andamento nesta sessão."}}, 409);
  return Json(r);
}

TResposta Roda(TSessao& s, TSessao::TObra obra) {
  return Resultado(
      s.Executa([obra = std::move(obra)](TfrmRemessaCNAB& f, server::TRemessaServer& st) -> json {
        try {
          return obra(f, st);
        } catch (const EPedidoInvalido& e) {
          return {{"invalido", e.what()}};
        }
      }));
}

}  // namespace

TResposta Trata(TSessao& s, const TPedido& p, const std::string& pasta) {
  const std::string& c = p.caminho;
  const bool post = p.metodo == "POST";
  if (post && !p.corpo.is_object()) throw EPedidoInvalido("O corpo do pedido deve ser um objeto JSON.");
  const json& b = p.corpo;
  if (post && c == "resposta") {
    if (!b.contains("sim") || !b["sim"].is_boolean())
      throw EPedidoInvalido("O campo sim deve ser true ou false.");
    json r = s.Responde(b["sim"].get<bool>());
    if (r.contains("semPergunta")) return Json({{"erro", "Não há pergunta à espera de resposta."}}, 409);
    return Resultado(std::move(r));
  }
  if (!post && c == "andamento") return Json(s.Andamento());
  if (!post && c == "estado")
    return Roda(s, [](TfrmRemessaCNAB&, server::TRemessaServer&) { return json::object(); });
  if (!post && (c == "boletos" || c == "remessas")) {
    const int inicio = Param(p, "inicio", 0, 0, 100000000), quantos = Param(p, "quantos", 100, 1, 500);
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) -> json {
      return {{"pagina",
               c == "boletos" ? PaginaBoletos(f, inicio, quantos) : PaginaRemessas(f, inicio, quantos)}};
    });
  }
  if (!post && (c == "arquivo" || c == "ver")) {
    const std::string nr = NumeroRemessa(p);
    auto bytes = std::make_shared<std::string>(), path = std::make_shared<std::string>();
    TResposta r = Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer& st) -> json {
      *bytes = ArquivoGuardado(st, f.Empresa(), nr, *path);
      if (c == "arquivo") return json::object();
      const std::string copia = pasta + "/ver.txt";
      std::ofstream(copia, std::ios::binary) << *bytes;
      json v = Ver(copia);
      v["arquivo"] = Cp1252ToUtf8(*path);
      return {{"ver", v}};
    });
    if (c == "ver" || path->empty()) return r;
    TResposta d;
    d.corpo = std::move(*bytes);
    d.tipo = "application/octet-stream";
    d.nomeArquivo = Cp1252ToUtf8(std::filesystem::path(*path).filename().string());
    return d;
  }
  if (!post && c == "bordero") {
    auto bytes = std::make_shared<std::string>();
    TResposta r = Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) -> json {
      if (f.UltimoBordero.empty()) throw EPedidoInvalido("Nenhum borderô impresso nesta sessão.");
      *bytes = LeTudo(f.UltimoBordero);
      return json::object();
    });
    if (bytes->empty()) return r;
    TResposta d;
    d.corpo = std::move(*bytes);
    d.tipo = "application/pdf";
    return d;
  }
  if (!post) throw EPedidoInvalido("Pedido desconhecido: GET /api/" + c);

  if (c == "campo") {
    const std::string campo = Texto(b, "campo", 20);
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) {
      Campo(f, campo, b);
      return json::object();
    });
  }
  if (c == "pagina") {
    const TPagina pg = Pagina(Texto(b, "pagina", 20));
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) { return MostraPagina(f, pg); });
  }
  if (c == "comando") {
    const std::string cmd = Texto(b, "comando", 30);
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) { return Comando(f, cmd, pasta); });
  }
  if (c == "marca") {
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) -> json {
      if (f.ActivePage != TPagina::tshBoletos) throw EPedidoInvalido("Os boletos não estão na tela.");
      VaiPara(f.cdsBoletos, b);
      f.MarcaBoletoAtual();
      return {{"marcado", f.cdsBoletos.FieldByName("IDMARCADO").AsString() == "S"}};
    });
  }
  if (c == "remessa" || c == "marcaRemessa") {
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) -> json {
      if (f.Inserindo()) throw EPedidoInvalido("A lista de remessas não está disponível durante a inclusão.");
      VaiPara(f.cdsCNABRec, b);
      if (c == "marcaRemessa") f.dbgPadraoMarca();
      return json::object();
    });
  }
  if (c == "filtroBoletos" || c == "filtroRemessas") {
    if (!b.contains("criterios") || !b["criterios"].is_object())
      throw EPedidoInvalido("O campo criterios deve ser um objeto.");
    const bool boletos = c == "filtroBoletos";
    auto aplica = boletos ? CriteriosBoletos(b["criterios"]) : std::function<void(TfrmRemessaCNAB&)>{};
    auto remessas = boletos ? std::function<void(TfrmRemessaCNAB&)>{} : CriteriosRemessas(b["criterios"]);
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) -> json {
      if (boletos) {
        if (f.ActivePage != TPagina::tshBoletos || !f.Inserindo())
          throw EPedidoInvalido("O filtro de boletos é aplicado na página de boletos de uma remessa nova.");
        aplica(f);
      } else {
        if (f.ActivePage != TPagina::tshFolhaDados || !f.sbtFiltrar.Enabled)
          throw EPedidoInvalido("O filtro de remessas é aplicado na lista de remessas.");
        remessas(f);
      }
      return json::object();
    });
  }
  if (c == "pesquisa" || c == "escolhe") {
    const std::string campo = Texto(b, "campo", 20);
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer&) -> json {
      workspace::TPesquisa q;
      void (TfrmRemessaCNAB::*escolhe)() = nullptr;
      if (campo == "empresa")
        q = f.btpCdEmpresaPesquisa(), escolhe = &TfrmRemessaCNAB::btpCdEmpresaEscolhe;
      else if (campo == "conta")
        q = f.btpCdReduContPesquisa(), escolhe = &TfrmRemessaCNAB::btpCdReduContEscolhe;
      else if (campo == "contaCobranca")
        q = f.btpCdReduContCobrPesquisa(), escolhe = &TfrmRemessaCNAB::btpCdReduContCobrEscolhe;
      else if (campo == "filial")
        q = f.btpCdFilialPesquisa(), escolhe = &TfrmRemessaCNAB::btpCdFilialEscolhe;
      else
        throw EPedidoInvalido("Pesquisa desconhecida: " + Cp1252ToUtf8(campo));
      if (c == "pesquisa") {
        json l = LinhasPesquisa(q.Linhas);
        l["titulo"] = Cp1252ToUtf8(q.Titulo);
        l["textoVazio"] = Cp1252ToUtf8(q.TextoVazio);
        return {{"pesquisa", l}};
      }
      if (!q.Linhas) throw EPedidoInvalido("A pesquisa não está disponível agora.");
      VaiPara(*q.Linhas, b);
      (f.*escolhe)();
      return json::object();
    });
  }
  if (c == "retorno") {
    const std::string nome = Texto(b, "nome", 250);
    if (!b.contains("conteudo") || !b["conteudo"].is_string())
      throw EPedidoInvalido("O campo conteudo deve ser o arquivo em base64.");
    const std::string bytes = DeBase64(b["conteudo"].get<std::string>());
    if (bytes.empty()) throw EPedidoInvalido("O arquivo retorno está vazio.");
    const bool simular = b.contains("simular") && b["simular"].is_boolean() && b["simular"].get<bool>();
    return Roda(s, [=](TfrmRemessaCNAB& f, server::TRemessaServer& st) -> json {
      if (f.Inserindo()) throw EPedidoInvalido("O retorno é lido fora da inclusão de uma remessa.");
      if (f.Empresa().empty()) throw EPedidoInvalido("Informe a empresa antes do arquivo retorno.");
      json r = AplicaRetorno(st, f.Empresa(), pasta, nome, bytes, simular);
      // The titles' new situations show in the list and the titles page.
      if (!simular && f.cdsCNABRec.Active()) f.ReaplicaFiltro();
      return {{"retorno", r}};
    });
  }
  throw EPedidoInvalido("Pedido desconhecido: POST /api/" + c);
}

}  // namespace app::web
