#include "DBImage.h"

#include "Campo.h"
#include "ErroSistema.h"

#include <QBuffer>
#include <QtGui/QImageReader>
#include <QtGui/QPainter>
#include <optional>

namespace {

const QString k_naoBitmap = QStringLiteral("O arquivo não é uma imagem bitmap (BMP) válida.");

constexpr qint64 k_megabyte = 1024 * 1024;
// The most a picture may take once decoded, and the most pixels Qt's bitmap reader takes:
// beyond them a logo is refused as too large instead of putting the program's memory at risk.
constexpr qint64 k_maximoDeBytes = 1024 * k_megabyte;
constexpr qint64 k_maximoDePixels = qint64(16384) * 16384;

quint32 le16(const QByteArray &dados, qsizetype i) {
    return quint32(uchar(dados[i])) | quint32(uchar(dados[i + 1])) << 8;
}

quint32 le32(const QByteArray &dados, qsizetype i) {
    return le16(dados, i) | le16(dados, i + 2) << 16;
}

// What the headers of a bitmap file say about it, read without decoding it.
struct CabecalhoBmp {
    qint64 largura = 0;
    qint64 altura = 0;
    QImage::Format formato = QImage::Format_RGB32;
    // What the decoded picture takes in memory.
    qint64 bytesDecodificados = 0;
    // How long the file must be to hold the whole picture; 0 when the headers do not tell.
    qint64 tamanhoNecessario = 0;
    int bits = 0;
    bool rle = false;             // run-length coded, 8 or 4 bits a pixel
    bool deCimaParaBaixo = false; // a negative height: the first row stored is the top one
    qint64 cores = 0;             // entries in the colour table
    qint64 inicioDaTabela = 0;    // where the colour table starts
    int bytesPorCor = 4;          // 3 in the old 12-byte header
    qint64 inicioDosPixels = 0;   // where the reader starts on the pixels

    bool grandeDemais() const {
        return largura * altura > k_maximoDePixels || bytesDecodificados > k_maximoDeBytes;
    }
};

// Empty when the bytes do not begin as a bitmap file of a kind Qt's reader decodes.
std::optional<CabecalhoBmp> lerCabecalhoBmp(const QByteArray &dados) {
    constexpr qint64 k_cabecalhoArquivo = 14;
    if (dados.size() < k_cabecalhoArquivo + 16 || !dados.startsWith("BM"))
        return std::nullopt;
    const qint64 inicioDosPixels = le32(dados, 10);
    const qint64 tamanhoInfo = le32(dados, 14);
    CabecalhoBmp c;
    quint32 planos = 0;
    int bits = 0;
    quint32 compressao = 0;
    qint64 tamanhoDosPixels = 0;
    qint64 cores = 0;
    // The Windows headers (40, 108 and 124 bytes) and the newer OS/2 one (64) share their first
    // 40 bytes; any other size is read as the old 12-byte header.
    const bool windows =
        tamanhoInfo == 40 || tamanhoInfo == 64 || tamanhoInfo == 108 || tamanhoInfo == 124;
    if (windows) {
        if (dados.size() < k_cabecalhoArquivo + 40)
            return std::nullopt;
        c.largura = qint32(le32(dados, 18));
        c.altura = qint32(le32(dados, 22));
        planos = le16(dados, 26);
        bits = int(le16(dados, 28));
        compressao = le32(dados, 30);
        tamanhoDosPixels = le32(dados, 34);
        cores = le32(dados, 46);
    } else {
        c.largura = qint16(le16(dados, 18));
        c.altura = qint16(le16(dados, 20));
        planos = le16(dados, 22);
        bits = int(le16(dados, 24));
    }
    c.deCimaParaBaixo = c.altura < 0;
    c.altura = qAbs(c.altura); // a negative height is stored top-down
    if (c.largura <= 0 || c.altura <= 0 || planos != 1)
        return std::nullopt;

    enum : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, CamposDeBits = 3 };
    int profundidade = 32;
    switch (bits) {
    case 1:
        profundidade = 1;
        c.formato = QImage::Format_Mono;
        break;
    case 4:
    case 8:
        profundidade = 8;
        c.formato = QImage::Format_Indexed8;
        break;
    case 16:
    case 24:
    case 32:
        break;
    default:
        return std::nullopt;
    }
    const bool compressaoAceita = compressao == Rgb || (compressao == Rle8 && bits == 8) ||
                                  (compressao == Rle4 && bits == 4) ||
                                  (compressao == CamposDeBits && (bits == 16 || bits == 32));
    if (!compressaoAceita)
        return std::nullopt;
    if (profundidade == 32) {
        cores = 0;
    } else {
        if (cores == 0)
            cores = qint64(1) << bits;
        if (cores > 256)
            return std::nullopt;
    }

