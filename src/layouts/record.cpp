#include "layouts/record.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fields/cp1252.h"
#include "host/staging.h"

namespace layouts {

namespace {
constexpr size_t kBuffer = 256u << 10;
}  // namespace

Record& Record::put(int pos, int len, std::string_view value) {
  const int expected = static_cast<int>(text_.size()) + 1;
  if (pos != expected)
    throw ELayoutError("field at position " + std::to_string(pos) + " where position " +
                       std::to_string(expected) + " was due");
  if (len <= 0 || pos + len - 1 > length_)
    throw ELayoutError("field at position " + std::to_string(pos) + " of length " + std::to_string(len) +
                       " does not fit a record of " + std::to_string(length_));
  if (static_cast<int>(value.size()) >= len) {
    text_.append(value.substr(0, len));
  } else {
    text_.append(value);
    text_.append(len - value.size(), ' ');
  }
  return *this;
}

Record& Record::num(int pos, int len, std::string_view value, std::string_view tambem) {
  for (char c : value)
    if ((c < '0' || c > '9') && tambem.find(c) == std::string_view::npos)
      throw ECampo(ECampo::TMotivo::naoNumerico, tipo(), pos, len, std::string(value));
  if (static_cast<int>(value.size()) > len)
    throw ECampo(ECampo::TMotivo::excede, tipo(), pos, len, std::string(value));
  if (static_cast<int>(value.size()) < len) {
    // put() checks the position; the zeros go in front of the value.
    std::string v(static_cast<size_t>(len) - value.size(), '0');
    v.append(value);
    return put(pos, len, v);
  }
  return put(pos, len, value);
}

std::string Record::tipo() const {
  if (length_ == 240) {
    if (text_.size() < 8) return {};
    if (text_[7] == '3' && text_.size() >= 14) return text_.substr(7, 1) + text_.substr(13, 1);
    return text_.substr(7, 1);
  }
  return text_.substr(0, 1);
}

ECampo::ECampo(TMotivo m, std::string r, int p, int l, std::string v)
    : std::runtime_error("campo " + std::to_string(p) + "-" + std::to_string(p + l - 1) + " do registro " +
                         r + ": \"" + v + "\""),
      motivo(m),
      registro(std::move(r)),
      pos(p),
      len(l),
      valor(std::move(v)) {}

TRemessaFile::TRemessaFile(std::string path, int recordLength)
    : path_(std::move(path)), length_(recordLength) {
  temp_ = host::StagingName(path_);
  buffer_ = std::make_unique<char[]>(kBuffer);
  f_ = std::fopen(fields::OsPath(temp_).c_str(), "wb");
  if (!f_)
    throw std::runtime_error(fields::Utf8ToCp1252("Não foi possível criar o arquivo ") + path_ + ": " +
                             host::MotivoDoErro(errno));
  std::setvbuf(f_, buffer_.get(), _IOFBF, kBuffer);
}

TRemessaFile::~TRemessaFile() {
  if (f_) {
    std::fclose(f_);
    std::remove(fields::OsPath(temp_).c_str());
  }
}

void TRemessaFile::write(const Record& r) {
  if (!r.complete() || r.length() != length_)
    throw ELayoutError("record " + std::to_string(count_ + 1) + " has " + std::to_string(r.text().size()) +
                       " characters; the layout's records have " + std::to_string(length_));
  if (std::fwrite(r.text().data(), 1, r.text().size(), f_) != r.text().size() ||
      std::fwrite("\r\n", 1, 2, f_) != 2)
    falha();
  ++count_;
}

void TRemessaFile::falha(int err) const {
  throw std::runtime_error(fields::Utf8ToCp1252("Erro de gravação no arquivo ") + path_ + ": " +
                           host::MotivoDoErro(err));
}

void TRemessaFile::Close() {
  if (!f_) return;
  const bool ok = std::fflush(f_) == 0 && fsync(fileno(f_)) == 0;
  const int err = errno;
  std::fclose(f_);
  f_ = nullptr;
  if (!ok) {
    std::remove(fields::OsPath(temp_).c_str());
    falha(err);
  }
  host::StageOutput(temp_, path_);
}

}  // namespace layouts
