#pragma once

#include "dialogbase.h"
#include "roomvolume.h"

#include <functional>

class QLineEdit;
class TableStore;

// "Raumvolumen berechnen": length × width × height of one room.  OK writes
// the volume into the room's volume field and the three dimensions into its
// dimension fields, so that the next call offers them again.  A dimension
// that is not a number is refused on OK with the table's message, and
// nothing is written.
class TVolDialog : public DialogBase {
    Q_OBJECT
public:
    explicit TVolDialog(QWidget *parent = nullptr);

    // Offers the room's stored dimensions (the default height when the room
    // has none) and shows the dialog modally without blocking the caller.
    // `done` runs when the dialog closes, with true after OK.
    void calculate(TableStore *store, const roomvolume::RoomFields &room, double defaultHeight,
                   std::function<void(bool accepted)> done = {});

    const roomvolume::RoomFields &room() const { return m_room; }

    void accept() override;

private:
    void recompute();

    TableStore *m_store = nullptr;
    roomvolume::RoomFields m_room;
    std::function<void(bool)> m_done;
    QLineEdit *m_length = nullptr;
    QLineEdit *m_width = nullptr;
    QLineEdit *m_height = nullptr;
    QLineEdit *m_volume = nullptr;
};
