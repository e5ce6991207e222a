#include "app/listings.h"

#include <iostream>
#include <map>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "host/context.h"
#include "layouts/catalogue.h"
#include "server/packets.h"
#include "workspace/form.h"

namespace app {

using fields::Utf8ToCp1252;

namespace {

std::string Situacao(const workspace::TfrmRemessaCNAB& f, host::TClientDataSet& ds) {
  const std::string situ = ds.FieldByName("IDSITUCNABR").AsString();
  std::string texto = f.Msg(situ.empty() ? "00" : situ);
  if (ds.FieldByName("IDBOLRECALTER").AsString() == "3") texto = f.Msg("BOL_ALTER") + "/" + texto;
  return texto;
}

// The store's rows of a look-up, each column as text.
std::vector<std::vector<std::string>> Linhas(server::TRemessaServer& s, const std::string& sql,
                                             const std::map<std::string, std::string>& params) {
  std::vector<std::vector<std::string>> linhas;
  for (const auto& row : s.ExecuteQuery(sql, params).Rows) {
    auto& l = linhas.emplace_back();
    for (const auto& v : row) l.push_back(host::ValueToString(v, host::TFieldType::ftString));
  }
  return linhas;
}

}  // namespace

void Tabela(const std::vector<std::pair<std::string, int>>& colunas,
            const std::vector<std::vector<std::string>>& linhas) {
  std::string cab;
  for (const auto& [nome, w] : colunas) cab += Celula(Utf8ToCp1252(nome), w);
  std::cout << fields::RTrim(cab) << "\n";
  for (const auto& l : linhas) {
    std::string linha;
    // A cell keeps one blank before the next column, however long its text.
    for (size_t i = 0; i < colunas.size(); ++i) {
      const int w = colunas[i].second;
      const std::string& c = i < l.size() ? l[i] : std::string();
      linha += Celula(w > 1 ? fields::LeftStr(c, w - 1) : c, w);
    }
    std::cout << fields::RTrim(linha) << "\n";
  }
}

int ComandoRemessas(const TGlobais& g, TFiltroRemessas filtro) {
  auto s = Abre(g.db);
  NomeDoOperador(*s);
  for (auto* c : {&filtro.empresa, &filtro.dataIni, &filtro.dataFin, &filtro.operadores, &filtro.valorIni,
                  &filtro.valorFin, &filtro.numero, &filtro.clientes, &filtro.docIni, &filtro.docFin,
                  &filtro.emissaoIni, &filtro.emissaoFin, &filtro.vencIni, &filtro.vencFin,
                  &filtro.tiposBaixa, &filtro.contas, &filtro.liquidoIni, &filtro.liquidoFin})
    *c = Utf8ToCp1252(*c);
  host::TClientDataSet ds("cdsCNABRec");
  ds.SetData(ListaRemessas(*s, filtro));
  std::vector<std::vector<std::string>> linhas;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    auto f = [&](const char* n) { return ds.FieldByName(n); };
    linhas.push_back({f("NRCNABREC").AsString(),
                      fields::FormatDateTime("dd/mm/yyyy hh:nn", f("DTCNABREC").AsDateTime()),
                      f("CDREDUCONT").AsString(), f("CDBANCCNAB").AsString(), f("IDOPECNABREC").AsString(),
                      std::to_string(f("QTBOLENVCNABREC").AsInteger()),
                      Dinheiro(f("VRTOTBOLCNABREC").AsFloat()), f("DSARQCNABREC").AsString()});
  }
  Tabela({{"Remessa", 8},
          {"Data", 18},
          {"Conta", 6},
          {"Banco", 6},
          {"Op.", 5},
          {"Qtde.", 7},
          {"Valor", 16},
          {"Arquivo", 0}},
         linhas);
  return 0;
}

