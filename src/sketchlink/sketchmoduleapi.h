#pragma once

// The sketch module: a shared library that lets the user draw a sketch of
// the installation site and draws it for the program.  The program keeps a
// sketch as text lines in the record's field `Skizze` and never interprets
// them; their format is the module's own.
//
// File and place
//   The module is the shared library "zobeldll.so".  The program looks for it
//   once at start:
//   1. in the directory registered for the drawing program in the settings
//      file KQ2.ini (~/.config/Ofenring/KQ2.ini), section [App Paths], key
//      "Grundbild.exe" (the counterpart of the "Path" value of the
//      application-path key of Grundbild.exe on Windows):
//          [App Paths]
//          Grundbild.exe=/opt/grundbild
//      If that directory is given and the library cannot be loaded from it,
//      the program says "Kein Zeichnungsmodul installiert. ";
//   2. without that key: in the program's own library directories (the
//      directory of the program file, then <program directory>/../lib/ofenring)
//      and at last by its bare name through the system's library search.
//      Not finding it there is silent: the program then has no sketches.
//
// Entries
//   Three functions with C linkage, looked up by name.  Each receives the
//   program's one shared list of sketch lines.  The arguments are Qt objects
//   passed by pointer, so a module is built against Qt 6 like the program;
//   it runs in the program's process and thread.
//
//   skizze         lets the user edit the sketch (may show a modal window)
//                  and returns when the user has finished; the list then
//                  holds the lines to store, changed or not.
//   zeichne        draws the sketch onto `canvas` at its natural size.  The
//                  program never calls it, but draws sketches only when the
//                  module has it (a module without it is one that cannot draw).
//   zeichnecanvas  draws the sketch onto `canvas`, its origin moved by
//                  (x, y) device pixels and scaled by scaleX and scaleY.
//
//   The program draws into monochrome pictures: the preview on the page
//   "Zeichnung" is 600 x 400 pixels at offset 0, 0 and scale 0.5 (a sketch
//   fills 600 x 400 units at scale 1); a protocol's picture at sketch scale s
//   (2 for the preview, 4 for printing) is (s + 602)·s x (s + 402)·s pixels
//   at offset 2s, 2s and scale s.

#include <QStringList>

class QPainter;

extern "C" {
typedef void (*SkizzeEntry)(QStringList *lines);
typedef void (*ZeichneEntry)(const QStringList *lines, QPainter *canvas);
typedef void (*ZeichneCanvasEntry)(const QStringList *lines, QPainter *canvas, int x, int y, double scaleX,
                                   double scaleY);
}
