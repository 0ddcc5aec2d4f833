#pragma once

#include <QIcon>

// The small pictures in the top-left header cell of the date and time grids, drawn here
// rather than shipped as image files.
namespace HeaderPicture {
constexpr int Size = 16;
QIcon clock();    // the daily schedule
QIcon calendar(); // the yearly tasks
} // namespace HeaderPicture
