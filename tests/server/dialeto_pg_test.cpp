// The server's SQL as PostgreSQL reads it.
#include "server/dialeto_pg.h"

#include <gtest/gtest.h>

namespace {

TEST(ParaPostgres, TranslatesWhatTheDialectsSayDifferently) {
  const struct {
    const char* sqlite;
    const char* postgres;
  } cases[] = {
      {"VRFINALBREC REAL NOT NULL DEFAULT 0", "VRFINALBREC DOUBLE PRECISION NOT NULL DEFAULT 0"},
      {"BLARQUIVO BLOB, QTBYTES INTEGER", "BLARQUIVO BYTEA, QTBYTES BIGINT"},
      {"ORDER BY CAST(B.NRLANBOLREC AS INTEGER), B.NRLANBOLREC",
       "ORDER BY remessa_inteiro(B.NRLANBOLREC) NULLS FIRST, B.NRLANBOLREC NULLS FIRST"},
      // NULLs where SQLite puts them: first going up, last going down.
      {"SELECT x FROM t ORDER BY a DESC, b LIMIT 1",
       "SELECT x FROM t ORDER BY a DESC NULLS LAST, b NULLS FIRST LIMIT 1"},
      {"(SELECT a FROM t ORDER BY a) AS q", "(SELECT a FROM t ORDER BY a NULLS FIRST) AS q"},
      {"MAX(CAST (substr(x, 1, 3) AS INTEGER))", "MAX(remessa_inteiro(substr(x, 1, 3)))"},
      {"CAST(x AS REAL)", "CAST(x AS DOUBLE PRECISION)"},
      {"VALUES (?, datetime('now'))", "VALUES (?, to_char(now(), 'YYYY-MM-DD HH24:MI:SS'))"},
      // Literals, quoted names, comments and longer words stay as written.
      {"WHERE X = 'REAL' AND \"BLOB\" = 'it''s INTEGER'", "WHERE X = 'REAL' AND \"BLOB\" = 'it''s INTEGER'"},
      {"-- REAL money\nNRREAL REAL", "-- REAL money\nNRREAL DOUBLE PRECISION"},
      {"DTVENBOLREC DATETEXT", "DTVENBOLREC DATETEXT"},
      {"DELETE FROM temp.LOTEBOLETO", "DELETE FROM pg_temp.LOTEBOLETO"},
      {"ORDER BY D.NRPARCELA, D.rowid", "ORDER BY D.NRPARCELA NULLS FIRST, D.ctid NULLS FIRST"},
      // A negative start counts from the end in SQLite only.
      {"substr('0000' || trim(B.NRCNABRECREM), -20) = ?", "right('0000' || trim(B.NRCNABRECREM), 20) = ?"},
      {"substr(x, 1, 3), substr(f(a, b), -2)", "substr(x, 1, 3), right(f(a, b), 2)"},
      {"SUM(round(B.VRFINALBREC, 2))", "SUM(round(CAST(B.VRFINALBREC AS NUMERIC), 2))"},
      {"MAX(x), max(VR - 1, 0), MIN(a, b, c)", "MAX(x), GREATEST(VR - 1, 0), LEAST(a, b, c)"},
  };
  for (const auto& c : cases) EXPECT_EQ(server::pg::ParaPostgres(c.sqlite), c.postgres) << c.sqlite;
}

}  // namespace
