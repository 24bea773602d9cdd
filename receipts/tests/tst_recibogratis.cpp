#include "AvisadorGravador.h"
#include "Calculad.h"
#include "ColFocus.h"
#include "DataExtenso.h"
#include "Fontes.h"
#include "Impressao.h"
#include "JanelaTeste.h"
#include "Relatorio.h"
#include "UNconfiguracoes.h"
#include "UNpreview.h"
#include "UNreport.h"
#include "Unit1.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>

using Evento = AvisadorGravador::Evento;

namespace {

const QString k_extenso =
    QStringLiteral("Um Mil, e Duzentos e Trinta e Quatro Reais, e Cinqüenta Centavos.");
const QString k_intervalo =
    QStringLiteral("O valor está fora do intervalo permitido. O número deve ser maior ou igual "
                   "a zero e menor que 999.999,99. Se não for corrigido o número não será "
                   "escrito por extenso.");

// The fields in tab order.
const char *const k_campos[] = {"LabeledEdit2", "LabeledEdit3", "Memo1", "Memo2", "LabeledEdit4",
                                "LabeledEdit9", "LabeledEdit6", "Memo3", "Memo4"};

// The window with the layout holder and the other windows it opens, over a fresh database.
struct Ambiente : AmbienteJanela {
    TFRreport report;
    TFormCalculadora calculadora;
    TFRconfiguracoes configuracoes;
    TFRrecibogratis janela;
    Ambiente() {
        FRreport = &report;
        FormCalculadora = &calculadora;
        FRconfiguracoes = &configuracoes;
        dm->Configuracao->abrir();
    }
    ~Ambiente() {
        FRreport = nullptr;
        FormCalculadora = nullptr;
        FRconfiguracoes = nullptr;
    }
    QLineEdit *campo(const char *nome) const { return filho<QLineEdit>(janela, nome); }
    void digitar(const char *nome, const QString &texto) const {
        QLineEdit *c = campo(nome);
        c->setFocus(Qt::MouseFocusReason);
        c->selectAll();
        QTest::keyClicks(c, texto);
    }
};

QString impresso(const PaginaPreparada &pagina, const QString &objeto) {
    for (const ElementoPreparado &e : pagina.elementos) {
        if (const auto *t = std::get_if<TextoPreparado>(&e); t && t->nome == objeto) {
            QStringList linhas;
            for (const LinhaDeTexto &l : t->linhas)
                linhas << l.texto;
            return linhas.join(u' ');
        }
    }
    return {};
}

// Clicks a button and answers what modal window it opened, closing it; a window that lives only
// while it is open is seen through `noModal`.
QWidget *janelaAberta(const QWidget &j, const char *botao,
                      const std::function<void(QWidget *)> &noModal = {}) {
    QWidget *aberta = nullptr;
    QTimer espera; // the window may open after some work of its own: look until it is there
    espera.setInterval(10);
    QObject::connect(&espera, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == &j)
            return;
        espera.stop();
        aberta = modal;
        if (noModal)
            noModal(aberta);
        aberta->close();
    });
    espera.start();
    clicar(j, botao);
    return aberta;
}

// A stand-in calculator program that leaves a mark when it runs.
void instalarCalculadora(const QString &pasta, const QString &nome) {
    QFile f(pasta + u'/' + nome);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\necho > \"%1/%2.rodou\"\n").arg(pasta, nome).toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

} // namespace

class TstReciboGratis : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Fontes::garantirCarregadas(); }
    void cleanupTestCase() { Fb::encerrar(); }

    void geometria_data();
    void geometria();
    void aoMostrar();
    void sairDoValor_data();
    void sairDoValor();
    void enterEEsc_data();
    void enterEEsc();
    void destaqueSoComMoldura();
    void visualizarImprimeOsCamposComoEstao_data();
    void visualizarImprimeOsCamposComoEstao();
    void imprimirSemImpressora();
    void apagarDadosGuardaAData();
    void calculadora_data();
    void calculadora();
    void configuracoes();
    void sair_data();
    void sair();
};

