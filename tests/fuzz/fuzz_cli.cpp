// The command line's argument handling on any arguments (one a line of the
// input), and `remessa ver` and `remessa retorno --simular` on any file,
// against a demonstration store in a folder of its own: the program answers
// with an exit code, whatever it is given, and nothing escapes it.
// Arguments that could reach outside that folder (a path with "/", a
// connection string) are left out, and so is the demonstration run, which
// writes a whole tree of files.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/commands.h"

namespace {

int Roda(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return app::Main(static_cast<int>(args.size()), argv.data());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static char pasta[] = "/tmp/remessa-fuzz-cli-XXXXXX";
  if (!mkdtemp(pasta) || chdir(pasta) != 0) std::abort();
  // The fuzzer ends by exit(): the folder goes with it (a crash keeps it).
  std::atexit([] {
    std::error_code e;
    std::filesystem::remove_all(pasta, e);
  });
  // Questions find no operator: they read the end of the input.
  if (!std::freopen("/dev/null", "r", stdin) || !std::freopen("/dev/null", "w", stdout)) std::abort();
  setenv("REMESSA_DB", "fuzz.db", 1);
  if (Roda({"remessa", "--agora", "2026-12-08 10:30:00", "init", "--demo"}) != 0) std::abort();
  return 0;
}

namespace {

// An input that starts with "@ver\n" or "@retorno\n" is a file's bytes
// instead: `remessa ver` shows it, `remessa retorno --simular` applies it to
// the demonstration store and undoes it.
int Arquivo(std::string_view comando, const uint8_t* data, size_t size) {
  if (std::FILE* f = std::fopen("arquivo", "wb")) {
    const bool ok = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !ok) std::abort();
  }
  const int rc = comando == "ver" ? Roda({"remessa", "ver", "arquivo"})
                                  : Roda({"remessa", "retorno", "arquivo", "--simular"});
  if (rc < 0 || rc > 255) std::abort();
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view c(reinterpret_cast<const char*>(data), size);
  for (std::string_view comando : {"ver", "retorno"}) {
    const std::string marca = "@" + std::string(comando) + "\n";
    if (c.substr(0, marca.size()) == marca) return Arquivo(comando, data + marca.size(), size - marca.size());
  }
  std::vector<std::string> args{"remessa"};
  std::string a;
  for (size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      if (a.find_first_of("/=:") != std::string::npos || a == "demo") return 0;
      args.push_back(a);
      a.clear();
    } else {
      a += static_cast<char>(data[i]);
    }
  }
  if (args.size() > 24) return 0;
  const int rc = Roda(args);
  if (rc < 0 || rc > 255) std::abort();
  return 0;
}
