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
    MainForm.show();
    return QApplication::exec();
}
