#pragma once

#include "messagelist.h"
#include "record.h"

// The interconnection check of one installation record (interconnection mode):
// plausibility and output limits, protection goal 1 (1 m³ per kW, passed along
// the chain of rooms) and protection goal 2 (creditable outputs through doors,
// windows and openings).  It never stops early: every failed rule adds its
// finding, all results are written and the verdict closes the message list.
struct InterconnectionResult {
    Record record;         // the input record with all results written and Gerechnet set
    MessageList messages;  // findings and verdict, in order
};

InterconnectionResult runInterconnectionCheck(const Record &input);

// The fields the check writes, so that a caller can take them over into its
// own copy of the record.
const QStringList &interconnectionResultFields();
