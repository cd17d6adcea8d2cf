#pragma once

#include <QString>
#include <QStringList>

class DialogService;

// What the command line asks for, and the flags its rules test.
struct CommandLineState
{
    char PendingSend = 'N';
    char PendingReceive = 'N';
    bool CommandLineFileOpened = false;
    bool ExitAfterTransfer = false;
    QString TransferFileName;
    bool stoppedOnBadNumber = false; // a non-numeric N= ended the processing
};

// The main window's side of the command line: the editor, the data folder,
// the collection file, the profile and the boxes.
class CommandLineHost
{
public:
    virtual ~CommandLineHost() = default;

    // Base folder of names given without a folder; changes as documents load.
    virtual QString dataFolder() const = 0;
    // Empties the editor, loads `file` into it and appends its text to the
    // collection file.
    virtual void collectFile(const QString& file) = 0;
    // Loads `file` into the editor as the document to send (also used for a
    // plain path, which only opens it); false when it could not be read
    // (reported by the host).
    virtual bool openForSending(const QString& file) = 0;
    // Asks to save unsaved changes of the editor, if there are any.
    virtual void saveChangesPrompt() = 0;
    virtual QString collectionFile() const = 0;
    virtual void selectProfile(int profileNumber) = 0;
    virtual DialogService& dialogs() = 0;
};

// Applies the command-line rules to the arguments, first to last.
void ProcessCommandLine(const QStringList& arguments, CommandLineState& state,
                        CommandLineHost& host);

// A file that exists and is not a folder.
bool IsExistingFile(const QString& path);
