#pragma once

#include <QApplication>

namespace tabel {

// Catches what no window handled and shows it in the default error display.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace tabel
