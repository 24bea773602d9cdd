#pragma once
#include <QDialog>

#include <memory>
#include <optional>

#include "Busca.h"
#include "Exportadores.h"
#include "PaginaPreparada.h"
#include "Preparador.h"

namespace Ui {
class TFRpreview;
}
class ModeloMiniaturas;
class QAction;
class QMarginsF;
class QSizeF;
class QComboBox;
class QLineEdit;
class QTimer;
class QToolBar;
class QToolButton;
class VisaoPaginas;
struct ExportacoesRelatorio;

// The preview window of the report service: shows prepared pages (more arrive
// while it is open) and prints, saves, opens and exports them.
class TFRpreview : public QDialog {
    Q_OBJECT

public:
    explicit TFRpreview(QWidget *pai = nullptr);
    ~TFRpreview() override;

    // Shows these pages; with a preparer, the rest are prepared while the
    // window is open. The pages and the settings must outlive the window.
    void mostrar(RelatorioPreparado *relatorio, std::unique_ptr<Preparador> preparador,
                 ExportacoesRelatorio *exportacoes);

    const RelatorioPreparado *relatorio() const { return m_relatorio; }
    bool preparando() const;
    int paginasProntas() const;
    VisaoPaginas *visao() const;
    QToolBar *barra() const;
    QComboBox *listaZoom() const { return m_zoom; }
    QLineEdit *numeroPagina() const { return m_numeroPagina; }
    QToolButton *botaoExportar() const { return m_exportar; }
    QAction *acao(const QString &nome) const;
    const std::optional<Busca::Achado> &ultimoAchado() const { return m_achado; }

    // The commands without their file windows, for the toolbar and for tests.
    bool abrirArquivo(const QString &arquivo);
    bool salvarEm(const QString &arquivo);
    bool exportarPara(FormatoExportacao formato, const QString &arquivo);
    bool localizarTexto(const QString &texto);
    void irParaPagina(int pagina); // 0-based
    // Prepares the pages still missing, the window answering meanwhile and a
    // progress window showing when it takes a while; false when the user cancels
    // there (the preparation goes on) or when it fails (with a message), and always for a
    // report whose preparation stopped on an error, which is never printed or written.
    bool concluirPreparo();
    bool incompleto() const { return m_incompleto; }
    // What page setup does once the user has chosen: new paper and margins for every page.
    void aplicarPagina(const QSizeF &tamanhoMm, bool paisagem, const QMarginsF &margensMm);

public Q_SLOTS:
    void imprimir();
    void abrir();
    void salvar();
    void exportar(FormatoExportacao formato);
    void exportarPdfRapido();
    void localizar();
    void ampliar();
    void paginaInteira();
    void telaCheia();
    void alternarSumario();
    void alternarMiniaturas();
    void alternarPainel(QWidget *painel, const QString &acaoDele, const QString &acaoOutro);
    void configurarPagina();
    void editar();
    void primeiraPagina();
    void paginaAnterior();
    void proximaPagina();
    void ultimaPagina();

protected:
    void resizeEvent(QResizeEvent *evento) override;
    void showEvent(QShowEvent *evento) override;
    void closeEvent(QCloseEvent *evento) override;

private:
    void criarBarra();
    QAction *novaAcao(const QString &nome, const QString &icone, const QString &dica,
                      void (TFRpreview::*slot)());
    void prepararMais();
    void paginasNovas();
    void atualizarStatus();
    void zoomEscolhido(int indice);
    void mostrarZoom(double zoom);
    void numeroDigitado();
    void posicionar();

    std::unique_ptr<Ui::TFRpreview> m_ui;
    RelatorioPreparado *m_relatorio = nullptr;
    RelatorioPreparado m_aberto; // a saved report opened in the preview
    std::unique_ptr<Preparador> m_preparador;
    // The preparation stopped on an error: the pages shown are not the whole report.
    bool m_incompleto = false;
    void pararPreparo();
    ExportacoesRelatorio *m_exportacoes = nullptr;
    std::unique_ptr<ExportacoesRelatorio> m_exportacoesProprias;
    ModeloMiniaturas *m_miniaturas = nullptr;
    QTimer *m_timerPreparo = nullptr;
    QComboBox *m_zoom = nullptr;
    QLineEdit *m_numeroPagina = nullptr;
    QToolButton *m_exportar = nullptr;
    QString m_textoProcurado;
    std::optional<Busca::Achado> m_achado;
    bool m_telaCheia = false;
};
