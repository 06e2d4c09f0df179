#include "app/WindowKeys.h"

#include "app/LangExtra.h"

namespace {

struct WindowKey
{
    TShortCut shortCut;
    const QString* use;
};

} // namespace

QString WindowKeyUse(TShortCut shortCut)
{
    static const WindowKey keys[] = {
        {0x25, &KeyUseMoveInPane},        // Left
        {0x26, &KeyUseMoveInPane},        // Up
        {0x27, &KeyUseMoveInPane},        // Right
        {0x28, &KeyUseMoveInPane},        // Down
        {0x21, &KeyUseMoveInPane},        // PgUp
        {0x22, &KeyUseMoveInPane},        // PgDn
        {0x24, &KeyUseMoveInPane},        // Home
        {0x23, &KeyUseMoveInPane},        // End
        {0x20, &KeyUseToggleTask},        // Space (the log pages down with it)
        {scShift | 0x20, &KeyUseMoveInPane},  // Shift+Space: the log pages up
        {scCtrl | 0x41, &KeyUseSelectAllLog}, // Ctrl+A
        {scCtrl | 0x43, &KeyUseCopyLog},      // Ctrl+C
        {scCtrl | 0x2D, &KeyUseCopyLog},      // Ctrl+Ins
        {0x09, &KeyUseMoveFocus},         // Tab
        {scShift | 0x09, &KeyUseMoveFocus},   // Shift+Tab
    };
    for (const WindowKey& key : keys) {
        if (key.shortCut == shortCut)
            return *key.use;
    }
    return QString();
}
