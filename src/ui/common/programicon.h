#pragma once

#include <QIcon>

// The program's icon (a stove ring with a flame), in every size the title
// bar, the task bar and the About window ask for.
QIcon programIcon();
