#pragma once

#include "app/buildstamp.h"
#include "app/roles.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QTimer;

namespace tabel {

class JournalWindow;

// Asks for the role word, switches off what the role may not use and
// opens the journal. The program's main window: closing it ends the run.
class LoginWindow : public QDialog
{
    Q_OBJECT
public:
    explicit LoginWindow(Session &session, QWidget *parent = nullptr);
    LoginWindow(JournalWindow &journal, Session &session, QWidget *parent = nullptr)
        : LoginWindow(session, parent)
    {
        setJournal(&journal);
    }

    // The journal a correct word opens; made after this window is shown.
    void setJournal(JournalWindow *journal) { m_journal = journal; }

    void setVersionCheck(std::function<void()> check) { m_versionCheck = std::move(check); }
    // Run before a login word is tried.
    void setBeforeLogin(std::function<void()> before) { m_beforeLogin = std::move(before); }
    QTimer *terminationTimer() const { return m_termination; }
    QLineEdit *wordField() const { return m_word; }

    // Tries the typed word; true when it logged in (the journal has then
    // been shown and closed again).
    bool login();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    JournalWindow *m_journal = nullptr;
    Session &m_session;
    QLineEdit *m_word = nullptr;
    QTimer *m_termination = nullptr;
    std::function<void()> m_versionCheck;
    std::function<void()> m_beforeLogin;
};

} // namespace tabel
