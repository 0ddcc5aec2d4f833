#pragma once

#include <QWidget>

class UnsavedChanges;

// A tab page of the main window. The window keeps the pages in page order and, for those in
// use, runs each step as a loop over them: start-up, Retransmit, and the refresh a second
// console asks for. A page that has nothing to do in a step keeps the default, which does
// nothing.
class ConsolePage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The page's start-up action, run once, in page order, after the window is shown.
    virtual void startUp() {}
    // Its part of Retransmit: every current value it owns goes out again.
    virtual void retransmit() {}
    // Its part of a remote refresh: its current file is loaded again under the same name.
    virtual void refresh() {}
    // What the page changed in its file and did not save yet; none for a page without a file.
    virtual const UnsavedChanges *unsavedChanges() const { return nullptr; }
};
