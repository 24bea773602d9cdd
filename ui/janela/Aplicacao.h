#pragma once
#include <QApplication>

// The application object: Brazilian formatting and Qt's own Portuguese texts
// whatever the machine's locale, the page fonts, and a backstop that keeps an
// exception from unwinding through the event loop.
class Aplicacao : public QApplication {
    Q_OBJECT
public:
    Aplicacao(int &argc, char **argv);
    bool notify(QObject *receptor, QEvent *evento) override;

    // The same set-up for a QApplication made elsewhere (tests).
    static void prepararAmbiente();
};
