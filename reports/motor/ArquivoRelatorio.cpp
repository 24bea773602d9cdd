#include "ArquivoRelatorio.h"

#include "ErroSistema.h"
#include "SaidaArquivo.h"

#include <QDataStream>
#include <QFile>
#include <QImageReader>
#include <QScopeGuard>
#include <QtEndian>

#include <zlib.h>

#include <array>
#include <cstring>
#include <functional>

#include <sys/stat.h>

namespace ArquivoRelatorio {

namespace {

constexpr char assinatura[8] = {'T', 'L', 'V', 'R', 'P', 'R', 'E', 'P'};
// Version 2 adds each text's alignment, wrapping and kind of value, and the title.
constexpr quint16 versao = 2;
constexpr quint16 versaoSemTipos = 1;
constexpr auto versaoStream = QDataStream::Qt_6_4;

enum TipoElemento : quint8 { ElTexto = 1, ElTraco, ElRetangulo, ElFigura };

void escrever(QDataStream &s, const MolduraLayout &m) {
    s << m.topo << m.baixo << m.esquerda << m.direita << quint8(m.estilo) << m.largura;
}

void ler(QDataStream &s, MolduraLayout &m) {
    quint8 estilo = 0;
    s >> m.topo >> m.baixo >> m.esquerda >> m.direita >> estilo >> m.largura;
    m.estilo = MolduraLayout::Estilo(qMin<quint8>(estilo, MolduraLayout::Duplo));
}

// What comes before the pages: name, title, fonts, pictures and the number of pages.
QByteArray serializarInicio(const RelatorioPreparado &r) {
    QByteArray dados;
    QDataStream s(&dados, QIODevice::WriteOnly);
    s.setVersion(versaoStream);
    s << r.nome << r.titulo << quint32(r.fontes.size());
    for (const FontePreparada &f : r.fontes)
        s << f.nome << qint32(f.pontos) << f.negrito << f.italico << f.sublinhado;
    s << quint32(r.imagens.size());
    for (const QImage &img : r.imagens)
        s << img;
    s << quint32(r.paginas.size());
    return dados;
}

// One page, into a buffer used again for the next one.
void serializarPagina(const PaginaPreparada &p, QByteArray &dados) {
    dados.resize(0);
    QDataStream s(&dados, QIODevice::WriteOnly);
    s.setVersion(versaoStream);
    s << p.larguraMm << p.alturaMm << p.paisagem << p.margensMm << p.deslocamentoMm
      << quint32(p.elementos.size());
    for (const ElementoPreparado &e : p.elementos) {
        if (const auto *t = std::get_if<TextoPreparado>(&e)) {
            s << quint8(ElTexto) << t->nome << t->caixa << t->recortar << qint32(t->fonte) << t->cor
              << t->fundo;
            escrever(s, t->moldura);
            s << quint8(t->alinhamentoH) << quint8(t->alinhamentoV) << t->quebraLinha
              << quint8(t->tipo) << t->casasValor << t->casasExibidas << t->valor
              << quint32(t->linhas.size());
            for (const LinhaDeTexto &l : t->linhas)
                s << l.base << l.texto << l.largura;
        } else if (const auto *l = std::get_if<TracoPreparado>(&e)) {
            s << quint8(ElTraco) << l->inicio << l->fim << l->largura << quint8(l->estilo)
              << l->cor;
        } else if (const auto *r2 = std::get_if<RetanguloPreparado>(&e)) {
            s << quint8(ElRetangulo) << r2->caixa << r2->largura << r2->borda << r2->fundo;
        } else if (const auto *f = std::get_if<FiguraPreparada>(&e)) {
            s << quint8(ElFigura) << f->caixa << f->destino << qint32(f->imagem);
        }
    }
}

[[noreturn]] void danificado(const QString &arquivo) {
    throw ErroSistema(
        QStringLiteral("O arquivo %1 está incompleto ou danificado e não pôde ser aberto.")
            .arg(arquivo));
}

// What a report saved by this program holds at most: a file that asks for more was not made
// by it, and is refused before it can take the machine's memory or time.
namespace Limite {
constexpr quint32 fontes = 256;
constexpr quint32 imagens = 256;
constexpr int megasPorImagem = 64;   // decoded, as Qt's image reader counts them
constexpr quint32 paginas = 1000000; // some 60 million rows of a list
constexpr quint32 elementosPorPagina = 20000;
constexpr quint32 linhasPorTexto = 2000;
constexpr quint32 linhasPorPagina = 50000;
constexpr double ladoDaPaginaMm = 2000; // larger than A0
} // namespace Limite

[[noreturn]] void demais(const QString &arquivo, const QString &oQue) {
    throw ErroSistema(QStringLiteral("O arquivo %1 não foi aberto: pede %2, mais do que um "
                                     "relatório salvo por este programa tem. Ele não foi salvo por "
                                     "este programa, ou está danificado.")
                          .arg(arquivo, oQue));
}

// Files of the first version keep no alignment: it is read, once, from where the
// first line sits in its box.
AlinhamentoH alinhamentoPelasLinhas(const TextoPreparado &t) {
    if (t.linhas.isEmpty())
        return AlinhamentoH::Esquerda;
    const LinhaDeTexto &l = t.linhas.first();
    const double esquerda = l.base.x() - t.caixa.left();
    const double direita = t.caixa.right() - (l.base.x() + l.largura);
    if (qAbs(esquerda - direita) < 1.0 && esquerda > 3)
        return AlinhamentoH::Centro;
    return direita < esquerda ? AlinhamentoH::Direita : AlinhamentoH::Esquerda;
}

void lerTipos(QDataStream &s, TextoPreparado &t, quint16 versaoLida) {
    if (versaoLida == versaoSemTipos) {
        bool temNumero = false;
        qint32 casas = 0;
        s >> temNumero >> t.valor >> casas;
        if (temNumero) {
            t.tipo = TextoPreparado::Tipo::Numero;
            t.casasValor = qint8(qBound(0, casas, 9));
            t.casasExibidas = t.casasValor;
        }
        return;
    }
    quint8 h = 0, v = 0, tipo = 0;
    s >> h >> v >> t.quebraLinha >> tipo >> t.casasValor >> t.casasExibidas >> t.valor;
    t.alinhamentoH = AlinhamentoH(qMin<quint8>(h, quint8(AlinhamentoH::Direita)));
    t.alinhamentoV = AlinhamentoV(qMin<quint8>(v, quint8(AlinhamentoV::Centro)));
    t.tipo = TextoPreparado::Tipo(qMin<quint8>(tipo, quint8(TextoPreparado::Tipo::Data)));
    t.casasValor = qint8(qBound(0, int(t.casasValor), 9));
    t.casasExibidas = qint8(qBound(-1, int(t.casasExibidas), 9));
}

// The size before the zlib stream, as qCompress writes it.
constexpr int tamanhoDaDica = 4;
constexpr qsizetype tamanhoDoTrecho = 256 * 1024;

// The CRC-16 of qChecksum (ISO 3309: reflected polynomial 0x8408, started and
// ended with 0xffff), computed as the bytes go by. The file's check covers the
// size that precedes the compressed pages, known only once they are written, so
// the writer computes the CRC of the pages on their own and joins the two, as
// zlib's crc32_combine does.
namespace Crc16 {

constexpr quint16 inicio = 0xffff;
constexpr quint16 polinomio = 0x8408;

constexpr std::array<quint16, 256> tabela = [] {
    std::array<quint16, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        quint16 c = quint16(i);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? quint16((c >> 1) ^ polinomio) : quint16(c >> 1);
        t[i] = c;
    }
    return t;
}();

quint16 avancar(quint16 estado, const char *dados, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i)
        estado = quint16((estado >> 8) ^ tabela[(estado ^ quint8(dados[i])) & 0xff]);
    return estado;
}

quint16 concluir(quint16 estado) {
    return quint16(~estado);
}

// A 16 x 16 matrix over GF(2), one column per bit: what n zero bits do to the register.
using Matriz = std::array<quint16, 16>;

quint16 vezes(const Matriz &m, quint16 v) {
    quint16 soma = 0;
    for (int i = 0; v; ++i, v >>= 1)
        if (v & 1)
            soma ^= m[i];
    return soma;
}

Matriz quadrado(const Matriz &m) {
    Matriz q{};
    for (int i = 0; i < 16; ++i)
        q[i] = vezes(m, m[i]);
    return q;
}

// The register after `antes` and then bytes whose CRC from a zero register is
// `depois`: the register is linear in what it held, so `antes` only needs to be
// carried over as many zero bytes as followed.
quint16 juntar(quint16 antes, quint16 depois, quint64 bytesDepois) {
    Matriz impar{}; // one zero bit
    impar[0] = polinomio;
    for (int k = 1; k < 16; ++k)
        impar[k] = quint16(1u << (k - 1));
    Matriz par = quadrado(impar); // two
    impar = quadrado(par);        // four
    while (bytesDepois) {
        par = quadrado(impar); // eight bits, sixteen, ...: one byte, two, four, ...
        if (bytesDepois & 1)
            antes = vezes(par, antes);
        bytesDepois >>= 1;
        if (!bytesDepois)
            break;
        impar = quadrado(par);
        if (bytesDepois & 1)
            antes = vezes(impar, antes);
        bytesDepois >>= 1;
    }
    return quint16(antes ^ depois);
}

} // namespace Crc16

