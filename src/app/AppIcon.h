#pragma once

#include <QIcon>

// The console's icon, drawn rather than loaded so the program needs no image files.
QIcon appIcon();
