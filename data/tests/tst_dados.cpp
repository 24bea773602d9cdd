#include "BancoTeste.h"
#include "Dinheiro.h"
#include "Duravel.h"
#include "ErroSistema.h"
#include "Firebird.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QTest>
#include <QThread>
#include <QTime>
#include <csignal>
#include <functional>

namespace {

Dinheiro reais(const char *texto) {
    return *Dinheiro::lerTexto(QString::fromUtf8(texto));
}

int novoCliente(TDatamodule1 &dm, const QString &nome) {
    dm.Clientes->inserir();
    dm.ClientesCLIENTE->definirValor(nome);
    dm.Clientes->gravar();
    return dm.ClientesID_CLIENTE->valor().toInt();
}

// Stands for a bound control that still holds typed text.
struct EntregadorDeTeste : EntregadorTexto {
    std::function<void()> acao;
    int vezes = 0;
    void entregarPendente() override {
        ++vezes;
        if (acao)
            acao();
    }
};

int contarNaTransacao(TDatamodule1 &dm, const QString &sql) {
    return Fb::Comando(*dm.Tra, sql).executar().at(0).toInt();
}

// Counts rows through a connection of its own, as another program would.
int contarPorOutraConexao(const QString &caminho, const QString &sql) {
    auto outra = BancoTeste::conectarDireto(caminho);
    Fb::Transacao tra(*outra);
    tra.iniciar();
    const Fb::Linha linha = Fb::Comando(tra, sql).executar();
    return linha.at(0).toInt();
}

} // namespace

class TstDados : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void todoTipoDeColunaVaiEVoltaExato() {
        BancoTeste banco;
        QByteArray logo(5 * 1024 * 1024 + 7, Qt::Uninitialized);
        QRandomGenerator gerador(42);
        for (char &b : logo)
            b = char(gerador.bounded(256));
        {
            auto dm = banco.abrir();
            dm->Clientes->abrir();
            dm->Clientes->inserir();
            dm->ClientesCLIENTE->definirValor(QStringLiteral("São João Cinqüenta Três"));
            dm->ClientesDATANASCIMENTO->definirValor(QDate(1999, 12, 31));
            dm->ClientesPADRAO->definirValor(QStringLiteral("N"));
            dm->Clientes->gravar();

            dm->Recibos->abrir();
            for (const char *valor : {"999.999,99", "0,01"}) {
                dm->Recibos->inserir();
                dm->RecibosVALOR->definirValor(QVariant::fromValue(reais(valor)));
                dm->RecibosHORA->definirValor(QTime(23, 59, 58));
                dm->RecibosDATA->definirValor(QDate(2012, 3, 5));
                dm->Recibos->gravar();
            }
            dm->Emitente->abrir();
            for (const QByteArray &foto : {QByteArray(""), logo}) {
                dm->Emitente->inserir();
                dm->EmitenteFOTO_MARC->definirValor(foto);
                dm->Emitente->gravar();
            }
            dm->Tra->commitRetaining();
        }
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        QCOMPARE(dm->ClientesCLIENTE->valor().toString(),
                 QStringLiteral("São João Cinqüenta Três"));
        QCOMPARE(dm->ClientesDATANASCIMENTO->valor().toDate(), QDate(1999, 12, 31));
        QVERIFY(dm->ClientesEMAIL->nulo());
        QVERIFY(dm->ClientesCEP->nulo());
        QCOMPARE(dm->ClientesPADRAO->valor().toString(), QStringLiteral("N"));

        dm->Recibos->substituirSql(
            {QStringLiteral("SELECT * FROM RECIBOS"), QStringLiteral("ORDER BY ID_RECIBO")});
        QCOMPARE(dm->RecibosVALOR->valor().value<Dinheiro>().centavos(), 99999999);
        QCOMPARE(dm->RecibosVALOR->texto(), QStringLiteral("999.999,99"));
        QCOMPARE(dm->RecibosHORA->valor().toTime(), QTime(23, 59, 58));
        QCOMPARE(dm->RecibosDATA->texto(), QStringLiteral("05/03/2012"));
        QVERIFY(dm->RecibosCLIENTE->nulo());
        dm->Recibos->proximo();
        QCOMPARE(dm->RecibosVALOR->valor().value<Dinheiro>().centavos(), 1);