// Deflates what it is given into the file a piece at a time, counting the bytes
// on both sides and the CRC of the compressed ones from a zero register.
class Compressor {
public:
    explicit Compressor(SaidaArquivo &saida)
        : m_saida(saida), m_trecho(tamanhoDoTrecho, Qt::Uninitialized) {
        // The fastest level: saves in half the time of the default one, for a file
        // about a seventh larger; any level reads back the same.
        if (deflateInit(&m_z, Z_BEST_SPEED) != Z_OK)
            throw ErroSistema(QStringLiteral("Não há memória para compactar o relatório."));
    }
    ~Compressor() { deflateEnd(&m_z); }
    Compressor(const Compressor &) = delete;
    Compressor &operator=(const Compressor &) = delete;

    void escrever(const QByteArray &dados) {
        m_originais += quint64(dados.size());
        m_z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(dados.constData()));
        m_z.avail_in = uInt(dados.size());
        do
            bombear(Z_NO_FLUSH);
        while (m_z.avail_out == 0);
    }

    void terminar() {
        m_z.next_in = nullptr;
        m_z.avail_in = 0;
        while (bombear(Z_FINISH) != Z_STREAM_END) {
        }
    }

    quint64 originais() const { return m_originais; }
    quint64 compactados() const { return m_compactados; }
    quint16 crc() const { return m_crc; }

