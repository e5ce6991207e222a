// The titles' state update that runs beside the caller: on a thread of its
// own, on the server's connection, while the caller's reads go to the second
// one. It holds the packet until the update is done with it and the reply
// until the caller asks for it.
#pragma once

#include <cstddef>
#include <functional>
#include <thread>

#include "server/rdm_remessa_cnab.h"
#include "server/sqlite_db.h"

namespace server {

class TAlteracaoAoLado {
 public:
  TAlteracaoAoLado() = default;
  ~TAlteracaoAoLado();
  TAlteracaoAoLado(const TAlteracaoAoLado&) = delete;
  TAlteracaoAoLado& operator=(const TAlteracaoAoLado&) = delete;

  // Started and not yet waited for.
  bool Correndo() const { return thread_.joinable(); }
  // The calling thread is the update's own, which has the connection at once.
  bool NestaThread() const;
  // Waits for an update that runs, keeping its reply for Fim.
  void Aguarda();
  // Waits as well, and forgets a reply nobody asked for.
  void Descarta();
  // Runs altera on the packet on a thread of its own, with con's page cache
  // the smaller meanwhile; the packet is the update's from here on. None may
  // be running. False, with the packet given back, when no thread can be had.
  bool Inicia(sqlite::Db& con, TPacket& pacote, std::function<TServerReply(TPacket&)> altera);
  // Waits for the update and hands over its reply; a failure when none was
  // started since the last one handed over.
  TServerReply Fim();
  size_t Iniciadas() const { return iniciadas_; }

 private:
  std::thread thread_;
  TPacket pacote_;
  TServerReply resposta_;
  bool pendente_ = false;  // resposta_ is an update's that Fim has not handed over
  size_t iniciadas_ = 0;
};

}  // namespace server
