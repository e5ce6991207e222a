// The per-title record kinds, read for one title, for a list of titles (one
// title after another: a store's server may read a list faster its own
// way), and the access key of a title's invoice.
#include "server/title_records.h"

#include "server/packets.h"
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

namespace detail {

const std::vector<TRegistroTitulo>& RegistrosTitulo() {
  static const std::vector<TRegistroTitulo> r = [] {
    std::vector<TRegistroTitulo> v = {
        {"DOCBOL",
         "D",
         {{"NRNOTAFISC", "N.NRNOTAFISC"},
          {"NRACESSONFE", "N.NRACESSONFE"},
          {"VRNOTAFISC", "N.VRNOTAFISC"},
          {"DTEMISSAO", "COALESCE(D.DTEMISSAO, N.DTEMISSAO)"}},
         "DUPLICATA D LEFT JOIN NOTAFISCAL N ON N.CDFILIAL = D.CDFILINF AND N.NRLANCTONF = D.NRLANCTONF",
         "D.CDFILIAL",
         "D.NRLANBOLREC",
         kDuplicataOrder,
         true},
        {"DUPLICATA", "D", {}, "DUPLICATA D", "D.CDFILIAL", "D.NRLANBOLREC", kDuplicataOrder, true},
        {"LICENCAUSO", "L", {}, "LICENCAUSO L", "L.CDFILIAL", "L.NRLANBOLREC", "", false},
        {"TXBOLETOS", "T", {}, "TXBOLETO T", "T.CDFILIAL", "T.NRLANBOLREC", "", false},
        {"INSTRUBOL", "I", {}, "INSTRUBOL I", "I.CDFILIAL", "I.NRLANBOLREC", "", false, true},
        {"FILIRECE",
         "N",
         {{"CDFILIBOLREC", "B.CDFILIBOLREC"},
          {"NRLANBOLREC", "B.NRLANBOLREC"},
          {"NRINSJURFILI", "F.NRINSJURFILI"}},
         "BOLETOREC B JOIN DUPLICATA D ON D.CDFILIAL = B.CDFILIAL AND D.NRLANBOLREC = B.NRLANBOLREC"
         " JOIN NOTAFISCAL N ON N.CDFILIAL = D.CDFILINF AND N.NRLANCTONF = D.NRLANCTONF"
         " LEFT JOIN FILIAL F ON F.CDFILIAL = N.CDFILIRECE",
         "B.CDFILIBOLREC",
         "B.NRLANBOLREC",
         " ORDER BY N.CDFILIAL, N.NRLANCTONF",
         false},
    };
    for (auto& x : v) {
      const auto& defs = PacketFields(x.packet);
      x.umTitulo = "SELECT " + SelectList(defs, x.alias, x.exprs) + " FROM " + x.from + " WHERE " + x.branch +
                   " = ?1 AND " + x.number + " = ?2" + (x.bank ? std::string(" AND I.CDBANCO = ?3") : "") +
                   x.order + (x.first ? " LIMIT 1" : "");
      std::string order = x.order;
      if (!order.empty()) order = ", " + order.substr(std::string(" ORDER BY ").size());
      // The list drives the join (CROSS JOIN keeps it the outer loop): each
      // title is a look-up in the kind's key, never a scan of the list. The
      // list is kept in key order, so that look-ups of neighbouring titles
      // fall on the same pages; the caller puts the rows back in its order.
      x.lista = "SELECT K.NRORDEM AS NRORDEM, " + SelectList(defs, x.alias, x.exprs) +
                " FROM temp.LOTEBOLETO K CROSS JOIN " + x.from + " WHERE " + x.branch + " = K.CDFILIAL AND " +
                x.number + " = K.NRLANBOLREC" + (x.bank ? " AND I.CDBANCO = ?1" : "") + " ORDER BY K.rowid" +
                order;
    }
    return v;
  }();
  return r;
}

const TRegistroTitulo& RegistroTitulo(std::string_view packet) {
  for (const auto& r : RegistrosTitulo())
    if (fields::UpperCase(packet) == r.packet) return r;
  throw Refusal("Registro de boleto desconhecido: " + std::string(packet) + ".");
}

TPedidoLista PedidoLista(const std::string& registro, const TPacket& titulos) {
  const TRegistroTitulo& r = RegistroTitulo(registro);
  const int iFil = titulos.IndexOf("CDFILIAL"), iNr = titulos.IndexOf("NRLANBOLREC");
  if (iFil < 0 || iNr < 0) throw Refusal("GetRegistrosBoletos: CDFILIAL e NRLANBOLREC devem ser informados.");
  TPacket p;
  p.Fields.push_back(host::IntField("NRORDEM"));
  const auto& defs = PacketFields(r.packet);
  p.Fields.insert(p.Fields.end(), defs.begin(), defs.end());
  return {r, iFil, iNr, std::move(p)};
}

}  // namespace detail

