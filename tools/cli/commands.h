#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// One subcommand of ofenring-cli: reads its JSON input, writes its JSON output.
struct CliResult {
    int exitCode = 0;
    QByteArray out;  // standard output
    QString error;   // German message for standard error
};

struct CliCommand {
    QString name;
    QString help;  // German, several lines: keys read and keys written
    CliResult (*run)(const QByteArray &input);
    // A command that takes its input from the command line instead of
    // standard input (then `run` is not used).
    CliResult (*runArgs)(const QStringList &args) = nullptr;
};

const std::vector<CliCommand> &cliCommands();

// uebernehmen --von ALTER_ORDNER --nach DATENORDNER: takes old tables over.
CliResult runUebernehmen(const QStringList &arguments);

// sichern [--daten DATENORDNER]: a backup of the data folder.
CliResult runSichern(const QStringList &arguments);
// wiederherstellen [--daten DATENORDNER] --von SICHERUNGSORDNER: puts a backup in place.
CliResult runWiederherstellen(const QStringList &arguments);

// server-einrichten --server URI --von DATENORDNER: sets up the office server.
CliResult runServerEinrichten(const QStringList &arguments);

// Exit status for bad input (malformed JSON, unknown field, wrong type).
constexpr int kExitBadInput = 2;
// Exit status when the output cannot be written (full disk, closed pipe).
constexpr int kExitOutputFailed = 3;