    // Checked before any product that could overflow.
    if (c.largura > k_maximoDePixels || c.altura > k_maximoDePixels) {
        c.bytesDecodificados = k_maximoDeBytes + 1;
        return c;
    }
    c.bytesDecodificados = (c.largura * profundidade + 31) / 32 * 4 * c.altura;
    if (c.grandeDemais())
        return c;

    // The masks that follow a short header with bit fields, and the colour table, come before
    // the pixels, which start no earlier than the file header says.
    qint64 depoisDosCabecalhos = k_cabecalhoArquivo + tamanhoInfo;
    if (tamanhoInfo < 108 && compressao == CamposDeBits)
        depoisDosCabecalhos += 12;
    depoisDosCabecalhos += cores * (tamanhoInfo == 12 ? 3 : 4);
    const qint64 inicio = qMax(inicioDosPixels, depoisDosCabecalhos);
    c.bits = bits;
    c.rle = compressao == Rle8 || compressao == Rle4;
    c.cores = cores;
    c.inicioDaTabela = k_cabecalhoArquivo + tamanhoInfo;
    c.bytesPorCor = windows ? 4 : 3;
    c.inicioDosPixels = inicio;
    if (compressao == Rgb || compressao == CamposDeBits)
        c.tamanhoNecessario = inicio + (c.largura * bits + 31) / 32 * 4 * c.altura;
    else if (tamanhoDosPixels > 0) // run-length coded: only the header's own count tells
        c.tamanhoNecessario = inicio + tamanhoDosPixels;
    return c;
}

// Qt refuses to decode a picture above its allocation limit (128 MB unless raised); the limit
// is raised for one reading to what that picture needs, and put back afterwards.
class LimiteDeAlocacao {
public:
    explicit LimiteDeAlocacao(qint64 bytes) : m_anterior(QImageReader::allocationLimit()) {
        const qint64 megabytes = bytes / k_megabyte + 1;
        if (m_anterior > 0 && megabytes > m_anterior)
            QImageReader::setAllocationLimit(int(megabytes));
    }
    ~LimiteDeAlocacao() { QImageReader::setAllocationLimit(m_anterior); }
    LimiteDeAlocacao(const LimiteDeAlocacao &) = delete;
    LimiteDeAlocacao &operator=(const LimiteDeAlocacao &) = delete;

private:
    int m_anterior;
};

// A picture with a colour table becomes one of direct colours before anyone paints or prints
// it: a bitmap's pixels may name entries past the end of its table, and painting reads the
// table by them. Entries the file left out are black. Null when memory runs short.
QImage emCoresDiretas(QImage imagem) {
    int entradas = 0;
    switch (imagem.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        entradas = 2;
        break;
    case QImage::Format_Indexed8:
        entradas = 256;
        break;
    default:
        return imagem;
    }
    QList<QRgb> tabela = imagem.colorTable();
    if (tabela.size() < entradas) {
        tabela.resize(entradas, qRgb(0, 0, 0));
        imagem.setColorTable(tabela);
    }
    return imagem.convertToFormat(imagem.hasAlphaChannel() ? QImage::Format_ARGB32
                                                           : QImage::Format_RGB32);
}

// A run-length coded bitmap, decoded here: Qt's reader leaves the pixels such a file skips (a
// jump, a line or the picture ended early) holding whatever the memory held before, and the
// format makes them colour 0 of the table. A run past the end of its line is cut there; the
// file ending early ends the picture. Null when the colour table is cut or memory runs short.
QImage decodificarRle(const QByteArray &dados, const CabecalhoBmp &c) {
    QImage imagem(int(c.largura), int(c.altura), QImage::Format_Indexed8);
    if (imagem.isNull())
        return {};
    imagem.fill(0);
    QList<QRgb> tabela;
    for (qint64 i = 0; i < c.cores; ++i) {
        const qint64 pos = c.inicioDaTabela + i * c.bytesPorCor;
        if (pos + 3 > dados.size())
            return {};
        tabela << qRgb(uchar(dados[pos + 2]), uchar(dados[pos + 1]), uchar(dados[pos]));
    }
    imagem.setColorTable(tabela);

    const bool quatroBits = c.bits == 4;
    qint64 p = c.inicioDosPixels;
    const auto proximo = [&]() -> int { return p < dados.size() ? uchar(dados[p++]) : -1; };
    // The i-th pixel of a run or of an absolute stretch whose bytes are given.
    const auto indice = [&](int byte, int i) {
        return quatroBits ? (i % 2 == 0 ? byte >> 4 : byte & 0x0f) : byte;
    };
    qint64 x = 0, y = 0;
    const auto por = [&](int cor) {
        if (x < c.largura && y < c.altura)
            imagem.scanLine(int(c.deCimaParaBaixo ? y : c.altura - 1 - y))[x] = uchar(cor);
        ++x;
    };
    while (y < c.altura) {
        const int n = proximo();
        const int v = proximo();
        if (n < 0 || v < 0)
            break;
        if (n > 0) { // a run of n pixels
            for (int i = 0; i < n && x < c.largura; ++i)
                por(indice(v, i));
        } else if (v == 0) { // end of line
            x = 0;
            ++y;
        } else if (v == 1) { // end of the picture
            break;
        } else if (v == 2) { // a jump right and up
            const int dx = proximo();
            const int dy = proximo();
            if (dx < 0 || dy < 0)
                break;
            x += dx;
            y += dy;
        } else { // v pixels as they are, padded to a whole word
            const qint64 bytes = quatroBits ? (v + 1) / 2 : v;
            for (int i = 0; i < v; ++i) {
                const qint64 pos = p + (quatroBits ? i / 2 : i);
                if (pos >= dados.size())
                    break;
                por(indice(uchar(dados[pos]), i));
            }
            p += bytes + (bytes & 1);
        }
    }
    return imagem;
}

