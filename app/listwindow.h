#pragma once

#include "app/resultgrid.h"

#include <QDialog>
#include <functional>

class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace tabel {

// What the reference lists have in common: a grid over one shared query,
// a search field that filters the rows already read, and the buttons of
// the two modes. In managing mode (0) "Добавить" is the default button and
// the middle button reads "Изменить"; in a picking mode (any other value)
// "Добавить" and "Удалить" are hidden and the middle button "Выбрать" is
// the default, so Enter chooses. Escape and "Выход" close the list.
class ListWindow : public QDialog
{
    Q_OBJECT
public:
    // Which keys the search field keeps for itself besides Up and Down,
    // which always move the list.
    enum class SearchKeys {
        Editing,     // every other key edits the field as usual
        TypingOnly,  // only typed characters and Backspace edit it; caret
                     // movement and Delete do nothing
    };
    // Makes the row filter for a search text; a null filter shows all rows.
    using SearchRule = std::function<RowPredicate(const QString &text)>;

    ListWindow(const QString &objectName, const QString &caption, QVector<GridColumn> columns,
               QWidget *parent = nullptr);

    ResultSet *resultSet() const { return m_grid->resultSet(); }
    void setResultSet(ResultSet *set) { m_grid->setResultSet(set); }
    ResultGrid *grid() const { return m_grid; }
    QLineEdit *searchField() const { return m_search; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *middleButton() const { return m_middle; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *exitButton() const { return m_exit; }

    int mode() const { return m_mode; }
    bool isPicking() const { return m_mode != 0; }

    void setSearchRule(SearchRule rule, SearchKeys keys);
    // Applies the search text to the query again (after it was reopened).
    void applySearch();

    // Opener steps. Managing mode shows "Добавить" and "Удалить" again and
    // leaves the search field as it was.
    void setManaging();
    // A picking mode: the search field is shown and emptied.
    void setPicking(int mode);
    // After a pick: the search field is hidden and the middle button is no
    // longer the default.
    void endPicking();

    // Opens the query, shows the list modally and closes the query again.
    // prepare, when given, runs on the opened and filtered query before the
    // list is shown (to put it on a starting row).
    int runWithQuery(const std::function<void(ResultSet &)> &prepare = {});

protected:
    // The buttons of managing mode; a double-click on a row in managing
    // mode acts as the middle button.
    virtual void addRow() {}
    virtual void changeRow() {}
    virtual void deleteRow() {}
    // Picking: takes the current row as the choice. Called only when the
    // list has rows; the list closes after it whether or not it was called.
    virtual void takePick() {}
    virtual void rowDoubleClicked();

    // The bar of buttons at the bottom, for windows that add their own.
    QHBoxLayout *buttonBar() const { return m_buttons; }

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    void middleClicked();
    void pick();

private:
    void searchChanged(const QString &text);

    int m_mode = 0;
    ResultGrid *m_grid = nullptr;
    QLineEdit *m_search = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_middle = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_exit = nullptr;
    QHBoxLayout *m_buttons = nullptr;
    SearchRule m_rule;
    SearchKeys m_keys = SearchKeys::Editing;
};

} // namespace tabel
