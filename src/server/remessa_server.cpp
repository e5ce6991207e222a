#include "server/remessa_server.h"

#include "server/server_common.h"

namespace server {

using namespace detail;

void TRemessaServer::require_connected() const {
  if (!connected_) throw Refusal("Servidor não conectado.");
}

}  // namespace server