// Null when the reader refuses the bytes. Without a format the reader recognises it.
QImage decodificar(const QByteArray &dados, const char *formato, qint64 bytesDecodificados) {
    QBuffer buffer;
    buffer.setData(dados);
    buffer.open(QIODevice::ReadOnly);
    QImageReader leitor(&buffer, formato);
    if (formato) {
        leitor.setAutoDetectImageFormat(false);
        leitor.setDecideFormatFromContent(false);
    }
    const LimiteDeAlocacao limite(bytesDecodificados);
    QImage imagem;
    if (!leitor.canRead() || !leitor.read(&imagem))
        return {};
    return emCoresDiretas(imagem);
}

QImage decodificarBmp(const QByteArray &dados, const CabecalhoBmp &cabecalho) {
    if (cabecalho.rle)
        return emCoresDiretas(decodificarRle(dados, cabecalho));
    return decodificar(dados, "bmp", cabecalho.bytesDecodificados);
}

// A stored logo is shown whatever it holds, as long as it fits in memory.
QImage decodificarGuardada(const QByteArray &dados) {
    if (const auto cabecalho = lerCabecalhoBmp(dados))
        return cabecalho->grandeDemais() ? QImage() : decodificarBmp(dados, *cabecalho);
    QBuffer buffer;
    buffer.setData(dados);
    buffer.open(QIODevice::ReadOnly);
    const QSize tamanho = QImageReader(&buffer).size();
    const qint64 bytes = tamanho.isValid() ? qint64(tamanho.width()) * tamanho.height() * 4 : 0;
    return bytes > k_maximoDeBytes ? QImage() : decodificar(dados, nullptr, bytes);
}

} // namespace

TDBImage::TDBImage(QWidget *parent) : QFrame(parent), m_ligacao(new LigacaoCampo(this)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    m_ligacao->aoMostrar = [this] { mostrarValor(); };
}

void TDBImage::vincular(QObject *modulo) {
    m_ligacao->vincular(modulo);
}

QImage TDBImage::lerBitmap(const QByteArray &dados) {
    const auto cabecalho = lerCabecalhoBmp(dados);
    if (!cabecalho)
        throw ErroSistema(k_naoBitmap);
    const QString medidas =
        QStringLiteral("%1 x %2").arg(cabecalho->largura).arg(cabecalho->altura);
    if (cabecalho->grandeDemais())
        throw ErroSistema(
            QStringLiteral("A imagem de %1 pixels é grande demais para ser aberta na memória.")
                .arg(medidas));
    if (cabecalho->tamanhoNecessario > dados.size())
        throw ErroSistema(QStringLiteral("O arquivo bitmap (BMP) está incompleto: tem %1 bytes "
                                         "dos %2 que a imagem de %3 pixels ocupa.")
                              .arg(dados.size())
                              .arg(cabecalho->tamanhoNecessario)
                              .arg(medidas));
    const QImage imagem = decodificarBmp(dados, *cabecalho);
    if (!imagem.isNull())
        return imagem;
    // The headers were sound: either the memory ran short or the pixels are damaged.
    if (QImage(int(cabecalho->largura), int(cabecalho->altura), cabecalho->formato).isNull())
        throw ErroSistema(
            QStringLiteral("Não há memória livre para abrir a imagem de %1 pixels.").arg(medidas));
    throw ErroSistema(k_naoBitmap);
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
            m_imagem = decodificarGuardada(dados);
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
