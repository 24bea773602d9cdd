#include "AtalhoIcu.h"

#include <QTest>
#include <dlfcn.h>
#include <link.h>

// The engine's search for ICU by name: a version the system does not have fails at once with
// the loader's own error, the installed one still loads, and nothing else is touched.
class TesteAtalhoIcu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buscaDoIcuRespondidaSemTocarNoResto() {
        QVERIFY(Fb::atalhoIcuAtivo());
        for (const char *ausente : {"libicuuc.so.5_2", "libicuuc.so.419", "libicui18n.so.79"}) {
            dlerror();
            QVERIFY2(!dlopen(ausente, RTLD_NOW), ausente);
            const char *erro = dlerror();
            QVERIFY2(erro && QByteArray(erro).contains(ausente), erro ? erro : "sem erro");
        }
        // Qt links the installed ICU: its name loads as ever, as does any other library.
        QByteArray instalado;
        dl_iterate_phdr(
            [](dl_phdr_info *info, size_t, void *dados) {
                const QByteArray nome = QByteArray(info->dlpi_name).split('/').last();
                if (!nome.startsWith("libicuuc.so."))
                    return 0;
                *static_cast<QByteArray *>(dados) = nome;
                return 1;
            },
            &instalado);
        QVERIFY(!instalado.isEmpty());
        void *icu = dlopen(instalado.constData(), RTLD_NOW);
        QVERIFY2(icu, dlerror());
        dlclose(icu);
        void *m = dlopen("libm.so.6", RTLD_NOW);
        QVERIFY2(m, dlerror());
        dlclose(m);
    }
};

QTEST_GUILESS_MAIN(TesteAtalhoIcu)
#include "tst_atalhoicu.moc"
