#include "CarregadorLayout.h"

#include "ErroSistema.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

// The layouts live in a static library: their resources must be registered by hand.
static void registrarLayouts() {
    static const bool registrados = [] {
        Q_INIT_RESOURCE(layouts);
        return true;
    }();
    Q_UNUSED(registrados);
}

namespace {

struct Leitor {
    QString origem;
    double escala = 1; // layout pixels per unit of the file's positions

    [[noreturn]] void falhar(const QString &motivo) const {
        throw ErroSistema(
            QStringLiteral("Layout de relatório inválido (%1): %2").arg(origem, motivo));
    }

    template <typename T, typename Mapa>
    T escolher(const QJsonValue &v, const Mapa &opcoes, T padrao, const QString &campo) const {
        if (v.isUndefined())
            return padrao;
        for (const auto &[texto, valor] : opcoes)
            if (v.toString() == QLatin1String(texto))
                return valor;
        falhar(
            QStringLiteral("valor \"%1\" desconhecido em %2").arg(v.toVariant().toString(), campo));
    }

    QColor cor(const QJsonValue &v, const QString &campo) const {
        const QColor c = QColor::fromString(v.toString());
        if (!c.isValid())
            falhar(QStringLiteral("cor inválida em %1").arg(campo));
        return c;
    }

    void lerTexto(const QJsonObject &o, ObjetoLayout &obj) const {
        if (o.contains(u"texto"_s)) {
            const QJsonValue t = o.value(u"texto"_s);
            if (t.isArray()) {
                QStringList linhas;
                for (const QJsonValue &l : t.toArray())
                    linhas << l.toString();
                obj.texto = linhas.join(u'\n');
            } else {
                obj.texto = t.toString();
            }
        }
        if (o.contains(u"fonte"_s)) {
            const QJsonObject f = o.value(u"fonte"_s).toObject();
            obj.fonte.nome = f.value(u"nome"_s).toString(obj.fonte.nome);
            obj.fonte.altura = f.value(u"altura"_s).toDouble(obj.fonte.altura);
            const QString estilo = f.value(u"estilo"_s).toString();
            obj.fonte.negrito = estilo.contains(u"negrito"_s);
            obj.fonte.italico = estilo.contains(u"italico"_s);
            obj.fonte.sublinhado = estilo.contains(u"sublinhado"_s);
            if (f.contains(u"cor"_s))
                obj.fonte.cor = cor(f.value(u"cor"_s), obj.nome);
            if (obj.fonte.altura <= 0)
                falhar(QStringLiteral("fonte sem altura em %1").arg(obj.nome));
        }
        if (o.contains(u"preenchimento"_s))
            obj.preenchimento = cor(o.value(u"preenchimento"_s), obj.nome);
        using H = AlinhamentoH;
        obj.alinhamentoH =
            escolher(o.value(u"alinhamento"_s),
                     std::initializer_list<std::pair<const char *, H>>{
                         {"esquerda", H::Esquerda}, {"centro", H::Centro}, {"direita", H::Direita}},
                     obj.alinhamentoH, obj.nome);
        using V = AlinhamentoV;
        obj.alinhamentoV = escolher(o.value(u"vertical"_s),
                                    std::initializer_list<std::pair<const char *, V>>{
                                        {"topo", V::Topo}, {"centro", V::Centro}},
                                    obj.alinhamentoV, obj.nome);
        obj.quebraLinha = o.value(u"quebraLinha"_s).toBool(obj.quebraLinha);
        obj.recortado = o.value(u"recortado"_s).toBool(obj.recortado);
        obj.tamanhoAutomatico = o.value(u"tamanhoAutomatico"_s).toBool(obj.tamanhoAutomatico);
        if (o.contains(u"alturaMaxima"_s))
            obj.alturaMaxima = o.value(u"alturaMaxima"_s).toDouble() * escala;
        obj.fonteMinima = o.value(u"fonteMinima"_s).toDouble(obj.fonteMinima);
        if (obj.alturaMaxima < 0 || obj.fonteMinima < 0)
            falhar(QStringLiteral("altura máxima ou fonte mínima negativa em %1").arg(obj.nome));
        if (o.contains(u"formato"_s)) {
            obj.formato.tipo = FormatoExibicao::Numerico;
            obj.formato.padrao = o.value(u"formato"_s).toString();
        }
    }

    void lerMoldura(const QJsonObject &o, ObjetoLayout &obj) const {
        if (!o.contains(u"moldura"_s))
            return;
        const QJsonObject m = o.value(u"moldura"_s).toObject();
        const QString lados = m.value(u"lados"_s).toString();
        obj.moldura.topo = lados.contains(u"topo"_s);
        obj.moldura.baixo = lados.contains(u"baixo"_s);
        obj.moldura.esquerda = lados.contains(u"esquerda"_s);
        obj.moldura.direita = lados.contains(u"direita"_s);
        using E = MolduraLayout::Estilo;
        obj.moldura.estilo =
            escolher(m.value(u"estilo"_s),
                     std::initializer_list<std::pair<const char *, E>>{
                         {"solido", E::Solido}, {"pontilhado", E::Pontilhado}, {"duplo", E::Duplo}},
                     obj.moldura.estilo, obj.nome);
        obj.moldura.largura = m.value(u"largura"_s).toDouble(obj.moldura.largura);
    }

