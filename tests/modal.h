#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace tabel::test {

// Runs the action on the next modal window of type T (a message box, an
// editor opened from a list), so that a test can answer what a user
// would. Gives up after a while, so a failed test leaves nothing behind;
// the returned flag tells whether the action ran.
template <class T>
std::shared_ptr<bool> onNextModal(std::function<void(T *)> action, int triesLeft = 500)
{
    auto done = std::make_shared<bool>(false);
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [=](int left) {
        QTimer::singleShot(10, [=] {
            auto *w = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!w) {
                if (left > 0)
                    (*poll)(left - 1);
                else
                    *poll = nullptr; // break the cycle
                return;
            }
            *done = true;
            *poll = nullptr;
            action(w);
        });
    };
    (*poll)(triesLeft);
    return done;
}

struct BoxAnswer
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool seen = false;
};

// Answers the next message box with the button and records what it said.
inline std::shared_ptr<BoxAnswer> answerNextBox(QMessageBox::StandardButton button)
{
    auto out = std::make_shared<BoxAnswer>();
    onNextModal<QMessageBox>([out, button](QMessageBox *box) {
        out->title = box->windowTitle();
        out->text = box->text();
        out->icon = box->icon();
        out->seen = true;
        if (QAbstractButton *b = box->button(button))
            b->click();
        else
            box->reject(); // not the box the test expected; do not hang

    });
    return out;
}

// Watches for message boxes for as long as it lives and records each one;
// answers them with OK unless told to leave them open.
class BoxWatcher : public QObject
{
public:
    explicit BoxWatcher(bool answer = true) : m_answer(answer)
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || m_handled.contains(box))
                return;
            m_handled << box;
            // A later box may be built where this one was.
            connect(box, &QObject::destroyed, this, [this, box] { m_handled.removeAll(box); });
            seen << BoxAnswer{box->windowTitle(), box->text(), box->icon(), true};
            if (m_answer)
                box->button(QMessageBox::Ok)->click();
        });
        m_timer.start();
    }
    QList<BoxAnswer> seen;

private:
    bool m_answer;
    QTimer m_timer;
    QList<QObject *> m_handled;
};

// Runs the action on the modal window of that object name once it shows.
inline void onModal(const QString &name, std::function<void(QWidget *)> action, int tries = 500)
{
    QTimer::singleShot(10, [=] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->objectName() == name && w->isVisible())
            action(w);
        else if (tries > 0)
            onModal(name, action, tries - 1);
    });
}

// Closes whatever modal window is left open after a while, so that a
// failing test ends instead of waiting for its timeout.
class Watchdog
{
public:
    Watchdog()
    {
        m_timer.setInterval(20000);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            fired = true;
            m_timer.setInterval(100);
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                d->done(QDialog::Rejected);
        });
        m_timer.start();
    }
    bool fired = false;

private:
    QTimer m_timer;
};

} // namespace tabel::test