void TstReciboGratis::geometria_data() {
    colunasDeGeometria();
    linhaDeGeometria("TFRrecibogratis", 0, 0, 774, 586);
    linhaDeGeometria("Label1", 16, 26, 0, 0);
    linhaDeGeometria("Label2", 447, 13, 0, 0);
    linhaDeGeometria("LabeledEdit2", 448, 31, 177, 28);
    linhaDeGeometria("Label3", 16, 78, 0, 0);
    linhaDeGeometria("LabeledEdit3", 16, 94, 610, 22);
    linhaDeGeometria("Label4", 16, 132, 0, 0);
    linhaDeGeometria("Memo1", 16, 148, 610, 22);
    linhaDeGeometria("Label5", 16, 186, 0, 0);
    linhaDeGeometria("Memo2", 16, 202, 610, 22);
    linhaDeGeometria("Label6", 16, 240, 0, 0);
    linhaDeGeometria("LabeledEdit4", 16, 256, 610, 22);
    linhaDeGeometria("Label7", 16, 294, 0, 0);
    linhaDeGeometria("LabeledEdit9", 16, 310, 610, 22);
    linhaDeGeometria("Label8", 16, 348, 0, 0);
    linhaDeGeometria("LabeledEdit6", 16, 364, 610, 22);
    linhaDeGeometria("Label9", 16, 402, 0, 0);
    linhaDeGeometria("Memo3", 16, 418, 610, 22);
    linhaDeGeometria("Label10", 16, 456, 0, 0);
    linhaDeGeometria("Memo4", 16, 472, 610, 22);
    linhaDeGeometria("GroupBox1", 662, 25, 97, 97);
    linhaDeGeometria("GroupBox2", 662, 125, 97, 97);
    linhaDeGeometria("GroupBox3", 662, 225, 97, 97);
    linhaDeGeometria("GroupBox4", 662, 325, 97, 97);
    linhaDeGeometria("SpeedButton3", 13, 19, 70, 70);
    linhaDeGeometria("SpeedButton1", 13, 19, 70, 70);
    linhaDeGeometria("SpeedButton2", 13, 19, 70, 70);
    linhaDeGeometria("SpeedButton9", 13, 19, 70, 70);
    linhaDeGeometria("SpeedButton4", 16, 523, 150, 46);
    linhaDeGeometria("SpeedButton5", 475, 523, 150, 46);
}

void TstReciboGratis::geometria() {
    QFETCH(QString, nome);
    QFETCH(QRect, esperado);
    TFRrecibogratis j;
    QCOMPARE(j.windowTitle(), QStringLiteral("Brevano V-1.3"));
    conferirGeometria(j, nome, esperado);
    // No button takes the focus, so clicking one never leaves the field being typed in.
    if (auto *botao = j.findChild<QAbstractButton *>(nome))
        QCOMPARE(botao->focusPolicy(), Qt::NoFocus);
}

void TstReciboGratis::aoMostrar() {
    Ambiente a;
    QVERIFY(abrir(a.janela));
    QCOMPARE(focado(), QStringLiteral("LabeledEdit2"));
    QCOMPARE(a.campo("LabeledEdit6")->text(), DataPorExtenso(QDate::currentDate()));
    for (const char *nome : k_campos)
        if (qstrcmp(nome, "LabeledEdit6") != 0)
            QVERIFY2(a.campo(nome)->text().isEmpty(), nome);
}

void TstReciboGratis::sairDoValor_data() {
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("valor");
    QTest::addColumn<QString>("extenso");  // the words field held "antes" until then
    QTest::addColumn<QString>("erro");     // the error box, if any
    QTest::addColumn<QString>("mensagem"); // the notice, if any
    QTest::addColumn<QString>("foco");
    QTest::newRow("1234,5") << "1234,5"
                            << "1.234,50" << k_extenso << ""
                            << ""
                            << "LabeledEdit3";
    QTest::newRow("já formatado fica como está") << "1.234,50"
                                                 << "1.234,50" << k_extenso << ""
                                                 << ""
                                                 << "LabeledEdit3";
    QTest::newRow("com expoente") << "1,5E3"
                                  << "1.500,00"
                                  << "Um Mil, e Quinhentos Reais."
                                  << ""
                                  << ""
                                  << "LabeledEdit3";
    QTest::newRow("zero") << "0"
                          << "0,00"
                          << ""
                          << ""
                          << ""
                          << "LabeledEdit3";
    QTest::newRow("menos de meio centavo") << "0,004"
                                           << "0,00"
                                           << ""
                                           << ""
                                           << ""
                                           << "LabeledEdit3";
    QTest::newRow("negativo") << "-5"
                              << "-5,00"
                              << ""
                              << "" << k_intervalo << "LabeledEdit3";
    QTest::newRow("acima do extenso") << "1000000"
                                      << "1.000.000,00"
                                      << ""
                                      << "" << k_intervalo << "LabeledEdit3";
    QTest::newRow("não é número") << "12abc"
                                  << "12abc"
                                  << "antes"
                                  << "'12abc' não é um valor válido."
                                  << ""
                                  << "LabeledEdit2";
    QTest::newRow("vazio") << ""
                           << ""
                           << "antes"
                           << ""
                           << ""
                           << "LabeledEdit3";
}

