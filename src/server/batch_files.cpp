// The file each batch was written to, kept with the batch: stored inside the
// run's unit of work, read back for `remessa arquivo`, and the stage it waits
// under until it is in place.
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

namespace {
// The last batches whose folders are looked at for a stage a dead run left.
constexpr int kUltimasRemessas = 20;
}  // namespace

TServerReply TRemessaServer::SetArquivoRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec,
                                               const std::string& arquivo, const std::string& conteudo,
                                               int64_t tamanho, const std::string& pendente) {
  return Guard([&] {
    if (Blank(cdEmpresa) || Blank(nrCnabRec)) throw Refusal("Arquivo de remessa sem empresa ou número.");
    Write([&] {
      auto st = db().Prepare(
          "INSERT INTO ARQREMESSA (CDEMPRESA, NRCNABREC, DSARQUIVO, QTBYTES, BLARQUIVO, DSARQPENDENTE) "
          "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (CDEMPRESA, NRCNABREC) DO UPDATE SET DSARQUIVO = "
          "excluded.DSARQUIVO, QTBYTES = excluded.QTBYTES, BLARQUIVO = excluded.BLARQUIVO, DSARQPENDENTE = "
          "excluded.DSARQPENDENTE");
      BindU(st, 1, cdEmpresa);
      BindU(st, 2, nrCnabRec);
      BindU(st, 3, arquivo);
      st.BindInt(4, tamanho);
      st.BindBlob(5, conteudo);
      if (pendente.empty())
        st.BindNull(6);
      else
        BindU(st, 6, pendente);
      st.Step();
    });
    return TServerReply{};
  });
}

TServerReply TRemessaServer::GetArquivoRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec) {
  return Guard([&] {
    require_connected();
    TPacket p;
    p.Fields = {host::StrField("DSARQUIVO", 260), host::IntField("QTBYTES"),
                host::StrField("DSARQPENDENTE", 280)};
    TServerReply r;
    auto st = db().Prepare(
        "SELECT DSARQUIVO, QTBYTES, DSARQPENDENTE, BLARQUIVO FROM ARQREMESSA "
        "WHERE CDEMPRESA = ? AND NRCNABREC = ?");
    BindU(st, 1, cdEmpresa);
    BindU(st, 2, nrCnabRec);
    if (st.Step()) {
      host::Row row(3);
      row[0] = Value(W(st.Text(0)));
      row[1] = Value(st.Int(1));
      if (!st.IsNull(2)) row[2] = Value(W(st.Text(2)));
      p.Rows.push_back(std::move(row));
      r.Text = st.Blob(3);
    }
    r.Packet = std::move(p);
    return r;
  });
}

TServerReply TRemessaServer::ArquivoNoLugar(const std::string& cdEmpresa, const std::string& nrCnabRec) {
  return Guard([&] {
    Write([&] {
      auto st = db().Prepare(
          "UPDATE ARQREMESSA SET DSARQPENDENTE = NULL WHERE CDEMPRESA = ? AND NRCNABREC = ? "
          "AND DSARQPENDENTE IS NOT NULL");
      BindU(st, 1, cdEmpresa);
      BindU(st, 2, nrCnabRec);
      st.Step();
    });
    return TServerReply{};
  });
}

TServerReply TRemessaServer::GetArquivosARever() {
  return Guard([&] {
    require_connected();
    const std::vector<TFieldDef> defs = {host::StrField("CDEMPRESA", 2), host::StrField("NRCNABREC", 10),
                                         host::StrField("DSARQUIVO", 260),
                                         host::StrField("DSARQPENDENTE", 280)};
    // The rowid is the order batches' files were stored in.
    return TServerReply::Of(
        Fetch(db(), defs,
              "SELECT CDEMPRESA, NRCNABREC, DSARQUIVO, DSARQPENDENTE FROM ARQREMESSA "
              "WHERE DSARQPENDENTE IS NOT NULL UNION "
              "SELECT * FROM (SELECT CDEMPRESA, NRCNABREC, DSARQUIVO, NULL FROM ARQREMESSA "
              "WHERE DSARQPENDENTE IS NULL ORDER BY rowid DESC LIMIT " +
                  std::to_string(kUltimasRemessas) + ")"));
  });
}

}  // namespace server
