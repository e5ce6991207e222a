#include "app/web/estado.h"

#include "app/cli_common.h"
#include "app/web/filtros.h"
#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "workspace/form.h"

namespace app::web {

using fields::Cp1252ToUtf8;
using workspace::TPagina;

namespace {

json Controle(const workspace::TControl& c) {
  return {{"texto", Cp1252ToUtf8(c.Text)}, {"habilitado", c.Enabled}, {"visivel", c.Visible}};
}

json Combo(const workspace::TComboBox& c) {
  json itens = json::array();
  for (const auto& i : c.Items) itens.push_back(Cp1252ToUtf8(i));
  return {{"itens", itens}, {"indice", c.ItemIndex}, {"habilitado", c.Enabled}};
}

const char* NomePagina(TPagina p) {
  switch (p) {
    case TPagina::tshFormulario:
      return "formulario";
    case TPagina::tshBoletos:
      return "boletos";
    default:
      return "remessas";
  }
}

std::string Texto(host::TClientDataSet& ds, const char* campo) {
  return Cp1252ToUtf8(ds.FieldByName(campo).AsString());
}

// The situation as the grid shows it: the catalogue's text, "Alterado/" before
// it for a title released for alteration.
std::string Situacao(workspace::TfrmRemessaCNAB& f, host::TClientDataSet& ds) {
  const std::string situ = ds.FieldByName("IDSITUCNABR").AsString();
  std::string texto = f.Msg(situ.empty() ? "00" : situ);
  if (ds.FieldByName("IDBOLRECALTER").AsString() == "3") texto = f.Msg("BOL_ALTER") + "/" + texto;
  return Cp1252ToUtf8(texto);
}

// Walks rows [inicio, inicio + quantos) with the controls disabled (no
// side grid is filled per row), then puts the cursor back.
template <class Linha>
json Pagina(host::TClientDataSet& ds, int inicio, int quantos, Linha linha) {
  json r = {{"total", ds.Active() ? ds.RecordCount() : 0},
            {"inicio", inicio},
            {"linhas", json::array()},
            {"atual", ds.Active() && !ds.IsEmpty() ? ds.RecNo() - 1 : -1}};
  if (!ds.Active() || ds.IsEmpty() || ds.State() != host::TDataSetState::dsBrowse) return r;
  const int volta = ds.RecNo();
  ds.DisableControls();
  struct Reativa {
    host::TClientDataSet& ds;
    int volta;
    ~Reativa() {
      ds.SetRecNo(volta);
      ds.EnableControls();
    }
  } reativa{ds, volta};
  const int fim = std::min(ds.RecordCount(), inicio + quantos);
  for (int i = inicio; i < fim; ++i) {
    ds.SetRecNo(i + 1);
    json l = linha(ds);
    l["linha"] = i;
    r["linhas"].push_back(std::move(l));
  }
  return r;
}

}  // namespace

json EstadoDoForm(workspace::TfrmRemessaCNAB& f) {
  json s;
  s["pagina"] = NomePagina(f.ActivePage);
  s["paginas"] = {{"remessas", f.tshFolhaDadosEnabled},
                  {"formulario", f.tshFormularioEnabled},
                  {"boletos", f.tshBoletosEnabled}};
  s["inserindo"] = f.Inserindo();
  s["empresa"] = Controle(f.medCdEmpresa);
  s["nomeEmpresa"] = Cp1252ToUtf8(f.NomeEmpresa);
  s["conta"] = Controle(f.dbeCdReduCont);
  s["contaCobranca"] = Controle(f.dbeCdReduContCobr);
  s["filial"] = Controle(f.dbeCdFilial);
  s["arquivo"] = Controle(f.dbeArquivo);
  s["arquivo"]["texto"] = Cp1252ToUtf8(f.NomeArquivo());
  s["operacao"] = Combo(f.dbcTpMov);
  s["tipoRemessa"] = Combo(f.cbbTpRemessa);
  s["data"] = Cp1252ToUtf8(f.dbeDtCNABRec.Text);
  json c;
  const std::pair<const char*, const workspace::TControl*> comandos[] = {
      {"incluir", &f.sbtIncluir},
      {"confirmar", &f.sbtConfirmar},
      {"cancelar", &f.sbtCancelar},
      {"filtrar", &f.sbtFiltrar},
      {"atualizar", &f.sbtAtualizar},
      {"imprimir", &f.sbtImprimir},
      {"cancelaRemessa", &f.sbtCancelaRemessa}};
  for (const auto& [nome, ctl] : comandos) c[nome] = ctl->Enabled;
  s["comandos"] = c;
  s["criterios"] = CriteriosLembrados();
  s["marcados"] = f.nedQuant;
  s["total"] = Dinheiro(f.nedTotal);
  s["creditoBancario"] = Dinheiro(f.doVrCreditoBancario);
  s["boletos"] = f.cdsBoletos.Active() ? f.cdsBoletos.RecordCount() : 0;
  s["remessas"] = f.cdsCNABRec.Active() ? f.cdsCNABRec.RecordCount() : 0;
  if (f.cdsCNABRec.Active() && !f.cdsCNABRec.IsEmpty()) {
    auto& r = f.cdsCNABRec;
    s["remessaAtual"] = {{"linha", r.RecNo() - 1},
                         {"numero", Texto(r, "NRCNABREC")},
                         {"descricaoConta", Texto(r, "DSCONTCORR")},
                         {"banco", Texto(r, "CDBANCO")},
                         {"agencia", Texto(r, "CDAGENCIA")},
                         {"filial", Texto(r, "NMFILIAL")}};
  }
  if (!f.UltimaRemessa.empty()) {
    json arqs = json::array();
    for (const auto& a : f.UltimosArquivos) arqs.push_back(Cp1252ToUtf8(a));
    s["ultimaRemessa"] = {{"numero", Cp1252ToUtf8(f.UltimaRemessa)}, {"arquivos", arqs}};
  }
  return s;
}

json PaginaBoletos(workspace::TfrmRemessaCNAB& f, int inicio, int quantos) {
  return Pagina(f.cdsBoletos, inicio, quantos, [&f](host::TClientDataSet& ds) -> json {
    return {{"marcado", ds.FieldByName("IDMARCADO").AsString() == "S"},
            {"filial", Texto(ds, "CDFILIAL")},
            {"numero", Texto(ds, "NRLANBOLREC")},
            {"vencimento", fields::FormatDateTime("dd/mm/yyyy", ds.FieldByName("DTVENBOLREC").AsDateTime())},
            {"cliente", Texto(ds, "NMRAZSOCCLIE")},
            {"tipoBaixa", Texto(ds, "NMTPBAIXAREC")},
            {"documento", Texto(ds, "DOCUMENTO")},
            {"valor", Dinheiro(ds.FieldByName("VRFINALBREC").AsFloat())},
            {"situacao", Situacao(f, ds)},
            {"conta", Texto(ds, "DSCONTCORR")}};
  });
}

json PaginaRemessas(workspace::TfrmRemessaCNAB& f, int inicio, int quantos) {
  return Pagina(f.cdsCNABRec, inicio, quantos, [&f](host::TClientDataSet& ds) -> json {
    const std::string op = ds.FieldByName("IDOPECNABREC").AsString();
    return {{"marcado", ds.FieldByName("IDMARCADO").AsString() == "S"},
            {"numero", Texto(ds, "NRCNABREC")},
            {"data", fields::FormatDateTime("dd/mm/yyyy hh:nn", ds.FieldByName("DTCNABREC").AsDateTime())},
            {"operador", Texto(ds, "NMOPERADOR")},
            {"conta", Texto(ds, "CDREDUCONT")},
            {"banco", Texto(ds, "CDBANCCNAB")},
            {"operacao", op.empty() ? "" : Cp1252ToUtf8(f.Msg(op))},
            {"quantidade", static_cast<int>(ds.FieldByName("QTBOLENVCNABREC").AsFloat())},
            {"valor", Dinheiro(ds.FieldByName("VRTOTBOLCNABREC").AsFloat())},
            {"arquivo", Texto(ds, "DSARQCNABREC")}};
  });
}

json LinhasPesquisa(host::TClientDataSet* ds) {
  json r = {{"colunas", json::array()}, {"linhas", json::array()}};
  if (!ds || !ds->Active()) return r;
  for (const auto& d : ds->FieldDefs()) r["colunas"].push_back(d.Name);
  Pagina(*ds, 0, ds->RecordCount(), [&r](host::TClientDataSet& d) -> json {
    json l = json::array();
    for (int i = 0; i < d.FieldCount(); ++i) l.push_back(Cp1252ToUtf8(d.Fields(i).AsString()));
    r["linhas"].push_back(std::move(l));
    return json::object();
  });
  return r;
}

}  // namespace app::web
