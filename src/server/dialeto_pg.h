// The server's SQL is written once, in the dialect SQLite reads; PostgreSQL
// reads it through this translation of what the two say differently: the
// column types (SQLite's REAL is 8 bytes, PostgreSQL's 4; BLOB is BYTEA;
// integers are 64 bits), SQLite's lenient integer cast, its clock, its
// temporary schema and its row ids.
// String literals and quoted names pass untouched.
#pragma once

#include <string>
#include <string_view>

namespace server::pg {

std::string ParaPostgres(std::string_view sql);

// What the translation relies on in a PostgreSQL database, created before
// the first migration: the DATETEXT domain (an ISO date kept as text, as in
// SQLite) and remessa_inteiro, SQLite's CAST AS INTEGER (the leading
// integer of a text, 0 when there is none).
std::string_view PreambuloPostgres();

}  // namespace server::pg
