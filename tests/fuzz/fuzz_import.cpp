// The JSON import on any document, into a store in memory: it loads the
// document or refuses it with TImportError, and nothing else escapes. A
// refused document loads nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "server/import.h"
#include "server/sqlite_server.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A fresh store now and then: documents that load fill it, and the keys
  // they took would refuse the next ones for that alone.
  static std::unique_ptr<server::TSQLiteRemessaServer> s;
  static int usos = 0;
  if (!s || ++usos % 64 == 0) {
    s.reset();
    s = std::make_unique<server::TSQLiteRemessaServer>(":memory:", true);
  }
  const std::string json(reinterpret_cast<const char*>(data), size);
  auto linhas = [] {
    return s->Conexao().Scalar("SELECT (SELECT COUNT(*) FROM EMPRESA) + (SELECT COUNT(*) FROM BOLETOREC)");
  };
  const auto antes = linhas();
  try {
    server::ImportJson(*s, json);
  } catch (const server::TImportError&) {
    if (linhas() != antes) std::abort();
  }
  return 0;
}
