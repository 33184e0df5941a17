#include "reference/normswindow.h"

#include "app/errordisplay.h"
#include "data/datamodule.h"
#include "reference/norms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace tabel {

namespace {

// Hands a left cell's text to the model's rules; a database error stops
// there and is shown.
class NormDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        auto *norms = qobject_cast<NormModel *>(model);
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (!norms || !line)
            return;
        const int row = index.row();
        const auto column = norms::Column(index.column());
        const QString text = line->text();
        guarded([&] { norms->setCell(row, column, text); });
    }
};

} // namespace

// The grid, with a way to finish the cell being edited from outside.
class NormGrid : public QTableView
{
public:
    using QTableView::QTableView;

    void commitOpenEditor()
    {
        if (QWidget *editor = openEditor()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    // The typing in the open cell is dropped; the stored row stays.
    void dropOpenEditor()
    {
        if (QWidget *editor = openEditor())
            closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }

private:
    QWidget *openEditor() const
    {
        if (state() != QAbstractItemView::EditingState)
            return nullptr;
        QWidget *editor = indexWidget(currentIndex());
        if (!editor)
            editor = QApplication::focusWidget();
        return editor && isAncestorOf(editor) ? editor : nullptr;
    }
};

NormsWindow::NormsWindow(DataModule &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("TForm22"));
    setWindowTitle(QStringLiteral("Норматив"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    m_model = new NormModel(dm, this);
    auto *layout = new QVBoxLayout(this);
    m_grid = new NormGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new NormDelegate(m_grid));
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                            | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::SelectedClicked);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->setColumnWidth(norms::Norma, 110);
    m_grid->setColumnWidth(norms::Price, 110);
    m_grid->setColumnWidth(norms::Prize, 110);
    layout->addWidget(m_grid, 1);

    auto *buttons = new QHBoxLayout;
    m_delete = new QPushButton(QStringLiteral("Удалить"), this);
    m_delete->setObjectName(QStringLiteral("deleteButton"));
    m_delete->setAutoDefault(false);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    m_save = new QPushButton(QStringLiteral("Сохранить"), this);
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_save->setDefault(true);
    buttons->addWidget(m_save);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, &NormsWindow::save);
    connect(m_delete, &QPushButton::clicked, this, &NormsWindow::deleteCurrent);
    resize(380, 300);
}

NormsWindow::~NormsWindow() = default;

QTableView *NormsWindow::grid() const
{
    return m_grid;
}

int NormsWindow::openFor(int operationId)
{
    bool opened = false;
    guarded([&] {
        m_model->open(operationId);
        opened = true;
    });
    if (!opened)
        return QDialog::Rejected;
    // An operation without norms starts on its new row, ready for typing.
    m_grid->setCurrentIndex(m_model->index(0, norms::Norma));
    m_grid->setFocus();
    return exec();
}

void NormsWindow::save()
{
    m_grid->commitOpenEditor();
    rereadPrices();
    accept();
}

void NormsWindow::rereadPrices()
{
    // The norms are written already; when the list cannot be read again the
    // error is shown and the window still closes rather than trap the user.
    guarded([this] { m_dm.oper().reopenKeepingRow(); });
}

void NormsWindow::reject()
{
    // Escape is "Сохранить" too.
    save();
}

void NormsWindow::closeEvent(QCloseEvent *event)
{
    // The title bar's close button drops what is being typed into the open
    // cell; the rows saved before stay saved, and the prices list is read
    // again so that it does not go on showing prices that no longer hold.
    m_grid->dropOpenEditor();
    rereadPrices();
    event->accept();
    done(QDialog::Rejected);
}

void NormsWindow::deleteCurrent()
{
    m_grid->commitOpenEditor();
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    guarded([&] { m_model->removeNorm(current.row()); });
}

} // namespace tabel
