#pragma once

#include "journal/shiftentry.h"
#include "reference/picks.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tabel {

class JournalWindow;

// The shift entry editor: a new entry of the journal's shift, or a change
// of its current entry. Created once; keeps its fields between openings.
class EntryWindow : public QDialog
{
    Q_OBJECT
public:
    explicit EntryWindow(JournalWindow &journal, QWidget *parent = nullptr);

    // Without a picker, a click on its field or button does nothing.
    void setWorkerPicker(WorkerPicker picker) { m_workerPicker = std::move(picker); }
    void setOperationPicker(OperationPicker picker) { m_operationPicker = std::move(picker); }

    ShiftEntry &entry() { return m_entry; }

    // Openers from the journal's "Добавить" and "Изменить"; each shows the
    // editor modally. A change opening does nothing on an empty shift.
    void openNew();
    void openChange();
    // What the openers do before showing the editor; false when there is
    // nothing to change.
    void prepareNew();
    bool prepareChange();

    void pickWorker();
    void pickOperation();
    // Price, base price and amount from the fields as they are.
    void recalculate();
    // "Запись": the editor closes only when the entry was written.
    void save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    EntryFields fields() const;
    void showFields(const EntryFields &f);
    void setColourEnabled(bool on);
    void clearFields();

    JournalWindow &m_journal;
    ShiftEntry m_entry;
    WorkerPicker m_workerPicker;
    OperationPicker m_operationPicker;

    QLineEdit *m_worker = nullptr;
    QPushButton *m_workerButton = nullptr;
    QLineEdit *m_operation = nullptr;
    QPushButton *m_operationButton = nullptr;
    QLineEdit *m_quantity = nullptr;
    QLineEdit *m_hours = nullptr;
    QLabel *m_colourLabel = nullptr;
    QLineEdit *m_colour = nullptr;
    QDateEdit *m_date = nullptr;
    QLineEdit *m_rejects = nullptr;
    QLineEdit *m_basePrice = nullptr;
    QLineEdit *m_finalPrice = nullptr;
    QLineEdit *m_amount = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace tabel
