// A database of the test's own on the PostgreSQL server that REMESSA_PG_TEST
// names (make test starts a throwaway one): created before the test, dropped
// after it, so tests run in parallel without meeting. Without the variable
// the test is skipped, saying how to run it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/pg_db.h"

namespace testsupport {

// A database of the caller's own on conninfo's server, with the schema in
// place and no rows; DevolveBanco hands it back. The suites on PostgreSQL
// make a store for each of a thousand cases: a new database and its
// migrations took most of each case's time (about 0.4 s), so the process
// migrates one model, copies it, and lends an emptied copy again when its
// structure is still the model's.
std::string TomaBancoMigrado(const std::string& conninfo);
void DevolveBanco(const std::string& conninfo, const std::string& banco);

class PgTeste : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  server::pg::Db& Db() { return db_; }
  // Another connection to the test's database: for locks and transactions
  // seen from outside.
  std::unique_ptr<server::pg::Db> Conecta() const;
  const std::string& Conninfo() const { return conninfo_; }  // the server's, as given
  const std::string& Banco() const { return banco_; }

 private:
  std::string conninfo_, banco_;
  server::pg::Db admin_, db_;
};

}  // namespace testsupport
