#pragma once

#include "reference/workers.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace tabel {

class DataModule;

// Creates or changes one worker: the name and, from the plant's tables,
// the department, position and role; only the position's text is kept.
class WorkerEditor : public QDialog
{
    Q_OBJECT
public:
    explicit WorkerEditor(DataModule &dm, QWidget *parent = nullptr);

    // Opens for a new worker (emptied name) or for a change. The selectors
    // keep what they showed last time, except that a change shows the
    // worker's own position: another worker's position left in the
    // selector would otherwise be written over his. True when saved.
    bool openNew();
    bool openChange(int id, const QString &name, const QString &position);

    QLineEdit *nameField() const { return m_name; }
    QComboBox *departmentBox() const { return m_department; }
    QComboBox *positionBox() const { return m_position; }
    QComboBox *roleBox() const { return m_role; }
    int mode() const { return m_mode; }

protected:
    void showEvent(QShowEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool run();
    void save();
    void reloadChoices();
    // The wheel steps the selector that has the keyboard focus.
    bool stepFocusedSelector(int angleDelta);

    DataModule &m_dm;
    int m_mode = workers::newWorker;
    int m_id = 0;
    QString m_storedPosition;
    QLineEdit *m_name = nullptr;
    QComboBox *m_department = nullptr;
    QComboBox *m_position = nullptr;
    QComboBox *m_role = nullptr;
};

} // namespace tabel
