#pragma once

// ofenring-cli protokoll: lays out the printed protocol of stored records as
// PDF files, without a window.
//
//   ofenring-cli protokoll --lfd N --pdf DATEI [--daten VERZEICHNIS]
//   ofenring-cli protokoll --alle --ordner VERZEICHNIS [--daten VERZEICHNIS]
//
// The records come from kq.db in ./daten (or --daten); the letterhead from the
// settings file, as in the program.
int runProtocolCommand(int argc, char **argv);

// The command's description for the help text.
const char *protocolCommandHelp();
