#include "workspace/registros_lote.h"

namespace workspace {

namespace {
std::string chave(const std::string& filial, const std::string& numero) {
  return filial + '\x1f' + numero;
}

bool mesmo(const host::Row& titulo, const std::string& filial, const std::string& numero) {
  const auto* f = std::get_if<host::TText>(&titulo[0]);
  const auto* n = std::get_if<host::TText>(&titulo[1]);
  return f && n && f->view() == filial && n->view() == numero;
}
}  // namespace

void TRegistrosLote::Inicia(server::IRdmRemessaCNAB& server, const std::vector<TTitulo>& titulos,
                            std::string cdBanco) {
  Encerra();
  server_ = &server;
  banco_ = std::move(cdBanco);
  titulos_.Fields = {host::StrField("CDFILIAL", 4), host::StrField("NRLANBOLREC", 10)};
  titulos_.Rows.reserve(titulos.size());
  ordem_.reserve(titulos.size());
  for (const auto& [filial, numero] : titulos) {
    // A title listed twice is fetched once.
    if (!ordem_.emplace(chave(filial, numero), titulos_.Rows.size()).second) continue;
    titulos_.Rows.push_back({filial, numero});
  }
}

void TRegistrosLote::Encerra() {
  server_ = nullptr;
  banco_.clear();
  titulos_ = {};
  ordem_.clear();
  ultimo_ = {};
  ultima_ = -1;
  tipos_.clear();
  consultas_.clear();
}

void TRegistrosLote::Solta(const std::string& registro) {
  tipos_.erase(registro);
}

const TRegistrosLote::TTipo& TRegistrosLote::tipo(const std::string& registro) {
  auto it = tipos_.find(registro);
  if (it != tipos_.end()) return it->second;
  host::TPacket p = server::CheckResultServ(server_->GetRegistrosBoletos(registro, titulos_, banco_));
  TTipo t;
  t.faixa.assign(titulos_.Rows.size(), {0, 0});
  // The reply leads each row with the title's position; the data sets get
  // the rest of the row, as the per-title call has it.
  for (size_t i = 0; i < p.Rows.size(); ++i) {
    const auto& row = p.Rows[i];
    const auto* ordem = row.empty() ? nullptr : std::get_if<int64_t>(&row[0]);
    if (!ordem || *ordem < 0 || static_cast<size_t>(*ordem) >= t.faixa.size())
      throw host::EDatabaseError(registro + ": registro de um boleto que não foi pedido.");
    auto& f = t.faixa[static_cast<size_t>(*ordem)];
    if (f.first == f.second) f.first = i;
    f.second = i + 1;
  }
  if (p.Fields.empty()) throw host::EDatabaseError(registro + ": resposta sem a posição dos boletos.");
  t.campos.assign(p.Fields.begin() + 1, p.Fields.end());
  t.registros = std::move(p);
  return tipos_.emplace(registro, std::move(t)).first->second;
}

bool TRegistrosLote::Preenche(const char* registro, const std::string& filial, const std::string& numero,
                              host::TClientDataSet& ds, const std::string& cdBanco) {
  if (!Ativo() || (!cdBanco.empty() && cdBanco != banco_)) return false;
  // A writer asks for several kinds of one title in a row: the title's
  // position is looked up once.
  if (filial != ultimo_.first || numero != ultimo_.second || ultima_ < 0) {
    // The writers walk the titles in the run's order: the next title is
    // tried before the look-up.
    const auto proximo = static_cast<size_t>(ultima_ + 1);
    if (proximo < titulos_.Rows.size() && mesmo(titulos_.Rows[proximo], filial, numero)) {
      ultima_ = static_cast<long>(proximo);
    } else {
      auto it = ordem_.find(chave(filial, numero));
      if (it == ordem_.end()) return false;
      ultima_ = static_cast<long>(it->second);
    }
    ultimo_ = {filial, numero};
  }
  const TTipo& t = tipo(registro);
  const auto [de, ate] = t.faixa[static_cast<size_t>(ultima_)];
  ds.SetData(t.campos, t.registros, de, ate, 1);
  return true;
}

void TRegistrosLote::Abre(host::TADOIBQuery& q, const std::string& param, const std::string& valor) {
  q.Close();
  q.ParamByName(param, valor);
  if (!Ativo()) {
    q.Open();
    return;
  }
  // The query's own text and parameter are part of the key: one query object
  // may be given other SQL during a run.
  auto& porTexto = consultas_[&q];
  TConsulta* c = nullptr;
  for (auto& x : porTexto)
    if (x.sql == q.SQL && x.param == param) {
      c = &x;
      break;
    }
  if (!c) c = &porTexto.emplace_back(TConsulta{q.SQL, param, {}});
  auto it = c->respostas.find(valor);
  if (it != c->respostas.end()) {
    q.SetData(it->second);
    return;
  }
  q.Open();
  c->respostas.emplace(valor, q.Data());
}

}  // namespace workspace
