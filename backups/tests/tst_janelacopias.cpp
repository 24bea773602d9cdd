// The window "Cópias de Segurança" as a user works it, offscreen: the list, a backup made now,
// a restore after its question, the folder chosen, the Talvano open, and a cancel.
#include "Aplicacao.h"
#include "Avisador.h"
#include "AvisadorGravador.h"
#include "BancoTeste.h"
#include "Copias.h"
#include "OutroProcesso.h"
#include "PreferenciasCopias.h"
#include "ProcessoAuxiliar.h"
#include "UNcopias.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using Evento = AvisadorGravador::Evento;

namespace {

int recibos(const QString &caminho) {
    auto base = BancoTeste::conectarDireto(caminho);
    return int(ContagemBanco::contar(*base).recibos);
}

QString texto(const TFRcopias &j, const char *nome) {
    return j.findChild<QLabel *>(QLatin1String(nome))->text();
}

QPushButton *botao(const TFRcopias &j, const char *nome) {
    return j.findChild<QPushButton *>(QLatin1String(nome));
}

QTableWidget *grade(const TFRcopias &j) {
    return j.findChild<QTableWidget *>(QStringLiteral("Gcopias"));
}

} // namespace

class TstJanelaCopias : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        Aplicacao::prepararAmbiente();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_config.path()));
        Avisador::instalar(&m_aviso);
    }
    void init() {
        m_aviso.limpar();
        PreferenciasCopias::escolherPasta({});
    }
    void cleanupTestCase() {
        Avisador::instalar(nullptr);
        TDatamodule1::encerrarBanco();
    }

    // A backup made now lands in the list, verified, with its figures; then the list holds it
    // first, and "Restaurar..." puts it back after a question naming where the replaced
    // database is kept.
    void fazerEDepoisRestaurar() {
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 12);
        TFRcopias janela(banco.caminho());
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        QCOMPARE(janela.windowTitle(), QStringLiteral("Cópias de Segurança"));
        QCOMPARE(grade(janela)->rowCount(), 0);
        QVERIFY(botao(janela, "BTfazer")->isEnabled());

        QTest::mouseClick(botao(janela, "BTfazer"), Qt::LeftButton);
        QCOMPARE(grade(janela)->rowCount(), 1);
        QCOMPARE(grade(janela)->item(0, 3)->text(), QStringLiteral("verificada"));
        QVERIFY2(grade(janela)->item(0, 4)->text().startsWith(u"12 recibos"),
                 qPrintable(grade(janela)->item(0, 4)->text()));
        QVERIFY(texto(janela, "LBstatus").startsWith(u"Cópia gravada e verificada"));
        QCOMPARE(m_aviso.eventos().size(), 1);

        BancoTeste::preencher(banco.caminho(), 5);
        m_aviso.limpar();
        m_aviso.responder(false);
        grade(janela)->selectRow(0);
        QTest::mouseClick(botao(janela, "BTrestaurar"), Qt::LeftButton);
        QCOMPARE(recibos(banco.caminho()), 17); // "Não": nothing changes
        m_aviso.limpar();
        m_aviso.responder(true);
        QTest::mouseClick(botao(janela, "BTrestaurar"), Qt::LeftButton);
        QCOMPARE(m_aviso.eventos().first().tipo, Evento::Pergunta);
        QVERIFY2(m_aviso.eventos().first().texto.contains(u"-antes-da-restauracao-"),
                 qPrintable(m_aviso.eventos().first().texto));
        QCOMPARE(recibos(banco.caminho()), 12);
        QVERIFY2(m_aviso.eventos().last().texto.contains(u"foi guardado como"),
                 qPrintable(m_aviso.eventos().last().texto));
    }

    // With the Talvano open on the database the window says so, and neither makes nor
    // restores anything.
    void talvanoAbertoRecusa() {
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 3);
        Copias(banco.caminho()).fazer(Copias(banco.caminho()).arquivoDoDia(QDate(2026, 3, 5)));
        OutroProcesso programa(banco.caminho());
        TFRcopias janela(banco.caminho());
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        QVERIFY2(texto(janela, "LBaviso").contains(u"O Talvano está aberto"),
                 qPrintable(texto(janela, "LBaviso")));
        QVERIFY(!botao(janela, "BTfazer")->isEnabled());
        QVERIFY(!botao(janela, "BTrestaurar")->isEnabled());
        QCOMPARE(grade(janela)->rowCount(), 1);
    }

    // The folder chosen is where the next backup goes; a chosen folder that is missing (the
    // stick is out) is said, and the default one is used.
    void pastaEscolhidaEPastaFaltando() {
        BancoTeste banco;
        QTemporaryDir pendrive;
        PreferenciasCopias::escolherPasta(pendrive.path());
        TFRcopias janela(banco.caminho());
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        QCOMPARE(janela.findChild<QLineEdit *>(QStringLiteral("EDpasta"))->text(),
                 QDir::toNativeSeparators(pendrive.path()));
        QTest::mouseClick(botao(janela, "BTfazer"), Qt::LeftButton);
        QCOMPARE(QDir(pendrive.path()).entryList({QStringLiteral("*.fbk")}).size(), 1);

        const QString fora = pendrive.filePath(QStringLiteral("nao-esta-aqui"));
        PreferenciasCopias::escolherPasta(fora);
        janela.atualizar();
        QVERIFY2(texto(janela, "LBaviso").contains(u"não está disponível"),
                 qPrintable(texto(janela, "LBaviso")));
        QCOMPARE(janela.findChild<QLineEdit *>(QStringLiteral("EDpasta"))->text(),
                 QDir::toNativeSeparators(Copias(banco.caminho()).pastaPadrao()));
        QTest::mouseClick(botao(janela, "BTpadrao"), Qt::LeftButton);
        QCOMPARE(PreferenciasCopias::pastaEscolhida(), QString());
    }

    // "Cancelar" in the progress window of a long backup: nothing is written, and the
    // window says so.
    void copiaCancelada() {
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 200000);
        TFRcopias janela(banco.caminho());
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        QTimer clicar;
        connect(&clicar, &QTimer::timeout, &janela, [&] {
            auto *progresso = janela.findChild<QProgressDialog *>();
            if (progresso && progresso->isVisible())
                QTest::mouseClick(progresso->findChild<QPushButton *>(), Qt::LeftButton);
        });
        clicar.start(50);
        QTest::mouseClick(botao(janela, "BTfazer"), Qt::LeftButton);
        clicar.stop();
        QVERIFY2(texto(janela, "LBstatus").contains(u"cancelada"),
                 qPrintable(texto(janela, "LBstatus")));
        QCOMPARE(grade(janela)->rowCount(), 0);
        QCOMPARE(QDir(Copias(banco.caminho()).pasta()).entryList(QDir::Files | QDir::Hidden),
                 QStringList());
        QVERIFY(m_aviso.eventos().isEmpty());
        // And the next one goes through.
        QTest::mouseClick(botao(janela, "BTfazer"), Qt::LeftButton);
        QCOMPARE(grade(janela)->rowCount(), 1);
    }

private:
    QTemporaryDir m_config;
    AvisadorGravador m_aviso;
};

int main(int argc, char **argv) {
    if (const auto status = ProcessoAuxiliar::atender(argc, argv))
        return *status;
    Aplicacao app(argc, argv);
    TstJanelaCopias teste;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&teste, argc, argv);
}

#include "tst_janelacopias.moc"
