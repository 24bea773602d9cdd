#include "UNprincipal.h"

#include "Figuras.h"
#include "Janela.h"
#include "Manual.h"
#include "Protegido.h"
#include "UNcadcli.h"
#include "UNcademitente.h"
#include "UNrecibo.h"
#include "UNrelatorios.h"
#include "ui_UNprincipal.h"

TFRprincipal *FRprincipal = nullptr;

TFRprincipal::TFRprincipal(QWidget *parent) : QWidget(parent), m_ui(new Ui::TFRprincipal) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::MinimizarEFechar);

    const QColor verdeAzulado(0, 128, 128);
    for (QPushButton *b : {m_ui->BTrecibo, m_ui->BTrecibo2}) {
        // Bodoni MT Black is not on the machine: a black serif stands in for it.
        QFont f = b->font();
        f.setFamilies({QStringLiteral("Bodoni MT Black"), QStringLiteral("Liberation Serif"),
                       QStringLiteral("DejaVu Serif")});
        f.setStyleHint(QFont::Serif);
        b->setFont(f);
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, verdeAzulado);
        b->setPalette(p);
    }
    const struct {
        QPushButton *botao;
        const char *figura;
        int lado;
    } figuras[] = {
        {m_ui->BTrecibo, "recibo", 51},     {m_ui->BTrecibo2, "recibo", 51},
        {m_ui->BTcadastro, "cadastro", 51}, {m_ui->BTrelatorios, "relatorios", 51},
        {m_ui->BTemitente, "emitente", 48}, {m_ui->BTmanual, "manual", 48},
        {m_ui->BTsair, "sair", 48},
    };
    for (const auto &f : figuras) {
        f.botao->setIcon(figura(QLatin1String(f.figura)));
        f.botao->setIconSize(QSize(f.lado, f.lado));
    }
    // The inner face of "Emitir Recibo" lies over the outer one, leaving its frame visible.
    m_ui->BTrecibo2->raise();

    for (QPushButton *b : {m_ui->BTrecibo, m_ui->BTrecibo2})
        ligar(b, &QPushButton::clicked, this, [] {
            garantirJanelas();
            if (FRrecibo)
                FRrecibo->exec();
        });
    ligar(m_ui->BTcadastro, &QPushButton::clicked, this, [] {
        garantirJanelas();
        if (FRcadcli)
            FRcadcli->exec();
    });
    ligar(m_ui->BTemitente, &QPushButton::clicked, this, [] {
        garantirJanelas();
        if (FRcademitente)
            FRcademitente->exec();
    });
    ligar(m_ui->BTrelatorios, &QPushButton::clicked, this, [] {
        garantirJanelas();
        if (FRrelatorios)
            FRrelatorios->exec();
    });
    ligar(m_ui->BTmanual, &QPushButton::clicked, this, &TFRprincipal::BTmanualClick);
    ligar(m_ui->BTsair, &QPushButton::clicked, this, &TFRprincipal::BTsairClick);
}

TFRprincipal::~TFRprincipal() {}

void TFRprincipal::showEvent(QShowEvent *evento) {
    centralizarNaTela(this);
    QWidget::showEvent(evento);
}

void TFRprincipal::BTmanualClick() {
    abrirManual();
}

void TFRprincipal::BTsairClick() {
    close();
}
