#include "host/resumo.h"

#include <nettle/sha2.h>

namespace host {

std::string Resumo(std::string_view bytes) {
  sha256_ctx ctx;
  sha256_init(&ctx);
  sha256_update(&ctx, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  uint8_t d[SHA256_DIGEST_SIZE];
  sha256_digest(&ctx, sizeof d, d);
  static const char* const kHex = "0123456789abcdef";
  std::string s;
  for (uint8_t b : d) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

}  // namespace host
