#include "PaginaPreparada.h"

#include "ArquivoTemporario.h"
#include "ErroSistema.h"

#include <QMultiHash>

#include <cstring>
#include <type_traits>

// Lines, rectangles and pictures are plain bytes and are stored as they are;
// a text keeps apart only what changes from one of its prints to the next.
static_assert(std::is_trivially_copyable_v<TracoPreparado>);
static_assert(std::is_trivially_copyable_v<RetanguloPreparado>);
static_assert(std::is_trivially_copyable_v<FiguraPreparada>);

namespace {

// Encoded pages stay in memory up to this size; the rest goes to a temporary file.
constexpr qint64 limiteEmMemoria = 8 << 20;
constexpr qsizetype tamanhoDoBloco = 1 << 20;
constexpr qsizetype tamanhoDaEscritaPendente = 1 << 20;

enum Marca : quint8 { MarcaTexto, MarcaTraco, MarcaRetangulo, MarcaFigura };

template <typename T> void escrever(QByteArray &b, const T &valor) {
    static_assert(std::is_trivially_copyable_v<T>);
    b.append(reinterpret_cast<const char *>(&valor), sizeof(T));
}

class Leitor {
public:
    explicit Leitor(const QByteArray &dados)
        : m_p(dados.constData()), m_fim(dados.constData() + dados.size()) {}
    template <typename T> T ler() {
        static_assert(std::is_trivially_copyable_v<T>);
        T valor;
        conferir(sizeof(T));
        std::memcpy(&valor, m_p, sizeof(T));
        m_p += sizeof(T);
        return valor;
    }
    QString texto(qsizetype tamanho) {
        conferir(tamanho * qsizetype(sizeof(char16_t)));
        QString t(reinterpret_cast<const QChar *>(m_p), tamanho);
        m_p += tamanho * qsizetype(sizeof(char16_t));
        return t;
    }

private:
    void conferir(qsizetype bytes) const {
        if (m_fim - m_p < bytes)
            throw ErroSistema(QStringLiteral("As páginas preparadas guardadas estão danificadas."));
    }
    const char *m_p;
    const char *m_fim;
};

// A text without its place, lines and value: what its object gives it, kept once
// for every print of the object that looks the same.
TextoPreparado semVariaveis(TextoPreparado t) {
    t.caixa = {};
    t.linhas = {};
    t.valor = 0;
    return t;
}

size_t hashDoEstilo(const TextoPreparado &t) {
    return qHashMulti(0, t.nome, t.fonte, t.cor, t.fundo, t.recortar, int(t.tipo));
}

} // namespace

// The bytes of the pages of one run and the looks their texts share. Copies of
// the pages share it: it only grows, each copy keeps its own offsets.
class ArmazemPaginas {
public:
    qint32 estilo(const TextoPreparado &semVariavel) {
        const size_t h = hashDoEstilo(semVariavel);
        for (auto it = m_indiceEstilos.constFind(h); it != m_indiceEstilos.cend() && it.key() == h;
             ++it)
            if (m_estilos[it.value()] == semVariavel)
                return it.value();
        m_estilos.push_back(semVariavel);
        const qint32 i = qint32(m_estilos.size() - 1);
        m_indiceEstilos.insert(h, i);
        return i;
    }
    const TextoPreparado &estilo(qint32 i) const {
        if (i < 0 || i >= m_estilos.size())
            throw ErroSistema(QStringLiteral("As páginas preparadas guardadas estão danificadas."));
        return m_estilos[i];
    }

    void gravar(const QByteArray &dados, qint64 &posicao, qint32 &bloco) {
        if (!m_arquivo && m_bytesEmMemoria + dados.size() > limiteEmMemoria)
            abrirArquivo();
        if (m_arquivo) {
            bloco = -1;
            posicao = m_fimDoArquivo + m_pendente.size();
            m_pendente += dados;
            if (m_pendente.size() >= tamanhoDaEscritaPendente)
                descarregar();
            return;
        }
        if (m_blocos.isEmpty() || m_blocos.last().size() + dados.size() > tamanhoDoBloco) {
            m_blocos.push_back({});
            m_blocos.last().reserve(qMax(tamanhoDoBloco, dados.size()));
        }
        bloco = qint32(m_blocos.size() - 1);
        posicao = m_blocos.last().size();
        m_blocos.last() += dados;
        m_bytesEmMemoria += dados.size();
    }

