#include "Inicializacao.h"

#include "Avisador.h"
#include "Calculad.h"
#include "Copias.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "FimDoPrograma.h"
#include "Janela.h"
#include "ModoInicio.h"
#include "Protegido.h"
#include "UNabreclientes1.h"
#include "UNabrerecibos1.h"
#include "UNabrerecibos2.h"
#include "UNcadcli.h"
#include "UNcademitente.h"
#include "UNconfiguracoes.h"
#include "UNconsultacli.h"
#include "UNconsultacli2.h"
#include "UNconsultarec.h"
#include "UNprincipal.h"
#include "UNrecibo.h"
#include "UNrelatorios.h"
#include "UNreport.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <memory>

namespace {

// Creates an object, publishes it under its global name, and forgets both at
// the end of the run.
template <class T> struct Global {
    T *&nome;
    std::unique_ptr<T> objeto;
    template <class... Args> void criar(Args &&...args) {
        objeto = std::make_unique<T>(std::forward<Args>(args)...);
        nome = objeto.get();
    }
    void destruir() {
        nome = nullptr;
        objeto.reset();
    }
    ~Global() { destruir(); }
};

// The sixteen objects, declared in their order of creation at start-up, and destroyed in
// the reverse order of declaration. Those the first window does not need are built once it
// is on screen.
struct Objetos {
    Global<TFRprincipal> principal{FRprincipal, {}};
    Global<TFRrecibogratis> recibogratis{FRrecibogratis, {}};
    Global<TFRcadcli> cadcli{FRcadcli, {}};
    Global<TDatamodule1> datamodule{Datamodule1, {}};
    Global<TFRrecibo> recibo{FRrecibo, {}};
    Global<TFRconsultacli> consultacli{FRconsultacli, {}};
    Global<TFRrelatorios> relatorios{FRrelatorios, {}};
    Global<TFRabrerecibos1> abrerecibos1{FRabrerecibos1, {}};
    Global<TFRabrerecibos2> abrerecibos2{FRabrerecibos2, {}};
    Global<TFRabreclientes1> abreclientes1{FRabreclientes1, {}};
    Global<TFRconsultarec> consultarec{FRconsultarec, {}};
    Global<TFormCalculadora> calculadora{FormCalculadora, {}};
    Global<TFRreport> report{FRreport, {}};
    Global<TFRconfiguracoes> configuracoes{FRconfiguracoes, {}};
    Global<TFRcademitente> cademitente{FRcademitente, {}};
    Global<TFRconsultacli2> consultacli2{FRconsultacli2, {}};

    // What the first window needs: the two windows the mode chooses between and the data
    // module, whose attach started in advance goes on meanwhile.
    void criarParaAPrimeiraJanela(const AcessoBanco &acesso) {
        principal.criar();
        recibogratis.criar();
        datamodule.criar(acesso);
    }
    // The others, in their order, all at once, once the first window has painted (or when
    // a handler needs one sooner: garantirJanelas).
    void criarOsDemais() {
        cadcli.criar();
        recibo.criar();
        consultacli.criar();
        relatorios.criar();
        abrerecibos1.criar();
        abrerecibos2.criar();
        abreclientes1.criar();
        consultarec.criar();
        calculadora.criar();
        report.criar();
        configuracoes.criar();
        cademitente.criar();
        consultacli2.criar();
    }
    ~Objetos() { adiarJanelas(nullptr); }
};

// Builds the windows put off at start-up right after the first paint of the first window:
// the user sees it first, and the building is done before the user can reach for it.
class DepoisDaPrimeiraPintura : public QObject {
public:
    explicit DepoisDaPrimeiraPintura(QWidget *janela) : QObject(janela) {
        janela->installEventFilter(this);
    }
    bool eventFilter(QObject *objeto, QEvent *evento) override {
        if (evento->type() == QEvent::Paint) {
            objeto->removeEventFilter(this);
            QTimer::singleShot(0, this, [] { protegido(garantirJanelas); });
        }
        return false;
    }
};

QString mensagemBancoInacessivel(const QString &caminhoBanco, const QString &textoDoBanco) {
    return QStringLiteral("Não foi possível abrir o banco de dados %1.\n\n%2")
        .arg(QDir::toNativeSeparators(caminhoBanco), textoDoBanco);
}

} // namespace

int executarPrograma(const AcessoBanco &acesso) {
    Objetos objetos;
    Modo modo = Modo::Completo;
    // A register on a server is backed up on the server: no backup of this desk's touches it.
    const bool local = !acesso.noServidor();
    const QString &caminhoBanco = acesso.banco;
    try {
        if (local)
            Copias(caminhoBanco).interromperCopiaDoPrograma();
        objetos.criarParaAPrimeiraJanela(acesso);
        Datamodule1->Configuracao->abrir();
        modo = modoDaConfiguracao(Datamodule1->ConfiguracaoCONFIGURACAO1->valor());
        FimDoPrograma::instalar();
    } catch (const ErroSistema &erro) {
        TDatamodule1::descartarConexaoAntecipada();
        // The engine's library took SIGTERM and SIGINT on its first use, which the attach
        // that failed was: a signal ends the error box too.
        FimDoPrograma::instalar();
        // The database could not be reached: say so, and where, before the engine's own words;
        // held by talvano-copia, say that instead.
        if (local && Datamodule1 && !Datamodule1->conectado() &&
            Copias(caminhoBanco).copiaEmAndamento())
            tratarErro(std::make_exception_ptr(ErroSistema(
                QStringLiteral("O banco de dados %1 está sendo copiado ou restaurado agora pelas "
                               "Cópias de Segurança (talvano-copia). Espere terminar e abra o "
                               "programa de novo.\n\n%2")
                    .arg(QDir::toNativeSeparators(caminhoBanco), erro.mensagem()),
                erro.codigos())));
        else if (local && Datamodule1 && !Datamodule1->conectado())
            tratarErro(std::make_exception_ptr(ErroSistema(
                mensagemBancoInacessivel(caminhoBanco, erro.mensagem()), erro.codigos())));
        else
            tratarErro(std::current_exception());
        return 1;
    } catch (...) {
        TDatamodule1::descartarConexaoAntecipada();
        FimDoPrograma::instalar();
        tratarErro(std::current_exception());
        return 1;
    }

    // A backup that failed at the last end is told once, over the first window.
    const auto avisarCopia = [aviso = local ? Copias(caminhoBanco).tomarAviso()
                                            : std::nullopt](QObject *janela) {
        if (aviso)
            QTimer::singleShot(0, janela, [texto = *aviso] { Avisador::atual().mensagem(texto); });
    };
    adiarJanelas([&objetos] { objetos.criarOsDemais(); });
    if (modo == Modo::Simples) {
        objetos.principal.destruir();
        avisarCopia(FRrecibogratis);
        new DepoisDaPrimeiraPintura(FRrecibogratis);
        FRrecibogratis->exec();
        return 0;
    }
    new DepoisDaPrimeiraPintura(FRprincipal);
    FRprincipal->show();
    avisarCopia(FRprincipal);
    return QApplication::exec();
}
