#pragma once
// A combo box whose items may be longer than the box: the shown item is cut short with "…" in
// place of its end, and the whole text is the box's tooltip; items too long for the box carry
// their whole text as their tooltip in the list too.

class QComboBox;

namespace dorvex {

// Makes `combo` show long items so, for the items it holds now and those added later.
void ElideLongItems(QComboBox& combo);

// The width `combo` has for the text of its shown item.
int ComboTextWidth(const QComboBox& combo);

}  // namespace dorvex
