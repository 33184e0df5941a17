#include "app/listwindow.h"

#include "app/errordisplay.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tabel {

ListWindow::ListWindow(const QString &objectName, const QString &caption, QVector<GridColumn> columns,
                       QWidget *parent)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    auto *layout = new QVBoxLayout(this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchEdit"));
    m_search->setPlaceholderText(QStringLiteral("Поиск"));
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &ListWindow::searchChanged);
    layout->addWidget(m_search);

    m_grid = new ResultGrid(std::move(columns), this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    connect(m_grid, &QTableView::doubleClicked, this, [this] { rowDoubleClicked(); });
    layout->addWidget(m_grid, 1);

    m_buttons = new QHBoxLayout;
    auto button = [&](const QString &title, const QString &name) {
        auto *b = new QPushButton(title, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        m_buttons->addWidget(b);
        return b;
    };
    m_add = button(QStringLiteral("Добавить"), QStringLiteral("addButton"));
    m_middle = button(QStringLiteral("Изменить"), QStringLiteral("middleButton"));
    m_delete = button(QStringLiteral("Удалить"), QStringLiteral("deleteButton"));
    m_buttons->addStretch();
    m_exit = button(QStringLiteral("Выход"), QStringLiteral("exitButton"));
    layout->addLayout(m_buttons);

    connect(m_add, &QPushButton::clicked, this, [this] { guarded([this] { addRow(); }); });
    connect(m_middle, &QPushButton::clicked, this, &ListWindow::middleClicked);
    connect(m_delete, &QPushButton::clicked, this, [this] { guarded([this] { deleteRow(); }); });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);

    setManaging();
}

void ListWindow::setSearchRule(SearchRule rule, SearchKeys keys)
{
    m_rule = std::move(rule);
    m_keys = keys;
}

void ListWindow::applySearch()
{
    if (ResultSet *set = resultSet())
        set->setFilter(m_rule ? m_rule(m_search->text()) : nullptr);
}

void ListWindow::searchChanged(const QString &)
{
    applySearch();
}

void ListWindow::setManaging()
{
    // A hidden search field still holds what the last pick typed; it must
    // not keep rows out of sight where nobody can see or clear it.
    if (m_search->isHidden())
        m_search->clear();
    m_mode = 0;
    m_middle->setText(QStringLiteral("Изменить"));
    m_middle->setDefault(false);
    m_add->show();
    m_delete->show();
    m_add->setDefault(true);
}

void ListWindow::setPicking(int mode)
{
    m_mode = mode == 0 ? 1 : mode;
    m_middle->setText(QStringLiteral("Выбрать"));
    m_add->setDefault(false);
    m_add->hide();
    m_delete->hide();
    m_middle->setDefault(true);
    m_search->show();
    m_search->clear();
    applySearch();
}

void ListWindow::endPicking()
{
    m_search->hide();
    m_middle->setDefault(false);
}

int ListWindow::runWithQuery(const std::function<void(ResultSet &)> &prepare)
{
    int result = QDialog::Rejected;
    guarded([&] {
        if (ResultSet *set = resultSet()) {
            set->open();
            applySearch();
            if (prepare)
                prepare(*set);
        }
        result = exec();
    });
    if (ResultSet *set = resultSet())
        set->close();
    return result;
}

void ListWindow::middleClicked()
{
    if (isPicking())
        pick();
    else
        guarded([this] { changeRow(); });
}

void ListWindow::rowDoubleClicked()
{
    middleClicked();
}

void ListWindow::pick()
{
    guarded([this] {
        if (resultSet() && resultSet()->rowCount() > 0 && resultSet()->currentRow() >= 0)
            takePick();
    });
    accept();
}

void ListWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_search->isVisibleTo(this))
        m_search->setFocus();
}

bool ListWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        ResultSet *set = resultSet();
        switch (key->key()) {
        case Qt::Key_Up:
            if (set && set->currentRow() > 0)
                set->setCurrentRow(set->currentRow() - 1);
            return true;
        case Qt::Key_Down:
            if (set && set->currentRow() >= 0)
                set->setCurrentRow(set->currentRow() + 1);
            return true;
        case Qt::Key_Backspace:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;
        default:
            break;
        }
        if (m_keys == SearchKeys::TypingOnly) {
            // Typed characters still edit the field, and so does pasting.
            // The first character is taken whole: a character beyond the
            // Basic Multilingual Plane (an emoji) arrives as a surrogate
            // pair, whose first half alone is no printable character.
            const QList<uint> typedChars = key->text().toUcs4();
            const bool typed = !typedChars.isEmpty() && QChar::isPrint(char32_t(typedChars.first()))
                && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            if (!typed && !key->matches(QKeySequence::Paste))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tabel
