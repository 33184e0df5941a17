#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <clocale>
#include <memory>

namespace tabel::test {

// The C library's locale of the department's desktops, where numbers are
// written with a decimal comma; the toolkit switches to the desktop's
// locale at start. Where the system has no such locale, one is compiled
// into a temporary folder, which takes a second or two. The previous
// locale comes back when this goes.
class CommaLocale
{
public:
    CommaLocale() : m_previous(std::setlocale(LC_ALL, nullptr))
    {
        if (trySet())
            return;
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        if (localedef.isEmpty())
            return;
        m_dir = std::make_unique<QTemporaryDir>();
        QProcess::execute(localedef, {QStringLiteral("-i"), QStringLiteral("ru_RU"), QStringLiteral("-f"),
                                      QStringLiteral("UTF-8"), m_dir->filePath(QStringLiteral("ru_RU.UTF-8"))});
        m_oldPath = qgetenv("LOCPATH");
        m_hadPath = qEnvironmentVariableIsSet("LOCPATH");
        qputenv("LOCPATH", QFile::encodeName(m_dir->path()));
        trySet();
    }
    ~CommaLocale()
    {
        std::setlocale(LC_ALL, m_previous.constData());
        if (m_dir) {
            if (m_hadPath)
                qputenv("LOCPATH", m_oldPath);
            else
                qunsetenv("LOCPATH");
        }
    }
    CommaLocale(const CommaLocale &) = delete;
    CommaLocale &operator=(const CommaLocale &) = delete;

    bool active() const { return m_active; }

private:
    bool trySet()
    {
        m_active = std::setlocale(LC_ALL, "ru_RU.UTF-8") && *std::localeconv()->decimal_point == ',';
        if (!m_active)
            std::setlocale(LC_ALL, m_previous.constData());
        return m_active;
    }

    QByteArray m_previous;
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_oldPath;
    bool m_hadPath = false;
    bool m_active = false;
};

} // namespace tabel::test
