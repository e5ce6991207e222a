#include "app/retorno.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "app/listings.h"
#include "app/terminal_ui.h"
#include "fields/cp1252.h"
#include "fields/text.h"
#include "host/context.h"
#include "host/resumo.h"
#include "layouts/retorno/retorno.h"
#include "server/packets.h"
#include "workspace/form.h"

namespace app {

using fields::Utf8ToCp1252;
namespace rt = layouts::retorno;

namespace {

host::Value Texto(const std::string& s) {
  return host::Value(host::TText(s));
}

double Reais(int64_t centavos) {
  return static_cast<double>(centavos) / 100.0;
}

host::TPacket Cabecalho(const rt::TRetorno& r, const TPedidoRetorno& p, const std::string& bytes) {
  host::TPacket a;
  a.Fields = server::PacketFields("ARQRETORNO");
  host::Row row(a.Fields.size());
  auto poe = [&](const char* n, const std::string& v) { row[static_cast<size_t>(a.IndexOf(n))] = Texto(v); };
  poe("CDREDUCONT", Utf8ToCp1252(p.conta));
  poe("CDBANCO", r.banco);
  poe("DSLEIAUTE", r.leiaute);
  poe("DTARQUIVO", r.data);
  poe("NRSEQRETORNO", r.sequencia);
  poe("DSDIGEST", host::Resumo(bytes));
  poe("DSARQUIVO", Utf8ToCp1252(p.arquivo));
  poe("NRINSCRICAO", r.inscricao);
  poe("CDAGENCIA", r.agencia);
  poe("CDCONTA", r.conta);
  poe("CDCODEMPRESA", r.codigoEmpresa);
  a.Rows.push_back(std::move(row));
  return a;
}

host::TPacket Ocorrencias(const rt::TRetorno& r) {
  host::TPacket o;
  o.Fields = server::PacketFields("OCORRETORNO");
  for (const auto& oc : r.ocorrencias) {
    host::Row row(o.Fields.size());
    auto poe = [&](const char* n, host::Value v) { row[static_cast<size_t>(o.IndexOf(n))] = std::move(v); };
    poe("NRREGISTRO", host::Value(int64_t{oc.registro}));
    poe("CDOCORRENCIA", Texto(oc.ocorrencia));
    poe("DSOCORRENCIA", Texto(oc.descricao));
    poe("IDEFEITO", Texto(rt::Letra(oc.efeito)));
    poe("DSMOTIVOS", Texto(oc.motivos));
    poe("DSIDENTIF", Texto(oc.identificacao));
    poe("CDNOSNUM", Texto(oc.nossoNumero));
    poe("DSDOCUMENTO", Texto(oc.documento));
    poe("DTVENCIMENTO", Texto(oc.vencimento));
    poe("DTOCORRENCIA", Texto(oc.dataOcorrencia));
    poe("DTCREDITO", Texto(oc.dataCredito));
    poe("VRTITULO", host::Value(Reais(oc.valorTitulo)));
    poe("VRPAGO", host::Value(Reais(oc.valorPago)));
    poe("VRTARIFA", host::Value(Reais(oc.tarifa)));
    poe("VRJUROS", host::Value(Reais(oc.juros)));
    poe("VRDESCONTO", host::Value(Reais(oc.desconto)));
    poe("VRABATIMENTO", host::Value(Reais(oc.abatimento)));
    o.Rows.push_back(std::move(row));
  }
  return o;
}

std::string Situacao(const workspace::TfrmRemessaCNAB& f, const std::string& situ) {
  return situ.empty() ? "" : f.Msg(situ);
}

void MostraOcorrencias(const host::TPacket& p) {
  host::TClientDataSet ds("cdsOcorrRetorno");
  ds.SetData(p);
  workspace::TfrmRemessaCNAB catalogo;
  std::vector<std::vector<std::string>> linhas;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    auto f = [&](const char* n) { return ds.FieldByName(n).AsString(); };
    const std::string titulo = f("CDFILIAL").empty() ? "-" : f("CDFILIAL") + "/" + f("NRLANBOLREC");
    std::string situacao;
    if (!f("IDSITUANTES").empty()) {
      situacao = Situacao(catalogo, f("IDSITUANTES"));
      if (f("IDSITUDEPOIS") != f("IDSITUANTES")) situacao += " > " + Situacao(catalogo, f("IDSITUDEPOIS"));
    }
    const double pago = ds.FieldByName("VRPAGO").AsFloat();
    linhas.push_back({f("NRREGISTRO"), f("CDOCORRENCIA") + " " + f("DSOCORRENCIA"), titulo, situacao,
                      f("DSMOTIVOS"), pago > 0 ? Dinheiro(pago) : "", f("DSRESULTADO")});
  }
  Tabela({{"Reg.", 6},
          {"Ocorrência", 40},
          {"Boleto", 16},
          {"Situação", 52},
          {"Motivos", 16},
          {"Valor pago", 14},
          {"Resultado", 0}},
         linhas);
}

}  // namespace

