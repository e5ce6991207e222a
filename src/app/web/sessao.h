// One operator at the browser: a form of their own, run on a thread of its
// own so that a question the form asks waits for the operator's answer while
// the HTTP request that started the work returns with the question.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/messages.h"
#include "server/remessa_server.h"

namespace workspace {
class TfrmRemessaCNAB;
}

namespace app::web {

using nlohmann::json;

// A session's saved share of what the form and its filter dialogs keep in
// process-wide variables; swapped in while its work runs.
struct TGlobaisForm;

class TSessao {
 public:
  TSessao(std::string id, std::string csrf, std::unique_ptr<server::TRemessaServer> store,
          std::string operador, std::string nomeOperador);
  ~TSessao();
  TSessao(const TSessao&) = delete;
  TSessao& operator=(const TSessao&) = delete;

  const std::string& Id() const { return id_; }
  const std::string& Csrf() const { return csrf_; }
  const std::string& Operador() const { return operador_; }

  using TObra = std::function<json(workspace::TfrmRemessaCNAB&, server::TRemessaServer&)>;
  // Runs obra on the session's form; returns when it ended (its result, the
  // messages shown, the form's state) or when it asks (the question). Busy:
  // a reply with "ocupado" when a run is already under way.
  json Executa(TObra obra);
  // The answer to the pending question; then as Executa.
  json Responde(bool sim);
  // Where a run stands: its progress and any question waiting.
  json Andamento();

  // What the form shows and asks go to the session whose run is on this thread.
  static TSessao* Atual();
  void Mostra(host::TMsgDlgType tipo, const std::string& texto);
  host::TModalResult Pergunta(host::TMsgDlgType tipo, host::TMsgDlgButtons botoes, const std::string& texto);
  void Progresso(const std::string& legenda, int posicao, int maximo);
  void EscondeProgresso();

 private:
  enum class TEstado { livre, rodando, perguntando, terminado };
  json Espera(std::unique_lock<std::mutex>& l);
  void Roda(TObra obra);
  void Entra();
  void Sai();

  std::string id_, csrf_, operador_, nomeOperador_;
  std::unique_ptr<server::TRemessaServer> store_;
  workspace::TfrmRemessaCNAB* form_ = nullptr;
  std::unique_ptr<TGlobaisForm> globais_;

  std::mutex m_;
  std::condition_variable cv_;
  TEstado estado_ = TEstado::livre;
  std::thread trabalho_;
  json resultado_, mensagens_ = json::array();
  struct {
    std::string texto;
    host::TMsgDlgButtons botoes = host::TMsgDlgButtons::mbYesNo;
    host::TMsgDlgType tipo = host::TMsgDlgType::mtConfirmation;
  } pergunta_;
  std::optional<bool> resposta_;
  bool encerrando_ = false;
  std::string legenda_;
  int posicao_ = 0, maximo_ = 0;
};

// The UI the form sees while the web server runs: each call goes to the
// session whose run is on the calling thread.
class TWebUI : public host::IHostUI {
 public:
  void ShowMessage(host::TMsgDlgType type, const std::string& text) override;
  host::TModalResult Ask(host::TMsgDlgType type, host::TMsgDlgButtons buttons,
                         const std::string& text) override;
  void Progress(const std::string& caption, int position, int max) override;
  void HideProgress() override;
};

// Every form of the process runs under this lock: the form and its dialogs
// keep state in process-wide variables.
std::mutex& TravaDosForms();

}  // namespace app::web
