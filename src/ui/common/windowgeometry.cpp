#include "windowgeometry.h"

#include "programsettings.h"
#include "settingsfile.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace windowgeometry {

namespace {

// At least this much of the top edge must lie on a screen for a saved place to
// count: enough to grab the title bar and move the window.
constexpr int kGrabWidth = 100;

int intValue(const SettingsFile &file, const QString &section, const QString &key, bool *ok)
{
    bool good = false;
    const int v = file.value(section, key).trimmed().toInt(&good);
    if (!good)
        *ok = false;
    return v;
}

} // namespace

QString filePath()
{
    return settings::programSettingsFilePath();
}

std::optional<Saved> load(const QString &windowName, const QString &path)
{
    SettingsFile file(path);
    if (!file.load() || !file.contains(windowName, u"Breite"_qs))
        return std::nullopt;
    bool ok = true;
    Saved s;
    s.normal = QRect(intValue(file, windowName, u"Links"_qs, &ok), intValue(file, windowName, u"Oben"_qs, &ok),
                     intValue(file, windowName, u"Breite"_qs, &ok), intValue(file, windowName, u"Hoehe"_qs, &ok));
    s.maximized = file.value(windowName, u"Maximiert"_qs).trimmed() == u"1"_qs;
    if (!ok || s.normal.width() <= 0 || s.normal.height() <= 0)
        return std::nullopt;
    return s;
}

bool save(const QString &windowName, const Saved &saved, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    SettingsFile file(path);
    file.load();
    file.setValue(windowName, u"Links"_qs, QString::number(saved.normal.x()));
    file.setValue(windowName, u"Oben"_qs, QString::number(saved.normal.y()));
    file.setValue(windowName, u"Breite"_qs, QString::number(saved.normal.width()));
    file.setValue(windowName, u"Hoehe"_qs, QString::number(saved.normal.height()));
    file.setValue(windowName, u"Maximiert"_qs, saved.maximized ? u"1"_qs : u"0"_qs);
    return file.save();
}

Placement place(const std::optional<Saved> &saved, const QList<QRect> &available, QSize designSize, QMargins frame)
{
    if (available.isEmpty())
        return {QRect(QPoint(0, 0), designSize), false};

    if (saved) {
        const QRect &r = saved->normal;
        const QRect topEdge(r.left(), r.top(), r.width(), 1);
        for (const QRect &screen : available) {
            const QRect seen = topEdge & screen;
            if (seen.width() < qMin(kGrabWidth, r.width()))
                continue;
            // Still on this screen: keep the place, but never larger than the
            // screen can show with the frame around it.
            const QRect inner = screen.marginsRemoved(frame);
            QRect fitted(r.topLeft(), r.size().boundedTo(inner.size()));
            if (fitted.right() > inner.right() && fitted.width() < r.width())
                fitted.moveRight(inner.right());
            if (fitted.bottom() > inner.bottom() && fitted.height() < r.height())
                fitted.moveBottom(inner.bottom());
            if (fitted.top() < inner.top())
                fitted.moveTop(inner.top());
            return {fitted, saved->maximized};
        }
    }

    // The designed size, centred on the primary screen with its frame; when the
    // frame does not fit, maximised (and a normal size that does fit).
    const QRect &screen = available.first();
    const QRect inner = screen.marginsRemoved(frame);
    const bool fits = designSize.width() <= inner.width() && designSize.height() <= inner.height();
    const QSize size = designSize.boundedTo(inner.size());
    QRect outer(QPoint(0, 0), size.grownBy(frame));
    outer.moveCenter(screen.center());
    return {outer.marginsRemoved(frame), !fits};
}

QMargins typicalFrame(const QWidget *window)
{
    const int border = 4;
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {border, title + border, border, border};
}

void restore(QWidget *window, QSize designSize)
{
    QList<QRect> available;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        available.append(primary->availableGeometry());
    for (QScreen *screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            available.append(screen->availableGeometry());
    const Placement p = place(load(window->objectName()), available, designSize, typicalFrame(window));
    window->setGeometry(p.normal);
    if (p.maximized)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void remember(const QWidget *window)
{
    const QRect normal = window->normalGeometry();
    if (!normal.isValid())
        return;
    save(window->objectName(), {normal, window->isMaximized()});
}

} // namespace windowgeometry
