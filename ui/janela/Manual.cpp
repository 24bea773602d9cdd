#include "Manual.h"

#include "Avisador.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

QString caminhoManual() {
    // Beside the program in the build tree; under the documentation folder of the prefix
    // where it is installed (TALVANO_MANUAL_INSTALADO is that folder seen from the programs').
    const QDir programa(QCoreApplication::applicationDirPath());
    const QString aoLado = programa.filePath(QStringLiteral("manual/manual-rapido.html"));
    const QString instalado = programa.filePath(QStringLiteral(TALVANO_MANUAL_INSTALADO) +
                                                QStringLiteral("/manual-rapido.html"));
    return QFileInfo::exists(aoLado) || !QFileInfo::exists(instalado) ? aoLado : instalado;
}

void abrirManual(const QString &secao) {
    const QString caminho = QFileInfo(caminhoManual()).absoluteFilePath();
    QUrl endereco = QUrl::fromLocalFile(caminho);
    if (!secao.isEmpty())
        endereco.setFragment(secao);
    // The desktop's opener, asked without waiting for it; on a machine with no browser it
    // ends with an error, and the user is then told where the manual is, instead of nothing.
    auto *abridor = new QProcess(QCoreApplication::instance());
    const auto semNavegador = [caminho] {
        Avisador::atual().mensagem(
            QStringLiteral("Não foi encontrado um navegador de internet para abrir o manual "
                           "rápido. Ele está em:\n\n%1\n\nAbra esse arquivo no navegador que "
                           "tiver.")
                .arg(QDir::toNativeSeparators(caminho)));
    };
    QObject::connect(abridor, &QProcess::finished, abridor,
                     [abridor, semNavegador](int codigo, QProcess::ExitStatus estado) {
                         if (estado != QProcess::NormalExit || codigo != 0)
                             semNavegador();
                         abridor->deleteLater();
                     });
    QObject::connect(abridor, &QProcess::errorOccurred, abridor,
                     [abridor, semNavegador](QProcess::ProcessError erro) {
                         if (erro != QProcess::FailedToStart)
                             return;
                         semNavegador();
                         abridor->deleteLater();
                     });
    abridor->start(QStringLiteral("xdg-open"), {endereco.toString(QUrl::FullyEncoded)});
}
