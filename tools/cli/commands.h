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
    // Instead of run, for a command that takes options and reads no standard input.
    CliResult (*runWithArguments)(const QStringList &arguments) = nullptr;
};

const std::vector<CliCommand> &cliCommands();

// uebernehmen --von ALTER_ORDNER --nach DATENORDNER: takes old tables over.
CliResult runUebernehmen(const QStringList &arguments);

// Exit status for bad input (malformed JSON, unknown field, wrong type).
constexpr int kExitBadInput = 2;
