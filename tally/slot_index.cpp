#include "tally/slot_index.h"

#include <utility>

namespace dorvex {

void SlotIndex::Insert(std::size_t hash, std::uint32_t slot) {
  if (2 * (used_ + 1) > cells_.size()) {
    const std::size_t size = cells_.empty() ? 64 : 2 * cells_.size();
    const std::vector<Cell> old = std::exchange(cells_, std::vector<Cell>(size));
    for (const Cell& cell : old) {
      if (cell.slot != kNone) Place(cell);
    }
  }
  Place({slot, static_cast<std::uint32_t>(hash)});
  ++used_;
}

void SlotIndex::Place(Cell cell) {
  std::size_t i = cell.hash & Mask();
  while (cells_[i].slot != kNone) i = (i + 1) & Mask();
  cells_[i] = cell;
}

void SlotIndex::Erase(std::size_t hash, std::uint32_t slot) {
  const auto h = static_cast<std::uint32_t>(hash);
  std::size_t hole = h & Mask();
  while (cells_[hole].slot != slot) hole = (hole + 1) & Mask();
  // Later cells of the same run move back into the hole unless that would put them before
  // their home cell, so that every cell stays reachable from its home.
  for (std::size_t next = (hole + 1) & Mask(); cells_[next].slot != kNone;
       next = (next + 1) & Mask()) {
    const std::size_t home = cells_[next].hash & Mask();
    const bool homeAfterHole =
        hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (homeAfterHole) continue;
    cells_[hole] = cells_[next];
    hole = next;
  }
  cells_[hole] = Cell{};
  --used_;
}

}  // namespace dorvex
