// The host's dialect-aware query: SQL run directly against the host database,
// its result read like any data set.
#pragma once

#include <map>
#include <string>

#include "host/dataset.h"

namespace host {

// The host database as the queries reach it; parameters are text.
class IHostDatabase {
 public:
  virtual ~IHostDatabase() = default;
  virtual TPacket ExecuteQuery(const std::string& sql, const std::map<std::string, std::string>& params) = 0;
};

class TADOIBQuery : public TClientDataSet {
 public:
  explicit TADOIBQuery(std::string name = {}) : TClientDataSet(std::move(name)) {}

  // The four statements of the host's dialects; the one for the engine in use runs.
  std::string SQL, SQL_ORACLE, SQL_MSSQL, SQL_IB;
  // Which of the four this engine reads; our database takes the Oracle text,
  // whose parameters are compared directly.
  enum class Dialect { Default, Oracle, MSSQL, IB };
  Dialect dialect = Dialect::Default;

  void SetConnection(IHostDatabase* db) { db_ = db; }
  void ParamByName(const std::string& name, const std::string& value) { params_[name] = value; }
  const std::map<std::string, std::string>& Params() const { return params_; }
  void Open();
  const std::string& ActiveSQL() const;

 private:
  IHostDatabase* db_ = nullptr;
  std::map<std::string, std::string> params_;
};

}  // namespace host
