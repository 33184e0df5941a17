#include "app/application.h"

#include "app/errordisplay.h"
#include "data/dberror.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace tabel {

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("tabel"));
    // The interface is Russian whatever the desktop's language: the
    // toolkit's own texts (message-box buttons, calendar) too.
    auto *qt = new QTranslator(this);
    if (qt->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qt);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError &e) {
        showError(e.text());
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showError(QString());
    }
    return false;
}

} // namespace tabel
