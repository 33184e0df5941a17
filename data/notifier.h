#pragma once

#include <QString>

namespace tabel {

// How rules code tells the user about a refusal without knowing about
// widgets. The windows install a message-box notifier; tests record.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void error(const QString &caption, const QString &text) = 0;
    // Something the user should know that is not a failure.
    virtual void information(const QString &, const QString &) {}
};

class SilentNotifier : public Notifier
{
public:
    void error(const QString &, const QString &) override {}
};

} // namespace tabel
