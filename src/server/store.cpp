#include "server/store.h"

namespace server::store {

void Stmt::Bind(int pos, const host::Value& v) {
  if (std::holds_alternative<std::monostate>(v))
    c_->BindNull(pos);
  else if (auto s = std::get_if<host::TText>(&v))
    c_->BindText(pos, s->view());
  else if (auto d = std::get_if<double>(&v))
    c_->BindDouble(pos, *d);
  else
    c_->BindInt(pos, std::get<int64_t>(v));
}

void Stmt::BindAll(const std::vector<host::Value>& values) {
  for (size_t i = 0; i < values.size(); ++i) Bind(static_cast<int>(i) + 1, values[i]);
}

host::Value Db::Scalar(std::string_view sql, const std::vector<host::Value>& values) const {
  Stmt st = Prepare(sql);
  st.BindAll(values);
  if (!st.Step() || st.IsNull(0)) return {};
  switch (st.Type(0)) {
    case TTipo::Inteiro:
      return st.Int(0);
    case TTipo::Real:
      return st.Double(0);
    default:
      return st.Text(0);
  }
}

std::string TextoDaFalha(const Error& e) {
  switch (e.Falha()) {
    case Error::TFalha::Cheio:
      return "Erro no banco de dados: não há espaço em disco para gravar. Nada foi alterado; libere espaço e "
             "tente novamente.";
    case Error::TFalha::SomenteLeitura:
      return "Erro no banco de dados: o banco de dados não pode ser gravado (somente leitura). Nada foi "
             "alterado.";
    default:
      return std::string("Erro no banco de dados: ") + e.what();
  }
}

std::string Explica(const std::exception& e) {
  if (const auto* s = dynamic_cast<const Error*>(&e)) return TextoDaFalha(*s);
  return e.what();
}

}  // namespace server::store
