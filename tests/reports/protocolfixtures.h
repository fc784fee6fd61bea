#pragma once

// Installation records for the protocol tests, the samples and the benchmark.

#include "printsettings.h"
#include "record.h"

#include <QVariantMap>

namespace fixtures {

// A record from field values.
Record record(const QVariantMap &values);

// Site and owner of every example.
QVariantMap addresses();

// A checked interconnection record: RA with a gas appliance and an open
// fireplace together with other appliances and its supply-air duct, R1 to R3
// joined with RA (two openings of 2x150 cm² and one of 1x150 cm²), R4 behind
// a door; results as the check stores them, notes on existing-installation
// protection, remarks of two paragraphs, the sketch box on.
Record interconnection();

// An installation-room record with a neighbour room, two openings and two ducts.
Record installationRoom();

// The same records with their results worked out by the calculation engine.
Record calculatedInterconnection();
Record calculatedInstallationRoom();

// Header lines of a chimney sweep's office.
PrintSettings printSettings();

// Remarks long enough to fill most of a page.
QString longRemarks();

} // namespace fixtures
