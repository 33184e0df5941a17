#include "data/transaction.h"

#include "data/datamodule.h"

namespace tabel {

Transaction::Transaction(DataModule &dm) : m_dm(dm)
{
    m_dm.beginTransaction();
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        m_dm.rollbackTransaction();
    } catch (...) {
        // A destructor must not throw; the connection reports its own
        // trouble at the next statement.
    }
}

void Transaction::commit()
{
    m_done = true;
    m_dm.commitTransaction();
}

} // namespace tabel
