#include "app/web/sessao.h"

#include "app/cli_common.h"
#include "app/web/estado.h"
#include "fields/cp1252.h"
#include "filters/remittance_filter.h"
#include "filters/sent_titles_filter.h"
#include "host/context.h"
#include "workspace/form.h"

namespace app::web {

using fields::Cp1252ToUtf8;

std::mutex& TravaDosForms() {
  static std::mutex m;
  return m;
}

namespace {
thread_local TSessao* t_atual = nullptr;

const char* Tipo(host::TMsgDlgType t) {
  switch (t) {
    case host::TMsgDlgType::mtError:
      return "erro";
    case host::TMsgDlgType::mtWarning:
      return "aviso";
    case host::TMsgDlgType::mtConfirmation:
      return "pergunta";
    default:
      return "informacao";
  }
}

const char* Botoes(host::TMsgDlgButtons b) {
  switch (b) {
    case host::TMsgDlgButtons::mbOK:
      return "ok";
    case host::TMsgDlgButtons::mbOKCancel:
      return "okCancelar";
    default:
      return "simNao";
  }
}
}  // namespace

// What the form and the two filter dialogs keep outside the form object.
struct TGlobaisForm {
  filters::TfrmFiltroRemessaCNAB* filtroRemessa = nullptr;
  filters::TfrmFiltroBoleEnviCNAB* filtroBoletos = nullptr;
  filters::TFILTRO criteriosRemessa;
  filters::TFiltroBoletos criteriosBoletos;
  bool criteriosIniciados = false;
};

TSessao::TSessao(std::string id, std::string csrf, std::unique_ptr<server::TRemessaServer> store,
                 std::string operador, std::string nomeOperador)
    : id_(std::move(id)),
      csrf_(std::move(csrf)),
      operador_(std::move(operador)),
      nomeOperador_(std::move(nomeOperador)),
      store_(std::move(store)),
      globais_(std::make_unique<TGlobaisForm>()) {}

TSessao::~TSessao() {
  {
    std::unique_lock l(m_);
    encerrando_ = true;
    cv_.notify_all();
  }
  if (trabalho_.joinable()) trabalho_.join();
  if (!form_) return;
  std::lock_guard trava(TravaDosForms());
  t_atual = this;
  Entra();
  try {
    workspace::FechaRemessaCNABRec();
  } catch (...) {
  }
  form_ = nullptr;
  Sai();
  t_atual = nullptr;
}

TSessao* TSessao::Atual() {
  return t_atual;
}

void TSessao::Entra() {
  auto& c = host::Corvane();
  c.Operador = operador_;
  c.NomeOperador = nomeOperador_;
  if (!globais_->criteriosIniciados) {
    // A new operator starts from the filters' defaults, not from another's criteria.
    filters::ResetaFiltroRemessa();
    globais_->criteriosRemessa = filters::FiltroRemessa;
    globais_->criteriosBoletos = filters::TFiltroBoletos{};
    globais_->criteriosIniciados = true;
  }
  filters::frmFiltroRemessaCNAB = globais_->filtroRemessa;
  filters::frmFiltroBoleEnviCNAB = globais_->filtroBoletos;
  filters::FiltroRemessa = globais_->criteriosRemessa;
  filters::FiltroBoleto = globais_->criteriosBoletos;
  workspace::SetAppServer(store_.get());
  workspace::frmRemessaCNAB = form_;
  workspace::boIdCriado = form_ != nullptr;
}

void TSessao::Sai() {
  globais_->filtroRemessa = filters::frmFiltroRemessaCNAB;
  globais_->filtroBoletos = filters::frmFiltroBoleEnviCNAB;
  globais_->criteriosRemessa = filters::FiltroRemessa;
  globais_->criteriosBoletos = filters::FiltroBoleto;
  form_ = workspace::frmRemessaCNAB;
  filters::frmFiltroRemessaCNAB = nullptr;
  filters::frmFiltroBoleEnviCNAB = nullptr;
  filters::SetMostraFiltro(nullptr);
  workspace::frmRemessaCNAB = nullptr;
  workspace::boIdCriado = false;
  workspace::SetAppServer(nullptr);
}

void TSessao::Roda(TObra obra) {
  json r;
  std::unique_lock trava(TravaDosForms());
  t_atual = this;
  Entra();
  try {
    if (!workspace::frmRemessaCNAB) workspace::CriaRemessaCNABRec();
    r = obra(*workspace::frmRemessaCNAB, *store_);
    if (r.is_null()) r = json::object();
  } catch (const host::EAbort&) {
    r = {{"cancelado", true}};
  } catch (const std::exception& e) {
    // The form's stops (MensErro) carry the catalogue's text; the front end shows it once.
    Mostra(host::TMsgDlgType::mtError, TextoDaFalha(e));
    r = {{"falhou", true}};
  }
  try {
    if (workspace::frmRemessaCNAB) r["estado"] = EstadoDoForm(*workspace::frmRemessaCNAB);
  } catch (const std::exception& e) {
    Mostra(host::TMsgDlgType::mtError, TextoDaFalha(e));
  }
  Sai();
  t_atual = nullptr;
  trava.unlock();
  std::lock_guard l(m_);
  resultado_ = std::move(r);
  estado_ = TEstado::terminado;
  maximo_ = 0;
  cv_.notify_all();
}

json TSessao::Executa(TObra obra) {
  std::unique_lock l(m_);
  // A call that comes while another runs waits for it; one that comes while
  // the operator is being asked is refused.
  cv_.wait(l, [&] { return estado_ == TEstado::livre || estado_ == TEstado::perguntando || encerrando_; });
  if (estado_ != TEstado::livre) return {{"ocupado", true}};
  if (trabalho_.joinable()) trabalho_.join();
  estado_ = TEstado::rodando;
  mensagens_ = json::array();
  resposta_.reset();
  trabalho_ = std::thread([this, obra = std::move(obra)] { Roda(obra); });
  return Espera(l);
}

json TSessao::Responde(bool sim) {
  std::unique_lock l(m_);
  if (estado_ != TEstado::perguntando) return {{"semPergunta", true}};
  resposta_ = sim;
  estado_ = TEstado::rodando;
  cv_.notify_all();
  return Espera(l);
}

json TSessao::Espera(std::unique_lock<std::mutex>& l) {
  cv_.wait(l, [&] { return estado_ == TEstado::perguntando || estado_ == TEstado::terminado; });
  json r;
  if (estado_ == TEstado::perguntando) {
    r["pergunta"] = {{"texto", Cp1252ToUtf8(pergunta_.texto)},
                     {"botoes", Botoes(pergunta_.botoes)},
                     {"tipo", Tipo(pergunta_.tipo)}};
  } else {
    r = std::move(resultado_);
    std::thread t = std::move(trabalho_);
    estado_ = TEstado::livre;
    cv_.notify_all();
    l.unlock();
    t.join();
    l.lock();
  }
  r["mensagens"] = std::move(mensagens_);
  mensagens_ = json::array();
  return r;
}

json TSessao::Andamento() {
  std::lock_guard l(m_);
  json r = {{"rodando", estado_ == TEstado::rodando}, {"perguntando", estado_ == TEstado::perguntando}};
  if (maximo_ > 0)
    r["progresso"] = {{"legenda", Cp1252ToUtf8(legenda_)}, {"posicao", posicao_}, {"maximo", maximo_}};
  return r;
}

void TSessao::Mostra(host::TMsgDlgType tipo, const std::string& texto) {
  std::lock_guard l(m_);
  mensagens_.push_back({{"tipo", Tipo(tipo)}, {"texto", Cp1252ToUtf8(texto)}});
}

host::TModalResult TSessao::Pergunta(host::TMsgDlgType tipo, host::TMsgDlgButtons botoes,
                                     const std::string& texto) {
  if (botoes == host::TMsgDlgButtons::mbOK) {
    // An OK box informs: it is shown with the run's other messages.
    Mostra(tipo == host::TMsgDlgType::mtConfirmation ? host::TMsgDlgType::mtInformation : tipo, texto);
    return host::TModalResult::mrOk;
  }
  // Other sessions work while this operator thinks.
  Sai();
  TravaDosForms().unlock();
  bool sim = false;
  {
    std::unique_lock l(m_);
    pergunta_ = {texto, botoes, tipo};
    estado_ = TEstado::perguntando;
    resposta_.reset();
    cv_.notify_all();
    cv_.wait(l, [&] { return resposta_.has_value() || encerrando_; });
    // A session closed with a question open is answered No: the cautious answer.
    sim = resposta_.value_or(false);
    estado_ = TEstado::rodando;
  }
  TravaDosForms().lock();
  Entra();
  if (botoes == host::TMsgDlgButtons::mbOKCancel)
    return sim ? host::TModalResult::mrOk : host::TModalResult::mrCancel;
  return sim ? host::TModalResult::mrYes : host::TModalResult::mrNo;
}

void TSessao::Progresso(const std::string& legenda, int posicao, int maximo) {
  std::lock_guard l(m_);
  legenda_ = legenda;
  posicao_ = posicao;
  maximo_ = maximo;
}

void TSessao::EscondeProgresso() {
  std::lock_guard l(m_);
  maximo_ = 0;
}

void TWebUI::ShowMessage(host::TMsgDlgType type, const std::string& text) {
  if (auto* s = TSessao::Atual()) s->Mostra(type, text);
}

host::TModalResult TWebUI::Ask(host::TMsgDlgType type, host::TMsgDlgButtons buttons,
                               const std::string& text) {
  if (auto* s = TSessao::Atual()) return s->Pergunta(type, buttons, text);
  return buttons == host::TMsgDlgButtons::mbYesNo ? host::TModalResult::mrNo : host::TModalResult::mrCancel;
}

void TWebUI::Progress(const std::string& caption, int position, int max) {
  if (auto* s = TSessao::Atual()) s->Progresso(caption, position, max);
}

void TWebUI::HideProgress() {
  if (auto* s = TSessao::Atual()) s->EscondeProgresso();
}

}  // namespace app::web
