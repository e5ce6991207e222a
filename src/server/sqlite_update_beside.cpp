#include "server/sqlite_update_beside.h"

#include <string>
#include <system_error>
#include <utility>

#include "server/server_common.h"

namespace server {

using namespace detail;

namespace {
// The update that runs on this thread: that thread uses the connection at
// once, where every other waits for it.
thread_local const TAlteracaoAoLado* tAtual = nullptr;
}  // namespace

TAlteracaoAoLado::~TAlteracaoAoLado() {
  if (thread_.joinable()) thread_.join();
}

bool TAlteracaoAoLado::NestaThread() const {
  return tAtual == this;
}

void TAlteracaoAoLado::Aguarda() {
  if (!thread_.joinable()) return;
  thread_.join();
  pacote_ = TPacket{};
  pendente_ = true;
}

void TAlteracaoAoLado::Descarta() {
  Aguarda();
  pendente_ = false;
  resposta_ = TServerReply{};
}

bool TAlteracaoAoLado::Inicia(sqlite::Db& con, TPacket& pacote,
                              std::function<TServerReply(TPacket&)> altera) {
  pacote_ = std::move(pacote);
  try {
    thread_ = std::thread([this, &con, altera = std::move(altera)] {
      tAtual = this;
      try {
        // Beside the writer the update may write its pages to the log as it
        // goes: the commit, which the run waits for, has that much less to
        // write, and the run's peak memory is the smaller for it.
        con.Exec("PRAGMA cache_size = -" + std::to_string(kCacheKbAoLado));
        resposta_ = altera(pacote_);
      } catch (...) {
        resposta_ = TServerReply::Fail(W("AlterBoletos: falha inesperada."));
      }
      try {
        con.Exec("PRAGMA cache_size = -" + std::to_string(kCacheKb));
      } catch (...) {
      }
      tAtual = nullptr;
    });
  } catch (const std::system_error&) {
    pacote = std::move(pacote_);
    pacote_ = TPacket{};
    return false;
  }
  ++iniciadas_;
  return true;
}

TServerReply TAlteracaoAoLado::Fim() {
  Aguarda();
  if (!pendente_) return TServerReply::Fail("FimAlterBoletos: nenhum AlterBoletos iniciado.");
  pendente_ = false;
  return std::move(resposta_);
}

}  // namespace server
