// talvano-copia: a verified backup of the database on demand, the list of backups, and the
// restore of one; with --janela, the window "Cópias de Segurança" for the same.
#include "AcessoBanco.h"
#include "Aplicacao.h"
#include "AvisadorCaixas.h"
#include "Copias.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "PreferenciasCopias.h"
#include "ProcessoAuxiliar.h"
#include "UNcopias.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTextStream>

#include <cstring>

namespace {

QString nativo(const QString &caminho) {
    return QDir::toNativeSeparators(caminho);
}

QString tamanho(qint64 bytes) {
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    return br.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

int fazer(Copias &copias, const QString &arquivo, QTextStream &saida, QTextStream &erro) {
    const QString destino = arquivo.isEmpty() ? copias.arquivoDoDia(QDate::currentDate()) : arquivo;
    const Copias::Resultado r = copias.fazer(destino);
    if (arquivo.isEmpty())
        copias.girar(30, r.arquivo);
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    if (!r.verificada) {
        erro << "A cópia de segurança foi gravada, mas não passou na verificação e foi guardada "
                "como "
             << nativo(r.arquivo) << ".\nMotivo: " << r.motivo << "\n";
        return 1;
    }
    saida << "Cópia de segurança gravada e verificada em " << nativo(r.arquivo) << " ("
          << tamanho(r.tamanho) << ", " << br.toString(r.segundos, 'f', 1) << " s).\n"
          << "Conferido: " << r.contagem.descrever() << ".\n";
    return 0;
}

int listar(const Copias &copias, QTextStream &saida) {
    const QList<Copias::Item> itens = copias.listar();
    if (itens.isEmpty()) {
        saida << "Não há cópias de segurança em " << nativo(copias.pasta()) << ".\n";
        return 0;
    }
    saida << "Cópias de segurança em " << nativo(copias.pasta()) << ", da mais nova:\n";
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    for (const Copias::Item &item : itens) {
        saida << "  " << QFileInfo(item.arquivo).fileName() << "  " << tamanho(item.tamanho) << "  "
              << br.toString(item.quando, QStringLiteral("dd/MM/yyyy HH:mm")) << "  ";
        switch (item.estado) {
        case Copias::Item::Verificada:
            saida << "verificada: " << item.detalhe;
            break;
        case Copias::Item::Falhou:
            saida << "FALHOU NA VERIFICAÇÃO: " << item.detalhe;
            break;
        case Copias::Item::SemRegistro:
            saida << "sem registro de verificação";
            break;
        }
        saida << "\n";
    }
    return 0;
}

int restaurar(Copias &copias, const QString &arquivo, QTextStream &saida) {
    saida << "Restaurando " << nativo(arquivo) << " em um arquivo à parte; o banco de dados "
          << nativo(copias.banco()) << " só é trocado depois que a cópia restaurada for "
          << "verificada, e é guardado, nunca apagado.\n";
    saida.flush();
    const Copias::Restauracao r = copias.restaurar(arquivo);
    if (!r.pendente.isEmpty()) {
        saida << "Cópia " << nativo(arquivo) << " restaurada e verificada no servidor como "
              << r.pendente << ": " << r.contagem.descrever() << ".\n"
              << "Este computador não alcança o disco do servidor para trocar os arquivos. No "
                 "servidor, com o Talvano fechado em todas as estações, rode o mesmo comando "
                 "(ele troca e guarda o banco atual), ou troque os arquivos à mão.\n";
        return 0;
    }
    if (!r.guardado.isEmpty())
        saida << "O banco de dados anterior foi guardado como " << nativo(r.guardado) << ".\n";
    saida << "Cópia " << nativo(arquivo) << " restaurada em " << nativo(copias.banco()) << ".\n"
          << (r.conferidaComRegistro ? "Verificada: confere com o banco de onde foi feita: "
                                     : "Verificada: abre e tem ")
          << r.contagem.descrever() << ".\n";
    return 0;
}

} // namespace

// The window, started from its menu entry.
int janela(int argc, char **argv, const QString &banco) {
    Aplicacao app(argc, argv);
    AvisadorCaixas caixas;
    Avisador::instalar(&caixas);
    TFRcopias janela(banco);
    janela.show();
    const int status = app.exec();
    Avisador::instalar(nullptr);
    TDatamodule1::encerrarBanco();
    return status;
}

int main(int argc, char **argv) {
    if (const auto status = ProcessoAuxiliar::atender(argc, argv))
        return *status;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--janela") != 0)
            continue;
        const bool comBanco = argc == 4 && std::strcmp(argv[1], "--banco") == 0 && i == 3;
        return janela(argc, argv,
                      comBanco ? QFile::decodeName(argv[2]) : TDatamodule1::caminhoPadrao());
    }
    QCoreApplication app(argc, argv);
    QTextStream saida(stdout), erro(stderr);
    const QString uso = QStringLiteral(
        "Uso: talvano-copia [--banco BANCO] [ARQUIVO]          faz uma cópia de segurança "
        "verificada agora\n"
        "     talvano-copia [--banco BANCO] --listar           mostra as cópias e sua "
        "verificação\n"
        "     talvano-copia [--banco BANCO] --restaurar ARQUIVO  restaura uma cópia como banco "
        "de dados\n"
        "     talvano-copia [--banco BANCO] --janela           abre a janela Cópias de "
        "Segurança\n"
        "Sem --banco, o banco é o desta estação: ~/Talvano/DADOS.GDB, ou o do servidor gravado\n"
        "por talvano-criar-base --estacao (ex.: --banco servidor:/srv/talvano/DADOS.GDB).\n");
    QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--ajuda") || args.value(0) == QLatin1String("-h") ||
        args.value(0) == QLatin1String("--help")) {
        saida << uso;
        return 0;
    }
    // The register this desk uses (a server's, when the desk was set to one); a setting that
    // cannot be used is told, never passed over for the embedded file.
    QString banco;
    if (args.size() >= 2 && args[0] == QLatin1String("--banco")) {
        banco = args[1];
        args = args.mid(2);
    } else {
        try {
            banco = AcessoBanco::daMesa().banco;
        } catch (const ErroSistema &e) {
            erro << "Erro: " << e.mensagem() << "\n";
            TDatamodule1::encerrarBanco();
            return 1;
        }
    }
    Copias copias(banco, PreferenciasCopias::pastaEscolhida());
    int status = 0;
    try {
        if (args.size() == 1 && args[0] == QLatin1String("--listar")) {
            status = listar(copias, saida);
        } else if (args.size() == 2 && args[0] == QLatin1String("--restaurar")) {
            status = restaurar(copias, args[1], saida);
        } else if (args.size() <= 1 && !args.value(0).startsWith(u'-')) {
            status = fazer(copias, args.value(0), saida, erro);
        } else {
            erro << "Argumentos inválidos: " << args.join(u' ') << "\n" << uso;
            status = 2;
        }
    } catch (const ErroSistema &e) {
        saida.flush();
        erro << "Erro: " << e.mensagem() << "\n";
        status = 1;
    }
    TDatamodule1::encerrarBanco();
    return status;
}
