#include "Figuras.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>
#include <utility>

namespace {

void folha(QPainter &p, const QRectF &r) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(120, 120, 160), 1.2));
    for (qreal y = r.top() + r.height() * 0.3; y < r.bottom() - 4; y += r.height() * 0.14)
        p.drawLine(QPointF(r.left() + 5, y), QPointF(r.right() - 5, y));
}

void desenhar(QPainter &p, Figura figura, qreal s) {
    switch (figura) {
    case Figura::Recibo: {
        folha(p, QRectF(s * 0.18, s * 0.08, s * 0.64, s * 0.84));
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(int(s * 0.42));
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0, 128, 0));
        p.drawText(QRectF(s * 0.35, s * 0.35, s * 0.6, s * 0.6), Qt::AlignCenter,
                   QStringLiteral("$"));
        break;
    }
    case Figura::Cadastro:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 170));
        p.drawEllipse(QRectF(s * 0.35, s * 0.1, s * 0.3, s * 0.3));
        p.drawRoundedRect(QRectF(s * 0.2, s * 0.45, s * 0.6, s * 0.45), s * 0.15, s * 0.15);
        break;
    case Figura::Emitente:
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.setBrush(QColor(190, 150, 100));
        p.drawRect(QRectF(s * 0.2, s * 0.15, s * 0.6, s * 0.75));
        p.setBrush(QColor(200, 230, 255));
        for (int linha = 0; linha < 3; ++linha)
            for (int coluna = 0; coluna < 3; ++coluna)
                p.drawRect(QRectF(s * (0.27 + coluna * 0.17), s * (0.22 + linha * 0.17), s * 0.11,
                                  s * 0.1));
        p.setBrush(QColor(110, 70, 30));
        p.drawRect(QRectF(s * 0.44, s * 0.72, s * 0.12, s * 0.18));
        break;
    case Figura::Manual: {
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.setBrush(QColor(200, 40, 40));
        p.drawRoundedRect(QRectF(s * 0.2, s * 0.1, s * 0.6, s * 0.8), 3, 3);
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(int(s * 0.5));
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(s * 0.2, s * 0.1, s * 0.6, s * 0.8), Qt::AlignCenter,
                   QStringLiteral("?"));
        break;
    }
    case Figura::Relatorios:
        folha(p, QRectF(s * 0.12, s * 0.08, s * 0.6, s * 0.8));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 150, 70));
        p.drawRect(QRectF(s * 0.5, s * 0.55, s * 0.1, s * 0.35));
        p.setBrush(QColor(230, 160, 0));
        p.drawRect(QRectF(s * 0.63, s * 0.4, s * 0.1, s * 0.5));
        p.setBrush(QColor(30, 90, 170));
        p.drawRect(QRectF(s * 0.76, s * 0.25, s * 0.1, s * 0.65));
        break;
    case Figura::Sair: {
        p.setPen(QPen(QColor(70, 50, 30), 1.2));
        p.setBrush(QColor(150, 100, 50));
        p.drawRect(QRectF(s * 0.15, s * 0.1, s * 0.4, s * 0.8));
        p.setPen(QPen(QColor(200, 0, 0), s * 0.08, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.45, s * 0.5), QPointF(s * 0.88, s * 0.5));
        QPainterPath ponta;
        ponta.moveTo(s * 0.72, s * 0.35);
        ponta.lineTo(s * 0.9, s * 0.5);
        ponta.lineTo(s * 0.72, s * 0.65);
        p.drawPath(ponta);
        break;
    }
    case Figura::Novo:
        folha(p, QRectF(s * 0.2, s * 0.08, s * 0.55, s * 0.8));
        p.setPen(QPen(QColor(0, 140, 0), s * 0.12, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.72, s * 0.55), QPointF(s * 0.72, s * 0.9));
        p.drawLine(QPointF(s * 0.55, s * 0.72), QPointF(s * 0.89, s * 0.72));
        break;
    case Figura::Salvar:
        p.setPen(QPen(QColor(20, 20, 60), 1.2));
        p.setBrush(QColor(40, 70, 160));
        p.drawRoundedRect(QRectF(s * 0.12, s * 0.12, s * 0.76, s * 0.76), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.25, s * 0.12, s * 0.5, s * 0.3));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(s * 0.28, s * 0.58, s * 0.44, s * 0.3));
        break;
    case Figura::Alterar: {
        folha(p, QRectF(s * 0.12, s * 0.08, s * 0.55, s * 0.8));
        p.setPen(QPen(QColor(200, 140, 0), s * 0.12, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(s * 0.45, s * 0.82), QPointF(s * 0.88, s * 0.35));
        p.setPen(QPen(QColor(60, 60, 60), s * 0.12, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(s * 0.40, s * 0.88), QPointF(s * 0.45, s * 0.82));
        break;
    }
    case Figura::Cancelar:
        p.setPen(QPen(QColor(200, 0, 0), s * 0.1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(s * 0.15, s * 0.15, s * 0.7, s * 0.7));
        p.drawLine(QPointF(s * 0.3, s * 0.7), QPointF(s * 0.7, s * 0.3));
        break;
    case Figura::Excluir:
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(s * 0.25, s * 0.3, s * 0.5, s * 0.6));
        p.drawRect(QRectF(s * 0.18, s * 0.18, s * 0.64, s * 0.1));
        p.setPen(QPen(QColor(200, 0, 0), s * 0.1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.35, s * 0.45), QPointF(s * 0.65, s * 0.78));
        p.drawLine(QPointF(s * 0.65, s * 0.45), QPointF(s * 0.35, s * 0.78));
        break;
    case Figura::Consultar:
        p.setPen(QPen(QColor(40, 40, 40), s * 0.09));
        p.setBrush(QColor(210, 235, 255));
        p.drawEllipse(QRectF(s * 0.12, s * 0.12, s * 0.5, s * 0.5));
        p.setPen(QPen(QColor(110, 70, 30), s * 0.14, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.58, s * 0.58), QPointF(s * 0.86, s * 0.86));
        break;
    case Figura::Carregar:
        p.setPen(QPen(QColor(70, 70, 70), 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(s * 0.1, s * 0.3, s * 0.8, s * 0.55));
        p.drawRect(QRectF(s * 0.1, s * 0.2, s * 0.35, s * 0.12));
        p.setBrush(QColor(120, 180, 240));
        p.drawRect(QRectF(s * 0.3, s * 0.45, s * 0.4, s * 0.3));
        break;
    case Figura::Impressora:
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.28, s * 0.08, s * 0.44, s * 0.3));
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(QRectF(s * 0.08, s * 0.36, s * 0.84, s * 0.36), 3, 3);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.26, s * 0.6, s * 0.48, s * 0.32));
        p.setPen(QPen(QColor(120, 120, 160), 1));
        p.drawLine(QPointF(s * 0.32, s * 0.72), QPointF(s * 0.68, s * 0.72));
        p.drawLine(QPointF(s * 0.32, s * 0.82), QPointF(s * 0.68, s * 0.82));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 170, 0));
        p.drawEllipse(QRectF(s * 0.78, s * 0.44, s * 0.07, s * 0.07));
        break;
    case Figura::Lupa:
        p.setPen(QPen(QColor(30, 30, 30), s * 0.08));
        p.setBrush(QColor(210, 235, 255));
        p.drawEllipse(QRectF(s * 0.14, s * 0.14, s * 0.46, s * 0.46));
        p.setPen(QPen(QColor(30, 30, 30), s * 0.13, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.56, s * 0.56), QPointF(s * 0.84, s * 0.84));
        break;
    case Figura::Calculadora: {
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.setBrush(QColor(90, 90, 100));
        p.drawRoundedRect(QRectF(s * 0.18, s * 0.06, s * 0.64, s * 0.88), 4, 4);
        p.setBrush(QColor(200, 220, 190));
        p.drawRect(QRectF(s * 0.26, s * 0.13, s * 0.48, s * 0.18));
        p.setPen(Qt::NoPen);
        for (int linha = 0; linha < 4; ++linha)
            for (int coluna = 0; coluna < 3; ++coluna) {
                p.setBrush(coluna == 2 && linha == 3 ? QColor(230, 120, 0) : QColor(235, 235, 235));
                p.drawRect(QRectF(s * (0.27 + coluna * 0.17), s * (0.38 + linha * 0.135), s * 0.12,
                                  s * 0.09));
            }
        break;
    }
    }
}

} // namespace

QIcon desenharFigura(Figura figura, int lado) {
    QPixmap pixmap(lado, lado);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    desenhar(p, figura, lado);
    p.end();
    return QIcon(pixmap);
}

void figurarColunaDeBotoes(QWidget *janela) {
    const std::pair<const char *, Figura> coluna[] = {
        {"BTnovo", Figura::Novo},       {"BTsalvar", Figura::Salvar},
        {"BTalterar", Figura::Alterar}, {"BTcancelar", Figura::Cancelar},
        {"BTexcluir", Figura::Excluir}, {"BTconsultar", Figura::Consultar},
        {"BTsair", Figura::Sair},
    };
    for (const auto &[nome, figura] : coluna)
        if (auto *botao = janela->findChild<QToolButton *>(QLatin1String(nome)))
            botao->setIcon(desenharFigura(figura, botao->iconSize().width()));
}
