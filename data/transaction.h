#pragma once

namespace tabel {

class DataModule;

// All-or-nothing for operations that send several statements. It rolls
// back unless committed, which matters here: the driver keeps a
// transaction alive after a failed statement, so a commit would keep the
// half that succeeded. Nested transactions join the outermost one.
class Transaction
{
public:
    explicit Transaction(DataModule &dm);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    DataModule &m_dm;
    bool m_done = false;
};

} // namespace tabel
