#pragma once

#include "support/qt_print.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A fresh settings folder for one test: KELVRA_HOME points at it while the
// object lives.
class TempHome
{
public:
    TempHome()
    {
        m_previous = qgetenv("KELVRA_HOME");
        qputenv("KELVRA_HOME", m_dir.path().toUtf8());
    }
    ~TempHome()
    {
        if (m_previous.isEmpty())
            qunsetenv("KELVRA_HOME");
        else
            qputenv("KELVRA_HOME", m_previous);
    }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.path() + "/" + name; }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(file(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile f(file(name));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};
