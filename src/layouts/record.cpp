#include "layouts/record.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fields/cp1252.h"
#include "workspace/staging.h"

namespace layouts {

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

TRemessaFile::TRemessaFile(std::string path, int recordLength)
    : path_(std::move(path)), length_(recordLength) {
  temp_ = workspace::StagingName(path_);
  f_ = std::fopen(fields::OsPath(temp_).c_str(), "wb");
  if (!f_)
    throw std::runtime_error(fields::Utf8ToCp1252("Não foi possível criar o arquivo ") + path_ + ": " +
                             std::strerror(errno));
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
    throw std::runtime_error(fields::Utf8ToCp1252("Erro de gravação no arquivo ") + path_ + ": " +
                             std::strerror(errno));
  ++count_;
}

void TRemessaFile::Close() {
  if (!f_) return;
  const bool ok = std::fflush(f_) == 0 && fsync(fileno(f_)) == 0;
  const int err = errno;
  std::fclose(f_);
  f_ = nullptr;
  if (!ok) {
    std::remove(fields::OsPath(temp_).c_str());
    throw std::runtime_error(fields::Utf8ToCp1252("Erro de gravação no arquivo ") + path_ + ": " +
                             std::strerror(err));
  }
  workspace::StageOutput(temp_, path_);
}

}  // namespace layouts
