#include "Avisador.h"
#include "AvisadorGravador.h"
#include "ErroSistema.h"
#include "Protegido.h"

#include <QTest>

#include <stdexcept>

namespace {

enum class Falha { Nenhuma, DoSistema, Padrao, Outra };

void executar(Falha falha) {
    switch (falha) {
    case Falha::Nenhuma:
        return;
    case Falha::DoSistema:
        throw ErroSistema(QStringLiteral("conexão perdida"));
    case Falha::Padrao:
        throw std::runtime_error("disco cheio");
    case Falha::Outra:
        throw 42;
    }
}

} // namespace

Q_DECLARE_METATYPE(Falha)

class TstProtegido : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { Avisador::instalar(&m_avisos); }
    void cleanup() {
        Avisador::instalar(nullptr);
        m_avisos.limpar();
    }
    void erroMostradoDepoisDeRecompor_data();
    void erroMostradoDepoisDeRecompor();
    void falhaAoRecomporTambemEMostrada();

private:
    AvisadorGravador m_avisos;
};

void TstProtegido::erroMostradoDepoisDeRecompor_data() {
    QTest::addColumn<Falha>("falha");
    QTest::addColumn<QString>("texto");
    QTest::newRow("sem erro") << Falha::Nenhuma << QString();
    QTest::newRow("erro do sistema") << Falha::DoSistema << QStringLiteral("conexão perdida");
    QTest::newRow("exceção padrão") << Falha::Padrao << QStringLiteral("disco cheio");
    QTest::newRow("qualquer outra") << Falha::Outra << QStringLiteral("Erro inesperado.");
}

void TstProtegido::erroMostradoDepoisDeRecompor() {
    QFETCH(Falha, falha);
    QFETCH(QString, texto);
    using E = AvisadorGravador::Evento;

    QCOMPARE(protegido([&] { executar(falha); }), falha == Falha::Nenhuma);
    const QList<E> soOErro = texto.isEmpty() ? QList<E>{} : QList<E>{{E::Erro, texto}};
    QCOMPARE(m_avisos.eventos(), soOErro);

    // The window is put back in order first; the error box comes after.
    m_avisos.limpar();
    const bool terminou =
        protegido([&] { executar(falha); },
                  [&] { Avisador::atual().mensagem(QStringLiteral("recomposto")); });
    QCOMPARE(terminou, falha == Falha::Nenhuma);
    const QList<E> esperados =
        texto.isEmpty() ? QList<E>{}
                        : QList<E>{{E::Mensagem, QStringLiteral("recomposto")}, {E::Erro, texto}};
    QCOMPARE(m_avisos.eventos(), esperados);
}

void TstProtegido::falhaAoRecomporTambemEMostrada() {
    using E = AvisadorGravador::Evento;
    const bool terminou = protegido([] { executar(Falha::DoSistema); },
                                    [] { throw std::runtime_error("não deu para desfazer"); });
    QVERIFY(!terminou);
    // Neither escapes: both reach the user, the original one last.
    QCOMPARE(m_avisos.eventos(), (QList<E>{{E::Erro, QStringLiteral("não deu para desfazer")},
                                           {E::Erro, QStringLiteral("conexão perdida")}}));
}

QTEST_GUILESS_MAIN(TstProtegido)
#include "tst_protegido.moc"
