// The host's key list: keys with a value, found by index.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace host {

class TKeyList {
 public:
  // A key added twice is kept twice; IndexOf finds it while one copy is left.
  void Add(const std::string& key, double value = 0) {
    keys_.push_back(key);
    values_.push_back(value);
    texts_.emplace_back();
    ++count_[key];
  }
  // A key whose value is a text (a batch mark carries the batch's operator).
  void Add(const std::string& key, const std::string& text) {
    Add(key, 0.0);
    texts_.back() = text;
  }
  // Removes one copy of the key; false when absent.
  bool Remove(const std::string& key) {
    int i = IndexOf(key);
    if (i < 0) return false;
    keys_.erase(keys_.begin() + i);
    values_.erase(values_.begin() + i);
    texts_.erase(texts_.begin() + i);
    if (--count_[key] == 0) count_.erase(key);
    return true;
  }
  int IndexOf(const std::string& key) const {
    if (count_.find(key) == count_.end()) return -1;
    for (size_t i = 0; i < keys_.size(); ++i)
      if (keys_[i] == key) return static_cast<int>(i);
    return -1;
  }
  bool Contains(const std::string& key) const { return count_.find(key) != count_.end(); }
  const std::string& Key(int i) const { return keys_.at(i); }
  double ValueAt(int i) const { return values_.at(i); }
  const std::string& TextAt(int i) const { return texts_.at(i); }
  int Count() const { return static_cast<int>(keys_.size()); }
  void Clear() {
    keys_.clear();
    values_.clear();
    texts_.clear();
    count_.clear();
  }

 private:
  std::vector<std::string> keys_;
  std::vector<double> values_;
  std::vector<std::string> texts_;
  std::unordered_map<std::string, int> count_;
};

}  // namespace host
