#include "UNcopias.h"

#include "Avisador.h"
#include "Copias.h"
#include "ErroSistema.h"
#include "PreferenciasCopias.h"
#include "ProcessoAuxiliar.h"
#include "Protegido.h"
#include "ui_UNcopias.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

QString nativo(const QString &caminho) {
    return QDir::toNativeSeparators(caminho);
}

const QLocale &brasil() {
    static const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    return br;
}

} // namespace

TFRcopias::TFRcopias(const QString &banco, QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRcopias), m_banco(QFileInfo(banco).absoluteFilePath()) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::MinimizarEFechar);
    m_ui->LBbanco->setText(QStringLiteral("Banco de dados: %1").arg(nativo(m_banco)));
    QTableWidget *g = m_ui->Gcopias;
    g->setColumnCount(5);
    g->setHorizontalHeaderLabels({QStringLiteral("Feita em"), QStringLiteral("Arquivo"),
                                  QStringLiteral("Tamanho"), QStringLiteral("Verificação"),
                                  QStringLiteral("Conteúdo")});
    const int larguras[] = {110, 200, 70, 110};
    for (int i = 0; i < 4; ++i)
        g->setColumnWidth(i, larguras[i]);
    g->horizontalHeader()->setStretchLastSection(true);
    g->verticalHeader()->hide();
    ligar(m_ui->BTfazer, &QPushButton::clicked, this, &TFRcopias::BTfazerClick);
    ligar(m_ui->BTrestaurar, &QPushButton::clicked, this, &TFRcopias::BTrestaurarClick);
    ligar(m_ui->BTescolher, &QPushButton::clicked, this, &TFRcopias::BTescolherClick);
    ligar(m_ui->BTpadrao, &QPushButton::clicked, this, &TFRcopias::BTpadraoClick);
    connect(m_ui->BTfechar, &QPushButton::clicked, this, &QDialog::close);
}

TFRcopias::~TFRcopias() {}

Copias TFRcopias::copias() const {
    return Copias(m_banco, PreferenciasCopias::pastaEscolhida());
}

void TFRcopias::showEvent(QShowEvent *evento) {
    JanelaFixa::showEvent(evento);
    protegido([this] { atualizar(); });
}

void TFRcopias::atualizar() {
    const Copias c = copias();
    m_ui->EDpasta->setText(nativo(c.pasta()));
    QStringList avisos;
    if (c.pastaEscolhidaFaltando())
        avisos << QStringLiteral("A pasta escolhida, %1, não está disponível (um pendrive ou disco "
                                 "fora do lugar?): as cópias vão para a pasta padrão.")
                      .arg(nativo(PreferenciasCopias::pastaEscolhida()));
    const bool emUso = c.bancoEmUso();
    if (emUso)
        avisos << QStringLiteral("O Talvano está aberto: feche-o para fazer ou restaurar cópias.");
    if (!QFileInfo::exists(m_banco))
        avisos << QStringLiteral("O banco de dados não existe: só é possível restaurar uma cópia.");
    m_ui->LBaviso->setText(avisos.join(u' '));
    m_ui->BTfazer->setEnabled(!emUso && QFileInfo::exists(m_banco));
    m_ui->BTrestaurar->setEnabled(!emUso);

    const QList<Copias::Item> itens = c.listar();
    QTableWidget *g = m_ui->Gcopias;
    g->setRowCount(int(itens.size()));
    for (int i = 0; i < itens.size(); ++i) {
        const Copias::Item &item = itens[i];
        const QString verificacao =
            item.estado == Copias::Item::Verificada ? QStringLiteral("verificada")
            : item.estado == Copias::Item::Falhou   ? QStringLiteral("FALHOU")
                                                    : QStringLiteral("sem registro");
        const QStringList celulas{
            brasil().toString(item.quando, QStringLiteral("dd/MM/yyyy HH:mm")),
            QFileInfo(item.arquivo).fileName(),
            brasil().formattedDataSize(item.tamanho, 1, QLocale::DataSizeTraditionalFormat),
            verificacao, item.detalhe};
        for (int k = 0; k < celulas.size(); ++k) {
            auto *celula = new QTableWidgetItem(celulas[k]);
            celula->setData(Qt::UserRole, item.arquivo);
            if (k == 3 && item.estado == Copias::Item::Falhou)
                celula->setForeground(QColor(0x80, 0, 0));
            g->setItem(i, k, celula);
        }
    }
    if (!itens.isEmpty() && g->currentRow() < 0)
        g->selectRow(0);
}

bool TFRcopias::bancoLivre() {
    if (!copias().bancoEmUso())
        return true;
    atualizar();
    Avisador::atual().mensagem(QStringLiteral("O Talvano está aberto com este banco de dados. "
                                              "Feche o programa e tente de novo."));
    return false;
}

