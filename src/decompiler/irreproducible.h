// The places of compiled files that the decompiled text does not give back:
// the file, the byte offset and the field there, with what the file holds and
// what compiling the text gives.
#ifndef SC_DECOMPILER_IRREPRODUCIBLE_H_
#define SC_DECOMPILER_IRREPRODUCIBLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sc {

struct IrreproduciblePlace {
  std::string file;
  uint64_t offset = 0;
  std::string field;  // "cell 57 kind", "slot 3 name", "x of metre 812"
  std::string what;   // "holds 7; the text gives 0"
};

// At most kShownPerFile places are kept for each file; the rest are counted.
class IrreproduciblePlaces {
 public:
  static constexpr size_t kShownPerFile = 20;

  void Add(IrreproduciblePlace place);
  // Every place of `other`, those only counted included.
  void AddAll(const IrreproduciblePlaces& other);
  const std::vector<IrreproduciblePlace>& shown() const { return shown_; }
  // Places counted but not kept, by file, in the order first met.
  const std::vector<std::pair<std::string, uint64_t>>& more() const { return more_; }
  bool empty() const { return shown_.empty(); }
  uint64_t total() const;

 private:
  std::vector<IrreproduciblePlace> shown_;
  std::vector<std::pair<std::string, uint64_t>> more_;
};

}  // namespace sc

#endif  // SC_DECOMPILER_IRREPRODUCIBLE_H_
