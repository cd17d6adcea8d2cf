#include "platform/system_desktop_services.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QGuiApplication>
#include <QProcess>

namespace {

QDBusInterface* screenSaver()
{
    static QDBusInterface* interface = [] {
        if (!QDBusConnection::sessionBus().isConnected())
            return static_cast<QDBusInterface*>(nullptr);
        auto* i = new QDBusInterface(QStringLiteral("org.freedesktop.ScreenSaver"),
                                     QStringLiteral("/org/freedesktop/ScreenSaver"),
                                     QStringLiteral("org.freedesktop.ScreenSaver"),
                                     QDBusConnection::sessionBus());
        return i->isValid() ? i : (delete i, static_cast<QDBusInterface*>(nullptr));
    }();
    return interface;
}

// Test runs set this so that nothing can ever mail or power off for real, even
// through a form built without a recorder.
bool actionsDisabled()
{
    return qEnvironmentVariableIsSet("KELVRA_NO_DESKTOP_ACTIONS");
}

} // namespace

SystemDesktopServices::SystemDesktopServices(QString mailCommand, QString powerOffCommand)
    : m_mailCommand(std::move(mailCommand)), m_powerOffCommand(std::move(powerOffCommand))
{
}

SystemDesktopServices::~SystemDesktopServices()
{
    setScreenSaverActive(true);
}

bool SystemDesktopServices::shiftHeld() const
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

void SystemDesktopServices::setScreenSaverActive(bool active)
{
    if (active == (m_inhibitCookie == 0))
        return;
    QDBusInterface* saver = screenSaver();
    if (!saver)
        return;
    if (active) {
        saver->call(QStringLiteral("UnInhibit"), m_inhibitCookie);
        m_inhibitCookie = 0;
    } else {
        const QDBusReply<uint> reply = saver->call(
            QStringLiteral("Inhibit"), QStringLiteral("Kelvra"), QStringLiteral("transfer"));
        if (reply.isValid())
            m_inhibitCookie = reply.value();
    }
}

bool SystemDesktopServices::sendMail(const QString& address, const QString& subject,
                                     const QString& body)
{
    QStringList command = SplitCommand(m_mailCommand);
    if (command.isEmpty() || actionsDisabled())
        return false;
    auto* process = new QProcess;
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            process->deleteLater();
    });
    const QString program = command.takeFirst();
    process->start(program, command);
    if (!process->waitForStarted(5000))
        return false;
    process->write(ComposeNotificationMail(address, subject, body));
    process->closeWriteChannel();
    return true;
}

bool SystemDesktopServices::powerOff()
{
    QStringList command = SplitCommand(m_powerOffCommand);
    if (command.isEmpty() || actionsDisabled())
        return false;
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command);
}
