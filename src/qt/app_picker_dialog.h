#pragma once

#include "ports/app_catalog.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QListWidget;

namespace quorvel::qt {

/// QIcon for an entry's Icon= value: a theme name or an image path.
QIcon applicationIcon(const QString& icon);

/// "Choose Application": the installed applications with their icons, read
/// afresh, the running ones (`runningIds`, front first) at the top, and a
/// search field that also finds entries hidden from menus by name; "Choose"
/// accepts the selected one.
class AppPickerDialog : public QDialog {
public:
    AppPickerDialog(const ports::AppCatalog& catalog, const std::vector<std::string>& runningIds,
                    QWidget* parent);

    /// The chosen entry's location; empty until one is chosen.
    QString chosenLocation() const;

private:
    void filter(const QString& text);

    QLineEdit* search_;
    QListWidget* list_;
};

}  // namespace quorvel::qt
