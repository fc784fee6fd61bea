#pragma once

#include <QString>

// Fills the table of an existing, empty kq.db with `count` installation records
// of plausible addresses and rooms, in one transaction, always the same for the
// same count.  Shared by the benchmark programs.
bool generateInstallationRecords(const QString &file, int count);
