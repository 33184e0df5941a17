#pragma once

#include "reference/products.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tabel {

class DataModule;

// Creates or changes one product: its mark, its "Расценка" factor and its
// class. Opened by the products list; the class selector keeps its choice
// from one opening to the next.
class ProductEditor : public QDialog
{
    Q_OBJECT
public:
    explicit ProductEditor(DataModule &dm, QWidget *parent = nullptr);

    // Mode 1: mark and factor emptied, the class left as it was.
    int runNew();
    // Mode 2: the current row of Izdel.
    int runChange();

    int mode() const { return m_mode; }
    QLineEdit *markField() const { return m_mark; }
    QLineEdit *valueField() const { return m_value; }
    QComboBox *classSelector() const { return m_class; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelButton() const { return m_cancel; }

    // The "Записать" button: checks, writes, reads Izdel again, closes.
    void save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    int run();
    void loadClasses();
    void selectClass(std::optional<qlonglong> id);

    DataModule &m_dm;
    ProductEditing m_rules;
    int m_mode = 1;
    qlonglong m_id = 0;
    std::optional<qlonglong> m_classId;
    QLineEdit *m_mark = nullptr;
    QLineEdit *m_value = nullptr;
    QComboBox *m_class = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace tabel
