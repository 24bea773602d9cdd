#include "DBImage.h"

#include "Campo.h"
#include "ErroSistema.h"

#include <QBuffer>
#include <QtGui/QImageReader>
#include <QtGui/QPainter>

TDBImage::TDBImage(QWidget *parent) : QFrame(parent), m_ligacao(new LigacaoCampo(this)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    m_ligacao->aoMostrar = [this] { mostrarValor(); };
}

void TDBImage::vincular(QObject *modulo) {
    m_ligacao->vincular(modulo);
}

QImage TDBImage::lerBitmap(const QByteArray &dados) {
    QByteArray copia(dados);
    QBuffer buffer(&copia);
    buffer.open(QIODevice::ReadOnly);
    QImageReader leitor(&buffer, "bmp");
    leitor.setAutoDetectImageFormat(false);
    leitor.setDecideFormatFromContent(false);
    QImage imagem;
    if (dados.isEmpty() || !leitor.canRead() || !leitor.read(&imagem) || imagem.isNull())
        throw ErroSistema(QStringLiteral("O arquivo não é uma imagem bitmap (BMP) válida."));
    return imagem;
}

void TDBImage::carregarBitmap(const QByteArray &dados) {
    lerBitmap(dados);
    if (!m_ligacao->iniciarEdicao())
        throw ErroSistema(QStringLiteral("A imagem não pode ser alterada agora."));
    campo()->definirValor(dados);
}

void TDBImage::mostrarValor() {
    m_imagem = QImage();
    if (m_ligacao->ativa()) {
        const QByteArray dados = campo()->valor().toByteArray();
        if (!dados.isEmpty())
            m_imagem.loadFromData(dados);
    }
    update();
}

void TDBImage::paintEvent(QPaintEvent *evento) {
    QFrame::paintEvent(evento);
    if (m_imagem.isNull())
        return;
    QPainter pintor(this);
    const QRect area = contentsRect();
    pintor.setClipRect(area);
    const QPoint canto(area.x() + (area.width() - m_imagem.width()) / 2,
                       area.y() + (area.height() - m_imagem.height()) / 2);
    pintor.drawImage(canto, m_imagem);
}
