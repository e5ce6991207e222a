// Fixed-width records and the remittance file they are written to.
#pragma once

#include <cerrno>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace layouts {

// A record built field by field. Every field must start where the previous one
// ended, so a skipped or doubled position cannot slip into a bank's file.
class Record {
 public:
  explicit Record(int length) : length_(length) { text_.reserve(length); }
  // Places value at 1-based pos in len characters; a shorter value is filled
  // with blanks, a longer one is cut, so the record keeps its layout's length.
  Record& put(int pos, int len, std::string_view value);
  // A field the bank reads as a number: right-aligned and zero-filled. Only
  // digits (and the characters of tambem, such as a check digit "P") may
  // stand in it, and a value longer than the field is refused, never cut:
  // either stops the run with ECampo. Stored punctuation is the caller's to
  // drop (SemPontuacao) before the table's own cut.
  Record& num(int pos, int len, std::string_view value, std::string_view tambem = {});
  int length() const { return length_; }
  bool complete() const { return static_cast<int>(text_.size()) == length_; }
  const std::string& text() const { return text_; }
  // The record's type as the layouts name it: its first character, or for a
  // CNAB 240 record the type at 008 and a detail's segment letter.
  std::string tipo() const;

 private:
  int length_;
  std::string text_;
};

class ELayoutError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// A value that cannot stand in the field the bank reads as a number: a
// letter or sign in it, or more digits than the field holds. The walk over
// the titles names the title, the run turns it into the operator's message.
class ECampo : public std::runtime_error {
 public:
  enum class TMotivo { naoNumerico, excede };
  ECampo(TMotivo motivo, std::string registro, int pos, int len, std::string valor);
  TMotivo motivo;
  std::string registro;  // record type, and segment letter of a CNAB 240 detail ("3P")
  int pos, len;
  std::string valor;
  std::string titulo;  // "0001/1004", filled by the walk; empty for a file-level record
};

// The remittance file of one run. It is written beside the operator's path and
// handed to the workspace on Close; the workspace puts it in place once the
// batch and its titles are stored, so a failed run leaves no partial file and
// keeps the file that was there.
class TRemessaFile {
 public:
  TRemessaFile(std::string path, int recordLength);
  ~TRemessaFile();
  TRemessaFile(const TRemessaFile&) = delete;
  TRemessaFile& operator=(const TRemessaFile&) = delete;

  void write(const Record& r);
  // Records written so far; the next record's sequence number is count() + 1.
  int count() const { return count_; }
  void Close();
  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void falha(int err = errno) const;

  std::string path_, temp_;
  int length_;
  int count_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::FILE* f_ = nullptr;
};

}  // namespace layouts
