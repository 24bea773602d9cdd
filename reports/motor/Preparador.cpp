#include "Preparador.h"

#include "Dinheiro.h"
#include "ErroSistema.h"
#include "Fontes.h"
#include "Formatacao.h"
#include "MedidorDeTexto.h"
#include "OrigemDeLinhas.h"

#include <QDate>

#include <limits>

int RelatorioPreparado::indiceFonte(const FontePreparada &fonte) {
    const qsizetype i = fontes.indexOf(fonte);
    if (i >= 0)
        return int(i);
    fontes.push_back(fonte);
    return int(fontes.size() - 1);
}

int RelatorioPreparado::indiceImagem(const QImage &imagem) {
    for (qsizetype i = 0; i < imagens.size(); ++i)
        if (imagens[i].cacheKey() == imagem.cacheKey() || imagens[i] == imagem)
            return int(i);
    imagens.push_back(imagem);
    return int(imagens.size() - 1);
}

double Layout::larguraImprimivel() const {
    return (pagina.larguraPapel - pagina.margemEsquerda - pagina.margemDireita) * pixelsPorMm;
}

namespace {

QStringList quebrar(const QString &texto, MedidorDeTexto &fm, double largura, bool quebraLinha) {
    QStringList linhas;
    QString normalizado = texto;
    normalizado.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString &paragrafo : normalizado.split(u'\n')) {
        if (!quebraLinha || fm.largura(paragrafo) <= largura) {
            linhas << paragrafo;
            continue;
        }
        QString atual;
        const QStringList palavras = paragrafo.split(u' ');
        for (qsizetype p = 0; p < palavras.size(); ++p) {
            const QString candidato = p == 0 ? palavras[p] : atual + u' ' + palavras[p];
            if (fm.largura(candidato) <= largura) {
                atual = candidato;
                continue;
            }
            if (p > 0 && !atual.isEmpty())
                linhas << atual;
            atual = palavras[p];
            // A word wider than the box is cut between letters.
            while (atual.size() > 1 && fm.largura(atual) > largura) {
                qsizetype cabe = 1;
                while (cabe < atual.size() && fm.largura(atual.left(cabe + 1)) <= largura)
                    ++cabe;
                linhas << atual.left(cabe);
                atual = atual.mid(cabe);
            }
        }
        linhas << atual;
    }
    return linhas;
}

FontePreparada fontePreparada(const FonteLayout &f) {
    return {f.nome, f.pontos(), f.negrito, f.italico, f.sublinhado};
}

// The kind of a placeholder's value and the value itself, as the page shows it: a
// number with the decimals the display format gives it, a date by its day.
void tipificar(const QVariant &valor, const FormatoExibicao &formato, TextoPreparado &t) {
    if (valor.metaType().id() == QMetaType::QDate && valor.toDate().isValid()) {
        t.tipo = TextoPreparado::Tipo::Data;
        t.valor = valor.toDate().toJulianDay();
        return;
    }
    qint64 escalado = 0;
    int casas = 0;
    if (!Formatacao::comoNumero(valor, escalado, casas))
        return;
    t.tipo = TextoPreparado::Tipo::Numero;
    t.valor = escalado;
    t.casasValor = qint8(casas);
    t.casasExibidas =
        formato.tipo == FormatoExibicao::Numerico ? qint8(formato.casasDecimais()) : qint8(-1);
}

// The height a text's lines take one under the other, without the inner gaps.
double alturaDasLinhas(qsizetype linhas, double alturaLinha, const ObjetoLayout &obj) {
    return linhas * (alturaLinha + obj.espacoLinhas) - obj.espacoLinhas;
}

} // namespace

