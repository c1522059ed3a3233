#pragma once
// An index of slot numbers by the hash of their keys, for the count store: open addressing with
// linear probing over a power-of-two table kept at most half full. The keys stay with the caller,
// which tells whether a slot's key is the one sought. Adding and removing allocate nothing once
// the table has grown to the store's size.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dorvex {

class SlotIndex {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // The slot of `hash` for which `matches(slot)` holds; kNone when there is none.
  template <typename Matches>
  std::uint32_t Find(std::size_t hash, Matches matches) const {
    if (cells_.empty()) return kNone;
    const auto h = static_cast<std::uint32_t>(hash);
    for (std::size_t i = h & Mask();; i = (i + 1) & Mask()) {
      const Cell& cell = cells_[i];
      if (cell.slot == kNone) return kNone;
      if (cell.hash == h && matches(cell.slot)) return cell.slot;
    }
  }

  void Insert(std::size_t hash, std::uint32_t slot);
  // Removes `slot`, held under `hash`.
  void Erase(std::size_t hash, std::uint32_t slot);

 private:
  struct Cell {
    std::uint32_t slot = kNone;
    std::uint32_t hash = 0;
  };

  std::size_t Mask() const { return cells_.size() - 1; }
  void Place(Cell cell);

  std::vector<Cell> cells_;
  std::size_t used_ = 0;
};

}  // namespace dorvex