        dm->Emitente->substituirSql(
            {QStringLiteral("SELECT * FROM EMITENTE ORDER BY ID_EMITENTE")});
        QCOMPARE(dm->EmitenteFOTO_MARC->valor().toByteArray().size(), 0);
        dm->Emitente->proximo();
        QVERIFY(dm->EmitenteFOTO_MARC->valor().toByteArray() == logo);
    }

    void textoForaDaTabelaRecusadoENadaGravadoMuda_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("nomeado"); // how the message names the character
        QTest::newRow("check mark") << QStringLiteral("Pago ✓") << QStringLiteral("\"✓\" (U+2713)");
        QTest::newRow("cjk") << QStringLiteral("Cliente 東京") << QStringLiteral("\"東\" (U+6771)");
        QTest::newRow("emoji: the whole character")
            << QStringLiteral("Ana 😀") << QStringLiteral("\"😀\" (U+1F600)");
        QTest::newRow("emoji after accents")
            << QStringLiteral("João Ação 🎉 fim") << QStringLiteral("\"🎉\" (U+1F389)");
        // What cannot be seen is named by its code alone.
        QTest::newRow("lone half of a pair")
            << (QStringLiteral("Ana ") + QChar(0xD83D) + QStringLiteral("x"))
            << QStringLiteral("caractere U+D83D do campo");
        QTest::newRow("undefined byte 81")
            << QStringLiteral("Ana \u0081") << "caractere U+0081 do campo";
        QTest::newRow("byte-order mark")
            << QStringLiteral("\uFEFFAna") << "caractere U+FEFF do campo";
        QTest::newRow("combining accent")
            << QStringLiteral("Jose\u0301") << "caractere U+0301 do campo";
        // Control characters are in the code page, but no column holds them: one line of text.
        QTest::newRow("NUL pasted")
            << QString::fromUtf16(u"A\0B", 3) << "caractere U+0000 do campo";
        QTest::newRow("TAB") << QStringLiteral("Ana\tMaria") << "caractere U+0009 do campo";
        QTest::newRow("line feed") << QStringLiteral("Ana\nMaria") << "caractere U+000A do campo";
        QTest::newRow("carriage return") << QStringLiteral("Ana\r") << "caractere U+000D do campo";
        QTest::newRow("ESC") << QStringLiteral("\x1b[31mAna") << "caractere U+001B do campo";
        QTest::newRow("DEL") << QStringLiteral("Ana\x7f") << "caractere U+007F do campo";
        QTest::newRow("the first one is named")
            << QString::fromUtf16(u"Ana 😀\0", 7) << QStringLiteral("\"😀\" (U+1F600)");
    }
    void textoForaDaTabelaRecusadoENadaGravadoMuda() {
        QFETCH(QString, texto);
        QFETCH(QString, nomeado);
        BancoTeste banco;
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        novoCliente(*dm, QStringLiteral("Maria"));
        dm->Tra->commitRetaining();

        dm->Clientes->editar();
        try {
            dm->ClientesCLIENTE->definirValor(texto);
            QFAIL("the text was accepted");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().contains(QStringLiteral("não pode ser gravado")),
                     qPrintable(e.mensagem()));
            QVERIFY2(e.mensagem().contains(nomeado), qPrintable(e.mensagem()));
            QVERIFY2(e.mensagem().contains(QStringLiteral("do campo CLIENTE")),
                     qPrintable(e.mensagem()));
        }
        QCOMPARE(dm->ClientesCLIENTE->valor().toString(), QStringLiteral("Maria"));
        dm->Clientes->gravar();

        // The encoder itself refuses it too, before anything reaches the database.
        Fb::Comando direto(*dm->Tra, QStringLiteral("UPDATE CLIENTES SET CLIENTE = :C"));
        direto.definir(QStringLiteral("C"), texto);
        try {
            direto.executar();
            QFAIL("the encoder accepted the text");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().contains(nomeado), qPrintable(e.mensagem()));
        }
        dm->Tra->commitRetaining();

        auto outro = banco.abrir();
        outro->Clientes->abrir();
        QCOMPARE(outro->ClientesCLIENTE->valor().toString(), QStringLiteral("Maria"));
    }

    void textoCortadoNoTamanhoDaColuna() {
        BancoTeste banco;
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        dm->Clientes->inserir();
        dm->ClientesUF->definirValor(QStringLiteral("SPX"));
        dm->ClientesCLIENTE->definirValor(QString(70, u'é'));
        QCOMPARE(dm->ClientesUF->valor().toString(), QStringLiteral("SP"));
        QCOMPARE(dm->ClientesCLIENTE->valor().toString(), QString(50, u'é'));
        dm->Clientes->gravar();
    }

    void textoDigitadoLidoOuRecusadoPeloTipo_data() {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<bool>("aceito");
        QTest::addColumn<QString>("mostrado");
        QTest::newRow("amount") << "VALOR"
                                << "1.234,5" << true << "1.234,50";
        QTest::newRow("amount rounded") << "VALOR"
                                        << "1,005" << true << "1,01";
        QTest::newRow("amount with letters") << "VALOR"
                                             << "12abc" << false << "";
        QTest::newRow("amount beyond numeric 18,2") << "VALOR"
                                                    << "99999999999999999999" << false << "";
        // Without a digit there is no amount, nor does a blank stand for one.
        for (const char *semNumero : {".", "-", ",", "€", "R$", "١٢٣"})
            QTest::newRow(
                qPrintable(QStringLiteral("amount \"%1\"").arg(QString::fromUtf8(semNumero))))
                << "VALOR" << QString::fromUtf8(semNumero) << false << "";
        QTest::newRow("blank amount") << "VALOR"
                                      << "   " << true << "";
        QTest::newRow("date without digits") << "DATA"
                                             << "-" << false << "";
        QTest::newRow("date") << "DATA"
                              << "05/03/2012" << true << "05/03/2012";
        QTest::newRow("impossible date") << "DATA"
                                         << "31/02/2024" << false << "";
        QTest::newRow("blank date mask") << "DATA"
                                         << "  /  /    " << true << "";
    }
    void textoDigitadoLidoOuRecusadoPeloTipo() {
        QFETCH(QString, campo);
        QFETCH(QString, digitado);
        QFETCH(bool, aceito);
        QFETCH(QString, mostrado);
        BancoTeste banco;
        auto dm = banco.abrir();
        dm->Recibos->abrir();
        dm->Recibos->inserir();
        Campo *c = dm->Recibos->campo(campo);
        bool lido = true;
        try {
            c->definirTexto(digitado);
        } catch (const ErroSistema &e) {
            lido = false;
            QVERIFY(e.mensagem().contains(QStringLiteral("não é")));
        }
        QCOMPARE(lido, aceito);
        QCOMPARE(c->texto(), mostrado);
    }

    // A refused amount, date or time is quoted with what cannot be seen by its code: a pasted
    // "12" holding a zero-width space does not read as a sound "12" refused.
    void recusaMostraOInvisivelPeloCodigo_data() {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("citado");
        QTest::newRow("zero-width space in an amount")
            << "VALOR" << QStringLiteral("12\u200B") << "'12<U+200B>' não é um valor válido";
        QTest::newRow("NUL inside an amount")
            << "VALOR" << QStringLiteral("1") + QChar(0) + QStringLiteral("2")
            << "'1<U+0000>2' não é um valor";
        QTest::newRow("no-break space between thousands")
            << "VALOR" << QStringLiteral("1\u00A0000") << "'1<U+00A0>000' não é um valor";
        QTest::newRow("byte-order mark before a date")
            << "DATA" << QString(QChar(0xFEFF)) + QStringLiteral("05/03/2012")
            << "'<U+FEFF>05/03/2012' não é uma data válida";
        QTest::newRow("soft hyphen in a time")
            << "HORA" << QStringLiteral("10\u00AD:30") << "'10<U+00AD>:30' não é uma hora";
        QTest::newRow("emoji stays as it is")
            << "VALOR" << QStringLiteral("12😀") << "'12😀' não é um valor";
    }
    void recusaMostraOInvisivelPeloCodigo() {
        QFETCH(QString, campo);
        QFETCH(QString, digitado);
        QFETCH(QString, citado);
        BancoTeste banco;
        auto dm = banco.abrir();
        dm->Recibos->abrir();
        dm->Recibos->inserir();
        try {
            dm->Recibos->campo(campo)->definirTexto(digitado);
            QFAIL("read");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().startsWith(citado), qPrintable(e.mensagem()));
        }
        QVERIFY(dm->Recibos->campo(campo)->nulo());
    }

    void geradorConsecutivoEInsercaoFalhaDeixaLacuna() {
        BancoTeste banco;
        BancoTeste::conectarDireto(banco.caminho())
            ->executarDdl(QStringLiteral(
                "ALTER TABLE CLIENTES ADD CONSTRAINT CK_TESTE CHECK (CLIENTE <> 'RECUSADO')"));
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        dm->Clientes->inserir();
        QVERIFY(dm->ClientesID_CLIENTE->nulo());
        dm->ClientesCLIENTE->definirValor(QStringLiteral("A"));
        dm->Clientes->gravar();
        QCOMPARE(dm->ClientesID_CLIENTE->valor().toInt(), 1);
        QCOMPARE(novoCliente(*dm, QStringLiteral("B")), 2);

        dm->Clientes->inserir();
        dm->ClientesCLIENTE->definirValor(QStringLiteral("RECUSADO"));
        QVERIFY_THROWS_EXCEPTION(ErroSistema, dm->Clientes->gravar());
        QCOMPARE(dm->Clientes->estado(), Conjunto::Estado::Inserindo);
        dm->Clientes->cancelar();
        QCOMPARE(novoCliente(*dm, QStringLiteral("C")), 4);
    }

    // A logo saved on a full disk: the user reads that the disk is full, the record stays
    // pending and saves once space is freed. The database lives on a small file system.
    void logotipoComDiscoCheioEsperaEspaco() {
        QTemporaryDir pasta;
        QProcess montar;
        montar.start(QStringLiteral("mount"),
                     {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                      QStringLiteral("size=24m"), QStringLiteral("tmpfs"), pasta.path()});
        if (!montar.waitForFinished(10000) || montar.exitStatus() != QProcess::NormalExit ||
            montar.exitCode() != 0)
            QSKIP("this machine refuses to mount a small file system");
        const auto desmontar = qScopeGuard([&] {
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), pasta.path()});
        });
        const QString caminho = pasta.filePath(QStringLiteral("DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);

        QByteArray logo(6 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator gerador(7);
        for (char &b : logo)
            b = char(gerador.bounded(256));
        {
            auto dm = std::make_unique<TDatamodule1>(caminho);
            dm->Emitente->abrir();
            QFile enchimento(pasta.filePath(QStringLiteral("enchimento")));
            QVERIFY(enchimento.open(QIODevice::WriteOnly));
            const QByteArray bloco(64 * 1024, 'x');
            while (enchimento.write(bloco) == bloco.size() && enchimento.flush()) {
            }
            enchimento.close();

            dm->Emitente->inserir();
            dm->EmitenteEMITENTE->definirValor(QStringLiteral("Logo Grande"));
            dm->EmitenteFOTO_MARC->definirValor(logo);
            try {
                dm->Emitente->gravar();
                QFAIL("saved on a full disk");
            } catch (const ErroSistema &e) {
                QVERIFY2(e.mensagem().startsWith(QStringLiteral("O disco está cheio")),
                         qPrintable(e.mensagem()));
                QVERIFY2(!e.mensagem().contains(QStringLiteral("BLOB handle")),
                         qPrintable(e.mensagem()));
            }
            QCOMPARE(dm->Emitente->estado(), Conjunto::Estado::Inserindo);
            QVERIFY(dm->EmitenteFOTO_MARC->valor().toByteArray() == logo);

            QVERIFY(enchimento.remove());
            dm->Emitente->gravar();
            dm->confirmar();
        }
        auto dm = std::make_unique<TDatamodule1>(caminho);
        dm->Emitente->abrir();
        QCOMPARE(dm->EmitenteEMITENTE->valor().toString(), QStringLiteral("Logo Grande"));
        QVERIFY(dm->EmitenteFOTO_MARC->valor().toByteArray() == logo);
        dm.reset();
    }

    void erroDoServidorGuardaOTextoEORegistroOEstado() {
        BancoTeste banco;
        BancoTeste::conectarDireto(banco.caminho())
            ->executarDdl(QStringLiteral("CREATE UNIQUE INDEX UQ_TESTE ON CLIENTES (CLIENTE)"));
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        novoCliente(*dm, QStringLiteral("São João"));
        dm->Clientes->inserir();
        dm->ClientesCLIENTE->definirValor(QStringLiteral("São João"));
        try {
            dm->Clientes->gravar();
            QFAIL("a duplicate was stored");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().contains(QStringLiteral("UQ_TESTE")), qPrintable(e.mensagem()));
            QVERIFY2(e.mensagem().contains(QStringLiteral("São João")), qPrintable(e.mensagem()));
            QVERIFY(e.temCodigo(335544349L)); // isc_no_dup
        }
        QCOMPARE(dm->Clientes->estado(), Conjunto::Estado::Inserindo);
        QCOMPARE(dm->ClientesCLIENTE->valor().toString(), QStringLiteral("São João"));
    }

    void confirmarPublicaEExcluirEsperaPorEle() {
        BancoTeste banco;
        const QString contar = QStringLiteral("SELECT COUNT(*) FROM CLIENTES");
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        novoCliente(*dm, QStringLiteral("Ana"));
        QCOMPARE(contarPorOutraConexao(banco.caminho(), contar), 0);
        dm->Tra->commitRetaining();
        QCOMPARE(contarPorOutraConexao(banco.caminho(), contar), 1);
        QCOMPARE(dm->Clientes->estado(), Conjunto::Estado::Navegando);
        QCOMPARE(dm->ClientesCLIENTE->valor().toString(), QStringLiteral("Ana"));

        dm->Clientes->excluir();
        QVERIFY(dm->Clientes->vazio());
        QCOMPARE(contarPorOutraConexao(banco.caminho(), contar), 1);
        dm->Tra->commitRetaining();
        QCOMPARE(contarPorOutraConexao(banco.caminho(), contar), 0);
    }

    void gravadoSemConfirmarSobreviveASaidaNormal() {
        BancoTeste banco;
        {
            auto dm = banco.abrir();
            dm->Clientes->abrir();
            novoCliente(*dm, QStringLiteral("Pendente"));
        }
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        QCOMPARE(dm->ClientesCLIENTE->valor().toString(), QStringLiteral("Pendente"));
    }

    void estadosDeEdicaoSeguemAsOperacoes() {
        BancoTeste banco;
        auto dm = banco.abrir();
        Conjunto &emitente = *dm->Emitente;
        QCOMPARE(emitente.estado(), Conjunto::Estado::Fechado);
        emitente.abrir();
        QCOMPARE(emitente.estado(), Conjunto::Estado::Navegando);
        emitente.editar(); // on an empty table, an edit starts a new record
        QCOMPARE(emitente.estado(), Conjunto::Estado::Inserindo);
        dm->EmitenteEMITENTE->definirValor(QStringLiteral("Oficina"));
        emitente.gravar();
        QCOMPARE(dm->EmitenteID_EMITENTE->valor().toInt(), 1);
        emitente.editar();
        QCOMPARE(emitente.estado(), Conjunto::Estado::Editando);
        dm->EmitenteEMITENTE->definirValor(QStringLiteral("Outra"));
        emitente.cancelar();
        QCOMPARE(dm->EmitenteEMITENTE->valor().toString(), QStringLiteral("Oficina"));
        QVERIFY_THROWS_EXCEPTION(ErroSistema,
                                 dm->EmitenteEMITENTE->definirValor(QStringLiteral("X")));

        emitente.inserir();
        emitente.cancelar();
        QCOMPARE(emitente.linhasCarregadas(), 1);
        QCOMPARE(dm->EmitenteEMITENTE->valor().toString(), QStringLiteral("Oficina"));

        // The modify statement finds the row by the key it had when read.
        emitente.editar();
        dm->EmitenteID_EMITENTE->definirValor(10);
        emitente.gravar();
        emitente.substituirSql({QStringLiteral("SELECT * FROM EMITENTE")});
        QCOMPARE(dm->EmitenteID_EMITENTE->valor().toInt(), 10);
        QCOMPARE(emitente.linhasCarregadas(), 1);
    }

    // A row the engine cannot read (here a division by zero in the third) stops the fetch with
    // its error; the rows read before it stay and are told, and the next statement on the same
    // transaction answers normally instead of "request synchronization error". A first row
    // that cannot be read leaves the dataset closed.
    void linhaIlegivelNaoEstragaAProximaConsulta() {
        BancoTeste banco;
        auto dm = banco.abrir();
        dm->Recibos->abrir();
        for (int i = 1; i <= 5; ++i)
            Fb::Comando(*dm->Tra,
                        QStringLiteral("INSERT INTO RECIBOS (ID_RECIBO) VALUES (%1)").arg(i))
                .executar();
        Conjunto &r = *dm->Recibos;
        int contadas = 0;
        connect(&r, &Conjunto::linhasAcrescentadas, this,
                [&](int primeira, int ultima) { contadas += ultima - primeira + 1; });
        r.substituirSql({QStringLiteral("SELECT ID_RECIBO, 1 / (3 - ID_RECIBO) AS X FROM RECIBOS"),
                         QStringLiteral("ORDER BY ID_RECIBO")});
        QCOMPARE(r.linhasCarregadas(), 1);
        QVERIFY_THROWS_EXCEPTION(ErroSistema, r.carregarMais(10));
        QCOMPARE(r.linhasCarregadas(), 2);
        QCOMPARE(contadas, 1);
        QVERIFY(!r.podeCarregarMais());
        r.substituirSql({QStringLiteral("SELECT * FROM RECIBOS ORDER BY ID_RECIBO")});
        r.carregarTudo();
        QCOMPARE(r.linhasCarregadas(), 5);

        QVERIFY_THROWS_EXCEPTION(
            ErroSistema, r.substituirSql({QStringLiteral("SELECT 1 / (ID_RECIBO - 1) FROM RECIBOS"),
                                          QStringLiteral("ORDER BY ID_RECIBO")}));
        QVERIFY(!r.aberto());
        r.substituirSql({QStringLiteral("SELECT * FROM RECIBOS ORDER BY ID_RECIBO DESC")});
        QCOMPARE(dm->RecibosID_RECIBO->valor().toInt(), 5);
    }

    // Whoever hears a row go when a new record is cancelled finds the dataset browsing on a
    // stored record: moving to another row then posts nothing (a grid moving its cursor once
    // wrote the stored receipt again as a new one, a duplicate key).
    void cancelarAvisaJaNavegando() {
        BancoTeste banco;
        auto dm = banco.abrir();
        Conjunto &r = *dm->Recibos;
        r.abrir();
        r.inserir();
        r.gravar();
        r.inserir();
        QList<Conjunto::Estado> vistos;
        connect(&r, &Conjunto::linhaRemovida, this, [&](int) {
            vistos << r.estado();
            r.irPara(0);
        });
        r.cancelar();
        QCOMPARE(vistos, QList<Conjunto::Estado>{Conjunto::Estado::Navegando});
        QCOMPARE(r.linhasCarregadas(), 1);
        QCOMPARE(dm->RecibosID_RECIBO->valor().toInt(), 1);
    }

    void linhasBuscadasSobDemandaELocalizarChegaAoFim() {
        BancoTeste banco;
        auto dm = banco.abrir();
        {
            Fb::Comando insere(
                *dm->Tra,
                QStringLiteral("INSERT INTO CLIENTES (ID_CLIENTE, CLIENTE) VALUES (:ID, :NOME)"));
            for (int i = 1; i <= 2500; ++i) {
                insere.definir(QStringLiteral("ID"), i);
                insere.definir(QStringLiteral("NOME"),
                               QStringLiteral("Cliente %1").arg(i, 5, 10, QLatin1Char('0')));
                insere.executar();
            }
        }
        dm->Clientes->substituirSql(
            {QStringLiteral("SELECT * FROM CLIENTES"), QStringLiteral("ORDER BY CLIENTE")});
        QCOMPARE(dm->Clientes->sql(), QStringList({QStringLiteral("SELECT * FROM CLIENTES"),
                                                   QStringLiteral("ORDER BY CLIENTE")}));
        QVERIFY(dm->Clientes->linhasCarregadas() < 50);
        QVERIFY(
            dm->Clientes->localizar(QStringLiteral("CLIENTE"), QStringLiteral("Cliente 02400")));
        QCOMPARE(dm->ClientesID_CLIENTE->valor().toInt(), 2400);
        QVERIFY(!dm->Clientes->localizar(QStringLiteral("ID_CLIENTE"), 9999));
        QCOMPARE(dm->Clientes->linhasCarregadas(), 2500);

        dm->Clientes->substituirSql({QStringLiteral("SELECT * FROM CLIENTES WHERE"),
                                     QStringLiteral("CLIENTE STARTING WITH 'Cliente 0010'")});
        dm->Clientes->carregarTudo();
        QCOMPARE(dm->Clientes->linhasCarregadas(), 10);
    }

    // A child posts issuers with logos and commits after every third; it is killed at random
    // moments round after round, each round aiming at a phase drawn at random: a kill a few
    // hundred microseconds after the child says it starts a post (which writes the logo's BLOB)
    // or a commit lands inside it, and one after a random wait anywhere. After each kill
    // every row whose commit had returned is there whole, nothing posted after the last commit
    // began is there, the batch being committed is there whole or not at all, and the engine's
    // validation finds nothing wrong.
    void durabilidadeComMortesAoAcaso() {
        BancoTeste banco;
        QRandomGenerator sorte(1789);
        QSet<int> confirmados; // rows that must be there
        for (int rodada = 0; rodada < 30; ++rodada) {
            const int primeiro = rodada * 100000;
            QProcess filho;
            filho.start(QStringLiteral(DURAVEL_FILHO),
                        {banco.caminho(), QString::number(primeiro)});
            QVERIFY(filho.waitForStarted());
            QVERIFY(filho.waitForReadyRead(60000));
            QCOMPARE(filho.readLine().trimmed(), QByteArray("PRONTO"));
            // The phase aimed at: a post, a commit, or none.
            const int fase = int(sorte.bounded(3));
            QByteArray lido;
            if (fase == 2) {
                QThread::msleep(sorte.bounded(0, 900));
            } else {
                const QByteArray marca = fase == 0 ? "GRAVANDO " : "CONFIRMANDO ";
                for (int vezes = 1 + int(sorte.bounded(12)); vezes > 0;) {
                    if (!filho.canReadLine() && !filho.waitForReadyRead(60000))
                        break;
                    while (vezes > 0 && filho.canReadLine()) {
                        const QByteArray linha = filho.readLine();
                        lido += linha;
                        if (linha.startsWith(marca))
                            --vezes;
                    }
                }
                QThread::usleep(sorte.bounded(0, 800));
            }
            ::kill(pid_t(filho.processId()), SIGKILL);
            QVERIFY(filho.waitForFinished());

            int comecado = primeiro - 1, terminado = primeiro - 1;
            for (const QByteArray &linha :
                 QByteArray(lido + filho.readAllStandardOutput()).split('\n')) {
                const QList<QByteArray> partes = linha.trimmed().split(' ');
                if (partes.size() != 2)
                    continue;
                if (partes[0] == "CONFIRMANDO")
                    comecado = partes[1].toInt();
                else if (partes[0] == "CONFIRMADO")
                    terminado = partes[1].toInt();
            }
            for (int n = primeiro; n <= terminado; ++n)
                confirmados.insert(n);

            QSet<int> presentes;
            {
                auto base = BancoTeste::conectarDireto(banco.caminho());
                Fb::Transacao tra(*base);
                tra.iniciar();
                Fb::Comando cmd(tra,
                                QStringLiteral("SELECT EMITENTE, CIDADE, FOTO_MARC FROM EMITENTE"));
                cmd.abrirCursor();
                for (Fb::Linha linha; cmd.buscar(linha);) {
                    const int n = linha[0].toString().section(u' ', 1).toInt();
                    QCOMPARE(linha[0].toString(), nomeDuravel(n));
                    QCOMPARE(linha[1].toString(), cidadeDuravel(n));
                    QVERIFY2(linha[2].toByteArray() == fotoDuravel(n), qPrintable(nomeDuravel(n)));
                    presentes.insert(n);
                }
            }
            // The batch whose commit began but was not seen to return: whole or absent.
            QSet<int> lote;
            for (int n = terminado + 1; n <= comecado; ++n)
                lote.insert(n);
            const QSet<int> doLote = presentes & lote;
            QVERIFY2(doLote.isEmpty() || doLote == lote,
                     qPrintable(QStringLiteral("round %1: part of a batch").arg(rodada)));
            confirmados += doLote;
            QVERIFY2(presentes == confirmados,
                     qPrintable(QStringLiteral("round %1: %2 rows, %3 expected")
                                    .arg(rodada)
                                    .arg(presentes.size())
                                    .arg(confirmados.size())));

            QProcess validacao;
            validacao.start(QStringLiteral("gfix"),
                            {QStringLiteral("-v"), QStringLiteral("-full"), QStringLiteral("-user"),
                             QString::fromLatin1(TDatamodule1::usuario()),
                             QStringLiteral("-password"),
                             QString::fromLatin1(TDatamodule1::senha()), banco.caminho()});
            QVERIFY2(validacao.waitForStarted(), "gfix is missing");
            QVERIFY(validacao.waitForFinished(60000));
            // Pages the killed process had allocated and not yet used, and pointer-page fill
            // bits it had not yet brought up to date, are only warnings; any error fails.
            const QString relato = QString::fromLocal8Bit(validacao.readAllStandardOutput() +
                                                          validacao.readAllStandardError());
            for (const QString &linha : relato.split(u'\n', Qt::SkipEmptyParts)) {
                const QString t = linha.trimmed();
                const bool aviso =
                    t == QLatin1String("Summary of validation errors") ||
                    (t.startsWith(QLatin1String("Number of ")) &&
                     t.section(u':', 0, 0).trimmed().endsWith(QLatin1String(" warnings")));
                QVERIFY2(aviso, qPrintable(relato));
            }
        }
        QVERIFY(!confirmados.isEmpty());
    }

    void bancoAusenteFalhaNaPrimeiraAberturaComOTextoDoBanco() {
        TDatamodule1 dm(QStringLiteral("/nao/existe/DADOS.GDB"));
        try {
            dm.Configuracao->abrir();
            QFAIL("opened a missing database");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().contains(QStringLiteral("/nao/existe/DADOS.GDB")),
                     qPrintable(e.mensagem()));
            QVERIFY(!e.codigos().empty());
        }
    }

    void todoControleEntregaOTextoUmaVezAntesDeGravar_data() {
        QTest::addColumn<QString>("recusas"); // which of the three controls refuse: "-x-"
        QTest::newRow("all hand over: posted") << "---";
        QTest::newRow("the first refuses") << "x--";
        QTest::newRow("the middle one refuses") << "-x-";
        QTest::newRow("two refuse: both told") << "x-x";
    }

    void todoControleEntregaOTextoUmaVezAntesDeGravar() {
        QFETCH(QString, recusas);
        BancoTeste banco;
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        EntregadorDeTeste controles[3];
        Campo *campos[3] = {dm->ClientesCLIENTE, dm->ClientesCIDADE, dm->ClientesUF};
        for (int i = 0; i < 3; ++i) {
            controles[i].acao = [&, i] {
                if (recusas[i] == u'x')
                    throw ErroSistema(QStringLiteral("Recusado %1").arg(i));
                campos[i]->definirValor(QStringLiteral("T%1").arg(i));
            };
            dm->Clientes->registrarEntregador(&controles[i]);
        }
        dm->Clientes->inserir();
        QString mensagem;
        try {
            dm->Clientes->gravar();
        } catch (const ErroSistema &e) {
            mensagem = e.mensagem();
        }
        const QString contar = QStringLiteral("SELECT COUNT(*) FROM CLIENTES");
        QStringList esperada;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(controles[i].vezes, 1); // each asked once, also after a refusal
            if (recusas[i] == u'x') {
                esperada << QStringLiteral("Recusado %1").arg(i);
                QVERIFY(campos[i]->nulo());
            } else {
                QCOMPARE(campos[i]->valor().toString(), QStringLiteral("T%1").arg(i));
            }
        }
        QCOMPARE(mensagem, esperada.join(QLatin1Char('\n')));
        if (!esperada.isEmpty()) {
            QCOMPARE(dm->Clientes->estado(), Conjunto::Estado::Inserindo);
            QCOMPARE(contarNaTransacao(*dm, contar), 0);
            for (auto &c : controles)
                c.acao = {};
            dm->Clientes->gravar(); // put right, the record posts with what was handed over
        }
        QCOMPARE(dm->Clientes->estado(), Conjunto::Estado::Navegando);
        QCOMPARE(contarNaTransacao(*dm, contar), 1);

        // An unregistered control is asked no more.
        dm->Clientes->removerEntregador(&controles[1]);
        dm->Clientes->editar();
        dm->Clientes->gravar();
        QCOMPARE(controles[0].vezes, controles[1].vezes + 1);
    }

    void sairDeRegistroPendentePedeACadaControleUmaVez_data() {
        QTest::addColumn<int>("operacao");
        QTest::newRow("next") << 0;
        QTest::newRow("last") << 1;
        QTest::newRow("insert") << 2;
        QTest::newRow("locate") << 3;
        QTest::newRow("post") << 4;
    }

    void sairDeRegistroPendentePedeACadaControleUmaVez() {
        QFETCH(int, operacao);
        BancoTeste banco;
        auto dm = banco.abrir();
        dm->Clientes->abrir();
        novoCliente(*dm, QStringLiteral("A"));
        novoCliente(*dm, QStringLiteral("B"));
        dm->Clientes->primeiro();
        EntregadorDeTeste controle;
        controle.acao = [&] { dm->ClientesCIDADE->definirValor(QStringLiteral("Recife")); };
        dm->Clientes->registrarEntregador(&controle);
        dm->Clientes->editar();
        switch (operacao) {
        case 0:
            dm->Clientes->proximo();
            break;
        case 1:
            dm->Clientes->ultimo();
            break;
        case 2:
            dm->Clientes->inserir();
            break;
        case 3:
            dm->Clientes->localizar(QStringLiteral("CLIENTE"), QStringLiteral("A"));
            break;
        default:
            dm->Clientes->gravar();
        }
        QCOMPARE(controle.vezes, 1);
        QCOMPARE(contarNaTransacao(*dm, QStringLiteral("SELECT COUNT(*) FROM CLIENTES "
                                                       "WHERE CIDADE = 'Recife'")),
                 1);
    }

    void transacaoEncerradaPorExcecaoNaoGuardaNada_data() {
        QTest::addColumn<bool>("falha");
        QTest::addColumn<int>("guardados");
        QTest::newRow("ends normally: committed") << false << 1;
        QTest::newRow("an exception unwinds: rolled back") << true << 0;
    }

    void transacaoEncerradaPorExcecaoNaoGuardaNada() {
        QFETCH(bool, falha);
        QFETCH(int, guardados);
        BancoTeste banco;
        auto base = BancoTeste::conectarDireto(banco.caminho());
        try {
            Fb::Transacao tra(*base);
            tra.iniciar();
            Fb::Comando(tra, QStringLiteral("INSERT INTO CLIENTES (ID_CLIENTE, CLIENTE) "
                                            "VALUES (1, 'Metade')"))
                .executar();
            if (falha)
                throw ErroSistema(QStringLiteral("falhou no meio"));
        } catch (const ErroSistema &) {
        }
        QCOMPARE(
            contarPorOutraConexao(banco.caminho(), QStringLiteral("SELECT COUNT(*) FROM CLIENTES")),
            guardados);
    }

    void criacaoQueFalhaNoMeioNaoDeixaArquivoEPodeSerRefeita_data() {
        QTest::addColumn<QStringList>("definicoes");
        QStringList ddlNoMeio = Esquema::definicoes();
        ddlNoMeio.insert(2, QStringLiteral("CREATE TABLE CLIENTES (X INTEGER)"));
        QTest::newRow("a definition refused midway") << ddlNoMeio;
        QTest::newRow("the last starting row refused")
            << (Esquema::definicoes() << QStringLiteral("ALTER TABLE TIPO ADD CONSTRAINT "
                                                        "CK_TESTE CHECK (TIPO <> 'CREDOR')"));
    }

    void criacaoQueFalhaNoMeioNaoDeixaArquivoEPodeSerRefeita() {
        QFETCH(QStringList, definicoes);
        QTemporaryDir pasta;
        const QString caminho = pasta.filePath(QStringLiteral("DADOS.GDB"));
        QVERIFY_THROWS_EXCEPTION(ErroSistema,
                                 Esquema::criarBanco(caminho, Esquema::Modo::Simples, definicoes));
        QVERIFY(!QFile::exists(caminho));

        Esquema::criarBanco(caminho, Esquema::Modo::Simples);
        QCOMPARE(contarPorOutraConexao(caminho, QStringLiteral("SELECT COUNT(*) FROM TIPO")), 2);
        QCOMPARE(contarPorOutraConexao(caminho, QStringLiteral("SELECT COUNT(*) FROM CONFIGURACOES "
                                                               "WHERE CONFIGURACAO1 = 'N'")),
                 1);
    }

    void clienteAchadoPeloCpfCnpjExato_data() {
        QTest::addColumn<QString>("procurado");
        QTest::addColumn<QString>("nome"); // empty: nobody has it
        QTest::newRow("cpf stored punctuated") << "123.456.789-09"
                                               << "Ana";
        QTest::newRow("cnpj shared by two: the older") << "12.345.678/0001-95"
                                                       << "Oficina";
        QTest::newRow("posted, not committed") << "987.654.321-00"
                                               << "Pendente";
        QTest::newRow("same digits, other punctuation") << "12345678909"
                                                        << "";
        QTest::newRow("a prefix only") << "123.456"
                                       << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("longer than the column") << "123.456.789-09-000000000"
                                                << "";
        QTest::newRow("outside the code page") << "123.456.789-0☃"
                                               << "";
    }

    void clienteAchadoPeloCpfCnpjExato() {
        QFETCH(QString, procurado);
        QFETCH(QString, nome);
        BancoTeste banco;
        auto dm = banco.abrir();
        {
            Fb::Comando insere(*dm->Tra, QStringLiteral("INSERT INTO CLIENTES (ID_CLIENTE, "
                                                        "CLIENTE, CPFCNPJ) VALUES (:ID, :N, :C)"));
            const std::pair<int, const char *> linhas[] = {
                {7, "Ana"}, {3, "Oficina"}, {9, "Filial"}};
            const char *numeros[] = {"123.456.789-09", "12.345.678/0001-95", "12.345.678/0001-95"};
            for (int i = 0; i < 3; ++i) {
                insere.definir(QStringLiteral("ID"), linhas[i].first);
                insere.definir(QStringLiteral("N"), QString::fromUtf8(linhas[i].second));
                insere.definir(QStringLiteral("C"), QString::fromUtf8(numeros[i]));
                insere.executar();
            }
            dm->Tra->commitRetaining();
        }
        // The browsed dataset shows one other client and keeps its place.
        dm->Clientes->substituirSql(
            {QStringLiteral("SELECT * FROM CLIENTES WHERE ID_CLIENTE = 9")});
        dm->Clientes->inserir();
        dm->ClientesCLIENTE->definirValor(QStringLiteral("Pendente"));
        dm->ClientesCPFCNPJ->definirValor(QStringLiteral("987.654.321-00"));
        dm->Clientes->gravar();
        const int idPendente = dm->ClientesID_CLIENTE->valor().toInt();

        // A hit first, so that a miss cannot reuse a row read before.
        QVERIFY(dm->clientePorCpfCnpj(QStringLiteral("123.456.789-09")));
        const auto achado = dm->clientePorCpfCnpj(procurado);
        QCOMPARE(achado.has_value(), !nome.isEmpty());
        if (achado) {
            QCOMPARE(achado->nome, nome);
            const int id = nome == QLatin1String("Ana")       ? 7
                           : nome == QLatin1String("Oficina") ? 3
                                                              : idPendente;
            QCOMPARE(achado->id, id);
        }
        QCOMPARE(dm->Clientes->estado(), Conjunto::Estado::Navegando);
        QCOMPARE(dm->ClientesCLIENTE->valor().toString(), QStringLiteral("Pendente"));
        QCOMPARE(dm->Clientes->linhasCarregadas(), 2);
    }

    void cleanupTestCase() { Fb::encerrar(); }
};

QTEST_GUILESS_MAIN(TstDados)
#include "tst_dados.moc"
