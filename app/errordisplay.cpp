#include "app/errordisplay.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>

namespace tabel {

static QWidget *dialogParent()
{
    QWidget *w = QApplication::activeModalWidget();
    return w ? w : QApplication::activeWindow();
}

void showRefusal(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, dialogParent());
    box.exec();
}

void showInformation(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, dialogParent());
    box.exec();
}

void showError(const QString &text)
{
    showRefusal(QStringLiteral("Ошибка"), text);
}

bool askYesNo(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    dialogParent());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

void disableControls(QWidget *window, const QVector<QString> &names)
{
    for (const QString &name : names) {
        // Menus are switched off through their menu-bar action.
        if (auto *a = window->findChild<QAction *>(name))
            a->setEnabled(false);
        else if (auto *w = window->findChild<QWidget *>(name))
            w->setEnabled(false);
    }
}

} // namespace tabel
