#pragma once
#include "ControleDados.h"

#include <QtGui/QImage>
#include <QtWidgets/QFrame>

// An image box bound to a binary field holding the bytes of a bitmap file: shows the picture
// centred at its own size, clipped by the box, never scaled.
class TDBImage : public QFrame, public ControleDados {
    Q_OBJECT
    Q_PROPERTY(QString dataSource READ dataSource WRITE setDataSource)
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
public:
    explicit TDBImage(QWidget *parent = nullptr);

    QString dataSource() const { return m_ligacao->nomeFonte; }
    void setDataSource(const QString &nome) { m_ligacao->nomeFonte = nome; }
    QString dataField() const { return m_ligacao->nomeCampo; }
    void setDataField(const QString &nome) { m_ligacao->nomeCampo = nome; }

    void vincular(QObject *modulo) override;
    Campo *campo() const { return m_ligacao->campo(); }

    // The picture shown now; null when the field is empty or holds no readable bitmap.
    const QImage &imagem() const { return m_imagem; }

    // Reads bytes as a bitmap (BMP) file, whatever the file was called; any variant Qt's BMP
    // reader takes, however large, as long as the decoded picture fits in memory. Throws
    // ErroSistema with the reason in Portuguese otherwise: not a bitmap, a file cut short
    // (which the reader alone would take in part), too large for memory.
    static QImage lerBitmap(const QByteArray &dados);
    // Starts the edit and stores the bytes of a bitmap file as they are; bytes refused by
    // lerBitmap throw its ErroSistema and the stored picture stays.
    void carregarBitmap(const QByteArray &dados);

protected:
    void paintEvent(QPaintEvent *evento) override;

private:
    void mostrarValor();

    LigacaoCampo *m_ligacao;
    QImage m_imagem;
};