bool TFRcopias::emSegundoPlano(const QString &texto, const std::function<void()> &trabalho) {
    std::exception_ptr falha;
    std::atomic<bool> fim = false;
    ProcessoAuxiliar::retomar();
    std::thread fio([&] {
        try {
            trabalho();
        } catch (...) {
            falha = std::current_exception();
        }
        fim = true;
    });
    QProgressDialog progresso(texto, QStringLiteral("Cancelar"), 0, 0, this);
    progresso.setWindowTitle(windowTitle());
    progresso.setWindowModality(Qt::WindowModal);
    progresso.setMinimumDuration(300);
    progresso.setValue(0); // starts the count to its showing
    bool cancelado = false;
    // The window answers while the work goes on.
    QEventLoop laco;
    QTimer vigia;
    connect(&vigia, &QTimer::timeout, &laco, [&] {
        if (!cancelado && progresso.wasCanceled()) {
            cancelado = true;
            ProcessoAuxiliar::interromper();
        }
        if (fim)
            laco.quit();
    });
    vigia.start(50);
    laco.exec();
    fio.join();
    progresso.reset();
    ProcessoAuxiliar::retomar();
    if (falha) {
        if (cancelado)
            return false;
        std::rethrow_exception(falha);
    }
    return true;
}

void TFRcopias::BTfazerClick() {
    if (!bancoLivre())
        return;
    Copias c = copias();
    const QString arquivo = c.arquivoDoDia(QDate::currentDate());
    Copias::Resultado r;
    if (!emSegundoPlano(QStringLiteral("Fazendo e verificando a cópia de segurança..."), [&] {
            r = c.fazer(arquivo);
            c.girar(30, r.arquivo);
        })) {
        m_ui->LBstatus->setText(QStringLiteral("Cópia cancelada: nada foi gravado."));
        atualizar();
        return;
    }
    atualizar();
    if (r.verificada) {
        m_ui->LBstatus->setText(QStringLiteral("Cópia gravada e verificada em %1 (%2).")
                                    .arg(nativo(r.arquivo), r.contagem.descrever()));
        Avisador::atual().mensagem(
            QStringLiteral("A cópia de segurança foi gravada e verificada em %1.\n\nConferido: "
                           "%2.")
                .arg(nativo(r.arquivo), r.contagem.descrever()));
    } else {
        m_ui->LBstatus->setText(QStringLiteral("A cópia não passou na verificação."));
        Avisador::atual().erro(QStringLiteral("A cópia de segurança foi gravada, mas não passou na "
                                              "verificação e foi guardada como %1.\n\nMotivo: %2")
                                   .arg(nativo(r.arquivo), r.motivo));
    }
}

void TFRcopias::BTrestaurarClick() {
    if (!bancoLivre())
        return;
    QString arquivo;
    if (const QTableWidgetItem *item = m_ui->Gcopias->currentItem())
        arquivo = item->data(Qt::UserRole).toString();
    if (arquivo.isEmpty())
        arquivo = QFileDialog::getOpenFileName(this, QStringLiteral("Restaurar cópia de segurança"),
                                               copias().pasta(),
                                               QStringLiteral("Cópias de segurança (*.fbk)"));
    if (arquivo.isEmpty())
        return;
    const QString guardado = copias().nomeDoGuardado(QDateTime::currentDateTime());
    const QString pergunta =
        QFileInfo::exists(m_banco)
            ? QStringLiteral("O banco de dados %1 será substituído pela cópia %2.\n\nO banco atual "
                             "não será apagado: ficará guardado na mesma pasta como %3.\n\nDeseja "
                             "restaurar a cópia?")
                  .arg(nativo(m_banco), nativo(arquivo), guardado)
            : QStringLiteral("A cópia %1 será restaurada como o banco de dados %2.\n\nDeseja "
                             "restaurar a cópia?")
                  .arg(nativo(arquivo), nativo(m_banco));
    if (!Avisador::atual().pergunta(pergunta))
        return;
    Copias c = copias();
    Copias::Restauracao r;
    if (!emSegundoPlano(QStringLiteral("Restaurando e verificando a cópia..."),
                        [&] { r = c.restaurar(arquivo); })) {
        m_ui->LBstatus->setText(
            QStringLiteral("Restauração cancelada: o banco de dados continua como estava."));
        atualizar();
        return;
    }
    atualizar();
    m_ui->LBstatus->setText(QStringLiteral("Cópia restaurada: %1.").arg(r.contagem.descrever()));
    Avisador::atual().mensagem(
        QStringLiteral("A cópia %1 foi restaurada em %2 (%3).%4")
            .arg(nativo(arquivo), nativo(m_banco), r.contagem.descrever(),
                 r.guardado.isEmpty()
                     ? QString()
                     : QStringLiteral("\n\nO banco de dados anterior foi guardado como %1.")
                           .arg(nativo(r.guardado))));
}

void TFRcopias::BTescolherClick() {
    const QString pasta = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Pasta das cópias de segurança"), copias().pasta());
    if (!pasta.isEmpty())
        mudarPasta(pasta);
}

void TFRcopias::BTpadraoClick() {
    mudarPasta({});
}

void TFRcopias::mudarPasta(const QString &pasta) {
    PreferenciasCopias::escolherPasta(pasta);
    atualizar();
    m_ui->LBstatus->setText(
        QStringLiteral("As próximas cópias vão para %1.").arg(nativo(copias().pasta())));
}
