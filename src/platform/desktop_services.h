#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Services of the desktop the program uses around a transfer: the Shift key,
// the screen saver, the notification mail and power-off. Mail and power-off
// run external commands; tests always replace this with a recorder.
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;

    virtual bool shiftHeld() const = 0;
    // Off while a transfer runs, on again afterwards.
    virtual void setScreenSaverActive(bool active) = 0;
    // Hands the mail to the mail command; false when it could not be started.
    virtual bool sendMail(const QString& address, const QString& subject, const QString& body) = 0;
    // Asks the system to power off; false when the command could not be started.
    virtual bool powerOff() = 0;
};

// The mail as a sendmail-compatible program reads it on its input (-t).
QByteArray ComposeNotificationMail(const QString& address, const QString& subject,
                                   const QString& body);

// Splits a configured command line into program and arguments (quotes group
// blanks); no shell is involved.
QStringList SplitCommand(const QString& command);

// Records what would have been done; for tests.
class RecordingDesktopServices : public DesktopServices
{
public:
    struct Mail
    {
        QString address, subject, body;
    };
    bool shiftHeld() const override { return shift; }
    void setScreenSaverActive(bool active) override { screenSaverStates.append(active); }
    bool sendMail(const QString& address, const QString& subject, const QString& body) override
    {
        mails.append({address, subject, body});
        return true;
    }
    bool powerOff() override
    {
        ++powerOffs;
        return true;
    }

    bool shift = false;
    QList<bool> screenSaverStates;
    QList<Mail> mails;
    int powerOffs = 0;
};
