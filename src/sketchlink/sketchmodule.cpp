#include "sketchmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

namespace {
SketchModule *g_installed = nullptr;
}

SketchModule::SketchModule() = default;

SketchModule::~SketchModule()
{
    if (g_installed == this)
        g_installed = nullptr;
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

QImage SketchModule::render(const QStringList &lines, QSize size, int x, int y, double scale)
{
    if (!canDraw())
        return {};
    // Drawn in black on white without smoothing, then kept as one bit per pixel.
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        draw(lines, &painter, x, y, scale, scale);
    }
    return image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
}

QImage SketchModule::preview(const QStringList &lines)
{
    return render(lines, QSize(previewWidth, previewHeight), 0, 0, 0.5);
}

QImage SketchModule::picture(const QStringList &lines, int scale)
{
    const int s = qBound(1, scale, 16);
    return render(lines, QSize((s + 602) * s, (s + 402) * s), 2 * s, 2 * s, s);
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

SketchModule *SketchModule::installed()
{
    return g_installed;
}

void SketchModule::setInstalled(SketchModule *module)
{
    g_installed = module;
}

bool SketchModule::drawSketch(QPainter &painter, const QRectF &box, const QString &skizze, int scale)
{
    SketchModule *module = installed();
    if (!module || !module->canDraw())
        return false;
    const QImage image = module->picture(linesOf(skizze), scale);
    if (image.isNull())
        return false;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(box, image);
    painter.restore();
    return true;
}
