// The workspace's own SQL, run on the server's database.
#include "server/columns.h"
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

host::TPacket TRemessaServer::ExecuteQuery(const std::string& sql,
                                           const std::map<std::string, std::string>& params) {
  try {
    require_connected();
    // The form's queries run once per title or client: their statements are kept.
    auto st = leitura().Cached(sql);
    for (int i = 1; i <= st.ParamCount(); ++i) {
      const std::string name = fields::UpperCase(st.ParamName(i));
      Value v;
      for (const auto& [k, val] : params) {
        std::string key = fields::UpperCase(k);
        if (!key.empty() && key[0] == ':') key.erase(0, 1);
        if (key == name) v = UV(val);
      }
      st.Bind(i, v);
    }
    TPacket p;
    std::vector<bool> typed(st.Columns(), false);
    for (int c = 0; c < st.Columns(); ++c) {
      const std::string decl = st.DeclType(c);
      TColumn col = ColumnOfDeclType(decl);
      col.Name = st.ColumnName(c);
      typed[c] = !decl.empty();
      p.Fields.push_back(FieldOfColumn(col));
    }
    while (st.Step()) {
      host::Row r;
      for (int c = 0; c < st.Columns(); ++c) {
        // An expression column takes its type from the first value it shows.
        if (!typed[c] && !st.IsNull(c)) {
          typed[c] = true;
          auto& f = p.Fields[c];
          double d = 0;
          if (st.Type(c) == store::TTipo::Inteiro || st.Type(c) == store::TTipo::Real)
            f = host::FloatField(f.Name);
          else if (fields::UpperCase(f.Name).rfind("DT", 0) == 0 && fields::TryIsoToDateTime(st.Text(c), d))
            f = host::DateField(f.Name);
        }
        r.push_back(ColumnValue(st, c, p.Fields[c].DataType));
      }
      p.Rows.push_back(std::move(r));
    }
    return p;
  } catch (const std::exception& e) {
    throw host::EDatabaseError(W(store::Explica(e)));
  }
}

}  // namespace server
