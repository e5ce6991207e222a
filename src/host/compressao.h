// The remittance files kept with their batches are stored compressed: a
// CNAB file is mostly blanks and zeros, and zlib at its fastest setting
// takes a 40 MB file of 100 000 titles to some 3.5 MB.
#pragma once

#include <string>
#include <string_view>

namespace host {

// The file at path, compressed; tamanho gets its size. Read in parts, so
// that only the compressed bytes are held. Throws std::runtime_error.
std::string ComprimeArquivo(const std::string& path, size_t& tamanho);
// Bytes as ComprimeArquivo gave them, back to the tamanho bytes of the file.
// Throws std::runtime_error on bytes that are not such a stream.
std::string Descomprime(std::string_view comprimido, size_t tamanho);

}  // namespace host
