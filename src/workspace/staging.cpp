#include "workspace/staging.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace workspace {
namespace {

bool exists(const std::string& p) {
  return access(p.c_str(), F_OK) == 0;
}

}  // namespace

std::string StagingName(const std::string& path) {
  return path + ".parcial-" + std::to_string(getpid());
}

void StageOutput(const std::string& temp, const std::string& path) {
  TOutputStage::Current().Add({temp, path, {}});
}

TOutputStage& TOutputStage::Current() {
  static TOutputStage s;
  return s;
}

void TOutputStage::PutInPlace() {
  size_t done = 0;
  try {
    for (; done < files_.size(); ++done) {
      auto& f = files_[done];
      if (exists(f.path)) {
        f.backup = f.path + ".anterior-" + std::to_string(getpid());
        if (std::rename(f.path.c_str(), f.backup.c_str()) != 0) {
          f.backup.clear();
          throw std::runtime_error("Não foi possível substituir o arquivo " + f.path + ": " +
                                   std::strerror(errno));
        }
      }
      if (std::rename(f.temp.c_str(), f.path.c_str()) != 0) {
        const int err = errno;
        if (!f.backup.empty()) std::rename(f.backup.c_str(), f.path.c_str());
        f.backup.clear();
        throw std::runtime_error("Não foi possível gravar o arquivo " + f.path + ": " + std::strerror(err));
      }
    }
    placed_ = true;
  } catch (...) {
    // Undo the files already moved, newest first.
    for (size_t i = done; i-- > 0;) {
      auto& f = files_[i];
      std::rename(f.path.c_str(), f.temp.c_str());
      if (!f.backup.empty()) std::rename(f.backup.c_str(), f.path.c_str());
      f.backup.clear();
    }
    throw;
  }
}

void TOutputStage::Commit() {
  for (auto& f : files_)
    if (!f.backup.empty()) std::remove(f.backup.c_str());
  files_.clear();
  placed_ = false;
}

void TOutputStage::Undo() {
  if (placed_) {
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
      std::remove(it->path.c_str());
      if (!it->backup.empty()) std::rename(it->backup.c_str(), it->path.c_str());
    }
  }
  placed_ = false;
  Discard();
}

void TOutputStage::Discard() {
  for (auto& f : files_) std::remove(f.temp.c_str());
  files_.clear();
  placed_ = false;
}

}  // namespace workspace