private:
    int bombear(int modo) {
        m_z.next_out = reinterpret_cast<Bytef *>(m_trecho.data());
        m_z.avail_out = uInt(m_trecho.size());
        const int resultado = deflate(&m_z, modo);
        if (resultado == Z_STREAM_ERROR)
            throw ErroSistema(QStringLiteral("O relatório não pôde ser compactado."));
        const qsizetype feitos = m_trecho.size() - qsizetype(m_z.avail_out);
        m_saida.escrever(m_trecho.constData(), feitos);
        m_crc = Crc16::avancar(m_crc, m_trecho.constData(), feitos);
        m_compactados += quint64(feitos);
        return resultado;
    }

    SaidaArquivo &m_saida;
    QByteArray m_trecho;
    z_stream m_z{};
    quint64 m_originais = 0;
    quint64 m_compactados = 0;
    quint16 m_crc = 0;
};

// The uncompressed pages as a device that inflates the file's stream as it is
// read, taking the compressed bytes a piece at a time and computing their CRC.
// Damaged data ends the reading (the reader then finds the pages incomplete).
class Descompressor : public QIODevice {
public:
    Descompressor(QIODevice &entrada, qint64 compactados, quint16 crc)
        : m_entrada(entrada), m_restantes(compactados), m_crc(crc),
          m_trecho(tamanhoDoTrecho, Qt::Uninitialized) {
        m_iniciado = inflateInit(&m_z) == Z_OK;
        m_erro = !m_iniciado;
    }
    ~Descompressor() override {
        if (m_iniciado)
            inflateEnd(&m_z);
    }

