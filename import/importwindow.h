#pragma once

#include <QDialog>
#include <memory>

class QLabel;
class QProgressBar;

namespace tabel {

class DataModule;

// The maintenance commands: the copy from the former desktop database,
// with a window that shows which table is being filled and how far it
// got, and the schema touch-up.
class ImportWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ImportWindow(DataModule &main, QWidget *parent = nullptr);
    ~ImportWindow() override;

    // Connects to both data sources (they stay connected), copies, and
    // tells the outcome: the rows per table, or the table and row that
    // failed with nothing changed.
    void runImport();
    void runSchemaTouchUp();

private:
    void showProgress(const QString &target, int done, int total);

    DataModule &m_main;
    std::unique_ptr<DataModule> m_target;
    QLabel *m_table = nullptr;
    QProgressBar *m_bar = nullptr;
};

} // namespace tabel
