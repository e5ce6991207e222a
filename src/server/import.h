// Loads fixture data into the server's database from JSON:
//   { "TABLE": [ { "COLUMN": value, ... }, ... ], ... }
// Table and column names are the database's, in any case. Everything loads
// in one unit of work: the first bad table, column, value or constraint
// loads nothing and raises TImportError naming the table, the row (1-based)
// and the field. docs/import.md describes the format.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "server/remessa_server.h"

namespace server {

// The message is Windows-1252, like every text the server hands back.
class TImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Returns the number of rows loaded.
size_t ImportJson(TRemessaServer& server, const std::string& jsonText);
size_t ImportJsonFile(TRemessaServer& server, const std::string& path);

}  // namespace server
