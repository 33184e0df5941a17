#pragma once

#include "reference/picks.h"
#include "timesheets/auxiliaryentry.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tabel {

class AuxiliaryJournalWindow;

// The auxiliary work entry editor: a new entry on the journal's date, or
// a change of its current entry. Created once; keeps its ids between
// openings, which set them again.
class AuxiliaryEntryWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AuxiliaryEntryWindow(AuxiliaryJournalWindow &journal, QWidget *parent = nullptr);

    // Without a picker, its button does nothing.
    void setWorkerPicker(WorkerPicker picker) { m_workerPicker = std::move(picker); }
    void setNomenclaturePicker(NomenclaturePicker picker) { m_nomenclaturePicker = std::move(picker); }

    AuxiliaryEntry &entry() { return m_entry; }

    // Openers from the journal's "Добавить" and "Изменить"; each shows the
    // editor modally and closes the kind list afterwards.
    void openNew();
    void openChange();
    // What the openers do before showing the editor; false when it is not
    // to be shown (no current entry, the kind list unreadable).
    bool prepareNew();
    bool prepareChange();

    void pickWorker();
    void pickNomenclature();
    // Rate and sum of the chosen kind and the typed hours.
    void updateFigures();
    // "Записать": the editor closes only when the entry was written.
    void save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    AuxiliaryFields fields() const;
    void showFields(const AuxiliaryFields &f);
    int chosenKind() const;

    AuxiliaryJournalWindow &m_journal;
    AuxiliaryEntry m_entry;
    WorkerPicker m_workerPicker;
    NomenclaturePicker m_nomenclaturePicker;

    QLineEdit *m_worker = nullptr;
    QPushButton *m_workerButton = nullptr;
    QLineEdit *m_nomenclature = nullptr;
    QPushButton *m_nomenclatureButton = nullptr;
    QComboBox *m_kind = nullptr;
    QLineEdit *m_hours = nullptr;
    QLineEdit *m_rate = nullptr;
    QLineEdit *m_sum = nullptr;
    QCheckBox *m_night = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_exitButton = nullptr;
};

} // namespace tabel