// Enter leaves the value field for "Recebi de": the value is read, written in words and
// rewritten; a text that is not a number changes nothing and keeps the focus.
void TstReciboGratis::sairDoValor() {
    QFETCH(QString, digitado);
    QFETCH(QString, valor);
    QFETCH(QString, extenso);
    QFETCH(QString, erro);
    QFETCH(QString, mensagem);
    QFETCH(QString, foco);
    Ambiente a;
    QVERIFY(abrir(a.janela));
    a.campo("Memo1")->setText(QStringLiteral("antes"));
    a.digitar("LabeledEdit2", digitado);
    QTest::keyClick(a.campo("LabeledEdit2"), Qt::Key_Return);
    QCOMPARE(a.campo("LabeledEdit2")->text(), valor);
    QCOMPARE(a.campo("Memo1")->text(), extenso);
    QList<Evento> esperado;
    if (!erro.isEmpty())
        esperado << Evento{Evento::Erro, erro};
    if (!mensagem.isEmpty())
        esperado << Evento{Evento::Mensagem, mensagem};
    QCOMPARE(a.aviso.eventos(), esperado);
    QCOMPARE(focado(), foco);
    QVERIFY(a.janela.isVisible());
}

void TstReciboGratis::enterEEsc_data() {
    QTest::addColumn<QString>("de");
    QTest::addColumn<int>("tecla");
    QTest::addColumn<QString>("para");
    QTest::newRow("Esc do valor volta para Dados Emitente")
        << "LabeledEdit2" << int(Qt::Key_Escape) << "Memo4";
    QTest::newRow("Enter do último volta ao valor")
        << "Memo4" << int(Qt::Key_Return) << "LabeledEdit2";
    QTest::newRow("Enter pula o extenso") << "LabeledEdit3" << int(Qt::Key_Enter) << "Memo2";
    QTest::newRow("Enter pula a data") << "LabeledEdit9" << int(Qt::Key_Return) << "Memo3";
    QTest::newRow("Esc pula o extenso") << "Memo2" << int(Qt::Key_Escape) << "LabeledEdit3";
    QTest::newRow("Enter da data clicada segue a ordem")
        << "LabeledEdit6" << int(Qt::Key_Return) << "Memo3";
}

void TstReciboGratis::enterEEsc() {
    QFETCH(QString, de);
    QFETCH(int, tecla);
    QFETCH(QString, para);
    Ambiente a;
    QVERIFY(abrir(a.janela));
    QLineEdit *origem = a.campo(de.toLatin1().constData());
    origem->setFocus(Qt::MouseFocusReason);
    const QString texto = origem->text();
    QTest::keyClick(origem, Qt::Key(tecla));
    QCOMPARE(focado(), para);
    QCOMPARE(origem->text(), texto);
    // Neither key closes the window nor presses a button.
    QVERIFY(a.janela.isVisible());
    QVERIFY(a.aviso.eventos().isEmpty());
}

// The focused field gets the red ring and keeps its own background.
void TstReciboGratis::destaqueSoComMoldura() {
    Ambiente a;
    QVERIFY(abrir(a.janela));
    QLineEdit *campo = a.campo("Memo3");
    const QColor fundo = campo->palette().color(QPalette::Base);
    campo->setFocus(Qt::TabFocusReason);
    auto *destaque = a.janela.findChild<TColFocus *>();
    QVERIFY(destaque);
    QCOMPARE(destaque->destacado(), campo);
    QVERIFY(destaque->ativaBorda());
    QCOMPARE(destaque->bordaColor(), QColor(Qt::red));
    QCOMPARE(campo->palette().color(QPalette::Base), fundo);
}

void TstReciboGratis::visualizarImprimeOsCamposComoEstao_data() {
    QTest::addColumn<QString>("emitente");
    QTest::addColumn<QString>("sobALinha");
    QTest::newRow("sem emitente") << ""
                                  << "Assinatura";
    QTest::newRow("com emitente") << "Padaria Bom Pao"
                                  << "Padaria Bom Pao";
}

