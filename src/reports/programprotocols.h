#pragma once

// The protocols of this program, the same wherever they are made: in the
// main window's preview and print, by ofenring-cli protokoll and in the
// protocol benchmark.  Every one of them prints the remarks as formatted text
// and the sketch through the sketch module found as the program finds it.

#include "printsettings.h"
#include "protocols.h"
#include "sketchmodule.h"

#include <memory>

namespace report {

// Looks for the sketch module as the program does: in the directory that
// KQ2.ini registers for the drawing program ([App Paths] Grundbild.exe), or
// without one in the program's own library directories.
SketchModule::LoadResult loadSketchModule(SketchModule &module);

// Draws a record's sketch through `module`, once it is loaded and can draw;
// until then (and without a module) it draws nothing and the box stays empty.
SketchPainter sketchPainter(SketchModule *module);

// The protocols of this program: the letterhead from `settings` (the print
// settings in effect), the sketch box drawn through `module`, which must
// outlive them.
std::unique_ptr<Protocols> programProtocols(SettingsSource settings, SketchModule *module);

// The same for a program without a window: the print settings read from the
// settings file and the sketch module loaded, once, as the program loads them.
class StandaloneProtocols {
public:
    StandaloneProtocols();
    StandaloneProtocols(const StandaloneProtocols &) = delete;
    StandaloneProtocols &operator=(const StandaloneProtocols &) = delete;

    const Protocols &protocols() const { return *m_protocols; }
    const PrintSettings &settings() const { return m_settings; }
    SketchModule::LoadResult sketchModuleLoad() const { return m_load; }

private:
    PrintSettings m_settings;
    SketchModule m_module;
    SketchModule::LoadResult m_load;
    std::unique_ptr<Protocols> m_protocols;
};

} // namespace report
