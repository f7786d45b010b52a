#pragma once

#include <QKeySequence>
#include <QString>

namespace quorvel::kwin {

/// One key with its modifiers, read from GTK's accelerator syntax.
struct Accelerator {
    int key = 0;  // Qt::Key; 0 when the string is no accelerator
    Qt::KeyboardModifiers modifiers;

    QKeySequence sequence() const;
    /// Holds Control, Alt or Super, or is an F-key (F1 to F24): a global
    /// shortcut on a plain key would take that key from every program.
    bool mayBeGlobal() const;
};

/// Reads GTK's accelerator syntax ("<Control><Alt><Super>j", "<Shift>F5") the
/// way Quorvel writes it for GNOME, so both compositors take the same
/// strings. The key is an X keysym name; Super and Meta both become Qt's Meta.
Accelerator parseGtkAccelerator(const QString& accelerator);

}  // namespace quorvel::kwin
