#include "app/ShortcutKeyFile.h"

#include "app/Ini.h"
#include "app/MainActions.h"
#include "app/TmkLib.h"

using namespace Qt::StringLiterals;

const QString TrayActionName = u"ActPopMinimizeRestoreWindow"_s;

namespace {

const QString SectionShortCut = u"ShortCut"_s;

} // namespace

TShortCut NormalizedShortCut(TShortCut value)
{
    const QKeyCombination key = KeyCombinationFromShortCut(value);
    return key.key() == Qt::Key_unknown ? TShortCut(0) : ShortCutFromKeyCombination(key);
}

TShortCut DefaultShortCut(const QString& actionName)
{
    if (SameTextAscii(actionName, u"ActFileQuitAll"_s))
        return TextToShortCut(u"Ctrl+Q"_s);
    if (SameTextAscii(actionName, u"ActHelpShowHelp"_s))
        return TextToShortCut(u"F1"_s);
    return 0;
}

QList<TShortcutKey> DefaultShortcutKeys()
{
    QList<TShortcutKey> keys;
    for (const TMainAction& action : MainActions())
        keys.append({action.Name, NormalizedShortCut(DefaultShortCut(action.Name))});
    return keys;
}

void ReadShortcutKeyFile(QList<TShortcutKey>& keys, const QString& fileName,
                         const std::function<bool(TShortCut)>& accept)
{
    const TIniFile ini(fileName);
    for (TShortcutKey& key : keys) {
        if (SameTextAscii(key.Name, TrayActionName))
            continue;
        TShortCut value = 0;
        if (!StoredTextToShortCut(ini.ReadString(SectionShortCut, key.Name, QString()), &value))
            continue;
        if (value && accept && !accept(value))
            continue;
        key.Key = NormalizedShortCut(value);
    }
    QList<TShortCut> taken;
    for (TShortcutKey& key : keys) {
        if (!key.Key)
            continue;
        if (taken.contains(key.Key))
            key.Key = 0;
        else
            taken.append(key.Key);
    }
}

bool WriteShortcutKeyFile(const QList<TShortcutKey>& keys, const QString& fileName, QString* error)
{
    TIniFile ini(fileName);
    for (const TShortcutKey& key : keys) {
        if (SameTextAscii(key.Name, TrayActionName))
            continue;
        ini.WriteString(SectionShortCut, key.Name, ShortCutToStoredText(key.Key));
    }
    if (ini.UpdateFile())
        return true;
    if (error)
        *error = ini.errorString();
    return false;
}
