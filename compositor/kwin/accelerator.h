#pragma once

#include <QKeySequence>
#include <QString>

namespace quorvel::kwin {

/// Reads GTK's accelerator syntax ("<Control><Alt><Super>j", "<Shift>F5") the
/// way Quorvel writes it for GNOME, so both shells take the same strings. The
/// key is an X keysym name; Super and Meta both become Qt's Meta. An empty
/// sequence means the string is not a usable accelerator.
QKeySequence parseGtkAccelerator(const QString& accelerator);

}  // namespace quorvel::kwin