Preparador::Preparador(const Layout &layout, QHash<QString, OrigemDeLinhas *> origens,
                       RelatorioPreparado &destino)
    : m_layout(layout), m_destino(destino) {
    for (auto it = origens.cbegin(); it != origens.cend(); ++it)
        m_origens.insert(it.key().toLower(), it.value());
    m_destino.nome = layout.nome;
    for (const BandaLayout &b : layout.bandas) {
        switch (b.tipo) {
        case TipoBanda::TituloRelatorio:
            m_titulo = &b;
            break;
        case TipoBanda::CabecalhoPagina:
            m_cabecalho = &b;
            break;
        case TipoBanda::DadosMestre:
            m_dados = &b;
            break;
        case TipoBanda::SumarioRelatorio:
            m_sumario = &b;
            break;
        }
    }
    validar();
}

Preparador::~Preparador() = default;

void Preparador::validar() {
    auto origemDe = [&](const QString &alias) {
        OrigemDeLinhas *f = m_origens.value(alias.toLower());
        if (!f)
            throw ErroSistema(
                QStringLiteral("O relatório usa o conjunto de dados \"%1\", que não foi fornecido.")
                    .arg(alias));
        return f;
    };
    if (m_dados)
        m_origemDados = origemDe(m_dados->alias);

    for (const BandaLayout &b : m_layout.bandas) {
        for (const ObjetoLayout &o : b.objetos) {
            for (const Trecho &t : o.trechos) {
                if (t.tipo == Trecho::Campo || t.tipo == Trecho::Soma) {
                    if (!origemDe(t.alias)->temCampo(t.campo))
                        throw ErroSistema(
                            QStringLiteral("O campo \"%1\" não existe no conjunto de dados \"%2\".")
                                .arg(t.campo, t.alias));
                }
                if (t.tipo == Trecho::Soma || t.tipo == Trecho::Contagem) {
                    if (!m_dados || m_dados->nome.compare(t.banda, Qt::CaseInsensitive) != 0)
                        throw ErroSistema(
                            QStringLiteral("A banda \"%1\" não existe no relatório.").arg(t.banda));
                }
                if (t.tipo == Trecho::Soma)
                    m_somas.push_back({t.banda, t.alias, t.campo});
            }
        }
    }
}

int Preparador::paginasProntas() const {
    return m_paginasCompletas;
}

double Preparador::limiteInferior() const {
    return (m_layout.pagina.alturaPapel - m_layout.pagina.margemBaixo) * Layout::pixelsPorMm;
}

bool Preparador::continuar(int paginas) {
    const int alvo = paginas > std::numeric_limits<int>::max() - m_paginasCompletas
                         ? std::numeric_limits<int>::max()
                         : m_paginasCompletas + paginas;
    while (m_estado != Estado::Fim && m_paginasCompletas < alvo) {
        switch (m_estado) {
        case Estado::Inicio:
            m_temLinha = m_origemDados && m_origemDados->primeira();
            if (m_dados && !m_temLinha && !m_layout.pagina.imprimirSeVazio) {
                m_estado = Estado::Fim; // no rows and no page asked for them
                break;
            }
            novaPagina();
            if (m_layout.pagina.tituloAntesDoCabecalho) {
                if (m_titulo)
                    imprimirBanda(*m_titulo);
                if (m_cabecalho)
                    imprimirBanda(*m_cabecalho);
            } else {
                if (m_cabecalho)
                    imprimirBanda(*m_cabecalho);
                if (m_titulo)
                    imprimirBanda(*m_titulo);
            }
            m_estado = m_dados ? Estado::Linhas : Estado::Sumario;
            break;
        case Estado::Linhas:
            if (!m_temLinha) {
                m_estado = Estado::Sumario;
                break;
            }
            imprimirBandaComQuebra(*m_dados);
            acumularLinha(*m_dados);
            m_temLinha = m_origemDados->proxima();
            break;
        case Estado::Sumario:
            if (m_sumario)
                imprimirBandaComQuebra(*m_sumario);
            entregarPagina();
            m_estado = Estado::Fim;
            m_paginasCompletas = int(m_destino.paginas.size());
            break;
        case Estado::Fim:
            break;
        }
    }
    return terminado();
}

void Preparador::entregarPagina() {
    if (m_temPagina)
        m_destino.paginas.push_back(m_pagina);
    m_pagina = {};
    m_temPagina = false;
}

