#pragma once
#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRectF>

struct RelatorioPreparado;

// The pages of the preview, one under the other. Only the pages in view are
// painted, each rendered once per zoom and kept in a small cache, so lists of
// thousands of pages scroll as lightly as one.
class VisaoPaginas : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit VisaoPaginas(QWidget *pai = nullptr);

    // The pages to show; the first `quantidade` are ready (more may come).
    void definirRelatorio(const RelatorioPreparado *relatorio, int quantidade);
    void definirQuantidade(int quantidade);
    int quantidade() const { return int(m_topos.size()); }
    // The pages changed in place (paper changed): drops what was drawn.
    void paginasAlteradas();

    double zoom() const { return m_zoom; }
    void definirZoom(double zoom);
    double zoomPaginaInteira() const;
    double zoomLarguraPagina() const;

    int paginaAtual() const;
    void irParaPagina(int pagina);

    // Highlights an area of a page (found text); a negative page clears it.
    void destacar(int pagina, const QRectF &area);

    // The pages painted by the last paint, for checking that only those in view are drawn.
    const QList<int> &ultimasPintadas() const { return m_pintadas; }

Q_SIGNALS:
    void paginaAtualMudou(int pagina);
    void zoomMudou(double zoom);

protected:
    void paintEvent(QPaintEvent *evento) override;
    void resizeEvent(QResizeEvent *evento) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *evento) override;

private:
    static constexpr int espaco = 12;
    QSizeF tamanhoPagina(int pagina) const; // screen pixels at the zoom
    void recalcular();
    void recalcular(int quantidade);
    void atualizarBarras();
    const QImage &imagemDaPagina(int pagina);
    void avisarPaginaAtual();
    int paginaNaPosicao() const;

    const RelatorioPreparado *m_relatorio = nullptr;
    double m_zoom = 1.0;
    QList<double> m_topos; // top of each page in scrolled content
    double m_alturaTotal = 0;
    double m_larguraMaxima = 0;
    QHash<int, QImage> m_cache;
    QList<int> m_ordemCache;
    QList<int> m_pintadas;
    int m_paginaDestaque = -1;
    QRectF m_destaque;
    int m_ultimaAvisada = -1;
    int m_atual = 0;
    bool m_navegando = false;
};
