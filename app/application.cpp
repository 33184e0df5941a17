#include "app/application.h"

#include "app/errordisplay.h"
#include "data/dberror.h"

#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QLibraryInfo>
#include <QTranslator>

// The resource of a static library is registered by hand, from outside
// any namespace.
static void initIcons()
{
    Q_INIT_RESOURCE(icons);
}

namespace tabel {

// The icon's files are PNG and are read as such: a file of no stated
// format is first offered to every image plug-in, which loads them all (and
// the JPEG library) at start.
static QPixmap pngFile(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("tabel"));
    setDesktopFileName(QStringLiteral("tabel"));
    // One icon for every window, the same the desktop's menu shows.
    initIcons();
    QIcon icon;
    icon.addPixmap(pngFile(QStringLiteral(":/icons/tabel-48.png")));
    icon.addPixmap(pngFile(QStringLiteral(":/icons/tabel-256.png")));
    setWindowIcon(icon);
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