    bool isSequential() const override { return true; }

    // Whether the stream ended whole; the compressed bytes left after it are read
    // into the CRC then.
    bool conferido() {
        if (!m_fim || m_erro)
            return false;
        while (m_restantes > 0 && lerCompactados()) {
        }
        return m_restantes == 0 && !m_erro;
    }
    quint16 crc() const { return m_crc; }

protected:
    qint64 readData(char *dados, qint64 maximo) override {
        m_z.next_out = reinterpret_cast<Bytef *>(dados);
        m_z.avail_out = uInt(qMin<qint64>(maximo, tamanhoDoTrecho));
        const uInt pedidos = m_z.avail_out;
        while (m_z.avail_out > 0 && !m_fim && !m_erro) {
            if (m_z.avail_in == 0 && !lerCompactados())
                break;
            const int resultado = inflate(&m_z, Z_NO_FLUSH);
            if (resultado == Z_STREAM_END)
                m_fim = true;
            else if (resultado != Z_OK)
                m_erro = true;
        }
        const qint64 feitos = pedidos - m_z.avail_out;
        return feitos == 0 && m_erro ? -1 : feitos;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    bool lerCompactados() {
        const qint64 lidos =
            m_restantes > 0 ? m_entrada.read(m_trecho.data(), qMin(m_restantes, tamanhoDoTrecho))
                            : 0;
        if (lidos <= 0) {
            m_erro = true;
            return false;
        }
        m_restantes -= lidos;
        m_crc = Crc16::avancar(m_crc, m_trecho.constData(), lidos);
        m_z.next_in = reinterpret_cast<Bytef *>(m_trecho.data());
        m_z.avail_in = uInt(lidos);
        return true;
    }

    QIODevice &m_entrada;
    qint64 m_restantes;
    quint16 m_crc;
    QByteArray m_trecho;
    z_stream m_z{};
    bool m_iniciado = false;
    bool m_fim = false;
    bool m_erro = false;
};

// Reads the pages from the uncompressed bytes, each page going into the compact
// store as soon as it is complete.
RelatorioPreparado desserializar(QIODevice &dados, quint64 limite, const QString &arquivo,
                                 quint16 versaoLida, const Exportadores::Progresso &progresso) {
    QDataStream s(&dados);
    s.setVersion(versaoStream);
    RelatorioPreparado r;
    // Counts are checked against what the file could hold, so a damaged count cannot
    // ask for the moon; and each loop stops at the first thing that could not be read.
    auto contagem = [&](quint32 n, quint32 maximo, const char *oQue) {
        if (s.status() != QDataStream::Ok)
            danificado(arquivo);
        if (n > maximo)
            demais(arquivo, QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(oQue)));
        if (n > limite)
            danificado(arquivo);
        return n;
    };
    auto conferir = [&] {
        if (s.status() != QDataStream::Ok)
            danificado(arquivo);
    };
    quint32 n = 0;
    s >> r.nome;
    if (versaoLida != versaoSemTipos)
        s >> r.titulo;
    s >> n;
    for (quint32 i = 0, total = contagem(n, Limite::fontes, "fontes"); i < total; ++i) {
        FontePreparada f;
        qint32 pontos = 0;
        s >> f.nome >> pontos >> f.negrito >> f.italico >> f.sublinhado;
        conferir();
        f.pontos = pontos;
        r.fontes << f;
    }
    s >> n;
    {
        // A picture's decoding is bounded as the program's own pictures are.
        const int antes = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(Limite::megasPorImagem);
        const auto voltar = qScopeGuard([antes] { QImageReader::setAllocationLimit(antes); });
        for (quint32 i = 0, total = contagem(n, Limite::imagens, "figuras"); i < total; ++i) {
            QImage img;
            s >> img;
            conferir();
            r.imagens << img;
        }
    }
    s >> n;
    PaginaPreparada p;
    for (quint32 i = 0, paginas = contagem(n, Limite::paginas, "páginas"); i < paginas; ++i) {
        quint32 elementos = 0;
        s >> p.larguraMm >> p.alturaMm >> p.paisagem >> p.margensMm >> p.deslocamentoMm >>
            elementos;
        conferir();
        if (!(p.larguraMm >= 1 && p.larguraMm <= Limite::ladoDaPaginaMm && p.alturaMm >= 1 &&
              p.alturaMm <= Limite::ladoDaPaginaMm))
            demais(arquivo, QStringLiteral("uma página de %1 x %2 mm")
                                .arg(p.larguraMm, 0, 'f', 0)
                                .arg(p.alturaMm, 0, 'f', 0));
        p.elementos.clear();
        quint32 linhasNaPagina = 0;
        for (quint32 k = 0, total = contagem(elementos, Limite::elementosPorPagina,
                                             "elementos numa só página");
             k < total; ++k) {
            quint8 tipo = 0;
            s >> tipo;
            switch (tipo) {
            case ElTexto: {
                TextoPreparado t;
                qint32 fonte = 0;
                quint32 linhas = 0;
                s >> t.nome >> t.caixa >> t.recortar >> fonte >> t.cor >> t.fundo;
                ler(s, t.moldura);
                lerTipos(s, t, versaoLida);
                s >> linhas;
                t.fonte = fonte;
                if (fonte < 0 || fonte >= r.fontes.size())
                    danificado(arquivo);
                const quint32 nl = contagem(linhas, Limite::linhasPorTexto, "linhas num só texto");
                linhasNaPagina += nl;
                contagem(linhasNaPagina, Limite::linhasPorPagina, "linhas de texto numa só página");
                for (quint32 j = 0; j < nl; ++j) {
                    LinhaDeTexto l;
                    s >> l.base >> l.texto >> l.largura;
                    conferir();
                    t.linhas << l;
                }
                if (versaoLida == versaoSemTipos)
                    t.alinhamentoH = alinhamentoPelasLinhas(t);
                p.elementos.push_back(std::move(t));
                break;
            }
            case ElTraco: {
                TracoPreparado l;
                quint8 estilo = 0;
                s >> l.inicio >> l.fim >> l.largura >> estilo >> l.cor;
                l.estilo = MolduraLayout::Estilo(qMin<quint8>(estilo, MolduraLayout::Duplo));
                p.elementos.push_back(l);
                break;
            }
            case ElRetangulo: {
                RetanguloPreparado r2;
                s >> r2.caixa >> r2.largura >> r2.borda >> r2.fundo;
                p.elementos.push_back(r2);
                break;
            }
            case ElFigura: {
                FiguraPreparada f;
                qint32 imagem = 0;
                s >> f.caixa >> f.destino >> imagem;
                f.imagem = imagem;
                if (imagem < 0 || imagem >= r.imagens.size())
                    danificado(arquivo);
                p.elementos.push_back(f);
                break;
            }
            default:
                danificado(arquivo);
            }
            conferir();
        }
        conferir();
        r.paginas << p;
        Exportadores::informar(progresso, int(i + 1), int(paginas));
    }
    conferir();
    // Nothing may follow the last page.
    char depois = 0;
    if (dados.read(&depois, 1) != 0)
        danificado(arquivo);
    return r;
}

} // namespace