// A value typed and "Visualizar..." clicked at once: the raw text and whatever the words held.
void TstReciboGratis::visualizarImprimeOsCamposComoEstao() {
    QFETCH(QString, emitente);
    QFETCH(QString, sobALinha);
    Ambiente a;
    QVERIFY(abrir(a.janela));
    a.campo("Memo1")->setText(QStringLiteral("Um Real."));
    a.digitar("Memo3", emitente);
    a.digitar("LabeledEdit3", QStringLiteral("Maria da Silva"));
    a.digitar("LabeledEdit2", QStringLiteral("1234,5"));
    PaginaPreparada pagina;
    bool preview = false;
    janelaAberta(a.janela, "SpeedButton3", [&](QWidget *w) {
        auto *p = qobject_cast<TFRpreview *>(w);
        preview = p && !p->relatorio()->paginas.isEmpty();
        if (preview)
            pagina = p->relatorio()->paginas.first();
    });
    QVERIFY(preview);
    QCOMPARE(impresso(pagina, "Lvalor"), QStringLiteral("1234,5"));
    QCOMPARE(impresso(pagina, "Lextenso"), QStringLiteral("Um Real."));
    QCOMPARE(impresso(pagina, "Lnome"), QStringLiteral("Maria da Silva"));
    QCOMPARE(impresso(pagina, "Ldata"), DataPorExtenso(QDate::currentDate()));
    QCOMPARE(impresso(pagina, "LBemitente"), sobALinha);
    // The field was not left: it keeps its text and the focus.
    QCOMPARE(a.campo("LabeledEdit2")->text(), QStringLiteral("1234,5"));
    QCOMPARE(a.janela.focusWidget(), a.campo("LabeledEdit2"));
}

// No printer: the report service says so; the layout holds the texts of the fields.
void TstReciboGratis::imprimirSemImpressora() {
    if (Impressao::haImpressora())
        QSKIP("há impressoras instaladas nesta máquina");
    Ambiente a;
    QVERIFY(abrir(a.janela));
    a.digitar("Memo2", QStringLiteral("Aluguel de marco"));
    clicar(a.janela, "SpeedButton1");
    QCOMPARE(a.aviso.eventos(), (QList<Evento>{{Evento::Mensagem, Impressao::semImpressora}}));
    QCOMPARE(FindObject(a.report.report(), QStringLiteral("Lreferente"))->texto,
             QStringLiteral("Aluguel de marco"));
}

void TstReciboGratis::apagarDadosGuardaAData() {
    Ambiente a;
    QVERIFY(abrir(a.janela));
    for (const char *nome : k_campos)
        a.campo(nome)->setText(QStringLiteral("texto"));
    a.campo("Memo4")->setFocus(Qt::MouseFocusReason);
    clicar(a.janela, "SpeedButton4");
    for (const char *nome : k_campos)
        QCOMPARE(a.campo(nome)->text(),
                 qstrcmp(nome, "LabeledEdit6") == 0 ? QStringLiteral("texto") : QString());
    QCOMPARE(focado(), QStringLiteral("LabeledEdit2"));
}

void TstReciboGratis::calculadora_data() {
    QTest::addColumn<QStringList>("instaladas");
    QTest::addColumn<QString>("aberta"); // empty: the program's own calculator window
    QTest::newRow("nenhuma: a do programa") << QStringList{} << "";
    QTest::newRow("uma") << QStringList{"kcalc"} << "kcalc";
    QTest::newRow("a primeira da lista") << QStringList{"xcalc", "galculator"} << "galculator";
}

// The button always opens a calculator: the desktop's when there is one, else ours.
void TstReciboGratis::calculadora() {
    QFETCH(QStringList, instaladas);
    QFETCH(QString, aberta);
    QTemporaryDir pasta;
    for (const QString &nome : instaladas)
        instalarCalculadora(pasta.path(), nome);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", pasta.path().toLocal8Bit());
    Ambiente a;
    QVERIFY(abrir(a.janela));
    QWidget *modal = janelaAberta(a.janela, "SpeedButton2");
    qputenv("PATH", path);
    if (aberta.isEmpty()) {
        QCOMPARE(modal, &a.calculadora);
    } else {
        QVERIFY(!modal);
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(pasta.filePath(aberta + ".rodou")); }));
        for (const QString &nome : instaladas)
            if (nome != aberta)
                QVERIFY(!QFile::exists(pasta.filePath(nome + ".rodou")));
    }
    QVERIFY(a.janela.isVisible());
}

void TstReciboGratis::configuracoes() {
    Ambiente a;
    QVERIFY(abrir(a.janela));
    QCOMPARE(janelaAberta(a.janela, "SpeedButton9"), &a.configuracoes);
    QVERIFY(a.janela.isVisible());
}

void TstReciboGratis::sair_data() {
    QTest::addColumn<bool>("pelaCaixa");
    QTest::newRow("Sair") << false;
    QTest::newRow("caixa de fechar") << true;
}

void TstReciboGratis::sair() {
    QFETCH(bool, pelaCaixa);
    Ambiente a;
    int resultado = -1;
    QTimer::singleShot(0, &a.janela, [&] {
        if (pelaCaixa)
            a.janela.close();
        else
            clicar(a.janela, "SpeedButton5");
    });
    resultado = a.janela.exec();
    QCOMPARE(resultado, int(QDialog::Rejected));
    QVERIFY(!a.janela.isVisible());
}

QTEST_MAIN(TstReciboGratis)
#include "tst_recibogratis.moc"
