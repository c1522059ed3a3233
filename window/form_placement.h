#pragma once
// Storing and restoring a window's placement (show state, minimized/maximized positions and the
// restored frame rectangle) as ten integer keys of the settings file.

#include <QString>

class QWidget;

namespace dorvex {

// Restores the placement of `form` from `section` of the settings file (GetIniFileName): all ten
// keys. Keys that are missing or unreadable keep the current value. A form that is not showing
// stays hidden. Throws nothing but what the settings file throws.
void LoadFormPlacement(QWidget& form, const QString& section);

// Stores all ten placement keys of `form` in `section` of the settings file. A refused write
// throws EIniFileException; the keys after it are not written.
void SaveFormPlacement(QWidget& form, const QString& section);

}  // namespace dorvex
