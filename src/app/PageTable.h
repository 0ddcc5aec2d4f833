#pragma once

#include <QString>

// The eight tab pages of the main window, by index.
enum class Page : int { Video = 0, NVideo, Schedule, SchTask, Intensity, IntTask, Client, Server };
constexpr int PageCount = 8;

// The caption a page has until ConfigSetup.txt names it ("Video", "NVideo", ...).
QString designCaption(int page);

// The tab control's tooltip while the page is current ("Operations Mode", ...).
QString pageToolTip(int page);
