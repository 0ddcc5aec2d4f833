#pragma once

#include <QIcon>

// The small pictures of the date and time grids (the top-left header cell, the entry in
// force), drawn here rather than shipped as image files.
namespace HeaderPicture {
constexpr int Size = 16;
QIcon clock();    // the daily schedule
QIcon calendar(); // the yearly tasks
QIcon inForce();  // beside the first cell of the entry in force, which stays empty
} // namespace HeaderPicture
