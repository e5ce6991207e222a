#include "host/compressao.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "fields/cp1252.h"

namespace host {

namespace {
constexpr size_t kParte = 1u << 20;
}

std::string ComprimeArquivo(const std::string& path, size_t& tamanho) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(fields::OsPath(path).c_str(), "rb"), &std::fclose);
  if (!f)
    throw std::runtime_error(fields::Utf8ToCp1252("Não foi possível ler o arquivo ") + path + ": " +
                             std::strerror(errno));
  z_stream z{};
  // The fastest level: the run waits for it, and the higher ones only take
  // a third less of a file that already shrinks to a tenth.
  if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) throw std::runtime_error("zlib: deflateInit");
  std::unique_ptr<z_stream, int (*)(z_stream*)> fim(&z, &deflateEnd);
  auto entrada = std::make_unique<unsigned char[]>(kParte);
  std::string saida;
  tamanho = 0;
  int flush = Z_NO_FLUSH;
  do {
    const size_t lidos = std::fread(entrada.get(), 1, kParte, f.get());
    if (std::ferror(f.get()))
      throw std::runtime_error(fields::Utf8ToCp1252("Não foi possível ler o arquivo ") + path);
    tamanho += lidos;
    flush = std::feof(f.get()) ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = entrada.get();
    z.avail_in = static_cast<uInt>(lidos);
    do {
      const size_t antes = saida.size();
      saida.resize(antes + kParte / 4);
      z.next_out = reinterpret_cast<unsigned char*>(saida.data() + antes);
      z.avail_out = static_cast<uInt>(kParte / 4);
      deflate(&z, flush);
      saida.resize(antes + kParte / 4 - z.avail_out);
    } while (z.avail_out == 0);
  } while (flush != Z_FINISH);
  return saida;
}

std::string Descomprime(std::string_view comprimido, size_t tamanho) {
  std::string saida(tamanho, '\0');
  uLongf n = static_cast<uLongf>(tamanho);
  if (uncompress(reinterpret_cast<Bytef*>(saida.data()), &n,
                 reinterpret_cast<const Bytef*>(comprimido.data()),
                 static_cast<uLong>(comprimido.size())) != Z_OK ||
      n != tamanho)
    throw std::runtime_error(fields::Utf8ToCp1252("O arquivo guardado com a remessa está corrompido."));
  return saida;
}

}  // namespace host
