#include "app/web/filtros.h"

#include "app/web/api.h"
#include "fields/cp1252.h"
#include "filters/remittance_filter.h"
#include "filters/sent_titles_filter.h"
#include "workspace/form.h"

namespace app::web {

using filters::TFiltroBoletos;
using filters::TfrmFiltroRemessaCNAB;
using nlohmann::json;

namespace {

// The criterion's name in a refusal (an out-of-line join: GCC 12 misreads an
// inlined string + string here as an overlapping copy).
[[gnu::noinline]] std::string Junta(const char* antes, const std::string& nome, const char* depois = "") {
  std::string r(antes);
  r.append(nome).append(depois);
  return r;
}

// Every criterion is a short text or a yes/no; anything else is refused
// before the dialog sees it.
std::map<std::string, std::string> Textos(const json& c, const std::vector<std::string>& nomes,
                                          const std::vector<std::string>& marcas) {
  std::map<std::string, std::string> r;
  for (const auto& [k, v] : c.items()) {
    const bool marca = std::find(marcas.begin(), marcas.end(), k) != marcas.end();
    if (!marca && std::find(nomes.begin(), nomes.end(), k) == nomes.end())
      throw EPedidoInvalido(Junta("Critério desconhecido: ", k));
    if (marca) {
      if (!v.is_boolean()) throw EPedidoInvalido(Junta("O critério ", k, " deve ser true ou false."));
      r[k] = std::string(1, v.get<bool>() ? 'S' : 'N');
      continue;
    }
    if (!v.is_string()) throw EPedidoInvalido(Junta("O critério ", k, " deve ser um texto."));
    std::string t = fields::Utf8ToCp1252(v.get<std::string>());
    if (t.size() > 200) throw EPedidoInvalido(Junta("O critério ", k, " tem mais de 200 caracteres."));
    for (unsigned char ch : t)
      if (ch < 0x20) throw EPedidoInvalido(Junta("O critério ", k, " tem caracteres de controle."));
    r[k] = std::move(t);
  }
  return r;
}

using TTextoBoletos = std::string TFiltroBoletos::*;
using TMarcaBoletos = bool TFiltroBoletos::*;

const std::pair<const char*, TTextoBoletos> kTextosBoletos[] = {
    {"documentoDe", &TFiltroBoletos::docIni},      {"documentoAte", &TFiltroBoletos::docFin},
    {"orcamentoDe", &TFiltroBoletos::orcaDe},      {"orcamentoAte", &TFiltroBoletos::orcaAte},
    {"emissaoDe", &TFiltroBoletos::dtIniEmi},      {"emissaoAte", &TFiltroBoletos::dtFinEmi},
    {"vencimentoDe", &TFiltroBoletos::dtIniVen},   {"vencimentoAte", &TFiltroBoletos::dtFinVen},
    {"valorDe", &TFiltroBoletos::vrLiqIni},        {"valorAte", &TFiltroBoletos::vrLiqFin},
    {"numeroRemessa", &TFiltroBoletos::nrRemessa}, {"numeroRetorno", &TFiltroBoletos::nrRetorno},
    {"carteira", &TFiltroBoletos::numCart}};
// A list criterion: empty lifts it.
const std::tuple<const char*, TMarcaBoletos, TTextoBoletos> kListasBoletos[] = {
    {"clientes", &TFiltroBoletos::listClie, &TFiltroBoletos::stListClie},
    {"gruposCliente", &TFiltroBoletos::listGrupClie, &TFiltroBoletos::stGrupClie},
    {"filiaisOrigem", &TFiltroBoletos::listFiliOrig, &TFiltroBoletos::stFiliOrig},
    {"filiaisLancamento", &TFiltroBoletos::listFiliLanc, &TFiltroBoletos::stFiliLanc},
    {"tiposBaixa", &TFiltroBoletos::listFRec, &TFiltroBoletos::stListFRec},
    {"contas", &TFiltroBoletos::listCCorr, &TFiltroBoletos::stListCCorr}};
const std::pair<const char*, TMarcaBoletos> kMarcasBoletos[] = {
    {"naoEnviado", &TFiltroBoletos::naoEnviado},
    {"retornoErro", &TFiltroBoletos::envRetoErro},
    {"semRetorno", &TFiltroBoletos::envRetoSemErro},
    {"retornoOk", &TFiltroBoletos::envRetoOK},
    {"simples", &TFiltroBoletos::simples},
    {"vinculada", &TFiltroBoletos::vinculada},
    {"caucionada", &TFiltroBoletos::caucionada},
    {"descontada", &TFiltroBoletos::descontada},
    {"vencimentoAlterado", &TFiltroBoletos::alterado},
    {"vencimentoNaoAlterado", &TFiltroBoletos::naoAlterado},
    {"vencimentoTodos", &TFiltroBoletos::vencTodos}};

using TEditRemessa = filters::TEdit TfrmFiltroRemessaCNAB::*;
using TDataRemessa = filters::TDateEdit TfrmFiltroRemessaCNAB::*;
const std::pair<const char*, TEditRemessa> kEditsRemessa[] = {
    {"valorDe", &TfrmFiltroRemessaCNAB::nedVrRemIni},    {"valorAte", &TfrmFiltroRemessaCNAB::nedVrRemFin},
    {"numero", &TfrmFiltroRemessaCNAB::medNrRemessa},    {"documentoDe", &TfrmFiltroRemessaCNAB::medDocIni},
    {"documentoAte", &TfrmFiltroRemessaCNAB::medDocFin}, {"liquidoDe", &TfrmFiltroRemessaCNAB::nedVrLiqIni},
    {"liquidoAte", &TfrmFiltroRemessaCNAB::nedVrLiqFin}};
const std::pair<const char*, TDataRemessa> kDatasRemessa[] = {
    {"dataDe", &TfrmFiltroRemessaCNAB::depDtIniVen},
    {"dataAte", &TfrmFiltroRemessaCNAB::depDtFinVen},
    {"emissaoDe", &TfrmFiltroRemessaCNAB::depDtIniEmi},
    {"emissaoAte", &TfrmFiltroRemessaCNAB::depDtFinEmi},
    {"vencimentoDe", &TfrmFiltroRemessaCNAB::depVencIni},
    {"vencimentoAte", &TfrmFiltroRemessaCNAB::depVencFin}};
using TRadioRemessa = filters::TRadioPair TfrmFiltroRemessaCNAB::*;
using TListaRemessa = std::string TfrmFiltroRemessaCNAB::*;
const std::tuple<const char*, TRadioRemessa, TListaRemessa> kListasRemessa[] = {
    {"operadores", &TfrmFiltroRemessaCNAB::rbtOperador, &TfrmFiltroRemessaCNAB::stListOperador},
    {"clientes", &TfrmFiltroRemessaCNAB::rbtCliente, &TfrmFiltroRemessaCNAB::stListCliente},
    {"tiposBaixa", &TfrmFiltroRemessaCNAB::rbtFormRec, &TfrmFiltroRemessaCNAB::stListTpBx},
    {"contas", &TfrmFiltroRemessaCNAB::rbtCCorr, &TfrmFiltroRemessaCNAB::stListCCorr}};

template <class T>
std::vector<std::string> Nomes(const T& tabela) {
  std::vector<std::string> r;
  for (const auto& e : tabela) r.push_back(std::get<0>(e));
  return r;
}

}  // namespace

std::function<void(workspace::TfrmRemessaCNAB&)> CriteriosBoletos(const json& criterios) {
  auto nomes = Nomes(kTextosBoletos);
  for (const auto& n : Nomes(kListasBoletos)) nomes.push_back(n);
  const auto t = Textos(criterios, nomes, Nomes(kMarcasBoletos));
  return [t](workspace::TfrmRemessaCNAB& f) {
    f.sbtFiltroClick([&t](filters::TfrmFiltroBoleEnviCNAB& d) {
      TFiltroBoletos& c = d.c;
      for (const auto& [n, m] : kTextosBoletos)
        if (auto it = t.find(n); it != t.end()) c.*m = it->second;
      for (const auto& [n, l, m] : kListasBoletos)
        if (auto it = t.find(n); it != t.end()) {
          c.*l = !it->second.empty();
          c.*m = it->second;
        }
      for (const auto& [n, m] : kMarcasBoletos)
        if (auto it = t.find(n); it != t.end()) c.*m = it->second == "S";
    });
  };
}

std::function<void(workspace::TfrmRemessaCNAB&)> CriteriosRemessas(const json& criterios) {
  auto nomes = Nomes(kEditsRemessa);
  for (const auto& n : Nomes(kDatasRemessa)) nomes.push_back(n);
  for (const auto& n : Nomes(kListasRemessa)) nomes.push_back(n);
  const auto t = Textos(criterios, nomes, {});
  return [t](workspace::TfrmRemessaCNAB& f) {
    filters::SetMostraFiltro([&t](TfrmFiltroRemessaCNAB& d) {
      for (const auto& [n, m] : kEditsRemessa)
        if (auto it = t.find(n); it != t.end()) (d.*m).Text = it->second;
      for (const auto& [n, m] : kDatasRemessa)
        if (auto it = t.find(n); it != t.end()) (d.*m).Text = it->second;
      for (const auto& [n, r, l] : kListasRemessa)
        if (auto it = t.find(n); it != t.end()) {
          (d.*r).Todos = it->second.empty();
          d.*l = it->second;
        }
      d.sbtConfirmaClick();
    });
    f.sbtFiltrarClick();
    filters::SetMostraFiltro(nullptr);
  };
}

json CriteriosLembrados() {
  json b = json::object();
  const TFiltroBoletos& c = filters::FiltroBoleto;
  for (const auto& [n, m] : kTextosBoletos) b[n] = fields::Cp1252ToUtf8(c.*m);
  for (const auto& [n, l, m] : kListasBoletos) b[n] = c.*l ? fields::Cp1252ToUtf8(c.*m) : "";
  for (const auto& [n, m] : kMarcasBoletos) b[n] = c.*m;
  json r = json::object();
  if (const TfrmFiltroRemessaCNAB* d = filters::frmFiltroRemessaCNAB) {
    for (const auto& [n, m] : kEditsRemessa) r[n] = fields::Cp1252ToUtf8((d->*m).Text);
    for (const auto& [n, m] : kDatasRemessa) r[n] = fields::Cp1252ToUtf8((d->*m).Text);
    for (const auto& [n, rb, l] : kListasRemessa) r[n] = (d->*rb).Todos ? "" : fields::Cp1252ToUtf8(d->*l);
  }
  return {{"boletos", b}, {"remessas", r}};
}

}  // namespace app::web
