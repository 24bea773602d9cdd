#pragma once
// What the tests of the record windows share: a fresh database that the windows find
// through the global data module, a recorder in place of the message boxes, and the
// gestures of a user at the keyboard and the mouse.
#include "Avisador.h"
#include "AvisadorGravador.h"
#include "BancoTeste.h"
#include "DBEdit.h"

#include <QProcess>
#include <QRect>
#include <QTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>

#include <memory>
#include <vector>

struct AmbienteJanela {
    BancoTeste banco;
    std::unique_ptr<TDatamodule1> dm = banco.abrir();
    AvisadorGravador aviso;

    AmbienteJanela() {
        Datamodule1 = dm.get();
        Avisador::instalar(&aviso);
    }
    ~AmbienteJanela() {
        Avisador::instalar(nullptr);
        Datamodule1 = nullptr;
    }

    void novoCliente(const QString &nome, const QString &cpfCnpj = {}) {
        dm->Clientes->abrir();
        dm->Clientes->inserir();
        dm->ClientesCLIENTE->definirValor(nome);
        if (!cpfCnpj.isEmpty())
            dm->ClientesCPFCNPJ->definirValor(cpfCnpj);
        dm->Clientes->gravar();
        dm->Tra->commitRetaining();
    }

    // What another program sees: only committed rows.
    std::vector<Fb::Linha> linhasDeFora(const QString &sql) const {
        auto outra = BancoTeste::conectarDireto(banco.caminho());
        Fb::Transacao tra(*outra);
        tra.iniciar();
        Fb::Comando c(tra, sql);
        std::vector<Fb::Linha> linhas;
        c.abrirCursor();
        for (Fb::Linha l; c.buscar(l);)
            linhas.push_back(l);
        return linhas;
    }
    // The first row only, or an empty one.
    Fb::Linha consultarDeFora(const QString &sql) const {
        const auto linhas = linhasDeFora(sql);
        return linhas.empty() ? Fb::Linha() : linhas.front();
    }
    int contarDeFora(const QString &tabela) const {
        return consultarDeFora(QStringLiteral("select count(*) from ") + tabela).at(0).toInt();
    }
};

inline bool abrir(QWidget &janela) {
    janela.show();
    janela.activateWindow();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &janela; });
}

template <class T = QWidget> T *filho(const QWidget &janela, const char *nome) {
    auto *w = janela.findChild<T *>(QLatin1String(nome));
    if (!w)
        qFatal("widget %s not found", nome);
    return w;
}

// The columns of a window's geometry table: a control's name and where it stands in its parent.
inline void colunasDeGeometria() {
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QRect>("esperado"); // an empty size: only the place is fixed
}

inline void linhaDeGeometria(const char *nome, int x, int y, int w, int h) {
    QTest::newRow(nome) << QString::fromLatin1(nome) << QRect(x, y, w, h);
}

// The window itself, named in the table, has its size fixed; a control has its place and
// size in its parent, or only its place where the table gives no size.
inline void conferirGeometria(QWidget &janela, const QString &nome, const QRect &esperado) {
    QWidget *w = nome == janela.objectName() ? &janela : janela.findChild<QWidget *>(nome);
    QVERIFY2(w, qPrintable(nome));
    if (w == &janela) {
        QCOMPARE(w->size(), esperado.size());
        QCOMPARE(w->minimumSize(), w->maximumSize());
    } else if (esperado.size().isEmpty()) {
        QCOMPARE(w->pos(), esperado.topLeft());
    } else {
        QCOMPARE(w->geometry(), esperado);
    }
}

inline void clicar(const QWidget &janela, const char *botao) {
    QTest::mouseClick(filho<QAbstractButton>(janela, botao), Qt::LeftButton);
}

inline QString texto(const QWidget &janela, const char *campo) {
    return filho<TDBEdit>(janela, campo)->text();
}

inline QString focado() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

// Under an X server with TALVANO_FOTO set to a folder, keeps a picture of the screen.
inline void fotografar(const QString &nome) {
    const QString pasta = qEnvironmentVariable("TALVANO_FOTO");
    if (pasta.isEmpty())
        return;
    QTest::qWait(300);
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"),
                       pasta + QLatin1Char('/') + nome + QStringLiteral(".png")});
}
