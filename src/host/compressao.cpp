#include "host/compressao.h"

#include <sys/stat.h>
#include <zlib.h>
#include <zstd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "fields/cp1252.h"
#include "host/staging.h"

namespace host {

namespace {
constexpr size_t kParte = 1u << 17;

std::runtime_error Corrompido() {
  return std::runtime_error(fields::Utf8ToCp1252("O arquivo guardado com a remessa está corrompido."));
}

bool EhZstd(std::string_view z) {
  return z.size() >= 4 && static_cast<unsigned char>(z[0]) == 0x28 &&
         static_cast<unsigned char>(z[1]) == 0xB5 && static_cast<unsigned char>(z[2]) == 0x2F &&
         static_cast<unsigned char>(z[3]) == 0xFD;
}
}  // namespace

std::string ComprimeArquivo(const std::string& path, size_t& tamanho) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(fields::OsPath(path).c_str(), "rb"), &std::fclose);
  if (!f)
    throw std::runtime_error(fields::Utf8ToCp1252("Não foi possível ler o arquivo ") + path + ": " +
                             MotivoDoErro(errno));
  struct stat st {};
  const size_t previsto = fstat(fileno(f.get()), &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
  std::unique_ptr<ZSTD_CCtx, size_t (*)(ZSTD_CCtx*)> cctx(ZSTD_createCCtx(), &ZSTD_freeCCtx);
  if (!cctx) throw std::runtime_error("zstd: ZSTD_createCCtx");
  // Level 1: the run waits for it, and higher levels only take a little
  // more off a file that already shrinks to a fortieth. A 128 KB window
  // holds hundreds of records, and keeps the run's peak where it was.
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_compressionLevel, 1);
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_windowLog, 17);
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_checksumFlag, 1);
  // Room for the worst case, taken from the system untouched: only the pages
  // the compressed bytes fill become the process's memory.
  size_t capacidade = ZSTD_compressBound(previsto) + kParte;
  std::unique_ptr<char, void (*)(void*)> saida(static_cast<char*>(std::malloc(capacidade)), &std::free);
  if (!saida) throw std::bad_alloc();
  ZSTD_outBuffer out{saida.get(), capacidade, 0};
  auto entrada = std::make_unique<char[]>(kParte);
  tamanho = 0;
  bool fim = false;
  while (!fim) {
    const size_t lidos = std::fread(entrada.get(), 1, kParte, f.get());
    if (std::ferror(f.get()))
      throw std::runtime_error(fields::Utf8ToCp1252("Não foi possível ler o arquivo ") + path);
    tamanho += lidos;
    fim = std::feof(f.get()) != 0;
    ZSTD_inBuffer in{entrada.get(), lidos, 0};
    size_t falta = 0;
    do {
      // A file that grew since it was measured gets more room.
      if (out.size - out.pos < ZSTD_CStreamOutSize()) {
        capacidade = capacidade * 2;
        char* maior = static_cast<char*>(std::realloc(saida.get(), capacidade));
        if (!maior) throw std::bad_alloc();
        (void)saida.release();
        saida.reset(maior);
        out = {maior, capacidade, out.pos};
      }
      falta = ZSTD_compressStream2(cctx.get(), &out, &in, fim ? ZSTD_e_end : ZSTD_e_continue);
      if (ZSTD_isError(falta)) throw std::runtime_error(std::string("zstd: ") + ZSTD_getErrorName(falta));
    } while (fim ? falta != 0 : in.pos < in.size);
  }
  return std::string(saida.get(), out.pos);
}

std::string Descomprime(std::string_view comprimido, size_t tamanho) {
  std::string saida(tamanho, '\0');
  if (EhZstd(comprimido)) {
    const size_t n = ZSTD_decompress(saida.data(), tamanho, comprimido.data(), comprimido.size());
    if (ZSTD_isError(n) || n != tamanho) throw Corrompido();
    return saida;
  }
  uLongf n = static_cast<uLongf>(tamanho);
  if (uncompress(reinterpret_cast<Bytef*>(saida.data()), &n,
                 reinterpret_cast<const Bytef*>(comprimido.data()),
                 static_cast<uLong>(comprimido.size())) != Z_OK ||
      n != tamanho)
    throw Corrompido();
  return saida;
}

}  // namespace host
