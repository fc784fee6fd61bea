#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

class QWidget;

// Where a window stood when it was last closed: the position and size of its
// normal (not maximised) state, and whether it was maximised.  Kept in a
// settings file of the program's own ("fenster.ini" beside KQ2.ini), one
// section per window, named after the window's object name.
namespace windowgeometry {

struct Saved {
    QRect normal;            // client area of the normal state, in screen coordinates
    bool maximized = false;
};

struct Placement {
    QRect normal;            // client area to give the window for its normal state
    bool maximized = false;
};

// The settings file for window places: "fenster.ini" in the directory of KQ2.ini.
QString filePath();

std::optional<Saved> load(const QString &windowName, const QString &path = filePath());
// False when the file cannot be written; window places are a convenience, so
// callers ignore that.
bool save(const QString &windowName, const Saved &saved, const QString &path = filePath());

// Where a window opens.  `available` holds each screen's available area, the
// primary screen first; `designSize` is the window's designed size and `frame`
// the room the window manager's frame and title bar take around it.
//   - A saved place is used only while a screen still shows enough of the
//     window's top edge to grab it; its size is cut down to that screen.
//   - Otherwise the window opens centred on the primary screen at its designed
//     size, or maximised when that screen's available area is smaller.
Placement place(const std::optional<Saved> &saved, const QList<QRect> &available, QSize designSize,
                QMargins frame);

// A guess at the frame the window manager draws around a top-level window,
// for deciding before the window is shown whether it fits.
QMargins typicalFrame(const QWidget *window);

// Gives a window that is not shown yet its saved place (or the default place
// for its designed size).  Call before show().
void restore(QWidget *window, QSize designSize);

// Writes the window's current place (normal geometry and maximised state).
void remember(const QWidget *window);

} // namespace windowgeometry
