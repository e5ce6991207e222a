#include "support/pg_teste.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

namespace testsupport {

void PgTeste::SetUp() {
  const char* c = std::getenv("REMESSA_PG_TEST");
  if (!c || !*c)
    GTEST_SKIP()
        << "REMESSA_PG_TEST is not set: `make test` runs these tests on a cluster of its own; by hand, "
           "run `tests/support/pg_cluster.sh start DIR` and export REMESSA_PG_TEST=\"<the string it "
           "prints>\" (`pg_cluster.sh stop DIR` afterwards)";
  conninfo_ = c;
  // ctest runs each test in a process of its own, several at once: the
  // process id keeps their names apart, the clock a later run's from a
  // database a crashed run left behind.
  static std::atomic<int> n{0};
  const auto agora = std::chrono::steady_clock::now().time_since_epoch().count();
  banco_ = "remessa_t" + std::to_string(getpid()) + "_" + std::to_string(++n) + "_" +
           std::to_string(agora % 1000000007);
  admin_.Open(conninfo_);
  admin_.Exec("CREATE DATABASE " + banco_);
  db_.Open(conninfo_, banco_);
}

void PgTeste::TearDown() {
  db_.Close();
  if (banco_.empty()) return;
  try {
    // FORCE: a connection the test left open does not keep the database.
    admin_.Exec("DROP DATABASE IF EXISTS " + banco_ + " WITH (FORCE)");
  } catch (const std::exception& e) {
    ADD_FAILURE() << "dropping " << banco_ << ": " << e.what();
  }
  admin_.Close();
}

std::unique_ptr<server::pg::Db> PgTeste::Conecta() const {
  auto db = std::make_unique<server::pg::Db>();
  db->Open(conninfo_, banco_);
  return db;
}

}  // namespace testsupport
