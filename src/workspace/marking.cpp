// The titles page: which titles a batch being prepared is offered, the rules
// that let a title be marked for the bank, and marking or unmarking them all.
#include <algorithm>

#include "fields/text.h"
#include "filters/sent_titles_filter.h"
#include "host/context.h"
#include "workspace/form.h"

namespace workspace {

using fields::Ajusta;
using fields::AllTrim;
using fields::EmptyString;
using host::Corvane;

void TfrmRemessaCNAB::LimpaMarcados() {
  // The rows lose their marks with the sets: a row left marked would still be
  // written to the file by the writer, though no longer counted in the batch.
  if (cdsBoletos.Active() && !cdsBoletos.IsEmpty() && BoletosMarcados.Count() > 0) {
    const int rec = cdsBoletos.RecNo();
    const int iMarcado = cdsBoletos.FindFieldIndex("IDMARCADO");
    auto depois = cdsBoletos.AfterPost;
    auto rolagem = cdsBoletos.AfterScroll;
    cdsBoletos.AfterPost = nullptr;
    cdsBoletos.AfterScroll = nullptr;
    cdsBoletos.DisableControls();
    for (cdsBoletos.First(); !cdsBoletos.Eof(); cdsBoletos.Next()) {
      if (cdsBoletos.Fields(iMarcado).AsString() != "S") continue;
      cdsBoletos.Edit();
      cdsBoletos.Fields(iMarcado).SetString("N");
      cdsBoletos.Post();
    }
    cdsBoletos.SetRecNo(rec);
    cdsBoletos.EnableControls();
    cdsBoletos.AfterPost = depois;
    cdsBoletos.AfterScroll = rolagem;
  }
  BoletosMarcados.Clear();
  Carteiras.Clear();
  nedQuant = 0;
  nedTotal = 0;
}

void TfrmRemessaCNAB::MostraBoletos() {
  using host::Value;
  const bool novo = Inserindo() || cdsCNABRec.State() == host::TDataSetState::dsEdit;
  if (novo && BoletosMarcados.Count() > 0) return;
  std::vector<Value> a;
  if (!novo) {
    a = ArgsBoletosRemessa(Empresa(), cdsCNABRec.FieldByName("NRCNABREC").AsString());
  } else {
    if (!filters::frmFiltroBoleEnviCNAB) filters::CriaFiltroBoleEnviCNAB("", *this);
    a = ArgsBoletosNovaRemessa(filters::FiltroBoleto);
  }
  cdsBoletos.SetData(server::CheckResultServ(netRemessaCNAB->GetBoletos(a)));
  if (!novo) {
    Carrega(cdsTotRemessa,
            netRemessaCNAB->GetTotRemessa(Empresa(), cdsCNABRec.FieldByName("NRCNABREC").AsString()));
    nedQuant = static_cast<int>(cdsTotRemessa.FieldByName("QTBOLETOS").AsFloat());
    nedTotal = cdsTotRemessa.FieldByName("VRTOTBOL").AsFloat();
  }
}

std::vector<host::Value> TfrmRemessaCNAB::ArgsBoletosNovaRemessa(const filters::TFiltroBoletos& f) {
  using host::Value;
  const std::string T = "T", op = cdsCNABRec.FieldByName("IDOPECNABREC").AsString();
  std::vector<Value> a;
  a.reserve(38);
  auto lista = [&](bool l, const std::string& v) {
    a.emplace_back(l ? v : std::string());
    a.emplace_back(l ? std::string() : T);
  };
  auto data = [](const std::string& t) {
    fields::TDateTime d = 0;
    fields::TryStrToDate(AllTrim(t), d);
    return d;
  };
  auto valor = [](const std::string& t) {
    double v = 0;
    fields::TryStrToFloat(t, v);
    return v;
  };
  a.emplace_back(Empresa());         // 1
  a.emplace_back(std::string("N"));  // 2
  lista(f.listClie, f.stListClie);   // 3, 4
  const bool docs = !EmptyString(f.docIni) && !EmptyString(f.docFin);
  a.emplace_back(docs ? Ajusta(AllTrim(f.docIni), 20) : std::string());  // 5
  a.emplace_back(docs ? Ajusta(AllTrim(f.docFin), 20) : std::string());  // 6
  a.emplace_back(docs ? std::string() : T);                              // 7
  lista(f.listFiliOrig, f.stFiliOrig);                                   // 8, 9
  lista(f.listFiliLanc, f.stFiliLanc);                                   // 10, 11
  const bool venc = !EmptyString(f.dtIniVen) && !EmptyString(f.dtFinVen);
  a.emplace_back(venc ? data(f.dtIniVen) : 0.0);  // 12
  a.emplace_back(venc ? data(f.dtFinVen) : 0.0);  // 13
  a.emplace_back(venc ? std::string() : T);       // 14
  lista(f.listFRec, f.stListFRec);                // 15, 16
  lista(f.listCCorr, f.stListCCorr);              // 17, 18
  const double v1 = valor(f.vrLiqIni), v2 = valor(f.vrLiqFin);
  const bool valores = v1 >= 0 && v2 > 0;
  a.emplace_back(valores ? v1 : 0.0);              // 19
  a.emplace_back(valores ? v2 : 0.0);              // 20
  a.emplace_back(valores ? std::string() : T);     // 21
  a.emplace_back(filters::ListaSituacoes(op, f));  // 22
  a.emplace_back(std::string());                   // 23
  const bool cart = !EmptyString(f.numCart);
  a.emplace_back(cart ? Ajusta(AllTrim(f.numCart), 2) : std::string());  // 24
  a.emplace_back(cart ? std::string() : T);                              // 25
  std::string tipos;
  if (f.simples) tipos += "_1";
  if (f.vinculada) tipos += "_2";
  if (f.caucionada) tipos += "_3";
  if (f.descontada) tipos += "_4";
  a.emplace_back(tipos);                                             // 26
  a.emplace_back(tipos.empty() ? T : std::string());                 // 27
  a.emplace_back(f.listGrupClie ? f.stGrupClie : std::string(" "));  // 28
  a.emplace_back(f.listGrupClie ? std::string(" ") : T);             // 29
  const bool emis = !EmptyString(f.dtIniEmi) && !EmptyString(f.dtFinEmi);
  a.emplace_back(emis ? data(f.dtIniEmi) : 0.0);  // 30
  a.emplace_back(emis ? data(f.dtFinEmi) : 0.0);  // 31
  a.emplace_back(emis ? std::string() : T);       // 32
  if (op == "A") {                                // 33, 34
    a.emplace_back(std::string(f.alterado ? "3" : "1_2"));
    a.emplace_back(std::string());
  } else {
    a.emplace_back(std::string());
    a.emplace_back(T);
  }
  a.emplace_back(f.nrRemessa);  // 35
  a.emplace_back(f.nrRetorno);  // 36
  a.emplace_back(f.orcaDe);     // 37
  a.emplace_back(f.orcaAte);    // 38
  return a;
}

void TfrmRemessaCNAB::tshBoletosShow() {
  ActivePage = TPagina::tshBoletos;
  pgcPadraoChange();
}

bool TfrmRemessaCNAB::sbtFiltroClick(const std::function<void(filters::TfrmFiltroBoleEnviCNAB&)>& opera) {
  if (ActivePage == TPagina::tshFolhaDados) {
    RefazLista();
    return true;
  }
  const bool marcados = BoletosMarcados.Count() > 0;
  if (marcados && !Pergunta("Bol_mar", host::TMsgDlgButtons::mbOKCancel)) return false;
  filters::CriaFiltroBoleEnviCNAB("BOTAO_FILTRO", *this);
  auto& f = *filters::frmFiltroBoleEnviCNAB;
  if (opera) opera(f);
  bool ok = f.ModalResult != 2;
  if (ok) {
    f.sbtConfirmaClick();
    if (marcados) {
      BoletosMarcados.Clear();
      Carteiras.Clear();
      nedQuant = 0;
      nedTotal = 0;
    }
  }
  MostraBoletos();
  return ok;
}

void TfrmRemessaCNAB::MarcaBoleto(bool marcar) {
  if (cdsBoletos.IsEmpty()) return;
  cdsBoletos.Edit();
  cdsBoletos.FieldByName("IDMARCADO").SetString(marcar ? "S" : "N");
  cdsBoletos.Post();
}

void TfrmRemessaCNAB::cdsBoletosAfterPost() {
  auto f = [this](const char* n) { return cdsBoletos.FieldByName(n); };
  const std::string chave = f("CDFILIAL").AsString() + f("NRLANBOLREC").AsString();
  const bool marcado = f("IDMARCADO").AsString() == "S";
  const bool estava = BoletosMarcados.Contains(chave);
  if (marcado == estava) return;
  const bool preparando = Inserindo() || cdsCNABRec.State() == host::TDataSetState::dsEdit;
  const double valor = fields::RoundDec(f("VRFINALBREC").AsFloat(), 2);
  const std::string cart =
      EmptyString(f("CDCARTCOBBOL").AsString()) ? "00000" : Ajusta(f("CDCARTCOBBOL").AsString(), 5);
  const std::string situ = AllTrim(f("IDSITUCNABR").AsString());
  const bool credito = f("IDCARTCOBREC").AsString() == "4" && (situ == "00" || situ.empty());
  const int sinal = marcado ? 1 : -1;
  if (marcado)
    BoletosMarcados.Add(chave, f("VRFINALBREC").AsFloat());
  else
    BoletosMarcados.Remove(chave);
  if (preparando) {
    if (marcado)
      Carteiras.Add(cart);
    else
      Carteiras.Remove(cart);
    nedQuant += sinal;
    nedTotal = fields::RoundDec(fields::RoundDec(nedTotal, 2) + sinal * valor, 2);
    if (credito) doVrCreditoBancario += sinal * f("VRFINALBREC").AsFloat();
  }
}

std::string TfrmRemessaCNAB::Marca_Boletos(bool interactive) {
  if (cdsBoletos.IsEmpty()) return "vazio";
  auto b = [this](const char* n) { return cdsBoletos.FieldByName(n); };
  if (b("IDBAIXAUTILR").AsString() == "P") Erro("BOLTPCOMP");
  if (b("IDMARCADO").AsString() == "S") {
    MarcaBoleto(false);
    return {};
  }
  std::string recusa;
  auto falha = [&](const char* key, bool sempre = false) {
    if (interactive || sempre) Erro(key);
    if (recusa.empty()) recusa = key;
  };
  const std::string banco = cdsCNABRec.FieldByName("CDBANCCNAB").AsString();
  auto banco_em = [&](std::initializer_list<const char*> l) {
    for (auto* x : l)
      if (banco == x) return true;
    return false;
  };
  // 1. a billing address, unless the title has its payer override record
  const std::string filial = b("CDFILIAL").AsString(), numero = b("NRLANBOLREC").AsString();
  CarregaRegistro("LICENCAUSO", cdsLicencaUso, filial, numero,
                  [&] { return netRemessaCNAB->GetLicencaUso(filial, numero); });
  if (cdsLicencaUso.IsEmpty()) {
    Lote.Abre(qryTpEnde, "P_CDCLIENTE", b("CDCLIENTE").AsString());
    if (qryTpEnde.IsEmpty() || qryTpEnde.FieldByName("IDTPENDECLIE").AsString() != "C") falha("ClieC");
  }
  // 2. the bank needs the nosso número unless it issues the slip itself
  if (b("IDIMPRBOLBOL").AsString() != "B" && EmptyString(b("CDNOSNUMREC").AsString()))
    falha("NossoNum_Empty");
  // 3. these banks take at most 14 characters of the company's tax id
  if (banco_em({"275", "356"}) && qryEmpresa.Active() &&
      AllTrim(qryEmpresa.FieldByName("NRINSJUREMPR").AsString()).size() > 14)
    falha("INSCRICAO_INV", true);
  // 4. a portfolio, where the bank's layout carries one
  if ((EmptyString(b("CDCARTCOBBOL").AsString()) || EmptyString(b("IDCARTCOBREC").AsString())) &&
      !banco_em({"041", "604"}))
    falha("CART_EMPTY");
  // 5.
  if (banco == "104" && b("IDCARTCOBREC").AsString() == "2") falha("TipoCart_INV");
  // 6. one portfolio per file for these banks
  if (banco_em({"001", "275", "356"}) && Carteiras.Count() > 0) {
    const std::string cart =
        EmptyString(b("CDCARTCOBBOL").AsString()) ? "00000" : Ajusta(b("CDCARTCOBBOL").AsString(), 5);
    if (!Carteiras.Contains(cart)) falha("CART_DIF");
  }
  // 7. a title due today can still be sent
  if (!b("DTVENBOLREC").IsNull() && Corvane().Date() > fields::DateOf(b("DTVENBOLREC").AsDateTime()))
    falha("Bol_Venc");
  // 8. never a title of another account
  if (b("CDREDUCONT").AsString() != cdsCNABRec.FieldByName("CDREDUCONT").AsString()) falha("ContCorr_dif");
  // 9.
  if (banco == "399") {
    const int64_t dias = b("QTDIAPROTBOL").AsInteger();
    if (dias > 45 || (dias >= 36 && dias <= 44)) falha("Protesto_Exc");
  }
  // 10. advance credit of the client
  if (recusa.empty() && b("IDSTATBREC").AsString() == "A") {
    double zero = 0;
    const std::string adiant = server::CheckResultText(netRemessaCNAB->ValidFinanceiro(
        "Verifica_Adiantamento", "", "", zero, b("CDCLIENTE").AsString(), b("CDEMPRESA").AsString()));
    if (adiant == "S" && (!interactive || !Pergunta("Bol_Adia"))) recusa = "Bol_Adia";
  }
  if (!recusa.empty()) return recusa;
  MarcaBoleto(true);
  return {};
}

void TfrmRemessaCNAB::VerificaRaizCNPJ(const std::string& filial, const std::string& numero) {
  const std::string batch = cdsCNABRec.FieldByName("CDFILIAL").AsString();
  if (EmptyString(batch)) return;
  if (!cdsFilial.Active() || cdsFilial.IsEmpty() || !cdsFilial.Locate("CDFILIAL", {batch})) {
    Carrega(cdsFilial, netRemessaCNAB->GetFilial(batch, Empresa()));
    if (cdsFilial.IsEmpty()) return;
  }
  const std::string raiz =
      AllTrim(fields::LeftStr(fields::Nr_Codigo(cdsFilial.FieldByName("NRINSJURFILI").AsString()), 8));
  CarregaRegistro("FILIRECE", cdsFiliRece, filial, numero,
                  [&] { return netRemessaCNAB->GetFiliRece(filial, numero); });
  for (cdsFiliRece.First(); !cdsFiliRece.Eof(); cdsFiliRece.Next()) {
    if (AllTrim(fields::LeftStr(fields::Nr_Codigo(cdsFiliRece.FieldByName("NRINSJURFILI").AsString()), 8)) !=
        raiz) {
      cdsFilial.SetFiltered(false);
      Erro("FILI_DIF");
    }
  }
}

void TfrmRemessaCNAB::MarcaBoletoAtual() {
  if (cdsBoletos.IsEmpty()) return;
  try {
    if (Inserindo()) {
      if (cdsBoletos.FieldByName("IDMARCADO").AsString() != "S")
        VerificaRaizCNPJ(cdsBoletos.FieldByName("CDFILIBOLREC").AsString(),
                         cdsBoletos.FieldByName("NRLANBOLREC").AsString());
      Marca_Boletos(true);
    } else {
      Marca_Bol_Cancel(true);
    }
  } catch (...) {
    ActiveControl = "grdBoletos";
    throw;
  }
}

std::vector<std::pair<std::string, int>> TfrmRemessaCNAB::MarcaTodos(bool perguntar) {
  std::vector<std::pair<std::string, int>> recusas;
  Recusados.clear();
  if (cdsBoletos.IsEmpty()) return recusas;
  const bool algum = BoletosMarcados.Count() > 0;
  if (perguntar && !Pergunta(algum ? "CONF_DESMARC" : "CONF_MARC")) return recusas;
  struct Reativa {
    TClientDataSet& ds;
    ~Reativa() {
      ds.EnableControls();
      ds.First();
    }
  } reativa{cdsBoletos};
  cdsBoletos.DisableControls();
  const int iMarcado = cdsBoletos.FindFieldIndex("IDMARCADO");
  const int iBaixa = cdsBoletos.FindFieldIndex("IDBAIXAUTILR");
  const int iFilial = cdsBoletos.FindFieldIndex("CDFILIAL"),
            iNumero = cdsBoletos.FindFieldIndex("NRLANBOLREC");
  std::vector<TRegistrosLote::TTitulo> titulos;
  if (!algum && Inserindo()) {
    titulos.reserve(static_cast<size_t>(cdsBoletos.RecordCount()));
    for (cdsBoletos.First(); !cdsBoletos.Eof(); cdsBoletos.Next())
      if (cdsBoletos.Fields(iMarcado).AsString() != "S")
        titulos.emplace_back(cdsBoletos.Fields(iFilial).AsString(), cdsBoletos.Fields(iNumero).AsString());
  }
  TEmLote lote(Lote, *netRemessaCNAB, titulos, cdsCNABRec.FieldByName("CDBANCO").AsString());
  for (cdsBoletos.First(); !cdsBoletos.Eof(); cdsBoletos.Next()) {
    const bool marcado = cdsBoletos.Fields(iMarcado).AsString() == "S";
    if (algum) {
      if (marcado) MarcaBoleto(false);
      continue;
    }
    if (cdsBoletos.Fields(iBaixa).AsString() == "P") continue;
    std::string r;
    if (Inserindo()) {
      r = Marca_Boletos(false);
    } else {
      Marca_Bol_Cancel(false);
    }
    if (r.empty()) continue;
    Recusados.emplace_back(
        cdsBoletos.Fields(iFilial).AsString() + "/" + cdsBoletos.Fields(iNumero).AsString(), r);
    auto it = std::find_if(recusas.begin(), recusas.end(), [&](auto& p) { return p.first == r; });
    if (it == recusas.end())
      recusas.emplace_back(r, 1);
    else
      ++it->second;
  }
  return recusas;
}

void TfrmRemessaCNAB::Vd_Boletos() {
  if (BoletosMarcados.Count() == 0) {
    ActivePage = TPagina::tshBoletos;
    Erro("BOLE_INF");
  }
}

}  // namespace workspace
