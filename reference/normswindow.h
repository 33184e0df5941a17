#pragma once

#include <QDialog>

class QPushButton;
class QTableView;

namespace tabel {

class DataModule;
class NormGrid;
class NormModel;

// The norms of one operation, edited in place: a changed cell is written
// when it is left. Closing re-reads the operation prices list, which then
// shows the operation's new lowest price and norm count.
class NormsWindow : public QDialog
{
    Q_OBJECT
public:
    explicit NormsWindow(DataModule &dm, QWidget *parent = nullptr);
    ~NormsWindow() override;

    NormModel &model() const { return *m_model; }
    QTableView *grid() const;
    QPushButton *saveButton() const { return m_save; }
    QPushButton *deleteButton() const { return m_delete; }

    // Reads the operation's norms and shows them modally.
    int openFor(int operationId);

    // "Сохранить" (also Enter and Escape): the cell being edited is
    // written, the prices list re-read on the same row, the window closed.
    void save();
    // "Удалить": the current norm goes unless it is the operation's last.
    void deleteCurrent();

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void rereadPrices();

    DataModule &m_dm;
    NormModel *m_model = nullptr;
    NormGrid *m_grid = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_delete = nullptr;
};

} // namespace tabel
