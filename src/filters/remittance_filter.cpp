#include "filters/remittance_filter.h"

#include <cmath>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "host/busy.h"
#include "host/context.h"
#include "server/rdm_remessa_cnab.h"

namespace filters {

using fields::AllTrim;
using fields::EmptyString;
using host::Value;

TFILTRO FiltroRemessa;
TfrmFiltroRemessaCNAB* frmFiltroRemessaCNAB = nullptr;

namespace {

std::function<void(TfrmFiltroRemessaCNAB&)> g_show;

// A value edit as a number; an empty edit reads as 0.
bool Numero(const TEdit& e, double& out) {
  if (EmptyString(e.Text)) {
    out = 0;
    return true;
  }
  return fields::TryStrToFloat(AllTrim(e.Text), out);
}

std::string Valor(double v) {
  return v == 0 ? std::string() : fields::FormatFloat("0.00", v);
}

}  // namespace

void SetMostraFiltro(std::function<void(TfrmFiltroRemessaCNAB&)> show) {
  g_show = std::move(show);
}

std::string NomeSemana(TDateTime d) {
  static const char* const kDias[] = {"Domingo",      "Segunda-feira", "Terça-feira", "Quarta-feira",
                                      "Quinta-feira", "Sexta-feira",   "Sábado"};
  return fields::Utf8ToCp1252(kDias[fields::DayOfWeek(d) - 1]);
}

// ---- date edits ----

bool TDateEdit::Vazia() const {
  for (char c : Text)
    if (c != ' ' && c != '/' && c != '_') return false;
  return true;
}

bool TDateEdit::Valida() const {
  if (Vazia()) return true;
  TDateTime d = 0;
  return fields::TryStrToDate(AllTrim(Text), d);
}

TDateTime TDateEdit::Data() const {
  TDateTime d = 0;
  if (Vazia() || !fields::TryStrToDate(AllTrim(Text), d)) return 0;
  return fields::DateOf(d);
}

void TDateEdit::SetData(TDateTime d) {
  Text = d == 0 ? std::string() : fields::FormatDateTime("dd/mm/yyyy", d);
}

// ---- state ----

void ResetaFiltroRemessa() {
  const auto& c = host::Corvane();
  const TDateTime hoje = fields::DateOf(c.DataProc(c.FiliProc));
  FiltroRemessa = TFILTRO{};
  FiltroRemessa.DtIniRemessa = FiltroRemessa.DtFinRemessa = hoje;
}

TfrmFiltroRemessaCNAB::TfrmFiltroRemessaCNAB() {
  CriaCatalogo();
  CriaConsultas();
}

void TfrmFiltroRemessaCNAB::FormCreate() {
  if (auto* conexao = Contexto ? Contexto->Conexao() : nullptr)
    for (auto* q : {&qryOperador, &qryCliente, &qryFormRec, &qryContCorr}) q->SetConnection(conexao);
  ResetaFiltroRemessa();
  medNrRemessa.Text.clear();
  ActivePage = TPaginaFiltro::tshRemessa;
}

void TfrmFiltroRemessaCNAB::FormActivate() {
  EstadoParaControles();
}

void TfrmFiltroRemessaCNAB::EstadoParaControles() {
  const TFILTRO& f = FiltroRemessa;
  depDtIniVen.SetData(f.DtIniRemessa);
  depDtFinVen.SetData(f.DtFinRemessa);
  depDtIniVenChange();
  depDtFinVenChange();
  rbtOperador.Todos = f.Operador.Todos;
  stListOperador = f.Operador.Lista;
  nedVrRemIni.Text = Valor(f.VrRemIni);
  nedVrRemFin.Text = Valor(f.VrRemFin);
  rbtCliente.Todos = f.Cliente.Todos;
  stListCliente = f.Cliente.Lista;
  medDocIni.Text = f.Documento.Inicial;
  medDocFin.Text = f.Documento.Final;
  depDtIniEmi.SetData(f.DtIniEmissao);
  depDtFinEmi.SetData(f.DtFinEmissao);
  depVencIni.SetData(f.DtIniVencimento);
  depVencFin.SetData(f.DtFinVencimento);
  rbtFormRec.Todos = f.TpBaixa.Todos;
  stListTpBx = f.TpBaixa.Lista;
  rbtCCorr.Todos = f.CCorr.Todos;
  stListCCorr = f.CCorr.Lista;
  nedVrLiqIni.Text = Valor(f.VrLiqIni);
  nedVrLiqFin.Text = Valor(f.VrLiqFin);
  medNrRemessa.Text = f.NumRemessa.Numero;
  RadioChange();
}

void TfrmFiltroRemessaCNAB::ControlesParaEstado() {
  TFILTRO& f = FiltroRemessa;
  double v = 0;
  f.DtIniRemessa = depDtIniVen.Data();
  f.DtFinRemessa = depDtFinVen.Data();
  f.Operador = {rbtOperador.Todos, stListOperador};
  f.VrRemIni = Numero(nedVrRemIni, v) ? v : 0;
  f.VrRemFin = Numero(nedVrRemFin, v) ? v : 0;
  f.Cliente = {rbtCliente.Todos, stListCliente};
  f.Documento = {medDocIni.Text, medDocFin.Text};
  f.DtIniEmissao = depDtIniEmi.Data();
  f.DtFinEmissao = depDtFinEmi.Data();
  f.DtIniVencimento = depVencIni.Data();
  f.DtFinVencimento = depVencFin.Data();
  f.TpBaixa = {rbtFormRec.Todos, stListTpBx};
  f.CCorr = {rbtCCorr.Todos, stListCCorr};
  f.VrLiqIni = Numero(nedVrLiqIni, v) ? v : 0;
  f.VrLiqFin = Numero(nedVrLiqFin, v) ? v : 0;
}

void TfrmFiltroRemessaCNAB::sbtLimpaClick() {
  ResetaFiltroRemessa();
  EstadoParaControles();
  medNrRemessa.Text.clear();
}

// ---- confirmation ----

void TfrmFiltroRemessaCNAB::Falha(const std::string& key, TPaginaFiltro page, const std::string& control,
                                  const std::string& text) {
  ActivePage = page;
  ActiveControl = control;
  host::MensErro(text.empty() ? Msg(key) : text, true, key);
  throw host::EAbort();  // not reached
}

void TfrmFiltroRemessaCNAB::VerificaDatasRemessa() {
  const auto pg = TPaginaFiltro::tshRemessa;
  auto invalida = [&](const TDateEdit& e, const char* name) {
    Falha("Data_Inv", pg, name, "'" + e.Text + "' " + Msg("Data_Inv"));
  };
  if (depDtIniVen.Vazia() && !depDtFinVen.Vazia()) Falha("DataInicial_Deve", pg, "depDtIniVen");
  if (!depDtIniVen.Vazia()) {
    if (!depDtIniVen.Valida()) invalida(depDtIniVen, "depDtIniVen");
    if (depDtFinVen.Vazia()) Falha("DataFinal_Deve", pg, "depDtFinVen");
  }
  if (!depDtFinVen.Vazia() && !depDtFinVen.Valida()) invalida(depDtFinVen, "depDtFinVen");
  if (!depDtIniVen.Vazia() && depDtFinVen.Data() < depDtIniVen.Data())
    Falha("DtIni<DtFin", pg, "depDtIniVen");
}

void TfrmFiltroRemessaCNAB::VerificaPar(const TDateEdit& ini, const TDateEdit& fin, const char* iniName,
                                        const char* finName, const char* keyIni, const char* keyFin,
                                        const char* keyMenor) {
  const auto pg = TPaginaFiltro::tshBoletos;
  if (ini.Vazia() && !fin.Vazia()) Falha(keyIni, pg, iniName);
  if (!ini.Vazia() && fin.Vazia()) Falha(keyFin, pg, finName);
  if (ini.Vazia()) return;
  if (!ini.Valida()) Falha("Data_Inv", pg, iniName, "'" + ini.Text + "' " + Msg("Data_Inv"));
  if (!fin.Valida()) Falha("Data_Inv", pg, finName, "'" + fin.Text + "' " + Msg("Data_Inv"));
  if (fin.Data() < ini.Data()) Falha(keyMenor, pg, iniName);
}

void TfrmFiltroRemessaCNAB::sbtConfirmaClick() {
  const auto pgR = TPaginaFiltro::tshRemessa, pgB = TPaginaFiltro::tshBoletos;
  // 1, 2
  VerificaDatasRemessa();
  // 3
  if (!rbtOperador.Todos && EmptyString(stListOperador)) Falha("Operador_Deve", pgR, "btpOperador");
  // 4. Values: a value that does not read as a number is refused rather than
  // taken as "no restriction".
  auto faixa = [&](TEdit& ini, TEdit& fin, TPaginaFiltro pg, const char* iniName, const char* finName) {
    for (auto* e : {&ini, &fin})
      if (EmptyString(e->Text)) e->Text = "0";
    double a = 0, b = 0;
    if (!Numero(ini, a)) Falha("VrLiqu_menor", pg, iniName);
    if (!Numero(fin, b)) Falha("VrLiqu_menor", pg, finName);
    if (fields::RoundDec(b, 2) < fields::RoundDec(a, 2)) Falha("VrLiqu_menor", pg, iniName);
  };
  faixa(nedVrRemIni, nedVrRemFin, pgR, "nedVrRemIni", "nedVrRemFin");
  // 5
  medNrRemessa.Text = fields::Ajusta(AllTrim(medNrRemessa.Text), 10);
  // 6
  if (!rbtCliente.Todos && EmptyString(stListCliente)) Falha("Clie_inf", pgB, "btpListClie");
  // 7
  for (auto* e : {&medDocIni, &medDocFin})
    if (!EmptyString(e->Text)) e->Text = fields::Ajusta(AllTrim(e->Text), 7);
  if (EmptyString(medDocIni.Text) && !EmptyString(medDocFin.Text)) Falha("NumeroIni_inf", pgB, "medDocIni");
  if (!EmptyString(medDocIni.Text) && EmptyString(medDocFin.Text)) Falha("NumeroFin_inf", pgB, "medDocFin");
  if (!EmptyString(medDocIni.Text) && medDocIni.Text > medDocFin.Text)
    Falha("NumeroIni_menor", pgB, "medDocIni");
  // 8, 9
  VerificaPar(depVencIni, depVencFin, "depVencIni", "depVencFin", "DtVencIni_inf", "DtVencFin_inf",
              "DtVencIni_menor");
  VerificaPar(depDtIniEmi, depDtFinEmi, "depDtIniEmi", "depDtFinEmi", "DtEmisIni_inf", "DtEmisFin_inf",
              "DtEmisIni_menor");
  // 10
  if (!rbtFormRec.Todos && EmptyString(stListTpBx)) Falha("FormRec_inf", pgB, "btpPesqFRec");
  if (!rbtCCorr.Todos && EmptyString(stListCCorr)) Falha("CCorr_inf", pgB, "btnCCorr");
  // 11
  faixa(nedVrLiqIni, nedVrLiqFin, pgB, "nedVrLiqIni", "nedVrLiqFin");

  // 12, 13. The list changes only once the server has answered.
  auto* conexao = Contexto ? Contexto->Conexao() : nullptr;
  if (!conexao) throw std::logic_error("the remittance form is not open");
  host::TPacket lista;
  {
    host::TShowAvi avi;
    lista = server::CheckResultServ(conexao->GetCNABRec(ArgumentosGetCNABRec(Contexto->Empresa())));
  }
  Contexto->ListaRemessas().SetData(lista);
  // 14
  ControlesParaEstado();
  FormClose();
}

std::vector<Value> TfrmFiltroRemessaCNAB::ArgumentosGetCNABRec(const std::string& cdEmpresa) const {
  const Value T = std::string("T"), N = std::string();
  double v = 0;
  auto num = [&](const TEdit& e) { return fields::RoundDec(Numero(e, v) ? v : 0, 2); };
  const bool semData = depDtIniVen.Vazia() || depDtFinVen.Vazia();
  std::vector<Value> a;
  a.reserve(28);
  a.push_back(Value(cdEmpresa));                               // 1
  a.push_back(semData ? 0.0 : depDtIniVen.Data());             // 2
  a.push_back(semData ? 0.0 : depDtFinVen.Data() + 1);         // 3: the to day included
  a.push_back(semData ? T : N);                                // 4
  a.push_back(rbtOperador.Todos ? N : Value(stListOperador));  // 5
  a.push_back(rbtOperador.Todos ? T : N);                      // 6
  a.push_back(num(nedVrRemIni));                               // 7
  a.push_back(num(nedVrRemFin));                               // 8
  a.push_back(num(nedVrRemFin) == 0 ? T : N);                  // 9
  a.push_back(rbtCliente.Todos ? N : Value(stListCliente));    // 10
  a.push_back(rbtCliente.Todos ? T : N);                       // 11
  a.push_back(Value(medDocIni.Text));                          // 12
  a.push_back(Value(medDocFin.Text));                          // 13
  a.push_back(EmptyString(medDocFin.Text) ? T : N);            // 14
  a.push_back(depDtIniEmi.Data());                             // 15
  a.push_back(depDtFinEmi.Data());                             // 16
  a.push_back(depDtFinEmi.Data() == 0 ? T : N);                // 17
  a.push_back(depVencIni.Data());                              // 18
  a.push_back(depVencFin.Data());                              // 19
  a.push_back(depVencFin.Data() == 0 ? T : N);                 // 20
  a.push_back(rbtFormRec.Todos ? N : Value(stListTpBx));       // 21
  a.push_back(rbtFormRec.Todos ? T : N);                       // 22
  a.push_back(rbtCCorr.Todos ? N : Value(stListCCorr));        // 23
  a.push_back(rbtCCorr.Todos ? T : N);                         // 24
  a.push_back(num(nedVrLiqIni));                               // 25
  a.push_back(num(nedVrLiqFin));                               // 26
  a.push_back(num(nedVrLiqFin) == 0 ? T : N);                  // 27
  a.push_back(Value(medNrRemessa.Text));                       // 28
  return a;
}

// ---- lists ----

void TfrmFiltroRemessaCNAB::RadioChange() {
  btpOperador.Enabled = !rbtOperador.Todos;
  btpListClie.Enabled = !rbtCliente.Todos;
  btpPesqFRec.Enabled = !rbtFormRec.Todos;
  btnCCorr.Enabled = !rbtCCorr.Todos;
}

void TfrmFiltroRemessaCNAB::Pesquisa(host::TADOIBQuery& q, const std::string& key, const std::string& title,
                                     std::string& list, const char* emptyKey) {
  AbreLista(q, key, title, list, emptyKey ? emptyKey : "", emptyKey ? Msg(emptyKey) : "");
}

void TfrmFiltroRemessaCNAB::btpOperadorClick() {
  Pesquisa(qryOperador, "CDOPERADOR", Msg("OPERADOR") + "|" + Msg("Operador_NCadas"), stListOperador,
           nullptr);
}
void TfrmFiltroRemessaCNAB::btpListClieClick() {
  Pesquisa(qryCliente, "CDCLIENTE", Msg("Cliente"), stListCliente, "Clie_Cad");
}
void TfrmFiltroRemessaCNAB::btpPesqFRecClick() {
  Pesquisa(qryFormRec, "CDTPBAIXAREC", Msg("FRec"), stListTpBx, nullptr);
}
void TfrmFiltroRemessaCNAB::btnCCorrClick() {
  Pesquisa(qryContCorr, "CDREDUCONT", Msg("CCorr"), stListCCorr, "ContCorr_Cad");
}

// ---- editing aids ----

void TfrmFiltroRemessaCNAB::medDocIniExit() {
  if (!EmptyString(medDocIni.Text)) medDocIni.Text = fields::Ajusta(AllTrim(medDocIni.Text), 7);
  if (EmptyString(medDocFin.Text)) medDocFin.Text = medDocIni.Text;
}

void TfrmFiltroRemessaCNAB::medDocFinExit() {
  if (!EmptyString(medDocFin.Text)) medDocFin.Text = fields::Ajusta(AllTrim(medDocFin.Text), 7);
}

void TfrmFiltroRemessaCNAB::DataExit(TDateEdit& edit) {
  if (!edit.Valida()) host::MensErro("'" + edit.Text + "' " + Msg("Data_Inv"), true, "Data_Inv");
}

void TfrmFiltroRemessaCNAB::depDtIniVenChange() {
  const TDateTime d = depDtIniVen.Data();
  edtNmDiaSemIni.Text = d == 0 ? std::string() : fields::LeftStr(NomeSemana(d), 3);
}

void TfrmFiltroRemessaCNAB::depDtFinVenChange() {
  const TDateTime d = depDtFinVen.Data();
  edtNmDiaSemFin.Text = d == 0 ? std::string() : fields::LeftStr(NomeSemana(d), 3);
}

bool TfrmFiltroRemessaCNAB::AceitaTecla(char key) {
  return key != '-';
}

bool TfrmFiltroRemessaCNAB::MaxNumber(const std::string& text, int intDigits, int decDigits) {
  const auto virg = text.find_first_of(",.");
  const std::string inteira = virg == std::string::npos ? text : text.substr(0, virg);
  const std::string dec = virg == std::string::npos ? std::string() : text.substr(virg + 1);
  auto digitos = [](const std::string& s) {
    for (char c : s)
      if (c < '0' || c > '9') return false;
    return true;
  };
  return digitos(inteira) && digitos(dec) && static_cast<int>(inteira.size()) <= intDigits &&
         static_cast<int>(dec.size()) <= decDigits;
}

// ---- saved options ----

std::vector<std::pair<const char*, TEdit*>> TfrmFiltroRemessaCNAB::EditsSalvos() {
  return {{"depDtIniVen", &depDtIniVen}, {"depDtFinVen", &depDtFinVen},   {"nedVrRemIni", &nedVrRemIni},
          {"nedVrRemFin", &nedVrRemFin}, {"medNrRemessa", &medNrRemessa}, {"medDocIni", &medDocIni},
          {"medDocFin", &medDocFin},     {"depDtIniEmi", &depDtIniEmi},   {"depDtFinEmi", &depDtFinEmi},
          {"depVencIni", &depVencIni},   {"depVencFin", &depVencFin},     {"nedVrLiqIni", &nedVrLiqIni},
          {"nedVrLiqFin", &nedVrLiqFin}};
}

void TfrmFiltroRemessaCNAB::SalvaOpcoes(TOpcoes& options) const {
  for (const auto& [name, e] : const_cast<TfrmFiltroRemessaCNAB*>(this)->EditsSalvos())
    options[name] = e->Text;
  options["rbtOperador"] = OpcaoTodos(rbtOperador.Todos);
  options["rbtCliente"] = OpcaoTodos(rbtCliente.Todos);
  options["rbtFormRec"] = OpcaoTodos(rbtFormRec.Todos);
  options["rbtCCorr"] = OpcaoTodos(rbtCCorr.Todos);
  options["stListOperador"] = stListOperador;
  options["stlistcliente"] = stListCliente;
  options["stlistTpBx"] = stListTpBx;
  options["stlistCCorr"] = stListCCorr;
}

void TfrmFiltroRemessaCNAB::CarregaOpcoes(const TOpcoes& options) {
  for (const auto& [name, e] : EditsSalvos()) LeOpcao(options, name, e->Text);
  LeOpcao(options, "rbtOperador", rbtOperador.Todos);
  LeOpcao(options, "rbtCliente", rbtCliente.Todos);
  LeOpcao(options, "rbtFormRec", rbtFormRec.Todos);
  LeOpcao(options, "rbtCCorr", rbtCCorr.Todos);
  LeOpcao(options, "stListOperador", stListOperador);
  LeOpcao(options, "stlistcliente", stListCliente);
  LeOpcao(options, "stlistTpBx", stListTpBx);
  LeOpcao(options, "stlistCCorr", stListCCorr);
  depDtIniVenChange();
  depDtFinVenChange();
  RadioChange();
}

void TfrmFiltroRemessaCNAB::sbtSalvarOpcoesClick() {
  if (!Contexto) throw std::logic_error("the remittance form is not open");
  TOpcoes o;
  SalvaOpcoes(o);
  GravaOpcoes(*Contexto, ScreenCode, o);
}

void TfrmFiltroRemessaCNAB::sbtCarregarOpcoesClick() {
  if (!Contexto) throw std::logic_error("the remittance form is not open");
  CarregaOpcoes(LeOpcoes(*Contexto, ScreenCode));
}

// ---- creation ----

void CriaFiltroRemessaCNAB(const std::string& mode, IContextoFiltros& contexto) {
  if (!frmFiltroRemessaCNAB) {
    auto* f = new TfrmFiltroRemessaCNAB();
    f->Contexto = &contexto;
    f->FormCreate();
    frmFiltroRemessaCNAB = f;
  }
  auto& f = *frmFiltroRemessaCNAB;
  f.Contexto = &contexto;
  if (mode == "BOTAO_FILTRO") {
    f.Visible = true;
    f.FormActivate();
    if (g_show) g_show(f);
  } else if (mode == "ESCONDE_FILTRO") {
    f.FormActivate();
    f.sbtConfirmaClick();
  }
}

void LiberaFiltroRemessaCNAB() {
  delete frmFiltroRemessaCNAB;
  frmFiltroRemessaCNAB = nullptr;
}

// ---- catalogue and queries ----

void TfrmFiltroRemessaCNAB::CriaCatalogo() {
  static const std::pair<const char*, const char*> kEntries[] = {
      {"OPERADOR", "Operador "},
      {"Operador_Deve", "Operador deve ser informado."},
      {"Operador_NCadas", "Não há operador cadastrado."},
      {"DataInicial_Deve", "Data de remessa inicial deve ser informada."},
      {"DataFinal_Deve", "Data de remessa final deve ser informada."},
      {"DtIni<DtFin", "Data de remessa inicial deve ser menor ou igual a data de remessa final."},
      {"Data_Inv", "não é uma data válida."},
      {"Cliente", "Cliente"},
      {"Clie_inf", "Cliente deve ser informado."},
      {"Clie_Cad", "Não há cliente cadastrado."},
      {"FRec", "Tipo de Baixa"},
      {"FormRec_inf", "Tipo de baixa deve ser informado."},
      {"CCorr", "Conta Corrente"},
      {"CCorr_inf", "Conta corrente deve ser informada."},
      {"ContCorr_Cad", "Não há conta corrente cadastrada."},
      {"NumeroIni_inf", "Número inicial deve ser informado."},
      {"NumeroFin_inf", "Número final deve ser informado."},
      {"NumeroIni_menor", "Número inicial deve ser menor ou igual ao número final."},
      {"DtVencIni_inf", "Data de vencimento inicial deve ser informada."},
      {"DtVencFin_inf", "Data de vencimento final deve ser informada."},
      {"DtVencIni_menor", "Data de vencimento inicial deve ser menor ou igual a data de vencimento final."},
      {"VrLiqu_menor", "Valor inicial deve ser menor ou igual ao valor final."},
      {"DtEmisIni_inf", "Data de emissão inicial deve ser informada."},
      {"DtEmisFin_inf", "Data de emissão final deve ser informada."},
      {"DtEmisIni_menor", "Data de emissão inicial deve ser menor ou igual a data de emissão final."},
  };
  for (const auto& [key, text] : kEntries) msgPadrao.Add(key, fields::Utf8ToCp1252(text));
}

void TfrmFiltroRemessaCNAB::CriaConsultas() {
  qryOperador.SQL =
      "SELECT CDOPERADOR, NMOPERADOR\n"
      "FROM OPERADOR\n"
      "ORDER BY CDOPERADOR";
  qryCliente.SQL =
      "SELECT CDCLIENTE   , NMFANTCLIE, NMRAZSOCCLIE, IDTPIJURCLIE,\n"
      "       NRINSJURCLIE\n"
      "FROM CLIENTE\n"
      "ORDER BY NRINSJURCLIE";
  qryFormRec.SQL =
      "SELECT CDTPBAIXAREC, NMTPBAIXAREC\n"
      "FROM TIPOBAIXAREC\n"
      "ORDER BY CDTPBAIXAREC";
  qryContCorr.SQL =
      "SELECT CC.CDREDUCONT, CC.CDBANCO   , CC.CDAGENCIA, CC.CDCONTCORR,\n"
      "       BC.CDPICTCONT, CC.DSCONTCORR     ,BC.CDPICTAGEN\n"
      "FROM CONTCORR CC, BANCO BC\n"
      "WHERE (CC.CDBANCO = BC.CDBANCO)\n"
      "ORDER BY CC.CDREDUCONT";
}

}  // namespace filters