int ComandoBoletos(const TGlobais& g, const std::string& empresa, const std::string& remessa,
                   bool documentos) {
  auto s = Abre(g.db);
  const auto a = workspace::ArgsBoletosRemessa(Utf8ToCp1252(empresa), remessa.empty() ? "N" : remessa);
  host::TClientDataSet ds("cdsBoletos");
  ds.SetData(server::CheckResultServ(s->GetBoletos(a)));
  workspace::TfrmRemessaCNAB catalogo;
  // What the bank's last return said of a title: its reasons for a refusal,
  // or what was paid and when.
  std::map<std::string, std::string> retorno;
  for (auto& l : Linhas(*s,
                        "SELECT CDFILIAL || '/' || NRLANBOLREC, COALESCE(DSMOTIVRET, ''), VRPAGORET, "
                        "COALESCE(DTPAGORET, '') FROM BOLETOREC WHERE CDEMPRESA = :P_EMP AND "
                        "(DSMOTIVRET IS NOT NULL OR VRPAGORET IS NOT NULL)",
                        {{"P_EMP", Utf8ToCp1252(empresa)}})) {
    std::string texto;
    if (!l[1].empty()) texto = "motivos " + l[1];
    double pago = 0;
    if (!l[2].empty() && fields::TryStrToFloat(l[2], pago)) {
      texto += (texto.empty() ? "" : "; ") + std::string("pago ") + Dinheiro(pago);
      if (l[3].size() >= 10)
        texto += " em " + l[3].substr(8, 2) + "/" + l[3].substr(5, 2) + "/" + l[3].substr(0, 4);
    }
    retorno[l[0]] = texto;
  }
  std::vector<std::vector<std::string>> linhas;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    auto f = [&](const char* n) { return ds.FieldByName(n).AsString(); };
    const auto ret = retorno.find(f("CDFILIAL") + "/" + f("NRLANBOLREC"));
    std::vector<std::string> l = {
        f("CDFILIAL") + "/" + f("NRLANBOLREC"),
        fields::FormatDateTime("dd/mm/yyyy", ds.FieldByName("DTVENBOLREC").AsDateTime()),
        f("NMRAZSOCCLIE"),
        Dinheiro(ds.FieldByName("VRFINALBREC").AsFloat()),
        f("CDREDUCONT"),
        f("NRCNABRECREM"),
        Situacao(catalogo, ds),
        ret == retorno.end() ? "" : ret->second};
    if (documentos) {
      // The invoices behind the title, as the titles page's side grid shows them.
      host::TClientDataSet docs("cdsDocumentos");
      docs.SetData(server::CheckResultServ(s->GetDocumentos(f("CDFILIAL"), f("NRLANBOLREC"))));
      std::string lista;
      for (docs.First(); !docs.Eof(); docs.Next()) {
        const std::string nf = docs.FieldByName("NRNOTAFISC").AsString(),
                          serie = docs.FieldByName("CDSERIE").AsString();
        lista += (lista.empty() ? "" : ", ") + (fields::EmptyString(serie) ? nf : nf + "/" + serie);
      }
      l.push_back(lista);
    }
    linhas.push_back(std::move(l));
  }
  std::vector<std::pair<std::string, int>> colunas = {
      {"Boleto", 17}, {"Vencimento", 12}, {"Cliente", 32},  {"Valor", 15},
      {"Conta", 6},   {"Remessa", 9},     {"Situação", 32}, {"Retorno", documentos ? 32 : 0}};
  if (documentos) colunas.emplace_back("Notas fiscais", 0);
  Tabela(colunas, linhas);
  return 0;
}

void MostraTitulos(const host::TPacket& p) {
  host::TClientDataSet ds("cdsBoletos");
  ds.SetData(p);
  workspace::TfrmRemessaCNAB catalogo;
  std::vector<std::vector<std::string>> linhas;
  for (ds.First(); !ds.Eof(); ds.Next())
    linhas.push_back({ds.FieldByName("CDFILIAL").AsString() + "/" + ds.FieldByName("NRLANBOLREC").AsString(),
                      Dinheiro(ds.FieldByName("VRFINALBREC").AsFloat()), Situacao(catalogo, ds)});
  for (const auto& l : linhas) std::cout << Celula(l[0], 17) << Celula(l[1], 15) << Celula(l[2]) << "\n";
}

// The companies the operator may work on.
int ComandoEmpresas(const TGlobais& g) {
  auto s = Abre(g.db);
  const std::string op = host::Corvane().Operador;
  std::vector<std::vector<std::string>> linhas;
  for (auto& l : Linhas(
           *s, "SELECT CDEMPRESA, NMEMPRESA, IDTPIJUREMPR, NRINSJUREMPR FROM EMPRESA ORDER BY CDEMPRESA", {}))
    if (s->AcessoOperEmpresa(op, l[0])) linhas.push_back(std::move(l));
  Tabela({{"Empresa", 9}, {"Nome", 42}, {"Tipo", 6}, {"Inscrição", 0}}, linhas);
  return 0;
}

// The company's accounts: the bank its file is written for and the writer
// that writes it, and whether a batch of it takes a collection account.
int ComandoContas(const TGlobais& g, const std::string& empresa) {
  auto s = Abre(g.db);
  std::vector<std::vector<std::string>> linhas;
  for (auto& l :
       Linhas(*s,
              "SELECT CDREDUCONT, CDBANCO, CDAGENCIA, CDCONTCORR, DSCONTCORR, "
              "COALESCE(CDBANCCNAB, ''), COALESCE(CDBANCOCONV, ''), IDCONTCOBR, COALESCE(CDFILIAL, '') "
              "FROM CONTCORR WHERE CDEMPRESA = :P_EMP ORDER BY CDREDUCONT",
              {{"P_EMP", Utf8ToCp1252(empresa)}})) {
    const layouts::TEscritor* e = layouts::Despacha(l[5], l[6]);
    const bool cobranca = l[7] == "S";
    linhas.push_back({l[0], l[1], l[2], l[3], l[4], l[5], e ? e->nome : "-",
                      cobranca ? "é conta cobrança" : (e && e->contaCobranca ? "sim" : "não"), l[8]});
  }
  for (auto& l : linhas) l[7] = Utf8ToCp1252(l[7]);
  Tabela({{"Conta", 6},
          {"Banco", 6},
          {"Agência", 9},
          {"Número", 12},
          {"Descrição", 22},
          {"Layout", 7},
          {"Writer", 24},
          {"Conta cobrança", 17},
          {"Filial", 0}},
         linhas);
  return 0;
}

int ComandoFiliais(const TGlobais& g, const std::string& empresa) {
  auto s = Abre(g.db);
  Tabela({{"Filial", 8}, {"Nome", 32}, {"Tipo", 6}, {"Inscrição", 0}},
         Linhas(*s,
                "SELECT CDFILIAL, NMFILIAL, IDTPIJURFILI, NRINSJURFILI FROM FILIAL WHERE CDEMPRESA = :P_EMP "
                "ORDER BY CDFILIAL",
                {{"P_EMP", Utf8ToCp1252(empresa)}}));
  return 0;
}

}  // namespace app
