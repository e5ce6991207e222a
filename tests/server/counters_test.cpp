#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <thread>

#include "fixture.h"
#include "host/messages.h"

using namespace server_test;

namespace {

int64_t Next(server::TRemessaServer& s) {
  auto r = s.PrxCodigo("01", "CNABRec");
  EXPECT_EQ(r.Error, "");
  return std::stoll(r.Text);
}

}  // namespace

TEST(PrxCodigo, ContinuesAfterTheHighestStoredBatch) {
  auto s = Loja();
  EXPECT_EQ(Next(*s), 8);  // batch 7 exists
  EXPECT_EQ(Next(*s), 9);
  EXPECT_EQ(s->PrxCodigo("02", "CNABRec").Text, "10");  // the other company has batch 9
  EXPECT_EQ(s->PrxCodigo("01", "OUTRA").Text, "1");
  EXPECT_EQ(s->PrxCodigo("77", "CNABRec").Error, Cp("Empresa não cadastrada."));
}

TEST(PrxCodigo, RefusedInsideTheRunTransaction) {
  auto s = Loja();
  s->StartTransaction();
  EXPECT_NE(s->PrxCodigo("01", "CNABRec").Error, "");
  EXPECT_NE(s->PrxCodigoRemessaRec("001").Error, "");
  s->Rollback();
  EXPECT_EQ(Next(*s), 8);
}

TEST(PrxCodigoRemessaRec, IncrementsTheAccountSequence) {
  auto s = Loja();
  EXPECT_EQ(s->PrxCodigoRemessaRec("001").Text, "6");
  EXPECT_EQ(s->PrxCodigoRemessaRec("001").Text, "7");
  EXPECT_EQ(s->PrxCodigoRemessaRec("002").Text, "1");
  EXPECT_EQ(s->PrxCodigoRemessaRec("999").Error, Cp("Conta corrente não cadastrada."));
}

TEST(PrxCodigo, TwoServersOnOneStoreNeverShareANumber) {
  TempDir dir;
  const TLojaComum loja = LojaComum(dir.File("r.db"));
  auto a = loja.Abre(), b = loja.Abre();
  std::vector<int64_t> got;
  for (int i = 0; i < 10; ++i) {
    got.push_back(Next(*a));
    got.push_back(Next(*b));
  }
  std::vector<int64_t> want(20);
  for (int i = 0; i < 20; ++i) want[i] = 8 + i;
  EXPECT_EQ(got, want);
}

TEST(PrxCodigo, ConcurrentThreadsNeverShareANumber) {
  TempDir dir;
  const TLojaComum loja = LojaComum(dir.File("r.db"));
  constexpr int kThreads = 4, kEach = 40;
  std::vector<std::vector<int64_t>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      auto s = loja.Abre();
      for (int i = 0; i < kEach; ++i) {
        auto r = s->PrxCodigo("01", "CNABRec");
        got[t].push_back(r.Error.empty() ? std::stoll(r.Text) : -1);
      }
    });
  for (auto& th : threads) th.join();
  std::set<int64_t> all;
  for (auto& v : got) all.insert(v.begin(), v.end());
  EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kEach));
  EXPECT_EQ(*all.begin(), 8);
  EXPECT_EQ(*all.rbegin(), 8 + kThreads * kEach - 1);
}

TEST(PrxCodigoRemessaRec, ForkedProcessesNeverShareANumber) {
  TempDir dir;
  const TLojaComum loja = LojaComum(dir.File("r.db"));
  constexpr int kProcs = 3, kEach = 25;
  std::vector<pid_t> pids;
  for (int p = 0; p < kProcs; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int rc = 0;
      {
        auto s = loja.Abre();
        std::ofstream out(dir.File("out" + std::to_string(p)));
        for (int i = 0; i < kEach; ++i) {
          auto r = s->PrxCodigoRemessaRec("002");
          if (!r.Error.empty()) rc = 1;
          out << r.Text << "\n";
        }
      }
      _exit(rc);
    }
    pids.push_back(pid);
  }
  for (pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::set<int64_t> all;
  for (int p = 0; p < kProcs; ++p) {
    std::ifstream in(dir.File("out" + std::to_string(p)));
    for (std::string line; std::getline(in, line);) all.insert(std::stoll(line));
  }
  EXPECT_EQ(all.size(), static_cast<size_t>(kProcs * kEach));
  EXPECT_EQ(*all.rbegin(), kProcs * kEach);
}
