#include "app/controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBackingStore>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QKeyEvent>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tabel {

namespace {

// Tab and Backtab move the focus on, as in any other field.
class LeaveOnTab : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            auto *w = static_cast<QWidget *>(watched);
            if (key == Qt::Key_Tab && !(static_cast<QKeyEvent *>(event)->modifiers() & Qt::ShiftModifier))
                return focusNext(w, true);
            if (key == Qt::Key_Backtab)
                return focusNext(w, false);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool focusNext(QWidget *from, bool forward)
    {
        QWidget *w = from->window();
        QWidget *next = forward ? from->nextInFocusChain() : from->previousInFocusChain();
        while (next && next != from
               && (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisibleTo(w) || !next->isEnabled()
                   || next->focusProxy() == from || from->isAncestorOf(next)))
            next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
        if (next && next != from)
            next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
};

} // namespace

void setUpDatePicker(QDateEdit *picker)
{
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    picker->setLocale(russian);
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    // The calendar is made when it first opens (making one costs more than
    // the rest of a window) and takes the picker's Russian locale, weeks
    // from Monday.
    picker->setCalendarPopup(true);
    picker->installEventFilter(new LeaveOnTab(picker));
}

void setUpChoiceList(QComboBox *box, int visibleRows)
{
    box->setMaxVisibleItems(visibleRows);
    // Without this some styles open the list as tall as the screen.
    box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(32);
    box->view()->setTextElideMode(Qt::ElideRight);
}

void releaseHiddenWindows()
{
    // A hidden window's surface is cut to a pixel; showing the window
    // again sizes it back before anything is drawn.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!qobject_cast<QDialog *>(w) || w->isVisible())
            continue;
        if (QBackingStore *surface = w->backingStore(); surface && surface->size() != QSize(1, 1))
            surface->resize(QSize(1, 1));
    }
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace tabel
