#pragma once

#include <QString>

// Window title of each kind:
//  0 empty, 1 edit, 2 new document, 3 closing, 4 modified, 5 start-up,
//  6 reception stored.
QString BuildWindowTitle(int kind, const QString& fileName, bool nameOnly,
                         const QString& versionSuffix);

// " Ver" followed by the program's four-part version.
QString MakeVersionSuffix();
// "OS=" followed by the operating system's name; empty when it is unknown.
QString MakeOsText();
// The start-up title: kind 5, then ten blanks and the OS text when known.
QString StartupTitle(const QString& versionSuffix, const QString& osText);
