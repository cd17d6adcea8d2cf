#include "platform/termination_signals.h"
#include "ui/main_form.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvra"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kelvra"));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();

    TMainForm MainForm(arguments);
    // A kill or a logout closes the window normally, so the settings are kept;
    // a second request while a question is open ends the program at once.
    TerminationSignals termination;
    int requests = 0;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &MainForm,
                     [&MainForm, &requests](int) {
                         if (++requests > 1)
                             QApplication::exit(1);
                         else
                             MainForm.close();
                     });
    MainForm.show();
    return QApplication::exec();
}
