#include "ArquivoRelatorio.h"

#include "ErroSistema.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

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

QByteArray serializar(const RelatorioPreparado &r) {
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
    for (const PaginaPreparada &p : r.paginas) {
        s << p.larguraMm << p.alturaMm << p.paisagem << p.margensMm << p.deslocamentoMm
          << quint32(p.elementos.size());
        for (const ElementoPreparado &e : p.elementos) {
            if (const auto *t = std::get_if<TextoPreparado>(&e)) {
                s << quint8(ElTexto) << t->nome << t->caixa << t->recortar << qint32(t->fonte)
                  << t->cor << t->fundo;
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
    return dados;
}

[[noreturn]] void danificado(const QString &arquivo) {
    throw ErroSistema(
        QStringLiteral("O arquivo %1 está incompleto ou danificado e não pôde ser aberto.")
            .arg(arquivo));
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

RelatorioPreparado desserializar(const QByteArray &dados, const QString &arquivo,
                                 quint16 versaoLida) {
    QDataStream s(dados);
    s.setVersion(versaoStream);
    RelatorioPreparado r;
    // Counts are checked against what is left, so a damaged count cannot ask for the moon.
    auto contagem = [&](quint32 n) {
        if (s.status() != QDataStream::Ok || n > quint32(dados.size()))
            danificado(arquivo);
        return n;
    };
    quint32 n = 0;
    s >> r.nome;
    if (versaoLida != versaoSemTipos)
        s >> r.titulo;
    s >> n;
    for (quint32 i = 0, total = contagem(n); i < total; ++i) {
        FontePreparada f;
        qint32 pontos = 0;
        s >> f.nome >> pontos >> f.negrito >> f.italico >> f.sublinhado;
        f.pontos = pontos;
        r.fontes << f;
    }
    s >> n;
    for (quint32 i = 0, total = contagem(n); i < total; ++i) {
        QImage img;
        s >> img;
        r.imagens << img;
    }
    s >> n;
    for (quint32 i = 0, paginas = contagem(n); i < paginas; ++i) {
        PaginaPreparada p;
        quint32 elementos = 0;
        s >> p.larguraMm >> p.alturaMm >> p.paisagem >> p.margensMm >> p.deslocamentoMm >>
            elementos;
        for (quint32 k = 0, total = contagem(elementos); k < total; ++k) {
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
                for (quint32 j = 0, nl = contagem(linhas); j < nl; ++j) {
                    LinhaDeTexto l;
                    s >> l.base >> l.texto >> l.largura;
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
        }
        r.paginas << p;
    }
    if (s.status() != QDataStream::Ok || !s.atEnd())
        danificado(arquivo);
    return r;
}

} // namespace

void gravar(const RelatorioPreparado &relatorio, const QString &arquivo) {
    const QByteArray compactado = qCompress(serializar(relatorio));
    QSaveFile saida(arquivo);
    if (saida.open(QIODevice::WriteOnly)) {
        QDataStream s(&saida);
        s.setVersion(versaoStream);
        s.writeRawData(assinatura, sizeof assinatura);
        s << versao << compactado << quint32(qChecksum(compactado));
        if (s.status() == QDataStream::Ok && saida.commit())
            return;
    }
    throw ErroSistema(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                          .arg(arquivo, saida.errorString()));
}

RelatorioPreparado ler(const QString &arquivo) {
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
    QByteArray compactado;
    quint32 verificacao = 0;
    s >> compactado >> verificacao;
    if (s.status() != QDataStream::Ok || quint32(qChecksum(compactado)) != verificacao)
        danificado(arquivo);
    const QByteArray dados = qUncompress(compactado);
    if (dados.isEmpty())
        danificado(arquivo);
    return desserializar(dados, arquivo, versaoLida);
}

} // namespace ArquivoRelatorio
