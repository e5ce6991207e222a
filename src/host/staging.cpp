#include "host/staging.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "fields/cp1252.h"

namespace host {

std::string MotivoDoErro(int err) {
  const char* m = nullptr;
  switch (err) {
    case ENOSPC:
      m = "não há espaço no disco";
      break;
    case EDQUOT:
      m = "a cota de disco foi excedida";
      break;
    case EROFS:
      m = "o disco ou a pasta só pode ser lido (somente leitura)";
      break;
    case EACCES:
    case EPERM:
      m = "permissão negada";
      break;
    case ENOENT:
      m = "a pasta não existe";
      break;
    case ENOTDIR:
      m = "o caminho não é uma pasta";
      break;
    case EISDIR:
      m = "o caminho é uma pasta";
      break;
    case EFBIG:
      m = "o arquivo excede o tamanho permitido";
      break;
    case EIO:
      m = "erro de leitura ou gravação no disco";
      break;
    default:
      return std::strerror(err);
  }
  return fields::Utf8ToCp1252(m);
}

namespace {

bool exists(const std::string& p) {
  return access(fields::OsPath(p).c_str(), F_OK) == 0;
}
int mv(const std::string& from, const std::string& to) {
  return std::rename(fields::OsPath(from).c_str(), fields::OsPath(to).c_str());
}
int rm(const std::string& p) {
  return std::remove(fields::OsPath(p).c_str());
}

}  // namespace

std::string StagingName(const std::string& path) {
  return path + ".parcial-" + std::to_string(getpid());
}

long DonoDoNome(const std::string& path, const std::string& name) {
  for (const char* marca : {".parcial-", ".anterior-"}) {
    const std::string prefixo = path + marca;
    if (name.size() <= prefixo.size() || name.compare(0, prefixo.size(), prefixo) != 0) continue;
    long pid = 0;
    for (size_t i = prefixo.size(); i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9' || pid > 100000000) return 0;
      pid = pid * 10 + (name[i] - '0');
    }
    return pid;
  }
  return 0;
}

bool ProcessoVivo(long pid) {
  if (pid <= 0 || pid == static_cast<long>(getpid())) return false;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::vector<std::string> RestosAbandonados(const std::string& path) {
  std::vector<std::string> restos;
  const auto barra = path.find_last_of('/');
  const std::string pasta = barra == std::string::npos ? "." : path.substr(0, barra + 1);
  const std::string prefixo = barra == std::string::npos ? "" : pasta;
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(fields::OsPath(pasta).c_str()), &closedir);
  if (!d) return restos;
  while (const dirent* e = readdir(d.get())) {
    const std::string nome = prefixo + fields::Utf8ToCp1252(e->d_name);
    const long pid = DonoDoNome(path, nome);
    if (pid > 0 && !ProcessoVivo(pid)) restos.push_back(nome);
  }
  return restos;
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
        if (mv(f.path, f.backup) != 0) {
          f.backup.clear();
          throw std::runtime_error(fields::Utf8ToCp1252("Não foi possível substituir o arquivo ") + f.path +
                                   ": " + MotivoDoErro(errno));
        }
      }
      if (mv(f.temp, f.path) != 0) {
        const int err = errno;
        if (!f.backup.empty()) mv(f.backup, f.path);
        f.backup.clear();
        throw std::runtime_error(fields::Utf8ToCp1252("Não foi possível gravar o arquivo ") + f.path + ": " +
                                 MotivoDoErro(err));
      }
    }
    placed_ = true;
  } catch (...) {
    // Undo the files already moved, newest first.
    for (size_t i = done; i-- > 0;) {
      auto& f = files_[i];
      mv(f.path, f.temp);
      if (!f.backup.empty()) mv(f.backup, f.path);
      f.backup.clear();
    }
    throw;
  }
}

void TOutputStage::Commit() {
  for (auto& f : files_)
    if (!f.backup.empty()) rm(f.backup);
  files_.clear();
  placed_ = false;
}

void TOutputStage::Undo() {
  if (placed_) {
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
      rm(it->path);
      if (!it->backup.empty()) mv(it->backup, it->path);
    }
  }
  placed_ = false;
  Discard();
}

void TOutputStage::Discard() {
  for (auto& f : files_) rm(f.temp);
  files_.clear();
  placed_ = false;
}

}  // namespace host
