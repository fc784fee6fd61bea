#pragma once

#include <QString>

#include <functional>

// The export library of a district management program, as this system finds
// and calls it.
//
// On Windows the libraries are SC_BfV.dll (SchoCom) and expdaten.dll (Abnahme,
// Abnahme II), and their two entries are looked up by ordinal.  Shared
// libraries on Linux have no ordinals, so here a library is
//
//     SC_BfV.so, expdaten.so     (the same base names with the platform's
//                                 suffix, no "lib" prefix), lying in the
//                                 program's directory,
//
// and its entries are two C symbols with fixed names:
//
//     entry 1, optional:   extern "C" void kbv_export_1(void);
//                          called first when present; it returns nothing of
//                          interest.
//     entry 2, required:   extern "C" unsigned char kbv_export_2(int mode);
//                          called with mode 0 while the program directory is
//                          the current directory; lets the user choose a
//                          property in the district program's own way and,
//                          on success, writes the export file ("AbnSch.EXP"
//                          or "export.txt") into that directory and returns 0.
//                          Any other value is a status code.
//
// The library is loaded by its full path in the program directory (never
// from the system's library search path, so no other file of the same name
// can stand in for it), called once and released again.
class ExportLibrary {
public:
    enum class Result {
        Called,          // entry 2 ran; status() holds its code
        NotLoaded,       // the file is missing or is no loadable library
        EntryMissing,    // entry 2 is not there
    };

    static const char *entry1Symbol();   // "kbv_export_1"
    static const char *entry2Symbol();   // "kbv_export_2"

    // The library's file name for a base name: "SC_BfV" -> "SC_BfV.so".
    static QString fileName(const QString &baseName);

    // Loads the library at `path`, calls entry 1 when present, then (after
    // `beforeEntry2`, e.g. to restore the normal cursor) entry 2 with 0, and
    // releases the library.  `beforeEntry2` also runs when entry 2 is missing.
    static Result run(const QString &path, int *status, const std::function<void()> &beforeEntry2 = {});
};
