#include "server/rdm_remessa_cnab.h"

#include "host/messages.h"

namespace server {

const TPacket& CheckResultServ(const TServerReply& reply) {
  if (!reply.Error.empty()) throw host::EServerError(reply.Error);
  return reply.Packet;
}

TPacket CheckResultServ(TServerReply&& reply) {
  if (!reply.Error.empty()) throw host::EServerError(reply.Error);
  return std::move(reply.Packet);
}

const std::string& CheckResultText(const TServerReply& reply) {
  if (!reply.Error.empty()) throw host::EServerError(reply.Error);
  return reply.Text;
}

}  // namespace server