    ObjetoLayout lerObjeto(const QJsonObject &o, const QJsonObject &estilos,
                           Layout::Familia familia) const {
        ObjetoLayout obj;
        obj.nome = o.value(u"nome"_s).toString();
        if (obj.nome.isEmpty())
            falhar(QStringLiteral("objeto sem nome"));
        using T = TipoObjeto;
        const QJsonValue tipo = o.value(u"tipo"_s);
        if (tipo.isUndefined())
            falhar(QStringLiteral("objeto %1 sem tipo").arg(obj.nome));
        obj.tipo = escolher(
            tipo,
            std::initializer_list<std::pair<const char *, T>>{{"texto", T::Texto},
                                                              {"textoSistema", T::TextoSistema},
                                                              {"linha", T::Linha},
                                                              {"figura", T::Figura},
                                                              {"rotulo", T::Rotulo},
                                                              {"retangulo", T::Retangulo}},
            T::Texto, obj.nome);
        const bool rapido = familia == Layout::Rapido;
        if (rapido != (obj.tipo == T::Rotulo || obj.tipo == T::Retangulo))
            falhar(QStringLiteral("objeto %1 não pertence a esta família de layout").arg(obj.nome));

        // The quick layout's labels: white, no inner gaps, 10 pt regular Arial by default.
        if (obj.tipo == T::Rotulo) {
            obj.preenchimento = Qt::white;
            obj.margemX = obj.margemY = obj.espacoLinhas = 0;
        }

        const QJsonArray pos = o.value(u"pos"_s).toArray();
        if (pos.size() != 4)
            falhar(QStringLiteral("objeto %1 sem posição e tamanho").arg(obj.nome));
        obj.left = pos[0].toDouble() * escala;
        obj.top = pos[1].toDouble() * escala;
        obj.width = pos[2].toDouble() * escala;
        obj.height = pos[3].toDouble() * escala;
        obj.centralizadoNaBanda = o.value(u"centralizadoNaBanda"_s).toBool();
        obj.esticada = o.value(u"esticada"_s).toBool(obj.esticada);
        obj.manterProporcao = o.value(u"manterProporcao"_s).toBool(obj.manterProporcao);
        obj.centralizada = o.value(u"centralizada"_s).toBool(obj.centralizada);
        obj.altaQualidade = o.value(u"altaQualidade"_s).toBool(obj.altaQualidade);
        if (o.contains(u"corTransparente"_s))
            obj.corTransparente = cor(o.value(u"corTransparente"_s), obj.nome);

        if (o.contains(u"estilo"_s)) {
            const QString nomeEstilo = o.value(u"estilo"_s).toString();
            if (!estilos.contains(nomeEstilo))
                falhar(QStringLiteral("estilo %1 desconhecido em %2").arg(nomeEstilo, obj.nome));
            const QJsonObject estilo = estilos.value(nomeEstilo).toObject();
            lerTexto(estilo, obj);
            lerMoldura(estilo, obj);
        }
        lerTexto(o, obj);
        lerMoldura(o, obj);
        // A data field binding prints as a text made of that one field placeholder.
        if (o.contains(u"campo"_s)) {
            const QJsonObject c = o.value(u"campo"_s).toObject();
            obj.texto = QStringLiteral("[%1.\"%2\"]")
                            .arg(c.value(u"alias"_s).toString(), c.value(u"nome"_s).toString());
        }
        if (obj.tipo == T::Texto || obj.tipo == T::TextoSistema)
            obj.trechos = analisarMarcadores(obj.texto);
        else
            obj.trechos = trechoLiteral(obj.texto);
        return obj;
    }
};

} // namespace

namespace CarregadorLayout {

Layout carregar(const QString &nome) {
    registrarLayouts();
    return carregarArquivo(QStringLiteral(":/layouts/%1.json").arg(nome));
}

Layout carregarArquivo(const QString &caminho) {
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        throw ErroSistema(
            QStringLiteral("Não foi possível abrir o layout de relatório %1.").arg(caminho));
    return carregarBytes(arquivo.readAll(), caminho);
}

Layout carregarBytes(const QByteArray &json, const QString &origem) {
    Leitor leitor{origem};
    QJsonParseError erro;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &erro);
    if (doc.isNull())
        leitor.falhar(erro.errorString());
    const QJsonObject raiz = doc.object();

