#pragma once

#include "sketchmoduleapi.h"

#include <QImage>
#include <QLibrary>
#include <QStringList>

class QPainter;

// The program's link to the sketch module (see sketchmoduleapi.h): found and
// loaded once at start, with its entries and the shared list of sketch lines
// that every call receives.
class SketchModule {
public:
    enum class LoadResult {
        Loaded,
        NotInstalled,   // nothing registered and nothing found: no sketches, no message
        NotLoadable,    // the registered directory holds no loadable module: the message
    };

    static constexpr const char *fileName = "zobeldll.so";
    static constexpr const char *message = "Kein Zeichnungsmodul installiert. ";
    static constexpr int previewWidth = 600;
    static constexpr int previewHeight = 400;

    SketchModule();
    ~SketchModule();
    SketchModule(const SketchModule &) = delete;
    SketchModule &operator=(const SketchModule &) = delete;

    // Loads the module from `registeredDir` when it is not empty; otherwise
    // from the first of `ownDirs` that has it, or by the bare file name.
    LoadResult load(const QString &registeredDir, const QStringList &ownDirs);
    // The program's own library directories.
    static QStringList programLibraryDirs();

    bool isLoaded() const { return m_library.isLoaded(); }
    QString filePath() const { return m_library.fileName(); }
    bool canEdit() const { return m_skizze != nullptr; }
    bool canDraw() const { return m_zeichne != nullptr && m_zeichnecanvas != nullptr; }

    // Lets the user edit the sketch; returns the lines the module gives back
    // (the given ones when the module cannot edit).
    QStringList edit(const QStringList &lines);
    // Draws through "zeichnecanvas"; false when the module cannot draw.
    bool draw(const QStringList &lines, QPainter *canvas, int x, int y, double scaleX, double scaleY);

    // The preview of the page "Zeichnung": 600 x 400 monochrome pixels, the
    // sketch at half size.  Null when the module cannot draw.
    QImage preview(const QStringList &lines);

    // The lines of a stored sketch (`Skizze`), and back.
    static QStringList linesOf(const QString &skizze);
    static QString textOf(const QStringList &lines);

private:
    bool tryLoad(const QString &path);

    QLibrary m_library;
    QStringList m_lines;   // the shared list, handed to every call
    SkizzeEntry m_skizze = nullptr;
    ZeichneEntry m_zeichne = nullptr;
    ZeichneCanvasEntry m_zeichnecanvas = nullptr;
};
