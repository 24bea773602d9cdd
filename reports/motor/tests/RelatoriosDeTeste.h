#pragma once
// Prepared reports that more than one test of the report engine works on: the receipt as the
// receipt window fills it, and a list of receipts as long as wanted; and how their pages are
// read back from a picture of the page.
#include "ArquivoRelatorio.h"
#include "Dinheiro.h"
#include "Exportadores.h"
#include "OrigemEmMemoria.h"
#include "Relatorio.h"

#include <QDate>
#include <QImage>
#include <QPainter>

// Columns of ink in a band of rows: the left and right ends, or -1.
inline std::pair<int, int> tinta(const QImage &img, const QRect &regiao) {
    int esquerda = -1, direita = -1;
    const QRect r = regiao.intersected(img.rect());
    for (int x = r.left(); x <= r.right(); ++x) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            if (qGray(img.pixel(x, y)) < 128) {
                if (esquerda < 0)
                    esquerda = x;
                direita = x;
                break;
            }
        }
    }
    return {esquerda, direita};
}

inline const QString extensoMaisLongo = QStringLiteral(
    "Quatrocentos e Cinqüenta e Quatro Mil, e Quatrocentos e Cinqüenta e Quatro Reais, "
    "e Cinqüenta e Quatro Centavos.");

// The receipt as the receipt window fills it, logo included.
inline void preencherRecibo(Relatorio &relatorio,
                            const QString &valor = QStringLiteral("454.454,54")) {
    const QList<std::pair<QString, QString>> campos = {{"Valor", valor},
                                                       {"recebi", "Maria das Graças Conceição"},
                                                       {"extenso", extensoMaisLongo},
                                                       {"referente", "Aluguel de março"},
                                                       {"observacoes", "Pago em espécie"},
                                                       {"local", "São Paulo"},
                                                       {"data1", "05 de março de 2011"},
                                                       {"emitente", "José Antônio Ltda"},
                                                       {"cpfcnpjemitente", "12.345.678/0001-95"},
                                                       {"cpfcnpjcliente", "123.456.789-09"}};
    for (const auto &[nome, texto] : campos)
        SetText(FindObject(relatorio, nome), texto);
    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter p(&logo);
    p.fillRect(QRect(10, 10, 180, 80), QColor(30, 60, 200));
    p.end();
    SetPicture(FindObject(relatorio, "picture1"), logo);
}

// A list of receipts by period, prepared: "Cliente N" paying N centavos on 05/03/2011.
struct ListaDeClientes {
    OrigemEmMemoria fonte{QStringList{"ID_RECIBO", "CLIENTE", "VALOR", "DATA"}};
    Relatorio relatorio{QStringLiteral("recibos_por_periodo")};
    explicit ListaDeClientes(int linhas) {
        for (int i = 1; i <= linhas; ++i)
            fonte.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                             QVariant::fromValue(Dinheiro::deCentavos(i)), QDate(2011, 3, 5)});
        relatorio.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
        relatorio.prepararTudo();
    }
    const RelatorioPreparado &preparado() const { return relatorio.preparado(); }
};

// Writes the report in one of the six files the preview writes, by its extension: pdf, xlsx,
// rtf, jpg, bmp, or trp (a saved report), with the settings as they start.
inline void exportarNoFormato(const QString &formato, const RelatorioPreparado &r,
                              const QString &arquivo) {
    if (formato == u"pdf")
        Exportadores::pdf(r, arquivo, ConfigExportacaoPdf{});
    else if (formato == u"xlsx")
        Exportadores::xlsx(r, arquivo, ConfigExportacaoExcel{});
    else if (formato == u"rtf")
        Exportadores::rtf(r, arquivo, ConfigExportacaoRtf{});
    else if (formato == u"jpg")
        Exportadores::jpeg(r, arquivo, ConfigExportacaoJpeg{});
    else if (formato == u"bmp")
        Exportadores::bmp(r, arquivo, ConfigExportacaoBmp{});
    else
        ArquivoRelatorio::gravar(r, arquivo);
}
