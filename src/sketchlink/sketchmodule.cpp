#include "sketchmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

SketchModule::SketchModule() = default;

SketchModule::~SketchModule()
{
    // The library stays mapped until the process ends: windows and types it
    // registered with Qt may outlive this object during shutdown.
}

bool SketchModule::tryLoad(const QString &path)
{
    m_library.setFileName(path);
    m_library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    return m_library.load();
}

SketchModule::LoadResult SketchModule::load(const QString &registeredDir, const QStringList &ownDirs)
{
    bool loaded = false;
    if (!registeredDir.trimmed().isEmpty()) {
        loaded = tryLoad(QDir(registeredDir.trimmed()).filePath(QString::fromLatin1(fileName)));
        if (!loaded)
            return LoadResult::NotLoadable;
    } else {
        for (const QString &dir : ownDirs) {
            const QString path = QDir(dir).filePath(QString::fromLatin1(fileName));
            if (QFileInfo::exists(path) && tryLoad(path)) {
                loaded = true;
                break;
            }
        }
        if (!loaded)
            loaded = tryLoad(QString::fromLatin1(fileName));
        if (!loaded)
            return LoadResult::NotInstalled;
    }
    m_lines.clear();
    m_skizze = reinterpret_cast<SkizzeEntry>(m_library.resolve("skizze"));
    m_zeichne = reinterpret_cast<ZeichneEntry>(m_library.resolve("zeichne"));
    m_zeichnecanvas = reinterpret_cast<ZeichneCanvasEntry>(m_library.resolve("zeichnecanvas"));
    return LoadResult::Loaded;
}

QStringList SketchModule::programLibraryDirs()
{
    const QString dir = QCoreApplication::applicationDirPath();
    return {dir, QDir(dir).filePath(u"../lib/ofenring"_qs)};
}

QStringList SketchModule::edit(const QStringList &lines)
{
    m_lines = lines;
    if (m_skizze)
        m_skizze(&m_lines);
    return m_lines;
}

bool SketchModule::draw(const QStringList &lines, QPainter *canvas, int x, int y, double scaleX, double scaleY)
{
    if (!canDraw() || !canvas)
        return false;
    m_lines = lines;
    m_zeichnecanvas(&m_lines, canvas, x, y, scaleX, scaleY);
    return true;
}

QImage SketchModule::preview(const QStringList &lines)
{
    if (!canDraw())
        return {};
    // Drawn in black on white without smoothing, then kept as one bit per pixel.
    QImage image(previewWidth, previewHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        draw(lines, &painter, 0, 0, 0.5, 0.5);
    }
    return image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

QStringList SketchModule::linesOf(const QString &skizze)
{
    if (skizze.isEmpty())
        return {};
    QString text = skizze;
    text.replace(u"\r\n"_qs, u"\n"_qs);
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

QString SketchModule::textOf(const QStringList &lines)
{
    return lines.join(u'\n');
}

