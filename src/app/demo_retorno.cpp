// The demo's return files: for the last batch of every account whose bank
// answers in a layout built here, the answer the bank would send (one title paid, one refused, the others
// registered), written beside the batches and read back, so the demo shows
// the conversation closed.
#include <fstream>
#include <iostream>

#include "app/demo.h"
#include "app/retorno.h"
#include "app/terminal_ui.h"
#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "host/context.h"
#include "layouts/catalogue.h"
#include "layouts/retorno/retorno.h"

namespace app {

namespace rt = layouts::retorno;

namespace {

std::string S(const host::Value& v) {
  return host::ValueToString(v, host::TFieldType::ftString);
}

// Zeros on the left are the store's: the bank's field may be narrower.
std::string SemZeros(const std::string& n) {
  const size_t a = n.find_first_not_of('0');
  return a == std::string::npos ? "0" : n.substr(a);
}

// The number without its check digit, which the bank's return gives apart:
// the digits before a typed hyphen ("00098765-4"), else, for a number stored
// whole that fills the bank's picture ("9999999-9"), those the picture puts
// before its hyphen.
std::string SemDigito(const std::string& s, const std::string& picture) {
  const size_t hifen = s.find('-');
  if (hifen != std::string::npos) return fields::SemPontuacao(s.substr(0, hifen));
  const std::string d = fields::SemPontuacao(s), p = fields::SemPontuacao(picture);
  const size_t h = picture.find('-');
  const std::string n =
      h == std::string::npos || d.size() != p.size() ? d : d.substr(0, d.size() - (picture.size() - h - 1));
  return SemZeros(n);
}

double Numero(const host::Value& v) {
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* n = std::get_if<int64_t>(&v)) return static_cast<double>(*n);
  return 0;
}

int64_t Centavos(double v) {
  return static_cast<int64_t>(v * 100.0 + (v < 0 ? -0.5 : 0.5));
}

// The bank's answer to the account's last batch.
bool Resposta(server::TRemessaServer& s, const std::string& conta, const std::string& banco,
              layouts::TFamilia familia, const std::string& dir, TPedidoRetorno& pedido) {
  const auto lote = s.ExecuteQuery(
      "SELECT R.CDEMPRESA, R.NRCNABREC, C.CDREDUCONT, C.CDAGENCIA, C.CDCONTCORR, "
      "COALESCE(E.CDEMPBANCREC, C.CDCEDENTEBAN, ''), COALESCE(F.NRINSJURFILI, M.NRINSJUREMPR, ''), "
      "COALESCE(B.CDPICTAGEN, ''), COALESCE(B.CDPICTCONT, '') "
      "FROM CNABREC R JOIN CONTCORR C ON C.CDREDUCONT = R.CDREDUCONT LEFT JOIN BANCO B ON B.CDBANCO = "
      "C.CDBANCO "
      "JOIN EMPRESA M ON M.CDEMPRESA = R.CDEMPRESA LEFT JOIN FILIAL F ON F.CDFILIAL = R.CDFILIAL "
      "LEFT JOIN EMPRBANC E ON E.CDEMPRESA = R.CDEMPRESA AND E.CDBANCO = C.CDBANCO "
      "WHERE C.CDREDUCONT = :P_CONTA ORDER BY R.DTCNABREC DESC, R.NRCNABREC DESC LIMIT 1",
      {{"P_CONTA", conta}});
  if (lote.Rows.empty()) return false;
  const auto& l = lote.Rows[0];
  rt::TRetorno r;
  r.familia = familia;
  r.banco = banco;
  r.inscricao = fields::SemPontuacao(S(l[6]));
  r.agencia = SemDigito(S(l[3]), S(l[7]));
  r.conta = SemDigito(S(l[4]), S(l[8]));
  r.codigoEmpresa = fields::SemPontuacao(S(l[5]));
  const double hoje = host::Corvane().Date();
  r.data = fields::FormatDateTime("yyyy-mm-dd", hoje);
  r.sequencia = "1";
  const auto titulos = s.ExecuteQuery(
      "SELECT CDFILIAL, NRLANBOLREC, COALESCE(CDNOSNUMREC, ''), VRFINALBREC, DTVENBOLREC, "
      "COALESCE(DOCUMENTO, '') "
      "FROM BOLETOREC WHERE CDEMPRESA = :P_EMP AND NRCNABRECREM = :P_REM ORDER BY CDFILIAL, NRLANBOLREC",
      {{"P_EMP", S(l[0])}, {"P_REM", S(l[1])}});
  int n = 0;
  for (const auto& t : titulos.Rows) {
    rt::TOcorrencia o;
    o.registro = ++n;
    o.identificacao = S(t[0]) + S(t[1]);
    o.nossoNumero = SemZeros(fields::SemPontuacao(S(t[2])));
    o.documento = S(t[5]);
    o.valorTitulo = Centavos(Numero(t[3]));
    o.vencimento = fields::FormatDateTime("yyyy-mm-dd", Numero(t[4]));
    o.dataOcorrencia = r.data;
    // The first title paid, the second refused for its postcode, the rest registered.
    o.ocorrencia = n == 1 ? "06" : n == 2 ? "03" : "02";
    if (n == 1) {
      o.valorPago = o.valorTitulo;
      o.dataCredito = fields::FormatDateTime("yyyy-mm-dd", hoje + 1);
    }
    if (n == 2) o.motivos = "48";
    r.ocorrencias.push_back(std::move(o));
  }
  pedido.arquivo = dir + "/retorno-" + banco + "-" + S(l[2]) + ".ret";
  pedido.empresa = fields::Cp1252ToUtf8(S(l[0]));
  pedido.conta = fields::Cp1252ToUtf8(S(l[2]));
  std::ofstream(pedido.arquivo, std::ios::binary | std::ios::trunc) << rt::EscreveRetorno(r);
  return true;
}

}  // namespace

int DemoRetornos(const TGlobais& g, const std::string& dir) {
  auto s = Abre(g.db);
  // Every account with a batch whose bank answers in a layout built here.
  const auto contas = s->ExecuteQuery(
      "SELECT DISTINCT C.CDREDUCONT, C.CDBANCCNAB, COALESCE(C.CDBANCOCONV, '') FROM CONTCORR C "
      "JOIN CNABREC R ON R.CDREDUCONT = C.CDREDUCONT ORDER BY C.CDREDUCONT",
      {});
  for (const auto& c : contas.Rows) {
    const std::string banco = S(c[1]);
    const layouts::TEscritor* e = layouts::Despacha(banco, S(c[2]));
    if (!e || !e->retorno || !rt::LeiauteDoBanco(banco, e->retorno->familia)) continue;
    TPedidoRetorno p;
    if (!Resposta(*s, S(c[0]), banco, e->retorno->familia, dir, p)) continue;
    const TResultadoRetorno r = LeArquivoRetorno(*s, p);
    host::TClientDataSet a("cdsArqRetorno");
    a.SetData(r.arquivo);
    auto f = [&](const char* n) { return a.FieldByName(n).AsString(); };
    std::cout << Tela("Retorno " + f("NRARQRETORNO") + " (" + f("DSLEIAUTE") + ", banco " + banco +
                      ", conta " + f("CDREDUCONT") + "): " + p.arquivo + ", " + f("QTOCORRENCIAS") +
                      fields::Utf8ToCp1252(" ocorrência(s), ") + f("QTAPLICADAS") + " aplicada(s)\n");
  }
  return 0;
}

}  // namespace app