void Preparador::novaPagina() {
    entregarPagina();
    PaginaPreparada pagina;
    pagina.larguraMm = m_layout.pagina.larguraPapel;
    pagina.alturaMm = m_layout.pagina.alturaPapel;
    pagina.paisagem = m_layout.pagina.paisagem;
    pagina.margensMm = QMarginsF(m_layout.pagina.margemEsquerda, m_layout.pagina.margemTopo,
                                 m_layout.pagina.margemDireita, m_layout.pagina.margemBaixo);
    m_pagina = std::move(pagina);
    m_temPagina = true;
    m_paginasCompletas = int(m_destino.paginas.size());
    m_y = m_layout.pagina.margemTopo * Layout::pixelsPorMm;
}

void Preparador::imprimirBandaComQuebra(const BandaLayout &banda) {
    const double topoLivre =
        m_layout.pagina.margemTopo * Layout::pixelsPorMm + (m_cabecalho ? m_cabecalho->altura : 0);
    // A band taller than a whole page still prints, on a page of its own.
    if (m_y + banda.altura > limiteInferior() + 0.01 && m_y > topoLivre + 0.01) {
        novaPagina();
        if (m_cabecalho)
            imprimirBanda(*m_cabecalho);
    }
    imprimirBanda(banda);
}

void Preparador::imprimirBanda(const BandaLayout &banda) {
    PaginaPreparada &pagina = m_pagina;
    const qsizetype primeiroElemento = pagina.elementos.size();
    const double x = m_layout.pagina.margemEsquerda * Layout::pixelsPorMm;
    if (banda.fundo.isValid() && banda.fundo != Qt::white) {
        pagina.elementos.push_back(
            RetanguloPreparado{QRectF(x, m_y, m_layout.larguraImprimivel(), banda.altura), 0,
                               banda.fundo.rgba(), banda.fundo.rgba()});
    }
    for (const ObjetoLayout &obj : banda.objetos)
        imprimirObjeto(obj, x, m_y, pagina);
    if (&banda == m_titulo && m_destino.titulo.isEmpty()) {
        for (qsizetype i = primeiroElemento; i < pagina.elementos.size(); ++i) {
            const auto *t = std::get_if<TextoPreparado>(&pagina.elementos[i]);
            if (t && !t->linhas.isEmpty()) {
                QStringList linhas;
                for (const LinhaDeTexto &l : t->linhas)
                    linhas << l.texto;
                m_destino.titulo = linhas.join(u' ');
                break;
            }
        }
    }
    m_y += banda.altura;
}

void Preparador::imprimirObjeto(const ObjetoLayout &obj, double x, double y,
                                PaginaPreparada &pagina) {
    const QRectF caixa(x + obj.left, y + obj.top, obj.width, obj.height);
    switch (obj.tipo) {
    case TipoObjeto::Texto:
    case TipoObjeto::TextoSistema:
    case TipoObjeto::Rotulo:
        imprimirTexto(obj, caixa, pagina);
        break;
    case TipoObjeto::Linha:
        pagina.elementos.push_back(
            TracoPreparado{caixa.topLeft(), QPointF(caixa.right(), caixa.top()),
                           obj.moldura.largura, obj.moldura.estilo, obj.fonte.cor.rgba()});
        break;
    case TipoObjeto::Retangulo:
        pagina.elementos.push_back(RetanguloPreparado{caixa, 1, 0xff000000, 0xffffffff});
        break;
    case TipoObjeto::Figura: {
        if (obj.imagem.isNull() || obj.imagem.width() <= 0 || obj.imagem.height() <= 0)
            break;
        QSizeF tamanho = obj.imagem.size(); // unstretched: one picture pixel per layout pixel
        if (obj.esticada)
            tamanho = tamanho.scaled(caixa.size(), obj.manterProporcao ? Qt::KeepAspectRatio
                                                                       : Qt::IgnoreAspectRatio);
        QPointF canto = caixa.topLeft();
        if (obj.centralizada)
            canto +=
                QPointF(caixa.width() - tamanho.width(), caixa.height() - tamanho.height()) / 2;
        pagina.elementos.push_back(
            FiguraPreparada{caixa, QRectF(canto, tamanho), m_destino.indiceImagem(obj.imagem)});
        break;
    }
    }
}