using namespace detail;

TServerReply TRemessaServer::RegistroDeTitulo(const char* packet, const std::string& cdFilial,
                                              const std::string& nrLanBolRec, const std::string& cdBanco) {
  return Guard([&] {
    require_connected();
    const auto& r = RegistroTitulo(packet);
    std::vector<Value> binds = {UV(cdFilial), UV(nrLanBolRec)};
    if (r.bank) binds.push_back(UV(cdBanco));
    return TServerReply::Of(Fetch(leitura(), PacketFields(packet), r.umTitulo, binds));
  });
}

TServerReply TRemessaServer::GetDocBol(const std::string& nrLanBolRec, const std::string& cdFilial) {
  return RegistroDeTitulo("DOCBOL", cdFilial, nrLanBolRec);
}

TServerReply TRemessaServer::GetDuplicata(const std::string& nrLanBolRec, const std::string& cdFilial) {
  return RegistroDeTitulo("DUPLICATA", cdFilial, nrLanBolRec);
}

TServerReply TRemessaServer::GetLicencaUso(const std::string& cdFilial, const std::string& nrLanBolRec) {
  return RegistroDeTitulo("LICENCAUSO", cdFilial, nrLanBolRec);
}

TServerReply TRemessaServer::GetTxBoletos(const std::string& cdFilial, const std::string& nrLanBolRec) {
  return RegistroDeTitulo("TXBOLETOS", cdFilial, nrLanBolRec);
}

TServerReply TRemessaServer::GetInstruBol(const std::string& cdBanco, const std::string& cdFilial,
                                          const std::string& nrLanBolRec) {
  return RegistroDeTitulo("INSTRUBOL", cdFilial, nrLanBolRec, cdBanco);
}

TServerReply TRemessaServer::GetFiliRece(const std::string& cdFiliBolRec, const std::string& nrLanBolRec) {
  return RegistroDeTitulo("FILIRECE", cdFiliBolRec, nrLanBolRec);
}

TServerReply TRemessaServer::GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                                 const std::string& cdBanco) {
  return Guard([&] {
    require_connected();
    auto [r, iFil, iNr, p] = PedidoLista(registro, titulos);
    std::string room;
    for (size_t i = 0; i < titulos.Rows.size(); ++i) {
      std::vector<Value> binds = {UV(TextoDe(titulos, titulos.Rows[i], iFil, room)),
                                  UV(TextoDe(titulos, titulos.Rows[i], iNr, room))};
      if (r.bank) binds.push_back(UV(cdBanco));
      for (auto& row : Fetch(leitura(), PacketFields(r.packet), r.umTitulo, binds).Rows) {
        row.insert(row.begin(), Value(static_cast<int64_t>(i)));
        p.Rows.push_back(std::move(row));
      }
    }
    return TServerReply::Of(std::move(p));
  });
}

TServerReply TRemessaServer::GetChaveAcesso(const std::string& cdFilial, const std::string& nrLanBolRec) {
  return Guard([&] {
    require_connected();
    Value v = leitura().Scalar(
        std::string("SELECT COALESCE(N.NRACESSONFE, '') FROM DUPLICATA D JOIN NOTAFISCAL N ON "
                    "N.CDFILIAL = D.CDFILINF AND N.NRLANCTONF = D.NRLANCTONF "
                    "WHERE D.CDFILIAL = ? AND D.NRLANBOLREC = ?") +
            kDuplicataOrder + " LIMIT 1",
        {UV(cdFilial), UV(nrLanBolRec)});
    auto s = std::get_if<host::TText>(&v);
    return TServerReply::OfText(s ? W(*s) : std::string());
  });
}

}  // namespace server
