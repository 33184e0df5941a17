#pragma once

#include "data/datamodule.h"
#include "data/notifier.h"

#include <QStringList>

namespace tabel::test {

// Records what rules code tells the user, as "caption|text". Given the
// data module, it also notes a refusal made while a transaction is open,
// which must never happen: a message waits for the user while locks are
// held.
class RecordingNotifier : public Notifier
{
public:
    explicit RecordingNotifier(DataModule *dm = nullptr) : m_dm(dm) {}
    void error(const QString &caption, const QString &text) override
    {
        shown << caption + QLatin1Char('|') + text;
        if (m_dm && m_dm->inTransaction())
            insideTransaction = true;
    }
    void information(const QString &caption, const QString &text) override
    {
        notices << caption + QLatin1Char('|') + text;
    }
    void clear()
    {
        shown.clear();
        notices.clear();
        insideTransaction = false;
    }

    QStringList shown;
    QStringList notices;
    bool insideTransaction = false;

private:
    DataModule *m_dm;
};

} // namespace tabel::test
