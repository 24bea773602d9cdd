#include "PlanilhaConferida.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

namespace PlanilhaConferida {

namespace {

constexpr quint32 k_fimDoDiretorio = 0x06054b50;
constexpr quint32 k_entradaDoDiretorio = 0x02014b50;
constexpr quint32 k_cabecalhoLocal = 0x04034b50;

quint16 le16(const char *p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 le32(const char *p) {
    return qFromLittleEndian<quint32>(p);
}

// The first and last bytes of a part, read through once (inflated when compressed).
struct Pontas {
    QByteArray inicio;
    QByteArray fim;
    qint64 tamanho = 0;
    quint32 crc = 0;
};

void guardar(Pontas &p, const char *dados, qint64 n) {
    constexpr qsizetype guardados = 512;
    p.crc = quint32(crc32(p.crc, reinterpret_cast<const Bytef *>(dados), uInt(n)));
    p.tamanho += n;
    if (p.inicio.size() < guardados)
        p.inicio.append(dados, qMin<qint64>(n, guardados - p.inicio.size()));
    p.fim.append(dados, n);
    if (p.fim.size() > guardados)
        p.fim.remove(0, p.fim.size() - guardados);
}

bool lerParte(QFile &zip, qint64 inicio, qint64 compactado, quint16 metodo, Pontas &p) {
    if (!zip.seek(inicio))
        return false;
    if (metodo == 0) {
        for (qint64 faltam = compactado; faltam > 0;) {
            const QByteArray b = zip.read(qMin<qint64>(faltam, 1 << 20));
            if (b.isEmpty())
                return false;
            guardar(p, b.constData(), b.size());
            faltam -= b.size();
        }
        return true;
    }
    if (metodo != 8)
        return false;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return false;
    QByteArray saida(1 << 18, Qt::Uninitialized);
    int r = Z_OK;
    for (qint64 faltam = compactado; r != Z_STREAM_END;) {
        const QByteArray entrada = zip.read(qMin<qint64>(faltam, 1 << 20));
        faltam -= entrada.size();
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(entrada.constData()));
        z.avail_in = uInt(entrada.size());
        do {
            z.next_out = reinterpret_cast<Bytef *>(saida.data());
            z.avail_out = uInt(saida.size());
            r = inflate(&z, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) {
                inflateEnd(&z);
                return false;
            }
            guardar(p, saida.constData(), saida.size() - qint64(z.avail_out));
        } while (z.avail_out == 0 && r != Z_STREAM_END);
        if (entrada.isEmpty() && r != Z_STREAM_END) {
            inflateEnd(&z);
            return false;
        }
    }
    inflateEnd(&z);
    return true;
}

// A part of XML whole: its declaration first, the closing tag of its first element last.
bool xmlInteiro(const Pontas &p) {
    QByteArray inicio = p.inicio.trimmed();
    if (inicio.startsWith("\xEF\xBB\xBF"))
        inicio.remove(0, 3);
    if (!inicio.startsWith("<?xml"))
        return false;
    const qsizetype fimDaDeclaracao = inicio.indexOf("?>");
    const qsizetype abre = inicio.indexOf('<', fimDaDeclaracao + 2);
    if (fimDaDeclaracao < 0 || abre < 0)
        return false;
    qsizetype fimDoNome = abre + 1;
    while (fimDoNome < inicio.size() && !QChar(inicio[fimDoNome]).isSpace() &&
           inicio[fimDoNome] != '>' && inicio[fimDoNome] != '/')
        ++fimDoNome;
    const QByteArray raiz = inicio.mid(abre + 1, fimDoNome - abre - 1);
    const QByteArray fecha = "</" + raiz + '>';
    return !raiz.isEmpty() && p.fim.trimmed().endsWith(fecha);
}

} // namespace

QString defeito(const QString &arquivo) {
    const QString cortada = QStringLiteral("a planilha montada ficou incompleta");
    QFile zip(arquivo);
    if (!zip.open(QIODevice::ReadOnly))
        return cortada;
    const qint64 tamanho = zip.size();
    // The end of the central directory, within the last 64 KB and its 22 bytes.
    const qint64 desde = qMax<qint64>(0, tamanho - (65535 + 22));
    zip.seek(desde);
    const QByteArray cauda = zip.readAll();
    qsizetype fim = -1;
    for (qsizetype i = cauda.size() - 22; i >= 0 && fim < 0; --i)
        if (le32(cauda.constData() + i) == k_fimDoDiretorio)
            fim = i;
    if (fim < 0)
        return cortada;
    const int entradas = le16(cauda.constData() + fim + 10);
    const qint64 tamanhoDoDiretorio = le32(cauda.constData() + fim + 12);
    const qint64 inicioDoDiretorio = le32(cauda.constData() + fim + 16);
    if (entradas == 0 || inicioDoDiretorio + tamanhoDoDiretorio > tamanho)
        return cortada;
    zip.seek(inicioDoDiretorio);
    const QByteArray diretorio = zip.read(tamanhoDoDiretorio);
    if (diretorio.size() != tamanhoDoDiretorio)
        return cortada;
    qsizetype p = 0;
    for (int e = 0; e < entradas; ++e) {
        if (p + 46 > diretorio.size() || le32(diretorio.constData() + p) != k_entradaDoDiretorio)
            return cortada;
        const char *d = diretorio.constData() + p;
        const quint16 metodo = le16(d + 10);
        const quint32 crc = le32(d + 16);
        const qint64 compactado = le32(d + 20);
        const qint64 original = le32(d + 24);
        const int nome = le16(d + 28), extra = le16(d + 30), comentario = le16(d + 32);
        const qint64 local = le32(d + 42);
        const QByteArray nomeDaParte = diretorio.mid(p + 46, nome);
        p += 46 + nome + extra + comentario;

        char cabecalho[30];
        if (!zip.seek(local) || zip.read(cabecalho, 30) != 30 ||
            le32(cabecalho) != k_cabecalhoLocal)
            return cortada;
        const qint64 dados = local + 30 + le16(cabecalho + 26) + le16(cabecalho + 28);
        const bool xml = nomeDaParte.endsWith(".xml") || nomeDaParte.endsWith(".rels");
        if (!xml)
            continue;
        Pontas pontas;
        if (!lerParte(zip, dados, compactado, metodo, pontas) || pontas.tamanho != original ||
            pontas.crc != crc || !xmlInteiro(pontas))
            return cortada;
    }
    return {};
}

} // namespace PlanilhaConferida