    QByteArray ler(qint64 posicao, qint32 tamanho, qint32 bloco) {
        if (bloco >= 0)
            return m_blocos.at(bloco).mid(posicao, tamanho);
        if (posicao >= m_fimDoArquivo)
            return m_pendente.mid(posicao - m_fimDoArquivo, tamanho);
        return m_arquivo->ler(posicao, tamanho);
    }

    qint64 bytesEmMemoria() const { return m_bytesEmMemoria + m_pendente.size(); }
    qint64 bytesEmArquivo() const { return m_fimDoArquivo; }

private:
    void abrirArquivo() {
        // Without a temporary file the pages simply stay in memory.
        try {
            m_arquivo = std::make_unique<ArquivoTemporario>();
        } catch (const ErroSistema &) {
        }
    }
    // A failure says that the temporary folder is full, and where it is.
    void descarregar() {
        m_arquivo->escrever(m_pendente);
        m_fimDoArquivo += m_pendente.size();
        m_pendente.clear();
    }

    QList<TextoPreparado> m_estilos;
    QMultiHash<size_t, qint32> m_indiceEstilos;
    QList<QByteArray> m_blocos;
    qint64 m_bytesEmMemoria = 0;
    std::unique_ptr<ArquivoTemporario> m_arquivo;
    qint64 m_fimDoArquivo = 0;
    QByteArray m_pendente;
};

namespace {

QByteArray codificar(const QList<ElementoPreparado> &elementos, ArmazemPaginas &armazem) {
    QByteArray b;
    b.reserve(elementos.size() * 96);
    escrever(b, quint32(elementos.size()));
    for (const ElementoPreparado &e : elementos) {
        if (const auto *t = std::get_if<TextoPreparado>(&e)) {
            escrever(b, MarcaTexto);
            escrever(b, armazem.estilo(semVariaveis(*t)));
            escrever(b, t->caixa);
            escrever(b, t->valor);
            escrever(b, quint32(t->linhas.size()));
            for (const LinhaDeTexto &l : t->linhas) {
                escrever(b, l.base);
                escrever(b, l.largura);
                escrever(b, quint32(l.texto.size()));
                b.append(reinterpret_cast<const char *>(l.texto.constData()),
                         l.texto.size() * qsizetype(sizeof(char16_t)));
            }
        } else if (const auto *l = std::get_if<TracoPreparado>(&e)) {
            escrever(b, MarcaTraco);
            escrever(b, *l);
        } else if (const auto *r = std::get_if<RetanguloPreparado>(&e)) {
            escrever(b, MarcaRetangulo);
            escrever(b, *r);
        } else if (const auto *f = std::get_if<FiguraPreparada>(&e)) {
            escrever(b, MarcaFigura);
            escrever(b, *f);
        }
    }
    return b;
}

QList<ElementoPreparado> decodificar(const QByteArray &dados, const ArmazemPaginas &armazem) {
    Leitor l(dados);
    QList<ElementoPreparado> elementos;
    const quint32 quantidade = l.ler<quint32>();
    elementos.reserve(qMin<qsizetype>(quantidade, dados.size()));
    for (quint32 i = 0; i < quantidade; ++i) {
        switch (l.ler<Marca>()) {
        case MarcaTexto: {
            TextoPreparado t = armazem.estilo(l.ler<qint32>());
            t.caixa = l.ler<QRectF>();
            t.valor = l.ler<qint64>();
            const quint32 linhas = l.ler<quint32>();
            t.linhas.reserve(qMin<qsizetype>(linhas, dados.size()));
            for (quint32 k = 0; k < linhas; ++k) {
                LinhaDeTexto linha;
                linha.base = l.ler<QPointF>();
                linha.largura = l.ler<double>();
                linha.texto = l.texto(l.ler<quint32>());
                t.linhas.push_back(std::move(linha));
            }
            elementos.push_back(std::move(t));
            break;
        }
        case MarcaTraco:
            elementos.push_back(l.ler<TracoPreparado>());
            break;
        case MarcaRetangulo:
            elementos.push_back(l.ler<RetanguloPreparado>());
            break;
        case MarcaFigura:
            elementos.push_back(l.ler<FiguraPreparada>());
            break;
        default:
            throw ErroSistema(QStringLiteral("As páginas preparadas guardadas estão danificadas."));
        }
    }
    return elementos;
}

} // namespace

