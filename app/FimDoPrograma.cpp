#include "FimDoPrograma.h"

#include "Copias.h"
#include "Datamodule1.h"
#include "PreferenciasCopias.h"
#include "ProcessoAuxiliar.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QSocketNotifier>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The signal handler only writes a byte here; the event loop reads it and ends the run.
int g_canal[2] = {-1, -1};
volatile std::sig_atomic_t g_porSinal = 0;

void aoSinal(int) {
    const int erro = errno;
    g_porSinal = 1;
    ProcessoAuxiliar::interromper();
    const char byte = 1;
    [[maybe_unused]] const auto escritos = ::write(g_canal[1], &byte, 1);
    errno = erro;
}

// At exit() before the data module is gone: what was posted becomes permanent.
void confirmarAoTerminar() {
    if (!Datamodule1)
        return;
    try {
        Datamodule1->confirmar();
    } catch (...) {
        // The process is ending; there is nobody left to tell.
    }
}

// The windows open over the main window close from the top down as their close boxes close
// them, so a client being typed is stored as the client registry's close stores it. Called
// once every event loop is told to end: a box one of them shows does not wait for anybody.
void fecharJanelasModais() {
    QWidget *anterior = nullptr;
    while (QWidget *janela = QApplication::activeModalWidget()) {
        // One that refuses (its record could not be written) has said why; it stays.
        if (janela == anterior || !janela->close())
            return;
        anterior = janela;
    }
}

} // namespace

namespace FimDoPrograma {

void instalar() {
    if (g_canal[0] >= 0)
        return;
    if (::pipe2(g_canal, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *aviso =
        new QSocketNotifier(g_canal[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(aviso, &QSocketNotifier::activated, aviso, [] {
        char bytes[16];
        while (::read(g_canal[0], bytes, sizeof bytes) > 0) {
        }
        // Every running event loop returns, modal windows' included, and none starts again:
        // the run ends as when the main window closes.
        QCoreApplication::exit(0);
        fecharJanelasModais();
    });

    struct sigaction acao = {};
    acao.sa_handler = aoSinal;
    sigemptyset(&acao.sa_mask);
    acao.sa_flags = SA_RESTART;
    for (const int sinal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sinal, &acao, nullptr);

    std::atexit(confirmarAoTerminar);
    std::at_quick_exit(confirmarAoTerminar);
}

bool porSinal() {
    return g_porSinal != 0;
}

void copiaDoDia(const QString &caminhoBanco) {
    if (porSinal())
        return;
    const auto r = Copias(caminhoBanco, PreferenciasCopias::pastaEscolhida())
                       .copiaDiaria(QDate::currentDate());
    if (!r)
        return;
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    const QString nota =
        QStringLiteral("Cópia de segurança do dia %1 em %2: %3, %4 s.\n")
            .arg(r->verificada ? QStringLiteral("gravada e verificada")
                               : QStringLiteral("gravada, mas falhou na verificação,"),
                 QDir::toNativeSeparators(r->arquivo),
                 br.formattedDataSize(r->tamanho, 1, QLocale::DataSizeTraditionalFormat),
                 br.toString(r->segundos, 'f', 1));
    std::fputs(nota.toLocal8Bit().constData(), stderr);
}

} // namespace FimDoPrograma
