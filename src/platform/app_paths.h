#pragma once

#include <QString>

// The folder the program keeps its settings, logs and word list in, and the
// names of every file there. All such names are built here and nowhere else.
//
// Folder: $KELVRA_HOME if set; else the executable's folder when it already
// holds kelvra.INI (a portable install); else $XDG_CONFIG_HOME/kelvra.
namespace AppPaths {

inline constexpr const char* kBaseName = "kelvra";

QString settingsFolder();
// Makes sure the settings folder exists (before a first write).
bool ensureSettingsFolder();

QString inPlace(const QString& fileName); // settingsFolder() + "/" + fileName

QString iniFile();        // kelvra.INI
QString subIniFile();     // Sub.ini
QString definitionFile(); // kelvra.DEF, the completion word list
QString collectionFile(); // kelvra.tmp
// kind 1 send, 2 reception, 3 DNC; empty for any other kind.
QString logFile(int kind);
// Profile files: SetData1.ini .. SetData10.ini, SetDataO.ini, SetDataP.ini.
QString profileFile(int profileNumber);

} // namespace AppPaths
