#pragma once

#include <QDateTime>
#include <QString>

// Transfer logs: kind 1 send (kelvra_S.log), 2 reception (kelvra_R.log),
// 3 DNC run (kelvra_D.log). Each transfer of a kind replaces its file.

// The date and time as the program writes them: 2009/06/10 12:14:58.
QString SystemDateTimeText(const QDateTime& when = QDateTime::currentDateTime());

// One log line: the date and time followed by the message, which begins with
// two blanks; a "\n" is added when the message does not end with one.
QString LogLine(const QString& message, const QDateTime& when = QDateTime::currentDateTime());

// Writes `text` as CP932 bytes, LF line ends as given, replacing the file.
// False when the kind is not 1, 2 or 3 or the file cannot be written.
bool WriteTransferLog(const QString& text, int kind, QString* error = nullptr);

// Reads a log file back as text; false when it does not exist.
bool ReadTransferLog(int kind, QString* text);
