#pragma once

#include "RsUnits/RsEdit.h"
#include "app/ShortCut.h"

#include <QFlags>

enum TRsModifier : unsigned { rmShift = 0x1, rmCtrl = 0x2, rmAlt = 0x4, rmExt = 0x8 };
Q_DECLARE_FLAGS(TRsModifiers, TRsModifier)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRsModifiers)

// A box in which the user presses a key combination. It shows "Ctrl + ", "Shift + ", "Alt + " (as
// held, in this order) and the key's name as the keys go down, and gives the combination as a
// shortcut value. Typed characters never reach the text; Tab is a key here, not a move to the next
// control. Modifiers let go before a main key leave the box empty, and so does the window losing
// activation while only modifiers are shown. A key without a shortcut value (the Windows and menu
// keys, media keys) empties the box.
class TRsHotKey : public TRsCustomEdit {
    Q_OBJECT

public:
    explicit TRsHotKey(QWidget* parent = nullptr);

    // Modifiers never shown (and so never part of the shortcut).
    TRsModifiers InvalidModifiers() const { return FInvalidModifiers; }
    void SetInvalidModifiers(TRsModifiers value) { FInvalidModifiers = value; }

    // The shown combination as a value: the last key's code with the modifiers the text shows.
    TShortCut GetShortCut() const;
    bool IsEmpty() const { return text().isEmpty(); }
    // Empties the box (and forgets the key).
    void Clear();

signals:
    // The text changed.
    void OnChange(TRsHotKey* sender);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormatHotKeyText(QKeyEvent* event);
    void showText(const QString& value);

    int FKeyCode = 0;
    TRsModifiers FInvalidModifiers;
    bool FModifierOnly = false;
    QPointer<QWidget> m_watchedWindow;
};
