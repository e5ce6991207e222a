// The options operators save in the filter dialogs, kept per dialog and
// operator so that they outlive the dialog and the session.
#include "server/packets.h"
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

TServerReply TRemessaServer::GetOpcoesFiltro(const std::string& cdTela, const std::string& cdOperador) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("OPCOESFILTRO");
    return TServerReply::Of(Fetch(leitura(), defs,
                                  "SELECT " + SelectList(defs, "O") +
                                      " FROM OPCOESFILTRO O WHERE O.CDTELA = ? AND O.CDOPERADOR = ?"
                                      " ORDER BY O.NMOPCAO",
                                  {UV(cdTela), UV(cdOperador)}));
  });
}

TServerReply TRemessaServer::SetOpcoesFiltro(const std::string& cdTela, const std::string& cdOperador,
                                             const TPacket& opcoes) {
  return Guard([&] {
    require_connected();
    if (Blank(cdTela) || Blank(cdOperador)) throw Refusal("Opções do filtro sem tela ou operador.");
    const int iNome = opcoes.IndexOf("NMOPCAO"), iValor = opcoes.IndexOf("DSVALOR");
    if (iNome < 0 || iValor < 0) throw Refusal("SetOpcoesFiltro: faltam os campos NMOPCAO e DSVALOR.");
    // What was saved before goes with the new set: an option the dialog no
    // longer saves is not loaded back.
    Write([&] {
      auto del = db().Prepare("DELETE FROM OPCOESFILTRO WHERE CDTELA = ? AND CDOPERADOR = ?");
      del.BindAll({UV(cdTela), UV(cdOperador)});
      del.Step();
      auto ins = db().Prepare(
          "INSERT INTO OPCOESFILTRO (CDTELA, CDOPERADOR, NMOPCAO, DSVALOR) VALUES (?, ?, ?, ?) "
          "ON CONFLICT (CDTELA, CDOPERADOR, NMOPCAO) DO UPDATE SET DSVALOR = excluded.DSVALOR");
      std::string room;
      for (const auto& r : opcoes.Rows) {
        const std::string nome(TextoDe(opcoes, r, iNome, room));
        if (Blank(nome)) throw Refusal("Opção do filtro sem nome.");
        const std::string valor(TextoDe(opcoes, r, iValor, room));
        ins.Reset();
        ins.BindAll({UV(cdTela), UV(cdOperador), UV(nome), UV(valor)});
        ins.Step();
      }
    });
    return TServerReply::OfText("");
  });
}

}  // namespace server
