// Feeds arbitrary argument lists (split at NUL bytes) to the command-line rules.
#include "app/command_line.h"
#include "platform/dialog_service.h"

#include <cstdint>
#include <cstdlib>

namespace {

class Host : public CommandLineHost
{
public:
    QString dataFolder() const override { return "/nonexistent-kelvra-data"; }
    void collectFile(const QString&) override {}
    bool openForSending(const QString&) override { return true; }
    void saveChangesPrompt() override {}
    QString collectionFile() const override { return "/nonexistent-kelvra-data/kelvra.tmp"; }
    void selectProfile(int n) override
    {
        if (n < 1 || n > 12)
            abort();
    }
    DialogService& dialogs() override { return boxes; }
    ScriptedDialogService boxes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList args;
    for (const QByteArray& part : bytes.split('\0'))
        args.append(QString::fromUtf8(part));
    Host host;
    host.boxes.setDefaultAnswer(size % 2 ? BoxButton::Yes : BoxButton::No);
    CommandLineState state;
    ProcessCommandLine(args, state, host);
    if (state.PendingSend == 'Y' && state.PendingReceive == 'Y')
        abort(); // at most one transfer is ever requested
    if (state.CommandLineFileOpened)
        abort();
    return 0;
}
