#pragma once
#include "ModeloLayout.h"
#include "PaginaPreparada.h"

#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <memory>

class OrigemDeLinhas;
class MedidorDeTexto;

// Turns a layout and the rows of its datasets into prepared pages: the title
// and the page header on the first page, the page header on every later
// page, one master data band per row with page breaks, the summary once after
// the last row. It works a few pages at a time, so the preview can show the
// first pages while the rest is still being prepared. The layout and the row
// sources must outlive it. Errors are thrown as ErroSistema.
class Preparador {
public:
    Preparador(const Layout &layout, QHash<QString, OrigemDeLinhas *> origens,
               RelatorioPreparado &destino);
    ~Preparador();

    // Goes on until `paginas` more pages are complete or everything is done;
    // true once the last page is complete.
    bool continuar(int paginas = 1);
    void prepararTudo() { continuar(std::numeric_limits<int>::max()); }

    bool terminado() const { return m_estado == Estado::Fim; }
    // Pages that will not change any more.
    int paginasProntas() const;

    // One text as it would be cut into lines in a box of the given width: for
    // callers that need the engine's line breaking on its own.
    static QStringList quebrarLinhas(const QString &texto, const FontePreparada &fonte,
                                     double largura);

private:
    enum class Estado { Inicio, Linhas, Sumario, Fim };
    struct Acumulado {
        QString banda;
        QString alias;
        QString campo;
        qint64 escalado = 0; // in centavos
        bool soInteiros = true;
    };

    void validar();
    void novaPagina();
    void entregarPagina();
    void imprimirBanda(const BandaLayout &banda);
    void imprimirBandaComQuebra(const BandaLayout &banda);
    void imprimirObjeto(const ObjetoLayout &obj, double x, double y, PaginaPreparada &pagina);
    void imprimirTexto(const ObjetoLayout &obj, const QRectF &caixa, PaginaPreparada &pagina);
    void acumularLinha(const BandaLayout &banda);
    QString avaliar(const ObjetoLayout &obj, TextoPreparado &destino) const;
    MedidorDeTexto &medidas(const FontePreparada &fonte);
    double limiteInferior() const;

    const Layout &m_layout;
    QHash<QString, OrigemDeLinhas *> m_origens; // by alias, lower case
    RelatorioPreparado &m_destino;
    Estado m_estado = Estado::Inicio;
    const BandaLayout *m_titulo = nullptr;
    const BandaLayout *m_cabecalho = nullptr;
    const BandaLayout *m_dados = nullptr;
    const BandaLayout *m_sumario = nullptr;
    OrigemDeLinhas *m_origemDados = nullptr;
    bool m_temLinha = false;
    double m_y = 0;
    int m_paginasCompletas = 0;
    QHash<QString, qint64> m_contagens; // by band name, lower case
    QList<Acumulado> m_somas;
    QList<std::pair<FontePreparada, std::shared_ptr<MedidorDeTexto>>> m_medidas;
    // The page being filled; it joins the prepared pages once complete.
    PaginaPreparada m_pagina;
    bool m_temPagina = false;
};
