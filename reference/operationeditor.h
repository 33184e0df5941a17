#pragma once

#include "reference/picks.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tabel {

class DataModule;
class ResultSet;

// Defines an operation by a picked product, a picked kind and whether it
// yields a finished product or a blank.
class OperationEditor : public QDialog
{
    Q_OBJECT
public:
    explicit OperationEditor(DataModule &dm, QWidget *parent = nullptr);

    void setProductPicker(ProductPicker picker) { m_productPicker = std::move(picker); }
    void setKindPicker(KindPicker picker) { m_kindPicker = std::move(picker); }

    // Opener steps. A new operation starts with both fields empty, so both
    // must be picked again; a change starts from the list's current row.
    void prepareNew();
    void prepareChange(const ResultSet &oper);
    int mode() const { return m_mode; }
    qlonglong productId() const { return m_productId; }
    int kindId() const { return m_kindId; }
    // The operation the last accepted save wrote; 0 before any.
    int savedOperationId() const { return m_savedId; }

    QLineEdit *markField() const { return m_mark; }
    QLineEdit *kindField() const { return m_kind; }
    QComboBox *productKindBox() const { return m_productKind; }
    QPushButton *markButton() const { return m_markButton; }
    QPushButton *kindButton() const { return m_kindButton; }

    void pickProduct();
    void pickKind();
    // "Записать": writes the operation, re-reads the prices list and closes.
    void save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    DataModule &m_dm;
    ProductPicker m_productPicker;
    KindPicker m_kindPicker;
    int m_mode = 1;
    int m_operationId = 0;
    qlonglong m_productId = 0;
    int m_kindId = 0;
    int m_savedId = 0;
    QLineEdit *m_mark = nullptr;
    QLineEdit *m_kind = nullptr;
    QComboBox *m_productKind = nullptr;
    QPushButton *m_markButton = nullptr;
    QPushButton *m_kindButton = nullptr;
};

} // namespace tabel