void gravar(const RelatorioPreparado &relatorio, const QString &arquivo,
            const Exportadores::Progresso &progresso) {
    SaidaArquivo saida(arquivo);
    // The two sizes before the pages are known only at the end: their place is kept.
    QByteArray cabecalho(assinatura, sizeof assinatura);
    cabecalho.append(char(versao >> 8)).append(char(versao & 0xff));
    const qint64 posicaoDosTamanhos = cabecalho.size();
    cabecalho.append(8, '\0');
    saida.escrever(cabecalho);

    Compressor z(saida);
    z.escrever(serializarInicio(relatorio));
    QByteArray pagina;
    const int total = int(relatorio.paginas.size());
    for (int i = 0; i < total; ++i) {
        serializarPagina(relatorio.paginas.at(i), pagina);
        z.escrever(pagina);
        // Cancelled, the file is dropped uncommitted: the target stays as it was.
        Exportadores::informar(progresso, i + 1, total);
    }
    z.terminar();

    const quint64 comprimento = quint64(tamanhoDaDica) + z.compactados();
    if (comprimento >= 0xffffffffu)
        throw ErroSistema(
            QStringLiteral("O relatório é grande demais para ser salvo no arquivo %1.")
                .arg(arquivo));
    // The size uncompressed is a hint for whoever reads it all at once; past 4 GB it
    // says "at least this much".
    const quint32 dica = quint32(qMin<quint64>(z.originais(), 0xffffffffu));
    char tamanhos[8];
    qToBigEndian(quint32(comprimento), tamanhos);
    qToBigEndian(dica, tamanhos + tamanhoDaDica);
    const quint16 depoisDaDica = Crc16::avancar(Crc16::inicio, tamanhos + 4, tamanhoDaDica);
    const quint16 verificacao =
        Crc16::concluir(Crc16::juntar(depoisDaDica, z.crc(), z.compactados()));
    char final[4];
    qToBigEndian(quint32(verificacao), final);
    saida.escrever(final, sizeof final);
    saida.escreverEm(posicaoDosTamanhos, tamanhos, sizeof tamanhos);
    saida.concluir();
}

