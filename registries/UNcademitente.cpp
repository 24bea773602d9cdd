#include "UNcademitente.h"

#include "Avisador.h"
#include "CampoCpfCnpj.h"
#include "ColFocus.h"
#include "DBImage.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "EsquemaEdicao.h"
#include "Figuras.h"
#include "Protegido.h"
#include "ui_UNcademitente.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QGridLayout>

TFRcademitente *FRcademitente = nullptr;

namespace {

// Where the logo is looked for first: the Logomarca folder beside the database file.
QString arquivoInicial() {
    return QFileInfo(TDatamodule1::caminhoPadrao())
        .dir()
        .filePath(QStringLiteral("Logomarca/Logomarca.bmp"));
}

} // namespace

TFRcademitente::TFRcademitente(QWidget *parent)
    : JanelaRegistro(parent), m_ui(new Ui::TFRcademitente),
      m_seletor(&TFRcademitente::escolherBitmap), m_arquivoImagem(arquivoInicial()) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);

    figurarColunaDeBotoes(this);
    m_ui->btnCarregar->setIcon(figura(QStringLiteral("carregar")));
    // Lies on the window, level with the frame's buttons.
    m_ui->BTcancelar->raise();

    m_esquema = new EsquemaEdicao(this, m_ui->BTsalvar, m_ui->BTcancelar,
                                  {m_ui->BTalterar, m_ui->BTsalvar, m_ui->BTcancelar, m_ui->DBEdit2,
                                   m_ui->DBEdit3, m_ui->DBEdit4, m_ui->DBImage1, m_ui->btnCarregar,
                                   m_ui->SpeedButton1});
    m_esquema->conjunto = [] { return TDatamodule1::instancia().Emitente; };
    // Saved is permanent: nothing could take the issuer's save back later.
    m_esquema->confirmar = [] { TDatamodule1::instancia().confirmar(); };
    m_esquema->primeiroCampo = m_ui->DBEdit2;
    m_esquema->mensagemSalvo = QStringLiteral("Emitente salvo");

    ColFocus1 = TColFocus::paraJanelaDeRegistro(this);
    m_cpfCnpj = new CampoCpfCnpj(m_ui->DBEdit3);

    ligar(m_ui->BTalterar, &QToolButton::clicked, this, &TFRcademitente::BTalterarClick);
    ligar(m_ui->BTsalvar, &QToolButton::clicked, this, &TFRcademitente::BTsalvarClick);
    ligar(m_ui->BTcancelar, &QToolButton::clicked, this, &TFRcademitente::BTcancelarClick);
    ligar(m_ui->BTsair, &QToolButton::clicked, this, &TFRcademitente::BTsairClick);
    ligar(m_ui->btnCarregar, &QPushButton::clicked, this, &TFRcademitente::btnCarregarClick);
    ligar(m_ui->SpeedButton1, &QPushButton::clicked, this, &TFRcademitente::SpeedButton1Click);
    ligar(m_ui->DBEdit3, &TDBEdit::saiu, this, &TFRcademitente::DBEdit3Exit);
    m_ui->Label6->installEventFilter(this);

    vincular();
}

TFRcademitente::~TFRcademitente() {}

bool TFRcademitente::eventFilter(QObject *objeto, QEvent *evento) {
    if (objeto == m_ui->Label6 && evento->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton) {
        protegido([this] { Label6Click(); });
        return true;
    }
    return JanelaRegistro::eventFilter(objeto, evento);
}

void TFRcademitente::restaura() {
    m_esquema->restaura();
}

void TFRcademitente::FormShow() {
    EsquemaEdicao::habilitar({m_ui->BTalterar}, true);
    EsquemaEdicao::habilitar({m_ui->BTsalvar, m_ui->BTcancelar, m_ui->DBEdit2, m_ui->DBEdit3,
                              m_ui->DBEdit4, m_ui->DBImage1, m_ui->btnCarregar, m_ui->SpeedButton1},
                             false);
    // Neither reloaded nor moved: a change left pending by the close box is shown again.
    TDatamodule1::instancia().Emitente->abrir();
}

