#pragma once

#include <QIcon>

// The console's icon, drawn rather than loaded so the program needs no image files. With
// 'warning' it carries a mark in its corner: the tray's sign that the port is not open.
QIcon appIcon(bool warning = false);