TResultadoRetorno LeArquivoRetorno(server::TRemessaServer& s, const TPedidoRetorno& p) {
  const std::string bytes = LeArquivo(p.arquivo);
  const rt::TRetorno r = rt::LeRetorno(bytes);
  const std::string empresa = Utf8ToCp1252(p.empresa);
  const std::string operador = host::Corvane().Operador;
  workspace::TfrmRemessaCNAB catalogo;
  if (!empresa.empty() && !s.AcessoOperEmpresa(operador, empresa))
    throw std::runtime_error(catalogo.Msg("Emp_Nr"));
  TResultadoRetorno res;
  s.StartTransaction();
  try {
    server::TServerReply reply =
        s.SetRetorno(operador, empresa, Cabecalho(r, p, bytes), Ocorrencias(r), p.parcial);
    server::CheckResultServ(reply);
    res.novo = reply.Text == "1";
    res.arquivo = std::move(reply.Array.at(0));
    res.ocorrencias = std::move(reply.Packet);
    // A company found from the header is one the operator must be allowed.
    const std::string daqui =
        host::ValueToString(res.arquivo.Rows.at(0)[static_cast<size_t>(res.arquivo.IndexOf("CDEMPRESA"))],
                            host::TFieldType::ftString);
    if (empresa.empty() && !s.AcessoOperEmpresa(operador, daqui))
      throw std::runtime_error(catalogo.Msg("Emp_Nr"));
    if (p.simular || !res.novo)
      s.Rollback();
    else
      s.Commit();
  } catch (...) {
    s.Rollback();
    throw;
  }
  return res;
}

int ComandoRetorno(const TGlobais& g, const TPedidoRetorno& p) {
  auto s = Abre(g.db);
  const TResultadoRetorno r = LeArquivoRetorno(*s, p);
  host::TClientDataSet a("cdsArqRetorno");
  a.SetData(r.arquivo);
  auto f = [&](const char* n) { return a.FieldByName(n).AsString(); };
  if (!r.novo) {
    std::cout << Tela(
        Utf8ToCp1252("O arquivo retorno já foi lido (retorno " + f("NRARQRETORNO") + " da empresa ") +
        f("CDEMPRESA") + Utf8ToCp1252(", lido em " + DataIso(f("DTLEITURA")) + "): nada foi alterado.\n"));
    return 0;
  }
  if (p.simular) std::cout << Tela(Utf8ToCp1252("Simulação: nada foi gravado.\n"));
  std::cout << Tela("Retorno " + f("NRARQRETORNO") + " da empresa " + f("CDEMPRESA") + ", conta " +
                    f("CDREDUCONT") + " (banco " + f("CDBANCO") + ", " + f("DSLEIAUTE") +
                    Utf8ToCp1252(", sequência ") + f("NRSEQRETORNO") + ", arquivo de " +
                    DataIso(f("DTARQUIVO")) + "): " + f("QTOCORRENCIAS") + Utf8ToCp1252(" ocorrência(s), ") +
                    f("QTAPLICADAS") + " aplicada(s), " + f("QTNAOENCONTR") + Utf8ToCp1252(" sem título.\n"));
  MostraOcorrencias(r.ocorrencias);
  return 0;
}

int ComandoRetornos(const TGlobais& g, const std::string& empresa, const std::string& numero) {
  auto s = Abre(g.db);
  const std::string e = Utf8ToCp1252(empresa);
  if (!numero.empty()) {
    MostraOcorrencias(server::CheckResultServ(s->GetOcorrRetorno(e, std::stoll(numero))));
    return 0;
  }
  host::TClientDataSet a("cdsArqRetorno");
  a.SetData(server::CheckResultServ(s->GetRetornos(e)));
  std::vector<std::vector<std::string>> linhas;
  for (a.First(); !a.Eof(); a.Next()) {
    auto f = [&](const char* n) { return a.FieldByName(n).AsString(); };
    linhas.push_back(
        {f("NRARQRETORNO"), f("CDREDUCONT"), f("CDBANCO"), f("DSLEIAUTE"), f("NRSEQRETORNO"),
         DataIso(f("DTARQUIVO")),
         DataIso(f("DTLEITURA")) + f("DTLEITURA").substr(std::min<size_t>(10, f("DTLEITURA").size()), 6),
         f("QTOCORRENCIAS"), f("QTAPLICADAS"), f("QTNAOENCONTR"), f("DSARQUIVO")});
  }
  Tabela({{"Retorno", 9},
          {"Conta", 6},
          {"Banco", 6},
          {"Leiaute", 14},
          {"Sequência", 11},
          {"Data", 12},
          {"Lido em", 18},
          {"Ocorr.", 8},
          {"Aplic.", 8},
          {"Sem título", 12},
          {"Arquivo", 0}},
         linhas);
  return 0;
}

}  // namespace app