PaginasPreparadas::PaginasPreparadas() : m_armazem(std::make_shared<ArmazemPaginas>()) {}
PaginasPreparadas::PaginasPreparadas(const PaginasPreparadas &outras) = default;
PaginasPreparadas::PaginasPreparadas(PaginasPreparadas &&outras) noexcept
    : m_armazem(std::move(outras.m_armazem)), m_entradas(std::move(outras.m_entradas)),
      m_decodificadas(std::move(outras.m_decodificadas)) {
    outras.m_armazem = std::make_shared<ArmazemPaginas>();
    outras.m_entradas.clear();
    outras.m_decodificadas.clear();
}
PaginasPreparadas &PaginasPreparadas::operator=(const PaginasPreparadas &outras) = default;
PaginasPreparadas &PaginasPreparadas::operator=(PaginasPreparadas &&outras) noexcept {
    std::swap(m_armazem, outras.m_armazem);
    std::swap(m_entradas, outras.m_entradas);
    std::swap(m_decodificadas, outras.m_decodificadas);
    return *this;
}
PaginasPreparadas::~PaginasPreparadas() = default;

PaginaPreparada PaginasPreparadas::at(qsizetype indice) const {
    Q_ASSERT(indice >= 0 && indice < m_entradas.size());
    const Entrada &e = m_entradas.at(indice);
    PaginaPreparada pagina = e.cabecalho;
    for (qsizetype i = 0; i < m_decodificadas.size(); ++i) {
        if (m_decodificadas[i].indice != indice)
            continue;
        if (i > 0)
            m_decodificadas.move(i, 0);
        pagina.elementos = m_decodificadas.first().elementos;
        return pagina;
    }
    pagina.elementos = decodificar(m_armazem->ler(e.posicao, e.tamanho, e.bloco), *m_armazem);
    if (m_decodificadas.size() >= decodificadasGuardadas)
        m_decodificadas.removeLast();
    m_decodificadas.prepend({indice, pagina.elementos});
    return pagina;
}

void PaginasPreparadas::push_back(const PaginaPreparada &pagina) {
    Entrada e;
    e.cabecalho = pagina;
    // Not clear(): on a shared list it keeps a buffer as large as the page's.
    e.cabecalho.elementos = {};
    const QByteArray dados = codificar(pagina.elementos, *m_armazem);
    m_armazem->gravar(dados, e.posicao, e.bloco);
    e.tamanho = qint32(dados.size());
    m_entradas.push_back(std::move(e));
    // A page just made is usually the next one drawn.
    if (m_decodificadas.size() >= decodificadasGuardadas)
        m_decodificadas.removeLast();
    m_decodificadas.prepend({m_entradas.size() - 1, pagina.elementos});
}

void PaginasPreparadas::mudarPapel(qsizetype indice, const PaginaPreparada &papel) {
    PaginaPreparada &c = m_entradas[indice].cabecalho;
    c = papel;
    c.elementos = {};
}

void PaginasPreparadas::clear() {
    *this = PaginasPreparadas();
}

QList<PaginaPreparada> PaginasPreparadas::todas() const {
    QList<PaginaPreparada> paginas;
    paginas.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        paginas.push_back(at(i));
    return paginas;
}

bool PaginasPreparadas::operator==(const PaginasPreparadas &outras) const {
    if (size() != outras.size())
        return false;
    for (qsizetype i = 0; i < size(); ++i)
        if (at(i) != outras.at(i))
            return false;
    return true;
}

qint64 PaginasPreparadas::bytesEmMemoria() const {
    return m_armazem->bytesEmMemoria();
}

qint64 PaginasPreparadas::bytesEmArquivo() const {
    return m_armazem->bytesEmArquivo();
}