MedidorDeTexto &Preparador::medidas(const FontePreparada &fonte) {
    for (const auto &[f, m] : m_medidas)
        if (f == fonte)
            return *m;
    m_medidas.push_back({fonte, std::make_shared<MedidorDeTexto>(fonte)});
    return *m_medidas.last().second;
}

QString Preparador::avaliar(const ObjetoLayout &obj, TextoPreparado &destino) const {
    QString texto;
    for (const Trecho &t : obj.trechos) {
        QVariant valor;
        switch (t.tipo) {
        case Trecho::Literal:
            texto += t.texto;
            continue;
        case Trecho::Campo:
            valor = m_origens.value(t.alias.toLower())->valor(t.campo);
            break;
        case Trecho::Soma:
            for (const Acumulado &a : m_somas) {
                if (a.banda.compare(t.banda, Qt::CaseInsensitive) == 0 &&
                    a.alias.compare(t.alias, Qt::CaseInsensitive) == 0 &&
                    a.campo.compare(t.campo, Qt::CaseInsensitive) == 0) {
                    valor = a.soInteiros ? QVariant(qint64(a.escalado / 100))
                                         : QVariant::fromValue(Dinheiro::deCentavos(a.escalado));
                    break;
                }
            }
            break;
        case Trecho::Contagem:
            valor = QVariant(m_contagens.value(t.banda.toLower(), 0));
            break;
        }
        if (obj.trechos.size() == 1)
            tipificar(valor, obj.formato, destino);
        texto += Formatacao::texto(valor, obj.formato);
    }
    return texto;
}

