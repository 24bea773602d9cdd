#include "Avisador.h"
#include "AvisadorGravador.h"
#include "BancoTeste.h"
#include "BitmapTeste.h"
#include "DBCheckBox.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBImage.h"
#include "DBLookupComboBox.h"
#include "Dinheiro.h"
#include "ErroSistema.h"
#include "Mascara.h"

#include <QBuffer>
#include <QDate>
#include <QRandomGenerator>
#include <QTest>
#include <QtGui/QImageReader>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QScrollBar>
#include <vector>

namespace {

struct Ambiente {
    BancoTeste banco;
    std::unique_ptr<TDatamodule1> dm = banco.abrir();
    AvisadorGravador aviso;
    Ambiente() { Avisador::instalar(&aviso); }
    ~Ambiente() { Avisador::instalar(nullptr); }

    // A picture box bound to the issuer's logo, as the issuer's window binds it.
    void ligarAoLogotipo(TDBImage &caixa) {
        caixa.setDataSource(QStringLiteral("DSemitente"));
        caixa.setDataField(QStringLiteral("FOTO_MARC"));
        caixa.vincular(dm.get());
    }

    void clientes(int quantos) {
        dm->Clientes->abrir();
        for (int i = 0; i < quantos; ++i) {
            dm->Clientes->inserir();
            dm->ClientesCLIENTE->definirValor(
                QStringLiteral("CLIENTE %1").arg(i, 4, 10, QLatin1Char('0')));
            dm->Clientes->gravar();
        }
        dm->Clientes->substituirSql(
            {QStringLiteral("SELECT * FROM CLIENTES"), QStringLiteral("ORDER BY CLIENTE")});
    }
};

QByteArray salvoPeloQt(QImage::Format formato, QSize tamanho) {
    QImage imagem(tamanho, formato);
    if (formato == QImage::Format_Indexed8) {
        imagem.setColorCount(3);
        for (int i = 0; i < 3; ++i)
            imagem.setColor(i, qRgb(80 * i, 0, 0));
    }
    imagem.fill(1);
    QByteArray dados;
    QBuffer buffer(&dados);
    buffer.open(QIODevice::WriteOnly);
    imagem.save(&buffer, "BMP");
    return dados;
}

bool ativar(QWidget &w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; });
}

} // namespace

