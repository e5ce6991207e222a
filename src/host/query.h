// The host's query: SQL run directly against the host database, its result
// read like any data set.
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

  // The statement Open runs; its parameters, written ":NAME", take the values
  // given by ParamByName.
  std::string SQL;

  void SetConnection(IHostDatabase* db) { db_ = db; }
  void ParamByName(const std::string& name, const std::string& value) { params_[name] = value; }
  const std::map<std::string, std::string>& Params() const { return params_; }
  void Open();

 private:
  IHostDatabase* db_ = nullptr;
  std::map<std::string, std::string> params_;
};

}  // namespace host