    Layout layout;
    layout.nome = raiz.value(u"nome"_s).toString();
    layout.familia =
        leitor.escolher(raiz.value(u"familia"_s),
                        std::initializer_list<std::pair<const char *, Layout::Familia>>{
                            {"relatorio", Layout::Relatorio}, {"rapido", Layout::Rapido}},
                        Layout::Relatorio, QStringLiteral("familia"));
    leitor.escala = leitor.escolher(raiz.value(u"unidade"_s),
                                    std::initializer_list<std::pair<const char *, double>>{
                                        {"px", 1.0}, {"mm", Layout::pixelsPorMm}},
                                    1.0, QStringLiteral("unidade"));
    for (const QJsonValue &a : raiz.value(u"aliases"_s).toArray())
        layout.aliases << a.toString();
    layout.zoomInicial = raiz.value(u"zoom"_s).toDouble(layout.zoomInicial);
    layout.impressora = raiz.value(u"impressora"_s).toString(layout.impressora);
    layout.imprimirEmFolha = raiz.value(u"imprimirEmFolha"_s).toInt(layout.imprimirEmFolha);
    layout.chaveConfiguracoes =
        raiz.value(u"chaveConfiguracoes"_s).toString(layout.chaveConfiguracoes);
    if (raiz.contains(u"comandosPreview"_s)) {
        layout.comandosPreview.clear();
        for (const QJsonValue &c : raiz.value(u"comandosPreview"_s).toArray())
            layout.comandosPreview << c.toString();
    }
    const QJsonObject rapido = raiz.value(u"impressao"_s).toObject();
    layout.colunas = rapido.value(u"colunas"_s).toInt(layout.colunas);
    layout.espacoColunasMm =
        rapido.value(u"espacoColunas"_s).toDouble(layout.espacoColunasMm * 10) / 10;
    layout.zoomPorcento = rapido.value(u"zoom"_s).toInt(layout.zoomPorcento);
    layout.copias = rapido.value(u"copias"_s).toInt(layout.copias);
    layout.duplex = rapido.value(u"duplex"_s).toBool(layout.duplex);

    const QJsonObject pag = raiz.value(u"pagina"_s).toObject();
    PaginaLayout &p = layout.pagina;
    p.codigoPapel = pag.value(u"papel"_s).toInt(9);
    p.paisagem = pag.value(u"orientacao"_s).toString() == u"paisagem"_s;
    p.tituloAntesDoCabecalho = pag.value(u"tituloAntesDoCabecalho"_s).toBool(true);
    p.imprimirSeVazio = pag.value(u"imprimirSeVazio"_s).toBool(true);
    p.larguraPapel = p.paisagem ? 297 : 210;
    p.alturaPapel = p.paisagem ? 210 : 297;
    if (pag.contains(u"decimosMm"_s)) {
        // The quick layout keeps its paper in tenths of a millimetre.
        const QJsonObject d = pag.value(u"decimosMm"_s).toObject();
        p.larguraPapel = d.value(u"width"_s).toDouble() / 10;
        p.alturaPapel = d.value(u"length"_s).toDouble() / 10;
        p.margemEsquerda = d.value(u"left"_s).toDouble() / 10;
        p.margemDireita = d.value(u"right"_s).toDouble() / 10;
        p.margemTopo = d.value(u"top"_s).toDouble() / 10;
        p.margemBaixo = d.value(u"bottom"_s).toDouble() / 10;
    } else if (pag.contains(u"margens"_s)) {
        const QJsonObject m = pag.value(u"margens"_s).toObject();
        p.margemEsquerda = m.value(u"esquerda"_s).toDouble();
        p.margemDireita = m.value(u"direita"_s).toDouble();
        p.margemTopo = m.value(u"topo"_s).toDouble();
        p.margemBaixo = m.value(u"baixo"_s).toDouble();
    }
    if (p.larguraPapel <= 0 || p.alturaPapel <= 0)
        leitor.falhar(QStringLiteral("papel sem tamanho"));

    const QJsonObject estilos = raiz.value(u"estilos"_s).toObject();
    const QJsonArray bandas = raiz.value(u"bandas"_s).toArray();
    if (bandas.isEmpty())
        leitor.falhar(QStringLiteral("nenhuma banda"));
    for (const QJsonValue &vb : bandas) {
        const QJsonObject b = vb.toObject();
        BandaLayout banda;
        banda.nome = b.value(u"nome"_s).toString();
        using B = TipoBanda;
        banda.tipo = leitor.escolher(
            b.value(u"tipo"_s),
            std::initializer_list<std::pair<const char *, B>>{{"titulo", B::TituloRelatorio},
                                                              {"cabecalho", B::CabecalhoPagina},
                                                              {"dados", B::DadosMestre},
                                                              {"sumario", B::SumarioRelatorio}},
            B::TituloRelatorio, banda.nome);
        banda.altura = b.value(u"altura"_s).toDouble() * leitor.escala;
        banda.alias = b.value(u"alias"_s).toString();
        banda.quantidadeLinhas = b.value(u"quantidadeLinhas"_s).toInt(0);
        if (b.contains(u"fundo"_s))
            banda.fundo = leitor.cor(b.value(u"fundo"_s), banda.nome);
        if (banda.tipo == B::DadosMestre && !layout.aliases.contains(banda.alias))
            leitor.falhar(QStringLiteral("banda %1 sobre um conjunto de dados não declarado")
                              .arg(banda.nome));
        for (const QJsonValue &vo : b.value(u"objetos"_s).toArray())
            banda.objetos.push_back(leitor.lerObjeto(vo.toObject(), estilos, layout.familia));
        layout.bandas.push_back(std::move(banda));
    }
    return layout;
}

} // namespace CarregadorLayout
