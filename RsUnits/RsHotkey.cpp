#include "RsUnits/RsHotkey.h"

#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace {

const QString CtrlPrefix = u"Ctrl + "_s;
const QString ShiftPrefix = u"Shift + "_s;
const QString AltPrefix = u"Alt + "_s;

bool isModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_AltGr;
}

// The Windows keys and the menu key: they clear the box.
bool isSystemKey(int key)
{
    return key == Qt::Key_Meta || key == Qt::Key_Super_L || key == Qt::Key_Super_R || key == Qt::Key_Menu ||
           key == Qt::Key_Hyper_L || key == Qt::Key_Hyper_R;
}

} // namespace

TRsHotKey::TRsHotKey(QWidget* parent)
    : TRsCustomEdit(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    connect(this, &QLineEdit::textChanged, this, [this] { emit OnChange(this); });
}

TShortCut TRsHotKey::GetShortCut() const
{
    const QString shown = text();
    TShortCut value = TShortCut(FKeyCode & 0xFF);
    if (shown.contains(CtrlPrefix))
        value |= scCtrl;
    if (shown.contains(ShiftPrefix))
        value |= scShift;
    if (shown.contains(AltPrefix))
        value |= scAlt;
    return value;
}

void TRsHotKey::Clear()
{
    showText(QString());
    FKeyCode = 0;
    FModifierOnly = false;
}

bool TRsHotKey::event(QEvent* event)
{
    // Every combination belongs to the box while it has the focus: no window shortcut, mnemonic or
    // focus move takes it away.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return TRsCustomEdit::event(event);
}

void TRsHotKey::FormatHotKeyText(QKeyEvent* event)
{
    const int key = event->key();
    if (isSystemKey(key)) {
        FKeyCode = 0;
        FModifierOnly = false;
        Clear();
        return;
    }
    Qt::KeyboardModifiers held = event->modifiers();
    // The modifier being pressed counts as held whether or not the platform has added it yet.
    if (key == Qt::Key_Control)
        held |= Qt::ControlModifier;
    else if (key == Qt::Key_Shift)
        held |= Qt::ShiftModifier;
    else if (key == Qt::Key_Alt)
        held |= Qt::AltModifier;

    QString prefix;
    if ((held & Qt::ControlModifier) && !FInvalidModifiers.testFlag(rmCtrl))
        prefix += CtrlPrefix;
    if ((held & Qt::ShiftModifier) && !FInvalidModifiers.testFlag(rmShift))
        prefix += ShiftPrefix;
    if ((held & Qt::AltModifier) && !FInvalidModifiers.testFlag(rmAlt))
        prefix += AltPrefix;

    if (isModifierKey(key)) {
        FKeyCode = 0;
        FModifierOnly = true;
        showText(prefix);
    } else {
        FModifierOnly = false;
        FKeyCode = VirtualKeyOfQtKey(key, held.testFlag(Qt::KeypadModifier));
        // A key without a code cannot be a shortcut: the box shows nothing for it.
        showText(FKeyCode ? prefix + VirtualKeyName(FKeyCode) : QString());
    }
    setCursorPosition(int(text().size()));
}

void TRsHotKey::showText(const QString& value)
{
    // The change event is raised only when what the box shows changes.
    if (value != text())
        setText(value);
}

void TRsHotKey::keyPressEvent(QKeyEvent* event)
{
    FormatHotKeyText(event);
    event->accept();
}

void TRsHotKey::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat() && FModifierOnly)
        Clear();
    event->accept();
}

void TRsHotKey::inputMethodEvent(QInputMethodEvent* event)
{
    event->ignore();
}

void TRsHotKey::focusInEvent(QFocusEvent* event)
{
    TRsCustomEdit::focusInEvent(event);
    setCursorPosition(int(text().size()));
}

void TRsHotKey::showEvent(QShowEvent* event)
{
    TRsCustomEdit::showEvent(event);
    // The window that holds the box tells when it loses activation.
    if (window() != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window();
        m_watchedWindow->installEventFilter(this);
    }
}

bool TRsHotKey::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::WindowDeactivate && FModifierOnly)
        Clear();
    return TRsCustomEdit::eventFilter(watched, event);
}
