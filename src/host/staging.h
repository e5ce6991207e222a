// Remittance files written during a run wait beside their final path until the
// run has stored the batch and its titles.
#pragma once

#include <string>
#include <vector>

namespace host {

// Why a file could not be created, written or read, in the operator's words
// (Windows-1252): the causes an operator can act on are named, any other
// keeps the system's own text.
std::string MotivoDoErro(int err);

// The temporary name beside path where a file of this run is written.
std::string StagingName(const std::string& path);
// Registers a closed temporary file for its final path.
void StageOutput(const std::string& temp, const std::string& path);

// The process a staging or replaced-file name beside path was made by (the
// number after ".parcial-" or ".anterior-"); 0 when name is neither.
long DonoDoNome(const std::string& path, const std::string& name);
// Whether process pid is still running; this process counts as gone, since
// any name of its own found when it starts belongs to an earlier one.
bool ProcessoVivo(long pid);
// The staging and replaced-file names beside path left by processes that are
// gone: a run that died before putting its file in place leaves one.
std::vector<std::string> RestosAbandonados(const std::string& path);

struct TStagedFile {
  std::string temp, path, backup;
};

// Puts every staged file in place, keeping a copy of any file it replaces
// until Commit; on failure nothing is left changed.
class TOutputStage {
 public:
  static TOutputStage& Current();
  void Add(TStagedFile f) { files_.push_back(std::move(f)); }
  bool Empty() const { return files_.empty(); }
  const std::vector<TStagedFile>& Files() const { return files_; }
  void PutInPlace();  // raises on failure, leaving the old files where they were
  void Commit();      // drops the copies of replaced files
  void Undo();        // restores replaced files, removes new ones
  void Discard();     // removes staged temporary files that were never put in place

 private:
  std::vector<TStagedFile> files_;
  bool placed_ = false;
};

}  // namespace host