void TFRcademitente::BTalterarClick() {
    m_esquema->alterar();
}

void TFRcademitente::BTsalvarClick() {
    m_esquema->salvar();
}

void TFRcademitente::BTcancelarClick() {
    TDatamodule1::instancia().Emitente->cancelar();
    m_ui->DBEdit2->setFocus(Qt::OtherFocusReason);
    restaura();
}

void TFRcademitente::BTsairClick() {
    m_esquema->sair();
}

void TFRcademitente::btnCarregarClick() {
    CarregarImagem();
}

void TFRcademitente::CarregarImagem() {
    const QString arquivo = m_seletor ? m_seletor(this, m_arquivoImagem) : QString();
    if (arquivo.isEmpty())
        return;
    m_arquivoImagem = arquivo;
    try {
        QFile f(arquivo);
        if (!f.open(QIODevice::ReadOnly))
            throw ErroSistema(QStringLiteral("O arquivo não pôde ser lido."));
        m_ui->DBImage1->carregarBitmap(f.readAll());
    } catch (const ErroSistema &e) {
        Avisador::atual().bipe();
        Avisador::atual().erro(
            QStringLiteral("Erro ao carregar a imagem \"") +
            QDir::toNativeSeparators(QFileInfo(arquivo).absoluteFilePath()).toUpper() +
            QStringLiteral("\" . ") + e.mensagem());
    }
}

QImage TFRcademitente::previaDoBitmap(const QString &caminho) {
    // Qt's reader alone would show the pixels a cut or run-length coded file leaves out as
    // whatever the memory held.
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        return {};
    try {
        return TDBImage::lerBitmap(arquivo.readAll());
    } catch (const ErroSistema &) {
        return {};
    }
}

QString TFRcademitente::escolherBitmap(QWidget *janela, const QString &inicial) {
    QFileDialog dialogo(janela, QStringLiteral("Abrir"), QFileInfo(inicial).absolutePath(),
                        QStringLiteral("Bitmaps (*.bmp)"));
    // The platform's own dialog cannot take the picture preview.
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setFileMode(QFileDialog::ExistingFile);
    dialogo.selectFile(QFileInfo(inicial).fileName());

    auto *previa = new QLabel(&dialogo);
    previa->setFixedSize(180, 180);
    previa->setAlignment(Qt::AlignCenter);
    previa->setFrameShape(QFrame::StyledPanel);
    if (auto *grade = qobject_cast<QGridLayout *>(dialogo.layout()))
        grade->addWidget(previa, 0, grade->columnCount(), grade->rowCount(), 1);
    const auto mostrarPrevia = [previa](const QString &caminho) {
        const QImage imagem = previaDoBitmap(caminho);
        previa->setPixmap(
            imagem.isNull() ? QPixmap()
                            : QPixmap::fromImage(imagem.scaled(previa->size(), Qt::KeepAspectRatio,
                                                               Qt::SmoothTransformation)));
    };
    QObject::connect(&dialogo, &QFileDialog::currentChanged, previa, mostrarPrevia);
    mostrarPrevia(inicial);
    if (dialogo.exec() != QDialog::Accepted)
        return {};
    return dialogo.selectedFiles().value(0);
}

void TFRcademitente::SpeedButton1Click() {
    TDatamodule1 &dm = TDatamodule1::instancia();
    dm.Emitente->editar();
    dm.EmitenteFOTO_MARC->limpar();
    dm.Emitente->gravar();
    dm.confirmar();
}

void TFRcademitente::Label6Click() {
    Avisador::atual().mensagem(
        QStringLiteral("Para inserir a logomarca consulte informações no site"));
}

void TFRcademitente::DBEdit3Exit() {
    m_cpfCnpj->sair();
}
