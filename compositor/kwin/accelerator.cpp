#include "accelerator.h"

#include <QHash>

namespace quorvel::kwin {
namespace {

Qt::KeyboardModifiers modifierNamed(const QString& name) {
    static const QHash<QString, Qt::KeyboardModifiers> modifiers{
        {QStringLiteral("control"), Qt::ControlModifier},
        {QStringLiteral("ctrl"), Qt::ControlModifier},
        {QStringLiteral("ctl"), Qt::ControlModifier},
        {QStringLiteral("primary"), Qt::ControlModifier},
        {QStringLiteral("alt"), Qt::AltModifier},
        {QStringLiteral("mod1"), Qt::AltModifier},
        {QStringLiteral("shift"), Qt::ShiftModifier},
        {QStringLiteral("shft"), Qt::ShiftModifier},
        {QStringLiteral("super"), Qt::MetaModifier},
        {QStringLiteral("meta"), Qt::MetaModifier},
        {QStringLiteral("mod4"), Qt::MetaModifier},
    };
    return modifiers.value(name.toLower(), Qt::NoModifier);
}

// Keysym names that are not a single printable character.
int namedKey(const QString& name) {
    static const QHash<QString, int> keys{
        {QStringLiteral("space"), Qt::Key_Space},
        {QStringLiteral("Return"), Qt::Key_Return},
        {QStringLiteral("KP_Enter"), Qt::Key_Enter},
        {QStringLiteral("Tab"), Qt::Key_Tab},
        {QStringLiteral("Escape"), Qt::Key_Escape},
        {QStringLiteral("BackSpace"), Qt::Key_Backspace},
        {QStringLiteral("Delete"), Qt::Key_Delete},
        {QStringLiteral("Insert"), Qt::Key_Insert},
        {QStringLiteral("Home"), Qt::Key_Home},
        {QStringLiteral("End"), Qt::Key_End},
        {QStringLiteral("Page_Up"), Qt::Key_PageUp},
        {QStringLiteral("Prior"), Qt::Key_PageUp},
        {QStringLiteral("Page_Down"), Qt::Key_PageDown},
        {QStringLiteral("Next"), Qt::Key_PageDown},
        {QStringLiteral("Left"), Qt::Key_Left},
        {QStringLiteral("Right"), Qt::Key_Right},
        {QStringLiteral("Up"), Qt::Key_Up},
        {QStringLiteral("Down"), Qt::Key_Down},
        {QStringLiteral("Print"), Qt::Key_Print},
        {QStringLiteral("Pause"), Qt::Key_Pause},
        {QStringLiteral("minus"), Qt::Key_Minus},
        {QStringLiteral("plus"), Qt::Key_Plus},
        {QStringLiteral("equal"), Qt::Key_Equal},
        {QStringLiteral("comma"), Qt::Key_Comma},
        {QStringLiteral("period"), Qt::Key_Period},
        {QStringLiteral("slash"), Qt::Key_Slash},
        {QStringLiteral("backslash"), Qt::Key_Backslash},
        {QStringLiteral("semicolon"), Qt::Key_Semicolon},
        {QStringLiteral("apostrophe"), Qt::Key_Apostrophe},
        {QStringLiteral("grave"), Qt::Key_QuoteLeft},
        {QStringLiteral("bracketleft"), Qt::Key_BracketLeft},
        {QStringLiteral("bracketright"), Qt::Key_BracketRight},
    };
    return keys.value(name, 0);
}

int keyNamed(const QString& name) {
    if (name.size() == 1) {
        const QChar c = name.at(0).toUpper();
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return c.unicode();  // Qt::Key_A.. and Key_0.. are their ASCII codes
        return 0;
    }
    if (name.size() >= 2 && name.at(0) == QLatin1Char('F')) {
        bool ok = false;
        const int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 35) return Qt::Key_F1 + n - 1;
    }
    return namedKey(name);
}

}  // namespace

QKeySequence Accelerator::sequence() const {
    if (key == 0) return {};
    return QKeySequence(key | int(modifiers));
}

bool Accelerator::mayBeGlobal() const {
    if (key == 0) return false;
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return true;
    return key >= Qt::Key_F1 && key <= Qt::Key_F24;
}

Accelerator parseGtkAccelerator(const QString& accelerator) {
    // A keysym name is short; anything longer is no accelerator and is not
    // worth walking through.
    if (accelerator.size() > 256) return {};
    Qt::KeyboardModifiers modifiers;
    QString rest = accelerator.trimmed();
    while (rest.startsWith(QLatin1Char('<'))) {
        const int close = rest.indexOf(QLatin1Char('>'));
        if (close < 0) return {};
        const Qt::KeyboardModifiers m = modifierNamed(rest.mid(1, close - 1));
        if (m == Qt::NoModifier) return {};
        modifiers |= m;
        rest = rest.mid(close + 1);
    }
    const int key = keyNamed(rest);
    if (key == 0) return {};
    return {key, modifiers};
}

}  // namespace quorvel::kwin
