#pragma once

#include <QString>

class QWidget;

// The file dialogs of the pages. Each dialog carries the control name operators and tests
// know it by (its objectName, e.g. "CommonDialog1"), opens in the given folder with the
// remembered file name preselected, and returns the chosen path, or an empty text on Cancel.
namespace FileDialogs {

struct Request {
    QString objectName;
    QString caption;
    QString folder;
    QString filter;         // e.g. "PAV Setting Files (*.pav)"; several apart by ";;"
    QString selectedFilter; // the one preselected, when not the first
    QString rememberedName; // offered as the selection when not empty
    bool mustExist = true;  // open dialogs only
};

QString askOpen(QWidget *parent, const Request &request);

// Asks before replacing an existing file; a name typed without extension gets the
// filter's extension.
QString askSave(QWidget *parent, const Request &request);

} // namespace FileDialogs
