#include "app/command_line.h"

#include "platform/dialog_service.h"
#include "profiles/profile_numbers.h"

#include <QFileInfo>

namespace {

const QLatin1String kSwitchKeys[] = {
    QLatin1String("S01="), QLatin1String("S02="), QLatin1String("S03="), QLatin1String("S04="),
    QLatin1String("S05="), QLatin1String("S06="), QLatin1String("S07="), QLatin1String("S08="),
    QLatin1String("S09="), QLatin1String("S10="), QLatin1String("SE=Y"), QLatin1String("S="),
    QLatin1String("R="),   QLatin1String("N=")};

// A "/" in front of a key at the start of an argument is only the switch mark
// (/S=O1.NC, /N=3, /END); every other "/" belongs to a path.
QString withoutSwitchMark(const QString& argument)
{
    if (!argument.startsWith(QLatin1Char('/')))
        return argument;
    const QString rest = argument.mid(1);
    if (rest.compare(QLatin1String("END"), Qt::CaseInsensitive) == 0)
        return rest;
    for (QLatin1String key : kSwitchKeys) {
        if (rest.startsWith(key, Qt::CaseInsensitive))
            return rest;
    }
    return argument;
}

// Deletes the key where it was found in the upper-cased argument.
QString removeKey(const QString& argument, const QString& upper, QLatin1String key)
{
    QString result = argument;
    result.remove(upper.indexOf(key), key.size());
    return result;
}

QString resolve(const QString& argument, const QString& name, const CommandLineHost& host)
{
    if (argument.contains(QLatin1Char('/')))
        return name;
    QString folder = host.dataFolder();
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder + QLatin1Char('/') + name;
}

void reportMissing(CommandLineHost& host, const QString& file)
{
    host.dialogs().messageDialog(QStringLiteral("送信ﾃﾞｰﾀ\n") + file + QStringLiteral("が見つかりません｡"),
                                 BoxIcon::Error, BoxButton::Yes);
}

bool noTransferRequested(const CommandLineState& s)
{
    return s.PendingSend == 'N' && s.PendingReceive == 'N';
}

// Opens the file for sending and requests the send; reports a missing file.
void requestSend(CommandLineState& state, CommandLineHost& host)
{
    if (IsExistingFile(state.TransferFileName)) {
        // A file that cannot be read is never sent as whatever the editor holds.
        state.PendingSend = host.openForSending(state.TransferFileName) ? 'Y' : 'N';
    } else {
        reportMissing(host, state.TransferFileName);
        state.PendingSend = 'N';
    }
}

// Reads the value of N=; false when it is not a whole number.
bool parseProfileNumber(const QString& text, int* n)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return false;
    *n = value;
    return true;
}

} // namespace

bool IsExistingFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void ProcessCommandLine(const QStringList& arguments, CommandLineState& state,
                        CommandLineHost& host)
{
    for (const QString& original : arguments) {
        const QString a = withoutSwitchMark(original);
        const QString u = a.toUpper();

        // 1. Collect a file into the collection.
        QLatin1String collectKey("");
        for (int i = 0; i < 10; ++i) {
            if (u.contains(kSwitchKeys[i])) {
                collectKey = kSwitchKeys[i];
                break;
            }
        }
        if (collectKey.size() > 0 && noTransferRequested(state)) {
            state.TransferFileName = resolve(a, removeKey(a, u, collectKey), host);
            if (IsExistingFile(state.TransferFileName)) {
                host.collectFile(state.TransferFileName);
            } else {
                reportMissing(host, state.TransferFileName);
                state.PendingSend = 'N';
            }
            continue;
        }

        // 2. Send the collection.
        if (u.contains(QLatin1String("SE=Y")) && noTransferRequested(state)) {
            state.TransferFileName = host.collectionFile();
            requestSend(state, host);
            continue;
        }

        const bool hasSend = u.contains(QLatin1String("S="));
        const bool hasReceive = u.contains(QLatin1String("R="));

        // 3. Open a file given by its absolute path.
        if (a.startsWith(QLatin1Char('/')) && !hasSend && !hasReceive &&
            !state.CommandLineFileOpened) {
            host.saveChangesPrompt();
            state.TransferFileName = a;
            host.openForSending(a);
            state.CommandLineFileOpened = true;
            continue;
        }

        // 4. Send a file.
        if (hasSend && noTransferRequested(state)) {
            state.TransferFileName = resolve(a, removeKey(a, u, QLatin1String("S=")), host);
            requestSend(state, host);
            continue;
        }

        // 5. Receive into a file (or, for the OSP profiles, a folder).
        if (hasReceive && noTransferRequested(state)) {
            state.TransferFileName = resolve(a, removeKey(a, u, QLatin1String("R=")), host);
            if (IsExistingFile(state.TransferFileName)) {
                const int answer = host.dialogs().messageDialog(
                    QStringLiteral("すでに") + state.TransferFileName +
                        QStringLiteral("が有ります｡\n上書きしますか？"),
                    BoxIcon::Warning, BoxButton::Yes | BoxButton::No);
                state.PendingReceive = answer == BoxButton::Yes ? 'Y' : 'N';
            } else {
                state.PendingReceive = 'Y';
            }
            continue;
        }

        // 6. Anything else.
        if (u.contains(QLatin1String("END")) && a.size() <= 4)
            state.ExitAfterTransfer = true;
        if (u.contains(QLatin1String("N="))) {
            const QString written = removeKey(a, u, QLatin1String("N="));
            int n = 0;
            if (!parseProfileNumber(written, &n)) {
                host.dialogs().messageDialog(QStringLiteral("通信設定番号\n") + written +
                                                 QStringLiteral("は数値ではありません｡"),
                                             BoxIcon::Error, BoxButton::Ok);
                state.stoppedOnBadNumber = true;
                break;
            }
            if (n > ProfileNumbers::kCount) {
                host.dialogs().messageDialog(QStringLiteral("通信設定番号\n") + written +
                                                 QStringLiteral("は存在しません｡"),
                                             BoxIcon::Error, BoxButton::Yes);
            } else if (n >= 1) {
                host.selectProfile(ProfileNumbers::fromCommandLine(n));
            }
        }
    }
    state.CommandLineFileOpened = false;
}
