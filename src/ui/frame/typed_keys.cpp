#include "ui/frame/typed_keys.h"

namespace arbel::ui {

namespace {

// What Shift types on each key of a US keyboard that has a second symbol.
Qt::Key shiftedSymbol(Qt::Key key) {
    switch (key) {
        case Qt::Key_Tab:
            return Qt::Key_Backtab;
        case Qt::Key_Slash:
            return Qt::Key_Question;
        case Qt::Key_1:
            return Qt::Key_Exclam;
        case Qt::Key_2:
            return Qt::Key_At;
        case Qt::Key_3:
            return Qt::Key_NumberSign;
        case Qt::Key_4:
            return Qt::Key_Dollar;
        case Qt::Key_5:
            return Qt::Key_Percent;
        case Qt::Key_6:
            return Qt::Key_AsciiCircum;
        case Qt::Key_7:
            return Qt::Key_Ampersand;
        case Qt::Key_8:
            return Qt::Key_Asterisk;
        case Qt::Key_9:
            return Qt::Key_ParenLeft;
        case Qt::Key_0:
            return Qt::Key_ParenRight;
        case Qt::Key_Minus:
            return Qt::Key_Underscore;
        case Qt::Key_Equal:
            return Qt::Key_Plus;
        case Qt::Key_BracketLeft:
            return Qt::Key_BraceLeft;
        case Qt::Key_BracketRight:
            return Qt::Key_BraceRight;
        case Qt::Key_Backslash:
            return Qt::Key_Bar;
        case Qt::Key_Semicolon:
            return Qt::Key_Colon;
        case Qt::Key_Apostrophe:
            return Qt::Key_QuoteDbl;
        case Qt::Key_Comma:
            return Qt::Key_Less;
        case Qt::Key_Period:
            return Qt::Key_Greater;
        case Qt::Key_QuoteLeft:
            return Qt::Key_AsciiTilde;
        default:
            return key;
    }
}

}  // namespace

QList<QKeySequence> typedKeys(QKeyCombination key) {
    const Qt::KeyboardModifiers mods = key.keyboardModifiers();
    const Qt::Key symbol = shiftedSymbol(key.key());
    if (!(mods & Qt::ShiftModifier) || symbol == key.key()) return {QKeySequence(key)};
    return {QKeySequence(QKeyCombination(mods, symbol)),
            QKeySequence(QKeyCombination(mods & ~Qt::ShiftModifier, symbol))};
}

void bindTypedKeys(QAction* action, QKeyCombination key) {
    const QList<QKeySequence> keys = typedKeys(key);
    action->setShortcuts(keys);
    // A menu shows the first binding ("Shift+?"); name the key as on its cap.
    const QString named = QKeySequence(key).toString(QKeySequence::NativeText);
    if (keys.first().toString(QKeySequence::NativeText) != named && !action->text().contains(u'\t'))
        action->setText(action->text() + u'\t' + named);
}

}  // namespace arbel::ui