RelatorioPreparado ler(const QString &arquivo, const Exportadores::Progresso &progresso) {
    // Only a regular file: a named pipe would keep the program waiting for good.
    struct stat st;
    if (stat(QFile::encodeName(arquivo).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw ErroSistema(
            QStringLiteral("%1 não é um arquivo comum (é uma pasta, um dispositivo ou "
                           "um canal) e não pode ser aberto como relatório.")
                .arg(arquivo));
    QFile entrada(arquivo);
    if (!entrada.open(QIODevice::ReadOnly))
        throw ErroSistema(QStringLiteral("Não foi possível abrir o arquivo %1: %2")
                              .arg(arquivo, entrada.errorString()));
    QDataStream s(&entrada);
    s.setVersion(versaoStream);
    char lida[sizeof assinatura] = {};
    if (s.readRawData(lida, sizeof lida) != sizeof lida ||
        memcmp(lida, assinatura, sizeof lida) != 0)
        throw ErroSistema(QStringLiteral("O arquivo %1 não é um relatório salvo por este programa.")
                              .arg(arquivo));
    quint16 versaoLida = 0;
    s >> versaoLida;
    if (s.status() != QDataStream::Ok)
        danificado(arquivo);
    if (versaoLida != versao && versaoLida != versaoSemTipos)
        throw ErroSistema(
            QStringLiteral("O arquivo %1 foi salvo por uma versão mais nova do programa.")
                .arg(arquivo));
    // A truncated file is known by its size before a byte of the pages is read.
    quint32 comprimento = 0;
    char dica[tamanhoDaDica];
    s >> comprimento;
    if (s.status() != QDataStream::Ok || comprimento == 0xffffffffu ||
        comprimento <= tamanhoDaDica ||
        entrada.size() - entrada.pos() < qint64(comprimento) + qint64(sizeof(quint32)) ||
        s.readRawData(dica, tamanhoDaDica) != tamanhoDaDica)
        danificado(arquivo);

    Descompressor paginas(entrada, comprimento - tamanhoDaDica,
                          Crc16::avancar(Crc16::inicio, dica, tamanhoDaDica));
    paginas.open(QIODevice::ReadOnly);
    // Deflate makes at most about 1032 bytes of one: no count can exceed that.
    RelatorioPreparado r =
        desserializar(paginas, quint64(comprimento) * 1032, arquivo, versaoLida, progresso);
    quint32 verificacao = 0;
    s >> verificacao;
    if (!paginas.conferido() || s.status() != QDataStream::Ok ||
        Crc16::concluir(paginas.crc()) != verificacao)
        danificado(arquivo);
    return r;
}

} // namespace ArquivoRelatorio
