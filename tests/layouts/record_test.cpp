#include "layouts/record.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "host/staging.h"

namespace {

using layouts::Record;
using layouts::TRemessaFile;

std::string LeTudo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A file of many titles is sent to the disk in parts while it is written; no
// part may be lost, doubled or moved, and nothing reaches the final path
// before the run puts it there.
TEST(RemessaFile, LargeFileKeepsEveryRecordInPlace) {
  char dir[] = "/tmp/remessa-record-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/remessa.txt";
  auto& stage = host::TOutputStage::Current();
  stage.Discard();
  constexpr int kRegistros = 60000;  // some 14 MB: past more than one part
  {
    TRemessaFile f(path, 240);
    for (int i = 1; i <= kRegistros; ++i) {
      char seq[7];
      std::snprintf(seq, sizeof seq, "%06d", i);
      Record r(240);
      r.put(1, 6, seq).put(7, 234, std::string(234, static_cast<char>('A' + i % 26)));
      f.write(r);
    }
    EXPECT_EQ(f.count(), kRegistros);
    f.Close();
  }
  EXPECT_FALSE(std::ifstream(path).good()) << "the file is in place before the run stored its batch";
  stage.PutInPlace();
  stage.Commit();
  const std::string texto = LeTudo(path);
  ASSERT_EQ(texto.size(), static_cast<size_t>(kRegistros) * 242);
  for (int i = 1; i <= kRegistros; ++i) {
    const std::string linha = texto.substr(static_cast<size_t>(i - 1) * 242, 242);
    char seq[7];
    std::snprintf(seq, sizeof seq, "%06d", i);
    const std::string esperada = seq + std::string(234, static_cast<char>('A' + i % 26)) + "\r\n";
    if (linha != esperada) {
      ADD_FAILURE() << "record " << i << " is not where it was written";
      break;
    }
  }
  std::remove(path.c_str());
  rmdir(dir);
}

}  // namespace
