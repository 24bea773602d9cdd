#pragma once
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include "Marcador.h"

// A page layout as plain data: the page, its bands and the objects they hold.
// Positions and sizes are layout pixels (1/96 inch) from the band's top-left
// corner; paper and margins are millimetres.

// Letter face of a text object; the height is in layout pixels, as the layouts tell it.
struct FonteLayout {
    QString nome = QStringLiteral("Arial");
    double altura = 13;
    bool negrito = false;
    bool italico = false;
    bool sublinhado = false;
    QColor cor = Qt::black;

    // The nominal size in points: the height times 72/96, rounded (13 px is 10 pt).
    int pontos() const { return qRound(altura * 72.0 / 96.0); }
    bool operator==(const FonteLayout &) const = default;
};

// The sides drawn around a text object, and how; also the stroke of a line object.
struct MolduraLayout {
    enum Estilo : quint8 { Solido, Pontilhado, Duplo };
    bool topo = false;
    bool baixo = false;
    bool esquerda = false;
    bool direita = false;
    Estilo estilo = Solido;
    double largura = 1;
    bool operator==(const MolduraLayout &) const = default;
};

// How placeholder values turn into text: as they are, or numeric with a pattern such as "%2.2n".
struct FormatoExibicao {
    enum Tipo : quint8 { Texto, Numerico };
    Tipo tipo = Texto;
    QString padrao;
    QChar separadorDecimal = u',';
    // Decimals the numeric pattern asks for ("%2.2n" gives 2).
    int casasDecimais() const;
};

enum class TipoObjeto : quint8 { Texto, TextoSistema, Linha, Figura, Rotulo, Retangulo };
enum class AlinhamentoH : quint8 { Esquerda, Centro, Direita };
enum class AlinhamentoV : quint8 { Topo, Centro };

// One object of a band, with every field of the model and its default.
struct ObjetoLayout {
    TipoObjeto tipo = TipoObjeto::Texto;
    QString nome;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool centralizadoNaBanda = false; // Align centred; Left already holds the centred place

    // Text, system text and label.
    QString texto;
    FonteLayout fonte;
    QColor preenchimento; // invalid: transparent
    AlinhamentoH alinhamentoH = AlinhamentoH::Esquerda;
    AlinhamentoV alinhamentoV = AlinhamentoV::Topo;
    bool quebraLinha = true;
    bool recortado = true;
    double margemX = 2;
    double margemY = 1;
    double espacoLinhas = 2;
    FormatoExibicao formato;
    MolduraLayout moldura;
    bool tamanhoAutomatico = false; // labels: the width follows the caption
    // A text whose lines do not fit its box: the box grows downwards, only as far as the
    // lines need, up to alturaMaxima (0, or not above height: it never grows); a text that
    // still does not fit is set one point smaller at a time, down to fonteMinima (a height
    // in layout pixels like fonte.altura; 0: never smaller), until it fits. What does not
    // fit even then is cut at the box's edges like any other text.
    double alturaMaxima = 0;
    double fonteMinima = 0;

    // Picture: scaled to fit with its aspect kept, at the top-left of the box.
    QImage imagem;
    bool esticada = true;
    bool manterProporcao = true;
    bool centralizada = false;
    bool altaQualidade = false;
    QColor corTransparente; // invalid: none

    // The text cut into literal runs and placeholders; kept in step with `texto`.
    QList<Trecho> trechos;
};

enum class TipoBanda : quint8 { TituloRelatorio, CabecalhoPagina, DadosMestre, SumarioRelatorio };

struct BandaLayout {
    TipoBanda tipo = TipoBanda::TituloRelatorio;
    QString nome;
    double altura = 0;
    QString alias;            // master data: the dataset it repeats over
    int quantidadeLinhas = 0; // master data: 0 is one band per dataset row
    QColor fundo;             // invalid: transparent
    QList<ObjetoLayout> objetos;
};

struct PaginaLayout {
    int codigoPapel = 9;
    double larguraPapel = 210; // mm
    double alturaPapel = 297;
    bool paisagem = false;
    double margemEsquerda = 0;
    double margemDireita = 0;
    double margemTopo = 0;
    double margemBaixo = 0;
    bool tituloAntesDoCabecalho = true;
    bool imprimirSeVazio = true;
};

// A whole layout: a report layout (bands of text, line and picture objects) or
// the quick layout (one title band of labels and rectangle shapes).
struct Layout {
    enum Familia : quint8 { Relatorio, Rapido };
    QString nome;
    Familia familia = Relatorio;
    PaginaLayout pagina;
    QStringList aliases;
    double zoomInicial = 1.0;
    QString impressora = QStringLiteral("Default");
    int imprimirEmFolha = 0; // 0: each page on paper of its own size
    QString chaveConfiguracoes = QStringLiteral("\\Software\\Fast Reports");
    // The preview's command groups: all twelve.
    QStringList comandosPreview = {
        QStringLiteral("imprimir"),    QStringLiteral("abrir"),
        QStringLiteral("salvar"),      QStringLiteral("exportar"),
        QStringLiteral("zoom"),        QStringLiteral("localizar"),
        QStringLiteral("sumario"),     QStringLiteral("configurarPagina"),
        QStringLiteral("ferramentas"), QStringLiteral("editar"),
        QStringLiteral("navegador"),   QStringLiteral("exportacaoRapida")};
    // The quick layout's print settings.
    int colunas = 1;
    double espacoColunasMm = 0;
    int zoomPorcento = 100;
    int copias = 1;
    bool duplex = false;
    QList<BandaLayout> bandas;

    static constexpr double pixelsPorMm = 96.0 / 25.4;
    double larguraImprimivel() const;
};