class TstControles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mascara_data() {
        QTest::addColumn<QString>("mascara");
        QTest::addColumn<QString>("qt");
        QTest::newRow("CEP") << "00000\\-999;1;_"
                             << "99999-000;_";
        QTest::newRow("nascimento") << "!99/99/0000;1;_"
                                    << "00/00/9999;_";
        QTest::newRow("data do recibo") << "!00/00/0000;1;_"
                                        << "99/99/9999;_";
        QTest::newRow("sem máscara") << ""
                                     << "";
    }
    void mascara() {
        QFETCH(QString, mascara);
        QFETCH(QString, qt);
        QCOMPARE(MascaraEdicao::converter(mascara).mascaraQt, qt);
    }

    void campoSegueORegistroEComecaAEdicaoAoDigitar() {
        Ambiente a;
        a.clientes(2);
        QWidget janela;
        auto *nome = new TDBEdit(&janela);
        auto *outro = new TDBEdit(&janela);
        outro->move(0, 40);
        nome->setCharCase(TDBEdit::Maiusculas);
        nome->vincular(a.dm->DSclientes, QStringLiteral("CLIENTE"));
        QVERIFY(ativar(janela));
        QCOMPARE(nome->text(), QStringLiteral("CLIENTE 0000"));
        QCOMPARE(nome->maxLength(), 50);
        a.dm->Clientes->proximo();
        QCOMPARE(nome->text(), QStringLiteral("CLIENTE 0001"));

        nome->setFocus();
        nome->selectAll();
        QTest::keyClicks(nome, QStringLiteral("nova"));
        QCOMPARE(a.dm->Clientes->estado(), Conjunto::Estado::Editando);
        QCOMPARE(nome->text(), QStringLiteral("NOVA"));
        // The field gets the text when the control is left...
        QCOMPARE(a.dm->ClientesCLIENTE->valor().toString(), QStringLiteral("CLIENTE 0001"));
        outro->setFocus();
        QCOMPARE(a.dm->ClientesCLIENTE->valor().toString(), QStringLiteral("NOVA"));
        // ...or, at the latest, when the record is posted.
        nome->setFocus();
        QTest::keyClick(nome, Qt::Key_End);
        QTest::keyClicks(nome, QStringLiteral("!"));
        a.dm->Clientes->gravar();
        QCOMPARE(a.dm->ClientesCLIENTE->valor().toString(), QStringLiteral("NOVA!"));
        QVERIFY(a.aviso.eventos().isEmpty());

        a.dm->Clientes->fechar();
        QCOMPARE(nome->text(), QString());
        QVERIFY(nome->isReadOnly());
    }

    void valorMostradoNoFormatoDoCampo() {
        Ambiente a;
        a.dm->Recibos->abrir();
        a.dm->Recibos->inserir();
        QWidget janela;
        auto *valor = new TDBEdit(&janela);
        auto *outro = new TDBEdit(&janela);
        valor->vincular(a.dm->DSrecibos, QStringLiteral("VALOR"));
        QVERIFY(ativar(janela));
        valor->setFocus();
        QTest::keyClicks(valor, QStringLiteral("1234,5"));
        outro->setFocus();
        QCOMPARE(a.dm->RecibosVALOR->valor().value<Dinheiro>(),
                 *Dinheiro::lerTexto(QStringLiteral("1234,50")));
        QCOMPARE(valor->text(), QStringLiteral("1.234,50"));
    }

    void umCampoRecusadoNaoImpedeOsOutrosNemDeixaGravarPelaMetade() {
        Ambiente a;
        a.dm->Clientes->abrir();
        QWidget janela;
        auto *nome = new TDBEdit(&janela);
        auto *nascimento = new TDBEdit(&janela);
        auto *cep = new TDBEdit(&janela);
        nome->vincular(a.dm->DSclientes, QStringLiteral("CLIENTE"));
        nascimento->vincular(a.dm->DSclientes, QStringLiteral("DATANASCIMENTO"));
        cep->vincular(a.dm->DSclientes, QStringLiteral("CEP"));
        a.dm->Clientes->inserir();
        // Typed and never left: the posting must collect all three.
        nome->definirTextoDigitado(QStringLiteral("Ana"));
        nascimento->definirTextoDigitado(QStringLiteral("31/1"));
        cep->definirTextoDigitado(QStringLiteral("01234-567"));

        QString recusa;
        try {
            a.dm->Clientes->gravar();
        } catch (const ErroSistema &e) {
            recusa = e.mensagem();
        }
        QVERIFY2(recusa.contains(QStringLiteral("não está completo")), qPrintable(recusa));
        QCOMPARE(a.dm->Clientes->estado(), Conjunto::Estado::Inserindo);
        QVERIFY(a.dm->ClientesID_CLIENTE->nulo()); // no number drawn, nothing written
        QCOMPARE(a.dm->ClientesCLIENTE->valor().toString(), QStringLiteral("Ana"));
        QCOMPARE(a.dm->ClientesCEP->valor().toString(), QStringLiteral("01234-567"));
        QVERIFY(nascimento->textoPendente());

        nascimento->definirTextoDigitado(QStringLiteral("31/12/1999"));
        a.dm->Clientes->gravar();
        a.dm->Clientes->substituirSql({QStringLiteral("SELECT * FROM CLIENTES")});
        QCOMPARE(a.dm->Clientes->linhasCarregadas(), 1);
        QCOMPARE(a.dm->ClientesCLIENTE->valor().toString(), QStringLiteral("Ana"));
        QCOMPARE(a.dm->ClientesDATANASCIMENTO->valor().toDate(), QDate(1999, 12, 31));
        QCOMPARE(a.dm->ClientesCEP->valor().toString(), QStringLiteral("01234-567"));
    }

    void gradeBuscaSobDemandaESegueORegistro() {
        Ambiente a;
        a.clientes(250);
        TDBGrid grade;
        grade.resize(300, 200);
        grade.vincular(a.dm->DSclientes);
        QVERIFY(ativar(grade));
        const int iniciais = grade.modelo()->rowCount();
        QVERIFY2(iniciais < 250, qPrintable(QString::number(iniciais)));
        QCOMPARE(iniciais, a.dm->Clientes->linhasCarregadas());

        // A screen at a time.
        for (int i = 0; i < 100 && grade.modelo()->canFetchMore({}); ++i) {
            grade.scrollToBottom();
            QCoreApplication::processEvents();
        }
        QCOMPARE(grade.modelo()->rowCount(), 250);
        QVERIFY(!a.dm->Clientes->podeCarregarMais());

        grade.setCurrentIndex(grade.modelo()->index(3, 1));
        QCOMPARE(a.dm->Clientes->atual(), 3);
        QCOMPARE(a.dm->ClientesCLIENTE->valor().toString(), QStringLiteral("CLIENTE 0003"));
        a.dm->Clientes->irPara(7);
        QCOMPARE(grade.currentIndex().row(), 7);

        a.dm->Clientes->inserir();
        QCOMPARE(grade.modelo()->rowCount(), 251);
        a.dm->ClientesCLIENTE->definirValor(QStringLiteral("NOVO"));
        QCOMPARE(grade.modelo()->index(7, 1).data().toString(), QStringLiteral("NOVO"));
        a.dm->Clientes->cancelar();
        QCOMPARE(grade.modelo()->rowCount(), 250);
        a.dm->Clientes->excluir();
        QCOMPARE(grade.modelo()->rowCount(), 249);
        QCOMPARE(grade.modelo()->index(7, 1).data().toString(), QStringLiteral("CLIENTE 0008"));
    }

    // Ctrl+End reaches the last client of the whole list at once, not the last row read so
    // far; the row indicator keeps its width, with no row numbers, however many rows there are.
    void ctrlEndVaiAoFimEIndicadorFixo() {
        Ambiente a;
        a.clientes(1500);
        TDBGrid grade;
        grade.resize(300, 200);
        grade.vincular(a.dm->DSclientes);
        QVERIFY(ativar(grade));
        const int largura = grade.verticalHeader()->width();
        QCOMPARE(largura, TDBGrid::k_larguraIndicador);
        QCOMPARE(grade.modelo()->headerData(0, Qt::Vertical).toString(), QString());
        grade.setFocus();
        QTest::keyClick(&grade, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grade.currentIndex().row(), 1499);
        QCOMPARE(a.dm->ClientesCLIENTE->valor().toString(), QStringLiteral("CLIENTE 1499"));
        QCOMPARE(grade.verticalHeader()->width(), largura);
        QTest::keyClick(&grade, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(a.dm->ClientesCLIENTE->valor().toString(), QStringLiteral("CLIENTE 0000"));
    }

    void listaDeEscolhaGravaAChave() {
        Ambiente a;
        a.dm->Tipo->substituirSql(
            {QStringLiteral("SELECT * FROM TIPO"), QStringLiteral("ORDER BY ID_TIPO")});
        a.dm->Recibos->abrir();
        TDBLookupComboBox tipo;
        tipo.setDataSource(QStringLiteral("DSrecibos"));
        tipo.setDataField(QStringLiteral("TIPO"));
        tipo.setListSource(QStringLiteral("DStipo"));
        tipo.setKeyField(QStringLiteral("TIPO"));
        tipo.setListField(QStringLiteral("TIPO"));
        tipo.vincular(a.dm.get());
        QCOMPARE(tipo.count(), 2);
        QCOMPARE(tipo.itemText(0), QStringLiteral("DEVEDOR"));
        QCOMPARE(tipo.currentIndex(), -1);

        QVERIFY(ativar(tipo));
        QTest::keyClick(&tipo, Qt::Key_Down);
        QCOMPARE(a.dm->Recibos->estado(), Conjunto::Estado::Inserindo);
        QCOMPARE(a.dm->RecibosTIPO->valor().toString(), tipo.currentText());
        a.dm->Recibos->cancelar();
        QCOMPARE(tipo.currentIndex(), -1);
    }

    void lerBitmap_data() {
        QTest::addColumn<QByteArray>("dados");
        QTest::addColumn<QSize>("tamanho");  // 0 x 0: no picture
        QTest::addColumn<QString>("recusa"); // empty: accepted
        const QString naoBitmap = QStringLiteral("O arquivo não é uma imagem bitmap (BMP) válida.");
        // Every file that the reader would take in part, down to its last row, is refused.
        const auto inteiroECortado = [](const QByteArray &nome, const QByteArray &dados,
                                        QSize tamanho, qsizetype corte = 1) {
            QTest::newRow(QByteArray(nome + " inteiro").constData())
                << dados << tamanho << QString();
            QTest::newRow(QByteArray(nome + " cortado").constData())
                << dados.chopped(corte) << QSize(0, 0)
                << QStringLiteral("O arquivo bitmap (BMP) está incompleto: tem %1 bytes dos %2 "
                                  "que a imagem de %3 x %4 pixels ocupa.")
                       .arg(dados.size() - corte)
                       .arg(dados.size())
                       .arg(tamanho.width())
                       .arg(tamanho.height());
        };
        inteiroECortado("1 bit", salvoPeloQt(QImage::Format_Mono, {33, 5}), {33, 5});
        inteiroECortado("8 bits com paleta", salvoPeloQt(QImage::Format_Indexed8, {17, 9}),
                        {17, 9});
        inteiroECortado("24 bits", salvoPeloQt(QImage::Format_RGB888, {7, 3}), {7, 3});
        inteiroECortado("32 bits com alfa", salvoPeloQt(QImage::Format_ARGB32, {5, 4}), {5, 4});
        inteiroECortado("linhas de cima para baixo", bitmapEscrito(4, -3, 24), {4, 3});
        // Two rows of four pixels of colour 1, then the end of the picture.
        const QByteArray rle("\x04\x01\x00\x00\x04\x01\x00\x00\x00\x01", 10);
        inteiroECortado("8 bits em run-length", bitmapEscrito(4, 2, 8, rle, 1, 2), {4, 2}, 3);

        QTest::newRow("cabeçalho cortado")
            << salvoPeloQt(QImage::Format_RGB888, {7, 3}).left(40) << QSize(0, 0) << naoBitmap;
        QTest::newRow("sem a assinatura BM")
            << salvoPeloQt(QImage::Format_RGB32, {8, 8}).replace(0, 2, "XX") << QSize(0, 0)
            << naoBitmap;
        QTest::newRow("profundidade inexistente")
            << bitmapEscrito(4, 4, 7) << QSize(0, 0) << naoBitmap;
        QTest::newRow("20000 x 20000 pixels")
            << bitmapEscrito(20000, 20000, 24, "x") << QSize(0, 0)
            << QStringLiteral(
                   "A imagem de 20000 x 20000 pixels é grande demais para ser aberta na memória.");
        QTest::newRow("largura no limite do cabeçalho")
            << bitmapEscrito(2147483647, 2147483647, 32, "x") << QSize(0, 0)
            << QStringLiteral("A imagem de 2147483647 x 2147483647 pixels é grande demais "
                              "para ser aberta na memória.");
    }

    void lerBitmap() {
        QFETCH(QByteArray, dados);
        QFETCH(QSize, tamanho);
        QFETCH(QString, recusa);
        const int limite = QImageReader::allocationLimit();
        QString motivo;
        QImage imagem;
        try {
            imagem = TDBImage::lerBitmap(dados);
        } catch (const ErroSistema &e) {
            motivo = e.mensagem();
        }
        QCOMPARE(motivo, recusa);
        QCOMPARE(imagem.size(), tamanho);
        QCOMPARE(QImageReader::allocationLimit(), limite);
    }

    // What a run-length coded bitmap skips (a jump, a line or the picture ended early) is
    // colour 0 of its table, whatever the memory under the picture held before. The bottom
    // line is white, two pixels of the next one, a jump, one pixel, and the end.
    void rleSaltadoFicaNaCorZero_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QByteArray>("pixels");
        QTest::newRow("8 bits") << 8
                                << QByteArray("\x40\x0f\x00\x00\x02\x0f\x00\x02\x03\x01"
                                              "\x01\x0f\x00\x01",
                                              14);
        QTest::newRow("4 bits") << 4
                                << QByteArray("\x40\xff\x00\x00\x02\xff\x00\x02\x03\x01"
                                              "\x01\xff\x00\x01",
                                              14);
        QTest::newRow("8 bits, absolute stretch")
            << 8
            << QByteArray("\x40\x0f\x00\x00\x00\x03\x0f\x0f\x00\x00\x00\x02\x02\x01"
                          "\x01\x0f\x00\x01",
                          18);
    }
    void rleSaltadoFicaNaCorZero() {
        QFETCH(int, bits);
        QFETCH(QByteArray, pixels);
        constexpr int largura = 64, altura = 32;
        const QByteArray arquivo =
            bitmapEscrito(largura, altura, bits, pixels, bits == 8 ? 1 : 2, 16);
        Ambiente a;
        a.dm->Emitente->abrir();
        TDBImage caixa;
        a.ligarAoLogotipo(caixa);
        {
            // The memory the picture is decoded into held something else before.
            std::vector<uchar> lixo(64 * 1024, 0xab);
        }
        caixa.carregarBitmap(arquivo);
        QVERIFY(a.dm->EmitenteFOTO_MARC->valor().toByteArray() == arquivo);
        const QImage imagem = caixa.imagem();
        QCOMPARE(imagem.size(), QSize(largura, altura));
        for (int y = 0; y < altura; ++y)
            for (int x = 0; x < largura; ++x) {
                const bool branco =
                    y == altura - 1 || (y == altura - 2 && x < 2) || (y == altura - 3 && x == 5);
                QVERIFY2(
                    imagem.pixel(x, y) == (branco ? qRgb(255, 255, 255) : qRgb(0, 0, 0)),
                    qPrintable(
                        QStringLiteral("%1, %2: %3").arg(x).arg(y).arg(imagem.pixel(x, y), 8, 16)));
            }
        a.dm->Emitente->cancelar();
    }

    // Pixels that name entries past the end of the colour table: painting read past it.
    void paletaCurtaViraCoresDiretas() {
        Ambiente a;
        a.dm->Emitente->abrir();
        TDBImage caixa;
        a.ligarAoLogotipo(caixa);
        caixa.resize(40, 40);
        const QByteArray arquivo = bitmapEscrito(16, 16, 8, QByteArray(16 * 16, '\xff'), 0, 1);
        caixa.carregarBitmap(arquivo);
        QVERIFY(a.dm->EmitenteFOTO_MARC->valor().toByteArray() == arquivo);
        QCOMPARE(caixa.imagem().size(), QSize(16, 16));
        QVERIFY(caixa.imagem().colorCount() == 0);
        QCOMPARE(caixa.imagem().pixel(7, 7), qRgb(0, 0, 0));
        QImage pintada(caixa.size(), QImage::Format_RGB32);
        caixa.render(&pintada);
        QCOMPARE(pintada.pixel(20, 20), qRgb(0, 0, 0));
    }

    // Thousands of damaged bitmaps through the real loading path and the painting: each is
    // shown or refused, and a refused one leaves the stored logo as it was.
    void bitmapsDanificadosNaoDerrubam() {
        Ambiente a;
        a.dm->Emitente->abrir();
        const QByteArray guardado = salvoPeloQt(QImage::Format_RGB888, {6, 6});
        a.dm->Emitente->inserir();
        a.dm->EmitenteFOTO_MARC->definirValor(guardado);
        a.dm->Emitente->gravar();
        TDBImage caixa;
        a.ligarAoLogotipo(caixa);
        caixa.resize(48, 48);
        QImage pintada(caixa.size(), QImage::Format_RGB32);

        const QByteArray rle("\x04\x01\x00\x00\x04\x05\x00\x00\x00\x01", 10);
        const QList<QByteArray> modelos{
            bitmapEscrito(16, 16, 8, QByteArray(16 * 16, '\x03'), 0, 4),
            bitmapEscrito(9, 7, 4, {}, 0, 3),
            bitmapEscrito(33, 5, 1, {}, 0, 1),
            bitmapEscrito(4, 2, 8, rle, 1, 2),
            bitmapEscrito(5, -3, 24),
            salvoPeloQt(QImage::Format_Indexed8, {17, 9}),
            salvoPeloQt(QImage::Format_ARGB32, {5, 4}),
        };
        QRandomGenerator sorte(20240611);
        int aceitos = 0;
        for (int rodada = 0; rodada < 3000; ++rodada) {
            QByteArray dados = modelos[int(sorte.bounded(qsizetype(modelos.size())))];
            const int mudancas = 1 + int(sorte.bounded(8));
            for (int m = 0; m < mudancas; ++m) {
                // Half of the changes fall on the headers and the colour table.
                const int limite =
                    sorte.bounded(2) ? qMin(int(dados.size()), 70) : int(dados.size());
                dados[int(sorte.bounded(limite))] = char(sorte.bounded(256));
            }
            if (sorte.bounded(10) == 0)
                dados.truncate(int(sorte.bounded(int(dados.size()))));
            const QByteArray antes = a.dm->EmitenteFOTO_MARC->valor().toByteArray();
            try {
                caixa.carregarBitmap(dados);
                ++aceitos;
                QVERIFY(a.dm->EmitenteFOTO_MARC->valor().toByteArray() == dados);
                QVERIFY(caixa.imagem().isNull() || caixa.imagem().colorCount() == 0);
            } catch (const ErroSistema &) {
                QVERIFY(a.dm->EmitenteFOTO_MARC->valor().toByteArray() == antes);
            }
            caixa.render(&pintada);
        }
        // The damage left many files readable: the painting of odd pictures was exercised.
        QVERIFY2(aceitos > 300, qPrintable(QString::number(aceitos)));
        a.dm->Emitente->cancelar();
    }

    void caixaDeMarcarGravaOIndicador() {
        Ambiente a;
        a.dm->Configuracao->abrir();
        TDBCheckBox caixa;
        caixa.setDataSource(QStringLiteral("DSconfiguracao"));
        caixa.setDataField(QStringLiteral("CONFIGURACAO1"));
        caixa.vincular(a.dm.get());
        const bool antes =
            a.dm->ConfiguracaoCONFIGURACAO1->valor().toString() == QLatin1String("Y");
        QCOMPARE(caixa.isChecked(), antes);
        QVERIFY(ativar(caixa));
        QTest::mouseClick(&caixa, Qt::LeftButton, {}, QPoint(5, caixa.height() / 2));
        QCOMPARE(a.dm->Configuracao->estado(), Conjunto::Estado::Editando);
        QCOMPARE(a.dm->ConfiguracaoCONFIGURACAO1->valor().toString(),
                 antes ? QStringLiteral("N") : QStringLiteral("Y"));
        a.dm->Configuracao->cancelar();
        QCOMPARE(caixa.isChecked(), antes);
    }
};

QTEST_MAIN(TstControles)
#include "tst_controles.moc"
