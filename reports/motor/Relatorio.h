#pragma once
#include "ModeloLayout.h"
#include "PaginaPreparada.h"

#include <QHash>
#include <QImage>
#include <QString>

class OrigemDeLinhas;

// A layout held by the window that prints it, with the dataset links its
// placeholders name and the pages of its last run.
class Relatorio {
public:
    // Loads the layout compiled in under that file name (see reports/motor/layouts).
    explicit Relatorio(const QString &nomeLayout);
    explicit Relatorio(Layout layout);

    Layout &layout() { return m_layout; }
    const Layout &layout() const { return m_layout; }

    // Exposes a row source to the layout under an alias ("ibqEvento").
    void ligarOrigem(const QString &alias, OrigemDeLinhas *origem);
    const QHash<QString, OrigemDeLinhas *> &origens() const { return m_origens; }

    // The pages of the last run; they live until the next run.
    RelatorioPreparado &preparado() { return m_preparado; }
    const RelatorioPreparado &preparado() const { return m_preparado; }

    // Discards the earlier run and prepares every page at once.
    void prepararTudo();

private:
    Layout m_layout;
    QHash<QString, OrigemDeLinhas *> m_origens;
    RelatorioPreparado m_preparado;
};

// The operations through which the windows fill a layout before it is shown.

// The first object of the layout whose name matches, letter case ignored,
// searching every band; nullptr when there is none.
ObjetoLayout *FindObject(Relatorio &relatorio, const QString &nome);
ObjetoLayout *FindObject(Layout &layout, const QString &nome);

// Replaces the whole text of a text object or the caption of a label; line
// breaks give several lines. Brackets in it print as they are.
void SetText(ObjetoLayout *objeto, const QString &texto);

// The picture object keeps its own copy of the image; an empty image empties it.
void SetPicture(ObjetoLayout *objeto, const QImage &imagem);
