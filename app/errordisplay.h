#pragma once

#include "data/dberror.h"
#include "data/notifier.h"

#include <QString>
#include <QWidget>

namespace tabel {

// The one default display of errors nobody handled: a message box with
// the error's text.
void showError(const QString &text);

// A refusal the program detects itself: error icon, OK, the given caption.
void showRefusal(const QString &caption, const QString &text);
// A notice: information icon, OK, the given caption.
void showInformation(const QString &caption, const QString &text);
// A Yes/No question with the question icon; true on Yes.
bool askYesNo(const QString &caption, const QString &text);

// Runs a user action; a database error stops it and goes to the default
// display, and the hourglass (if any) is taken back.
template <class F>
void guarded(F &&action)
{
    try {
        action();
    } catch (const DbError &e) {
        showError(e.text());
    }
}

// Shows the refusals of rules code as message boxes.
class MessageBoxNotifier : public Notifier
{
public:
    void error(const QString &caption, const QString &text) override { showRefusal(caption, text); }
    void information(const QString &caption, const QString &text) override
    {
        showInformation(caption, text);
    }
};

// Hourglass for the lifetime of the object.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// Switches off the named controls (widgets or actions) of a window.
void disableControls(QWidget *window, const QVector<QString> &names);

} // namespace tabel
