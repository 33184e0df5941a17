#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tabel {

class DataModule;

// Creates or renames one operation kind.
class KindEditor : public QDialog
{
    Q_OBJECT
public:
    explicit KindEditor(DataModule &dm, QWidget *parent = nullptr);

    // Opener steps: an empty field for a new kind (mode 1), or the name of
    // the kind kindId to change (mode 2).
    void prepareNew();
    void prepareChange(int kindId, const QString &name);
    int mode() const { return m_mode; }

    QLineEdit *nameField() const { return m_name; }
    QPushButton *saveButton() const { return m_save; }

    // "Записать": writes the kind, re-reads the kinds list and closes.
    void save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    DataModule &m_dm;
    int m_mode = 1;
    int m_kindId = 0;
    QLineEdit *m_name = nullptr;
    QPushButton *m_save = nullptr;
};

} // namespace tabel