void Preparador::imprimirTexto(const ObjetoLayout &obj, const QRectF &caixaObjeto,
                               PaginaPreparada &pagina) {
    TextoPreparado t;
    const QString texto = avaliar(obj, t);
    const bool temMoldura =
        obj.moldura.topo || obj.moldura.baixo || obj.moldura.esquerda || obj.moldura.direita;
    const bool fundoVisivel = obj.preenchimento.isValid() && obj.preenchimento != Qt::white;
    if (texto.isEmpty() && !fundoVisivel && !temMoldura)
        return;

    t.nome = obj.nome;
    t.cor = obj.fonte.cor.rgba();
    t.fundo = obj.preenchimento.isValid() ? obj.preenchimento.rgba() : 0;
    t.moldura = obj.moldura;
    t.recortar = obj.recortado;
    t.alinhamentoH = obj.alinhamentoH;
    t.alinhamentoV = obj.alinhamentoV;
    t.quebraLinha = obj.quebraLinha;
    FontePreparada fonte = fontePreparada(obj.fonte);
    MedidorDeTexto *fm = &medidas(fonte);

    QRectF caixa = caixaObjeto;
    QStringList linhas;
    bool ajustar = !obj.tamanhoAutomatico;
    double alturaMaxima = obj.alturaMaxima;
    if (obj.tamanhoAutomatico) {
        // The label grows to the right from its Left to hold its caption on one line. With
        // word wrap on it stops at the band's right edge and takes the lines it needs, as far
        // down as its limit allows (without one, as far as they need), instead of running off
        // the page.
        linhas = quebrar(texto, *fm, 0, false);
        double largura = 0;
        for (const QString &l : linhas)
            largura = qMax(largura, fm->largura(l));
        const double bordaDaBanda =
            m_layout.pagina.margemEsquerda * Layout::pixelsPorMm + m_layout.larguraImprimivel();
        const double livre = bordaDaBanda - caixa.left() - 2 * obj.margemX;
        if (obj.quebraLinha && livre > 0 && largura > livre + 0.001) {
            largura = livre;
            ajustar = true;
            if (alturaMaxima <= caixa.height())
                alturaMaxima = std::numeric_limits<double>::max();
        }
        caixa.setWidth(largura + 2 * obj.margemX);
    }
    const double ascendenteDaFonte = fm->ascendente();
    if (ajustar) {
        const double larguraInterior = caixa.width() - 2 * obj.margemX;
        linhas = quebrar(texto, *fm, larguraInterior, obj.quebraLinha);
        const int menorPonto =
            obj.fonteMinima > 0 ? qRound(obj.fonteMinima * 72.0 / 96.0) : fonte.pontos;
        // The box was drawn for one line in its own font, even where that line is a little
        // taller than the box (18 points in 7 mm): no smaller font needs more room than that.
        const double umaLinha = alturaDasLinhas(1, fm->altura(), obj) + 2 * obj.margemY;
        while (true) {
            const double precisa =
                alturaDasLinhas(linhas.size(), fm->altura(), obj) + 2 * obj.margemY;
            // Grows only as far as the lines need, never above its limit nor below its own height.
            caixa.setHeight(qMax(caixaObjeto.height(), qMin(alturaMaxima, precisa)));
            bool cabe = precisa <= qMax(caixa.height(), umaLinha) + 0.001;
            if (!obj.quebraLinha)
                for (const QString &l : linhas)
                    cabe = cabe && fm->largura(l) <= larguraInterior + 0.001;
            if (cabe || fonte.pontos - 1 < menorPonto)
                break;
            --fonte.pontos;
            fm = &medidas(fonte);
            linhas = quebrar(texto, *fm, larguraInterior, obj.quebraLinha);
        }
    }
    t.fonte = m_destino.indiceFonte(fonte);
    t.caixa = caixa;
    const QRectF interior = caixa.adjusted(obj.margemX, obj.margemY, -obj.margemX, -obj.margemY);

    const double alturaLinha = fm->altura();
    const double passo = alturaLinha + obj.espacoLinhas;
    const double total = alturaDasLinhas(linhas.size(), fm->altura(), obj);
    double topo = interior.top();
    if (obj.alinhamentoV == AlinhamentoV::Centro && total < interior.height())
        topo += (interior.height() - total) / 2;
    else if (obj.alinhamentoV == AlinhamentoV::Topo && linhas.size() == 1)
        // One line set smaller stays on the baseline of its own font, in line with the texts
        // beside it (the amount beside "R$").
        topo += ascendenteDaFonte - fm->ascendente();

    for (qsizetype i = 0; i < linhas.size(); ++i) {
        const double topoLinha = topo + i * passo;
        // A line mostly below the box is cut off whole: it shows on no output.
        if (obj.recortado && topoLinha + alturaLinha / 2 > caixa.bottom())
            break;
        if (linhas[i].isEmpty())
            continue;
        const double largura = fm->largura(linhas[i]);
        double x = interior.left();
        if (obj.alinhamentoH == AlinhamentoH::Centro)
            x += (interior.width() - largura) / 2;
        else if (obj.alinhamentoH == AlinhamentoH::Direita)
            x = interior.right() - largura;
        t.linhas.push_back({QPointF(x, topoLinha + fm->ascendente()), linhas[i], largura});
    }
    pagina.elementos.push_back(std::move(t));
}

void Preparador::acumularLinha(const BandaLayout &banda) {
    ++m_contagens[banda.nome.toLower()];
    for (Acumulado &a : m_somas) {
        if (a.banda.compare(banda.nome, Qt::CaseInsensitive) != 0)
            continue;
        const QVariant v = m_origens.value(a.alias.toLower())->valor(a.campo);
        qint64 escalado = 0;
        int casas = 0;
        if (!Formatacao::comoNumero(v, escalado, casas))
            continue;
        if (casas == 0)
            escalado *= 100;
        else
            a.soInteiros = false;
        a.escalado += escalado;
    }
}

QStringList Preparador::quebrarLinhas(const QString &texto, const FontePreparada &fonte,
                                      double largura) {
    MedidorDeTexto fm(fonte);
    return quebrar(texto, fm, largura, true);
}
