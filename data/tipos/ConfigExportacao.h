#pragma once
#include <QString>

#include <functional>

// The five export formats every report preview offers, with their settings as
// they start; the settings windows change a copy for one export. The program
// declares one ExportacoesRelatorio (in the data module) and hands it to the
// preview.

struct ConfigExportacaoPdf {
    bool compactado = true;
    // Kept as the layouts set it; the export embeds font subsets regardless so
    // that the PDF reads the same on every machine.
    bool fontesEmbutidas = false;
    bool otimizadoParaImpressao = false;
    bool sumario = false;
    bool fundo = false;
    bool tagsHtml = true;
    // The document information; empty means automatic: the author is the issuer when there
    // is one, the subject the report's title, the creator this program and its version.
    QString autor;
    QString assunto;
    QString criador;
    QString senhaDono;
    QString senhaUsuario;
    bool permitirImprimir = true;
    bool permitirModificar = true;
    bool permitirCopiar = true;
    bool permitirAnotar = true;
    bool ocultarBarraDeFerramentas = false;
    bool ocultarBarraDeMenus = false;
    bool ocultarInterface = false;
    bool ajustarJanela = false;
    bool centralizarJanela = false;
    bool escalaDeImpressao = false;
};

struct ConfigExportacaoExcel {
    bool figurasComoMetarquivo = true;
    bool celulasComoTexto = false;
    bool fundo = true;
    bool exportacaoRapida = true;
    bool quebrasDePagina = true;
    bool linhasVazias = true;
    bool suprimirCabecalhosERodapes = false;
    bool mesclarCelulas = true;
    bool estilos = true;
    bool figuras = true;
    bool wysiwyg = true;
    QString autor; // the issuer, filled by the preview
};

struct ConfigExportacaoRtf {
    enum ModoCabecalho { ComoTexto, ComoCabecalho, Nenhum };
    bool figurasComoMetarquivo = true;
    bool wysiwyg = true;
    QString criador; // empty: this program and its version
    QString autor;   // the issuer, filled by the preview
    bool suprimirCabecalhosERodapes = false;
    ModoCabecalho modoCabecalho = ComoTexto;
    bool tamanhoAutomatico = false;
    bool quebrasDePagina = true;
    bool figuras = true;
};

struct ConfigExportacaoJpeg {
    int qualidade = 90;
    int resolucao = 96;
    bool arquivoPorPagina = true;
    bool cortarPaginas = false;
    bool monocromatico = false;
};

struct ConfigExportacaoBmp {
    int resolucao = 96;
    bool arquivoPorPagina = true;
    bool cortarPaginas = false;
    bool monocromatico = false;
};

// The application's five export formats, in the order the preview lists them.
struct ExportacoesRelatorio {
    // The name a document's author takes when the settings leave it empty: the issuer's.
    std::function<QString()> autorPadrao;
    ConfigExportacaoPdf pdf;
    ConfigExportacaoExcel excel;
    ConfigExportacaoRtf rtf;
    ConfigExportacaoJpeg jpeg;
    ConfigExportacaoBmp bmp;
};
