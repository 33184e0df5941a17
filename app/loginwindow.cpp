#include "app/loginwindow.h"

#include "app/controlnames.h"
#include "app/errordisplay.h"
#include "journal/journalwindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace tabel {

LoginWindow::LoginWindow(Session &session, QWidget *parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QLatin1String(names::loginWindow));
    setWindowTitle(QStringLiteral("Авторизация"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Пароль:"), this));
    m_word = new QLineEdit(this);
    m_word->setObjectName(QStringLiteral("Edit1"));
    m_word->setEchoMode(QLineEdit::Password);
    // Every typed character shows as "*".
    m_word->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    layout->addWidget(m_word);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *enter = buttons->addButton(QStringLiteral("Вход"), QDialogButtonBox::AcceptRole);
    enter->setObjectName(QStringLiteral("loginButton"));
    enter->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(enter, &QPushButton::clicked, this, [this] { login(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);

    m_termination = new QTimer(this);
    m_termination->setSingleShot(true);
    m_termination->setInterval(5000); // its owner connects what ending means

    // Closing the login window ends the program.
    connect(this, &QDialog::finished, qApp, [] { QCoreApplication::exit(0); });

    setFixedSize(360, 130);
}

bool LoginWindow::login()
{
    if (m_beforeLogin)
        m_beforeLogin();
    if (!m_journal)
        return false;
    const QString word = m_word->text().trimmed();
    const Role role = roleForWord(word);
    m_journal->selectShift(1);
    m_journal->journal().setShift(1);
    m_journal->journal().setLoginWord(word);
    if (role == Role::None) {
        showRefusal(QStringLiteral("Ошибка"), QString::fromUtf8(wrongWordMessage));
        return false;
    }
    m_session.role = role;
    disableControls(m_journal, controlsOffIn(role, QLatin1String(names::journalWindow)));
    m_journal->journal().setHiddenMark(QStringLiteral("ta"));
    hide();
    m_journal->exec();
    close();
    done(QDialog::Accepted);
    return true;
}

bool LoginWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        if (m_versionCheck)
            guarded(m_versionCheck);
    }
    return QDialog::event(event);
}

void LoginWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace tabel
