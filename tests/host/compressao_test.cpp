#include "host/compressao.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

std::string Grava(const std::string& conteudo) {
  const std::string path = ::testing::TempDir() + "compressao_test.txt";
  std::ofstream(path, std::ios::binary) << conteudo;
  return path;
}

// Files of every size a batch may have: empty, under one read, over several.
TEST(Compressao, GivesBackTheFileWhateverItsSize) {
  const std::string linha = std::string(398, ' ') + "\r\n";
  for (size_t linhas : {0u, 1u, 500u, 2000u}) {
    std::string conteudo;
    for (size_t i = 0; i < linhas; ++i)
      conteudo += std::to_string(i) + linha.substr(std::to_string(i).size());
    size_t tamanho = 99;
    const std::string z = host::ComprimeArquivo(Grava(conteudo), tamanho);
    EXPECT_EQ(tamanho, conteudo.size());
    EXPECT_EQ(host::Descomprime(z, tamanho), conteudo) << linhas;
  }
}

// Batches stored before the files were kept by zstd hold zlib streams.
TEST(Compressao, ReadsFilesStoredByZlib) {
  const std::string conteudo = "0REMESSA" + std::string(392, '0') + "\r\n";
  uLongf n = compressBound(static_cast<uLong>(conteudo.size()));
  std::string z(n, '\0');
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(z.data()), &n, reinterpret_cast<const Bytef*>(conteudo.data()),
                      static_cast<uLong>(conteudo.size()), Z_BEST_SPEED),
            Z_OK);
  z.resize(n);
  EXPECT_EQ(host::Descomprime(z, conteudo.size()), conteudo);
}

TEST(Compressao, RefusesBytesThatAreNotItsStreams) {
  size_t tamanho = 0;
  const std::string z = host::ComprimeArquivo(Grava(std::string(5000, 'x')), tamanho);
  for (const std::string& ruim : {std::string("lixo"), z.substr(0, z.size() / 2), z})
    EXPECT_THROW(host::Descomprime(ruim, ruim == z ? tamanho + 1 : tamanho), std::runtime_error);
}

}  // namespace
