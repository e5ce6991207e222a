// What the PostgreSQL store does to text on its way to libpq and back: the
// rules' SQLite placeholders renumbered as PostgreSQL's $n, passwords taken
// out of anything shown, SQLSTATEs turned into the store's codes and kinds.
// Nothing here talks to a server, so all of it is checked without one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "server/store.h"

namespace server::pg {

// A statement's SQL with SQLite's placeholders as $n. SQLite numbers them
// so: ?NNN is NNN; a bare ? is one past the highest number so far; :NAME is
// too, the first time the name appears, and the same number after that.
// Those rules are kept here, so a statement binds the same positions on
// both stores.
struct TTraducao {
  std::string sql;
  // By position - 1: the name as the SQLite adapter gives it ("P_EMP" for
  // :P_EMP, "?3" for ?3, empty for ?).
  std::vector<std::string> nomes;
  // By position - 1: whether the text refers to it. The server cannot infer
  // a type for a position the text skips (?3 alone leaves 1 and 2 unused).
  std::vector<bool> usados;
};
TTraducao Traduz(std::string_view sql);

// text with the value of every password=... and the password of every
// scheme://user:password@ replaced by ***; the raw passwords found in
// conninfo, when given, go wherever they appear (libpq echoes pieces of a
// URI it cannot parse).
std::string SemSenha(std::string_view text, std::string_view conninfo = {});

// The store's code of a SQLSTATE: its number when it is all digits (23505),
// minus its base-36 value otherwise (40P01 is -6'750'865), 0 for none.
int Codigo(std::string_view sqlstate);
// Ocupado for a serialization failure (40001), a deadlock (40P01) and a lock
// not available (55P03); Restricao for an integrity constraint (class 23).
store::Error::TFalha Falha(std::string_view sqlstate);

}  // namespace server::pg
